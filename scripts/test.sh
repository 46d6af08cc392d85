#!/usr/bin/env bash
# The test command (also CI's): installs what is missing, builds the suite once with
# AddressSanitizer and UndefinedBehaviorSanitizer and warnings as errors, runs every test and
# checks the formatting.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --deps-only
# Tools that only the tests use (tests skip with a message when one is missing): readers our
# export files are checked against, cs2cs as the independent UTM reference, and Chromium, which
# opens a converted description of a hostile page with the network shut off.
TEST_PACKAGES=(gpsbabel libxml2-utils proj-bin chromium)
bash scripts/install-packages.sh "${TEST_PACKAGES[@]}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# Repeated runs (CI caches ~/.ccache) only compile what changed.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
fi
start=$(date +%s)
cmake --preset asan -DVELLORA_WERROR=ON
cmake --build --preset asan
status=0
ctest --preset asan || status=$?
bash scripts/check-format.sh || status=$?
echo "Build and tests took $(( $(date +%s) - start )) s"
exit $status
