#!/usr/bin/env bash
# Installs every Debian package Vellora needs and builds the three programs (not the tests or the
# benchmarks: scripts/test.sh builds and runs the tests). Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6 qt6-translations-l10n
  libcurl4-openssl-dev zlib1g-dev libexpat1-dev libpugixml-dev libcpp-httplib-dev libjpeg62-turbo-dev
  libgumbo-dev libpng-dev
  qt6-webengine-dev libqpdf-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-format
  libjs-leaflet
)

bash "$(dirname "$0")/install-packages.sh" "${PACKAGES[@]}"

if [ "${1:-}" = "--deps-only" ]; then exit 0; fi

cd "$(dirname "$0")/.."
cmake --preset release
cmake --build --preset release --target vellora vellora-cli vellora-booklet-print vellora-sim
echo "Gebaut: build/release/src/ui/vellora, build/release/src/cli/vellora-cli, build/release/sim/vellora-sim"
