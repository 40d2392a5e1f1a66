#!/usr/bin/env python3
"""Writes a corpus source of random classical-looking text for measuring
orvale-build: about --chars indexed characters drawn from 6,000 CJK
ideographs with Zipf-like frequencies, pages of about 400 characters with
punctuation, paragraph breaks and annotation runs making up about a fifth of
the text. Deterministic from --seed."""

import argparse
import json
import random
import sys


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--chars", type=int, default=20_000_000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--pages-per-volume", type=int, default=250)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    alphabet = [chr(0x4E00 + i * 3) for i in range(6000)]
    weights = [1.0 / (rank + 1) for rank in range(len(alphabet))]
    out = sys.stdout
    written = 0
    volume = 0
    while written < args.chars:
        pages = []
        for _ in range(args.pages_per_volume):
            text = rng.choices(alphabet, weights, k=400)
            written += len(text)
            runs = []
            i = 0
            while i < len(text):
                n = rng.randint(10, 60)
                piece = "".join(text[i:i + n])
                if rng.random() < 0.3:
                    piece += "。"
                if rng.random() < 0.05:
                    piece += "\n"
                runs.append({"note": piece} if rng.random() < 0.2 else piece)
                i += n
            pages.append({"runs": runs})
        line = {"category": "類%d" % (volume // 400), "title": "書%d" % (volume // 8),
                "volume": "巻%d" % (volume % 8 + 1), "pages": pages}
        out.write(json.dumps(line, ensure_ascii=False) + "\n")
        volume += 1


if __name__ == "__main__":
    main()
