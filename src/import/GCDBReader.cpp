#include "import/GCDBReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/CacheIndexBuilder.h"
#include "core/CacheRecordReader.h"
#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "import/ExistingWaypoints.h"
#include "import/Unzip.h"
#include "net/LoadURL.h"

namespace vellora {
namespace {

constexpr std::string_view kWhere = "frmGCDBReader.ConverteHTTP";
constexpr std::size_t kReportedRefusals = 10;
constexpr std::size_t kReadBlock = 1 << 20;
// Records per write or read of the record files.
constexpr std::size_t kRecordChunk = 1024;
// The length of a degree of latitude, and more than the rounding error of a computed distance.
constexpr double kKmPerDegree = kEarthRadiusKm * kPi / 180.0;
constexpr double kRoundingKm = 0.01;
// Written bytes after which their writeback starts.
constexpr std::uint64_t kWritebackBytes = std::uint64_t{8} << 20;

// Collects encoded records and writes them to a file in large writes.
class RecordAppender {
public:
    // index (when given) collects the waypoint of every record added. durable: the file is synced
    // at the end, so what is written starts going to disk at once, while the work goes on.
    explicit RecordAppender(int fd, CacheIndexBuilder* index = nullptr, bool durable = false)
        : fd_(fd), index_(index), durable_(durable) {
        buf_.reserve(kRecordChunk * kCacheRecSize);
    }
    bool add(const char* record) {
        if (index_) index_->add(cacheRecWaypoint(record));
        buf_.insert(buf_.end(), record, record + kCacheRecSize);
        return buf_.size() < kRecordChunk * kCacheRecSize || flush();
    }
    bool add(const TCacheRec& rec) {
        char bytes[kCacheRecSize];
        encodeCacheRec(rec, bytes);
        return add(bytes);
    }
    bool flush() {
        if (error_) return false;
        if (buf_.empty()) return true;
        const bool written = writeOut(buf_.data(), buf_.size());
        if (written) records_ += static_cast<std::int64_t>(buf_.size() / kCacheRecSize);
        buf_.clear();
        return written;
    }
    // Records of a file being rewritten, written as they are: neither counted nor indexed.
    bool copy(const char* records, std::size_t count) {
        return flush() && writeOut(records, count * kCacheRecSize);
    }
    int error() const { return error_; }
    // Records that reached the file.
    std::int64_t records() const { return records_; }

private:
    bool writeOut(const char* data, std::size_t size) {
        error_ = writeAll(fd_, std::string_view(data, size));
        if (error_ != 0) return false;
        unsynced_ += size;
        if (durable_ && unsynced_ >= kWritebackBytes) {
            const off_t end = ::lseek(fd_, 0, SEEK_CUR);
            if (end >= 0) startWriteback(fd_, static_cast<std::uint64_t>(end) - unsynced_, unsynced_);
            unsynced_ = 0;
        }
        return true;
    }

