#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into seeds/<target>/.

Each seed is a small valid (or deliberately damaged) input in the layout its
target reads; see the comment at the top of each *_target.cpp.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
KEY = 0xA7


def u8(v):
    return struct.pack("<B", v)


def u16(v):
    return struct.pack("<H", v)


def u32(v):
    return struct.pack("<I", v)


def packed(v):
    if v < 0x80:
        return u8(v)
    if v < 0x4000:
        return u8(0x80 | (v >> 8)) + u8(v & 0xFF)
    return u8(0xC0 | (v >> 16)) + u8((v >> 8) & 0xFF) + u8(v & 0xFF)


def stream(entries):
    """entries: [(page, [absolute positions])] ascending."""
    out = b""
    prev = 0
    for page, positions in entries:
        body = b""
        last = 0
        for i, p in enumerate(positions):
            body += packed(p if i == 0 else p - last)
            last = p
        out += packed(page - prev) + u16(len(body)) + body
        prev = page
    return out


def block(data):
    assert len(data) <= 4096
    return data + b"\0" * (4096 - len(data))


def write(target, name, data):
    folder = os.path.join(HERE, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


NONE = 0xFFFFFFFF


def index_input(flags, codes, nexts, postings):
    """codes: four (firstBlock, lastPage) for 一 二 三 四."""
    out = u8(flags)
    for first, last in codes:
        out += u32(first) + u32(last)
    out += u8(len(nexts)) + b"".join(u32(n) for n in nexts)
    return out + postings


def index_seeds():
    one = stream([(0, [0, 4]), (1, [2])])
    two = stream([(0, [1, 5]), (1, [3])])
    three = stream([(0, [2])])
    four = stream([(0, [3]), (2, [0])])
    postings = block(one) + block(two) + three
    write("indexfiles", "two-pages", index_input(
        0, [(0, 1), (1, 1), (2, 0), (NONE, 0)], [NONE, NONE, NONE], postings))
    # 一's stream crosses from block 2 into block 0; 二 and 四 sit in block 1.
    long_one = stream([(p, [p % 7]) for p in range(1200)])
    chained = (block(long_one[4096:]) + block(two)
               + block(long_one[:4096]))
    write("indexfiles", "chain", index_input(
        0, [(2, 1199), (1, 1), (NONE, 0), (NONE, 0)], [NONE, NONE, 0], chained))
    # A chain that loops: block 0 follows itself and the last page is never met.
    write("indexfiles", "loop", index_input(
        0, [(0, 4000000), (NONE, 0), (NONE, 0), (NONE, 0)], [0], block(one)))
    write("indexfiles", "past-end", index_input(
        1, [(0, 4000000), (7, 3), (NONE, 0), (NONE, 0)], [99], one))
    write("indexfiles", "no-next-table", index_input(
        0, [(0, 1), (NONE, 0), (0, 0), (NONE, 0)], [], one + four))
    write("indexfiles", "short-header", index_input(2, [(0, 0)] * 4, [], one))
    write("indexfiles", "no-postings", index_input(0x40, [(0, 1)] * 4, [], b""))


def store_header(width, records, value=3):
    head = u32(value) + u32(width) + b"\0" * 260
    for name, end, length in records:
        raw = name.encode("utf-8")[:width]
        head += raw + b"\0" * (width - len(raw)) + u32(end) + u32(length)
    return head


def page(title, cell, odd):
    cells = ("<TD></TD><TD>" + cell + "</TD>") if odd else ("<TD>" + cell + "</TD><TD></TD>")
    return ("<html><head><title>" + title + "</title></head><body><table><tr>" + cells
            + "</tr></table></body></html>").encode("utf-8")


NOTE = '<font size=-1 color="#993366">'


def store_input(flags, first, page_no, far, header, content):
    scrambled = bytes(b ^ KEY for b in content)
    return u8(flags) + u8(first) + u16(page_no) + u32(far) + u16(len(header)) + header + scrambled


def pagestore_seeds():
    pages = [page("one", "一二三四<p>一五三", False),
             page("two", "二" + NOTE + "三四</font>一二", True),
             page("three", "一二三四一二三四", False)]
    content = b""
    records = []
    for i, p in enumerate(pages):
        content += p
        records.append(("a\\b\\%04d.htm" % (i + 1), len(content), len(p)))
    write("pagestore", "three-pages",
          store_input(0, 0, 2, 1, store_header(16, records), content))
    write("pagestore", "variants-layer",
          store_input(7, 1, 3, 5, store_header(100, records), content))
    bad = records[:1] + [("a\\b\\0002.htm", 0xFFFFFFF0, 0x100), ("a\\b\\.htm", 5, 9)]
    write("pagestore", "past-content", store_input(1, 0, 0, 2, store_header(16, bad), content))
    write("pagestore", "zero-width", store_input(2, 0, 1, 0, store_header(0, []), content))
    write("pagestore", "cut-record",
          store_input(3, 0, 1, 0, store_header(16, records)[:300], content))


def catalogue_record(name, level, doc_id, doc_no, first_page):
    raw = name.encode("utf-16-le")[:198]
    return raw + b"\0" * (200 - len(raw)) + struct.pack("<iiiH", level, doc_id, doc_no,
                                                        first_page) + b"\0\0"


def catalogue_seeds():
    records = [catalogue_record("經部", 1, 1, 30, 1),
               catalogue_record("周易", 2, 1, 20, 1),
               catalogue_record("卷一", 3, 1, 10, 1),
               catalogue_record("卷二", 3, 11, 10, 1),
               catalogue_record("尚書", 2, 21, 10, 5),
               catalogue_record("卷一", 3, 21, 10, 5)]
    write("catalogue", "two-titles", b"".join(records))
    write("catalogue", "cut-record", b"".join(records[:3]) + records[3][:100])
    orphans = [catalogue_record("卷", 3, 1, 5, 1), catalogue_record("書", 2, 6, 5, 1),
               catalogue_record("x", 9, -5, -1, 65535),
               catalogue_record("y", 1, 0x7FFFFFFF, 0x7FFFFFFF, 0)]
    write("catalogue", "orphans-and-extremes", b"".join(orphans))


def variants_input(cps, keyword, table):
    units = keyword.encode("utf-16-le")
    return (u32(cps[0]) + u32(cps[1]) + u16(cps[2]) + u8(len(units) // 2) + units
            + table.encode("latin-1"))


def variants_seeds():
    write("variants", "groups", variants_input(
        (0x4E00, 0x58F9, 0x8CB3), "一二*", "4E00,58F9,5F0C\n4E8C,8CB3\n4E5D,7396\n"))
    write("variants", "crlf-and-blanks", variants_input(
        (0x5F0C, 0x20000, 0), "壹 貳", "4E00,58F9\r\n\r\n,,\n\n0x4E8C, 8CB3,\n20000,4E00\n"))
    write("variants", "absurd", variants_input(
        (0, 0xFFFFFFFF, 0xD800), "一", "zz,-1,FFFFFFFFFFFFFFFF,  +7F,0x,\x00\xff,4E00\n" * 3))


ALPHABET = {"一": 0, "二": 1, "三": 2, "四": 3, "五": 4, "六": 5, "七": 6, "八": 7, "九": 8,
            "壹": 9, "弌": 10, "貳": 11, "玖": 12, "*": 13, "?": 14, "？": 15, " ": 16,
            "\u3000": 17, "A": 18, "𠀀": 23}


def query_input(flags, text):
    return u8(flags) + bytes(ALPHABET[c] for c in text)


def query_seeds():
    write("query", "phrase", query_input(2, "一二三"))
    write("query", "star", query_input(2, "一*三"))
    write("query", "gap-variants", query_input(6, "壹?三"))
    write("query", "or", query_input(10, "九 七七 𠀀"))
    write("query", "refused", query_input(2, "一A"))
    write("query", "raw-units", u8(3) + "一二 三\ud840\udc00".encode("utf-16-le", "surrogatepass"))


def piece(data):
    return u16(len(data)) + data


def highlight_seeds():
    write("highlight", "star-barrier",
          u8(0) + piece("一*三".encode()) + "一二<p>三一二三".encode())
    write("highlight", "gaps", u8(2) + piece("一??四".encode()) + "一二三四一四".encode())
    write("highlight", "units",
          u8(1) + piece("二?".encode("utf-16-le")) + "<b>二</b>二三".encode())


def composer_input(flags, keywords, extras, page_bytes):
    units = keywords.encode("utf-16-le")
    return u8(flags) + u8(len(units) // 2) + units + bytes(extras) + page_bytes


def composer_seeds():
    text = "一二三" + NOTE + "四五</font>六<p>一二"
    write("composer", "even-page", composer_input(0, "一二 五", [1, 0, 0, 0], page("t", text, False)))
    write("composer", "odd-notes", composer_input(5, "四*六", [0, 2, 0], page("t", text, True)))
    write("composer", "broken-markup", composer_input(
        2, "一?三", [2, 1, 0], b"<title>x<TD>" + "一<二>三<".encode() + b"<TD</TD><font"))


def corpusopen_input(flags, manifest, extra, table):
    return u8(flags) + u16(len(manifest)) + manifest + u16(extra) + table


def corpusopen_seeds():
    table = b"4E00,5F0C\n4E8C,5F10\n"
    stamp = b"stamp " + b"0123456789abcdef" * 2 + b"\n"
    write("corpusopen", "no-manifest", corpusopen_input(0, b"", 0, table))
    write("corpusopen", "true-manifest", corpusopen_input(12, b"orvale-corpus 1\n" + stamp, 0, table))
    write("corpusopen", "length-changed",
          corpusopen_input(12, b"orvale-corpus 1\n" + stamp, 0x4001, table))
    write("corpusopen", "foreign-lines",
          corpusopen_input(4, b"orvale-corpus 1\n" + stamp + b"file Index-fl.h 3 ff\n", 0, table))
    write("corpusopen", "table-past-cap", corpusopen_input(2, b"", 0, table))
    write("corpusopen", "table-at-cap", corpusopen_input(1, b"", 0, table))


if __name__ == "__main__":
    index_seeds()
    pagestore_seeds()
    catalogue_seeds()
    variants_seeds()
    query_seeds()
    highlight_seeds()
    composer_seeds()
    corpusopen_seeds()
