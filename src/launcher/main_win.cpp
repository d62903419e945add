// Program entry of the launcher.
#include <windows.h>

#include "launcher/stub.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vx::StubMain(); }
