#include "import/GpxImport.h"

#include <fcntl.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "core/CacheRecordReader.h"
#include "core/Cp1252.h"
#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/OptionTable.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "formats/GpxReader.h"
#include "import/GCDBReader.h"
#include "import/GpxAdditionalWaypoints.h"
#include "import/GpxListingPage.h"

namespace vellora {
namespace {

const OptionTable<GPXImpOpts> kSaveOptsTable = {boolOption("GPXImpSaveOpts", &GPXImpOpts::SaveOpts)};
const OptionTable<GPXImpOpts> kOptionsTable = {
    boolOption("GPXImpRadSrch", &GPXImpOpts::RadSrch),
    boolOption("GPXImpGetDescr", &GPXImpOpts::GetDescr),
    boolOption("GPXImpKeepOld", &GPXImpOpts::KeepOld),
    stringOption("GPXImpRadius", &GPXImpOpts::Radius),
};

constexpr const char* kPass1Header = "---------- Pass 1: GPX-Datei wird eingelesen ----------";
constexpr std::size_t kFileChunk = 1 << 20;
constexpr int kReportedCaches = 10;

std::string cut(std::string text, std::size_t max) {
    if (text.size() > max) text.resize(max);
    return text;
}

// A coordinate attribute: a finite number within the limit, "." as decimal point.
std::optional<double> coordinate(const std::string& text, double limit) {
    const auto v = parseDouble(text);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > limit) return std::nullopt;
    return v;
}

// "2006-11-05..." as a date; 0 when it is no valid date.
TDateTime isoDay(const std::string& text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return 0;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return 0;
    }
    const int y = std::stoi(text.substr(0, 4)), m = std::stoi(text.substr(5, 2)),
              d = std::stoi(text.substr(8, 2));
    return isValidDate(y, m, d) ? encodeDate(y, m, d) : 0;
}

std::string cacheBinPath(const RunContext& ctx) {
    return ctx.workDirPath() + "Caches.bin";
}

// Writes the records of pass 2 into Caches.bin with one open file: appends collect in a buffer,
// updates go in place. Waypoints are looked up in a map read once from the file, so a large
// import neither reads the file per record nor depends on a current index.
class CacheFileWriter {
public:
    explicit CacheFileWriter(RunContext& ctx) : ctx_(ctx) {}
    ~CacheFileWriter() { flush(); }

    // False (reported) when the database cannot be opened or read.
    bool open() {
        int err = 0;
        // A missing database is created: an import into nothing would report caches it never stored.
        fd_ = openFile(cacheBinPath(ctx_), O_RDWR | O_CREAT, 0644, &err);
        if (!fd_) {
            showErrorCode(ctx_.host(), err, "Kann Datei " + cacheBinPath(ctx_) + " nicht lesen.");
            return false;
        }
        CacheRecordReader reader(fd_.get());
        std::int32_t n = 0;
        while (const char* rec = reader.next()) numbers_[upperCase(cacheRecWaypoint(rec))] = n++;
        if (reader.error() != 0) {
            showErrorCode(ctx_.host(), reader.error(), "Kann Datei " + cacheBinPath(ctx_) + " nicht lesen.");
            fd_ = UniqueFd();
            return false;
        }
        // Behind the last complete record, so that a torn tail cannot shift the new records.
        flushed_ = count_ = n;
        return true;
    }

    bool failed() const { return error_ != 0 || !fd_; }

    // Appends unless the waypoint is present; true when the record was stored.
    bool append(const TCacheRec& rec) {
        if (failed() || numbers_.count(upperCase(rec.Waypoint))) return false;
        numbers_[upperCase(rec.Waypoint)] = count_++;
        buffer_ += encodeCacheRec(rec);
        if (buffer_.size() >= kFileChunk) flush();
        return !failed();
    }

    // Overwrites the record of the waypoint, or appends it.
    bool update(const TCacheRec& rec) {
        if (failed()) return false;
        const auto it = numbers_.find(upperCase(rec.Waypoint));
        if (it == numbers_.end()) return append(rec);
        const std::string bytes = encodeCacheRec(rec);
        if (it->second >= flushed_) {
            buffer_.replace(static_cast<std::size_t>(it->second - flushed_) * kCacheRecSize, kCacheRecSize,
                            bytes);
            return true;
        }
        report(pwriteAll(fd_.get(), bytes, static_cast<std::uint64_t>(it->second) * kCacheRecSize));
        return !failed();
    }

