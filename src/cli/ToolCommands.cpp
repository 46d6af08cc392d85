#include <cmath>
#include <string>

#include "cli/Commands.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/UpperCase.h"
#include "tools/Calculator.h"
#include "tools/RouteSearch.h"
#include "tools/Utm.h"

namespace vellora {
namespace {

constexpr const char* kRouteUsage =
    "route --format ovl|coo|mapsource FILE... --width KM [--filter T,...] [--replace] [--remove-finds]";
constexpr const char* kCalcUsage = "calc distance LAT LON LAT LON | calc project LAT LON KM DEG";
constexpr const char* kUtmUsage = "utm to LAT LON | utm from ZONE BAND EASTING NORTHING";

double numberArg(const std::string& text, const char* name, const char* usage) {
    const auto v = parseDouble(text, '.');
    if (!v || !std::isfinite(*v)) throw UsageError(std::string(name) + " ist keine Zahl (" + usage + ")");
    return *v;
}

// A type by its name in the filter dialog or by its code 0 ... 9.
int typeArg(const std::string& text) {
    for (std::size_t i = 0; i < RouteTypeFilter::kTypeNames.size(); ++i)
        if (compareNoCase(text, RouteTypeFilter::kTypeNames[i]) == 0) return static_cast<int>(i);
    const auto code = parseInt32(text);
    if (code && *code >= 0 && *code < 10) return *code;
    throw UsageError("Unbekannter Cachetyp " + text + " (" + kRouteUsage + ")");
}

std::string utmLine(int zone, char band, double easting, double northing) {
    return std::to_string(zone) + " " + band + " " + formatFixed(roundHalfEven(easting), 0) + " " +
           formatFixed(roundHalfEven(northing), 0);
}

int runCalcDistance(CliEnv& env, const Args& args) {
    requireArgs(args, 5, 5, kCalcUsage);
    const std::string text =
        distanceResultText(numberArg(args[1], "LAT", kCalcUsage), numberArg(args[2], "LON", kCalcUsage),
                           numberArg(args[3], "LAT", kCalcUsage), numberArg(args[4], "LON", kCalcUsage));
    env.print(text);
    return text.rfind("Entfernung", 0) == 0 ? 0 : 1;
}

int runCalcProject(CliEnv& env, const Args& args) {
    requireArgs(args, 5, 5, kCalcUsage);
    const auto lines =
        projectionResultText(numberArg(args[1], "LAT", kCalcUsage), numberArg(args[2], "LON", kCalcUsage),
                             numberArg(args[3], "KM", kCalcUsage), numberArg(args[4], "DEG", kCalcUsage));
    if (lines[1].empty()) {
        env.print(lines[0]);
        return 1;
    }
    env.print(lines[0] + " " + lines[1]);
    return 0;
}

}  // namespace

int runCalcCommand(CliEnv& env, const Args& args) {
    if (!args.empty() && args[0] == "distance") return runCalcDistance(env, args);
    if (!args.empty() && args[0] == "project") return runCalcProject(env, args);
    throw UsageError(kCalcUsage);
}

int runUtmCommand(CliEnv& env, const Args& args) {
    if (!args.empty() && args[0] == "to") {
        requireArgs(args, 3, 3, kUtmUsage);
        const double lat = numberArg(args[1], "LAT", kUtmUsage), lon = numberArg(args[2], "LON", kUtmUsage);
        if (lat < -90 || lat > 90) {
            env.host.message(MsgKind::Error, MsgButtons::Ok,
                             "Die Breitenangabe liegt au\xDF"
                             "erhalb des zul\xE4ssigen Bereichs [-90 ; 90]");
            return 1;
        }
        if (lon < -180 || lon > 180) {
            env.host.message(MsgKind::Error, MsgButtons::Ok,
                             "Die L\xE4ngenangabe liegt au\xDF"
                             "erhalb des zul\xE4ssigen Bereichs [-180 ; 180]");
            return 1;
        }
        const UtmCoord u = LatLonToUtm(lat, lon);
        env.print(utmLine(u.zone, u.band, u.easting, u.northing));
        return 0;
    }
    if (!args.empty() && args[0] == "from") {
        requireArgs(args, 5, 5, kUtmUsage);
        UtmDialogModel model(env.ctx);
        model.open();
        model.zone = args[1];
        const std::string band = upperCase(args[2]);
        if (band.size() != 1 ||
            std::string_view(UtmDialogModel::kBands).find(band[0]) == std::string_view::npos)
            throw UsageError("BAND ist einer der Buchstaben " + std::string(UtmDialogModel::kBands));
        model.band = band[0];
        model.easting = args[3];
        model.northing = args[4];
        if (!model.toLatLonClick()) return 1;
        const char* ns = model.lat.hemisphere == 0 ? "N" : "S";
        const char* ew = model.lon.hemisphere == 0 ? "E" : "W";
        env.print(std::string(ns) + " " + model.lat.degrees + "\xB0 " + model.lat.minutes + " " + ew + " " +
                  model.lon.degrees + "\xB0 " + model.lon.minutes);
        return 0;
    }
    throw UsageError(kUtmUsage);
}

int runRouteCommand(CliEnv& env, const Args& args) {
    RouteTypeFilter filter;
    RouteSearchModel model(env.ctx, filter);
    bool formatGiven = false, removeFinds = false, keep = true, filterOn = false;
    std::vector<std::string> files;
    std::string width;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--format" && hasValue) {
            const std::string& f = args[++i];
            if (f == "ovl")
                model.format = RouteFormat::Overlay;
            else if (f == "coo")
                model.format = RouteFormat::CursorCoordinates;
            else if (f == "mapsource")
                model.format = RouteFormat::MapSource;
            else
                throw UsageError(kRouteUsage);
            formatGiven = true;
        } else if (a == "--width" && hasValue) {
            width = args[++i];
        } else if (a == "--filter" && hasValue) {
            filter = RouteTypeFilter{};
            std::string list = args[++i];
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                filter.types[typeArg(list.substr(start, comma - start))] = true;
                start = comma + 1;
            }
            filterOn = true;
        } else if (a == "--replace") {
            keep = false;
        } else if (a == "--remove-finds") {
            removeFinds = true;
        } else if (a.rfind("--", 0) == 0) {
            throw UsageError(kRouteUsage);
        } else {
            files.push_back(a);
        }
    }
    if (!formatGiven || files.empty() || width.empty()) throw UsageError(kRouteUsage);
    model.open();
    model.filterOn = filterOn;
    model.keepWorkList = keep;
    model.widthText = width;
    for (const std::string& f : files)
        if (!model.loadRoute(f)) return 1;
    if (!model.canCalculate()) {
        env.host.message(MsgKind::Error, MsgButtons::Ok,
                         model.routePoints().size() < 2 ? "Die Route hat weniger als 2 Punkte."
                                                        : "Die Korridorbreite muss gr\xF6\xDF"
                                                          "er als 0.1 km sein.");
        return 1;
    }
    model.calculate();
    if (removeFinds) model.removeFinds();
    for (const std::string& r : model.results()) env.print(r);
    if (!model.countText().empty()) env.print(model.countText());
    // Nothing found leaves the work list as it is.
    return model.transfer() ? 0 : 1;
}

}  // namespace vellora
