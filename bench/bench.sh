#!/bin/sh
# Times korvex on a generated map of about 100 MB against copying the file:
# classic runs, extended (-x) runs, and runs with the texture rules (-t) and
# for a map to play (-q3). Best of five runs each. Then korvex-batch, beside
# korvex, over the shared corpus (see batch_bench.sh; $BATCH_BEFORE names
# another korvex-batch to time beside it).
# Usage: bench/bench.sh path/to/korvex
set -eu
korvex=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
awk -v brushes=200000 -v lights=150000 -f "$here/make_map.awk" > big.map
cp "$here/../tables/q1.ent" q1.ent
cp "$here/../tables/q1.tex" q1.tex
size=$(wc -c < big.map)

best() {  # best wall time in seconds of five runs of the command
  b=""
  for i in 1 2 3 4 5; do
    s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N)
    t=$((e - s))
    if [ -z "$b" ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "$b"
}

report() {  # label, nanoseconds
  awk -v label="$1" -v t="$2" -v size="$size" -v copy="$copy" \
    'BEGIN { printf "%-30s %7.3f s %7.0f MB/s %6.2f x cp\n", label, t / 1e9, size / t * 1e3, t / copy }'
}

printf 'map: %d bytes\n' "$size"
copy=$(best cp big.map copy.map)
report "cp" "$copy"
for args in "-enum" "" "-g 1.5 -l 0.5" "-enum -x" "-x" "-x -g 1.5 -l 0.5" "-t q1.tex" "-x -t q1.tex" "-q3"; do
  # shellcheck disable=SC2086
  report "korvex $args" "$(best "$korvex" -s big.map -d out.map $args)"
done
sh "$here/batch_bench.sh" "$(dirname "$korvex")/korvex-batch" "${BATCH_BEFORE:-}"
