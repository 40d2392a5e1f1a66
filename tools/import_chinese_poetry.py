#!/usr/bin/env python3
"""Turns the chinese-poetry package into the corpus source of orvale-build.

Reads the JSON files under the package's dist/ folder and writes one JSON
Lines record per volume: {"category", "title", "volume", "pages"}, each page
{"runs": [...]} where a string is main text and {"note": ...} an annotation;
"\\n" inside a run is a paragraph break.

Layout of the output:
- Categories, titles and volumes follow CATALOGUE below, in that order.
- Every poem starts with its title and its author as main text; notes on the
  poem (notes, prologues, alternative titles, sources) follow the title as an
  annotation, an author's biography follows the author's name (once per title
  for the large collections, where the source keeps biographies apart).
- Pages hold about PAGE_LIMIT characters. A page closes before a line (one
  entry of the source's paragraphs) that would overflow it, so no line is
  ever split; a poem's head stays on the page of its first line.
- Titles the source does not divide into volumes are cut into volumes of
  about VOLUME_PAGES pages, always between two poems.
- The source text, its characters and its punctuation are kept as they are;
  only catalogue names that the importer chooses are in traditional
  characters. Exact repeats of a poem inside one title are dropped, and so
  are the folders that hold metadata or flagged copies (rank, strains,
  quantangshi/error).

Usage: import_chinese_poetry.py [--volume-pages N] [--page-limit N] [--table]
                                PACKAGE_DIR OUTPUT.jsonl
PACKAGE_DIR is the package folder (holding dist/) or its dist/ folder.
Exit status: 0 on success, 2 when the package is missing a file or holds
something the importer cannot read (one-line message on stderr).
"""

import argparse
import json
import os
import re
import sys
import time

PAGE_LIMIT = 500
VOLUME_PAGES = 40
NAME_LIMIT = 99  # UTF-16 code units of a category, title or volume name
RECORD_LIMIT = 9999

CHINESE_DIGITS = "〇一二三四五六七八九"

# Characters whose simplified form appears in the names taken from the
# simplified folders (shijing, lunyu, chuci) and in the few author names of
# quantangshi that the volume names carry; such names are turned into
# traditional characters with this table. Words where a character-by-character
# mapping would be wrong come first in NAME_WORDS.
NAME_WORDS = {"远游": "遠遊", "九叹": "九歎", "鸿雁": "鴻雁"}
NAME_CHARS = str.maketrans(
    "国风卫郑齐陈桧鸣鱼鸿节荡庙闵颂鲁学为长乡党颜渊宪问灵阳货张尧进离骚远渔辩隐谏时怀叹潜",
    "國風衛鄭齊陳檜鳴魚鴻節蕩廟閔頌魯學為長鄉黨顏淵憲問靈陽貨張堯進離騷遠漁辯隱諫時懷嘆潛",
)

# Characters that take a position in the index (the same ranges as the
# engine's IndexCodeOf); used for the closing count only.
INDEXED_RANGES = (
    "\u3400-\u9fff\uf900-\ufaff\U00020000-\U0002a6df"
    "\U0002f800-\U0002fa1f\u3042-\u30f6\ue000-\uffff"
)
INDEXED = re.compile(f"[{INDEXED_RANGES}]")
NOT_INDEXED = re.compile(f"[^{INDEXED_RANGES}]")


class PackageError(Exception):
    """A file of the package is missing or does not have the expected shape."""


def traditional_name(name):
    for simplified, traditional in NAME_WORDS.items():
        name = name.replace(simplified, traditional)
    return name.translate(NAME_CHARS)


def chinese_number(n):
    """1 -> 一, 10 -> 十, 21 -> 二十一, 105 -> 一百零五, 110 -> 一百一十."""
    if not 0 < n < 10000:
        raise ValueError(n)
    units = [(1000, "千"), (100, "百"), (10, "十"), (1, "")]
    out = []
    pending_zero = False
    for value, unit in units:
        digit = n // value % 10
        if digit == 0:
            if out:
                pending_zero = True
            continue
        if pending_zero:
            out.append("零")
            pending_zero = False
        if not (value == 10 and digit == 1 and not out):
            out.append(CHINESE_DIGITS[digit])
        out.append(unit)
    return "".join(out)


