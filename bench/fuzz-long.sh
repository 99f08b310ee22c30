#!/usr/bin/env bash
# Runs every fuzz target for 10 minutes (MINUTES to change it), two at a time at the
# lowest priority, and prints executions, coverage (cov, ft) and findings per target.
# Not part of CI, which runs each target for 30 seconds. Needs the `fuzz` preset built:
#   cmake --workflow --preset fuzz && bench/fuzz-long.sh
# A finding stops its target; FUZZ_ARGS="-fork=1 -ignore_crashes=1" goes on and collects
# every crash input in the work folder's artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${MINUTES:-10}
# At the lowest priority a build beside the runs can hold one input for long: allow a minute.
export FUZZ_TIMEOUT=${FUZZ_TIMEOUT:-60}
exec nice -n 19 fuzz/run.sh $((minutes * 60)) 2 "$@"