    void flush() {
        if (buffer_.empty() || failed()) return;
        report(pwriteAll(fd_.get(), buffer_, static_cast<std::uint64_t>(flushed_) * kCacheRecSize));
        flushed_ = count_;
        buffer_.clear();
    }

private:
    void report(int rc) {
        if (rc == 0 || error_ != 0) return;
        error_ = rc;
        showErrorCode(ctx_.host(), rc, "Fehler beim Update der CacheDB.");
    }

    RunContext& ctx_;
    UniqueFd fd_;
    std::unordered_map<std::string, std::int32_t> numbers_;
    std::int32_t count_ = 0, flushed_ = 0;
    std::string buffer_;
    int error_ = 0;
};

// Waypoints (upper case) that have a saved listing page in dir or below.
void savedListingPages(const std::string& dir, std::unordered_set<std::string>& out) {
    for (const std::string& name : listFiles(dir, "*")) {
        const std::string upper = upperCase(name);
        if (upper.rfind("GC", 0) == 0 && upper.find(".HTML") != std::string::npos &&
            upper.find("_CONVERTED") == std::string::npos)
            out.insert(upper.substr(0, upper.find('.')));
    }
    for (const std::string& sub : listDirs(dir)) savedListingPages(joinPath(dir, sub), out);
}

}  // namespace

CompareResult CompareWithDatabase(const TCacheRec& rec, const TCacheRec* dbRec, std::string& diff) {
    diff.clear();
    if (rec.Waypoint.empty()) return CompareResult::NoWaypoint;
    if (!dbRec) return CompareResult::New;
    const TCacheRec& db = *dbRec;
    if (rec.CacheID != db.CacheID) diff += ", Cache-ID ";
    if (upperCase(rec.CacheName) != upperCase(db.CacheName)) diff += ", Cachename";
    if (rec.HiddenDate != db.HiddenDate) diff += ", Versteckdatum";
    if (std::fabs(rec.Lat - db.Lat) > 0.001) diff += ", Breitengrad";
    if (std::fabs(rec.Lon - db.Lon) > 0.001) diff += ", L\xE4ngengrad";
    if (upperCase(rec.CacheType) != upperCase(db.CacheType)) diff += ", Cachetyp";
    if (upperCase(rec.CacheSize) != upperCase(db.CacheSize))
        diff +=
            ", Cachegr\xF6\xDF"
            "e";
    if (rec.Difficulty != db.Difficulty) diff += ", Difficulty";
    if (rec.Terrain != db.Terrain) diff += ", Terrain";
    if (rec.CountryID != db.CountryID) diff += ", L\xE4nder-ID";
    if (diff.empty()) return CompareResult::Identical;
    diff.erase(0, 2);
    return CompareResult::Changed;
}