    int fd_;
    CacheIndexBuilder* index_;
    bool durable_;
    std::uint64_t unsynced_ = 0;  // bytes written since the last start of a writeback
    std::vector<char> buf_;
    std::int64_t records_ = 0;
    int error_ = 0;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Optional sign and decimal digits, within 32 bits.
bool parseDecimalInt32(std::string_view t, std::int32_t& value) {
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty()) return false;
    std::int64_t v = 0;
    for (const char c : t) {
        if (!isDigit(c)) return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

// Decimal degrees: optional sign, digits with "." as decimal point, optional exponent; finite.
bool parseDegrees(std::string_view t, double& value) {
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || !(isDigit(t.front()) || t.front() == '.')) return false;
    double v = 0;
    const auto res = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(v)) return false;
    value = negative ? -v : v;
    return true;
}

// Text up to the next blank; the blanks behind it are skipped.
std::string_view takeToken(std::string_view& rest) {
    const std::size_t n = rest.find(' ');
    if (n == std::string_view::npos) {
        const std::string_view token = rest;
        rest = {};
        return token;
    }
    const std::string_view token = rest.substr(0, n);
    rest.remove_prefix(n);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    return token;
}

// Cuts the first text between double quotes (quotes and all) out of rest, wherever it stands, and
// drops the blanks that then lead. Without a pair of quotes the text is empty and rest unchanged
// but for its leading blanks.
void cutQuoted(std::string& rest, std::string& inner) {
    inner.clear();
    const std::size_t open = rest.find('"');
    if (open != std::string::npos) {
        const std::size_t close = rest.find('"', open + 1);
        if (close != std::string::npos) {
            inner.assign(rest, open + 1, close - open - 1);
            rest.erase(open, close - open + 1);
        }
    }
    std::size_t lead = 0;
    while (lead < rest.size() && rest[lead] == ' ') ++lead;
    rest.erase(0, lead);
}

void assignCut(std::string& field, std::string_view text, std::size_t max) {
    field.assign(text.substr(0, max));
}

// As rec = TCacheRec{}, but the text fields keep their buffers for the next line. Field by field:
// swapping the texts out and back costs more than the parsing of a line.
void clearKeepingBuffers(TCacheRec& rec) {
    static_assert(sizeof(std::string) != 32 || sizeof(TCacheRec) == 304,
                  "TCacheRec changed: clear its new fields here");
    rec.CacheID = 0;
    rec.CacheName.clear();
    rec.HiddenDate = 0;
    rec.Lat = 0;
    rec.Lon = 0;
    rec.CacheType.clear();
    rec.CacheSize.clear();
    rec.Waypoint.clear();
    rec.Difficulty.clear();
    rec.Terrain.clear();
    rec.CountryID = 0;
    rec.HomeDist = 0;
    rec.Valid = 0;
    rec.Reserve.fill(0);
}

double readLeDouble(const char* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(p[i]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// The file in dir named fileName, or when there is none, one whose name differs only in case.
std::string resolveInDir(const std::string& dir, const std::string& fileName) {
    const std::string exact = dir + fileName;
    if (fileExists(exact) || fileName.find_first_of("/\\") != std::string::npos) return exact;
    for (const std::string& name : listFiles(dir)) {
        if (equalsNoCase(name, fileName)) return dir + name;
    }
    return exact;
}

}  // namespace

// ---- line reader ----

namespace {

// The first byte below 32 (TAB included) in buf[from, to), or to.
std::size_t findControlByte(const char* buf, std::size_t from, std::size_t to) {
    std::size_t i = from;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a byte is below 32 where the unsigned minimum with 31 is the byte.
    const __m128i limit = _mm_set1_epi8(31);
    for (; i + 16 <= to; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, limit), bytes));
        if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (; i < to; ++i)
        if (static_cast<unsigned char>(buf[i]) < 32) return i;
    return to;
}

}  // namespace

TCacheDBLineReader::TCacheDBLineReader(int fd) : fd_(fd), buf_(new char[kReadBlock]) {}

bool TCacheDBLineReader::fill() {
    if (eof_ || error_) return false;
    std::size_t got = 0;
    if (const int code = readFully(fd_, buf_.get(), kReadBlock, got); code != 0) {
        error_ = code;
        return false;
    }
    if (got == 0) {
        eof_ = true;
        return false;
    }
    pos_ = 0;
    len_ = got;
    return true;
}

TCacheDBLineReader::Status TCacheDBLineReader::next(std::string_view& line) {
    if (pos_ == len_ && !fill()) return error_ ? Status::Error : Status::End;
    const char* const buf = buf_.get();
    const std::size_t limit = std::min(len_, pos_ + kCacheDBMaxLine);
    const std::size_t stop = findControlByte(buf, pos_, limit);
    const bool endedByControl = stop < limit && buf[stop] != '\t';
    if (endedByControl || stop - pos_ == kCacheDBMaxLine) {
        line = std::string_view(buf + pos_, stop - pos_);
        pos_ = endedByControl ? stop + 1 : stop;
        return Status::Line;
    }
    const Status status = next(joined_);
    line = joined_;
    return status;
}

TCacheDBLineReader::Status TCacheDBLineReader::next(std::string& line) {
    line.clear();
    if (pos_ == len_ && !fill()) return error_ ? Status::Error : Status::End;
    for (;;) {
        // The run of bytes that stays in the line: up to a control byte other than TAB, or the room left.
        const char* const buf = buf_.get();
        const std::size_t end = std::min(len_, pos_ + (kCacheDBMaxLine - line.size()));
        std::size_t i = pos_;
        while (i < end && (static_cast<unsigned char>(buf[i]) >= 32 || buf[i] == '\t')) ++i;
        const std::size_t from = line.size();
        line.append(buf + pos_, i - pos_);
        std::replace(line.begin() + static_cast<std::ptrdiff_t>(from), line.end(), '\t', ' ');
        pos_ = i;
        if (line.size() == kCacheDBMaxLine) return Status::Line;
        if (pos_ < len_) {
            ++pos_;  // the control byte ends the line and is dropped
            return Status::Line;
        }
        if (!fill()) return error_ ? Status::Error : Status::Line;
    }
}

// ---- line parser ----

namespace {

// What a line holds between its name and its cache type.
struct DateAndPosition {
    TDateTime hidden = 0;
    double lat = 0, lon = 0;
};

// Year, month, day, latitude and longitude from the tokens at the front of view; false for a
// malformed line.
bool takeDateAndPosition(std::string_view& view, DateAndPosition& out) {
    const std::string_view year = takeToken(view);
    const std::string_view month = takeToken(view);
    const std::string_view day = takeToken(view);
    const std::string_view latText = takeToken(view);
    const std::string_view lonText = takeToken(view);
    std::string date;
    date.reserve(day.size() + month.size() + year.size() + 2);
    date.append(day).append(".").append(month).append(".").append(year);
    const auto hidden = parseDate(date);
    if (!hidden) return false;
    out.hidden = *hidden;
    if (!parseDegrees(latText, out.lat) || !parseDegrees(lonText, out.lon)) return false;
    // A position off the globe is no position; such a record would also fail the start-up check.
    return out.lat >= -90 && out.lat <= 90 && out.lon >= -180 && out.lon <= 180;
}

// The text between the quotes at the very front of view, which then starts behind the blanks
// after it; false when view does not start with a quoted text.
bool takeLeadingQuoted(std::string_view& view, std::string_view& inner) {
    if (view.empty() || view.front() != '"') return false;
    const std::size_t close = view.find('"', 1);
    if (close == std::string_view::npos) return false;
    inner = view.substr(1, close - 1);
    view.remove_prefix(close + 1);
    while (!view.empty() && view.front() == ' ') view.remove_prefix(1);
    return true;
}

}  // namespace

int TCacheDBLineParser::parse(std::string_view line, TCacheRec& rec, std::string* waypointProblem) {
    clearKeepingBuffers(rec);
    if (line.empty() || line.front() == '#') return kLineMalformed;
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return kLineMalformed;
    std::int32_t id = 0;
    if (!parseDecimalInt32(line.substr(0, blank), id)) return kLineMalformed;

    // Nearly every line has its quoted texts where the fields stand, so that cutting them out
    // is taking them off the front: that needs no copy of the line. Any other line takes the
    // general way below.
    std::string_view view = line.substr(blank + 1);
    while (!view.empty() && view.front() == ' ') view.remove_prefix(1);
    std::string_view name, type, size;
    DateAndPosition fields;
    if (takeLeadingQuoted(view, name)) {
        name_.assign(name);
        decodeEntities(name_);
        if (!takeDateAndPosition(view, fields)) return kLineMalformed;
        if (takeLeadingQuoted(view, type) && takeLeadingQuoted(view, size))
            return finish(id, fields.hidden, fields.lat, fields.lon, type, size, view, rec, waypointProblem);
    }
    return parseGeneral(line.substr(blank + 1), id, rec, waypointProblem);
}

int TCacheDBLineParser::parseGeneral(std::string_view afterId, std::int32_t id, TCacheRec& rec,
                                     std::string* waypointProblem) {
    std::string& rest = rest_;
    rest.assign(afterId);
    cutQuoted(rest, name_);
    decodeEntities(name_);

    std::string_view view = rest;
    DateAndPosition fields;
    if (!takeDateAndPosition(view, fields)) return kLineMalformed;

    rest.erase(0, rest.size() - view.size());  // view is what is left of rest
    cutQuoted(rest, type_);
    cutQuoted(rest, size_);
    return finish(id, fields.hidden, fields.lat, fields.lon, type_, size_, rest, rec, waypointProblem);
}

int TCacheDBLineParser::finish(std::int32_t id, double hidden, double lat, double lon, std::string_view type,
                               std::string_view size, std::string_view view, TCacheRec& rec,
                               std::string* waypointProblem) {
    const std::string_view waypoint = takeToken(view);
    // The waypoint is the key of the database: a record without one could never be found again.
    if (waypoint.empty()) return kLineMalformed;
    WaypointCheck check = checkWaypoint(waypoint);
    if (!check.ok()) {
        if (waypointProblem) *waypointProblem = std::move(check.problem);
        return kLineMalformed;
    }
    takeToken(view);
    const std::string_view difficulty = takeToken(view);
    const std::string_view terrain = takeToken(view);

    rec.CacheID = id;
    assignCut(rec.CacheName, name_, TCacheRec::kCacheNameMax);
    rec.HiddenDate = hidden;
    rec.Lat = lat;
    rec.Lon = lon;
    assignCut(rec.CacheType, type, TCacheRec::kCacheTypeMax);
    assignCut(rec.CacheSize, size, TCacheRec::kCacheSizeMax);
    rec.Waypoint = std::move(check.waypoint);
    int result = kLineComplete;
    assignCut(rec.Difficulty, difficulty.empty() ? "0.0" : difficulty, TCacheRec::kRatingMax);
    assignCut(rec.Terrain, terrain.empty() ? "0.0" : terrain, TCacheRec::kRatingMax);
    if (difficulty.empty() || terrain.empty()) result = kLineIncomplete;
    return result;
}

int ParseCacheDBLine(std::string_view line, TCacheRec& rec, std::string* waypointProblem) {
    TCacheDBLineParser parser;
    return parser.parse(line, rec, waypointProblem);
}

std::int32_t CountryIDFromFileName(const RunContext& ctx, std::string_view path) {
    const std::string name = extractFileName(path);
    std::int32_t id = 0;
    for (const TCountryEntry& e : ctx.countries.entries) {
        if (equalsNoCase(e.DB_Filename, name)) id = e.DB_CountryID;
    }
    return id;
}

float homeDistanceKm(const RunContext& ctx, double lat, double lon) {
    const DistanceBearingResult r = DistanceBearing(ctx.settings.HomeLat, ctx.settings.HomeLong, lat, lon);
    return r.ok ? static_cast<float>(r.distanceKm) : 0.0f;
}

// ---- the conversion window ----

void TfrmGCDBReader::show() {
    visible_ = true;
    heading_ = std::string(kConvertHeading);
    count_ = std::string("0");
    ctx_.host().beginProgress(heading_, 0);
    open();
}

void TfrmGCDBReader::hide() {
    if (!visible_) return;
    visible_ = false;
    ctx_.host().endProgress();
    changed();
    close();
}

void TfrmGCDBReader::setHeading(std::string text) {
    heading_ = std::move(text);
    if (visible_) ctx_.host().setProgressText(heading_);
    changed();
}

void TfrmGCDBReader::setPaths(const std::string& source, const std::string& target) {
    source_ = source;
    target_ = target;
    changed();
}

void TfrmGCDBReader::setCount(std::int64_t n) {
    count_ = std::to_string(n);
    if (visible_) ctx_.host().setProgress(n);
    changed();
}

int TfrmGCDBReader::ConvertCacheDB(const std::string& fileName, bool offerNearest, bool report) {
    Host& host = ctx_.host();
    const std::string workDir = ctx_.workDirPath();
    const std::string source = resolveInDir(workDir, fileName);
    counters_ = TConvertCounters{};
    lastResult_ = kConvertCannotOpenSource;
    indexCurrent_ = false;
    if (!fileExists(source)) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Cache-DB \"" + source + "\"\r\nnicht gefunden. Bitte den angegebenen Pfad \xFC" +
                         "berpr\xFC" +
                         "fen.\r\n(Men\xFC Datei / Grundeinstellungen - Pfade+Dateien / Cache-DB)");
        return 0;
    }
    const std::string target = workDir + "Caches.bin";
    show();
    setPaths(source, target);
    const int r = ConverteHTTP(source, target, offerNearest);
    lastResult_ = r;
    if (r < 0) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Fehler #" + std::to_string(r) + " bei der Verarbeitung.");
    } else if (report && ctx_.settings.ShowMessages) {
        std::string text = fileName + ":\r\n" + std::to_string(r) + " Datens\xE4tze wurden konvertiert";
        if (counters_.malformed > 0) {
            text += "\r\n" + std::to_string(counters_.malformed) +
                    " Datens\xE4tze konnten nicht konvertiert werden";
            for (const std::string& reason : counters_.refusedWaypoints) text += "\r\n" + reason;
        }
        if (counters_.incomplete > 0) {
            text += "\r\n" + std::to_string(counters_.incomplete) +
                    " Datens\xE4tze wurden unvollst\xE4ndig konvertiert (Difficulty/Terrain-Angabe fehlt)";
        }
        host.message(MsgKind::Information, MsgButtons::Ok, text);
    }
    hide();
    return counters_.newRecords;
}

