#!/usr/bin/env python3
"""Move a PE image's header block (signature, file header, optional header, section table)
to file offset 256 and point e_lfanew there, leaving bytes 252..255 zero.

Packages appended to the launcher find the PE signature at the fixed offset 256 and keep
their package-end field in the four bytes before it. Fails loudly when the headers do not fit.
"""
import struct
import sys

TARGET = 256


def main(path):
    data = bytearray(open(path, "rb").read())
    if data[:2] != b"MZ":
        sys.exit(f"pe_relocate: {path}: not an MZ image")
    lfanew = struct.unpack_from("<I", data, 0x3C)[0]
    if data[lfanew:lfanew + 4] != b"PE\0\0":
        sys.exit(f"pe_relocate: {path}: no PE signature at e_lfanew={lfanew:#x}")
    nsect = struct.unpack_from("<H", data, lfanew + 6)[0]
    opt_size = struct.unpack_from("<H", data, lfanew + 20)[0]
    block_len = 4 + 20 + opt_size + 40 * nsect
    opt = lfanew + 24
    size_of_headers = struct.unpack_from("<I", data, opt + 60)[0]
    first_raw = min((struct.unpack_from("<I", data, lfanew + 24 + opt_size + 40 * i + 20)[0]
                     for i in range(nsect)
                     if struct.unpack_from("<I", data, lfanew + 24 + opt_size + 40 * i + 20)[0]),
                    default=size_of_headers)
    limit = min(size_of_headers, first_raw)
    if TARGET + block_len > limit:
        sys.exit(f"pe_relocate: {path}: headers ({block_len} bytes) do not fit between "
                 f"{TARGET} and {limit}")
    if lfanew != TARGET:
        block = bytes(data[lfanew:lfanew + block_len])
        for i in range(lfanew, limit):
            data[i] = 0
        data[TARGET:TARGET + block_len] = block
        struct.pack_into("<I", data, 0x3C, TARGET)
    # An image that has an import address table must have an import directory, or the loader
    # binds nothing (the launcher's linker script keeps the import tables in the code section).
    magic = struct.unpack_from("<H", data, TARGET + 24)[0]
    directories = TARGET + 24 + (96 if magic == 0x10B else 112)
    imports, iat = (struct.unpack_from("<I", data, directories + 8 * i)[0] for i in (1, 12))
    if iat != 0 and imports == 0:
        sys.exit(f"pe_relocate: {path}: import address table without an import directory")
    data[252:256] = b"\0\0\0\0"
    # The checksum field is not used by the loader for user-mode programs; clear it.
    struct.pack_into("<I", data, TARGET + 24 + 64, 0)
    open(path, "wb").write(data)
    if data[256:258] != b"PE" or data[252:256] != b"\0\0\0\0":
        sys.exit(f"pe_relocate: {path}: post-check failed")
    print(f"pe_relocate: {path}: PE header at {TARGET}, headers end at {TARGET + block_len}, "
          f"size {len(data)} bytes")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: pe_relocate.py EXE")
    main(sys.argv[1])