def volume_number(n):
    return "卷" + chinese_number(n)


def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2


def text_of(value):
    """A source field as text: strings stripped, lists of strings joined by
    paragraph breaks, anything else empty."""
    if isinstance(value, str):
        return value.strip()
    if isinstance(value, list):
        return "\n".join(v.strip() for v in value if isinstance(v, str) and v.strip())
    return ""


def lines_of(value):
    """The non-empty lines of a source's paragraphs field."""
    if not isinstance(value, list):
        return []
    return [v for v in value if isinstance(v, str) and v.strip()]


# ---------------------------------------------------------------------------
# Units, pages and volumes


class Unit:
    """A piece of text that is never cut by a page break: a poem's head with
    its first line, or one further line."""

    __slots__ = ("runs", "size")

    def __init__(self):
        self.runs = []
        self.size = 0

    def text(self, s):
        if s:
            self.runs.append(s)
            self.size += len(s) - s.count("\n")
        return self

    def note(self, s):
        if s:
            self.runs.append({"note": s})
            self.size += len(s) - s.count("\n")
        return self

    def br(self):
        self.runs.append("\n")
        return self


def poem_units(title="", author="", lines=(), title_note="", author_note=""):
    """The units of one poem: title (with its note), author (with a
    biography), then one unit per line; the head travels with the first
    line. A note without a title to follow goes after the author."""
    head = Unit()
    if title:
        head.text(title).note(title_note).br()
    elif title_note and not author:
        head.note(title_note).br()
    if author:
        head.text(author)
        if not title:
            head.note(title_note)
        head.note(author_note).br()
    units = []
    lines = list(lines)
    if lines:
        head.text(lines[0]).br()
        units.append(head)
        units.extend(Unit().text(line).br() for line in lines[1:])
    elif head.runs:
        units.append(head)
    return units


def finish_page(units):
    """The page of the units: adjacent main-text runs merged into one, no
    paragraph break at the end."""
    runs = []
    pending = []  # main-text pieces not yet merged into a run
    for unit in units:
        for run in unit.runs:
            if isinstance(run, str):
                pending.append(run)
            else:
                if pending:
                    runs.append("".join(pending))
                    pending = []
                runs.append(run)
    if pending:
        runs.append("".join(pending))
    while runs and isinstance(runs[-1], str):
        stripped = runs[-1].rstrip("\n")
        if stripped:
            runs[-1] = stripped
            break
        runs.pop()
    return {"runs": runs}


class Paginator:
    """Packs units into pages of at most `limit` characters (a single unit
    longer than that gets a page of its own)."""

    def __init__(self, limit):
        self.limit = limit
        self.pages = []
        self.current = []
        self.size = 0

    def add(self, unit):
        if self.current and self.size + unit.size > self.limit:
            self.pages.append(finish_page(self.current))
            self.current = []
            self.size = 0
        self.current.append(unit)
        self.size += unit.size

    def add_all(self, units):
        for unit in units:
            self.add(unit)

    def page_count(self):
        return len(self.pages) + (1 if self.current else 0)

    def close(self):
        if self.current:
            self.pages.append(finish_page(self.current))
            self.current = []
            self.size = 0
        pages, self.pages = self.pages, []
        return pages