int TfrmGCDBReader::ConverteHTTP(const std::string& sourcePath, const std::string& targetPath,
                                 bool offerNearest) {
    counters_ = TConvertCounters{};
    indexCurrent_ = false;
    Host& host = ctx_.host();
    setPaths(sourcePath, targetPath);
    const std::int32_t countryID = CountryIDFromFileName(ctx_, sourcePath);

    UniqueFd in = openFile(sourcePath, O_RDONLY);
    if (!in) return kConvertCannotOpenSource;
    // Without a database the records go into a temporary file that becomes it, so that a crash
    // leaves no half database; with one they go to Caches.bin.tmp and are merged into a copy of it.
    const bool mergeDue = fileExists(targetPath);
    AtomicFileWriter fresh;
    UniqueFd scratch;
    std::unique_ptr<TMergeBase> mergeBase;
    if (mergeDue) {
        scratch = openFile(targetPath + ".tmp", O_WRONLY | O_CREAT | O_TRUNC);
        if (!scratch) return kConvertCannotCreateTarget;
        mergeBase = std::make_unique<TMergeBase>(ctx_, targetPath);
    } else if (fresh.open(targetPath) != 0) {
        return kConvertCannotCreateTarget;
    }
    const int outFd = mergeDue ? scratch.get() : fresh.fd();
    // After a write error a new database keeps the records written whole.
    const auto writeFailed = [&] {
        if (!mergeDue) {
            struct stat st {};
            if (::fstat(outFd, &st) == 0 &&
                ::ftruncate(outFd, st.st_size - st.st_size % static_cast<off_t>(kCacheRecSize)) == 0)
                fresh.commit();
        }
        return kConvertWriteError;
    };

    TCacheDBLineReader reader(in.get());
    // A new database gets its index from the records as they are written, not from reading it back.
    const bool indexDue = !mergeDue && targetPath == ctx_.workDirPath() + "Caches.bin";
    CacheIndexBuilder index(ctx_.workDirPath());
    RecordAppender appender(outFd, indexDue ? &index : nullptr, !mergeDue);
    TCacheDBLineParser parser;
    const DistanceFrom home(ctx_.settings.HomeLat, ctx_.settings.HomeLong);
    std::string_view line;
    TCacheRec rec;
    auto total = [this] {
        return static_cast<std::int64_t>(counters_.converted) + counters_.incomplete + counters_.malformed;
    };
    for (;;) {
        const auto status = reader.next(line);
        if (status == TCacheDBLineReader::Status::End) break;
        if (status == TCacheDBLineReader::Status::Error) return kConvertReadError;
        std::string refusal;
        const int parsed = parser.parse(line, rec, &refusal);
        if (parsed == kLineMalformed) {
            ++counters_.malformed;
            if (!refusal.empty()) {
                debugError(ctx_, kWhere, refusal);
                if (counters_.refusedWaypoints.size() < kReportedRefusals)
                    counters_.refusedWaypoints.push_back(std::move(refusal));
            }
            if (ctx_.debugMode) {
                debugError(ctx_, kWhere, "malformed line found:");
                debugLog(ctx_, line);
            }
            continue;
        }
        double km = 0;
        rec.HomeDist = home.distanceKm(rec.Lat, rec.Lon, km) ? static_cast<float>(km) : 0.0f;
        rec.CountryID = countryID;
        rec.Valid = 1;
        ++(parsed == kLineComplete ? counters_.converted : counters_.incomplete);
        if (total() % 100 == 0) {
            setCount(total());
            host.processEvents();
        }
        if (!appender.add(rec)) return writeFailed();
    }
    if (!appender.flush()) return writeFailed();
    setCount(total());
    host.processEvents();
    in.reset();
    if (mergeDue) {
        if (scratch.close() != 0) return kConvertWriteError;
        counters_.newRecords = mergeNewRecords(targetPath + ".tmp", targetPath, offerNearest, *mergeBase);
    } else if (fresh.commit() != 0) {
        return kConvertWriteError;
    } else if (indexDue) {
        indexCurrent_ = index.write(ctx_) == 0;
    }
    return counters_.converted;
}

