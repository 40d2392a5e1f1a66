#!/bin/sh
# Builds the libFuzzer programs with clang (build/fuzz-clang) and runs each
# fuzz target for SECONDS, starting from its committed seeds. New inputs the
# fuzzer finds go to a scratch corpus in the build folder; a crash, leak or
# timeout input is copied to tests/fuzz/regressions/<target>/, which the
# replay test (fuzz_replay) runs in every build.
#
#   tools/run-fuzzers.sh SECONDS [TARGET...]
#
# Targets: catalogue composer corpusopen highlight indexfiles pagestore query
# variants
# (all of them when none is named). Exit status 1 when a target found
# something, 2 on a usage or build error.
set -u

ALL_TARGETS="catalogue composer corpusopen highlight indexfiles pagestore query variants"

if [ $# -lt 1 ] || ! [ "$1" -gt 0 ] 2>/dev/null; then
    echo "usage: $0 SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift
targets=${*:-$ALL_TARGETS}

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz-clang"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALE_GUI=OFF -DORVALE_BENCH=OFF \
        -DORVALE_FUZZ=ON -DCMAKE_CXX_FLAGS="$flags" >/dev/null || exit 2
fi
programs=""
for target in $targets; do programs="$programs ${target}_fuzzer"; done
# shellcheck disable=SC2086
cmake --build "$build" --target $programs -j2 || exit 2

found=0
for target in $targets; do
    seeds="$root/tests/fuzz/seeds/$target"
    regressions="$root/tests/fuzz/regressions/$target"
    scratch="$build/fuzz-corpus/$target"
    artifacts="$build/fuzz-artifacts/$target"
    mkdir -p "$scratch" "$artifacts"
    echo "== $target: $seconds s"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/bin/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$scratch" "$seeds" \
        >"$build/fuzz-$target.log" 2>&1
    status=$?
    tail -n 12 "$build/fuzz-$target.log"
    for input in "$artifacts"/*; do
        [ -f "$input" ] || continue
        mkdir -p "$regressions"
        cp "$input" "$regressions/"
        rm -f "$input"
        echo "   kept $(basename "$input") in tests/fuzz/regressions/$target/"
        found=1
    done
    [ $status -eq 0 ] || found=1
done
exit $found
