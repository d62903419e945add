#!/usr/bin/env python3
"""The linker script of the shipped launcher, made from the linker's own default script (the
output of `ld --verbose`, read from standard input) with two changes:

- the read-only data (.rdata) and the import tables (.idata) go into the code section, so the
  image has two sections fewer and loses the padding that rounds each one up to 512 bytes in the
  file. Both are read-only once the loader has filled in the import addresses, as in the images
  of other Windows toolchains, which keep the import tables among their read-only data;
- the call-frame tables (.eh_frame) are dropped: they serve only an exception unwinder, and the
  launcher links none (the C library parts and zlib bring them along regardless).

    lean_linker_script.py < default.ld > launcher.ld
Fails loudly when the default script does not have the expected shape.
"""
import re
import sys


def section_block(script, name):
    """(start, end, body) of the output section statement `name BLOCK(...) : { body }`."""
    m = re.search(r"\n  " + re.escape(name) + r" BLOCK\(__section_alignment__\) :\n  \{\n(.*?)\n  \}\n",
                  script, re.S)
    if not m:
        sys.exit(f"lean_linker_script: no {name} section in the default script")
    return m.start() + 1, m.end(), m.group(1)


def main():
    text = sys.stdin.read()
    parts = text.split("=" * 50 + "\n")
    if len(parts) < 3:
        sys.exit("lean_linker_script: no default script in the input (expected `ld --verbose`)")
    script = parts[1]

    start, end, rdata = section_block(script, ".rdata")
    script = script[:start] + script[end:]
    start, end, idata = section_block(script, ".idata")
    script = script[:start] + script[end:]
    start, end, _ = section_block(script, ".eh_frame")
    script = script[:start] + script[end:]

    # Without an output section named .idata the linker finds the import directory and the
    # import address table through symbols of these names, which it takes for addresses
    # relative to the image (RVAs): they mark the parts here.
    for part in ("2", "4", "5", "6"):
        keep = f"KEEP (SORT(*)(.idata${part}))"
        if keep not in idata and f"SORT(*)(.idata${part})" not in idata:
            sys.exit(f"lean_linker_script: no .idata${part} in the import tables")
        idata = re.sub(r"(\n\s*)((?:KEEP \()?SORT\(\*\)\(\.idata\$" + part + r"\)\)?)",
                       r'\1".idata$' + part + r'" = ABSOLUTE(. - __image_base__);\1\2', idata, count=1)

    code_end = "     KEEP (*(.gcc_except_table))\n  }"
    if script.count(code_end) != 1:
        sys.exit("lean_linker_script: the end of the .text section was not found")
    script = script.replace(code_end, code_end[:-4] + "\n" + rdata + "\n" + idata + "\n  }")

    discard = "  /DISCARD/ :\n  {\n"
    if script.count(discard) != 1:
        sys.exit("lean_linker_script: no /DISCARD/ statement in the default script")
    script = script.replace(discard, discard + "    *(.eh_frame*)\n")
    sys.stdout.write("/* Made by scripts/lean_linker_script.py from the linker's default script. */\n")
    sys.stdout.write(script)


if __name__ == "__main__":
    main()
