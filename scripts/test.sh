#!/usr/bin/env bash
# Installs what is missing, builds the debug configuration and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --deps-only

# Tools that only the tests use (tests skip with a message when one is missing).
TEST_PACKAGES=(
  proj-bin  # cs2cs: the independent UTM reference
)
missing_test=()
for p in "${TEST_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing_test+=("$p")
done
if [ ${#missing_test[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing_test[@]}"
fi

cmake --preset debug
cmake --build --preset debug
ctest --preset debug