class Catalogue:
    """Collects the volumes in output order and checks their names."""

    def __init__(self, options):
        self.options = options
        self.volumes = []

    def volume(self, category, title, name, units):
        paginator = Paginator(self.options.page_limit)
        paginator.add_all(units)
        self.add(category, title, name, paginator.close())

    def add(self, category, title, name, pages):
        if not pages:
            return
        for label in (category, title, name):
            if not label or utf16_units(label) > NAME_LIMIT:
                raise PackageError(f"catalogue name {label!r} is empty or longer than {NAME_LIMIT} units")
        self.volumes.append({"category": category, "title": title, "volume": name, "pages": pages})

    def split(self, category, title, poems, namer=None):
        """Cuts a title's poems into volumes of about volume_pages pages.
        poems yields (units, author); namer(n, first_author, last_author)
        names volume n (default 卷n)."""
        paginator = Paginator(self.options.page_limit)
        number = 0
        authors = []

        def close():
            nonlocal number, authors
            number += 1
            name = namer(number, authors[0], authors[-1]) if namer else volume_number(number)
            self.add(category, title, name, paginator.close())
            authors = []

        for units, author in poems:
            if not units:
                continue
            paginator.add_all(units)
            authors.append(author)
            if paginator.page_count() >= self.options.volume_pages:
                close()
        if paginator.page_count():
            close()


def author_range_namer(n, first, last):
    if not first:
        return volume_number(n)
    first, last = traditional_name(first), traditional_name(last)
    span = first if first == last or not last else f"{first}—{last}"
    name = f"{volume_number(n)}（{span}）"
    return name if utf16_units(name) <= NAME_LIMIT else volume_number(n)


# ---------------------------------------------------------------------------
# Reading the package


class Package:
    def __init__(self, root):
        dist = os.path.join(root, "dist")
        self.dist = dist if os.path.isdir(dist) else root

    def path(self, *parts):
        return os.path.join(self.dist, *parts)

    def load(self, *parts):
        path = self.path(*parts)
        try:
            with open(path, encoding="utf-8") as f:
                return json.load(f)
        except FileNotFoundError:
            raise PackageError(f"missing file {os.path.join(*parts)}") from None
        except (OSError, UnicodeDecodeError, json.JSONDecodeError) as error:
            raise PackageError(f"{os.path.join(*parts)}: {error}") from None

    def numbered(self, folder, prefix, suffix=".json"):
        """Files folder/prefix<N>suffix in the order of N; other files
        starting with prefix (e.g. ci.song.2019y.json) come after them."""
        try:
            names = os.listdir(self.path(folder))
        except OSError:
            raise PackageError(f"missing folder {folder}") from None
        numbered, others = [], []
        for name in names:
            if not (name.startswith(prefix) and name.endswith(suffix)):
                continue
            middle = name[len(prefix) : len(name) - len(suffix)]
            if middle.isdigit():
                numbered.append((int(middle), name))
            else:
                others.append(name)
        if not numbered and not others:
            raise PackageError(f"no file {prefix}*{suffix} in {folder}")
        return [name for _, name in sorted(numbered)] + sorted(others)

    def records(self, *parts):
        data = self.load(*parts)
        if not isinstance(data, list) or not all(isinstance(r, dict) for r in data):
            raise PackageError(f"{os.path.join(*parts)}: expected a list of objects")
        return data

    def record(self, *parts):
        data = self.load(*parts)
        if isinstance(data, list) and len(data) == 1:
            data = data[0]
        if not isinstance(data, dict):
            raise PackageError(f"{os.path.join(*parts)}: expected an object")
        return data


def joined_biography(value):
    """The song ci biographies join two accounts with "--" and mark a missing
    one with "--" alone: the accounts become paragraphs, the marks go."""
    parts = [part.strip() for part in text_of(value).split("--")]
    return "\n".join(part for part in parts if part)


def biographies(records, name_key, desc_key, clean=text_of):
    """name -> biography, for names that occur once (a name shared by several
    people gets no biography rather than somebody else's)."""
    seen = {}
    for r in records:
        name = text_of(r.get(name_key))
        if name:
            seen.setdefault(name, []).append(clean(r.get(desc_key)))
    return {name: descs[0] for name, descs in seen.items() if len(descs) == 1 and descs[0]}


class Deduplicator:
    """Drops exact repeats of a poem (same title, author and lines)."""

    def __init__(self):
        self.seen = set()
        self.dropped = 0

    def fresh(self, title, author, lines):
        key = (title, author, tuple(lines))
        if key in self.seen:
            self.dropped += 1
            return False
        self.seen.add(key)
        return True


