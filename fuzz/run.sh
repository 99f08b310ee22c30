#!/usr/bin/env bash
# Runs the fuzz targets built by the `fuzz` preset, each for SECONDS on a copy of its seed
# corpus (fuzz/corpus/<target>; the committed seeds are never changed), JOBS at a time,
# and prints one line per target: executions, coverage (cov, ft) and the result.
# A failing target leaves its crash input and log in the work folder and makes the exit
# status 1.
#
# usage: fuzz/run.sh SECONDS [JOBS [TARGET...]]
# environment: FUZZ_BIN (the targets' folder), FUZZ_WORK (the work folder), FUZZ_TIMEOUT
# (seconds one input may take, 20), FUZZ_ARGS (more
# libFuzzer options, e.g. "-fork=1 -ignore_crashes=1" to go on after a finding)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [JOBS [TARGET...]]}
jobs=${2:-2}
shift $(($# > 1 ? 2 : 1))
bin=${FUZZ_BIN:-$here/../build-fuzz/bin}
work=${FUZZ_WORK:-$(mktemp -d /tmp/fotela-fuzz.XXXXXX)}
targets=("$@")
# Stack traces with function names and lines (clang 16 ships no symbolizer of its own here).
symbolizer=$(command -v llvm-symbolizer-16 || command -v llvm-symbolizer || true)
[[ -n "$symbolizer" ]] && export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-$symbolizer}
if ((${#targets[@]} == 0)); then
  for d in "$here"/corpus/*/; do targets+=("$(basename "$d")"); done
fi

run_one() {
  local t=$1 dir=$work/$1
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp "$here/corpus/$t"/* "$dir/corpus/" 2> /dev/null || true
  # Leaks are checked by the test suite under ASan; here they would only stop long runs
  # on libFuzzer's own bookkeeping.
  "$bin/$t" -max_total_time="$seconds" -print_final_stats=1 -timeout="${FUZZ_TIMEOUT:-20}" -rss_limit_mb=2048 \
    -detect_leaks=0 -artifact_prefix="$dir/artifacts/" ${FUZZ_ARGS:-} "$dir/corpus" > "$dir/log" 2>&1
  echo $? > "$dir/rc"
}

running=0
for t in "${targets[@]}"; do
  if [[ ! -x "$bin/$t" ]]; then
    echo "$t: not built (cmake --workflow --preset fuzz)" >&2
    exit 2
  fi
  run_one "$t" &
  if ((++running >= jobs)); then
    wait -n
    ((running--))
  fi
done
wait

status=0
printf '%-20s %12s %8s %8s  %s\n' target executions cov ft result
for t in "${targets[@]}"; do
  dir=$work/$t
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$dir/log" | tail -1)
  # fork mode prints no final stats: its last progress line counts the executions
  [[ -n "$execs" ]] || execs=$(sed -n 's/^#\([0-9]*\).*/\1/p' <<< "$last")
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$last")
  if [[ $(cat "$dir/rc") == 0 ]]; then
    result=ok
  else
    result="FAILED (log $dir/log)"
    status=1
  fi
  printf '%-20s %12s %8s %8s  %s\n' "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
for t in "${targets[@]}"; do
  if [[ $(cat "$work/$t/rc") != 0 ]]; then
    echo "--- $t ---"
    grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written|deadly signal' "$work/$t/log" | head -20
  fi
done
exit $status
