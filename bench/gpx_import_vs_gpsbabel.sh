#!/bin/sh
# GPX import of a large pocket query against gpsbabel reading and writing the same file:
# wall time of both, their ratio and both peak memories (/usr/bin/time -v).
#   bench/gpx_import_vs_gpsbabel.sh [BUILD_DIR] [CACHES]
# BUILD_DIR defaults to build/release, CACHES to 100000. Needs gpsbabel and GNU time.
set -eu

BUILD=${1:-build/release}
CACHES=${2:-100000}
CLI="$BUILD/src/cli/vellora-cli"
SIM="$BUILD/sim/vellora-sim"
for tool in "$CLI" "$SIM" /usr/bin/time; do
    [ -x "$tool" ] || { echo "missing: $tool" >&2; exit 1; }
done
command -v gpsbabel >/dev/null || { echo "missing: gpsbabel (apt-get install gpsbabel)" >&2; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT INT TERM
GPX="$WORK/pq.gpx"
"$SIM" --caches "$CACHES" --write-gpx "$GPX" --gpx-count "$CACHES"
"$CLI" --home "$WORK/home" init >/dev/null
: >"$WORK/home/Caches.bin"  # an empty database: every cache is new and written in pass 2

# Runs a command under GNU time; prints "seconds peak_kB".
measure() {
    /usr/bin/time -v "$@" >/dev/null 2>"$WORK/time.txt" || { cat "$WORK/time.txt" >&2; exit 1; }
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
        /Maximum resident set size/ { kb = $2 }
        END { printf "%.2f %d\n", s, kb }' "$WORK/time.txt"
}

SIZE=$(wc -c <"$GPX")
set -- $(measure "$CLI" --home "$WORK/home" gpx import "$GPX")
OURS_S=$1 OURS_KB=$2
COUNT=$("$CLI" --home "$WORK/home" db count)
set -- $(measure gpsbabel -i gpx -f "$GPX" -o gpx -F /dev/null)
BABEL_S=$1 BABEL_KB=$2

echo "file: $CACHES caches, $SIZE bytes; imported records: $COUNT"
echo "vellora-cli gpx import: ${OURS_S} s, peak ${OURS_KB} kB"
echo "gpsbabel gpx -> gpx:    ${BABEL_S} s, peak ${BABEL_KB} kB"
awk -v a="$BABEL_S" -v b="$OURS_S" 'BEGIN { printf "ratio (gpsbabel / import): %.1f\n", a / b }'
