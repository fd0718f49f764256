#!/bin/sh
# Runs two korvex binaries over every corpus map (and the bundled example)
# in each mode, and compares exit status, standard output, the output map
# and korvex.log. Prints each difference and a count per mode; exits 1 when
# any run differs.
# Usage: tools/compare_runs.sh OLD_KORVEX NEW_KORVEX [CORPUS_DIR] [OLD_TABLES_DIR]
# (each binary runs with its own version's tables: the old one's from
# OLD_TABLES_DIR, by default the tables/ of this tree)
set -u
old=$(realpath "$1")
new=$(realpath "$2")
here=$(dirname "$(realpath "$0")")/..
corpus=$(realpath "${3:-$here/../shared/corpus}")
old_tables=$(realpath "${4:-$here/tables}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT; [ -n "${KEEP_WORK:-}" ] && trap - EXIT
mkdir -p "$work/old" "$work/new"
cp "$old_tables"/*.ent "$old_tables"/*.tex "$work/old/"
cp "$here"/tables/*.ent "$here"/tables/*.tex "$here"/tables/*.rules "$work/new/" 2>/dev/null || true

modes="-enum|conv|-g 1.5 -l 0.5|-x -enum|-x|-x -g 1.5 -l 0.5|-x -g 2|-g 0.5 -l 3|-q3|-x -t KEEP"
differences=0
runs=0
run_side() {  # side binary map args...
  side=$1; bin=$2; map=$3; shift 3
  dir="$work/$side"
  rm -f "$dir/out.map" "$dir/korvex.log"
  (cd "$dir" && "$bin" -s "$map" -d out.map "$@" < /dev/null > stdout.txt 2> /dev/null; echo $? > status.txt)
}
IFS='
'
for map in "$here/examples/test.map" $(ls "$corpus"/q1/*.map "$corpus"/q2/*.map 2>/dev/null); do
  case "$map" in */q2/*) game=-q2; keep=q2-keep.tex ;; *) game=; keep=q1-keep.tex ;; esac
  IFS='|'
  for mode in $modes; do
    IFS=' '
    # shellcheck disable=SC2086
    set -- $mode
    [ "$mode" = conv ] && set --
    args=""
    for a in "$@"; do [ "$a" = KEEP ] && a=$keep; args="$args $a"; done
    # shellcheck disable=SC2086
    run_side old "$old" "$map" $args $game
    # shellcheck disable=SC2086
    run_side new "$new" "$map" $args $game
    runs=$((runs + 1))
    for f in status.txt stdout.txt out.map korvex.log; do
      if ! cmp -s "$work/old/$f" "$work/new/$f"; then
        if [ -e "$work/old/$f" ] || [ -e "$work/new/$f" ]; then
          echo "DIFF $f: $(basename "$map") [$mode]"
          differences=$((differences + 1))
        fi
      fi
    done
    IFS='|'
  done
  IFS='
'
done
echo "runs: $runs, differing files: $differences"
[ "$differences" -eq 0 ]
