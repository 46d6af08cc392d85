#include "listing/Index.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <utility>

#include "core/ContentPolicy.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/HtmlClean.h"
#include "core/IniFile.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/OptionTable.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

constexpr std::string_view kConvertedSuffix = "_converted.html";
constexpr const char* kConvertedMask = "GC*_converted.html";

// A stored choice outside its list selects the built-in default.
OptionRow<IndexOptions> choiceOption(const char* key, int IndexOptions::*member, int count, int def) {
    return customOption<IndexOptions>(
        key,
        [member, count, def](IniFile& f, const char* s, const char* k, IndexOptions& o) {
            const int v = f.readInteger(s, k, o.*member);
            o.*member = v >= 0 && v < count ? v : def;
        },
        [member](IniFile& f, const char* s, const char* k, const IndexOptions& o) {
            f.writeInteger(s, k, o.*member);
        });
}

// "IdxSaveOpts" and the options behind it, in the order they are written. A handed-over
// directory fixes both the choice of caches and the file: they are neither read nor stored then,
// or the next index of the output directory would land in that subdirectory.
SwitchedOptions<IndexOptions> indexOptionTable(int homeCount, bool handedOver) {
    using O = IndexOptions;
    const O defaults;
    SwitchedOptions<O> table{
        boolOption("IdxSaveOpts", &O::saveOpts, false),
        &O::saveOpts,
        {
            boolOption("IdxPPC", &O::pocketPC),
            boolOption("IdxOOName", &O::colName),
            boolOption("IdxOOHidden", &O::colHidden),
            boolOption("IdxOOCoord", &O::colCoord),
            boolOption("IdxOODistance", &O::colDistance),
            boolOption("IdxOOType", &O::colType),
            boolOption("IdxOOSize", &O::colSize),
            boolOption("IdxOODT", &O::colDT),
            boolOption("IdxShowImmediate", &O::showImmediate),
            choiceOption("IdxSortOrder", &O::sortOrder, static_cast<int>(TfrmIndex::kSortItems.size()),
                         defaults.sortOrder),
            choiceOption("IdxAscDesc", &O::ascDesc, static_cast<int>(TfrmIndex::kAscDescItems.size()),
                         defaults.ascDesc),
            choiceOption("IdxHome", &O::home, homeCount, 0),
        }};
    if (!handedOver) {
        table.options.push_back(choiceOption("IdxAddWhich", &O::addWhich,
                                             static_cast<int>(TfrmIndex::kAddWhichItems.size()),
                                             defaults.addWhich));
        table.options.push_back(customOption<O>(
            "IdxFilename",
            [](IniFile& f, const char* s, const char* k, O& o) {
                const std::string file = f.readString(s, k, o.fileName);
                if (!file.empty()) o.fileName = file;
            },
            [](IniFile& f, const char* s, const char* k, const O& o) { f.writeString(s, k, o.fileName); }));
    }
    return table;
}

constexpr const char* kH1 = "<H1>Index der konvertierten Cachebeschreibungen</H1>";
constexpr const char* kAvailable =
    "<p>Folgende konvertierte Cachebeschreibungen stehen zur Verf\xFCgung:</p>";
constexpr const char* kBody = "<body bgcolor=\"#FFFFFF\">";

