#include "tools/Projection.h"

#include <algorithm>
#include <cmath>

#include "core/Koord.h"

namespace vellora {
namespace {

constexpr double kDegToRad = kPi / 180.0;

// Rounding lets a cosine overshoot 1 slightly (bearings of exactly 0 or 180); such arguments are
// taken at the boundary instead of failing, larger ones are an error.
bool boundedAcos(double x, double& angle) {
    if (!std::isfinite(x) || std::fabs(x) > 1.0 + 1e-9) return false;
    angle = std::acos(std::clamp(x, -1.0, 1.0));
    return true;
}

}  // namespace

std::optional<GeoPoint> Project(double lat, double lon, double distanceKm, double bearingDeg) {
    if (!std::isfinite(lat) || !std::isfinite(lon) || !std::isfinite(distanceKm) ||
        !std::isfinite(bearingDeg))
        return std::nullopt;
    double beta = std::fmod(bearingDeg, 360.0);
    if (beta < 0) beta += 360.0;
    const double delta = distanceKm / kEarthRadiusKm;
    // The colatitude holds south of the equator as well.
    const double theta0 = (90.0 - lat) * kDegToRad;
    double theta1 = 0;
    if (!boundedAcos(std::cos(theta0) * std::cos(delta) +
                         std::sin(theta0) * std::sin(delta) * std::cos(beta * kDegToRad),
                     theta1))
        return std::nullopt;
    GeoPoint out;
    out.lat = 90.0 - theta1 / kDegToRad;
    double dLambda = 0;
    const double denominator = std::sin(theta0) * std::sin(theta1);
    if (theta0 != 0.0 && theta1 != 0.0) {
        if (denominator == 0.0) return std::nullopt;
        // A full arccosine (0 ... 180 degrees), so that steps of more than 90 degrees of longitude
        // come out right.
        if (!boundedAcos((std::cos(delta) - std::cos(theta0) * std::cos(theta1)) / denominator, dLambda))
            return std::nullopt;
    }
    out.lon = beta <= 180.0 ? lon + dLambda / kDegToRad : lon - dLambda / kDegToRad;
    return out;
}

double normalizedLongitude(double lon) {
    double l = std::fmod(lon, 360.0);
    if (l > 180.0) l -= 360.0;
    if (l < -180.0) l += 360.0;
    return l;
}

}  // namespace vellora
