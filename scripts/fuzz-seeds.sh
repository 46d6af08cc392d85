#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets into BUILD/seeds/TARGET, from the stand-in server's
# world (databases, GPX, country files and their ZIPs, listing pages, finds pages, map pages, a
# suitcase), the shared ZIP fixtures and the hand-written seeds of fuzz/seeds/.
#   usage: scripts/fuzz-seeds.sh BUILD     (BUILD: the fuzz build folder with vellora-sim and vellora-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
sim=$out/sim/vellora-sim
cli=$out/src/cli/vellora-cli
seeds=$out/seeds
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export ASAN_OPTIONS=detect_leaks=0
rm -rf "$seeds"
mkdir -p "$seeds"
for d in fuzz/seeds/*/; do cp -r "$d" "$seeds/"; done
seed() { mkdir -p "$seeds/$1"; cat >"$seeds/$1/$2"; }

# Files the world writes without a server.
"$sim" --caches 60 --write-db "$work/db" >/dev/null
"$sim" --caches 300 --write-country-files "$work/countries" >/dev/null
"$sim" --caches 60 --write-gpx "$work/pq.gpx" --gpx-count 8 >/dev/null
seed gpx pq <"$work/pq.gpx"
seed gpx_listing_page pq <"$work/pq.gpx"
{ printf '\0'; cat "$work/pq.gpx"; } | seed waypoint_files gpx
# Caches.bin of 60 records is 480 units of 37 bytes: the target's two length bytes, then both files.
{ printf '\x01\xe0'; cat "$work/db/Caches.bin" "$work/db/Caches.idx"; } | seed cache_db world
{ printf '\x00\x0a'; head -c 370 "$work/db/Caches.bin"; head -c 48 "$work/db/Caches.idx"; } | seed cache_db torn
n=0
for f in "$work"/countries/*; do
  case "$f" in
  *.zip | *.ZIP) seed zip "country$n.zip" <"$f" ;;
  *) head -c 20000 "$f" | seed country_db "country$n" ;;
  esac
  n=$((n + 1))
  [ $n -ge 12 ] && break
done
for f in ../shared/fixtures/zip/*; do [ -f "$f" ] && seed zip "$(basename "$f")" <"$f"; done
seed ini CacheDB.conf <data/CacheDB.conf

# Pages and files the server hands out, fetched the way the program fetches them.
home=$work/home
mkdir -p "$home"
"$sim" --port 0 --caches 60 --home "$home" >"$work/sim.out" 2>/dev/null &
sim_pid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
base=$(head -1 "$work/sim.out")
"$cli" --home "$home" init >/dev/null 2>&1 || true
cp "$work/db/Caches.bin" "$work/db/Caches.idx" "$home/"
"$cli" --home "$home" db list --fields waypoint 2>/dev/null | head -6 >"$work/wp.txt" || true
waypoints=$(cat "$work/wp.txt")
"$cli" --home "$home" worklist add $waypoints >/dev/null 2>&1 || true
"$cli" --home "$home" load >/dev/null 2>&1 || true
"$cli" --home "$home" finds load >/dev/null 2>&1 || true
for w in $waypoints; do "$cli" --home "$home" notes set "$w" <<<"Notiz zu $w" >/dev/null 2>&1 || true; done
n=0
for f in "$home"/*.html "$home"/*/*.html; do
  [ -f "$f" ] || continue
  seed listing_fields "page$n" <"$f"
  { printf '\x00'; cat "$f"; } | seed description "plain$n"
  { printf '\xff'; cat "$f"; } | seed description "all$n"
  n=$((n + 1))
done
n=0
for f in "$home"/*.meta "$home"/*/*.meta; do
  [ -f "$f" ] || continue
  seed meta "meta$n" <"$f"
  n=$((n + 1))
done
for f in WPList.txt WParchived.txt; do [ -f "$home/$f" ] && seed lists "$f" <"$home/$f"; done
[ -f "$home/Finds.bin" ] && seed finds_bin Finds.bin <"$home/Finds.bin"
for f in vellora.conf Persinfo.txt; do [ -f "$home/$f" ] && seed ini "$f" <"$home/$f"; done
"$cli" --home "$home" suitcase export "$work/koffer.dat" >/dev/null 2>&1 || true
[ -f "$work/koffer.dat" ] && seed suitcase export <"$work/koffer.dat"
curl -s "$base/seek/nearest.aspx?ul=Tester+41&submit4=Find" | seed finds_page first
curl -s "$base/seek/nearest.aspx?ul=Tester+3&submit4=Find" | seed finds_page short
curl -s "$base/multimap/map/browse.cgi?lat=48.1&lon=11.5&scale=25000&icon=x" | seed map_pages multimap
home_page=$(curl -s "$base/stadtplan/home.asp")
printf '%s' "$home_page" | seed map_pages stadtplan_home
sid=$(printf '%s' "$home_page" | grep -o 'sid=[A-Za-z0-9]*' | head -1 | cut -d= -f2)
curl -s "$base/stadtplan/map.asp?search=coords&sid=$sid&x=11&y=48" | seed map_pages stadtplan_map
curl -s "$base/mapquest/mq/maps/latlong.do?latLongType=decimal&txtLatitude=48.1&txtLongitude=11.5" |
  seed map_pages mapquest
for d in "$seeds"/*/; do printf '%-18s %3s seeds\n' "$(basename "$d")" "$(find "$d" -type f | wc -l)"; done
