"""Runs tools/make-default-corpus.sh against the fixture package and a
stand-in orvale-build that records its calls: the corpus is built when
missing, left alone while its inputs are unchanged, rebuilt when one
changes, and its files are linked into the program folder."""

import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
SCRIPT = HERE.parent.parent / "tools" / "make-default-corpus.sh"
CORPUS_FILES = [
    "Index-fl.h",
    "Index-fl.cnt",
    "Index-idx.h",
    "Index-idx.m",
    "Index_content-idx.h",
    "Index_content-idx.m",
    "Index_desc-idx.h",
    "Index_desc-idx.m",
    "kvt.dir",
    "yitizi.txt",
    "corpus.id",
    "Index-idx.acc",
    "Index_content-idx.acc",
    "Index_desc-idx.acc",
]

FAKE_BUILDER = """#!/bin/sh
# Stand-in for orvale-build: SOURCE OUTDIR --variants FILE, or --accelerate DIR
set -e
if [ "$1" = --accelerate ]; then
  echo "$2" >> "$(dirname "$0")/../accelerate.log"
  for f in Index-idx.acc Index_content-idx.acc Index_desc-idx.acc; do echo added > "$2/$f"; done
  exit 0
fi
echo "$@" >> "$(dirname "$0")/../builder.log"
test -s "$1"
mkdir -p "$2"
for f in Index-fl.h Index-fl.cnt Index-idx.h Index-idx.m Index_content-idx.h \\
         Index_content-idx.m Index_desc-idx.h Index_desc-idx.m kvt.dir; do
  wc -l < "$1" > "$2/$f"
done
cp "$4" "$2/yitizi.txt"
echo build > "$2/corpus.id"
for f in Index-idx.acc Index_content-idx.acc Index_desc-idx.acc; do echo acc > "$2/$f"; done
"""


def unihan_installed():
    result = subprocess.run(["dpkg", "-L", "unicode-data"], capture_output=True, text=True)
    return result.returncode == 0 and "Unihan_Variants.txt.bz2" in result.stdout


@unittest.skipUnless(shutil.which("dpkg") and unihan_installed(), "needs the Debian package unicode-data")
class DefaultCorpusScript(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        root = Path(self.tmp.name)
        self.cache = root / "cache"
        package = self.cache / "orvale" / "npm" / "node_modules" / "chinese-poetry"
        shutil.copytree(HERE / "fixture" / "dist", package / "dist")
        (package / "package.json").write_text('{"name": "chinese-poetry", "version": "0.0.0"}\n')
        self.bin = root / "build" / "bin"
        self.bin.mkdir(parents=True)
        self.builder = self.bin / "orvale-build"
        self.builder.write_text(FAKE_BUILDER)
        self.builder.chmod(0o755)
        self.log = root / "build" / "builder.log"
        self.corpus = root / "build" / "corpus"

    def tearDown(self):
        self.tmp.cleanup()

    def run_script(self):
        env = dict(os.environ, XDG_CACHE_HOME=str(self.cache))
        result = subprocess.run(["bash", str(SCRIPT), str(self.bin)], capture_output=True, text=True, env=env)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout

    def builds(self):
        return len(self.log.read_text().splitlines()) if self.log.exists() else 0

    def accelerations(self):
        log = self.log.parent / "accelerate.log"
        return len(log.read_text().splitlines()) if log.exists() else 0

    def test_builds_once_links_and_rebuilds_only_when_an_input_changes(self):
        out = self.run_script()
        self.assertIn("building the default corpus", out)
        self.assertEqual(self.builds(), 1)
        work = self.bin.parent / "corpus-work"
        self.assertTrue((work / "source.jsonl").stat().st_size > 0)
        self.assertTrue((work / "yitizi.txt").stat().st_size > 0)
        for name in CORPUS_FILES:
            with self.subTest(file=name):
                self.assertTrue((self.bin / name).samefile(self.corpus / name))

        self.assertIn("up to date", self.run_script())
        self.assertEqual(self.builds(), 1)

        (self.bin / "kvt.dir").unlink()
        self.assertIn("linked", self.run_script())
        self.assertEqual(self.builds(), 1)
        self.assertTrue((self.bin / "kvt.dir").samefile(self.corpus / "kvt.dir"))

        stat = self.builder.stat()
        os.utime(self.builder, (stat.st_atime, stat.st_mtime + 10))
        self.run_script()
        self.assertEqual(self.builds(), 2)

    def test_an_older_corpus_gets_its_accelerator_once_and_stale_derived_links_go(self):
        self.run_script()
        for name in ["Index-idx.acc", "Index_content-idx.acc", "Index_desc-idx.acc"]:
            (self.corpus / name).unlink()
        self.run_script()
        self.assertEqual((self.builds(), self.accelerations()), (1, 1))
        self.assertTrue((self.bin / "Index-idx.acc").samefile(self.corpus / "Index-idx.acc"))
        self.assertIn("up to date", self.run_script())
        self.assertEqual(self.accelerations(), 1)

        # A corpus without a manifest must not leave the previous build's one
        # beside the program.
        (self.corpus / "corpus.id").unlink()
        self.run_script()
        self.assertFalse((self.bin / "corpus.id").exists())

    def test_a_failed_rebuild_keeps_the_old_corpus_and_is_retried(self):
        self.run_script()
        working = self.builder.read_text()
        self.builder.write_text("#!/bin/sh\necho refused >&2\nexit 2\n")
        env = dict(os.environ, XDG_CACHE_HOME=str(self.cache))
        result = subprocess.run(["bash", str(SCRIPT), str(self.bin)], capture_output=True, text=True, env=env)
        self.assertNotEqual(result.returncode, 0)
        self.assertFalse((self.bin.parent / "corpus-work" / "corpus.stamp").exists())
        self.assertTrue((self.bin / "kvt.dir").samefile(self.corpus / "kvt.dir"))

        self.builder.write_text(working)
        self.assertIn("building the default corpus", self.run_script())
        self.assertEqual(self.builds(), 2)

    def test_a_missing_builder_is_reported(self):
        self.builder.unlink()
        env = dict(os.environ, XDG_CACHE_HOME=str(self.cache))
        result = subprocess.run(["bash", str(SCRIPT), str(self.bin)], capture_output=True, text=True, env=env)
        self.assertEqual(result.returncode, 1)
        self.assertIn("orvale-build", result.stderr)


if __name__ == "__main__":
    unittest.main()
