#!/usr/bin/env python3
"""Size report of a linked exe from its GNU ld map: the file size, the bytes each input
(object file, archive member, import library) puts into the image, and a budget check.

    size_report.py EXE MAP [--budget BYTES] [--top N]

Exits with 1 when EXE is larger than the budget.
"""
import argparse
import os
import re
import sys

# Output sections that take no room in the file.
NO_FILE_SECTIONS = {".bss", ".tls$", "/DISCARD/"}
ENTRY = re.compile(r"^ (\S+)?\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
CONTINUATION = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
OUTPUT_SECTION = re.compile(r"^(\.\S+|/DISCARD/)")


def short_name(path):
    """libfoo.a(member.o) for archive members, the path below the build tree for objects;
    import libraries (one tiny member per imported function) count as one contributor."""
    m = re.match(r"^(.*?)([^/]+\.a)\((.+)\)$", path)
    if m:
        lib, member = m.group(2), m.group(3)
        if re.match(r"^(lib\w+s\d+|d\w*\d+)\.o$", member) or member.endswith("_iname.o") \
                or member.endswith("_h.o") or member.endswith("_t.o"):
            return f"{lib} (imports)"
        return f"{lib}({member})"
    if "CMakeFiles/" in path:
        path = path.split("CMakeFiles/", 1)[1]
        path = path.split(".dir/", 1)[-1]
    return os.path.basename(path) if path.startswith("/usr/") else path


def contributors(map_text):
    sizes = {}
    in_map = False
    section = None
    pending = False  # an input section name stood alone on the previous line
    for line in map_text.splitlines():
        if not in_map:
            in_map = line.startswith("Linker script and memory map")
            continue
        m = OUTPUT_SECTION.match(line)
        if m:
            section = m.group(1)
            pending = False
            continue
        if section is None or section in NO_FILE_SECTIONS or section.startswith((".debug", ".zdebug", ".stab")):
            continue
        m = ENTRY.match(line)
        if m and m.group(1) and not m.group(1).startswith("0x"):
            size, owner = int(m.group(3), 16), m.group(4)
        else:
            c = CONTINUATION.match(line) if pending else None
            if line.startswith(" .") and len(line.split()) == 1:
                pending = True
                continue
            pending = False
            if not c:
                continue
            size, owner = int(c.group(2), 16), c.group(3)
        pending = False
        if owner == "dll stuff":  # what the linker makes itself (base relocations)
            owner = f"linker-made {section}"
        if size == 0 or owner.startswith("*") or owner.startswith("load address"):
            continue
        name = short_name(owner.strip())
        sizes[name] = sizes.get(name, 0) + size
    return sizes


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("exe")
    ap.add_argument("map")
    ap.add_argument("--budget", type=int, default=0)
    ap.add_argument("--top", type=int, default=10)
    args = ap.parse_args()
    size = os.path.getsize(args.exe)
    with open(args.map, encoding="utf-8", errors="replace") as f:
        sizes = contributors(f.read())
    ranked = sorted(sizes.items(), key=lambda kv: -kv[1])
    name = os.path.basename(args.exe)
    print(f"{name}: {size} bytes" + (f" (budget {args.budget})" if args.budget else ""))
    print(f"largest contributors (of {sum(sizes.values())} bytes of sections, from {os.path.basename(args.map)}):")
    for owner, n in ranked[:args.top]:
        print(f"  {n:8d}  {owner}")
    if args.budget and size > args.budget:
        print(f"{name}: {size} bytes is above the budget of {args.budget} bytes", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