bool gpxCacheRecord(const RunContext& ctx, const GpxWaypoint& wpt, TCacheRec& rec, std::string& error,
                    std::string* waypointProblem) {
    rec = TCacheRec();
    const auto lat = coordinate(wpt.latText, 90), lon = coordinate(wpt.lonText, 180);
    if (!lat || !lon) {
        error = cp1252FromUtf8("lat=\"" + wpt.latText + "\" lon=\"" + wpt.lonText + "\"");
        return false;
    }
    rec.Lat = *lat;
    rec.Lon = *lon;
    rec.CacheID = -1;
    if (wpt.hasCacheId) {
        if (const auto id = parseInt32(wpt.cacheId)) rec.CacheID = *id;
    }
    // GPX 1.1 has no urlname: its link text, else the cache's own name.
    std::string name = cp1252FromUtf8(wpt.hasUrlname          ? wpt.urlname
                                      : !wpt.linkText.empty() ? wpt.linkText
                                                              : wpt.cacheName);
    if (wpt.hasPlacedBy) name += " by " + cp1252FromUtf8(wpt.placedBy);
    replaceAll(name, "&amp;", "&");
    rec.CacheName = cut(std::move(name), TCacheRec::kCacheNameMax);
    rec.HiddenDate = isoDay(wpt.time);
    std::string type = cp1252FromUtf8(wpt.type);
    removeAll(type, "Geocache|");
    rec.CacheType = cut(std::move(type), TCacheRec::kCacheTypeMax);
    std::string size = cp1252FromUtf8(wpt.container);
    if (upperCase(size) == "NOT CHOSEN" || upperCase(size) == "OTHER") size.clear();
    rec.CacheSize = cut(std::move(size), TCacheRec::kCacheSizeMax);
    if (!wpt.name.empty()) {
        WaypointCheck check = checkWaypoint(cp1252FromUtf8(wpt.name));
        if (check.ok())
            rec.Waypoint = std::move(check.waypoint);
        else if (waypointProblem)
            *waypointProblem = std::move(check.problem);
    }
    rec.Difficulty = wpt.hasDifficulty ? cut(cp1252FromUtf8(wpt.difficulty), TCacheRec::kRatingMax) : "0.0";
    rec.Terrain = wpt.hasTerrain ? cut(cp1252FromUtf8(wpt.terrain), TCacheRec::kRatingMax) : "0.0";
    rec.CountryID = countryIDByName(ctx.countries, cp1252FromUtf8(wpt.country));
    rec.HomeDist = homeDistanceKm(ctx, rec.Lat, rec.Lon);
    rec.Valid = 1;
    return true;
}

// ---- the dialog ----

void TfrmGPXImp::setButtons(bool start, bool work, bool close) {
    startEnabled_ = start;
    workEnabled_ = work;
    closeEnabled_ = close;
}

void TfrmGPXImp::onOpen() {
    IniFile& conf = ctx_.programConf();
    loadOptions(conf, kProgramSection, kSaveOptsTable, options);
    if (options.SaveOpts) loadOptions(conf, kProgramSection, kOptionsTable, options);
    if (options.Radius.empty()) options.Radius = formatFixed(ctx_.settings.Radius, 1);
    caption_ = kCaption;
    output_.clear();
    pending_.clear();
    collected_.clear();
    counter_.clear();
    showingPending_ = false;
    optionsEnabled_ = true;
    found_ = changed_ = new_ = identical_ = noCache_ = inserted_ = corrected_ = 0;
    report_.clear();
    centre_ = 0;
    scanFile();
}

void TfrmGPXImp::onClose() {
    IniFile& conf = ctx_.programConf();
    saveOptions(conf, kProgramSection, kSaveOptsTable, options);
    if (options.SaveOpts) saveOptions(conf, kProgramSection, kOptionsTable, options);
    pending_.clear();
    pending_.shrink_to_fit();
    output_.clear();
    output_.shrink_to_fit();
}

