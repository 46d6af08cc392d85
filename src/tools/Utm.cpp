#include "tools/Utm.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "core/CacheRec.h"
#include "core/GCDBParse.h"
#include "core/Host.h"
#include "core/NumberText.h"
#include "core/RunContext.h"

namespace vellora {
namespace {

constexpr double kA = 6378137.0;
constexpr double kE2 = 0.00669438;
constexpr double kEp2 = kE2 / (1.0 - kE2);
constexpr double kK0 = 0.9996;
constexpr double kFalseEasting = 500000.0;
constexpr double kFalseNorthing = 10000000.0;
// The angle conversion of this conversion uses ten decimals of pi.
constexpr double kUtmPi = 3.1415926535;
constexpr double kDeg = kUtmPi / 180.0;

}  // namespace

int utmZone(double lat, double lon) {
    const double l = lon == 180.0 ? -180.0 : lon;
    int zone = static_cast<int>((l + 180.0) / 6.0) + 1;
    if (lat >= 56 && lat < 64 && lon >= 3 && lon < 12) zone = 32;
    if (lat >= 72 && lat < 84) {
        if (lon >= 0 && lon < 9)
            zone = 31;
        else if (lon >= 9 && lon < 21)
            zone = 33;
        else if (lon >= 21 && lon < 33)
            zone = 35;
        else if (lon >= 33 && lon < 42)
            zone = 37;
    }
    return zone;
}

char utmBand(double lat) {
    if (lat >= 72 && lat <= 84) return 'X';
    if (lat < -80 || lat >= 72) return 'Z';
    static constexpr char kLetters[] = "CDEFGHJKLMNPQRSTUVW";  // 8 degrees each from -80
    return kLetters[static_cast<int>(std::floor((lat + 80.0) / 8.0))];
}

UtmCoord LatLonToUtm(double lat, double lon) {
    // The antimeridian belongs to zone 1 (its western edge), for the easting as for the zone.
    if (lon == 180.0) lon = -180.0;
    UtmCoord u;
    u.zone = utmZone(lat, lon);
    u.band = utmBand(lat);
    const double lon0 = u.zone * 6 - 183;
    const double phi = lat * kDeg;
    const double e4 = kE2 * kE2, e6 = e4 * kE2;
    const double s = std::sin(phi), c = std::cos(phi), t = std::tan(phi);
    const double n = kA / std::sqrt(1 - kE2 * s * s);
    const double T = t * t;
    const double C = kEp2 * c * c;
    const double A = c * (lon - lon0) * kDeg;
    const double M =
        kA * ((1 - kE2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
              (3 * kE2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
              (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) - (35 * e6 / 3072) * std::sin(6 * phi));
    const double A2 = A * A, A3 = A2 * A, A4 = A3 * A, A5 = A4 * A, A6 = A5 * A;
    u.easting = kK0 * n * (A + (1 - T + C) * A3 / 6 + (5 - 18 * T + T * T + 72 * C - 58 * kEp2) * A5 / 120) +
                kFalseEasting;
    u.northing = kK0 * (M + n * t *
                                (A2 / 2 + (5 - T + 9 * C + 4 * C * C) * A4 / 24 +
                                 (61 - 58 * T + T * T + 600 * C - 330 * kEp2) * A6 / 720));
    if (lat < 0) u.northing += kFalseNorthing;
    return u;
}

void UtmToLatLon(int zone, char band, double easting, double northing, double& lat, double& lon) {
    const double x = easting - kFalseEasting;
    const double y = band < 'N' ? northing - kFalseNorthing : northing;
    const double lon0 = zone * 6 - 183;
    const double e4 = kE2 * kE2, e6 = e4 * kE2;
    const double mu = (y / kK0) / (kA * (1 - kE2 / 4 - 3 * e4 / 64 - 5 * e6 / 256));
    const double r = std::sqrt(1 - kE2);
    const double e1 = (1 - r) / (1 + r);
    const double e1_2 = e1 * e1, e1_3 = e1_2 * e1, e1_4 = e1_3 * e1;
    const double phi1 = mu + (3 * e1 / 2 - 27 * e1_3 / 32) * std::sin(2 * mu) +
                        (21 * e1_2 / 16 - 55 * e1_4 / 32) * std::sin(4 * mu) +
                        (151 * e1_3 / 96) * std::sin(6 * mu);
    const double s = std::sin(phi1), c = std::cos(phi1), t = std::tan(phi1);
    const double n1 = kA / std::sqrt(1 - kE2 * s * s);
    const double T1 = t * t;
    const double C1 = kEp2 * c * c;
    const double R1 = kA * (1 - kE2) / std::pow(1 - kE2 * s * s, 1.5);
    const double D = x / (n1 * kK0);
    const double D2 = D * D, D3 = D2 * D, D4 = D3 * D, D5 = D4 * D, D6 = D5 * D;
    const double phi =
        phi1 -
        (n1 * t / R1) * (D2 / 2 - (5 + 3 * T1 + 10 * C1 - 4 * C1 * C1 - 9 * kEp2) * D4 / 24 +
                         (61 + 90 * T1 + 298 * C1 + 45 * T1 * T1 - 252 * kEp2 - 3 * C1 * C1) * D6 / 720);
    lat = phi / kDeg;
    lon = lon0 + ((D - (1 + 2 * T1 + C1) * D3 / 6 +
                   (5 - 2 * C1 + 28 * T1 - 3 * C1 * C1 + 8 * kEp2 + 24 * T1 * T1) * D5 / 120) /
                  c) /
                     kDeg;
}

std::optional<char> UtmDialogModel::filterKey(FieldKind kind, char c) {
    if (c == '\b' || std::isdigit(static_cast<unsigned char>(c))) return c;
    if (kind == FieldKind::Minutes && (c == '.' || c == ',')) return '.';
    return std::nullopt;
}

void UtmDialogModel::onOpen() {
    lat = CoordFields{};
    lon = CoordFields{};
    zone.clear();
    easting.clear();
    northing.clear();
    band = 'U';
}

bool UtmDialogModel::fail(const char* text) {
    ctx_.host().message(MsgKind::Error, MsgButtons::Ok, text);
    changed();
    return false;
}

bool UtmDialogModel::toUtmClick() {
    if (lat.minutes.empty()) lat.minutes = "0.000";
    if (lon.minutes.empty()) lon.minutes = "0.000";
    const auto latD = parseDouble(lat.degrees, '.'), latM = parseDouble(lat.minutes, '.');
    if (!latD || !latM) return fail("Falsche oder ung\xFCltige Breitenangabe.");
    const auto lonD = parseDouble(lon.degrees, '.'), lonM = parseDouble(lon.minutes, '.');
    if (!lonD || !lonM) return fail("Falsche oder ung\xFCltige L\xE4ngenangabe.");
    double phi = *latD + *latM / 60.0;
    double lambda = *lonD + *lonM / 60.0;
    if (lat.hemisphere != 0) phi = -phi;
    if (lon.hemisphere != 0) lambda = -lambda;
    if (!(phi >= -90 && phi <= 90))
        return fail(
            "Die Breitenangabe liegt au\xDF"
            "erhalb des zul\xE4ssigen Bereichs [-90 ; 90]");
    if (!(lambda >= -180 && lambda <= 180))
        return fail(
            "Die L\xE4ngenangabe liegt au\xDF"
            "erhalb des zul\xE4ssigen Bereichs [-180 ; 180]");
    const UtmCoord u = LatLonToUtm(phi, lambda);
    zone = std::to_string(u.zone);
    band = u.band;
    easting = formatFixed(roundHalfEven(u.easting), 0);
    northing = formatFixed(roundHalfEven(u.northing), 0);
    changed();
    return true;
}

bool UtmDialogModel::toLatLonClick() {
    const auto z = parseInt32(zone);
    if (!z) return fail("Falsche oder ung\xFCltige Zonenangabe.");
    const auto n = parseInt(northing), e = parseInt(easting);
    if (!n || !e) return fail("Falscher oder ung\xFCltiger Nord- oder Ostwert.");
    double phi = 0, lambda = 0;
    UtmToLatLon(*z, band, static_cast<double>(*e), static_cast<double>(*n), phi, lambda);
    lat.hemisphere = phi >= 0 ? 0 : 1;
    lon.hemisphere = lambda >= 0 ? 0 : 1;
    setCoordFieldsValue(lat, phi);
    setCoordFieldsValue(lon, lambda);
    changed();
    return true;
}

bool UtmDialogModel::takeCacheCoordinates(const std::string& waypoint) {
    TCacheRec rec;
    if (!FindCache(ctx_, waypoint, rec)) return false;
    setCoordFieldsValue(lat, rec.Lat);
    setCoordFieldsValue(lon, rec.Lon);
    changed();
    return true;
}

int UtmDialogModel::maxLength(const char* field) {
    static constexpr struct {
        const char* name;
        int length;
    } kLengths[] = {{"latDegrees", 2}, {"lonDegrees", 3}, {"minutes", 6},
                    {"zone", 2},       {"easting", 6},    {"northing", 7}};
    for (const auto& l : kLengths)
        if (std::strcmp(l.name, field) == 0) return l.length;
    return 0;
}

}  // namespace vellora
