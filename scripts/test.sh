#!/usr/bin/env bash
# Installs what is missing, builds the debug configuration and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --deps-only
# Tools that only the tests use (tests skip with a message when one is missing): readers our
# export files are checked against, and cs2cs as the independent UTM reference.
TEST_PACKAGES=(gpsbabel libxml2-utils proj-bin)
missing_test=()
for p in "${TEST_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing_test+=("$p")
done
if [ ${#missing_test[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing_test[@]}"
fi
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
