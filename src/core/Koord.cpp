#include "core/Koord.h"

#include <cmath>

#include "core/NumberText.h"

namespace vellora {
namespace {

constexpr const char* kDegreeSign = "\xB0";
constexpr const char* kMinuteSign = "\xB4";
// How far rounding may push the central angle's cosine past +-1 before it counts as a domain error.
constexpr double kCosineSlack = 1e-12;
// Below this, sin(sigma) * sin(c1) is taken as zero: the course from a pole or to the
// antipode is undefined, and dividing by rounding noise would yield an arbitrary bearing.
constexpr double kMinBearingDenominator = 1e-12;

std::string wholeText(double value) {
    return formatFixed(value, 0);
}

std::string padLeft(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

double toRad(double degrees) {
    return degrees * kPi / 180.0;
}
double toDeg(double radians) {
    return radians * 180.0 / kPi;
}

// arccos that forgives an overshoot of up to `slack` past +-1; false for NaN or more.
bool safeAcos(double x, double slack, double& result) {
    if (std::isnan(x)) return false;
    if (x > 1.0) {
        if (x > 1.0 + slack) return false;
        x = 1.0;
    } else if (x < -1.0) {
        if (x < -1.0 - slack) return false;
        x = -1.0;
    }
    result = std::acos(x);
    return true;
}

std::string hemisphereText(bool latitude, double value, std::size_t degreeWidth, bool padMinutes) {
    const char* letter = latitude ? (value >= 0 ? "N" : "S") : (value >= 0 ? "E" : "W");
    DegMinText dm = SplitDegMin(std::fabs(value));
    if (padMinutes && dm.minutes.size() < 6) dm.minutes.insert(0, 1, '0');
    return std::string(letter) + " " + padLeft(dm.degrees, degreeWidth) + kDegreeSign + " " + dm.minutes;
}

struct CompassSector {
    int lastK;
    const char* name;
};

// Upper ends of the k ranges starting at 1; N appears twice because it straddles 0 degrees.
constexpr CompassSector kCompassSectors[] = {
    {45, "N"},   {90, "NNE"},  {135, "NE"}, {180, "ENE"}, {225, "E"},  {270, "ESE"},
    {315, "SE"}, {360, "SSE"}, {405, "S"},  {450, "SSW"}, {495, "SW"}, {540, "WSW"},
    {585, "W"},  {630, "WNW"}, {675, "NW"}, {720, "NNW"}, {743, "N"},
};

}  // namespace

DegMinText SplitDegMin(double value) {
    double d = std::trunc(value);
    double m = roundHalfEven((value - d) * 60.0 * 1000.0) / 1000.0;
    if (m == 60.0) {
        d += 1.0;
        m = 0.0;
    }
    return {wholeText(d), formatFixed(m, 3)};
}

DegMinSecText SplitDMS(double value) {
    double d = std::trunc(value);
    const double m = (value - d) * 60.0;
    double mi = std::trunc(m);
    double s = roundHalfEven((m - mi) * 60.0);
    if (s >= 60.0) {
        mi += 1.0;
        s -= 60.0;
    }
    if (mi >= 60.0) {
        d += 1.0;
        mi -= 60.0;
    }
    return {wholeText(d), wholeText(mi), wholeText(s)};
}

std::string FormatCoord(int kind, double value) {
    return hemisphereText(kind == kCoordLatitude, value, 0, false);
}

std::string FormatLatLon(double latitude, double longitude) {
    return hemisphereText(true, latitude, 2, false) + " " + hemisphereText(false, longitude, 3, false);
}

std::string FormatLatLonPadded(double latitude, double longitude) {
    return hemisphereText(true, latitude, 2, true) + " " + hemisphereText(false, longitude, 3, true);
}

std::string FormatDegMinShort(double value) {
    const char* sign = value < 0 ? "-" : "";
    const double a = std::fabs(value);
    double d = std::trunc(a);
    double mi = roundHalfEven((a - d) * 60.0);
    if (mi >= 60.0) {
        d += 1.0;
        mi -= 60.0;
    }
    return sign + wholeText(d) + kDegreeSign + " " + wholeText(mi) + kMinuteSign;
}

DistanceBearingResult DistanceBearing(double lat1, double lon1, double lat2, double lon2) {
    if (std::fabs(lat1 - lat2) < kIdenticalPointDeg && std::fabs(lon1 - lon2) < kIdenticalPointDeg)
        return {true, 0.001, 0.0};

    const double c1 = toRad(90.0 - lat1);
    const double c2 = toRad(90.0 - lat2);
    const double delta = toRad(std::fabs(lon2 - lon1));
    double sigma = 0;
    if (!safeAcos(std::cos(c1) * std::cos(c2) + std::sin(c1) * std::sin(c2) * std::cos(delta), kCosineSlack,
                  sigma))
        return {};
    DistanceBearingResult r{true, std::fabs(sigma) * kEarthRadiusKm, 0.0};

    // East or west by the shorter way round, so that a pair across the 180th meridian gets
    // the course its great circle actually takes.
    double dLon = std::fmod(lon2 - lon1, 360.0);
    if (dLon > 180.0) dLon -= 360.0;
    if (dLon <= -180.0) dLon += 360.0;
    if (std::isnan(dLon)) return {};
    // Antipodes (within the same tolerance as identical points): every great circle joins them.
    if (std::fabs(lat1 + lat2) < kIdenticalPointDeg && 180.0 - std::fabs(dLon) < kIdenticalPointDeg)
        return {};
    if (dLon == 0.0) {
        r.bearing = lat1 >= lat2 ? 180.0 : 0.0;
        return r;
    }
    const double denominator = std::sin(sigma) * std::sin(c1);
    if (!(std::fabs(denominator) >= kMinBearingDenominator)) return {};
    // The argument is a cosine by construction, but for close points sin(sigma) carries a large
    // relative rounding error, so an overshoot on a near-meridian course is clamped whatever its size.
    double a = 0;
    if (!safeAcos((std::cos(c2) - std::cos(sigma) * std::cos(c1)) / denominator, HUGE_VAL, a)) return {};
    a = toDeg(a);
    r.bearing = dLon > 0 ? a : 360.0 - a;
    if (r.bearing >= 360.0) r.bearing -= 360.0;
    return r;
}

DistanceFrom::DistanceFrom(double lat, double lon)
    : lat_(lat), lon_(lon), cosC1_(std::cos(toRad(90.0 - lat))), sinC1_(std::sin(toRad(90.0 - lat))) {}

// Every step as in DistanceBearing, down to the order of the products, so that the result is the
// same to the bit; of the bearing only what decides its failure.
bool DistanceFrom::distanceKm(double lat2, double lon2, double& km) const {
    if (std::fabs(lat_ - lat2) < kIdenticalPointDeg && std::fabs(lon_ - lon2) < kIdenticalPointDeg) {
        km = 0.001;
        return true;
    }
    const double c2 = toRad(90.0 - lat2);
    const double delta = toRad(std::fabs(lon2 - lon_));
    const double cosC2 = std::cos(c2);
    double sigma = 0;
    if (!safeAcos(cosC1_ * cosC2 + sinC1_ * std::sin(c2) * std::cos(delta), kCosineSlack, sigma))
        return false;
    km = std::fabs(sigma) * kEarthRadiusKm;
    double dLon = std::fmod(lon2 - lon_, 360.0);
    if (dLon > 180.0) dLon -= 360.0;
    if (dLon <= -180.0) dLon += 360.0;
    if (std::isnan(dLon)) return false;
    if (std::fabs(lat_ + lat2) < kIdenticalPointDeg && 180.0 - std::fabs(dLon) < kIdenticalPointDeg)
        return false;
    if (dLon == 0.0) return true;
    const double denominator = std::sin(sigma) * sinC1_;
    if (!(std::fabs(denominator) >= kMinBearingDenominator)) return false;
    // The bearing's arccos clamps any overshoot: only a NaN fails it.
    return !std::isnan((cosC2 - std::cos(sigma) * cosC1_) / denominator);
}

std::string CompassPoint(double bearing, char decimalSeparator) {
    const double k = roundHalfEven(2.0 * bearing + 22.5);
    if (k >= 1.0) {
        for (const CompassSector& sector : kCompassSectors) {
            if (k <= sector.lastK) return sector.name;
        }
    }
    return formatFixed(bearing, 1, decimalSeparator) + kDegreeSign;
}

std::string DistanceCompassText(double lat1, double lon1, double lat2, double lon2, char decimalSeparator) {
    const DistanceBearingResult r = DistanceBearing(lat1, lon1, lat2, lon2);
    if (!r.ok) return "?";
    return formatFixedSignificant(r.distanceKm, 5, 1, decimalSeparator) + "km " +
           CompassPoint(r.bearing, decimalSeparator);
}

}  // namespace vellora