// Counts lines and cache definitions and finds the title, reading the file piece by piece.
void TfrmGPXImp::scanFile() {
    int err = 0;
    UniqueFd fd = openFile(path_, O_RDONLY, 0, &err);
    if (!fd) {
        showErrorCode(ctx_.host(), err, "Fehler beim Lesen der Datei " + path_);
        fileInfo_ = "Importdatei: " + path_;
        setButtons(false, false, true);
        return;
    }
    std::int64_t lines = 0, definitions = 0;
    bool titleSeen = false;
    // A line that runs over a piece of the file is gathered in line; one longer than a piece (a file
    // on one line) keeps only what the counts and the title still need.
    std::string line, chunk(kFileChunk, '\0');
    bool lastWasCr = false, open = false, lineHasWpt = false;
    const auto title = [&](std::string_view text) {
        const std::size_t at = text.find("<name>");
        if (at == std::string_view::npos) return;
        titleSeen = true;
        const std::size_t close = text.find("</name>", at);
        if (close != std::string_view::npos)
            caption_ = std::string(kCaption) + " [" + std::string(text.substr(at + 6, close - at - 6)) + "]";
    };
    const auto endLine = [&](std::string_view text) {
        ++lines;
        if (lineHasWpt || text.find("</wpt>") != std::string_view::npos) ++definitions;
        if (!titleSeen) title(text);
        line.clear();
        open = lineHasWpt = false;
    };
    const auto gather = [&](std::string_view piece) {
        line.append(piece);
        open = true;
        if (line.size() <= kFileChunk) return;
        lineHasWpt = lineHasWpt || line.find("</wpt>") != std::string::npos;
        std::size_t drop = line.size() - std::min<std::size_t>(line.size(), 6);
        if (!titleSeen) {
            const std::size_t at = line.find("<name>");
            if (at != std::string::npos && line.find("</name>", at) != std::string::npos)
                title(line);
            else if (at != std::string::npos && line.size() - at > 2 * kFileChunk)
                titleSeen = true;  // a name of megabytes is no title
            else if (at != std::string::npos)
                drop = at;
        }
        line.erase(0, drop);
    };
    for (;;) {
        std::size_t got = 0;
        if (readFully(fd.get(), chunk.data(), chunk.size(), got) != 0 || got == 0) break;
        const std::string_view data(chunk.data(), got);
        std::size_t pos = 0;
        while (pos < got) {
            if (data[pos] == '\n' && lastWasCr) {
                lastWasCr = false;
                ++pos;
                continue;
            }
            lastWasCr = false;
            // The next line end, found by the library's fast search.
            const char* lf = static_cast<const char*>(std::memchr(data.data() + pos, '\n', got - pos));
            const std::size_t lfAt = lf ? static_cast<std::size_t>(lf - data.data()) : got;
            const char* cr = static_cast<const char*>(std::memchr(data.data() + pos, '\r', lfAt - pos));
            const std::size_t stop = cr ? static_cast<std::size_t>(cr - data.data()) : lfAt;
            const std::string_view piece = data.substr(pos, stop - pos);
            if (stop == got) {
                gather(piece);
                break;
            }
            lastWasCr = data[stop] == '\r';
            if (line.empty() && !open) {
                endLine(piece);
            } else {
                line.append(piece);
                endLine(line);
            }
            pos = stop + 1;
        }
        if (got < chunk.size()) break;
    }
    if (open) endLine(line);
    fileInfo_ = "Importdatei: " + path_ + " (" + std::to_string(lines) + " Zeilen, " +
                std::to_string(definitions) + " Cachedefinitionen)";
    setButtons(true, false, true);
}

std::vector<std::string> TfrmGPXImp::centreChoices() const {
    std::vector<std::string> names{kHome};
    names.insert(names.end(), ctx_.settings.AddHomeTxt.begin(), ctx_.settings.AddHomeTxt.end());
    return names;
}

bool TfrmGPXImp::centreEnabled() const {
    return !ctx_.settings.AddHomeTxt.empty();
}

void TfrmGPXImp::setCentre(int index) {
    if (index < 0 || index > static_cast<int>(ctx_.settings.AddHomeTxt.size())) return;
    centre_ = index;
    changed();
}

