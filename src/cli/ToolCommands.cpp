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

double numberArg(const std::string& text, const char* name) {
    const auto v = parseDouble(text, '.');
    if (!v || !std::isfinite(*v)) throw UsageError(std::string(name) + " ist keine Zahl");
    return *v;
}

// A type by its name in the filter dialog or by its code 0 ... 9.
int typeArg(const std::string& text) {
    for (std::size_t i = 0; i < RouteTypeFilter::kTypeNames.size(); ++i)
        if (compareNoCase(text, RouteTypeFilter::kTypeNames[i]) == 0) return static_cast<int>(i);
    const auto code = parseInt32(text);
    if (code && *code >= 0 && *code < 10) return *code;
    throw UsageError("Unbekannter Cachetyp " + text);
}

std::string utmLine(int zone, char band, double easting, double northing) {
    return std::to_string(zone) + " " + band + " " + formatFixed(roundHalfEven(easting), 0) + " " +
           formatFixed(roundHalfEven(northing), 0);
}

int runCalcDistance(CliEnv& env, const CliCall& call) {
    const auto& a = call.arguments();
    const std::string text = distanceResultText(numberArg(a[0], "LAT"), numberArg(a[1], "LON"),
                                                numberArg(a[2], "LAT"), numberArg(a[3], "LON"));
    env.print(text);
    return text.rfind("Entfernung", 0) == 0 ? 0 : 1;
}

int runCalcProject(CliEnv& env, const CliCall& call) {
    const auto& a = call.arguments();
    const auto lines = projectionResultText(numberArg(a[0], "LAT"), numberArg(a[1], "LON"),
                                            numberArg(a[2], "KM"), numberArg(a[3], "DEG"));
    if (lines[1].empty()) {
        env.print(lines[0]);
        return 1;
    }
    env.print(lines[0] + " " + lines[1]);
    return 0;
}

int runUtmTo(CliEnv& env, const CliCall& call) {
    const double lat = numberArg(call.argument(0), "LAT"), lon = numberArg(call.argument(1), "LON");
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

int runUtmFrom(CliEnv& env, const CliCall& call) {
    UtmDialogModel model(env.ctx);
    model.open();
    model.zone = call.argument(0);
    const std::string band = upperCase(call.argument(1));
    if (band.size() != 1 || std::string_view(UtmDialogModel::kBands).find(band[0]) == std::string_view::npos)
        throw UsageError("BAND ist einer der Buchstaben " + std::string(UtmDialogModel::kBands));
    model.band = band[0];
    model.easting = call.argument(2);
    model.northing = call.argument(3);
    if (!model.toLatLonClick()) return 1;
    const char* ns = model.lat.hemisphere == 0 ? "N" : "S";
    const char* ew = model.lon.hemisphere == 0 ? "E" : "W";
    env.print(std::string(ns) + " " + model.lat.degrees + "\xB0 " + model.lat.minutes + " " + ew + " " +
              model.lon.degrees + "\xB0 " + model.lon.minutes);
    return 0;
}

int runRoute(CliEnv& env, const CliCall& call) {
    RouteTypeFilter filter;
    RouteSearchModel model(env.ctx, filter);
    const std::string format = *call.value("--format");
    if (format == "ovl")
        model.format = RouteFormat::Overlay;
    else if (format == "coo")
        model.format = RouteFormat::CursorCoordinates;
    else if (format == "mapsource")
        model.format = RouteFormat::MapSource;
    else
        throw UsageError("--format " + format + ": ovl, coo oder mapsource erwartet");
    const std::string width = *call.value("--width");
    if (width.empty()) throw UsageError("--width ohne Wert");
    const bool filterOn = call.has("--filter");
    if (filterOn) {
        const std::string list = *call.value("--filter");
        for (std::size_t start = 0; start <= list.size();) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            filter.types[typeArg(list.substr(start, comma - start))] = true;
            start = comma + 1;
        }
    }
    const bool keep = !call.has("--replace");
    const bool removeFinds = call.has("--remove-finds");
    const std::vector<std::string>& files = call.arguments();
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

}  // namespace

std::vector<CliCommand> toolCommands() {
    return {
        {.words = "route",
         .arguments = {{"FILE", ArgCount::OneOrMore}},
         .options = {{.name = "--format",
                      .kind = OptionKind::Value,
                      .valueName = "ovl|coo|mapsource",
                      .help = "das Format der Routendateien",
                      .required = true},
                     {.name = "--width",
                      .kind = OptionKind::Value,
                      .valueName = "KM",
                      .help = "die Breite des Korridors in km",
                      .required = true},
                     {.name = "--filter",
                      .kind = OptionKind::Value,
                      .valueName = "T,...",
                      .help = "nur diese Cachetypen (Name oder Nummer 0 bis 9)"},
                     {.name = "--replace", .help = "die Arbeitsliste ersetzen statt erg\xE4nzen"},
                     {.name = "--remove-finds", .help = "Funde und ignorierte Caches auslassen"}},
         .summary = "Nimmt die Caches entlang einer Route in die Arbeitsliste auf.",
         .run = runRoute},
        {.words = "calc distance",
         .arguments = {{"LAT"}, {"LON"}, {"LAT"}, {"LON"}},
         .summary = "Entfernung und Richtung zwischen zwei Punkten, wie der Entfernungsrechner sie zeigt.",
         .run = runCalcDistance,
         .readOnly = true},
        {.words = "calc project",
         .arguments = {{"LAT"}, {"LON"}, {"KM"}, {"DEG"}},
         .summary = "Der Punkt in einer Entfernung und Richtung von einem Punkt (Wegpunktprojektion).",
         .run = runCalcProject,
         .readOnly = true},
        {.words = "utm to",
         .arguments = {{"LAT"}, {"LON"}},
         .summary = "Rechnet einen Punkt in Dezimalgrad in UTM um.",
         .run = runUtmTo,
         .readOnly = true},
        {.words = "utm from",
         .arguments = {{"ZONE"}, {"BAND"}, {"EASTING"}, {"NORTHING"}},
         .summary = "Rechnet eine UTM-Angabe in L\xE4nge und Breite um.",
         .run = runUtmFrom,
         .readOnly = true},
    };
}

}  // namespace vellora
