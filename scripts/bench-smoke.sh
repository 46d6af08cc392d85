#!/usr/bin/env bash
# Runs every built benchmark once at a thousandth of its size (VELLORA_BENCH_SMOKE), so that one
# that no longer starts, crashes or reports an error is seen; the figures of this run mean nothing.
# Usage: scripts/bench-smoke.sh [BUILD_DIR]   (default build/release)
set -uo pipefail
cd "$(dirname "$0")/.."
bench_dir="${1:-build/release}/bench"
export VELLORA_BENCH_SMOKE=1 QT_QPA_PLATFORM=offscreen
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0 count=0
for bench in "$bench_dir"/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  count=$((count + 1))
  start=$(date +%s)
  # Google Benchmark exits with 0 after a benchmark's own error; its report says so.
  if "$bench" --benchmark_min_time=0.01 >"$output" 2>&1 && ! grep -q "ERROR OCCURRED" "$output"; then
    echo "bench smoke: $(basename "$bench") ok ($(($(date +%s) - start)) s)"
  else
    echo "bench smoke: $(basename "$bench") FAILED"
    cat "$output"
    status=1
  fi
done
if [ "$count" -eq 0 ]; then
  echo "bench smoke: no benchmarks in $bench_dir"
  status=1
fi
exit $status
