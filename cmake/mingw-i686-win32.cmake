# Cross toolchain of the shipped launcher: 32-bit Windows with MinGW-w64, win32 thread model.
# The launcher has one thread; this model's static runtime needs no pthread emulation. Headers
# and libraries of one compiler driver only: objects and runtime agree on c++config.h.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_AR i686-w64-mingw32-gcc-ar-win32 CACHE FILEPATH "")
set(CMAKE_RANLIB i686-w64-mingw32-gcc-ranlib-win32 CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