# ---------------------------------------------------------------------------
# The sources, one function per title


def collection_poems(pkg, files, bios, dedup, title_key="title"):
    """The poems of a large collection as (units, author), in file order,
    without exact repeats; an author's biography comes with the author's
    first poem."""
    introduced = set()
    for folder, file in files:
        for poem in pkg.records(folder, file):
            title, author = text_of(poem.get(title_key)), text_of(poem.get("author"))
            lines = lines_of(poem.get("paragraphs"))
            if not dedup.fresh(title, author, lines):
                continue
            bio = ""
            if author not in introduced:
                introduced.add(author)
                bio = bios.get(author, "")
            note = text_of(poem.get("notes")) or text_of(poem.get("prologue"))
            yield poem_units(title, author, lines, note, bio), author


def work_head(title, author="", abstract="", author_note=""):
    """The opening of a work: its name with its abstract, then its author."""
    return poem_units(title, author, (), abstract, author_note)


def chapter_units(heading, paragraphs, heading_note=""):
    """A chapter of prose: heading (kept with the first paragraph), then one
    unit per paragraph."""
    return poem_units(heading, "", lines_of(paragraphs), heading_note)


def import_jing(pkg, cat):
    category = "經"
    for chapter in pkg.records("lunyu", "lunyu.json"):
        name = text_of(chapter.get("chapter"))
        cat.volume(category, "論語", traditional_name(name), chapter_units(name, chapter.get("paragraphs")))
    for chapter in pkg.records("sishuwujing", "mengzi.json"):
        name = text_of(chapter.get("chapter"))
        cat.volume(category, "孟子", traditional_name(name), chapter_units(name, chapter.get("paragraphs")))
    for file, title in (("daxue.json", "大學"), ("zhongyong.json", "中庸")):
        book = pkg.record("sishuwujing", file)
        cat.volume(category, title, "全一卷", chapter_units(text_of(book.get("chapter")), book.get("paragraphs")))

    sections = {}
    for poem in pkg.records("shijing", "shijing.json"):
        key = traditional_name(f"{text_of(poem.get('chapter'))}・{text_of(poem.get('section'))}")
        sections.setdefault(key, []).extend(poem_units(text_of(poem.get("title")), "", lines_of(poem.get("content"))))
    for name, units in sections.items():
        cat.volume(category, "詩經", name, units)


def import_shi(pkg, cat, stats):
    category = "詩"
    units = []
    for poem in pkg.records("caocaoshiji", "caocao.json"):
        units += poem_units(text_of(poem.get("title")), "", lines_of(poem.get("paragraphs")))
    cat.volume(category, "曹操詩集", "全一卷", units)

    folder = os.path.join("yudingquantangshi", "json")
    for file in pkg.numbered(folder, ""):
        volumes = {}
        for poem in pkg.records(folder, file):
            name = text_of(poem.get("volume")) or volume_number(int(file.split(".")[0]))
            volumes.setdefault(name, []).extend(
                poem_units(
                    text_of(poem.get("title")),
                    text_of(poem.get("author")),
                    lines_of(poem.get("paragraphs")),
                    text_of(poem.get("notes")),
                    text_of(poem.get("biography")),
                )
            )
        for name, units in volumes.items():
            cat.volume(category, "御定全唐詩", name, units)

    for era, title in (("tang", "全唐詩"), ("song", "全宋詩")):
        dedup = Deduplicator()
        poems = collection_poems(
            pkg,
            [("quantangshi", f) for f in pkg.numbered("quantangshi", f"poet.{era}.")],
            biographies(pkg.records("quantangshi", f"authors.{era}.json"), "name", "desc"),
            dedup,
        )
        cat.split(category, title, poems, author_range_namer)
        stats["duplicates"] += dedup.dropped
        if era == "tang":
            units = []
            for poem in pkg.records("quantangshi", "唐诗补录.json"):
                units += poem_units(
                    text_of(poem.get("title")),
                    text_of(poem.get("author")),
                    lines_of(poem.get("paragraphs")),
                    text_of(poem.get("notes")),
                )
            cat.volume(category, title, "補遺", units)

    def shuimo():
        for poem in pkg.records("shuimotangshi", "shuimotangshi.json"):
            yield poem_units(
                text_of(poem.get("title")),
                text_of(poem.get("author")),
                lines_of(poem.get("paragraphs")),
                text_of(poem.get("prologue")),
            ), ""

    cat.split(category, "水墨唐詩", shuimo())


