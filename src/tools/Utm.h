#pragma once
// UTM on the WGS-84 ellipsoid (series formulas with k0 = 0.9996), both ways, with the zone
// exceptions of Norway and Svalbard and the latitude band letters; and the dialog
// "Umrechnung Länge/Breite <=> UTM" as a model. Texts are Windows-1252.
#include <optional>
#include <string>

#include "core/DialogModel.h"
#include "tools/Calculator.h"

namespace vellora {

class RunContext;

struct UtmCoord {
    int zone = 0;
    char band = 'Z';
    double easting = 0;   // metres, not rounded
    double northing = 0;  // metres, not rounded; + 10000000 south of the equator
};

// Zone 1 ... 60 with the exceptions for 56 ... 64 N (zone 32) and 72 ... 84 N (31, 33, 35, 37).
int utmZone(double lat, double lon);
// "C" ... "X" by latitude, "Z" outside -80 ... 84.
char utmBand(double lat);
// lat in -90 ... 90, lon in -180 ... 180.
UtmCoord LatLonToUtm(double lat, double lon);
// A band letter before "N" means the southern hemisphere.
void UtmToLatLon(int zone, char band, double easting, double northing, double& lat, double& lon);

class UtmDialogModel : public DialogModel {
public:
    static constexpr const char* kCaption = "Umrechnung L\xE4nge/Breite <=> UTM";
    static constexpr const char* kBands = "ABCDEFGHJKLMNPQRSTUVWXYZ";
    enum class FieldKind { Degrees, Minutes, Digits };

    explicit UtmDialogModel(RunContext& ctx) : ctx_(ctx) {}

    static std::optional<char> filterKey(FieldKind kind, char c);
    static int maxLength(const char* field);

    CoordFields lat, lon;  // hemisphere 0 = "Nord"/"Ost", 1 = "Süd"/"West"
    std::string zone;
    char band = 'U';
    std::string easting, northing;

    // "in UTM umrechnen": false after an input error (already reported).
    bool toUtmClick();
    // "in L/B umrechnen".
    bool toLatLonClick();
    // "Cachekoord. suchen" confirmed with this cache; false when the database does not hold it.
    bool takeCacheCoordinates(const std::string& waypoint);

protected:
    void onOpen() override;

private:
    bool fail(const char* text);

    RunContext& ctx_;
};

}  // namespace vellora
