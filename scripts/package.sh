#!/usr/bin/env bash
# Builds the release configuration and makes the Debian package vellora_VERSION_amd64.deb in the
# checkout's root (install it with `sudo apt install ./vellora_*.deb`). With --check it also
# unpacks the package and tries it (tests/package/check-package.sh) and runs lintian on it.
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "Aufruf: bash scripts/package.sh [--check]" >&2; exit 2 ;;
esac

# Packaging tools: dpkg-shlibdeps for the dependencies, rsvg-convert for the icon sizes; the
# checks use lintian, desktop-file-validate, appstreamcli and xdg-mime.
PACKAGE_TOOLS=(dpkg-dev librsvg2-bin)
[ $check -eq 1 ] && PACKAGE_TOOLS+=(lintian desktop-file-utils appstream xdg-utils)
bash scripts/setup.sh --deps-only
bash scripts/install-packages.sh "${PACKAGE_TOOLS[@]}"

if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
cmake --preset release
cmake --build --preset release --target vellora vellora-cli vellora-sim vellora_package_files
rm -f build/release/packages/vellora_*.deb
(cd build/release && cpack -G DEB)
deb=$(ls build/release/packages/vellora_*.deb)
cp "$deb" .
echo "Paket: $(basename "$deb")"

if [ $check -eq 1 ]; then
  bash tests/package/check-package.sh "$(basename "$deb")"
  lintian --info "$(basename "$deb")"
fi