def import_chuci(pkg, cat):
    sections = {}
    for poem in pkg.records("chuci", "chuci.json"):
        key = traditional_name(text_of(poem.get("section")))
        author = text_of(poem.get("author"))
        # The author heads the first piece of a section; the other pieces of a
        # cycle (九歌, 九章…) are by the same hand.
        if key in sections:
            author = ""
        sections.setdefault(key, []).extend(poem_units(text_of(poem.get("title")), author, lines_of(poem.get("content"))))
    for name, units in sections.items():
        cat.volume("楚辭", "楚辭", name, units)


def import_ci(pkg, cat, stats):
    category = "詞"
    bios = biographies(pkg.records("songci", "author.song.json"), "name", "description", joined_biography)
    dedup = Deduplicator()
    files = [("songci", f) for f in pkg.numbered("songci", "ci.song.")]
    cat.split(category, "宋詞", collection_poems(pkg, files, bios, dedup, title_key="rhythmic"))
    stats["duplicates"] += dedup.dropped

    def three_hundred():
        for ci in pkg.records("songci", "宋词三百首.json"):
            yield poem_units(
                text_of(ci.get("rhythmic")),
                text_of(ci.get("author")),
                lines_of(ci.get("paragraphs")),
                text_of(ci.get("prologue")),
            ), ""

    cat.split(category, "宋詞三百首", three_hundred())

    folder = os.path.join("wudaishici", "huajianji")
    preface = pkg.records(folder, "huajianji-0-preface.json")
    units = []
    for piece in preface:
        units += poem_units(
            text_of(piece.get("title")),
            text_of(piece.get("author")),
            lines_of(piece.get("paragraphs")),
            text_of(piece.get("notes")),
        )
    cat.volume(category, "花間集", "敘", units)
    for file in pkg.numbered(folder, "huajianji-", "-juan.json"):
        # huajianji-N-juan.json holds 卷N; the tenth is huajianji-x-juan.json.
        middle = file[len("huajianji-") : -len("-juan.json")]
        index = 10 if middle == "x" else int(middle) if middle.isdigit() else None
        if index is None:
            raise PackageError(f"unexpected file {folder}/{file}")
        units = []
        for ci in pkg.records(folder, file):
            units += poem_units(
                text_of(ci.get("title")),
                text_of(ci.get("author")),
                lines_of(ci.get("paragraphs")),
                text_of(ci.get("notes")),
            )
        cat.volume(category, "花間集", volume_number(index), units)

    folder = os.path.join("wudaishici", "nantang")
    intro = pkg.record(folder, "intro.json")
    bios = biographies(pkg.records(folder, "authors.json"), "name", "desc")
    units = work_head(text_of(intro.get("title")), "", text_of(intro.get("desc")))
    introduced = set()
    for ci in pkg.records(folder, "poetrys.json"):
        author = text_of(ci.get("author"))
        bio = ""
        if author not in introduced:
            introduced.add(author)
            bio = bios.get(author, "")
        units += poem_units(
            text_of(ci.get("title")), author, lines_of(ci.get("paragraphs")), text_of(ci.get("notes")), bio
        )
    cat.volume(category, "南唐二主詞", "全一卷", units)

    units = []
    for ci in pkg.records("nalanxingde", "纳兰性德诗集.json"):
        units += poem_units(text_of(ci.get("title")), text_of(ci.get("author")), lines_of(ci.get("para")))
    cat.volume(category, "納蘭性德詞", "全一卷", units)