bool TfrmGPXImp::setCentreByName(const std::string& name) {
    const auto names = centreChoices();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (upperCase(names[i]) == upperCase(name)) {
            setCentre(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

bool TfrmGPXImp::centrePosition(double& lat, double& lon) const {
    if (centre_ == 0) {
        lat = ctx_.settings.HomeLat;
        lon = ctx_.settings.HomeLong;
        return true;
    }
    const std::size_t i = static_cast<std::size_t>(centre_ - 1);
    if (i >= ctx_.settings.AddHomeLat.size() || i >= ctx_.settings.AddHomeLon.size()) return false;
    const auto a = parseDouble(ctx_.settings.AddHomeLat[i]), b = parseDouble(ctx_.settings.AddHomeLon[i]);
    if (!a || !b) return false;
    lat = *a;
    lon = *b;
    return true;
}

std::string TfrmGPXImp::centreCoordinates() const {
    double lat = 0, lon = 0;
    if (!centrePosition(lat, lon)) return {};
    return FormatLatLon(lat, lon);
}

void TfrmGPXImp::setRadiusText(const std::string& text) {
    std::string r;
    for (char c : text) {
        if (c == ',') c = '.';
        if ((c >= '0' && c <= '9') || c == '.') r += c;
    }
    options.Radius = r;
    changed();
}

void TfrmGPXImp::btnStartClick() {
    if (!startEnabled_) return;
    setRunning();
    setButtons(false, false, false);
    changed();
    Host& host = ctx_.host();

    // The database in memory, keyed by waypoint as stored (the first record of a waypoint counts).
    std::unordered_map<std::string, TCacheRec> database;
    {
        int err = 0;
        UniqueFd fd = openFile(cacheBinPath(ctx_), O_RDONLY, 0, &err);
        // A home without a database yet has an empty one: nothing to say.
        if (!fd && err != ENOENT) {
            showErrorCode(host, err, "Fehler beim Lesen der Datei " + cacheBinPath(ctx_));
        } else if (fd) {
            host.beginProgress("Cacheliste wird gelesen", cacheRecordCount(ctx_));
            CacheRecordReader reader(fd.get());
            std::int64_t n = 0;
            while (const char* bytes = reader.next()) {
                TCacheRec rec = decodeCacheRec(bytes);
                std::string key = rec.Waypoint;
                database.emplace(std::move(key), std::move(rec));
                if (++n % 100 == 0) {
                    host.setProgress(n);
                    host.processEvents();
                }
            }
            host.endProgress();
            if (reader.error() != 0)
                showErrorCode(host, reader.error(), "Fehler beim Lesen der Datei " + cacheBinPath(ctx_));
        }
    }

    output_.clear();
    output_.push_back(kPass1Header);
    found_ = changed_ = new_ = identical_ = noCache_ = 0;
    pending_.clear();
    refused_.clear();
    repairReport_.clear();
    std::string badCoordinates;
    const auto showCounters = [&] {
        counter_ = std::to_string(found_) + " Cachedefinitionen gefunden, " + std::to_string(changed_) +
                   " unterschiedlich, " + std::to_string(new_) + " neu, " + std::to_string(identical_) +
                   " alt";
        if (noCache_ > 0) counter_ += ", " + std::to_string(noCache_) + " kein Cache";
    };
    const GpxReadResult read = readGpxFile(path_, [&](const GpxWaypoint& wpt) {
        ++found_;
        // A parking area, a home or a plain GPX export: a waypoint, but no cache.
        if (!wpt.hasCache) {
            ++noCache_;
            showCounters();
            return true;
        }
        TCacheRec rec;
        std::string refusal;
        if (!gpxCacheRecord(ctx_, wpt, rec, badCoordinates, &refusal)) return false;
        if (!refusal.empty()) refused_.push_back(std::move(refusal));
        const auto it = database.find(rec.Waypoint);
        std::string diff;
        const CompareResult r = CompareWithDatabase(rec, it == database.end() ? nullptr : &it->second, diff);
        if (r == CompareResult::Identical) ++identical_;
        if (r == CompareResult::Changed) ++changed_;
        if (r == CompareResult::New) ++new_;
        // Also after a definition without waypoint, so that the last count shown is the real one.
        showCounters();
        if (r == CompareResult::NoWaypoint) return true;
        output_.push_back(std::to_string(static_cast<int>(r)) + " - " + rec.Waypoint + ": " + rec.CacheName);
        if (r != CompareResult::Identical) {
            PendingEntry e;
            e.kind = r == CompareResult::New ? Kind::New : Kind::Changed;
            e.line = e.kind == Kind::New
                         ? cut(rec.Waypoint + ": Neu (", 23) + formatDate(rec.HiddenDate) + ")"
                         : cut(rec.Waypoint + ": Diff=", 23) + diff;
            e.diff = std::move(diff);
            e.rec = std::move(rec);
            e.begin = wpt.begin;
            e.end = wpt.end;
            pending_.push_back(std::move(e));
        }
        if (found_ % 100 == 0) changed();
        host.processEvents();
        return true;
    });
    database.clear();
    encoding_ = read.encoding;

    // A file that cannot be read to its end is not imported at all, unless it is only cut off: then
    // the caches before the cut are whole, and the report says what was lost.
    bool usable = true;
    if (!badCoordinates.empty()) {
        usable = false;
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Ung\xFCltige Koordinaten in der GPX-Datei: " + badCoordinates +
                         "\r\nAus dieser Datei kann nichts importiert werden.");
    } else if (!read.ok && read.errorCode != 0) {
        usable = false;
        showErrorCode(host, read.errorCode, "Fehler beim Lesen der Datei " + path_);
    } else if (!read.ok) {
        usable = false;
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Die GPX-Datei " + path_ + " ist fehlerhaft (" + read.errorText +
                         ").\r\nAus dieser Datei kann nichts importiert werden.");
    }
    if (!usable) pending_.clear();
    if (usable) reportRepairs(read);
    if (usable && !refused_.empty()) {
        std::string text =
            std::to_string(refused_.size()) + " Cachedefinitionen werden nicht importiert:\r\n";
        for (std::size_t i = 0; i < refused_.size() && i < kReportedCaches; ++i) text += refused_[i] + "\r\n";
        if (refused_.size() > kReportedCaches) text += "...\r\n";
        host.message(MsgKind::Warning, MsgButtons::Ok, text);
    }
    showingPending_ = true;
    setButtons(false, usable, true);
    changed();
    if (usable && pending_.empty()) {
        host.message(MsgKind::Information, MsgButtons::Ok,
                     "Die GPX-Datei enthielt keine neuen Caches oder Updates.");
        if (!options.RadSrch) close();
    }
}

std::optional<TfrmGPXImp::Inspection> TfrmGPXImp::inspect(int row) {
    if (row < 0 || row >= static_cast<int>(pending_.size())) return std::nullopt;
    const PendingEntry& e = pending_[static_cast<std::size_t>(row)];
    Inspection result;
    result.kind = e.kind;
    result.imported = e.rec;
    if (e.kind == Kind::Changed) {
        TCacheRec db;
        if (FindCache(ctx_, e.rec.Waypoint, db)) result.existing = db;
    }
    return result;
}

void TfrmGPXImp::removeEntry(int row) {
    if (row < 0 || row >= static_cast<int>(pending_.size())) return;
    pending_.erase(pending_.begin() + row);
    changed();
}

void TfrmGPXImp::btnWorkClick() {
    if (!workEnabled_) return;
    Host& host = ctx_.host();
    double radius = 0;
    if (options.RadSrch) {
        const auto r = parseDouble(options.Radius);
        if (!r || !std::isfinite(*r) || *r <= 0) {
            host.message(MsgKind::Error, MsgButtons::Ok, "Der eingegebene Radius ist falsch.");
            return;
        }
        radius = *r;
    }
    setButtons(false, false, false);
    optionsEnabled_ = false;
    changed();
    collected_.clear();
    inserted_ = corrected_ = 0;

    const bool pages = options.RadSrch && options.GetDescr;
    std::unordered_set<std::string> saved;
    if (pages && options.KeepOld) savedListingPages(ctx_.outDirPath(), saved);
    double centreLat = 0, centreLon = 0;
    const bool centreKnown = centrePosition(centreLat, centreLon);
    std::unordered_set<std::string> collectedSet;
    UniqueFd gpx;
    AdditionalWaypoints additional;
    if (pages) {
        gpx = openFile(path_, O_RDONLY, 0);
        if (const std::string wpts = additionalWaypointsFile(path_); !wpts.empty())
            additional = readAdditionalWaypoints(wpts);
    }

    {
        CacheFileWriter writer(ctx_);
        if (writer.open()) {
            for (std::size_t i = 0; i < pending_.size() && !writer.failed(); ++i) {
                const PendingEntry& e = pending_[i];
                if (e.kind == Kind::New) {
                    if (writer.append(e.rec)) ++inserted_;
                } else if (writer.update(e.rec)) {
                    ++corrected_;
                }
                const std::string key = upperCase(e.rec.Waypoint);
                if (options.RadSrch && e.kind == Kind::New && centreKnown && !collectedSet.count(key)) {
                    const auto d = DistanceBearing(centreLat, centreLon, e.rec.Lat, e.rec.Lon);
                    if (d.ok && d.distanceKm <= radius) {
                        collectedSet.insert(key);
                        collected_.push_back(e.rec.Waypoint);
                        if (pages && gpx && !saved.count(key)) {
                            const auto extra = additional.find(additionalWaypointKey(e.rec.Waypoint));
                            WriteGpxListingPage(
                                ctx_, gpxElementLines(readGpxElement(gpx.get(), e.begin, e.end, encoding_)),
                                e.rec.Waypoint,
                                extra == additional.end() ? std::string()
                                                          : additionalWaypointsTable(extra->second));
                        }
                    }
                }
                if (i % 100 == 0) host.processEvents();
            }
            writer.flush();
        }
    }
    pending_.clear();
    pending_.shrink_to_fit();
    output_.clear();
    changed();
    report_.clear();
    report_.push_back("Datenbankupdate abgeschlossen.\r\n\r\n" + std::to_string(inserted_) +
                      " neue Caches wurden in die Datenbank eingef\xFCgt." + "\r\n" +
                      std::to_string(corrected_) + " Korrekturen wurden an vorhandenen Caches vorgenommen.");
    if (ctx_.settings.ShowMessages) host.message(MsgKind::Information, MsgButtons::Ok, report_.back());
    RebuildIndex(ctx_);
    if (options.RadSrch) putIntoWorkList();
    optionsEnabled_ = true;
    setButtons(false, false, true);
    close();
}

// What was mended in the file and what a cut-off file lost, as one warning.
void TfrmGPXImp::reportRepairs(const GpxReadResult& read) {
    std::string text;
    if (read.repairs > 0) {
        text += "Die GPX-Datei enthielt " + std::to_string(read.repairs) +
                " fehlerhafte Stellen; sie wurden so gelesen:\r\n";
        for (const std::string& line : read.repairsDescribed) text += line + "\r\n";
        if (read.repairs > read.repairsDescribed.size()) text += "...\r\n";
    }
    if (read.truncated) {
        if (!text.empty()) text += "\r\n";
        text += "Die GPX-Datei ist abgeschnitten (" + read.errorText + "). Die " + std::to_string(found_) +
                " vollst\xE4ndigen Cachedefinitionen davor wurden eingelesen";
        if (read.lostWaypoint)
            text += "; die angefangene Cachedefinition" +
                    (read.lostName.empty() ? std::string() : " " + cp1252FromUtf8(read.lostName)) +
                    " ging verloren.";
        else
            text += ".";
        text += "\r\n";
    }
    repairReport_ = text;
    if (!text.empty()) ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, text);
}

void TfrmGPXImp::putIntoWorkList() {
    Host& host = ctx_.host();
    if (collected_.empty()) {
        report_.push_back(
            "Die Radiussuche hat ergeben, dass keiner der eingef\xFCgten Caches im angegebenen Radius um das "
            "gew\xE4hlte Home liegen.\r\nEs wurden keine Caches in die Arbeitsliste eingef\xFCgt.");
        host.message(MsgKind::Information, MsgButtons::Ok, report_.back());
        return;
    }
    std::string report = "Es wurden " + std::to_string(collected_.size()) +
                         " Caches in die Arbeitsliste eingef\xFCgt:" + "\r\n\r\n";
    for (std::size_t i = 0; i < collected_.size() && i < kReportedCaches; ++i) {
        TCacheRec rec;
        if (FindCache(ctx_, collected_[i], rec))
            report += rec.Waypoint + ": " + rec.CacheName + "\r\n";
        else
            report += collected_[i] + "\r\n";
    }
    if (collected_.size() > kReportedCaches) report += "(Liste nach 10 Eintr\xE4gen abgschnitten)";
    const std::string path = ctx_.workDirPath() + kWorkListFileName;
    std::vector<std::string> lines = collected_;
    int readError = 0;
    const std::vector<std::string> old = readListFile(path, &readError);
    // An unreadable work list must not be replaced by the new caches alone.
    if (readError != 0 && readError != ENOENT) {
        showErrorCode(host, readError, "Fehler beim Lesen der Datei " + path);
        return;
    }
    lines.insert(lines.end(), old.begin(), old.end());
    if (const int rc = writeListFile(path, lines); rc != 0) {
        showErrorCode(host, rc, "Fehler beim Schreiben der Datei " + path);
        return;
    }
    report_.push_back(report);
    if (ctx_.settings.ShowMessages) host.message(MsgKind::Information, MsgButtons::Ok, report);
}

}  // namespace vellora
