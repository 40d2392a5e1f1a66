#!/usr/bin/env python3
"""Writes a corpus source of one volume whose one page holds 4,194,304
characters drawn from 52 common characters and 2,000 more ideographs, with an
annotation run of four characters after every 3,996: the page that the
composition timings of bench/results use.

    bench/compose/make_long_page.py OUT.jsonl
    orvale-build OUT.jsonl CORPUS
    orvale-cli --data CORPUS page 0 [--variants] --keywords "之 而 不 ..."
"""
import json
import random
import sys

COMMON = "之而不其以為也者於人有所此則無子曰天下是中大可與知言一日君上道心行如得時生見事月山水風雲花鳥春秋東西南北"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    random.seed(1)
    alphabet = COMMON + "".join(chr(0x4E00 + i) for i in range(2000))
    text = "".join(random.choice(alphabet) for _ in range(4194304))
    runs = []
    for i in range(0, len(text), 4000):
        runs.append(text[i:i + 3996])
        runs.append({"note": text[i + 3996:i + 4000]})
    volume = {"category": "甲", "title": "乙", "volume": "丙", "first_page": 1, "pages": [{"runs": runs}]}
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write(json.dumps(volume, ensure_ascii=False) + "\n")


if __name__ == "__main__":
    main()
