#include <cmath>
#include <string>

#include "cli/Commands.h"
#include "core/Koord.h"
#include "core/NumberText.h"

namespace vellora {
namespace {

// A coordinate argument: a number with "." as decimal point inside the given range.
double coordArg(const std::string& text, const char* name, double limit) {
    const auto v = parseDouble(text, '.');
    if (!v || !std::isfinite(*v)) throw UsageError(std::string(name) + " ist keine Zahl");
    if (std::fabs(*v) > limit) {
        throw UsageError(std::string(name) + " liegt nicht zwischen -" + formatShortest(limit) + " und " +
                         formatShortest(limit));
    }
    return *v;
}

int runDistance(CliEnv& env, const CliCall& call) {
    const double lat1 = coordArg(call.argument(0), "LAT1", 90);
    const double lon1 = coordArg(call.argument(1), "LON1", 180);
    const double lat2 = coordArg(call.argument(2), "LAT2", 90);
    const double lon2 = coordArg(call.argument(3), "LON2", 180);
    const DistanceBearingResult r = DistanceBearing(lat1, lon1, lat2, lon2);
    if (!r.ok) {
        env.print("?");
        return 1;
    }
    env.print(DistanceCompassText(lat1, lon1, lat2, lon2, '.'));
    env.print("distance=" + formatShortest(r.distanceKm) + " bearing=" + formatShortest(r.bearing));
    return 0;
}

int runFormat(CliEnv& env, const CliCall& call) {
    const double lat = coordArg(call.argument(0), "LAT", 90);
    const double lon = coordArg(call.argument(1), "LON", 180);
    env.print(FormatLatLon(lat, lon));
    env.print(FormatLatLonPadded(lat, lon));
    return 0;
}

}  // namespace

std::vector<CliCommand> geoCommands() {
    return {
        {.words = "geo distance",
         .arguments = {{"LAT1"}, {"LON1"}, {"LAT2"}, {"LON2"}},
         .summary = "Entfernung und Richtung zwischen zwei Punkten in Dezimalgrad.",
         .run = runDistance,
         .readOnly = true},
        {.words = "geo format",
         .arguments = {{"LAT"}, {"LON"}},
         .summary = "Ein Punkt in Dezimalgrad im Koordinatenformat des Programms.",
         .run = runFormat,
         .readOnly = true},
    };
}

}  // namespace vellora