// The database as the merge finds it, read once before the new records come: its waypoints for the
// lookups, the index keys of its records, and the start of the merged file, a copy of its whole
// records. The merged database is written beside the old one and renamed over it: whatever
// happens, Caches.bin is the old or the new file. An incomplete tail of the old file is left out,
// so it cannot shift the new records. The copy is made as the records are read for the lookups,
// so that it goes to disk while the new records are converted and looked up.
class TMergeBase {
public:
    TMergeBase(const RunContext& ctx, const std::string& databasePath)
        : index(ctx.workDirPath()), copyError(out.open(databasePath)), appender(out.fd(), &index, true) {
        ExistingWaypoints::RecordsSink copy;
        if (copyError == 0)
            copy = [this](const char* records, std::size_t count) { appender.copy(records, count); };
        loadError = existing.load(databasePath, &index, copy);
        if (copyError == 0) copyError = appender.error();
    }

    CacheIndexBuilder index;
    AtomicFileWriter out;
    int copyError;
    RecordAppender appender;
    // Lookups go against the database as it stood before the merge, so a waypoint repeated in the
    // new records is added as often as it occurs.
    ExistingWaypoints existing;
    int loadError = 0;
};

int TfrmGCDBReader::MergeCacheDB(const std::string& newRecordsPath, const std::string& databasePath,
                                 bool offerNearest) {
    TMergeBase base(ctx_, databasePath);
    return mergeNewRecords(newRecordsPath, databasePath, offerNearest, base);
}

