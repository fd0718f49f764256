#!/bin/sh
# Times korvex-batch -q3 over the shared corpus of real maps (both games'
# folders, one output folder made fresh for each run), best of three, and
# the same with another korvex-batch when one is named, for a before and
# after on the same machine. Skipped when the corpus is absent.
# Usage: bench/batch_bench.sh path/to/korvex-batch [path/to/other/korvex-batch]
#   The corpus is ../shared/corpus beside the source tree, or $KORVEX_CORPUS.
#   The other program is typically the one that ran a process per map:
#     git archive b8542ae | tar -x -C /tmp/src-batch-old
#     cmake -S /tmp/src-batch-old -B /tmp/build-batch-old -DKORVEX_TESTS=OFF
#     cmake --build /tmp/build-batch-old --target korvex korvex-batch
#     make bench BATCH_BEFORE=/tmp/build-batch-old/korvex-batch
set -eu
here=$(dirname "$(realpath "$0")")
corpus=${KORVEX_CORPUS:-$here/../../shared/corpus}
if [ ! -d "$corpus/q1" ] && [ ! -d "$corpus/q2" ]; then
  echo "korvex-batch: corpus not found at $corpus (set KORVEX_CORPUS), not timed"
  exit 0
fi
corpus=$(realpath "$corpus")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
maps=$(find "$corpus/q1" "$corpus/q2" -iname '*.map' -type f 2>/dev/null | wc -l)
bytes=$(find "$corpus/q1" "$corpus/q2" -iname '*.map' -type f -exec cat {} + 2>/dev/null | wc -c)

best() {  # best wall time in nanoseconds of three batches of the program
  b=""
  for i in 1 2 3; do
    rm -rf "$work/out"
    s=$(date +%s%N)
    "$1" -q3 "$corpus/q1" "$corpus/q2" -o "$work/out" >/dev/null 2>&1 || true
    e=$(date +%s%N)
    t=$((e - s))
    if [ -z "$b" ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "$b"
}

report() {  # label, nanoseconds
  awk -v label="$1" -v t="$2" -v maps="$maps" \
    'BEGIN { printf "%-30s %7.3f s %7.0f maps/s\n", label, t / 1e9, maps / t * 1e9 }'
}

printf 'corpus: %d maps, %d bytes, %d cores\n' "$maps" "$bytes" "$(nproc)"
if [ $# -ge 2 ] && [ -n "$2" ]; then
  report "korvex-batch -q3 (before)" "$(best "$(realpath "$2")")"
fi
report "korvex-batch -q3" "$(best "$(realpath "$1")")"
