#!/usr/bin/env python3
"""Writes an extraction benchmark corpus (fixed seeds, so every run gets the same bytes).

  make_corpus.py DIR [BIG_MB]

Two shapes: the mixed corpus (BIG_MB above 0) holds everything below; the many-files corpus
(BIG_MB 0) leaves the big file out: about 2,700 files and 280 MiB, where the cost per file
decides.

text/      400 files of 256 KiB of word text                        (~100 MiB, compresses ~3:1)
small/     2000 files of 1..16 KiB of word text                     (~17 MiB, per-file cost)
binary/    executables and libraries of this system, up to 100 MiB (machine code)
random/    12 files of 5 MiB of pseudo-random bytes                 (60 MiB, incompressible)
big.log    BIG_MB (default 1024) MiB of one repeated line            (compresses ~1000:1; none for 0)
"""
import os
import random
import sys

MiB = 1 << 20


def vocabulary(rng):
    vocab = ["".join(rng.choice("etaoinshrdlucmfwypvbgkqjxz") for _ in range(rng.randint(2, 11)))
             for _ in range(6000)]
    cum, total = [], 0.0
    for i in range(len(vocab)):
        total += 1.0 / (i + 1)  # Zipf-like frequencies
        cum.append(total)
    return vocab, cum


def text_bytes(rng, vocab, cum, size):
    picked = rng.choices(vocab, cum_weights=cum, k=size // 5 + 16)
    for i in range(11, len(picked), 12):
        picked[i] += ".\n"
    data = " ".join(picked).encode()
    while len(data) < size:
        data += data
    return data[:size]


def main():
    root = sys.argv[1]
    big_mb = int(sys.argv[2]) if len(sys.argv) > 2 else 1024
    rng = random.Random(20261210)
    vocab, cum = vocabulary(rng)
    for sub in ("text", "small", "binary", "random"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    for i in range(400):
        with open(os.path.join(root, "text", "doc%03d.txt" % i), "wb") as f:
            f.write(text_bytes(rng, vocab, cum, 256 * 1024))
    for i in range(2000):
        with open(os.path.join(root, "small", "note%04d.txt" % i), "wb") as f:
            f.write(text_bytes(rng, vocab, cum, rng.randint(1024, 16 * 1024)))
    budget = 100 * MiB
    for folder in ("/usr/bin", "/usr/lib/x86_64-linux-gnu"):
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if budget <= 0 or os.path.islink(path) or not os.path.isfile(path):
                continue
            size = os.path.getsize(path)
            if size == 0 or size > budget or size > 20 * MiB:
                continue
            with open(path, "rb") as src, open(os.path.join(root, "binary", name), "wb") as dst:
                dst.write(src.read())
            budget -= size
    for i in range(12):
        with open(os.path.join(root, "random", "blob%02d.bin" % i), "wb") as f:
            f.write(rng.randbytes(5 * MiB))
    if big_mb <= 0:
        return
    line = b"2026-12-10 05:39:25 INFO vornix.bench worker=7 state=idle queue=0 latency_ms=12\n"
    block = line * (MiB // len(line) + 1)
    with open(os.path.join(root, "big.log"), "wb") as f:
        left = big_mb * MiB
        while left > 0:
            n = min(left, len(block))
            f.write(block[:n])
            left -= n


if __name__ == "__main__":
    main()
