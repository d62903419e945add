# Host (Linux) tree: portable core, vxpack, native tests.
include(cmake/vxpack.cmake)

find_package(GTest REQUIRED)
file(GLOB NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TESTS} ${CMAKE_SOURCE_DIR}/src/runtime/divide64.cpp
                            ${CMAKE_SOURCE_DIR}/src/runtime/adler32.cpp)
target_link_libraries(native_tests PRIVATE vxpacklib vxcore GTest::gtest GTest::gtest_main)
target_compile_options(native_tests PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/support/string_printer.h)
target_compile_definitions(native_tests PRIVATE VX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The work counters of tests/native/work_count.h see every malloc and memchr call of the code
# linked in statically.
target_link_options(native_tests PRIVATE -Wl,--wrap=malloc -Wl,--wrap=memchr)

file(GLOB BENCH_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(b ${BENCH_SRC})
  get_filename_component(n ${b} NAME_WE)
  add_executable(${n} ${b})
  target_link_libraries(${n} PRIVATE vxcore)
endforeach()

# The fuzz targets (tests/fuzz), linked into the native tests, which replay their corpora.
file(GLOB FUZZ_TARGET_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/targets/*_target.cpp)
target_sources(native_tests PRIVATE ${FUZZ_TARGET_SRC} ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_registry.cpp)
target_include_directories(native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/support)
