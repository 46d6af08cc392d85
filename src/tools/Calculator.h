#pragma once
// The calculator "Wegpunktberechnungen": distance and bearing between two coordinates, and the
// projection of a start coordinate. Both pages recompute on every change of an input.
// Texts are Windows-1252.
#include <array>
#include <optional>
#include <string>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

// One coordinate input: whole degrees, decimal minutes and the hemisphere choice
// (0 = "Nord"/"Ost", 1 = "Süd"/"West").
struct CoordFields {
    std::string degrees;
    std::string minutes;
    int hemisphere = 0;
};

// degrees + minutes / 60 ("." decimals), negative for "Süd"/"West"; -9999 when a text does not parse.
double coordFieldsValue(const CoordFields& f, bool latitude);
// Writes a position into degree and minute fields (whole degrees, 3-decimal minutes of |value|).
void setCoordFieldsValue(CoordFields& f, double value);

class CalculatorModel : public DialogModel {
public:
    enum class Page { Distance, Projection };
    // The coordinate groups that can take a cache's coordinates.
    enum class Group { DistanceStart, DistanceTarget, ProjectionStart };
    // Input fields by the characters they accept.
    enum class FieldKind { Degrees, ProjectionDegrees, Decimal };

    static constexpr const char* kCaption = "Wegpunktberechnungen";
    static constexpr const char* kDistancePage = "Koordinatenentfernung berechnen";
    static constexpr const char* kProjectionPage = "Project-Waypoint berechnen";
    static constexpr const char* kLatHemispheres[2] = {"Nord",
                                                       "S\xFC"
                                                       "d"};
    static constexpr const char* kLonHemispheres[2] = {"Ost", "West"};

    explicit CalculatorModel(RunContext& ctx);

    // The key a field takes for a typed character: the character, "." for ",", or nothing.
    static std::optional<char> filterKey(FieldKind kind, char c);

    Page page = Page::Distance;
    // The numbers keep what was typed while the program runs; open() resets the hemispheres only.
    CoordFields distStartLat{"49", "30.000"}, distStartLon{"10", "45.000"};
    CoordFields distTargetLat{"50", "5.500"}, distTargetLon{"11", "2.800"};
    CoordFields projStartLat{"49", "30.000"}, projStartLon{"10", "45.000"};
    std::string projDistance = "85.32";
    std::string projBearing = "193.25";

    // Any input changed: recomputes both results.
    void inputChanged();

    const std::string& distanceResult() const { return distanceResult_; }
    const std::array<std::string, 2>& projectionResult() const { return projectionResult_; }

    // Writes the coordinates of a cache of the database into a group's fields; false when the
    // database does not hold it.
    bool takeCacheCoordinates(Group group, const std::string& waypoint);

protected:
    void onOpen() override;

private:
    void computeDistance();
    void computeProjection();

    RunContext& ctx_;
    std::string distanceResult_;
    std::array<std::string, 2> projectionResult_;
};

// The distance page's text for two positions: "Entfernung = ... km in Richtung ... Grad" or
// "Ergebnis nicht definiert!".
std::string distanceResultText(double lat1, double lon1, double lat2, double lon2);
// The projection page's two lines for a start, distance and bearing.
std::array<std::string, 2> projectionResultText(double lat, double lon, double distanceKm, double bearing);

}  // namespace vellora
