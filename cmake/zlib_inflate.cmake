# zlib's inflate for the shipped launcher, compiled here for size: -Os, one section per function,
# LTO, and without gzip support (NO_GZIP: packages hold zlib streams, so neither the gzip header
# code nor CRC-32 is linked). The sources are zlib's own as carried in Debian's binutils-source
# package (binutils bundles zlib); they are unpacked into the build tree at configure time.
file(GLOB VX_ZLIB_ARCHIVE /usr/src/binutils/binutils-*.tar.xz)
if(NOT VX_ZLIB_ARCHIVE)
  message(FATAL_ERROR "zlib sources not found: install the Debian package binutils-source (./vx setup)")
endif()
list(GET VX_ZLIB_ARCHIVE 0 VX_ZLIB_ARCHIVE)
get_filename_component(VX_ZLIB_TOP ${VX_ZLIB_ARCHIVE} NAME)
string(REGEX REPLACE "\\.tar\\.xz$" "" VX_ZLIB_TOP ${VX_ZLIB_TOP})

set(VX_ZLIB_DIR ${CMAKE_BINARY_DIR}/zlib)
set(VX_ZLIB_FILES inffast.c inffast.h inffixed.h inflate.c inflate.h inftrees.c inftrees.h
    zutil.c zutil.h gzguts.h zlib.h zconf.h)
set(VX_ZLIB_MEMBERS "")
foreach(f ${VX_ZLIB_FILES})
  list(APPEND VX_ZLIB_MEMBERS ${VX_ZLIB_TOP}/zlib/${f})
endforeach()
if(NOT EXISTS ${VX_ZLIB_DIR}/inflate.c OR ${VX_ZLIB_ARCHIVE} IS_NEWER_THAN ${VX_ZLIB_DIR}/inflate.c)
  file(MAKE_DIRECTORY ${VX_ZLIB_DIR})
  execute_process(COMMAND tar -xJf ${VX_ZLIB_ARCHIVE} -C ${VX_ZLIB_DIR} --strip-components=2 ${VX_ZLIB_MEMBERS}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not unpack zlib from ${VX_ZLIB_ARCHIVE}")
  endif()
endif()

# The Adler-32 checksum comes from src/runtime/adler32.cpp: the same sums in a loop a quarter
# the size of zlib's unrolled one.
add_library(vxzlib STATIC ${VX_ZLIB_DIR}/inffast.c ${VX_ZLIB_DIR}/inflate.c ${VX_ZLIB_DIR}/inftrees.c
                          ${VX_ZLIB_DIR}/zutil.c ${CMAKE_SOURCE_DIR}/src/runtime/adler32.cpp
                          ${CMAKE_SOURCE_DIR}/src/runtime/adler32_zlib.cpp)
# BUILDFIXED: the fixed-code tables (2 KB) are computed on first use instead of stored.
target_compile_definitions(vxzlib PRIVATE NO_GZIP BUILDFIXED)
target_compile_options(vxzlib PRIVATE -Oz -flto -malign-data=abi ${VX_LEAN_ARCH_FLAGS} -ffunction-sections -fno-ident
                       -fno-asynchronous-unwind-tables -fno-unwind-tables)
target_include_directories(vxzlib PUBLIC ${VX_ZLIB_DIR} PRIVATE ${CMAKE_SOURCE_DIR}/src)
