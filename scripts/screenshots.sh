#!/usr/bin/env bash
# Renews the pictures at the top of the README (docs/screenshots/*.png): prepares a demo home
# against the stand-in servers with scripts/run.sh and lets the picture test of the views
# (tests/ui/ReadmePicturesTest.cpp) photograph it offscreen; Chromium shows the converted
# description, pdftoppm the pages of the outing booklet.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --deps-only
bash scripts/install-packages.sh chromium poppler-utils
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
cmake --preset release
cmake --build --preset release --target vellora-cli vellora-booklet-print vellora-sim test_ui

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bash scripts/run.sh --home "$tmp/demo" >"$tmp/run.log" 2>&1 || { cat "$tmp/run.log" >&2; exit 1; }
mkdir -p docs/screenshots
pictures="$PWD/docs/screenshots"
(cd build/release && QT_QPA_PLATFORM=offscreen TZ=Europe/Berlin VELLORA_PICTURE_HOME="$tmp/demo" \
  VELLORA_SCREENSHOT_DIR="$pictures" tests/test_ui --gtest_filter='ReadmePictures.*')
echo "Bilder erneuert: docs/screenshots/main-window.png, converted-description.png, map-window.png, booklet.png"
