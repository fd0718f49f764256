#!/usr/bin/env bash
# Checks how converted Quake maps look next to the levels their authors
# compiled: each map goes through korvex-play (which finds the light
# stage's switches and the factor that matches the original's light), is
# converted and packed as korvex-play does it, and is pictured beside its
# original .bsp from the same eyes by the shared side-by-side tool.
# Prints per map the light stage's switches, the median brightness ratio
# Q3/Q1 and the median light-pattern correlation of the views; then how
# many maps lie within 0.8-1.25 and the medians over all maps.
# Exits 1 when a step fails for a map, 2 when the shared tools are missing.
#
# Usage: tools/look_check.sh [MAP_NAME...]
#   (default: the compiled corpus maps whose .bsp holds all their textures
#   and was lit by the map's own lights)
# Environment: SHARED (default ../shared), BUILD (default build),
#   OUT (default: a new folder under /tmp, kept), VIEWS (default 6),
#   FAST=1 for the compiler's quick vis and light on both sides.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
shared=$(cd "${SHARED:-$here/../shared}" 2>/dev/null && pwd) || { echo "look_check: no shared folder" >&2; exit 2; }
build=$(cd "${BUILD:-$here/build}" && pwd) || exit 2
tools=$shared/tools
for tool in "$tools/q3map2" "$tools/sidebyside.sh"; do
  [ -x "$tool" ] || { echo "look_check: $tool not found" >&2; exit 2; }
done
out=${OUT:-$(mktemp -d /tmp/look_check.XXXXXX)}
views=${VIEWS:-6}
fast=()
light_fast=""
if [ "${FAST:-0}" = 1 ]; then fast=(--fast); light_fast="-fast"; fi

default_maps="e1m1_rabbit pd_counter pd_cutscenes pd_elevator pd_gravity pd_ionous pd_keys pd_ladders
pd_lasers pd_lava pd_meat pd_rotate pd_void pd_yoder prefab_textstory start"
maps=${*:-$default_maps}

# The light stage's switches korvex-play used, and its light match.
light_switches() {
  python3 - "$1" <<'EOF'
import json, sys
record = json.load(open(sys.argv[1]))['maps'][0]
light = [c['command'] for c in record['compile'] if c['stage'] == 'light'][0]
words = [w for w in light[light.index('-light') + 1:-1] if w != '-fast']
print(' '.join(words + (record.get('light_match') or {}).get('switches', [])))
EOF
}

failed=0
mkdir -p "$out"
: > "$out/figures.txt"
for name in $maps; do
  dir=$out/$name
  rm -rf "$dir"
  mkdir -p "$dir/play"
  source_map=$(ls "$shared"/corpus/q1/*__"$name".map 2>/dev/null | head -1)
  bsp=$shared/textures/q1/bsp/$name.bsp
  if [ -z "$source_map" ] || [ ! -f "$bsp" ]; then
    echo "$name: no corpus map or compiled level"; failed=1; continue
  fi
  cp "$source_map" "$dir/play/$name.map"
  if ! (cd "$dir/play" && "$build/play/korvex-play" ${fast[@]+"${fast[@]}"} --compiler "$tools/q3map2" --report report.json \
        -o "$name.pk3" "$name.map" "$bsp" "$shared/textures/q1/palette.lmp" > summary.txt 2> errors.txt); then
    echo "$name: korvex-play failed (see $dir/play/errors.txt)"; failed=1; continue
  fi
  switches=$(light_switches "$dir/play/report.json")
  if ! (cd "$dir" && "$build/korvex" -q3 -fog -t "$here/tables/q1-keep.tex" -e "$here/tables/q1.ent" \
        -s "$source_map" -d "$name.map" > convert.log 2>&1) ||
     ! "$build/texpack/korvex-tex" -o "$dir/$name.pk3" "$dir/$name.map" "$bsp" "$shared/textures/q1/palette.lmp" \
        > "$dir/tex.log" 2>&1; then
    echo "$name: converting or packing failed (see $dir)"; failed=1; continue
  fi
  LIGHT_ARGS="$light_fast $switches" "$tools/sidebyside.sh" --pk3 "$dir/$name.pk3" -n "$views" \
    "$dir/$name.map" "$bsp" "$dir/pictures" > "$dir/sidebyside.log" 2>&1
  figures=$(tail -1 "$dir/sidebyside.log" | sed -n 's/.*median brightness Q3\/Q1 \([0-9.]*\), median light-pattern correlation \([0-9.]*\).*/\1 \2/p')
  if [ -z "$figures" ]; then
    echo "$name: side by side failed: $(tail -1 "$dir/sidebyside.log")"; failed=1; continue
  fi
  echo "$name $figures" >> "$out/figures.txt"
  printf '%-18s brightness %s  pattern %s  [%s]\n' "$name" ${figures% *} ${figures#* } "$switches"
done

awk '{ b[NR] = $2; p[NR] = $3; if ($2 >= 0.8 && $2 <= 1.25) ++within }
  function median(v, n,   i, j, t) {
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  END { if (NR) printf "%d of %d maps within 0.8-1.25; median brightness %.3f, median pattern %.3f (pictures in %s)\n",
                        within, NR, median(b, NR), median(p, NR), out }' out="$out" "$out/figures.txt"
exit $failed
