#!/usr/bin/env bash
# The main job: a whole outing prepared against the stand-in servers on 127.0.0.1, in a fresh
# application home. With --gui (and a display) the desktop program opens on that home afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/release
cli="$bin/src/cli/vellora-cli"
home="${VELLORA_DEMO_HOME:-$(mktemp -d /tmp/vellora-demo-XXXXXX)}"

# The stand-in servers, pointed at by the demo home's configuration.
fifo=$(mktemp -u); mkfifo "$fifo"
"$bin/sim/vellora-sim" --port 0 --seed 1 --caches 2000 --home "$home" > "$fifo" &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r base < "$fifo"
echo "Stand-in servers: $base"
echo "Programmverzeichnis: $("$cli" --home "$home" init)"

"$cli" --home "$home" --no db download
echo "Caches in der Datenbank: $("$cli" --home "$home" db count)"

# A small work list: the first ten waypoints of the database.
"$cli" --home "$home" config set Program OutDir "$home/ausgabe" >/dev/null
mkdir -p "$home/ausgabe"
python3 - "$home" <<'PY'
import struct, sys
home = sys.argv[1]
data = open(f"{home}/Caches.bin", "rb").read()
wps = []
for n in range(min(10, len(data) // 296)):
    rec = data[n * 296:(n + 1) * 296]
    ln = rec[194]
    wps.append(rec[195:195 + min(ln, 16)].decode("cp1252"))
open(f"{home}/WPList.txt", "wb").write(("\r\n".join(wps) + "\r\n").encode("cp1252"))
print("Arbeitsliste:", " ".join(wps))
PY
"$cli" --home "$home" load
"$cli" --home "$home" generate
"$cli" --home "$home" index
"$cli" --home "$home" geo distance 49.6 10.85 49.5 10.75
echo "Ausgabe: $home/ausgabe (index.html und *_converted.html)"

if [ "${1:-}" = "--gui" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/src/ui/vellora" --home "$home"
fi
