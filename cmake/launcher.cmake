# The shipped launcher, alone in its tree: one toolchain (cmake/mingw-i686-win32.cmake) compiles
# and links it. Size flags everywhere, a link map beside the exe, the PE header moved to offset
# 256, and a size check that fails the build above the budget. The same tree built with
# cmake/mingw-x86_64-win32.cmake gives the 64-bit test build (no budget: it is never shipped).
# VX_LAUNCHER_SEAMS adds the test build vxstub_seams.exe.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VX_LAUNCHER_DEFAULT_BUDGET 0)
  set(VX_ENTRY_SYMBOL LauncherEntry)
  set(VX_LTO_DUMP_NAME x86_64-w64-mingw32-lto-dump-win32)
else()
  set(VX_LAUNCHER_DEFAULT_BUDGET 98304)
  set(VX_ENTRY_SYMBOL _LauncherEntry)  # 32-bit C names carry a leading underscore
  set(VX_LTO_DUMP_NAME i686-w64-mingw32-lto-dump-win32)
endif()
set(VX_LAUNCHER_BUDGET ${VX_LAUNCHER_DEFAULT_BUDGET} CACHE STRING
    "Largest allowed size of vxstub.exe in bytes (0: no check)")
set(VX_LAUNCHER_OUTPUT_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Folder that receives vxstub.exe and its map")

# Whole-program optimisation (LTO) on top: the link step compiles again with the same flags.
set(VX_LEAN_FLAGS -Oz -flto -ffunction-sections -fno-exceptions -fno-rtti
    -fno-threadsafe-statics -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-inline-functions-called-once -fno-ident -fomit-frame-pointer -fconserve-stack -fno-tree-switch-conversion
    -flto-partition=one -malign-data=abi ${VX_EXTRA_LEAN_FLAGS})
# 32-bit: arguments pushed rather than stored (smaller calls). That needs the stack probe of large
# frames off, so no function may have a frame near a page: such a frame fails the build. The
# stack is kept at the 4-byte alignment that 32-bit Windows guarantees, not realigned to 16 bytes
# in every function that calls another (the compiler still aligns what needs more on its own).
set(VX_LEAN_ARCH_FLAGS "")
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VX_LEAN_ARCH_FLAGS -mno-accumulate-outgoing-args -mno-stack-arg-probe -Werror=frame-larger-than=3072
      -mpreferred-stack-boundary=2)
endif()
list(APPEND VX_LEAN_FLAGS ${VX_LEAN_ARCH_FLAGS})
target_compile_options(vxcore PRIVATE ${VX_LEAN_FLAGS})
include(${CMAKE_SOURCE_DIR}/cmake/zlib_inflate.cmake)
target_link_libraries(vxcore PUBLIC vxzlib)
add_library(vxwin STATIC ${VX_WIN_SRC})
target_compile_options(vxwin PRIVATE ${VX_LEAN_FLAGS})
target_link_libraries(vxwin PUBLIC vxcore user32 gdi32 comctl32 advapi32 shell32 ole32)

set(VX_RUNTIME_SRC ${CMAKE_SOURCE_DIR}/src/runtime/divide64.cpp ${CMAKE_SOURCE_DIR}/src/runtime/divide64_i386.cpp
    ${CMAKE_SOURCE_DIR}/src/runtime/entry.cpp ${CMAKE_SOURCE_DIR}/src/runtime/new_delete.cpp
    ${CMAKE_SOURCE_DIR}/src/runtime/throw_stubs.cpp)
# The 64-bit division helpers stand in for the support library's: calls to them are made when
# code is generated, so they are compiled without LTO, as that library is.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/runtime/divide64.cpp
                            ${CMAKE_SOURCE_DIR}/src/runtime/divide64_i386.cpp
                            PROPERTIES COMPILE_OPTIONS -fno-lto)
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The launcher's linker script: the linker's own, with the read-only data and import tables in the
# code section and the call-frame tables dropped (scripts/lean_linker_script.py says why).
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-prog-name=ld OUTPUT_VARIABLE VX_LD
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(VX_LAUNCHER_LD ${CMAKE_BINARY_DIR}/launcher.ld)
execute_process(COMMAND ${VX_LD} --verbose
                COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/lean_linker_script.py
                OUTPUT_FILE ${VX_LAUNCHER_LD} COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scripts/lean_linker_script.py)
# The resource script includes these files; the compiler's dependency scan does not see them.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/launcher/stub.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/src/launcher/stub.manifest;${CMAKE_SOURCE_DIR}/src/launcher/stub.ico")
# A launcher program: the entry, the lean runtime, the resources and any further sources given.
# Own entry point (src/runtime/entry.cpp) instead of the C runtime's start-up files, so nothing
# may need run-time pseudo relocations (no auto-import); no base relocations (an exe is always
# loaded at its preferred base); unused sections dropped; the linker script above.
function(vx_launcher_program name)
  add_executable(${name} ${CMAKE_SOURCE_DIR}/src/launcher/main_win.cpp ${VX_RUNTIME_SRC}
                         ${CMAKE_SOURCE_DIR}/src/launcher/stub.rc ${ARGN})
  target_compile_options(${name} PRIVATE ${VX_LEAN_FLAGS})
  target_link_libraries(${name} PRIVATE vxwin)
  target_link_options(${name} PRIVATE ${VX_LEAN_FLAGS} -mwindows -static -s -nostartfiles
                      -Wl,-e,${VX_ENTRY_SYMBOL} -Wl,--disable-auto-import
                      -Wl,--disable-dynamicbase,--disable-reloc-section -Wl,--gc-sections
                      -Wl,-T,${VX_LAUNCHER_LD})
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${VX_LAUNCHER_LD})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VX_LAUNCHER_OUTPUT_DIR})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/pe_relocate.py $<TARGET_FILE:${name}>
    COMMENT "Moving the PE header of ${name} to offset 256")
endfunction()

vx_launcher_program(vxstub)
set(VX_LAUNCHER_MAP ${VX_LAUNCHER_OUTPUT_DIR}/vxstub.map)
target_link_options(vxstub PRIVATE -Wl,-Map,${VX_LAUNCHER_MAP})

# The launcher's test build: the same program, with the system calls of tests/wine/launcher_seams
# in place of src/system/system_calls_win.cpp, so that the tests can play a setup that cannot be
# inspected or that asks for administrator rights.
if(VX_LAUNCHER_SEAMS)
  vx_launcher_program(vxstub_seams ${CMAKE_SOURCE_DIR}/tests/wine/launcher_seams/system_calls_seam.cpp)
endif()

# Lists the symbols of LTO objects, so that the size report can name the source of each function.
find_program(VX_LTO_DUMP NAMES ${VX_LTO_DUMP_NAME} REQUIRED)
add_custom_command(TARGET vxstub POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/size_report.py $<TARGET_FILE:vxstub>
          ${VX_LAUNCHER_MAP} --budget ${VX_LAUNCHER_BUDGET} --lto-dump ${VX_LTO_DUMP}
          --out ${VX_LAUNCHER_OUTPUT_DIR}/vxstub.size.txt
          --objects $<TARGET_OBJECTS:vxcore> $<TARGET_OBJECTS:vxwin> $<TARGET_OBJECTS:vxstub>
                    $<TARGET_OBJECTS:vxzlib>
  COMMAND_EXPAND_LISTS
  COMMENT "Checking the launcher's size")
