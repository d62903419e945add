// Well-known folders. Folder texts end with a backslash unless stated otherwise.
#pragma once
#include <string>

namespace vx {

std::string ExePath();  // the running program's full path
std::string ExeDir();   // its folder, with a trailing backslash
std::string TempDir();  // the system temporary folder, with a trailing backslash

}  // namespace vx
