// Program entry of the launcher.
#include <windows.h>

#include "launcher/main_body.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vx::StubMain(); }
