#!/usr/bin/env bash
# Builds the default corpus for the reader in BIN_DIR (the folder of orvale,
# orvale-build and orvale-cli) and links its ten files, with the build's
# manifest and accelerator, into BIN_DIR.
#
#   tools/make-default-corpus.sh BIN_DIR
#
# Inputs: the npm package chinese-poetry (installed into a cache folder
# outside the source tree when missing), the Unihan variants of the Debian
# package unicode-data, the two importer scripts beside this file and
# BIN_DIR/orvale-build. Outputs, beside BIN_DIR: corpus-work/ (the corpus
# source, the variant table and the stamp of the inputs that built the
# corpus) and corpus/ (the built corpus).
# Nothing is rebuilt while the stamp matches the inputs; missing links in
# BIN_DIR are restored without a rebuild.
set -euo pipefail

if [[ $# -ne 1 || "$1" == -h || "$1" == --help ]]; then
  echo "usage: $0 BIN_DIR" >&2
  exit 2
fi

tools_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bin_dir=$(cd "$1" && pwd)
root=$(dirname "$bin_dir")
work="$root/corpus-work"
corpus="$root/corpus"
stamp="$work/corpus.stamp"
builder="$bin_dir/orvale-build"
corpus_files=(Index-fl.h Index-fl.cnt Index-idx.h Index-idx.m
  Index_content-idx.h Index_content-idx.m Index_desc-idx.h Index_desc-idx.m
  kvt.dir yitizi.txt)

started=$SECONDS
say() { printf '[corpus %3ds] %s\n' $((SECONDS - started)) "$*"; }
fail() {
  printf 'make-default-corpus: %s\n' "$*" >&2
  exit 1
}

[[ -x "$builder" ]] || fail "$builder is missing; build the project first"
command -v python3 >/dev/null || fail "python3 is needed to import the texts"

npm_prefix="${XDG_CACHE_HOME:-$HOME/.cache}/orvale/npm"
package="$npm_prefix/node_modules/chinese-poetry"
if [[ ! -f "$package/package.json" || ! -d "$package/dist" ]]; then
  command -v npm >/dev/null || fail "npm is needed to fetch the texts (apt-get install npm)"
  say "installing the npm package chinese-poetry into $npm_prefix (about 85 MB)"
  mkdir -p "$npm_prefix"
  npm install --prefix "$npm_prefix" --prefer-offline --no-audit --no-fund --loglevel=error chinese-poetry ||
    fail "npm could not install chinese-poetry into $npm_prefix"
fi

unihan=$(dpkg -L unicode-data 2>/dev/null | grep '/Unihan_Variants\.txt\.bz2$' | head -n 1 || true)
[[ -n "$unihan" && -f "$unihan" ]] || fail "Unihan_Variants.txt.bz2 not found; install the Debian package unicode-data"

inputs=("$tools_dir/import_chinese_poetry.py" "$tools_dir/make_variants.py" "$tools_dir/make-default-corpus.sh"
  "$package/package.json" "$unihan" "$builder")
fingerprint=$(stat -L -c '%n %s %Y' "${inputs[@]}")

# The build's manifest and accelerator files are linked when the corpus has
# them and removed from BIN_DIR when it has not, so the reader never pairs
# the index with another build's derived files.
derived_files=(corpus.id Index-idx.acc Index_content-idx.acc Index_desc-idx.acc)

link_corpus() {
  for f in "${corpus_files[@]}"; do
    ln -f "$corpus/$f" "$bin_dir/$f" 2>/dev/null || cp -f "$corpus/$f" "$bin_dir/$f"
  done
  for f in "${derived_files[@]}"; do
    if [[ -f "$corpus/$f" ]]; then
      ln -f "$corpus/$f" "$bin_dir/$f" 2>/dev/null || cp -f "$corpus/$f" "$bin_dir/$f"
    else
      rm -f "$bin_dir/$f"
    fi
  done
}

# A corpus built before the builder wrote accelerators gets one added: it
# changes only the speed of first searches and phrases, never the hits.
add_accelerator() {
  [[ -f "$corpus/Index-idx.acc" ]] && return 0
  say "adding the accelerator to $corpus"
  "$builder" --accelerate "$corpus" || say "no accelerator: the reader searches without it"
}

corpus_complete() {
  for f in "${corpus_files[@]}"; do
    [[ -f "$corpus/$f" ]] || return 1
  done
}

links_current() {
  for f in "${corpus_files[@]}"; do
    [[ "$bin_dir/$f" -ef "$corpus/$f" ]] || cmp -s "$bin_dir/$f" "$corpus/$f" || return 1
  done
  for f in "${derived_files[@]}"; do
    if [[ -f "$corpus/$f" ]]; then
      [[ "$bin_dir/$f" -ef "$corpus/$f" ]] || cmp -s "$bin_dir/$f" "$corpus/$f" || return 1
    else
      [[ ! -e "$bin_dir/$f" ]] || return 1
    fi
  done
}

if corpus_complete && [[ -f "$stamp" && "$(cat "$stamp")" == "$fingerprint" ]]; then
  add_accelerator
  if ! links_current; then
    link_corpus
    say "linked the default corpus into $bin_dir"
  else
    say "the default corpus in $bin_dir is up to date"
  fi
  exit 0
fi

say "building the default corpus (takes a few minutes)"
mkdir -p "$work"
say "writing the variant table"
python3 "$tools_dir/make_variants.py" "$unihan" "$work/yitizi.txt"
say "importing the texts of $package"
python3 "$tools_dir/import_chinese_poetry.py" "$package" "$work/source.jsonl"

# orvale-build writes a new folder and swaps it in only when it is complete,
# so a failed build leaves the previous corpus as it was.
rm -f "$stamp"
say "building the index and the page store"
"$builder" "$work/source.jsonl" "$corpus" --variants "$work/yitizi.txt"
printf '%s\n' "$fingerprint" >"$stamp"

link_corpus
say "done: $(du -sh "$corpus" | cut -f1) of corpus files linked into $bin_dir"
