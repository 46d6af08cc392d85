#!/usr/bin/env bash
# Makes the two data files of the map window from Debian packages and writes them into data/:
#
#   borders.bin       political borders of the map area from GMT's GSHHG data (packages gmt and
#                     gmt-gshhg-low; GSHHG is LGPL-3 or later, see data/MAP-DATA-ATTRIBUTION.txt);
#   german_towns.csv  towns of the map area from the GeoNames data compiled into libgeonames
#                     (packages libgeonames0 and libgeonames-common; GeoNames is CC-BY-4.0).
#
# Run it again to make the files anew; the output depends only on the package versions.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(gmt gmt-gshhg-low libgeonames0 libgeonames-common python3)
bash scripts/install-packages.sh "${PACKAGES[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Step 1: national borders (-N1) of the area 5..16 E / 47..56 N at low resolution (-Dl) as
# multi-segment text (-M): a line ">" starts a segment, then "lon lat" per point.
(cd "$work" && gmt coast -N1 -M -Dl -R5/16/47/56 > borders.txt)

# Step 2: the segments as records of 12 bytes: longitude and latitude as little-endian 32-bit
# floats, a signed byte that is -1 for the first point of a segment and 0 for the others, three
# bytes zero.
python3 - "$work/borders.txt" data/borders.bin <<'PY'
import struct, sys
out = bytearray()
start = True
for line in open(sys.argv[1], encoding="ascii"):
    line = line.strip()
    if not line:
        continue
    if line.startswith(">"):
        start = True
        continue
    lon, lat = (float(v) for v in line.split()[:2])
    out += struct.pack("<ffb3x", lon, lat, -1 if start else 0)
    start = False
open(sys.argv[2], "wb").write(out)
PY

# Step 3: towns of the area from libgeonames, with their German names (the library translates
# the names through gettext when the language is German). Size class 1 for 200,000 inhabitants
# or more, 2 for 50,000 or more, 3 otherwise. Lines "lat;lon;class;name" in Windows-1252, sorted
# by size class and name so that the file is stable; a name that Windows-1252 cannot hold keeps
# "?" for the missing characters.
LANGUAGE=de python3 - data/german_towns.csv <<'PY'
import ctypes, locale, sys
locale.setlocale(locale.LC_ALL, "C.UTF-8")
lib = ctypes.CDLL("libgeonames.so.0")
lib.geonames_get_city.restype = ctypes.c_void_p
lib.geonames_get_city.argtypes = [ctypes.c_int]
lib.geonames_city_free.argtypes = [ctypes.c_void_p]
for name, kind in (("name", ctypes.c_char_p), ("latitude", ctypes.c_double),
                   ("longitude", ctypes.c_double), ("population", ctypes.c_uint)):
    f = getattr(lib, "geonames_city_get_" + name)
    f.restype = kind
    f.argtypes = [ctypes.c_void_p]
towns = []
for i in range(lib.geonames_get_n_cities()):
    city = lib.geonames_get_city(i)
    lat = lib.geonames_city_get_latitude(city)
    lon = lib.geonames_city_get_longitude(city)
    population = lib.geonames_city_get_population(city)
    name = lib.geonames_city_get_name(city).decode("utf-8")
    lib.geonames_city_free(city)
    if not (5 <= lon <= 16 and 47 <= lat <= 56):
        continue
    size = 1 if population >= 200000 else 2 if population >= 50000 else 3
    towns.append((size, name, lat, lon))
towns.sort()
with open(sys.argv[1], "wb") as out:
    for size, name, lat, lon in towns:
        out.write(f"{lat:.4f};{lon:.4f};{size};{name}\r\n".encode("cp1252", errors="replace"))
PY

echo "data/borders.bin: $(( $(stat -c %s data/borders.bin) / 12 )) points"
echo "data/german_towns.csv: $(wc -l < data/german_towns.csv) towns"
