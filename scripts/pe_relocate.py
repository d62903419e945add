#!/usr/bin/env python3
"""Move a PE image's header block (signature, file header, optional header, section table)
to file offset 256 and point e_lfanew there, leaving bytes 252..255 zero.

Packages appended to the launcher find the PE signature at the fixed offset 256 and keep
their package-end field in the four bytes before it. Fails loudly when the headers do not fit.

Also fills in the import directory when the linker left it empty: GNU ld takes it from an
output section named .idata, and the launcher's linker script puts the import tables into the
code section (scripts/lean_linker_script.py). Without it the loader binds no import at all.
"""
import struct
import sys

TARGET = 256


def rva_to_offset(data, opt, opt_size, nsect, rva):
    """File offset of an RVA, or None when no section holds it."""
    table = opt + opt_size
    for i in range(nsect):
        vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if vaddr <= rva < vaddr + max(vsize, rawsize):
            return rawptr + rva - vaddr
    return None


def fill_import_directory(path, data, opt, opt_size, nsect):
    """The import descriptors are the table, ended by an empty one, whose first entry's import
    address list (FirstThunk, at +16) is the start of the import address table (directory 12)
    and every entry's list lies inside that table."""
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs = opt + (96 if magic == 0x10B else 112)
    imp_rva, imp_size = struct.unpack_from("<II", data, dirs + 8 * 1)
    iat_rva, iat_size = struct.unpack_from("<II", data, dirs + 8 * 12)
    if imp_rva != 0 or iat_rva == 0:
        return
    iat_off = rva_to_offset(data, opt, opt_size, nsect, iat_rva)
    needle = struct.pack("<I", iat_rva)
    pos = data.find(needle, 16)
    while pos >= 0:
        start = pos - 16
        count, off = 0, start
        while True:
            ilt, _, _, name, thunk = struct.unpack_from("<IIIII", data, off)
            if (ilt, name, thunk) == (0, 0, 0):
                break
            if not (iat_rva <= thunk < iat_rva + iat_size and name != 0):
                count = 0
                break
            count += 1
            off += 20
        if count > 0 and start < iat_off:
            delta = iat_rva - iat_off
            struct.pack_into("<II", data, dirs + 8 * 1, start + delta, 20 * (count + 1))
            return
        pos = data.find(needle, pos + 1)
    sys.exit(f"pe_relocate: {path}: the import directory is empty and no import table was found")


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
    fill_import_directory(path, data, opt, opt_size, nsect)
    if TARGET + block_len > limit:
        sys.exit(f"pe_relocate: {path}: headers ({block_len} bytes) do not fit between "
                 f"{TARGET} and {limit}")
    if lfanew != TARGET:
        block = bytes(data[lfanew:lfanew + block_len])
        for i in range(lfanew, limit):
            data[i] = 0
        data[TARGET:TARGET + block_len] = block
        struct.pack_into("<I", data, 0x3C, TARGET)
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
