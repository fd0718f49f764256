#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for the given number of seconds
# (default 60), from its seeds and its kept regression inputs.
# Findings land in build-fuzz/artifacts/<target>/; keep each one under
# fuzz/regressions/<target>/ once its fault is fixed.
set -eu
seconds=${1:-60}
# Absolute paths: the targets that need files work in a folder of their own.
top=$(pwd)
build=$top/${FUZZ_BUILD:-build-fuzz}
targets="convert table numbers args params scan texsources faces playable levels"

command -v clang++ >/dev/null || { echo "clang++ is needed: sudo apt-get install -y clang"; exit 1; }
CC=clang CXX=clang++ cmake -S . -B "$build" -DKORVEX_FUZZ=ON -DKORVEX_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

failed=""
for t in $targets; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t/"
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  seeds="$top/fuzz/seeds/$t"
  [ -d "$top/fuzz/regressions/$t" ] && seeds="$seeds $top/fuzz/regressions/$t"
  # The targets' own console output is noise here; libFuzzer reports on stderr.
  if "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$artifacts" "$corpus" $seeds >/dev/null 2>"$build/logs/$t.log"; then
    result=ok
  else
    result=FAILED
    failed="$failed $t"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$t.log")
  cov=$(grep -o 'cov: [0-9]*' "$build/logs/$t.log" | tail -n 1)
  printf '%-8s %-6s %10s runs  %s\n' "$t" "$result" "${runs:-?}" "$cov"
done
if [ -n "$failed" ]; then
  echo "findings in:$failed (see $build/logs and $build/artifacts)"
  exit 1
fi
