# MinGW i686 tree: the launcher, vxpack.exe, the debug viewer and the Windows test exes.
set(VX_SMALL_FLAGS -Os -ffunction-sections -fdata-sections -fno-exceptions -fno-asynchronous-unwind-tables)
target_compile_options(vxcore PRIVATE ${VX_SMALL_FLAGS})

set(VX_WIN_LIBS user32 gdi32 comctl32 advapi32 shell32 ole32)

# The core calls a few platform functions (clock, drive facts, trace delivery), so the Win32
# layer lives in the same library; vxwin names it together with the system libraries.
target_sources(vxcore PRIVATE ${WIN_SRC})
add_library(vxwin INTERFACE)
target_link_libraries(vxwin INTERFACE vxcore ${VX_WIN_LIBS})

# The launcher: GUI subsystem, static runtime and zlib, stripped, PE header moved to offset 256.
add_executable(vxstub ${CMAKE_SOURCE_DIR}/src/launcher/main_win.cpp
                      ${CMAKE_SOURCE_DIR}/src/launcher/main_nothrow_win.cpp)
target_compile_options(vxstub PRIVATE ${VX_SMALL_FLAGS})
enable_language(RC)
target_sources(vxstub PRIVATE ${CMAKE_SOURCE_DIR}/src/launcher/stub.rc)
target_link_libraries(vxstub PRIVATE vxwin)
target_link_options(vxstub PRIVATE -mwindows -static -s -Wl,--gc-sections)
set_property(TARGET vxstub PROPERTY RULE_LAUNCH_LINK ${CMAKE_SOURCE_DIR}/scripts/link_small.sh)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(TARGET vxstub POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/pe_relocate.py $<TARGET_FILE:vxstub>
  COMMENT "Moving the launcher's PE header to offset 256")

include(${CMAKE_SOURCE_DIR}/cmake/vxpack.cmake)

# Debug viewer.
file(GLOB DEBUGVIEW_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/debugview/*.cpp)
if(DEBUGVIEW_SRC)
  add_executable(vxdebugview ${DEBUGVIEW_SRC})
  target_link_libraries(vxdebugview PRIVATE vxwin)
  target_link_options(vxdebugview PRIVATE -mwindows -static -s)
endif()

# GoogleTest from Debian's sources, built for Windows.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The launcher's test build: the same program, with the system calls of tests/wine/launcher_seams
# in place of env/system_calls_win.cpp, so that the tests can play a setup that cannot be
# inspected or that asks for administrator rights.
add_executable(vxstub_seams ${CMAKE_SOURCE_DIR}/src/launcher/main_win.cpp
                            ${CMAKE_SOURCE_DIR}/src/launcher/main_nothrow_win.cpp
                            ${CMAKE_SOURCE_DIR}/src/launcher/stub.rc
                            ${CMAKE_SOURCE_DIR}/tests/wine/launcher_seams/system_calls_seam.cpp)
target_compile_options(vxstub_seams PRIVATE ${VX_SMALL_FLAGS})
target_link_libraries(vxstub_seams PRIVATE vxwin)
target_link_options(vxstub_seams PRIVATE -mwindows -static -s -Wl,--gc-sections)
set_property(TARGET vxstub_seams PROPERTY RULE_LAUNCH_LINK ${CMAKE_SOURCE_DIR}/scripts/link_small.sh)
add_custom_command(TARGET vxstub_seams POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/pe_relocate.py $<TARGET_FILE:vxstub_seams>
  COMMENT "Moving the test launcher's PE header to offset 256")

# Small programs the Windows tests start (fake setup, fake application, window holders).
file(GLOB WINE_FIXTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/fixtures/*.cpp)
foreach(f ${WINE_FIXTURES})
  get_filename_component(n ${f} NAME_WE)
  add_executable(${n} ${f})
  target_link_libraries(${n} PRIVATE vxwin)
  target_link_options(${n} PRIVATE -static)
  list(APPEND WINE_FIXTURE_TARGETS ${n})
endforeach()
# The fake setup is a GUI program, as the setups it stands for are: WinExec then waits for its
# input idle state, as it does for theirs.
target_link_options(fakesetup PRIVATE -mwindows)
target_link_libraries(benchdownload PRIVATE wininet psapi)
# The screenshot program shows the launcher's boxes as the launcher does: with its manifest.
target_sources(uidemo PRIVATE ${CMAKE_SOURCE_DIR}/src/launcher/stub.rc)

file(GLOB WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
add_executable(wine_tests ${WINE_TESTS})
target_link_libraries(wine_tests PRIVATE vxpacklib vxwin gtest gtest_main wininet crypt32)
target_link_options(wine_tests PRIVATE -static)
add_dependencies(wine_tests vxstub vxstub_seams)
if(WINE_FIXTURE_TARGETS)
  add_dependencies(wine_tests ${WINE_FIXTURE_TARGETS})
endif()

# The demo's sample setup program.
add_executable(sample_setup ${CMAKE_SOURCE_DIR}/examples/sample_setup/sample_setup.cpp)
target_link_libraries(sample_setup PRIVATE vxwin)
target_link_options(sample_setup PRIVATE -mwindows -static -s)
