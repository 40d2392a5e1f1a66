"""Checks tools/make_variants.py on a tiny file in the shape of
Unihan_Variants.txt: groups are the connected sets over the four linking
fields, whatever field and direction links them."""

import bz2
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

TOOLS = Path(__file__).resolve().parent.parent.parent / "tools"
SCRIPT = TOOLS / "make_variants.py"

sys.path.insert(0, str(TOOLS))
import make_variants  # noqa: E402

UNIHAN = """\
# Unihan_Variants.txt (excerpt in the same format)
#
U+3400\tkZVariant\tU+3400
U+4E00\tkZVariant\tU+5F0C
U+5B66\tkTraditionalVariant\tU+5B78
U+5B78\tkSimplifiedVariant\tU+5B66
U+6588\tkSemanticVariant\tU+5B78<kMatthews,kMeyerWempe
U+5E72\tkTraditionalVariant\tU+4E7E U+5E79
U+9AA8\tkZVariant\tU+9ABC
U+9ABC\tkSemanticVariant\tU+4E9F<kFenn
U+4E9F\tkSimplifiedVariant\tU+4E8C
U+8ECA\tkSpoofingVariant\tU+8F66
U+5927\tkSpecializedSemanticVariant\tU+592A<kFenn
U+20000\tkSemanticVariant\tU+4E00
"""

EXPECTED = """\
4E00,5F0C,20000
4E7E,5E72,5E79
4E8C,4E9F,9AA8,9ABC
5B66,5B78,6588
"""


class VariantGroups(unittest.TestCase):
    def test_connected_sets_over_the_four_fields(self):
        groups = make_variants.variant_groups(UNIHAN.splitlines(keepends=True))
        self.assertEqual(make_variants.format_groups(groups), EXPECTED)

    def test_links_are_undirected_and_order_free(self):
        lines = UNIHAN.splitlines(keepends=True)
        header, body = lines[:2], lines[2:]
        shuffled = header + list(reversed(body))
        self.assertEqual(make_variants.format_groups(make_variants.variant_groups(shuffled)), EXPECTED)

    def test_command_reads_bz2_and_writes_the_table(self):
        with tempfile.TemporaryDirectory() as tmp:
            source = Path(tmp) / "Unihan_Variants.txt.bz2"
            source.write_bytes(bz2.compress(UNIHAN.encode("utf-8")))
            output = Path(tmp) / "yitizi.txt"
            result = subprocess.run([sys.executable, str(SCRIPT), str(source), str(output)], capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(output.read_bytes(), EXPECTED.encode("ascii"))
            self.assertIn("4 variant groups, largest 4 characters", result.stdout)

    def test_malformed_input_fails_with_the_line_number(self):
        cases = [
            ("U+4E00\tkZVariant\n", "line 1"),
            ("# c\nU+4E00\tkZVariant\tX+5F0C\n", "line 2"),
            ("U+4E00\tkZVariant\tU+ZZZZ\n", "line 1"),
        ]
        for text, message in cases:
            with self.subTest(text=text), tempfile.TemporaryDirectory() as tmp:
                source = Path(tmp) / "v.txt"
                source.write_text(text, encoding="utf-8")
                output = Path(tmp) / "yitizi.txt"
                result = subprocess.run([sys.executable, str(SCRIPT), str(source), str(output)], capture_output=True, text=True)
                self.assertEqual(result.returncode, 2)
                self.assertIn(message, result.stderr)
                self.assertFalse(output.exists())


if __name__ == "__main__":
    unittest.main()
