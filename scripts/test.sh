#!/usr/bin/env bash
# Installs what is missing, builds the debug configuration and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --deps-only
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
