#include "tools/Calculator.h"

#include <cctype>

#include "core/CacheRec.h"
#include "core/GCDBParse.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "tools/Projection.h"

namespace vellora {
namespace {

constexpr double kNoValue = -9999;
constexpr double kInvalidBelow = -500;
constexpr const char* kUndefined = "Ergebnis nicht definiert!";

}  // namespace

double coordFieldsValue(const CoordFields& f, bool latitude) {
    const auto d = parseDouble(f.degrees, '.');
    const auto m = parseDouble(f.minutes, '.');
    if (!d || !m) return kNoValue;
    const char* name = latitude ? CalculatorModel::kLatHemispheres[f.hemisphere == 0 ? 0 : 1]
                                : CalculatorModel::kLonHemispheres[f.hemisphere == 0 ? 0 : 1];
    const char first = name[0];
    const double v = *d + *m / 60.0;
    return first == 'N' || first == 'E' || first == 'O' ? v : -v;
}

void setCoordFieldsValue(CoordFields& f, double value) {
    const DegMinText t = SplitDegMin(value < 0 ? -value : value);
    f.degrees = t.degrees;
    f.minutes = t.minutes;
}

std::string distanceResultText(double lat1, double lon1, double lat2, double lon2) {
    const DistanceBearingResult r = DistanceBearing(lat1, lon1, lat2, lon2);
    if (!r.ok) return kUndefined;
    return "Entfernung = " + formatFixedSignificant(r.distanceKm, 8, 3) + " km in Richtung " +
           formatFixedSignificant(r.bearing, 4, 2) + " Grad";
}

std::array<std::string, 2> projectionResultText(double lat, double lon, double distanceKm, double bearing) {
    const auto p = Project(lat, lon, distanceKm, bearing);
    if (!p) return {kUndefined, ""};
    // A step over the 180th meridian shows as the longitude it reaches, not as "E 190°".
    return {FormatCoord(kCoordLatitude, p->lat), FormatCoord(kCoordLongitude, normalizedLongitude(p->lon))};
}

CalculatorModel::CalculatorModel(RunContext& ctx) : ctx_(ctx) {
    inputChanged();
}

std::optional<char> CalculatorModel::filterKey(FieldKind kind, char c) {
    if (c == '\b' || std::isdigit(static_cast<unsigned char>(c))) return c;
    if (kind == FieldKind::ProjectionDegrees) return std::nullopt;
    if (c == '.' || c == ',') return '.';
    return std::nullopt;
}

void CalculatorModel::onOpen() {
    for (CoordFields* f :
         {&distStartLat, &distStartLon, &distTargetLat, &distTargetLon, &projStartLat, &projStartLon})
        f->hemisphere = 0;
    computeDistance();
    computeProjection();
}

void CalculatorModel::inputChanged() {
    computeDistance();
    computeProjection();
    changed();
}

void CalculatorModel::computeDistance() {
    const double values[4] = {coordFieldsValue(distStartLat, true), coordFieldsValue(distStartLon, false),
                              coordFieldsValue(distTargetLat, true), coordFieldsValue(distTargetLon, false)};
    static constexpr const char* kErrors[4] = {
        "Fehler bei Startkoordinate Breite", "Fehler bei Startkoordinate L\xE4nge",
        "Fehler bei Zielkoordinate Breite", "Fehler bei Zielkoordinate L\xE4nge"};
    for (int i = 0; i < 4; ++i) {
        if (values[i] < kInvalidBelow) {
            distanceResult_ = kErrors[i];
            return;
        }
    }
    distanceResult_ = distanceResultText(values[0], values[1], values[2], values[3]);
}

void CalculatorModel::computeProjection() {
    const double lat = coordFieldsValue(projStartLat, true);
    const double lon = coordFieldsValue(projStartLon, false);
    const auto distance = parseDouble(projDistance, '.');
    const auto bearing = parseDouble(projBearing, '.');
    const char* error = nullptr;
    if (!distance)
        error = "Fehler bei Entfernung";
    else if (!bearing)
        error = "Fehler bei Richtungswinkel";
    else if (lat < kInvalidBelow)
        error = "Fehler bei Breite";
    else if (lon < kInvalidBelow)
        error = "Fehler bei L\xE4nge";
    if (error) {
        projectionResult_ = {error, ""};
        return;
    }
    projectionResult_ = projectionResultText(lat, lon, *distance, *bearing);
}

bool CalculatorModel::takeCacheCoordinates(Group group, const std::string& waypoint) {
    TCacheRec rec;
    if (!FindCache(ctx_, waypoint, rec)) return false;
    CoordFields* lat = group == Group::DistanceStart    ? &distStartLat
                       : group == Group::DistanceTarget ? &distTargetLat
                                                        : &projStartLat;
    CoordFields* lon = group == Group::DistanceStart    ? &distStartLon
                       : group == Group::DistanceTarget ? &distTargetLon
                                                        : &projStartLon;
    setCoordFieldsValue(*lat, rec.Lat);
    setCoordFieldsValue(*lon, rec.Lon);
    inputChanged();
    return true;
}

}  // namespace vellora
