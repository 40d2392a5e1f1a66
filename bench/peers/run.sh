#!/usr/bin/env bash
# Compares our engine with SQLite FTS5 (trigram), Groonga (bigram) and
# ripgrep on one corpus: installs the peers when missing, builds the helper
# programs, builds the peers' indexes once into WORK_DIR and prints the
# Markdown table of run_peers.py.
#
#   bench/peers/run.sh BUILD_DIR SOURCE.jsonl CORPUS_DIR WORK_DIR [run_peers.py options]
#
# BUILD_DIR: a configured build folder (Release or RelWithDebInfo); SOURCE:
# the corpus source the corpus in CORPUS_DIR was built from.
set -euo pipefail

if [[ $# -lt 4 ]]; then
  echo "usage: $0 BUILD_DIR SOURCE.jsonl CORPUS_DIR WORK_DIR [run_peers.py options]" >&2
  exit 2
fi
build=$1 source=$2 corpus=$3 work=$4
shift 4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

missing=()
command -v sqlite3 >/dev/null || missing+=(sqlite3)
command -v groonga >/dev/null || missing+=(groonga)
command -v rg >/dev/null || missing+=(ripgrep)
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "installing ${missing[*]}" >&2
  apt-get update -qq && apt-get install -y -qq "${missing[@]}" >&2
fi
python3 - <<'PY' || { echo "python3's sqlite3 module lacks FTS5" >&2; exit 1; }
import sqlite3
sqlite3.connect(':memory:').execute("CREATE VIRTUAL TABLE t USING fts5(b, tokenize='trigram')")
PY

cmake --build "$build" --target ours_query peer_text -j2 >&2
python3 "$here/run_peers.py" --source "$source" --corpus "$corpus" --work "$work" \
  --bin "$build/bin" --queries "$here/queries.tsv" "$@"
