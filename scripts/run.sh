#!/usr/bin/env bash
# The main job: a whole outing prepared against the stand-in servers on 127.0.0.1, in a demo
# application home that later runs reuse and refresh. Run scripts/setup.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  cat <<'TXT'
Aufruf: scripts/run.sh [--home VERZEICHNIS] [--gui] [--help]

Bereitet eine Tour gegen die Ersatz-Server (vellora-sim auf 127.0.0.1) vor: Cache-Datenbank laden,
Arbeitsliste mit zehn Caches, Cachebeschreibungen mit Bildern und Karten laden, konvertieren,
Indexseite schreiben, Tourheft (PDF) drucken.

  --home VERZEICHNIS  Programmverzeichnis der Demo (Vorgabe: $VELLORA_DEMO_HOME, sonst
                      ${XDG_DATA_HOME:-~/.local/share}/vellora-demo); ein weiterer Lauf verwendet
                      es wieder und frischt es auf
  --gui               danach das Desktop-Programm auf diesem Programmverzeichnis öffnen
                      (braucht eine Anzeige: DISPLAY oder WAYLAND_DISPLAY)
  --help              diese Hilfe
TXT
}

home="${VELLORA_DEMO_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/vellora-demo}"
gui=0
while [ $# -gt 0 ]; do
  case "$1" in
    --help|-h) usage; exit 0 ;;
    --gui) gui=1 ;;
    --home)
      if [ $# -lt 2 ] || [ -z "$2" ]; then echo "--home ohne Verzeichnis" >&2; usage >&2; exit 2; fi
      home="$2"; shift ;;
    --home=*) home="${1#--home=}" ;;
    *) echo "Unbekanntes Argument: $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done

bin="${VELLORA_BUILD_DIR:-build/release}"  # another build directory for trying the script
cli="$bin/src/cli/vellora-cli"
for program in "$cli" "$bin/src/cli/vellora-booklet-print" "$bin/sim/vellora-sim"; do
  if [ ! -x "$program" ]; then
    echo "$program fehlt: zuerst bash scripts/setup.sh ausführen." >&2
    exit 1
  fi
done
if [ "$gui" = 1 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "--gui: keine Anzeige (DISPLAY und WAYLAND_DISPLAY sind leer); das Desktop-Programm wird nicht geöffnet." >&2
  echo "Die Demo läuft trotzdem; später mit Anzeige: $bin/src/ui/vellora --home \"$home\"" >&2
  gui=0
fi
mkdir -p "$home"

# The stand-in servers, pointed at by the demo home's configuration (on a new port each run).
fifo=$(mktemp -u); mkfifo "$fifo"
"$bin/sim/vellora-sim" --port 0 --seed 1 --caches 2000 --home "$home" > "$fifo" &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r base < "$fifo"
echo "Ersatz-Server: $base"
echo "Programmverzeichnis: $("$cli" --home "$home" init)"

"$cli" --home "$home" --no db download
count=$("$cli" --home "$home" db count)
echo "Caches in der Datenbank: $count"

# A small work list: the first ten waypoints of the database.
out="$home/ausgabe"
"$cli" --home "$home" config set Program OutDir "$out" >/dev/null
# A later run refreshes the listings of the reused home instead of passing over those it has.
"$cli" --home "$home" config set Program LoadSaveOpts 1 >/dev/null
"$cli" --home "$home" config set Program LoadOverwrite 1 >/dev/null
# Maps from the OpenStreetMap tiles (the stand-in serves them), zoom 15, medium size.
"$cli" --home "$home" config set Program LoadMapKind 4 >/dev/null
"$cli" --home "$home" config set Program LoadMapZoom4 3 >/dev/null
"$cli" --home "$home" config set Program LoadMapSize 1 >/dev/null
mkdir -p "$out"
mapfile -t waypoints < <("$cli" --home "$home" db list --fields Waypoint | head -n 10)
printf '%s\r\n' "${waypoints[@]}" > "$home/WPList.txt"
echo "Arbeitsliste: ${waypoints[*]}"

"$cli" --home "$home" load
"$cli" --home "$home" generate
"$cli" --home "$home" index
# The outing as one PDF; the printer's progress goes to a log unless it fails.
if ! booklet=$("$cli" --home "$home" booklet 2>"$home/tourheft.log"); then
  cat "$home/tourheft.log" >&2
  exit 1
fi
echo "Beispiel einer Entfernung (49.6 10.85 nach 49.5 10.75): $("$cli" --home "$home" geo distance 49.6 10.85 49.5 10.75 | head -n 1)"

converted=$(find "$out" -maxdepth 1 -name '*_converted.html' | wc -l)
maps=$(find "$out" -maxdepth 1 -name '*_osm.png' | wc -l)
echo
echo "Fertig. Programmverzeichnis der Demo: $home"
echo "  Cache-Datenbank: $count Caches in $home/Caches.bin"
echo "  Arbeitsliste: ${#waypoints[@]} Caches in $home/WPList.txt"
echo "  Konvertierte Cachebeschreibungen: $converted in $out (mit $maps OpenStreetMap-Karten)"
echo "  Indexseite: $out/index.html"
echo "  Tourheft: $booklet"

if [ "$gui" = 1 ]; then
  "$bin/src/ui/vellora" --home "$home"
fi