int TfrmGCDBReader::mergeNewRecords(const std::string& newRecordsPath, const std::string& databasePath,
                                    bool offerNearest, TMergeBase& base) {
    Host& host = ctx_.host();
    setHeading(kMergeHeading);
    setPaths(newRecordsPath, databasePath);
    const std::string writeError = "Fehler beim Schreiben auf Datei " + databasePath;
    if (base.loadError != 0) {
        // Without the existing waypoints every record would look new and be added twice.
        showErrorCode(host, base.loadError, writeError);
        return 0;
    }
    UniqueFd in = openFile(newRecordsPath, O_RDONLY);
    if (!in) return 0;

    // The new records are appended in the same pass that finds them; nothing is renamed before the
    // question about the nearest one, so to the user they are written after it. A failure to copy
    // is reported where the append would have begun.
    const int copyError = base.copyError;
    RecordAppender& appender = base.appender;
    AtomicFileWriter& out = base.out;
    bool appending = true;

    const DistanceFrom home(ctx_.settings.HomeLat, ctx_.settings.HomeLong);
    std::int64_t readCount = 0;
    int kept = 0;
    double bestDistance = 9999;
    bool haveNearest = false;
    TCacheRec nearest;
    CacheRecordReader stream(in.get());
    std::vector<char> found;
    std::size_t count = 0;
    while (const char* first = stream.nextRecords(count)) {
        base.existing.lookUp(first, count, found);
        for (std::size_t i = 0; i < count; ++i) {
            // As before reading each record, the one after the last included.
            if ((readCount + 1) % 100 == 0) {
                setCount(readCount + 1);
                host.processEvents();
            }
            const char* bytes = first + i * kCacheRecSize;
            ++readCount;
            if (found[i]) continue;
            ++kept;
            if (appending) appending = copyError == 0 && appender.add(bytes);
            if (!offerNearest) continue;
            const double lat = readLeDouble(bytes + 136);
            // No great circle is shorter than the difference in latitude: a record that far beyond
            // the nearest so far (with room for rounding) cannot be nearer, and costs no arccos.
            if (std::fabs(lat - ctx_.settings.HomeLat) * kKmPerDegree - kRoundingKm > bestDistance) continue;
            double km = 0;
            if (home.distanceKm(lat, readLeDouble(bytes + 144), km) && km < bestDistance) {
                bestDistance = km;
                haveNearest = true;
                nearest = decodeCacheRec(bytes);
            }
        }
    }
    if ((readCount + 1) % 100 == 0) {
        setCount(readCount + 1);
        host.processEvents();
    }
    in.reset();
    if (kept == 0) return 0;
    if (offerNearest && haveNearest) offerNearestCache(nearest, kept);

    if (copyError != 0) {
        showErrorCode(host, copyError, writeError);
        return 0;
    }
    int code = appending && appender.flush() ? 0 : appender.error();
    if (code == 0) code = out.commit();
    if (code != 0) {
        out.abort();
        showErrorCode(host, code, writeError);
        return 0;
    }
    indexCurrent_ = base.index.write(ctx_) == 0;
    return static_cast<int>(appender.records());
}

