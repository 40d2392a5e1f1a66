"""Runs the importer of the chinese-poetry package on the small excerpt in
fixture/ (the package's own layout and field names) and checks the corpus
source it writes."""

import json
import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
TOOLS = HERE.parent.parent / "tools"
FIXTURE = HERE / "fixture"
IMPORTER = TOOLS / "import_chinese_poetry.py"

sys.path.insert(0, str(TOOLS))
import import_chinese_poetry as importer  # noqa: E402

# Simplified characters that the folders in simplified script put into the
# names they would give (shijing, lunyu, chuci, songci...); none may reach a
# catalogue name.
SIMPLIFIED = set("国风卫郑齐陈鸣鱼鸿节荡庙颂鲁学为长乡党颜渊宪问灵阳货张尧离骚远渔辩隐谏时怀叹词诗间纳兰进潜")


def run_importer(*options):
    with tempfile.TemporaryDirectory() as tmp:
        output = os.path.join(tmp, "source.jsonl")
        result = subprocess.run(
            [sys.executable, str(IMPORTER), *options, str(FIXTURE), output],
            capture_output=True,
            text=True,
        )
        if result.returncode != 0:
            raise AssertionError(f"importer failed: {result.stderr}")
        with open(output, "rb") as f:
            raw = f.read()
    volumes = [json.loads(line) for line in raw.decode("utf-8").splitlines()]
    return raw, volumes


def text_size(text):
    return len(text) - text.count("\n")


def page_size(page):
    return sum(text_size(run if isinstance(run, str) else run["note"]) for run in page["runs"])


def paragraphs(page):
    """The main-text paragraphs of a page; an annotation ends the paragraph
    it follows, so a line can only match whole."""
    out = []
    for run in page["runs"]:
        if isinstance(run, str):
            out.append(run)
        else:
            out.append("\x00")
    return [p for p in "".join(out).replace("\x00", "\n").split("\n") if p]


def fixture_lines():
    """Every line of verse or prose in the fixture's main texts."""
    lines = []
    dist = FIXTURE / "dist"
    skipped = ("rank", "strains", "error")
    for path in sorted(dist.rglob("*.json")):
        parts = path.relative_to(dist).parts
        if any(p in skipped for p in parts) or path.name in ("唐诗三百首.json", "表面结构字.json"):
            continue

        def walk(value):
            if isinstance(value, dict):
                for key, item in value.items():
                    if key in ("paragraphs", "content", "para") and isinstance(item, list):
                        lines.extend(s for s in item if isinstance(s, str))
                    walk(item)
            elif isinstance(value, list):
                for item in value:
                    walk(item)

        walk(json.loads(path.read_text(encoding="utf-8")))
    return lines


