# The shipped launcher, alone in its tree: one toolchain (cmake/mingw-i686-win32.cmake) compiles
# and links it. Size flags everywhere, a link map beside the exe, the PE header moved to offset
# 256, and a size check that fails the build above the budget.
set(VX_LAUNCHER_BUDGET 98304 CACHE STRING "Largest allowed size of vxstub.exe in bytes")
set(VX_LAUNCHER_OUTPUT_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Folder that receives vxstub.exe and its map")

# Whole-program optimisation (LTO) on top: the link step compiles again with the same flags.
set(VX_LEAN_FLAGS -Os -flto -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti
    -fno-threadsafe-statics -fno-asynchronous-unwind-tables -fno-unwind-tables)
target_compile_options(vxcore PRIVATE ${VX_LEAN_FLAGS})
target_sources(vxcore PRIVATE ${WIN_SRC})
include(${CMAKE_SOURCE_DIR}/cmake/zlib_inflate.cmake)
target_link_libraries(vxcore PUBLIC vxzlib)

file(GLOB VX_RUNTIME_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/runtime/*.cpp)
add_executable(vxstub ${CMAKE_SOURCE_DIR}/src/launcher/main_win.cpp ${VX_RUNTIME_SRC})
target_compile_options(vxstub PRIVATE ${VX_LEAN_FLAGS})
enable_language(RC)
target_sources(vxstub PRIVATE ${CMAKE_SOURCE_DIR}/src/launcher/stub.rc)
target_link_libraries(vxstub PRIVATE vxcore user32 gdi32 comctl32 advapi32 shell32 ole32)
set(VX_LAUNCHER_MAP ${VX_LAUNCHER_OUTPUT_DIR}/vxstub.map)
# Own entry point (src/runtime/entry.cpp) instead of the C runtime's start-up files, so nothing
# may need run-time pseudo relocations (no auto-import); no base relocations (an exe is always
# loaded at its preferred base); unused sections and the call-frame tables dropped.
target_link_options(vxstub PRIVATE ${VX_LEAN_FLAGS} -mwindows -static -s -nostartfiles -Wl,-e,_LauncherEntry
                    -Wl,--disable-auto-import -Wl,--disable-dynamicbase,--disable-reloc-section
                    -Wl,--gc-sections -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/launcher_sections.ld
                    -Wl,-Map,${VX_LAUNCHER_MAP})
set_property(TARGET vxstub APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/launcher_sections.ld)
set_target_properties(vxstub PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VX_LAUNCHER_OUTPUT_DIR})

find_package(Python3 REQUIRED COMPONENTS Interpreter)
# Lists the symbols of LTO objects, so that the size report can name the source of each function.
find_program(VX_LTO_DUMP NAMES i686-w64-mingw32-lto-dump-win32 REQUIRED)
add_custom_command(TARGET vxstub POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/pe_relocate.py $<TARGET_FILE:vxstub>
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/size_report.py $<TARGET_FILE:vxstub>
          ${VX_LAUNCHER_MAP} --budget ${VX_LAUNCHER_BUDGET} --lto-dump ${VX_LTO_DUMP}
          --out ${VX_LAUNCHER_OUTPUT_DIR}/vxstub.size.txt
          --objects $<TARGET_OBJECTS:vxcore> $<TARGET_OBJECTS:vxstub> $<TARGET_OBJECTS:vxzlib>
  COMMAND_EXPAND_LISTS
  COMMENT "Moving the launcher's PE header to offset 256; checking its size")
