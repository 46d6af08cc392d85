// db: the cache database from the command line. A record travels as lines KEY=VALUE, one per
// field, in the order of the field table below.
#include <fcntl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "core/CacheRecordReader.h"
#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"

namespace vellora {
namespace {

std::string formatFloat32(float value) {
    if (value == 0) return "0";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::optional<float> parseFloat32(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    float v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<double> parseFinite(std::string_view text) {
    const auto v = parseDouble(text, '.');
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

bool setText(std::string& field, std::string_view value, std::size_t max) {
    if (value.size() > max) return false;
    field = value;
    return true;
}

struct Field {
    const char* name;
    std::string (*format)(const TCacheRec&);
    // False when the value cannot be read; nullptr for fields that are only shown.
    bool (*parse)(TCacheRec&, std::string_view);
};

const Field kFields[] = {
    {"CacheID", [](const TCacheRec& r) { return std::to_string(r.CacheID); },
     [](TCacheRec& r, std::string_view v) {
         const auto n = parseInt32(v);
         if (n) r.CacheID = *n;
         return n.has_value();
     }},
    {"CacheName", [](const TCacheRec& r) { return r.CacheName; },
     [](TCacheRec& r, std::string_view v) { return setText(r.CacheName, v, TCacheRec::kCacheNameMax); }},
    {"HiddenDate", [](const TCacheRec& r) { return formatDate(r.HiddenDate); },
     [](TCacheRec& r, std::string_view v) {
         const auto d = parseDate(v);
         if (d) r.HiddenDate = *d;
         return d.has_value();
     }},
    {"Lat", [](const TCacheRec& r) { return formatShortest(r.Lat); },
     [](TCacheRec& r, std::string_view v) {
         const auto d = parseFinite(v);
         if (d) r.Lat = *d;
         return d.has_value();
     }},
    {"Lon", [](const TCacheRec& r) { return formatShortest(r.Lon); },
     [](TCacheRec& r, std::string_view v) {
         const auto d = parseFinite(v);
         if (d) r.Lon = *d;
         return d.has_value();
     }},
    {"CacheType", [](const TCacheRec& r) { return r.CacheType; },
     [](TCacheRec& r, std::string_view v) { return setText(r.CacheType, v, TCacheRec::kCacheTypeMax); }},
    {"CacheSize", [](const TCacheRec& r) { return r.CacheSize; },
     [](TCacheRec& r, std::string_view v) { return setText(r.CacheSize, v, TCacheRec::kCacheSizeMax); }},
    {"Waypoint", [](const TCacheRec& r) { return r.Waypoint; },
     [](TCacheRec& r, std::string_view v) { return setText(r.Waypoint, v, TCacheRec::kWaypointMax); }},
    {"Difficulty", [](const TCacheRec& r) { return r.Difficulty; },
     [](TCacheRec& r, std::string_view v) { return setText(r.Difficulty, v, TCacheRec::kRatingMax); }},
    {"Terrain", [](const TCacheRec& r) { return r.Terrain; },
     [](TCacheRec& r, std::string_view v) { return setText(r.Terrain, v, TCacheRec::kRatingMax); }},
    {"CountryID", [](const TCacheRec& r) { return std::to_string(r.CountryID); },
     [](TCacheRec& r, std::string_view v) {
         const auto n = parseInt32(v);
         if (n) r.CountryID = *n;
         return n.has_value();
     }},
    {"HomeDist", [](const TCacheRec& r) { return formatFloat32(r.HomeDist); },
     [](TCacheRec& r, std::string_view v) {
         const auto f = parseFloat32(v);
         if (f) r.HomeDist = *f;
         return f.has_value();
     }},
    {"Valid", [](const TCacheRec& r) { return std::to_string(r.Valid); },
     [](TCacheRec& r, std::string_view v) {
         const auto n = parseInt(v);
         if (!n || *n < 0 || *n > 255) return false;
         r.Valid = static_cast<std::uint8_t>(*n);
         return true;
     }},
    {"RecordNo", [](const TCacheRec& r) { return std::to_string(r.recordNo()); }, nullptr},
};

const Field* fieldByName(std::string_view name) {
    for (const Field& f : kFields) {
        if (equalsNoCase(f.name, name)) return &f;
    }
    return nullptr;
}

int fail(CliEnv& env, const std::string& text) {
    env.host.message(MsgKind::Error, MsgButtons::Ok, text);
    return 1;
}

int runFind(CliEnv& env, const CliCall& call) {
    TCacheRec rec;
    if (!FindCache(env.ctx, waypointArgument(call.argument(0)), rec)) {
        env.host.message(MsgKind::Information, MsgButtons::Ok,
                         "Wegpunkt " + call.argument(0) + " ist nicht in der Cache-Datenbank.");
        return 1;
    }
    for (const Field& f : kFields) env.print(std::string(f.name) + "=" + f.format(rec));
    return 0;
}

int runPut(CliEnv& env, const CliCall&) {
    TCacheRec rec;
    for (const std::string& line : env.readInputLines()) {
        if (line.empty()) continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) return fail(env, "Zeile ohne \"=\": " + line);
        std::string_view name = std::string_view(line).substr(0, eq);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        const std::string_view value = std::string_view(line).substr(eq + 1);
        const Field* field = fieldByName(name);
        if (!field) return fail(env, "Unbekanntes Feld: " + std::string(name));
        if (field->parse && !field->parse(rec, value)) {
            return fail(env,
                        "Ung\xFC"
                        "ltiger Wert f\xFC"
                        "r " +
                            std::string(field->name) + ": " + std::string(value));
        }
    }
    // The waypoint is the key of the database; a record without one could never be found again.
    if (rec.Waypoint.empty()) return fail(env, "Das Feld Waypoint fehlt.");
    if (const WaypointCheck check = checkWaypoint(rec.Waypoint); !check.ok()) return fail(env, check.problem);

    const std::string path = env.ctx.workDirPath() + "Caches.bin";
    if (!fileExists(path)) {
        if (const int code = writeFileAtomic(path, ""); code != 0) {
            return fail(env, "Kann Datei " + path + " nicht anlegen: " + systemErrorText(code));
        }
    }
    if (!UpdateCache(env.ctx, rec)) return 1;
    if (const int code = RebuildIndex(env.ctx); code != 0) {
        return fail(env, "Der Index Caches.idx konnte nicht erstellt werden (" + std::to_string(code) + ").");
    }
    return 0;
}

int runCount(CliEnv& env, const CliCall&) {
    env.print(std::to_string(cacheRecordCount(env.ctx)));
    return 0;
}

int runDelete(CliEnv& env, const CliCall& call) {
    const std::string& waypoint = call.argument(0);
    const int removed = DeleteCache(env.ctx, waypoint);
    if (removed < 0) return 1;
    if (removed == 0) {
        env.host.message(MsgKind::Information, MsgButtons::Ok,
                         "Wegpunkt " + waypoint + " ist nicht in der Cache-Datenbank.");
        return 1;
    }
    return 0;
}

int runRebuildIndex(CliEnv& env, const CliCall&) {
    const int code = RebuildIndex(env.ctx);
    env.print(std::to_string(code));
    return code == 0 ? 0 : 1;
}

int runCheck(CliEnv& env, const CliCall&) {
    return CheckCacheDB(env.ctx) ? 0 : 1;
}

// db list: one tab-separated line per record, for scripts. With --near only the caches within the
// radius, nearest first, and the distance in km as field "Distance".
int runList(CliEnv& env, const CliCall& call) {
    std::vector<std::string> names;
    std::optional<double> nearLat, nearLon, radius;
    if (const auto v = call.value("--fields")) {
        std::size_t from = 0;
        while (from <= v->size()) {
            const std::size_t comma = std::min(v->find(',', from), v->size());
            names.push_back(v->substr(from, comma - from));
            from = comma + 1;
        }
    }
    if (const auto v = call.value("--near")) {
        const std::size_t comma = v->find(',');
        if (comma != std::string::npos) {
            nearLat = parseFinite(std::string_view(*v).substr(0, comma));
            nearLon = parseFinite(std::string_view(*v).substr(comma + 1));
        }
        if (!nearLat || !nearLon || std::fabs(*nearLat) > 90 || std::fabs(*nearLon) > 180)
            throw UsageError("--near " + *v + ": LAT,LON erwartet, z. B. 49.6,10.85");
    }
    if (const auto v = call.value("--radius")) {
        radius = parseFinite(*v);
        if (!radius || *radius < 0) throw UsageError("--radius " + *v + ": KM erwartet");
    }
    if (names.empty()) {
        names = {"Waypoint", "CacheName", "CacheType", "Lat", "Lon"};
        if (nearLat) names.push_back("Distance");
    }
    std::vector<const Field*> fields;
    for (const std::string& n : names) {
        const Field* f = fieldByName(n);
        if (!f && !(nearLat && equalsNoCase(n, "Distance"))) {
            std::string known;
            for (const Field& k : kFields) known += std::string(known.empty() ? "" : ",") + k.name;
            return fail(
                env, "Unbekanntes Feld: " + n + " (bekannt: " + known + (nearLat ? ",Distance" : "") + ")");
        }
        fields.push_back(f);  // nullptr: the distance
    }

    const std::string path = env.ctx.workDirPath() + "Caches.bin";
    int openError = 0;
    const UniqueFd fd = openFile(path, O_RDONLY, 0, &openError);
    if (!fd)
        return fail(
            env, "Die Cache-Datenbank " + path + " kann nicht gelesen werden: " + systemErrorText(openError));
    struct Row {
        double distance;
        std::string line;
    };
    std::vector<Row> rows;
    CacheRecordReader reader(fd.get());
    while (const char* raw = reader.next()) {
        const TCacheRec rec = decodeCacheRec(raw);
        double distance = 0;
        if (nearLat) {
            const auto d = DistanceBearing(*nearLat, *nearLon, rec.Lat, rec.Lon);
            distance = d.ok ? d.distanceKm : 20037.6;  // antipodal: half the globe
            if (distance > *radius) continue;
        }
        std::string line;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            if (k) line += '\t';
            std::string value = fields[k] ? fields[k]->format(rec) : formatFixed(distance, 3);
            // A tab or line end inside a text would break the line into wrong columns.
            for (char& c : value)
                if (c == '\t' || c == '\r' || c == '\n') c = ' ';
            line += value;
        }
        rows.push_back({distance, std::move(line)});
    }
    if (reader.error() != 0)
        return fail(env, "Lesefehler in " + path + ": " + systemErrorText(reader.error()));
    if (nearLat)
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Row& a, const Row& b) { return a.distance < b.distance; });
    for (const Row& r : rows) env.print(r.line);
    return 0;
}

// Without the working directory every answer would be about a database that cannot be there.
template <int (*run)(CliEnv&, const CliCall&)>
int inWorkDir(CliEnv& env, const CliCall& call) {
    if (const std::string dir = env.ctx.workDirPath(); !dirExists(dir))
        return fail(env, "Das Arbeitsverzeichnis " + dir + " existiert nicht.");
    return run(env, call);
}

}  // namespace