class Lines {
public:
    void add(std::string_view line) {
        text_ += line;
        text_ += "\r\n";
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// Text from the database or the user inside the page: no tags may come of it, entities stay.
std::string noTags(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
    return out;
}

std::string linkOpen(const std::string& waypoint) {
    return "<a href=\"./" + htmlEscape(waypoint) + std::string(kConvertedSuffix) + "\" target=\"_cache\">";
}

std::string zeroRating(const std::string& rating) {
    return rating == "0.0" ? "0" : rating;
}

struct Row {
    std::string waypoint, name, hidden, coords, distance, type, size, dt;
    double distanceKey = 0;
    double dayKey = 0;
};

Row makeRow(const TCacheRec& rec, const std::string& waypoint, const IndexPageInput& input) {
    Row r;
    r.waypoint = waypoint;
    r.name = rec.CacheName;
    r.hidden = formatDate(rec.HiddenDate);
    r.coords = FormatLatLon(rec.Lat, rec.Lon);
    r.distance = DistanceCompassText(input.homeLat, input.homeLon, rec.Lat, rec.Lon, '.');
    r.type = rec.CacheType;
    r.size = rec.CacheSize.empty() ? "?" : rec.CacheSize;
    r.dt = zeroRating(rec.Difficulty) + " / " + zeroRating(rec.Terrain);
    const DistanceBearingResult db = DistanceBearing(input.homeLat, input.homeLon, rec.Lat, rec.Lon);
    // The key is the distance as the page would write it with three decimals; a distance that
    // cannot be computed goes behind all others.
    r.distanceKey = db.ok ? parseDouble(formatFixed(db.distanceKm, 3)).value_or(db.distanceKm)
                          : std::numeric_limits<double>::infinity();
    r.dayKey = std::trunc(rec.HiddenDate);
    return r;
}

void sortRows(std::vector<Row>& rows, int sortOrder) {
    auto byText = [&rows](std::string Row::*field) {
        std::stable_sort(rows.begin(), rows.end(), [field](const Row& a, const Row& b) {
            return compareNoCase(a.*field, b.*field) < 0;
        });
    };
    auto byNumber = [&rows](double Row::*field) {
        std::stable_sort(rows.begin(), rows.end(),
                         [field](const Row& a, const Row& b) { return a.*field < b.*field; });
    };
    switch (static_cast<IndexSort>(sortOrder)) {
        case IndexSort::Waypoint:
            byText(&Row::waypoint);
            break;
        case IndexSort::HiddenDate:
            byNumber(&Row::dayKey);
            break;
        case IndexSort::Coordinates:
            byText(&Row::coords);
            break;
        case IndexSort::Distance:
            byNumber(&Row::distanceKey);
            break;
        case IndexSort::Name:
            byText(&Row::name);
            break;
        case IndexSort::Type:
            byText(&Row::type);
            break;
        case IndexSort::DifficultyTerrain:
            byText(&Row::dt);
            break;
        case IndexSort::Size:
            byText(&Row::size);
            break;
    }
}

bool inWorkList(const std::vector<std::string>& workList, const std::string& waypoint) {
    const std::string key = upperCase(waypoint);
    return std::any_of(workList.begin(), workList.end(),
                       [&key](const std::string& line) { return upperCase(line) == key; });
}

// "dd. MM. yyyy hh:nn:ss" of the file's modification time, or nothing when there is no file.
std::optional<std::string> fileDateTimeText(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::tm tm{};
    const std::time_t t = st.st_mtime;
    localtime_r(&t, &tm);
    return twoDigits(tm.tm_mday) + ". " + twoDigits(tm.tm_mon + 1) + ". " +
           std::to_string(tm.tm_year + 1900) + " " + twoDigits(tm.tm_hour) + ":" + twoDigits(tm.tm_min) +
           ":" + twoDigits(tm.tm_sec);
}

}  // namespace

std::vector<std::string> ConvertedWaypoints(const std::string& dir) {
    std::vector<std::string> waypoints;
    // The link is rebuilt as waypoint + "_converted.html", so the waypoint is the name without that
    // ending: the link then always finds its file.
    for (const std::string& name : listFiles(dir, kConvertedMask))
        waypoints.push_back(name.substr(0, name.size() - kConvertedSuffix.size()));
    return waypoints;
}

std::string BuildIndexPage(RunContext& ctx, const IndexPageInput& input, const IndexOptions& options) {
    Lines out;
    out.add("<html>");
    out.add("<head>");
    out.add("<title>Index der konvertierten Beschreibungen</title>");
    out.add("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">");
    out.add(contentSecurityPolicyMeta());

    std::vector<std::string> selected;
    for (const std::string& w : input.waypoints) {
        if (!input.workList || inWorkList(*input.workList, w)) selected.push_back(w);
    }

    auto addNotes = [&] {
        if (input.workList)
            out.add(
                "<p><b>Hinweis:</b> Die Liste enth\xE4lt lediglich die Caches, die beim Erzeugen in der "
                "Arbeitsliste enthalten waren.</p>");
        if (input.additionalHome && options.colDistance)
            out.add("<p><b>Hinweis:</b> Die angegebene Cache-Entfernung bezieht sich auf " +
                    noTags(input.homeName) + " (" + FormatLatLon(input.homeLat, input.homeLon) + ")</p>");
    };

    if (options.pocketPC) {
        out.add(std::string("</head>") + kBody);
        out.add(kH1);
        out.add(kAvailable);
        addNotes();
        out.add("<p>");
        for (const std::string& w : selected) {
            TCacheRec rec;
            const std::string name = FindCache(ctx, w, rec) ? noTags(rec.CacheName) : "unbekannt";
            out.add(linkOpen(w) + htmlEscape(w) + "</a>: " + name + "<br>");
        }
        out.add("</p>");
    } else {
        out.add("<style type=\"text/css\">");
        out.add("<!--");
        out.add("  body { color:black; font-family:\"Arial\"; font-size:12px }");
        out.add("  p { color:black; font-family:\"Arial\"; font-size:12px }");
        out.add("  td { color:black; font-family:\"Arial\"; font-size:12px }");
        out.add("  h1 { color:black; font-family:\"Arial\"; font-weight:normal; font-size:16px }");
        out.add("-->");
        out.add("</style>");
        out.add("</head>");
        out.add(kBody);
        out.add(kH1);
        out.add(kAvailable);
        addNotes();
        out.add("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr bgcolor=\"#F0F0F0\">");
        out.add("<td>Waypoint</td>");
        if (options.colName) out.add("<td>Cache-Name</td>");
        if (options.colHidden) out.add("<td>Versteckt am</td>");
        if (options.colCoord) out.add("<td>Koordinaten</td>");
        if (options.colDistance)
            out.add(input.additionalHome ? "<td>Entf. von " + noTags(input.homeName) + "</td>"
                                         : "<td>Home-Entf.</td>");
        if (options.colType) out.add("<td>Cachetyp</td>");
        if (options.colSize) out.add("<td>Cachegr&ouml;&szlig;e</td>");
        if (options.colDT) out.add("<td>Diff./Terrain</td>");
        out.add("</tr>");

        std::vector<Row> rows;
        for (const std::string& w : selected) {
            TCacheRec rec;
            if (FindCache(ctx, w, rec)) rows.push_back(makeRow(rec, w, input));
        }
        sortRows(rows, options.sortOrder);
        if (options.ascDesc == 1) std::reverse(rows.begin(), rows.end());

        auto cell = [&out](const std::string& value) { out.add("<td>" + noTags(value) + "</td>"); };
        for (const Row& r : rows) {
            out.add("<tr>");
            out.add("<td>" + linkOpen(r.waypoint) + htmlEscape(r.waypoint) + "</a></td>");
            if (options.colName) out.add("<td>" + linkOpen(r.waypoint) + noTags(r.name) + "</a></td>");
            if (options.colHidden) cell(r.hidden);
            if (options.colCoord) cell(r.coords);
            if (options.colDistance) cell(r.distance);
            if (options.colType) cell(r.type);
            if (options.colSize) cell(r.size);
            if (options.colDT) cell(r.dt);
            out.add("</tr>");
        }
        out.add("</table>");
    }
    out.add("</body></html>");
    return out.take();
}

TfrmIndex::TfrmIndex(RunContext& ctx) : ctx_(ctx) {}

std::string TfrmIndex::countText() const {
    return "Das Ausgabeverzeichnis enth\xE4lt " + std::to_string(caches_.size()) +
           " konvertierte Cachebeschreibungen.";
}

std::string TfrmIndex::indexDateText() const {
    if (const auto stamp = fileDateTimeText(options.fileName))
        return "Letztes \xC4nderungsdatum der Indexdatei: " + *stamp;
    return "Eine Indexdatei ist bislang nicht vorhanden.";
}

std::vector<std::string> TfrmIndex::homeItems() const {
    std::vector<std::string> items{kHomeItem};
    items.insert(items.end(), ctx_.settings.AddHomeTxt.begin(), ctx_.settings.AddHomeTxt.end());
    return items;
}

void TfrmIndex::open(const std::optional<std::string>& handedOverDir) {
    handedOverDir_ = handedOverDir;
    open();
}

void TfrmIndex::onOpen() {
    const std::optional<std::string> handedOverDir = std::exchange(handedOverDir_, std::nullopt);
    handedOver_ = handedOverDir && !handedOverDir->empty();
    dir_ = withTrailingSlash(handedOver_ ? *handedOverDir : ctx_.outDirPath());
    caches_ = ConvertedWaypoints(dir_);
    debugInfo(ctx_, "frmIndex.FormShow",
              dir_ + ": " + std::to_string(caches_.size()) + " converted descriptions");
    // Unattended runs show no warnings; the batch then closes the dialog without an index.
    if (caches_.empty() && !unattended())
        ctx_.host().message(MsgKind::Warning, MsgButtons::Ok,
                            "Das Ausgabeverzeichnis \"" + dir_ + "\" enth\xE4lt keine konvertierten " +
                                "Cachebeschreibungen!");
    options.fileName = dir_ + kIndexFileName;
    options.home = 0;
    loadOptions();
    if (handedOver_) {
        options.fileName = dir_ + kIndexFileName;
        options.addWhich = 1;
    }
}

void TfrmIndex::loadOptions() {
    vellora::loadOptions(ctx_.programConf(), kProgramSection,
                         indexOptionTable(static_cast<int>(homeItems().size()), handedOver_), options);
}

void TfrmIndex::storeOptions() {
    saveOptions(ctx_.programConf(), kProgramSection,
                indexOptionTable(static_cast<int>(homeItems().size()), handedOver_), options);
}

IndexPageInput TfrmIndex::pageInput() {
    IndexPageInput in;
    in.dir = dir_;
    in.waypoints = caches_;
    if (!handedOver_ && options.addWhich == 0) {
        const std::string path = ctx_.workDirPath() + kWorkListFileName;
        int error = 0;
        in.workList = readListFile(path, &error);
        if (error != 0) showErrorCode(ctx_.host(), error, "Fehler beim Lesen der Datei " + path);
    }
    const TProcSettings& s = ctx_.settings;
    const std::size_t homes = std::min({s.AddHomeLat.size(), s.AddHomeLon.size(), s.AddHomeTxt.size()});
    if (options.home >= 1 && static_cast<std::size_t>(options.home) <= homes) {
        const std::size_t i = static_cast<std::size_t>(options.home) - 1;
        in.additionalHome = true;
        in.homeName = s.AddHomeTxt[i];
        in.homeLat = parseDouble(s.AddHomeLat[i]).value_or(0);
        in.homeLon = parseDouble(s.AddHomeLon[i]).value_or(0);
    } else {
        in.homeName = kHomeItem;
        in.homeLat = s.HomeLat;
        in.homeLon = s.HomeLong;
    }
    return in;
}

bool TfrmIndex::confirmOutsideDirectory() {
    if (equalsNoCase(withTrailingSlash(extractFilePath(options.fileName)), dir_)) return true;
    const std::string text =
        "Die Indexdatei soll in einem Verzeichnis abgelegt werden, das nicht gleich dem Ausgabeverzeichnis "
        "\"" +
        dir_ +
        "\" ist. Da die Indexdatei mit relativen Links arbeitet, wird ein "
        "Anklicken eines Links in der erzeugten Indexdatei zu einer "
        "Fehlermeldung f\xFChren, wenn die erzeugte Indexdatei nicht zuvor "
        "in das aktuelle Ausgabeverzeichnis verschoben wird.\r\n\r\n"
        "Empfehlung: Die Indexdatei sollte im Ausgabeverzeichnis angelegt werden.\r\n\r\n"
        "Soll die Indexdatei trotzdem im angegebenen Verzeichnis erstellt werden?";
    return ctx_.host().message(MsgKind::Warning, MsgButtons::YesNo, text) == MsgResult::Yes;
}

bool TfrmIndex::btnOKClick() {
    if (!isOpen() || !okEnabled()) return false;
    if (!confirmOutsideDirectory()) return false;
    setRunning();
    const std::string text = BuildIndexPage(ctx_, pageInput(), options);
    const int code = writeFileAtomic(options.fileName, text);
    if (code != 0) {
        debugError(ctx_, "frmIndex.btnOKClick", options.fileName + ": " + systemErrorText(code));
        showErrorCode(ctx_.host(), code, "Fehler beim Schreiben der Datei " + options.fileName);
        changed();
        return false;
    }
    debugInfo(ctx_, "frmIndex.btnOKClick", "written " + options.fileName);
    if (options.showImmediate) ctx_.host().openWithSystem(toFileUrl(options.fileName));
    close();
    return true;
}

void TfrmIndex::startUnattended() {
    if (!isOpen()) return;
    if (okEnabled()) btnOKClick();
    close();
}

void TfrmIndex::btnChooseFileClick() {
    FileDialogOptions chooser;
    chooser.title = kCaption;
    chooser.filters = {{kFileFilterName, "*.html"}, {"Alle Dateien", "*.*"}};
    chooser.startDir = extractFilePath(options.fileName);
    chooser.defaultName = extractFileName(options.fileName);
    chooser.defaultExtension = "html";
    if (const auto chosen = ctx_.host().chooseSaveFile(chooser)) {
        options.fileName = *chosen;
        changed();
    }
}

void TfrmIndex::onClose() {
    storeOptions();
    // The batch waits for the dialog to close, whatever became of the index.
    setRunState(RunState::ClosedAfterRun);
}

}  // namespace vellora
