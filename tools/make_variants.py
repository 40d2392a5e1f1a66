#!/usr/bin/env python3
"""Writes the variant table (yitizi.txt) from the Unihan variants file.

Characters linked by kTraditionalVariant, kSimplifiedVariant, kZVariant or
kSemanticVariant, in either direction, fall into one group: every connected
set of characters becomes one line of upper-case hexadecimal code points
separated by commas. Members are written in ascending code point order and
groups are ordered by their smallest member, so the output depends only on
the input file.

Usage: make_variants.py UNIHAN_VARIANTS OUTPUT
UNIHAN_VARIANTS is Unihan_Variants.txt or its .bz2 form.
"""

import bz2
import sys

LINK_FIELDS = (
    "kTraditionalVariant",
    "kSimplifiedVariant",
    "kZVariant",
    "kSemanticVariant",
)


class VariantError(Exception):
    pass


def parse_code_point(text, line_no):
    """Reads "U+4E00" or "U+4E94<kMatthews" and returns the code point."""
    value = text.split("<", 1)[0]
    if not value.startswith("U+"):
        raise VariantError(f"line {line_no}: not a code point: {text!r}")
    try:
        code = int(value[2:], 16)
    except ValueError:
        raise VariantError(f"line {line_no}: not a code point: {text!r}") from None
    if not 0 < code <= 0x10FFFF:
        raise VariantError(f"line {line_no}: code point out of range: {text!r}")
    return code


def read_links(lines):
    """Yields (code point, code point) for every link of the four fields."""
    for line_no, line in enumerate(lines, 1):
        line = line.rstrip("\r\n")
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 3:
            raise VariantError(f"line {line_no}: expected three tab-separated fields")
        if fields[1] not in LINK_FIELDS:
            continue
        source = parse_code_point(fields[0], line_no)
        for target in fields[2].split():
            yield source, parse_code_point(target, line_no)


def variant_groups(lines):
    """Returns the connected sets of linked characters, each sorted, ordered
    by their smallest member. Characters linked only to themselves form no
    group."""
    parent = {}

    def find(code):
        root = code
        while parent[root] != root:
            root = parent[root]
        while parent[code] != root:
            parent[code], code = root, parent[code]
        return root

    for a, b in read_links(lines):
        parent.setdefault(a, a)
        parent.setdefault(b, b)
        ra, rb = find(a), find(b)
        if ra != rb:
            parent[max(ra, rb)] = min(ra, rb)

    members = {}
    for code in parent:
        members.setdefault(find(code), []).append(code)
    groups = [sorted(group) for group in members.values() if len(group) > 1]
    groups.sort(key=lambda group: group[0])
    return groups


def format_groups(groups):
    return "".join(",".join(f"{code:04X}" for code in group) + "\n" for group in groups)


def open_text(path):
    if path.endswith(".bz2"):
        return bz2.open(path, "rt", encoding="utf-8")
    return open(path, "r", encoding="utf-8")


def main(argv):
    if len(argv) != 3 or argv[1] in ("-h", "--help"):
        print("usage: make_variants.py UNIHAN_VARIANTS OUTPUT", file=sys.stderr)
        return 2 if len(argv) != 2 else 0
    try:
        with open_text(argv[1]) as source:
            groups = variant_groups(source)
    except (OSError, UnicodeDecodeError, VariantError) as error:
        print(f"make_variants.py: {argv[1]}: {error}", file=sys.stderr)
        return 2
    with open(argv[2], "w", encoding="ascii", newline="\n") as out:
        out.write(format_groups(groups))
    sizes = [len(group) for group in groups]
    print(f"{len(groups)} variant groups, largest {max(sizes, default=0)} characters")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