def import_qu(pkg, cat, stats):
    dedup = Deduplicator()

    def yuanqu():
        for qu in pkg.records("yuanqu", "yuanqu.json"):
            title, author = text_of(qu.get("title")), text_of(qu.get("author"))
            lines = lines_of(qu.get("paragraphs"))
            if dedup.fresh(title, author, lines):
                yield poem_units(title, author, lines), author

    cat.split("曲", "元曲", yuanqu())
    stats["duplicates"] += dedup.dropped


def anthology_poem(poem):
    return poem_units(
        text_of(poem.get("chapter")),
        text_of(poem.get("author")),
        lines_of(poem.get("paragraphs")),
        text_of(poem.get("subchapter")),
    )


def surname_notes(lines, origins):
    """Pairs each line of 百家姓 with the ancestral seats (郡望) of the surnames
    it lists. Lines and origins are walked side by side; an origin whose
    surname is spelled differently in the line (卜 for 蔔) still takes its
    place when the origin after it matches the text that follows."""

    def surname(i):
        return text_of(origins[i].get("surname")) if i < len(origins) else ""

    notes = []
    index = 0
    for line in lines:
        chars = "".join(c for c in line if INDEXED.match(c) and not "\uff00" <= c <= "\uffef")
        found = []
        position = 0
        while index < len(origins) and position < len(chars):
            name = surname(index)
            if not name:
                index += 1
                continue
            end = position + len(name)
            following = surname(index + 1)
            if chars[position:end] == name or (
                end <= len(chars) and (end == len(chars) or (following and chars.startswith(following, end)))
            ):
                place = text_of(origins[index].get("place"))
                if place:
                    found.append(f"{name}：{place}")
                position = end
                index += 1
            else:
                break
        notes.append("　".join(found))
    return notes


def import_mengxue(pkg, cat):
    category = "蒙學"
    sanzijing = []
    for file in ("sanzijing-traditional.json", "sanzijing-new.json"):
        book = pkg.record("mengxue", file)
        units = work_head(text_of(book.get("title")), text_of(book.get("author")))
        units += chapter_units("", book.get("paragraphs"))
        sanzijing.append((text_of(book.get("tags")) or "全一卷", units))
    for name, units in sanzijing:
        cat.volume(category, "三字經", name, units)

    book = pkg.record("mengxue", "baijiaxing.json")
    lines = lines_of(book.get("paragraphs"))
    origins = [o for o in book.get("origin", []) if isinstance(o, dict)]
    units = work_head(text_of(book.get("title")), text_of(book.get("author")), "", text_of(book.get("tags")))
    for line, note in zip(lines, surname_notes(lines, origins)):
        units.append(Unit().text(line).note(note).br())
    cat.volume(category, "百家姓", "全一卷", units)

    book = pkg.record("mengxue", "qianziwen.json")
    units = work_head(text_of(book.get("title")), text_of(book.get("author")), "", text_of(book.get("tags")))
    cat.volume(category, "千字文", "全一卷", units + chapter_units("", book.get("paragraphs")))

    book = pkg.record("mengxue", "dizigui.json")
    units = work_head(text_of(book.get("title")), text_of(book.get("author")))
    for chapter in book.get("content", []):
        units += chapter_units(text_of(chapter.get("chapter")), chapter.get("paragraphs"))
    cat.volume(category, "弟子規", "全一卷", units)

    book = pkg.record("mengxue", "zhuzijiaxun.json")
    units = work_head(text_of(book.get("title")), text_of(book.get("author")))
    cat.volume(category, "朱子家訓", "全一卷", units + chapter_units("", book.get("paragraphs")))

    book = pkg.record("mengxue", "zengguangxianwen.json")
    head = work_head(text_of(book.get("title")), text_of(book.get("author")), text_of(book.get("abstract")))
    for chapter in book.get("content", []):
        name = text_of(chapter.get("chapter"))
        cat.volume(category, "增廣賢文", name, head + chapter_units(name, chapter.get("paragraphs")))
        head = []

    for file, title in (("youxueqionglin.json", "幼學瓊林"), ("shenglvqimeng.json", "聲律啓蒙")):
        book = pkg.record("mengxue", file)
        head = work_head(text_of(book.get("title")), text_of(book.get("author")), text_of(book.get("abstract")))
        for part in book.get("content", []):
            units = list(head)
            head = []
            for chapter in part.get("content", []):
                units += chapter_units(text_of(chapter.get("chapter")), chapter.get("paragraphs"))
            cat.volume(category, title, text_of(part.get("title")), units)

    book = pkg.record("mengxue", "wenzimengqiu.json")
    author = text_of(book.get("author"))
    # The source gives the author as a biography that opens with the name.
    name = re.split("[（(，,。]", author, maxsplit=1)[0]
    units = work_head(text_of(book.get("title")), name, text_of(book.get("abstract")), author)
    units += chapter_units("", book.get("preface"))
    cat.volume(category, "文字蒙求", "敘", units)
    for part in book.get("content", []):
        cat.volume(category, "文字蒙求", text_of(part.get("title")), chapter_units("", part.get("paragraphs")))

    for file, title in (("qianjiashi.json", "千家詩"), ("tangshisanbaishou.json", "唐詩三百首")):
        book = pkg.record("mengxue", file)
        head = work_head(text_of(book.get("title")), text_of(book.get("author")))
        for part in book.get("content", []):
            units = list(head)
            head = []
            for poem in part.get("content", []):
                units += anthology_poem(poem)
            cat.volume(category, title, text_of(part.get("type")), units)

    book = pkg.record("mengxue", "guwenguanzhi.json")
    head = work_head(text_of(book.get("title")), "", text_of(book.get("abstract")))
    for part in book.get("content", []):
        units = list(head)
        head = []
        for piece in part.get("content", []):
            units += poem_units(
                text_of(piece.get("chapter")),
                text_of(piece.get("author")),
                lines_of(piece.get("paragraphs")),
                text_of(piece.get("source")),
            )
        cat.volume(category, "古文觀止", text_of(part.get("title")), units)


