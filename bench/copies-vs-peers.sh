#!/usr/bin/env bash
# Times the whole reduced-copy job on the corpus of bench/make-corpus.sh, in one run:
#   fotela    fotela-cli album DIR --copies-only --yes  (large copies 600 px, then thumbnails)
#   vips      vipsthumbnail, the same two steps, two processes in parallel
#   floor     djpeg -scale M/8 at the smallest scale still giving 600 px, two processes
# and prints the wall times (median of RUNS), their ratios and the peak memory (largest
# resident set of one process). The photo set and its progressive part are timed apart.
#
# usage: bench/copies-vs-peers.sh [CORPUS]       (default /tmp/fotela-corpus)
#        FOTELA_CLI=path/to/fotela-cli RUNS=3
set -euo pipefail

corpus=${1:-/tmp/fotela-corpus}
here=$(cd "$(dirname "$0")" && pwd)
cli=${FOTELA_CLI:-$here/../build/bin/fotela-cli}
runs=${RUNS:-3}
for tool in vipsthumbnail djpeg /usr/bin/time "$cli"; do
  command -v "$tool" > /dev/null || { echo "missing: $tool (run bench/make-corpus.sh)"; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Default folder names and list page width 1024: large copies within 600 x 600.
printf '%s\r\n' "Ver=4" "/nowhere" "album.html" " 0 " "bench" "small" "big" " 1024" " 200" \
  FFFFFF 000000 0000FF 000088 0000FF "" "" "" 75 10 AA6600 10 ffffff 50 ffffff 50 "" \
  000000 " 3000" " 0 " > "$work/bench.ini"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
maxkb() { sort -n "$1" | tail -n 1; }

run_fotela() {  # dir -> "seconds peakKB"
  rm -rf "$1/big" "$1/small"
  local t0 t1
  t0=$(now)
  /usr/bin/time -f %M -o "$work/mem" "$cli" album "$1" --copies-only --yes \
    --settings "$work/bench.ini" 2> "$work/fotela.err" || { cat "$work/fotela.err"; exit 1; }
  t1=$(now)
  echo "$(calc "$t1 - $t0") $(maxkb "$work/mem")"
}

run_vips() {  # dir -> "seconds peakKB"
  local out=$work/vips n t0 t1
  rm -rf "$out"
  mkdir -p "$out/big" "$out/small"
  : > "$work/mem"
  n=$(ls "$1"/*.jpg | wc -l)
  t0=$(now)
  ls "$1"/*.jpg | xargs -d '\n' -P 2 -n $(((n + 1) / 2)) \
    /usr/bin/time -f %M -a -o "$work/mem" vipsthumbnail -s "600x600>" -o "$out/big/%s.jpg[Q=70,strip]"
  ls "$out"/big/*.jpg | xargs -d '\n' -P 2 -n $(((n + 1) / 2)) \
    /usr/bin/time -f %M -a -o "$work/mem" vipsthumbnail -s "100x100>" -o "$out/small/%s.jpg[Q=70,strip]"
  t1=$(now)
  echo "$(calc "$t1 - $t0") $(maxkb "$work/mem")"
}

# The decode floor: every photo decoded once at the smallest DCT scale whose result is
# still 600 px on its long side (nothing is written).
run_floor() {  # dir -> "seconds peakKB"
  "$cli" list "$1" | awk -F'\t' -v dir="$1" '{
      long = ($3 > $4) ? $3 : $4; m = 8
      for (k = 1; k <= 8; k++) if (int((long * k + 7) / 8) >= 600) { m = k; break }
      print m "/8\t" dir "/" $1 "." $2 }' > "$work/scales"
  : > "$work/mem"
  local t0 t1
  t0=$(now)
  tr '\t' '\n' < "$work/scales" | xargs -d '\n' -P 2 -n 2 sh -c \
    '/usr/bin/time -f %M -a -o "$0" djpeg -scale "$1" -outfile /dev/null "$2"' "$work/mem"
  t1=$(now)
  echo "$(calc "$t1 - $t0") $(maxkb "$work/mem")"
}

printf '%-12s %6s %7s | %8s %8s %8s | %11s %11s | %7s %7s %7s\n' set photos MB \
  fotela vips floor fotela/vips fotela/floor "fotela MB" "vips MB" "floor MB"
for set in photos progressive; do
  dir=$corpus/$set
  [[ -d $dir ]] || continue
  count=$(ls "$dir"/*.jpg | wc -l)
  ((count > 0)) || continue
  megabytes=$(du -cbL "$dir"/*.jpg | tail -n 1 | awk '{ print int($1 / 1048576 + 0.5) }')
  cat "$dir"/*.jpg > /dev/null  # warm caches
  : > "$work/f"; : > "$work/v"; : > "$work/d"
  for ((r = 0; r < runs; r++)); do
    run_fotela "$dir" >> "$work/f"
    run_vips "$dir" >> "$work/v"
    run_floor "$dir" >> "$work/d"
  done
  f=$(cut -d' ' -f1 "$work/f" | median); v=$(cut -d' ' -f1 "$work/v" | median)
  d=$(cut -d' ' -f1 "$work/d" | median)
  fm=$(cut -d' ' -f2 "$work/f" | sort -n | tail -1); vm=$(cut -d' ' -f2 "$work/v" | sort -n | tail -1)
  dm=$(cut -d' ' -f2 "$work/d" | sort -n | tail -1)
  printf '%-12s %6d %7d | %8.2f %8.2f %8.2f | %11.2f %11.2f | %7d %7d %7d\n' "$set" "$count" \
    "$megabytes" "$f" "$v" "$d" "$(calc "$f / $v")" "$(calc "$f / $d")" \
    $((fm / 1024)) $((vm / 1024)) $((dm / 1024))
  rm -rf "$dir/big" "$dir/small"
done