std::vector<CliCommand> dbCommands() {
    return {
        {.words = "db find",
         .arguments = {{"WAYPOINT"}},
         .summary = "Gibt den Datensatz eines Caches aus, ein Feld je Zeile als FELD=WERT.",
         .run = inWorkDir<runFind>,
         .readOnly = true},
        {.words = "db list",
         .options = {{.name = "--fields",
                      .kind = OptionKind::Value,
                      .valueName = "F,...",
                      .help = "die Felder jeder Zeile, durch Komma getrennt"},
                     {.name = "--near",
                      .kind = OptionKind::Value,
                      .valueName = "LAT,LON",
                      .help = "nur Caches im Umkreis um diesen Punkt, die n\xE4"
                              "chsten zuerst",
                      .pairedWith = "--radius"},
                     {.name = "--radius",
                      .kind = OptionKind::Value,
                      .valueName = "KM",
                      .help = "der Umkreis in km"}},
         .summary =
             "Listet die Caches der Datenbank, eine Zeile je Cache mit Tabulatoren zwischen den Feldern.",
         .run = inWorkDir<runList>,
         .readOnly = true},
        {.words = "db put",
         .summary = "Schreibt einen Datensatz aus Zeilen FELD=WERT der Standardeingabe in die Datenbank.",
         .run = inWorkDir<runPut>},
        {.words = "db count",
         .summary = "Gibt die Zahl der Datens\xE4tze aus.",
         .run = inWorkDir<runCount>,
         .readOnly = true},
        {.words = "db delete",
         .arguments = {{"WAYPOINT"}},
         .summary = "L\xF6scht einen Cache aus der Datenbank.",
         .run = inWorkDir<runDelete>},
        {.words = "db rebuild-index",
         .summary = "Baut den Index der Datenbank neu und gibt das Ergebnis aus (0 ist Erfolg).",
         .run = inWorkDir<runRebuildIndex>},
        {.words = "db check",
         .summary = "Pr\xFC"
                    "ft die Datenbank.",
         .run = inWorkDir<runCheck>},
    };
}

}  // namespace vellora