def import_others(pkg, cat):
    def youmengying():
        for entry in pkg.records("youmengying", "youmengying.json"):
            # "##" marks a paragraph break inside a passage of this file.
            content = text_of(entry.get("content")).replace("##", "\n")
            if content:
                comment = text_of(entry.get("comment")).replace("##", "\n")
                yield [Unit().text(content).note(comment).br()], ""

    cat.split("雜著", "幽夢影", youmengying())


# Categories and titles in output order; docs/corpus.md lists the same.
CATALOGUE = (
    ("經", ("論語", "孟子", "大學", "中庸", "詩經")),
    ("詩", ("曹操詩集", "御定全唐詩", "全唐詩", "全宋詩", "水墨唐詩")),
    ("楚辭", ("楚辭",)),
    ("詞", ("宋詞", "宋詞三百首", "花間集", "南唐二主詞", "納蘭性德詞")),
    ("曲", ("元曲",)),
    (
        "蒙學",
        (
            "三字經",
            "百家姓",
            "千字文",
            "弟子規",
            "朱子家訓",
            "增廣賢文",
            "幼學瓊林",
            "聲律啓蒙",
            "文字蒙求",
            "千家詩",
            "唐詩三百首",
            "古文觀止",
        ),
    ),
    ("雜著", ("幽夢影",)),
)


