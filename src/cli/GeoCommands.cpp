#include <cmath>
#include <string>

#include "cli/Commands.h"
#include "core/Koord.h"
#include "core/NumberText.h"

namespace vellora {
namespace {

constexpr const char* kGeoUsage = "geo distance LAT1 LON1 LAT2 LON2 | geo format LAT LON";

// A coordinate argument: a number with "." as decimal point inside the given range.
double coordArg(const std::string& text, const char* name, double limit) {
    const auto v = parseDouble(text, '.');
    if (!v || !std::isfinite(*v)) throw UsageError(std::string(name) + " ist keine Zahl (" + kGeoUsage + ")");
    if (std::fabs(*v) > limit) {
        throw UsageError(std::string(name) + " liegt nicht zwischen -" + formatShortest(limit) + " und " +
                         formatShortest(limit));
    }
    return *v;
}

int runDistance(CliEnv& env, const Args& args) {
    requireArgs(args, 5, 5, kGeoUsage);
    const double lat1 = coordArg(args[1], "LAT1", 90);
    const double lon1 = coordArg(args[2], "LON1", 180);
    const double lat2 = coordArg(args[3], "LAT2", 90);
    const double lon2 = coordArg(args[4], "LON2", 180);
    const DistanceBearingResult r = DistanceBearing(lat1, lon1, lat2, lon2);
    if (!r.ok) {
        env.print("?");
        return 1;
    }
    env.print(DistanceCompassText(lat1, lon1, lat2, lon2, '.'));
    env.print("distance=" + formatShortest(r.distanceKm) + " bearing=" + formatShortest(r.bearing));
    return 0;
}

int runFormat(CliEnv& env, const Args& args) {
    requireArgs(args, 3, 3, kGeoUsage);
    const double lat = coordArg(args[1], "LAT", 90);
    const double lon = coordArg(args[2], "LON", 180);
    env.print(FormatLatLon(lat, lon));
    env.print(FormatLatLonPadded(lat, lon));
    return 0;
}

}  // namespace

int runGeoCommand(CliEnv& env, const Args& args) {
    if (!args.empty() && args[0] == "distance") return runDistance(env, args);
    if (!args.empty() && args[0] == "format") return runFormat(env, args);
    throw UsageError(kGeoUsage);
}

}  // namespace vellora
