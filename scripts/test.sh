#!/usr/bin/env bash
# The test command (also CI's): installs what is missing, builds the suite once with
# AddressSanitizer and UndefinedBehaviorSanitizer and warnings as errors, runs every test, builds
# the release configuration with the benchmarks and runs each benchmark once at a small size, and
# checks the formatting. The sanitizer options the tests need are in the asan test preset.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --deps-only
# Tools that only the tests use (tests skip with a message when one is missing): readers our
# export files are checked against (gpsbabel, xmllint, Python's csv module), cs2cs as the
# independent UTM reference, and Chromium, which opens a converted description of a hostile page
# with the network shut off.
# The package test makes the Debian package (dpkg-dev, librsvg2-bin) and checks it with lintian,
# desktop-file-utils, appstream and xdg-utils. pdfinfo and pdftotext (poppler-utils) read the
# printed outing booklet back.
TEST_PACKAGES=(gpsbabel libxml2-utils proj-bin python3 chromium
               dpkg-dev librsvg2-bin lintian desktop-file-utils appstream xdg-utils poppler-utils)
bash scripts/install-packages.sh "${TEST_PACKAGES[@]}"
# Repeated runs (CI caches ~/.ccache) only compile what changed, in this checkout or another one:
# paths below the checkout are hashed relative to it.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
seconds_since() { echo $(($(date +%s) - $1)); }
start=$(date +%s)
cmake --preset asan -DVELLORA_WERROR=ON
cmake --build --preset asan
built=$(date +%s)
status=0
ctest --preset asan || status=$?
tested=$(date +%s)
# The release configuration, benchmarks included: compiled and run once so that none rots unseen.
cmake --preset release -DVELLORA_WERROR=ON -DVELLORA_BUILD_BENCH=ON
cmake --build --preset release --target vellora vellora-cli vellora-booklet-print vellora-sim bench_all || status=$?
bash scripts/bench-smoke.sh build/release || status=$?
# The Debian package of the release build, unpacked and tried (sanitizer builds make none).
ctest --preset release -L package || status=$?
benched=$(date +%s)
bash scripts/check-format.sh || status=$?
echo "ASan build $((built - start)) s, tests $((tested - built)) s, release build and benchmark" \
  "smoke run $((benched - tested)) s; $(seconds_since "$start") s in all"
exit $status
