#!/bin/sh
# How many caches vellora-cli and gpsbabel read from each pocket query of tests/import/fixtures/pq
# (one pocket query of three caches, each variant with one defect).
#   bench/pq_defects_vs_gpsbabel.sh [BUILD_DIR]
# BUILD_DIR defaults to build/dev. Needs gpsbabel.
set -eu

BUILD=${1:-build/dev}
CLI="$BUILD/src/cli/vellora-cli"
FIXTURES=$(dirname "$0")/../tests/import/fixtures/pq
[ -x "$CLI" ] || { echo "missing: $CLI" >&2; exit 1; }
command -v gpsbabel >/dev/null || { echo "missing: gpsbabel (apt-get install gpsbabel)" >&2; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT INT TERM

printf '%-24s %8s %8s\n' file vellora gpsbabel
for gpx in "$FIXTURES"/*.gpx; do
    case "$gpx" in *-wpts.gpx) continue ;; esac
    rm -rf "$WORK/home"
    "$CLI" --home "$WORK/home" init >/dev/null
    : >"$WORK/home/Caches.bin"
    "$CLI" --home "$WORK/home" gpx import "$gpx" >/dev/null 2>&1 || true
    ours=$("$CLI" --home "$WORK/home" db count)
    theirs=$(gpsbabel -i gpx -f "$gpx" -o csv -F - 2>/dev/null | grep -c . || true)
    gpsbabel -i gpx -f "$gpx" -o csv -F /dev/null >/dev/null 2>&1 || theirs="$theirs (error)"
    printf '%-24s %8s %8s\n' "$(basename "$gpx")" "$ours" "$theirs"
done