void TfrmGCDBReader::offerNearestCache(const TCacheRec& nearest, int keptCount) {
    const DistanceBearingResult d =
        DistanceBearing(ctx_.settings.HomeLat, ctx_.settings.HomeLong, nearest.Lat, nearest.Lon);
    const std::string question =
        "Es wurden " + std::to_string(keptCount) + " neue Caches in die Datenbank eingef\xFCgt.\r\n\r\n" +
        "Der n\xE4" + "chstgelegene der neuen Caches liegt von den hinterlegten Home-Koordinaten in " +
        formatFixed(d.distanceKm, 1, '.') + " km Entfernung in Richtung " + formatFixed(d.bearing, 0, '.') +
        " Grad.\r\n\r\nDetailansicht dieses Caches zeigen?";
    if (ctx_.host().message(MsgKind::Confirmation, MsgButtons::YesNo, question) == MsgResult::Yes &&
        showCacheDetails) {
        showCacheDetails(nearest);
    }
}

// ---- the commands ----

TCacheDBCommands::FetchResult TCacheDBCommands::fetchCountryFile(const std::string& fileName,
                                                                 bool abortVisible) {
    const TProcSettings& s = ctx_.settings;
    const std::string workDir = ctx_.workDirPath();
    const std::string url = s.CacheDBUrl + fileName + (s.UseZippedDB ? ".zip" : "");
    const std::string local = workDir + (s.UseZippedDB ? "db.tmp.zip" : "db.tmp");

    THttpClient client(ctx_, kLoaderClient);
    if (abortVisible) client.setAbortCheck([this] { return ctx_.host().abortRequested(); });
    TCacheDBLoadWindow* window = hooks_.loadWindow;
    if (window) window->open(kDownloadTask, kDownloadContent, abortVisible);
    const bool ok = getBinaryToFile(ctx_, client, url, local, false, window ? &window->view() : nullptr);
    if (window) window->close();
    if (!ok) return FetchResult::DownloadFailed;

    if (s.UseZippedDB) {
        // Only the country file is taken from the archive: a member of another name could replace
        // any file of the working directory, the database and the lists included.
        TUnzipReport report;
        const int extracted =
            ExtractMembers(local, workDir, fileName, report, kMaxZipMemberSize, s.UnzipMaxTotalMB);
        if (extracted >= 1 && report.failure == TUnzipFailure::None) return FetchResult::Ok;
        // The country file of an earlier download must not be converted in its place.
        const std::string reason = extracted < 0 ? unzipErrorText(extracted)
                                   : report.failure != TUnzipFailure::None
                                       ? report.failedMember + ": " + unzipFailureText(report.failure)
                                       : fileName + " ist nicht im Archiv enthalten";
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                            "Die geladene Cache-DB kann nicht entpackt werden:\r\n" + url + "\r\n" + reason);
        return FetchResult::ExtractFailed;
    }
    const std::string target = workDir + fileName;
    if (const int code = copyFileAtomic(local, target); code != 0) {
        ctx_.host().message(
            MsgKind::Error, MsgButtons::Ok,
            "Fehler beim Erstellen der CacheDB:\r\n" + target + "\r\nFehlercode: " + std::to_string(code));
        return FetchResult::CopyFailed;
    }
    return FetchResult::Ok;
}

