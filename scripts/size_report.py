#!/usr/bin/env python3
"""Size report of a linked exe from its GNU ld map: the file size, the bytes each input (object
file, archive member, import library) puts into the image, and a budget check.

    size_report.py EXE MAP [--budget BYTES] [--top N] [--objects FILE... --lto-dump PROGRAM] [--out FILE]

With link-time optimisation the project's code reaches the map as the compiler's ltrans objects;
given the project's objects (--objects) and GCC's lto-dump to list their symbols, each function
and data item is counted for the source object that defined it (code inlined into a function
counts for that function's object; string constants merged across objects are counted apart).
Exits with 1 when EXE is larger than the budget.
"""
import argparse
import os
import re
import subprocess
import sys

# Output sections that take no room in the file.
NO_FILE_SECTIONS = {".bss", "/DISCARD/"}
ENTRY = re.compile(r"^ (\S+)\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
CONTINUATION = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
OUTPUT_SECTION = re.compile(r"^(\.\S+|/DISCARD/)")
# Members of import libraries: one per imported function, plus a head and a tail per library.
IMPORT_MEMBER = re.compile(r"^(lib\w+s\d+|lib\w+[ht]|d\w*?\d+|\w+_iname)\.o$")


def short_name(path):
    """libfoo.a(member.o) for archive members, the path below the build tree for objects;
    import libraries (one tiny member per imported function) count as one contributor."""
    m = re.match(r"^(.*?)([^/]+\.a)\((.+)\)$", path)
    if m:
        lib, member = m.group(2), m.group(3)
        if IMPORT_MEMBER.match(member):
            return f"{lib} (imports)"
        return f"{lib}({member})"
    if "CMakeFiles/" in path:
        path = path.split("CMakeFiles/", 1)[1]
        path = path.split(".dir/", 1)[-1]
    if path.startswith("./"):
        path = path[2:]
    return os.path.basename(path) if path.startswith("/usr/") else path


def symbol_owners(lto_dump, objects):
    """Symbol name (as in section names) -> source object, from the objects' LTO symbol tables,
    which also list the functions and data local to a source (anonymous namespaces, statics)."""
    owners = {}
    for obj in objects:
        if not obj.endswith((".o", ".obj")):
            continue
        out = subprocess.run([lto_dump, "-list", "-defined-only", obj], capture_output=True, text=True).stdout
        for line in out.splitlines()[1:]:
            fields = line.split()
            if len(fields) >= 4:
                owners.setdefault(re.sub(r"@\d+$", "", fields[3]), short_name(obj))
    return owners


def contributors(map_text, owners):
    sizes = {}
    in_map = False
    section = None
    pending = None  # an input section name that stood alone on the previous line
    for line in map_text.splitlines():
        if not in_map:
            in_map = line.startswith("Linker script and memory map")
            continue
        m = OUTPUT_SECTION.match(line)
        if m:
            section, pending = m.group(1), None
            continue
        if section is None or section in NO_FILE_SECTIONS or section.startswith((".debug", ".zdebug", ".stab")):
            continue
        m = ENTRY.match(line)
        if m and not m.group(1).startswith("0x"):
            name, size, owner = m.group(1), int(m.group(3), 16), m.group(4)
        else:
            c = CONTINUATION.match(line) if pending else None
            if c is None:
                pending = line.strip() if line.startswith(" .") and len(line.split()) == 1 else None
                continue
            name, size, owner = pending, int(c.group(2), 16), c.group(3)
        pending = None
        if owner == "dll stuff":  # what the linker makes itself (base relocations)
            owner = f"linker-made {section}"
        if size == 0 or owner.startswith("*") or owner.startswith("load address"):
            continue
        owner = owner.strip()
        if ".ltrans" in owner:
            symbol = name.split("$", 1)[1] if "$" in name else ""
            base = symbol.split(".", 1)[0]
            who = owners.get(symbol) or owners.get(base)
            if who:
                label = who
            elif section in (".rdata", ".data"):
                label = "own constants and data (LTO, not attributed)"
            else:
                label = "own code (LTO, not attributed)"
        else:
            label = short_name(owner)
        sizes[label] = sizes.get(label, 0) + size
    return sizes


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("exe")
    ap.add_argument("map")
    ap.add_argument("--budget", type=int, default=0)
    ap.add_argument("--top", type=int, default=10)
    ap.add_argument("--objects", nargs="*", default=[])
    ap.add_argument("--lto-dump", default="lto-dump")
    ap.add_argument("--out", help="also write the report to this file")
    args = ap.parse_args()
    size = os.path.getsize(args.exe)
    owners = symbol_owners(args.lto_dump, args.objects) if args.objects else {}
    with open(args.map, encoding="utf-8", errors="replace") as f:
        sizes = contributors(f.read(), owners)
    ranked = sorted(sizes.items(), key=lambda kv: -kv[1])
    name = os.path.basename(args.exe)
    lines = [f"{name}: {size} bytes" + (f" (budget {args.budget})" if args.budget else ""),
             f"largest contributors (of {sum(sizes.values())} bytes in sections, from {os.path.basename(args.map)}):"]
    lines += [f"  {n:8d}  {owner}" for owner, n in ranked[:args.top]]
    print("\n".join(lines))
    if args.out:
        with open(args.out, "w") as f:
            f.write("\n".join(lines) + "\n")
    if args.budget and size > args.budget:
        print(f"{name}: {size} bytes is above the budget of {args.budget} bytes", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
