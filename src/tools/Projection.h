#pragma once
// Projecting a point by distance and bearing along a great circle of the 6371 km sphere.
#include <optional>

namespace vellora {

struct GeoPoint {
    double lat = 0;
    double lon = 0;
};

// The point at distanceKm from (lat, lon) in the direction bearingDeg (clockwise from north; any
// value, brought into 0 ... 360). Nothing when an intermediate value is undefined (a non-finite
// input). The longitude is not brought back into -180 ... 180.
std::optional<GeoPoint> Project(double lat, double lon, double distanceKm, double bearingDeg);

// A longitude brought into -180 ... 180 (for display).
double normalizedLongitude(double lon);

}  // namespace vellora