int TCacheDBCommands::convert(const std::string& fileName, bool offerNearest, bool report) {
    TfrmGCDBReader reader(ctx_);
    reader.showCacheDetails = hooks_.showCacheDetails;
    if (hooks_.attachConverter) hooks_.attachConverter(reader);
    const int added = reader.ConvertCacheDB(fileName, offerNearest, report);
    if (!reader.indexCurrent()) indexStale_ = true;
    if (hooks_.converted) hooks_.converted(fileName, reader);
    return added;
}

void TCacheDBCommands::afterConversion() {
    if (indexStale_) RebuildIndex(ctx_);
    indexStale_ = false;
    if (hooks_.refreshStatusLine) hooks_.refreshStatusLine();
}

namespace {

const char* const kNoPrimary =
    "Es ist keine prim\xE4re Cache-DB ausgew\xE4hlt.\r\n"
    "Die prim\xE4re Cache-DB kann unter Datei / Grundeinstellungen / Cache-Datenbank eingestellt werden.";

// The entries of the selected additional databases, in ascending order.
std::vector<const TCountryEntry*> additionalEntries(const RunContext& ctx) {
    std::vector<const TCountryEntry*> entries;
    for (int n = 1; n <= CountryTable::kMaxEntries; ++n) {
        if (ctx.settings.UseCacheDB[static_cast<std::size_t>(n - 1)] != 1 || n == ctx.settings.CacheDBPrimary)
            continue;
        if (const TCountryEntry* e = ctx.countries.byNumber(n)) entries.push_back(e);
    }
    return entries;
}

}  // namespace