def import_package(root, options):
    """Returns (volumes in output order, statistics)."""
    pkg = Package(root)
    cat = Catalogue(options)
    stats = {"duplicates": 0}
    import_jing(pkg, cat)
    import_shi(pkg, cat, stats)
    import_chuci(pkg, cat)
    import_ci(pkg, cat, stats)
    import_qu(pkg, cat, stats)
    import_mengxue(pkg, cat)
    import_others(pkg, cat)

    expected = [(c, t) for c, titles in CATALOGUE for t in titles]
    produced = []
    for v in cat.volumes:
        if not produced or produced[-1] != (v["category"], v["title"]):
            produced.append((v["category"], v["title"]))
    if produced != expected:
        raise PackageError("the package lacks the text of a title: " + ", ".join(t for c, t in expected if (c, t) not in produced))
    records = len(CATALOGUE) + len(expected) + len(cat.volumes)
    if records > RECORD_LIMIT:
        raise PackageError(f"{records} catalogue records, more than {RECORD_LIMIT}")
    stats.update(
        categories=len(CATALOGUE),
        titles=len(expected),
        volumes=len(cat.volumes),
        records=records,
    )
    return cat.volumes, stats


def indexed_count(run):
    text = run if isinstance(run, str) else run["note"]
    # Most characters are indexed: counting the others is the faster way.
    return len(text) - len(NOT_INDEXED.findall(text))


def title_table(volumes):
    """A Markdown table of volumes, pages and indexed characters (main text
    and annotations) per title, as docs/corpus.md shows it."""
    rows = {}
    for volume in volumes:
        row = rows.setdefault((volume["category"], volume["title"]), [0, 0, 0, 0])
        row[0] += 1
        row[1] += len(volume["pages"])
        for page in volume["pages"]:
            for run in page["runs"]:
                row[2 if isinstance(run, str) else 3] += indexed_count(run)
    lines = [
        "| category | title | volumes | pages | main text | annotations |",
        "|---|---|---:|---:|---:|---:|",
    ]
    previous = None
    for (category, title), row in rows.items():
        shown = category if category != previous else ""
        previous = category
        lines.append(f"| {shown} | {title} | " + " | ".join(f"{n:,}" for n in row) + " |")
    totals = [sum(row[i] for row in rows.values()) for i in range(4)]
    lines.append("| | **total** | " + " | ".join(f"**{n:,}**" for n in totals) + " |")
    return "\n".join(lines)


def write_volumes(volumes, output, stats):
    pages = characters = 0
    tmp = output + ".part"
    try:
        with open(tmp, "w", encoding="utf-8", newline="\n") as out:
            for volume in volumes:
                pages += len(volume["pages"])
                for page in volume["pages"]:
                    for run in page["runs"]:
                        characters += indexed_count(run)
                out.write(json.dumps(volume, ensure_ascii=False, separators=(",", ":")))
                out.write("\n")
        os.replace(tmp, output)
    except BaseException:
        if os.path.exists(tmp):
            os.remove(tmp)
        raise
    stats.update(pages=pages, indexed_characters=characters)


def parse_args(argv):
    parser = argparse.ArgumentParser(
        prog="import_chinese_poetry.py",
        description="Writes the corpus source (JSON Lines) from the chinese-poetry package.",
    )
    parser.add_argument("package", help="the package folder (holding dist/) or its dist/ folder")
    parser.add_argument("output", help="the JSON Lines file to write")
    parser.add_argument("--page-limit", type=int, default=PAGE_LIMIT, help="characters per page (default %(default)s)")
    parser.add_argument(
        "--volume-pages", type=int, default=VOLUME_PAGES, help="pages per volume of undivided titles (default %(default)s)"
    )
    parser.add_argument("--table", action="store_true", help="also print a Markdown table of the counts per title")
    options = parser.parse_args(argv)
    if options.page_limit < 1 or options.volume_pages < 1:
        parser.error("--page-limit and --volume-pages must be positive")
    return options


def main(argv):
    options = parse_args(argv)
    started = time.monotonic()
    try:
        volumes, stats = import_package(options.package, options)
        write_volumes(volumes, options.output, stats)
    except (PackageError, OSError) as error:
        print(f"import_chinese_poetry.py: {error}", file=sys.stderr)
        return 2
    print(
        "{categories} categories, {titles} titles, {volumes} volumes, {pages} pages, "
        "{indexed_characters} indexed characters, {duplicates} repeats dropped".format(**stats)
        + f" ({time.monotonic() - started:.1f} s)"
    )
    if options.table:
        print(title_table(volumes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
