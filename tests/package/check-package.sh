#!/usr/bin/env bash
# Unpacks the Debian package into a temporary folder and tries it from there: the programs start,
# each finds the shipped files beside its own bin/ (not the source tree's copy), and the desktop
# entry makes Vellora the program for pocket queries.
#   check-package.sh FILE.deb     the package as it is
#   check-package.sh BUILD_DIR    makes the package from that build first (the package files,
#                                 then cpack)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: check-package.sh FILE.deb|BUILD_DIR" >&2; exit 2; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A missing tool skips its check with a message; in CI (CI=true) it is a failure.
have() {
  command -v "$1" >/dev/null && return 0
  if [ "${CI:-}" = true ]; then fail "$1 missing ($2)"; else echo "SKIP: $1 missing ($2)"; fi
  return 1
}

if [ -d "$1" ]; then
  cmake --build "$1" --target vellora_package_files >"$tmp/build.log" 2>&1 ||
    { cat "$tmp/build.log" >&2; echo "FAIL: building the package files" >&2; exit 1; }
  # Run from the output folder: the package's relative output prefix is taken from there.
  build=$(cd "$1" && pwd)
  mkdir -p "$tmp/out"
  (cd "$tmp/out" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out") >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
  deb=$(find "$tmp/out" -name 'vellora_*.deb' -print -quit)
else
  deb=$1
fi
[[ $(basename "$deb") =~ ^vellora_[0-9]+\.[0-9]+\.[0-9]+_amd64\.deb$ ]] || fail "package name $(basename "$deb")"

root=$tmp/root
dpkg-deb -x "$deb" "$root"

# What the package must carry (the generated icons and manual pages are built on request).
for f in usr/bin/vellora usr/bin/vellora-cli usr/bin/vellora-booklet-print usr/bin/vellora-sim \
  usr/share/vellora/CacheDB.conf usr/share/vellora/template.html usr/share/vellora/gmtemplate.html \
  usr/share/applications/vellora.desktop usr/share/metainfo/org.vellora.vellora.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/vellora.svg \
  usr/share/man/man1/vellora.1.gz usr/share/man/man1/vellora-cli.1.gz usr/share/man/man1/vellora-sim.1.gz \
  usr/share/doc/vellora/copyright usr/share/doc/vellora/changelog.gz; do
  [ -s "$root/$f" ] || fail "missing /$f (built the target vellora_package_files?)"
done
for size in 16 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/vellora.png
  # PNG: width and height are the big-endian words at bytes 16 and 20 of the IHDR chunk.
  dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "icon ${size}x${size}: ${dims:-missing}"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libcurl4 libexpat1; do
  [[ $depends == *"$lib"* ]] || fail "Depends without $lib (shlibdeps): $depends"
done
# Every manual page names each option the program's help names.
for prog in vellora vellora-cli vellora-sim; do
  page=$(gzip -dc "$root/usr/share/man/man1/$prog.1.gz" 2>/dev/null | sed 's/\\-/-/g' || true)
  help=$("$root/usr/bin/$prog" --help) || fail "$prog --help"
  options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
  [ -n "$options" ] || fail "$prog --help names no option"
  for option in $options; do
    [[ $page == *"$option"* ]] || fail "manual page of $prog without $option"
  done
done
[[ $(gzip -dc "$root/usr/share/man/man1/vellora-cli.1.gz" | sed 's/\\-/-/g') == *"init"* ]] ||
  fail "manual page of vellora-cli without the command init"

# Marked shipped files: what the programs take from beside their bin/ carries the marks, what
# they would take from the source tree does not.
echo "unpacked" >"$root/usr/share/vellora/unpacked-mark.txt"
sed -i 's/^\(DB_Filename1=\)gc_/\1unpacked_mark_/' "$root/usr/share/vellora/CacheDB.conf"
unset VELLORA_DATA_DIR VELLORA_HOME
export HOME=$tmp/user XDG_DATA_HOME=$tmp/user/.local/share XDG_CONFIG_HOME=$tmp/user/.config
mkdir -p "$HOME"

version=$("$root/usr/bin/vellora-cli" --version) || fail "vellora-cli --version"
[[ $version == "vellora-cli "?* ]] || fail "vellora-cli --version: $version"

"$root/usr/bin/vellora-cli" --home "$tmp/cli-home" init >"$tmp/init.log" 2>&1 || fail "vellora-cli init: $(cat "$tmp/init.log")"
[ -f "$tmp/cli-home/unpacked-mark.txt" ] || fail "vellora-cli init did not seed the home from the package"
[ -f "$tmp/cli-home/template.html" ] || fail "vellora-cli init: no template.html in the home"

"$root/usr/bin/vellora-sim" --seed 1 --caches 3 --write-country-files "$tmp/countries" >"$tmp/sim.log" 2>&1 ||
  fail "vellora-sim: $(cat "$tmp/sim.log")"
compgen -G "$tmp/countries/unpacked_mark_*" >/dev/null || fail "vellora-sim did not read the package's country table"

# The desktop program has no scripted end: it runs offscreen until the time is up (status 124);
# by then it has seeded its home.
status=0
QT_QPA_PLATFORM=offscreen timeout 8 "$root/usr/bin/vellora" --home "$tmp/gui-home" >"$tmp/gui.log" 2>&1 || status=$?
[ $status -eq 124 ] || fail "vellora ended early with status $status: $(cat "$tmp/gui.log")"
[ -f "$tmp/gui-home/unpacked-mark.txt" ] || fail "vellora did not seed its home from the package"
"$root/usr/bin/vellora" --version >/dev/null || fail "vellora --version"

# Installed like this, the desktop entry makes Vellora the program for pocket queries.
if have update-desktop-database desktop-file-utils && have xdg-mime xdg-utils; then
  update-desktop-database "$root/usr/share/applications"
  for type in application/gpx+xml application/zip; do
    handler=$(env -i PATH="$PATH" HOME="$HOME" XDG_DATA_HOME="$XDG_DATA_HOME" XDG_DATA_DIRS="$root/usr/share" \
      XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_CONFIG_DIRS="$tmp/no-config" xdg-mime query default "$type")
    [ "$handler" = "vellora.desktop" ] || fail "xdg-mime query default $type: '$handler'"
  done
fi
if have desktop-file-validate desktop-file-utils; then
  desktop-file-validate "$root/usr/share/applications/vellora.desktop" || fail "desktop-file-validate"
fi
if have appstreamcli appstream; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/org.vellora.vellora.metainfo.xml" >"$tmp/as.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$tmp/as.log")"
fi
if have lintian lintian; then
  lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 || fail "lintian: $(cat "$tmp/lintian.log")"
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) of $(basename "$deb") failed" >&2
  exit 1
fi
echo "$(basename "$deb"): unpacked programs found their shipped files"