class ImportedFixture(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.raw, cls.volumes = run_importer()

    def volume(self, title, name):
        for v in self.volumes:
            if v["title"] == title and v["volume"] == name:
                return v
        self.fail(f"no volume {title} {name}")

    def test_every_line_is_one_json_volume_with_the_source_fields(self):
        for v in self.volumes:
            self.assertEqual(set(v), {"category", "title", "volume", "pages"})
            self.assertTrue(v["pages"])
            for page in v["pages"]:
                self.assertEqual(set(page), {"runs"})
                self.assertTrue(page["runs"])
                for run in page["runs"]:
                    if isinstance(run, dict):
                        self.assertEqual(set(run), {"note"})
                        self.assertTrue(run["note"])
                    else:
                        self.assertIsInstance(run, str)
                        self.assertTrue(run)
                # adjacent main runs are merged and pages do not end in a break
                for a, b in zip(page["runs"], page["runs"][1:]):
                    self.assertFalse(isinstance(a, str) and isinstance(b, str))
                last = page["runs"][-1]
                self.assertFalse(isinstance(last, str) and last.endswith("\n"))

    def test_categories_and_titles_come_in_catalogue_order_without_interleaving(self):
        order = []
        for v in self.volumes:
            key = (v["category"], v["title"])
            if not order or order[-1] != key:
                self.assertNotIn(key, order, "a title came back after another one")
                order.append(key)
        expected = [(c, t) for c, titles in importer.CATALOGUE for t in titles]
        self.assertEqual(order, expected)

    def test_volumes_keep_the_source_order(self):
        def names(title):
            return [v["volume"] for v in self.volumes if v["title"] == title]

        cases = [
            ("論語", ["學而篇", "為政篇"]),
            ("詩經", ["國風・周南", "小雅・鹿鳴之什"]),
            ("御定全唐詩", ["卷一", "卷二"]),
            ("全唐詩", ["卷一（王之渙—李白）", "補遺"]),
            ("楚辭", ["離騷", "九歌"]),
            ("花間集", ["敘", "卷一", "卷二", "卷十"]),
            ("三字經", ["傳統版", "新版"]),
            ("增廣賢文", ["上集", "下集"]),
            ("文字蒙求", ["敘", "卷一"]),
        ]
        for title, expected in cases:
            with self.subTest(title=title):
                self.assertEqual(names(title), expected)

    def test_numbered_files_are_read_in_numeric_order(self):
        # poet.tang.0, .2000, .10000: a name sort would put 10000 before 2000.
        text = "".join(paragraphs(self.volume("全唐詩", "卷一（王之渙—李白）")["pages"][0]))
        self.assertLess(text.index("春曉"), text.index("靜夜思"))
        # ci.song.0, .1000, then the unnumbered ci.song.2019y
        ci = paragraphs(self.volume("宋詞", "卷一")["pages"][0])
        self.assertEqual([p for p in ci if p in ("水调歌头", "声声慢", "破阵子")], ["水调歌头", "声声慢", "破阵子"])

    def test_names_are_short_and_in_traditional_characters(self):
        for v in self.volumes:
            for name in (v["category"], v["title"], v["volume"]):
                self.assertLessEqual(importer.utf16_units(name), importer.NAME_LIMIT)
                self.assertFalse(SIMPLIFIED & set(name), name)

    def test_no_line_is_split_or_lost(self):
        found = {}
        for v in self.volumes:
            for page in v["pages"]:
                for p in paragraphs(page):
                    found[p] = found.get(p, 0) + 1
        for line in fixture_lines():
            with self.subTest(line=line):
                self.assertIn(line, found)

    def test_poem_starts_with_title_and_author_and_notes_follow_them(self):
        cases = [
            # (title, volume, runs of the poem's head)
            ("御定全唐詩", "卷二", ["靜夜思", {"note": "一作看月光"}, "\n李白", {"note": "李白，字太白，隴西成紀人。"}]),
            ("全宋詩", "卷一（蘇軾—陸游）", ["題西林壁\n蘇軾", {"note": "蘇軾，字子瞻，眉州眉山人。"}]),
            ("水墨唐詩", "卷一", ["鹿柴", {"note": "此诗描绘鹿柴附近的空山深林在傍晚时分的幽静景色。"}]),
            (
                "花間集",
                "卷一",
                ["菩萨蛮 其一", {"note": "1.小山--女子画眉的式样之一。\n2.鬓云欲度--鬓发撩乱如云。"}],
            ),
            (
                "宋詞",
                "卷一",
                [
                    "水调歌头",
                    {"note": "丙辰中秋，欢饮达旦，大醉，作此篇，兼怀子由。"},
                    "\n苏轼",
                    {"note": "苏轼：(1037-1101) 北宋文学家、书画家。\n(1037―1101) 字子瞻，号东坡居士。"},
                ],
            ),
            ("唐詩三百首", "五言律詩", ["唐詩三百首\n送杜少府之任蜀州", {"note": "送杜少府之任蜀州 / 送杜少府之任蜀川"}]),
            ("全唐詩", "補遺", ["佚名", {"note": "长沙窑“补遗”《全唐诗》"}]),
        ]
        for title, volume, head in cases:
            with self.subTest(title=title):
                runs = self.volume(title, volume)["pages"][0]["runs"]
                self.assertEqual(runs[: len(head)], head)
                after = runs[len(head)]
                self.assertIsInstance(after, str)
                self.assertTrue(after.startswith("\n"), "the text starts a new paragraph after the head")

    def test_biography_once_per_title_and_not_for_shared_names(self):
        pages = self.volume("全唐詩", "卷一（王之渙—李白）")["pages"]
        notes = [run["note"] for page in pages for run in page["runs"] if isinstance(run, dict)]
        self.assertEqual(notes.count("王之渙，并州人。與高適、王昌齡相唱和。"), 1)
        self.assertEqual(notes.count("李白，字太白，隴西成紀人。"), 1)
        # two people share the name 孟浩然 in authors.tang.json
        self.assertFalse(any("孟浩然" in n for n in notes))
        # a biography of "--" alone is no biography
        ci = [run for page in self.volume("宋詞", "卷一")["pages"] for run in page["runs"]]
        self.assertIn("柳永\n", "".join(r for r in ci if isinstance(r, str)))
        self.assertFalse(any(isinstance(r, dict) and r["note"].strip("-") == "" for r in ci))

    def test_commentary_follows_the_passage_it_comments(self):
        runs = self.volume("幽夢影", "卷一")["pages"][0]["runs"]
        self.assertEqual(runs, ["读经宜冬，其神专也；读史宜夏，其时久也。", {"note": "曹秋岳曰：可想见其南面百城时。"}])
        runs = self.volume("百家姓", "全一卷")["pages"][0]["runs"]
        # 蔔 in the text is spelled 卜 in the list of origins and still pairs up
        self.assertEqual(runs[-2], "\n伍余元蔔，顧孟平黃。")
        self.assertEqual(runs[-1], {"note": "伍：安定　余：下邳　元：河南　卜：西河　顧：武陵　孟：平陸　平：河內　黃：江夏"})

    def test_repeats_and_metadata_are_left_out(self):
        all_text = self.raw.decode("utf-8")
        # poet.tang.2000 repeats 登鸛雀樓 of poet.tang.0; yuanqu repeats 天净沙
        self.assertEqual(all_text.count("欲窮千里目，更上一層樓。"), 1)
        self.assertEqual(all_text.count("夕阳西下，断肠人在天涯。"), 1)
        # quantangshi/error, rank, strains, the character table and pinyin
        self.assertNotIn("欲窮千里目，更上一層樓。欲", all_text)
        self.assertNotIn("黃河入海流。欲窮", all_text)
        self.assertNotIn("仄", all_text)
        self.assertNotIn("baidu", all_text)
        self.assertNotIn("𪀪", all_text)
        self.assertNotIn("tiān", all_text)

    def test_output_is_deterministic(self):
        raw, _ = run_importer()
        self.assertEqual(raw, self.raw)


class SmallPagesAndVolumes(unittest.TestCase):
    """With pages of 40 characters and volumes of 2 pages the fixture's
    collections spread over several pages and volumes."""

    LIMIT = 40

    @classmethod
    def setUpClass(cls):
        _, cls.volumes = run_importer("--page-limit", str(cls.LIMIT), "--volume-pages", "2")

    def test_undivided_titles_are_cut_between_poems_and_named_by_authors(self):
        tang = [v for v in self.volumes if v["title"] == "全唐詩"]
        self.assertEqual(
            [v["volume"] for v in tang],
            ["卷一（王之渙）", "卷二（王之渙）", "卷三（孟浩然—李白）", "卷四（李白）", "補遺"],
        )
        for v in tang[:-1]:
            first = paragraphs(v["pages"][0])
            with self.subTest(volume=v["volume"]):
                # every volume starts with a poem's title and author
                self.assertIn(first[0], ("登鸛雀樓", "涼州詞二首 一", "春曉", "靜夜思", "月下獨酌四首 一"))

    def test_pages_stay_within_the_limit_unless_one_unit_is_larger(self):
        for v in self.volumes:
            for page in v["pages"]:
                if page_size(page) <= self.LIMIT:
                    continue
                # an oversized page holds one unit: a single line, or a head
                # with its first line; nothing more follows it
                lines = paragraphs(page)
                with self.subTest(volume=v["volume"], page=lines[:2]):
                    self.assertLessEqual(len(lines), 4)

    def test_a_long_poem_continues_on_the_next_page_at_a_line_boundary(self):
        pages = next(v for v in self.volumes if v["volume"] == "卷四（李白）")["pages"]
        text = [p for page in pages for p in paragraphs(page)]
        self.assertEqual(text[:2], ["月下獨酌四首 一", "李白"])
        self.assertIn("永結無情遊，相期邈雲漢。", text)
        self.assertGreater(len(pages), 1)


class Pagination(unittest.TestCase):
    def unit(self, text):
        return importer.Unit().text(text).br()

    def test_pages_fill_greedily_and_never_cut_a_unit(self):
        cases = [
            # (unit sizes, limit, expected sizes of the pages)
            ([10, 10, 10], 25, [20, 10]),
            ([10, 15], 25, [25]),
            ([30, 5, 5], 25, [30, 10]),
            ([5, 30, 5], 25, [5, 30, 5]),
            ([], 25, []),
        ]
        for sizes, limit, expected in cases:
            with self.subTest(sizes=sizes, limit=limit):
                paginator = importer.Paginator(limit)
                paginator.add_all(self.unit("字" * n) for n in sizes)
                self.assertEqual([page_size(p) for p in paginator.close()], expected)

    def test_notes_count_towards_the_page_size(self):
        paginator = importer.Paginator(10)
        paginator.add(importer.Unit().text("題").note("注" * 8).br())
        paginator.add(self.unit("詩句"))
        self.assertEqual(len(paginator.close()), 2)

    def test_chinese_numbers(self):
        cases = [(1, "一"), (10, "十"), (11, "十一"), (20, "二十"), (100, "一百"), (101, "一百零一"), (110, "一百一十"), (1013, "一千零一十三"), (2000, "二千")]
        for n, expected in cases:
            with self.subTest(n=n):
                self.assertEqual(importer.chinese_number(n), expected)


class Failures(unittest.TestCase):
    def test_a_missing_file_is_named_and_fails_with_status_2(self):
        with tempfile.TemporaryDirectory() as tmp:
            dist = Path(tmp) / "dist"
            (dist / "lunyu").mkdir(parents=True)
            (dist / "lunyu" / "lunyu.json").write_text("[]", encoding="utf-8")
            output = Path(tmp) / "out.jsonl"
            result = subprocess.run(
                [sys.executable, str(IMPORTER), tmp, str(output)], capture_output=True, text=True
            )
            self.assertEqual(result.returncode, 2)
            self.assertIn("mengzi.json", result.stderr)
            self.assertFalse(output.exists(), "no partial output is left behind")

    def test_a_malformed_file_is_named(self):
        with tempfile.TemporaryDirectory() as tmp:
            dist = Path(tmp) / "dist"
            (dist / "lunyu").mkdir(parents=True)
            (dist / "lunyu" / "lunyu.json").write_text("[{", encoding="utf-8")
            result = subprocess.run(
                [sys.executable, str(IMPORTER), tmp, str(Path(tmp) / "o.jsonl")], capture_output=True, text=True
            )
            self.assertEqual(result.returncode, 2)
            self.assertIn("lunyu.json", result.stderr)


if __name__ == "__main__":
    unittest.main()
