#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 600).
#   usage: scripts/fuzz.sh [SECONDS] [TARGET...]      e.g. scripts/fuzz.sh 60 zip gpx
#   FUZZ_JOBS=N runs N targets at the same time (default 1).
# Seeds come from the stand-in server's world, the shared fixtures and fuzz/seeds/. Each target's
# corpus grows in build/fuzz/corpus/TARGET; what a target finds (crash, leak, time-out, memory) is
# kept in build/fuzz/findings/TARGET/ and listed at the end; the exit status is 1 when there is any.
# Replay a finding with: build/fuzz/fuzz/fuzz_TARGET FILE
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-600}
[ $# -gt 0 ] && shift
jobs=${FUZZ_JOBS:-1}

bash scripts/install-packages.sh clang libclang-rt-14-dev curl cmake ninja-build
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}
cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target fuzz_all vellora-cli

out=$root/build/fuzz
all_targets=()
for f in fuzz/fuzz_*.cpp; do all_targets+=("$(basename "$f" .cpp | sed 's/^fuzz_//')"); done
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

bash scripts/fuzz-seeds.sh "$out"

mkdir -p "$out/logs"
run_target() {
  local t=$1
  mkdir -p "$out/corpus/$t" "$out/findings/$t" "$out/seeds/$t"
  # -timeout: one input taking seconds is a finding (every reader must be linear in its input).
  "$out/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/findings/$t/" "$out/corpus/$t" "$out/seeds/$t" >"$out/logs/$t.log" 2>&1 || true
  local runs cov
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/logs/$t.log" | grep -o '[0-9]*$' || echo 0)
  cov=$(grep -o 'cov: [0-9]*' "$out/logs/$t.log" | tail -1 | grep -o '[0-9]*' || echo 0)
  printf '%-18s %6ss %10s runs  cov %5s  corpus %5s  findings %s\n' "$t" "$seconds" "$runs" "$cov" \
    "$(find "$out/corpus/$t" -type f | wc -l)" "$(find "$out/findings/$t" -type f | wc -l)"
}

running=0
for t in "${targets[@]}"; do
  if [ ! -x "$out/fuzz/fuzz_$t" ]; then echo "no fuzz target: $t" >&2; exit 2; fi
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait

findings=$(find "$out/findings" -type f 2>/dev/null | sort)
if [ -n "$findings" ]; then
  echo "Findings (logs in $out/logs/):"
  echo "$findings"
  exit 1
fi
echo "No findings."
