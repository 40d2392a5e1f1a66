#!/usr/bin/env python3
"""Measures orvale-build's peak memory (resident set) and time on one source.

Without --source it first writes the all-characters source: every indexed
code point, in code point order, spread over pages of --page-chars
characters, --copies times in the main text and --copies times in
annotation runs, so that all three indexes hold a stream for every
character code while the source stays well under a megabyte. Such a source
has the most streams per source byte there can be, the worst case for a
builder whose memory follows the number of streams rather than the source.

--shape picks other sources of about 9.5 MB that stress what the builder
holds per source byte: "lockstep" (8,000 characters on every page, so that
all their streams grow together to half a block), "tiny-runs" (one volume
line of 880,000 one-character runs), "empty-runs" (one volume line of
3,200,000 empty runs) and "tiny-pages" (one volume line of 560,000
one-character pages).

Prints one line: source bytes, peak RSS, wall and CPU seconds, corpus bytes.

  builder_memory.py --builder build/dev/bin/orvale-build [--variants yitizi.txt]
  builder_memory.py --builder ... --shape tiny-runs
  builder_memory.py --builder ... --source big.jsonl --keep OUT
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

# The code points the index numbers (engine/indexcode.h), each once.
INDEXED_RANGES = [
    (0x3400, 0x9FFF),
    (0xF900, 0xFAFF),
    (0x20000, 0x2A6DF),
    (0x2F800, 0x2FA1F),
    (0x3042, 0x30F6),
    (0xE000, 0xF8FF),
    (0xFB00, 0xFFFF),
]


def indexed_characters():
    return [chr(cp) for first, last in INDEXED_RANGES for cp in range(first, last + 1)]


def write_all_characters(path, copies, page_chars, pages_per_volume):
    chars = indexed_characters()
    pages = []
    for _ in range(copies):
        for i in range(0, len(chars), page_chars):
            piece = "".join(chars[i:i + page_chars])
            half = len(piece) // 2
            # Main text and annotation hold the same characters, crossed over.
            pages.append({"runs": [piece[:half], {"note": piece}, piece[half:]]})
    with open(path, "w", encoding="utf-8") as out:
        for v in range(0, len(pages), pages_per_volume):
            volume = {"category": "字", "title": "全字", "volume": "巻%d" % (v // pages_per_volume + 1),
                      "first_page": 1, "pages": pages[v:v + pages_per_volume]}
            out.write(json.dumps(volume, ensure_ascii=False) + "\n")


def write_line(path, pages):
    volume = {"category": "字", "title": "形", "volume": "巻一", "pages": pages}
    with open(path, "w", encoding="utf-8") as out:
        out.write(json.dumps(volume, ensure_ascii=False, separators=(",", ":")) + "\n")


def write_shape(path, shape):
    chars = [chr(0x4E00 + i) for i in range(20000)]
    if shape == "lockstep":
        text = "".join(chars[:8000])
        pages = [{"runs": [text[:4000], {"note": text[4000:]}]} for _ in range(410)]
        with open(path, "w", encoding="utf-8") as out:
            for v in range(0, len(pages), 20):
                volume = {"category": "字", "title": "形", "volume": "巻%d" % (v // 20 + 1),
                          "pages": pages[v:v + 20]}
                out.write(json.dumps(volume, ensure_ascii=False) + "\n")
    elif shape == "tiny-runs":
        runs = [chars[i % len(chars)] for i in range(880000)]
        runs = [r if i % 2 else {"note": r} for i, r in enumerate(runs)]
        write_line(path, [{"runs": runs[i:i + 40]} for i in range(0, len(runs), 40)])
    elif shape == "empty-runs":
        write_line(path, [{"runs": [""] * 2000} for _ in range(1600)])
    elif shape == "tiny-pages":
        write_line(path, [{"runs": [chars[i % len(chars)]]} for i in range(560000)])


def folder_bytes(folder):
    return sum(os.path.getsize(os.path.join(folder, name)) for name in os.listdir(folder))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--builder", help="the orvale-build program")
    parser.add_argument("--source", help="source to build (default: the all-characters source)")
    parser.add_argument("--variants", help="variant table passed to the builder")
    parser.add_argument("--shape", default="all-characters",
                        choices=["all-characters", "lockstep", "tiny-runs", "empty-runs",
                                 "tiny-pages"])
    parser.add_argument("--copies", type=int, default=1)
    parser.add_argument("--page-chars", type=int, default=400)
    parser.add_argument("--pages-per-volume", type=int, default=50)
    parser.add_argument("--write-source", help="only write the all-characters source here")
    parser.add_argument("--keep", help="build into this folder and keep it")
    parser.add_argument("--no-accelerator", action="store_true")
    args = parser.parse_args()

    def write_source(path):
        if args.shape == "all-characters":
            write_all_characters(path, args.copies, args.page_chars, args.pages_per_volume)
        else:
            write_shape(path, args.shape)

    if args.write_source:
        write_source(args.write_source)
        return 0
    if not args.builder:
        parser.error("give --builder (or --write-source)")
    with tempfile.TemporaryDirectory(prefix="builder-memory-") as work:
        source = args.source
        if not source:
            source = os.path.join(work, args.shape + ".jsonl")
            # Written by another process: a child's peak RSS counts the
            # memory of the process it was started from, and writing the
            # source takes far more than the builder may.
            subprocess.run([sys.executable, __file__, "--write-source", source, "--shape",
                            args.shape, "--copies", str(args.copies), "--page-chars",
                            str(args.page_chars), "--pages-per-volume",
                            str(args.pages_per_volume)], check=True)
        out = args.keep or os.path.join(work, "corpus")
        command = [args.builder, source, out]
        if args.variants:
            command += ["--variants", args.variants]
        if args.no_accelerator:
            command.append("--no-accelerator")
        start = time.monotonic()
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.monotonic() - start
        errors = process.stderr.read().decode("utf-8", "replace")
        process.stderr.close()
        if os.waitstatus_to_exitcode(status) != 0:
            sys.stderr.write(errors)
            return 1
        print("source %d bytes: peak RSS %.1f MB, %.2f s wall, %.2f s CPU, corpus %d bytes" %
              (os.path.getsize(source), usage.ru_maxrss / 1024, wall,
               usage.ru_utime + usage.ru_stime, folder_bytes(out)))
        if not args.keep:
            shutil.rmtree(out, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