bool TCacheDBCommands::mnuReadCacheDBClick() {
    const TCountryEntry* entry =
        ctx_.settings.CacheDBPrimary == 0 ? nullptr : ctx_.countries.byNumber(ctx_.settings.CacheDBPrimary);
    if (!entry) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, kNoPrimary);
        return false;
    }
    if (fetchCountryFile(entry->DB_Filename, true) != FetchResult::Ok) return false;
    convert(entry->DB_Filename, true, true);
    afterConversion();
    return true;
}

int TCacheDBCommands::mnuReadAdditionalCacheDBsClick() {
    int fetched = 0;
    for (const TCountryEntry* entry : additionalEntries(ctx_)) {
        const FetchResult r = fetchCountryFile(entry->DB_Filename, false);
        if (r == FetchResult::CopyFailed || r == FetchResult::ExtractFailed) return fetched;
        if (r == FetchResult::DownloadFailed) break;
        ++fetched;
    }
    if (fetched > 0) convertAdditionalCacheDBsClick();
    return fetched;
}

int TCacheDBCommands::lokaleCacheDBkonvertieren1Click() {
    if (ctx_.settings.CacheDBPrimary == 0) ctx_.settings.CacheDBPrimary = 3;
    const TCountryEntry* entry = ctx_.countries.byNumber(ctx_.settings.CacheDBPrimary);
    if (!entry) {
        ctx_.host().message(MsgKind::Error, MsgButtons::Ok, kNoPrimary);
        return 0;
    }
    const int added = convert(entry->DB_Filename, true, true);
    afterConversion();
    return added;
}

int TCacheDBCommands::convertAdditionalCacheDBsClick() {
    std::string summary;
    int added = 0;
    for (const TCountryEntry* entry : additionalEntries(ctx_)) {
        const int n = convert(entry->DB_Filename, false, true);
        added += n;
        summary += "\r\n" + entry->DB_Filename + ": " + std::to_string(n) + " Caches";
        afterConversion();
    }
    if (ctx_.settings.ShowMessages) {
        ctx_.host().message(MsgKind::Information, MsgButtons::Ok,
                            "Folgende neuen Caches wurden in die Datenbank geladen: " + summary);
    }
    return added;
}

}  // namespace vellora
