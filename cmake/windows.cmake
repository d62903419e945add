# MinGW Windows tree (posix thread model, as GoogleTest needs): vxpack.exe, the debug viewer and
# the Windows test exes with the launcher they run. i686, or x86_64 where the tests run 64-bit.

set(VX_WIN_LIBS user32 gdi32 comctl32 advapi32 shell32 ole32)

# The Win32 layer on top of the portable core, with the system libraries it calls.
add_library(vxwin STATIC ${VX_WIN_SRC})
target_link_libraries(vxwin PUBLIC vxcore ${VX_WIN_LIBS})

# The launcher the tests run: built by its own tree (cmake/launcher.cmake) with the
# win32-thread-model toolchain of this tree's processor, as a sub-build of this one, together with
# its test build vxstub_seams.exe; both land in this tree's folder.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VX_LAUNCHER_TOOLCHAIN ${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64-win32.cmake)
else()
  set(VX_LAUNCHER_TOOLCHAIN ${CMAKE_SOURCE_DIR}/cmake/mingw-i686-win32.cmake)
endif()
include(ExternalProject)
ExternalProject_Add(vxstub_tree
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/launcher
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${VX_LAUNCHER_TOOLCHAIN}
             -DCMAKE_BUILD_TYPE=MinSizeRel -DVX_LAUNCHER_ONLY=ON -DVX_LAUNCHER_SEAMS=ON
             -DVX_LAUNCHER_OUTPUT_DIR=${CMAKE_BINARY_DIR}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/vxstub.exe ${CMAKE_BINARY_DIR}/vxstub_seams.exe ${CMAKE_BINARY_DIR}/vxstub.map ${CMAKE_BINARY_DIR}/vxstub.size.txt)
add_custom_target(vxstub DEPENDS vxstub_tree)

include(${CMAKE_SOURCE_DIR}/cmake/vxpack.cmake)
# vxpack's Windows build extracts through the Win32 layer's files (unpack_files_win.h).
target_link_libraries(vxpacklib PUBLIC vxwin)

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

# What the Windows test exes share: folders, child processes, boxes, the trace viewer window,
# packages built in-process, the test web servers.
set(WINE_SUPPORT_NAMES test_support package_support net_support ui_probe signing_support)
set(WINE_SUPPORT_SRC ${WINE_SUPPORT_NAMES})
list(TRANSFORM WINE_SUPPORT_SRC PREPEND ${CMAKE_SOURCE_DIR}/tests/wine/)
list(TRANSFORM WINE_SUPPORT_SRC APPEND .cpp)
add_library(wine_test_support STATIC ${WINE_SUPPORT_SRC})
target_include_directories(wine_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests/wine)
target_compile_options(wine_test_support PUBLIC -include ${CMAKE_SOURCE_DIR}/tests/support/string_printer.h)
target_link_libraries(wine_test_support PUBLIC vxpacklib vxwin gtest wininet crypt32)

# The Windows tests of the sources, run against the test tree's own launcher build.
file(GLOB WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
list(REMOVE_ITEM WINE_TESTS ${WINE_SUPPORT_SRC})
add_executable(wine_tests ${WINE_TESTS})
target_link_libraries(wine_tests PRIVATE wine_test_support gtest_main)
target_link_options(wine_tests PRIVATE -static)
add_dependencies(wine_tests vxstub)

# The shipped-launcher suite: a few whole runs of each role against the file that ships
# (dist/vxstub.exe, named by VX_LAUNCHER_UNDER_TEST), with this tree's fakes around it.
file(GLOB SHIPPED_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/shipped/*.cpp)
add_executable(shipped_tests ${SHIPPED_TESTS})
target_link_libraries(shipped_tests PRIVATE wine_test_support gtest_main)
target_link_options(shipped_tests PRIVATE -static)
if(WINE_FIXTURE_TARGETS)
  add_dependencies(wine_tests ${WINE_FIXTURE_TARGETS})
  add_dependencies(shipped_tests ${WINE_FIXTURE_TARGETS})
endif()

# The demo's sample setup program.
add_executable(sample_setup ${CMAKE_SOURCE_DIR}/examples/sample_setup/sample_setup.cpp)
target_link_libraries(sample_setup PRIVATE vxwin)
target_link_options(sample_setup PRIVATE -mwindows -static -s)

# The benchmark's plain zlib extractor, the baseline of extraction under Wine.
add_executable(baseline_inflate ${CMAKE_SOURCE_DIR}/bench/baseline_inflate.cpp)
target_link_libraries(baseline_inflate PRIVATE ZLIB::ZLIB)
target_link_options(baseline_inflate PRIVATE -static)
