#pragma once
// Coordinate texts (degrees with decimal minutes, degrees/minutes/seconds) and distance and
// initial bearing on a spherical earth. Positions are WGS84 decimal degrees, north and east
// positive. Results are Windows-1252 texts; the minute and second parts always use ".".
#include <string>

namespace vellora {

inline constexpr double kEarthRadiusKm = 6371.0;
inline constexpr double kPi = 3.14159265358979323846;
// Points closer than 0.001 minute of arc in both latitude and longitude count as identical.
inline constexpr double kIdenticalPointDeg = 1.0 / 60000.0;

struct DegMinText {
    std::string degrees;  // whole degrees, no padding
    std::string minutes;  // three decimals, no leading zero ("5.123", "30.000")
};

struct DegMinSecText {
    std::string degrees;
    std::string minutes;
    std::string seconds;
};

// value >= 0. Minutes are rounded to 0.001 (ties to even); 60.000 carries into the degrees.
DegMinText SplitDegMin(double value);
// value >= 0. Whole degrees, minutes and rounded seconds, carried upwards.
DegMinSecText SplitDMS(double value);

enum CoordKind { kCoordLongitude = 0, kCoordLatitude = 1 };

// "N 49° 30.000": hemisphere letter, unpadded degrees and minutes of |value|.
std::string FormatCoord(int kind, double value);
// "N 49° 5.120 E 008° 0.500": degrees padded to 2 (latitude) and 3 (longitude) digits.
std::string FormatLatLon(double latitude, double longitude);
// As FormatLatLon, with two-digit minutes: "N 49° 05.120 E 008° 00.500".
std::string FormatLatLonPadded(double latitude, double longitude);
// Signed whole degrees and rounded whole minutes: "-8° 30´".
std::string FormatDegMinShort(double value);

struct DistanceBearingResult {
    bool ok = false;
    double distanceKm = 0;
    double bearing = 0;  // initial great-circle course from point 1, [0, 360) clockwise from north
};

// Spherical law of cosines on a sphere of 6371 km. Identical points give 0.001 km, bearing 0.
// Fails (ok false) where the course is undefined: a start at a pole, antipodal points.
DistanceBearingResult DistanceBearing(double lat1, double lon1, double lat2, double lon2);

// DistanceBearing from one point to many, without the bearing: the same distance and the same
// failures, with the first point's trigonometry done once. For conversions of whole databases.
class DistanceFrom {
public:
    DistanceFrom(double lat, double lon);
    // False where DistanceBearing fails; otherwise km is its distanceKm.
    bool distanceKm(double lat, double lon, double& km) const;

private:
    double lat_, lon_, cosC1_, sinC1_;
};

// One of the 16 compass point names for a bearing, chosen by k = round(2 * bearing + 22.5) (ties
// to even) so that a boundary bearing goes by that rounding. A k outside the table (a bearing
// below -10.75 or above 360.25) gives the bearing itself with one decimal and "°".
std::string CompassPoint(double bearing, char decimalSeparator = '.');

// "13.3km NNE" with the given decimal separator for the distance, or "?" when DistanceBearing fails.
std::string DistanceCompassText(double lat1, double lon1, double lat2, double lon2,
                                char decimalSeparator = '.');

}  // namespace vellora
