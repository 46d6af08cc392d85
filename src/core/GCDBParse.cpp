#include "core/GCDBParse.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/CacheDBBytes.h"
#include "core/CacheIndexBuilder.h"
#include "core/CacheRecordReader.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

std::string binPath(const RunContext& ctx) {
    return ctx.workDirPath() + "Caches.bin";
}
std::string idxPath(const RunContext& ctx) {
    return ctx.workDirPath() + "Caches.idx";
}

// The index key: upper-case waypoint padded with blanks to 16 characters.
std::string indexKey(std::string_view upperWaypoint) {
    std::string key(upperWaypoint);
    if (key.size() < TCacheRec::kWaypointMax) key.append(TCacheRec::kWaypointMax - key.size(), ' ');
    return key;
}

// The database file open for one operation, with the error of its opening.
class FileHandle {
public:
    FileHandle(const std::string& path, int flags) : fd_(openFile(path, flags, 0, &error_)) {}

    bool isOpen() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    int openError() const { return error_; }
    // Closes now; returns 0 or errno.
    int close() { return fd_.close(); }
    std::int64_t size() const {
        struct stat st {};
        return ::fstat(fd_.get(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
    }

private:
    int error_ = 0;  // before fd_: the opening fills it
    UniqueFd fd_;
};

off_t recordOffset(std::int64_t n) {
    return static_cast<off_t>(n) * static_cast<off_t>(kCacheRecSize);
}

// Reads exactly size bytes at offset: 0, errno, or -1 for the end of the file.
int readAt(int fd, char* buf, std::size_t size, off_t offset) {
    std::size_t got = 0;
    if (const int err = preadFully(fd, buf, size, static_cast<std::uint64_t>(offset), got)) return err;
    return got == size ? 0 : -1;
}

// Writes exactly size bytes at offset: 0 or errno.
int writeAt(int fd, const char* buf, std::size_t size, off_t offset) {
    return pwriteAll(fd, std::string_view(buf, size), static_cast<std::uint64_t>(offset));
}

// The record at position n, or nothing when it cannot be read.
bool readRecord(const std::string& path, std::int32_t n, TCacheRec& rec) {
    if (n < 0) return false;
    FileHandle file(path, O_RDONLY);
    if (!file.isOpen()) return false;
    char buf[kCacheRecSize];
    if (readAt(file.fd(), buf, sizeof buf, recordOffset(n)) != 0) return false;
    rec = decodeCacheRec(buf);
    return true;
}

bool findSequential(const std::string& path, std::string_view upperWaypoint, TCacheRec& rec,
                    std::int32_t& recordNo) {
    FileHandle file(path, O_RDONLY);
    if (!file.isOpen()) return false;
    CacheRecordReader reader(file.fd());
    std::int32_t n = 0;
    for (const char* bytes = reader.next(); bytes; bytes = reader.next(), ++n) {
        if (cacheRecWaypoint(bytes) != upperWaypoint) continue;
        rec = decodeCacheRec(bytes);
        rec.setRecordNo(n);
        recordNo = n;
        return true;
    }
    return false;
}

}  // namespace

bool FindCache(RunContext& ctx, std::string_view waypoint, TCacheRec& rec, std::int32_t& recordNo) {
    rec = TCacheRec{};
    recordNo = -1;
    const std::string upper = upperCase(waypoint);
    const std::string path = binPath(ctx);
    if (ctx.cacheIndex.empty()) LoadIndex(ctx);
    if (!ctx.cacheIndex.empty()) {
        const std::string key = indexKey(upper);
        const auto n = ctx.cacheIndex.find(key);
        if (!n) return false;
        TCacheRec found;
        if (readRecord(path, *n, found) && indexKey(upperCase(found.Waypoint)) == key) {
            rec = std::move(found);
            rec.setRecordNo(*n);
            recordNo = *n;
            return true;
        }
        // Caches.bin was rewritten after the index was built: the pair points at another record
        // or past the end. Search the file itself rather than hand out (or overwrite) a wrong record.
    }
    if (findSequential(path, upper, rec, recordNo)) return true;
    rec = TCacheRec{};
    recordNo = -1;
    return false;
}

bool FindCache(RunContext& ctx, std::string_view waypoint, TCacheRec& rec) {
    std::int32_t recordNo = 0;
    return FindCache(ctx, waypoint, rec, recordNo);
}

int storeCacheRecord(int fd, const TCacheRec& rec, std::int32_t recordNo) {
    char buf[kCacheRecSize];
    encodeCacheRec(rec, buf);
    if (recordNo >= 0) return writeAt(fd, buf, sizeof buf, recordOffset(recordNo));
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    // Behind the last complete record, so that an incomplete tail cannot shift the new record.
    const off_t end = st.st_size - st.st_size % static_cast<off_t>(kCacheRecSize);
    const int code = writeAt(fd, buf, sizeof buf, end);
    if (code != 0) {
        // Leave no partial record behind.
        [[maybe_unused]] const int rc = ::ftruncate(fd, std::max(end, st.st_size));
    }
    return code;
}

bool AppendCache(RunContext& ctx, const TCacheRec& rec) {
    if (cacheRecFault(rec) != nullptr) return false;
    TCacheRec existing;
    if (FindCache(ctx, rec.Waypoint, existing)) return false;
    FileHandle file(binPath(ctx), O_WRONLY);
    if (!file.isOpen()) return false;
    if (storeCacheRecord(file.fd(), rec, -1) != 0) return false;
    return file.close() == 0;
}

bool UpdateCache(RunContext& ctx, const TCacheRec& rec) {
    const std::string path = binPath(ctx);
    if (const char* fault = cacheRecFault(rec)) {
        ctx.host().message(MsgKind::Error, MsgButtons::Ok, rec.Waypoint + ": " + fault);
        return false;
    }
    FileHandle file(path, O_RDWR);
    if (!file.isOpen()) {
        showErrorCode(ctx.host(), file.openError(), "Kann Datei " + path + " nicht lesen.");
        return false;
    }
    TCacheRec existing;
    std::int32_t n = 0;
    if (FindCache(ctx, rec.Waypoint, existing, n)) {
        int code = storeCacheRecord(file.fd(), rec, n);
        if (code == 0) code = file.close();
        if (code != 0) {
            showErrorCode(ctx.host(), code, "Fehler beim Update der CacheDB.");
            return false;
        }
        return true;
    }
    file.close();
    return AppendCache(ctx, rec);
}

namespace {

// Every whole record of Caches.bin to take(bytes), in file order, showing the wait window; a
// failure to open or read is reported. True when the whole file was read.
template <typename Take>
bool readAllCacheRecords(RunContext& ctx, const char* progressText, Take take) {
    const std::string path = binPath(ctx);
    const std::string errorText = "Fehler beim Lesen der Datei " + path;
    FileHandle file(path, O_RDONLY);
    if (!file.isOpen()) {
        showErrorCode(ctx.host(), file.openError(), errorText);
        return false;
    }
    Host& host = ctx.host();
    const std::int64_t total = file.size() / static_cast<std::int64_t>(kCacheRecSize);
    host.beginProgress(progressText, total);
    CacheRecordReader reader(file.fd());
    std::int64_t n = 0;
    while (const char* bytes = reader.next()) {
        if (n == 0) take(nullptr, total);  // room for them all
        take(bytes, 0);
        if (++n % 100 == 0) {
            host.setProgress(n);
            host.processEvents();
        }
    }
    int code = reader.error();
    const int closeCode = file.close();
    if (code == 0) code = closeCode;
    host.endProgress();
    if (code != 0) {
        showErrorCode(host, code, errorText);
        return false;
    }
    return true;
}

}  // namespace

TCacheList LoadAllCaches(RunContext& ctx, bool* complete, const char* progressText) {
    TCacheList list;
    const bool whole = readAllCacheRecords(ctx, progressText, [&](const char* bytes, std::int64_t reserve) {
        if (bytes) {
            list.add(decodeCacheRec(bytes));
        } else {
            list.reserve(static_cast<std::size_t>(reserve));
        }
    });
    if (complete) *complete = whole;
    return list;
}

std::string LoadAllCacheBytes(RunContext& ctx, bool* complete, const char* progressText) {
    std::string records;
    const bool whole = readAllCacheRecords(ctx, progressText, [&](const char* bytes, std::int64_t reserve) {
        if (bytes) {
            records.append(bytes, kCacheRecSize);
        } else {
            records.reserve(static_cast<std::size_t>(reserve) * kCacheRecSize);
        }
    });
    if (complete) *complete = whole;
    return records;
}

int DeleteCache(RunContext& ctx, std::string_view waypoint) {
    bool complete = false;
    TCacheList list = LoadAllCaches(ctx, &complete);
    // Rewriting from a partly read list would lose the records behind the failure.
    if (!complete) return -1;
    std::string data;
    data.reserve(static_cast<std::size_t>(list.count()) * kCacheRecSize);
    int removed = 0;
    char buf[kCacheRecSize];
    for (const auto& entry : list.entries()) {
        if (entry.obj.rec.Waypoint == waypoint) {
            ++removed;
            continue;
        }
        encodeCacheRec(entry.obj.rec, buf);
        data.append(buf, sizeof buf);
    }
    FreeAllCaches(list);
    if (removed > 0) {
        if (const int code = writeFileAtomic(binPath(ctx), data); code != 0) {
            debugError(ctx, "GCDBParse.DeleteCache", "Caches.bin: " + systemErrorText(code));
            return -1;
        }
    }
    RebuildIndex(ctx);
    return removed;
}

int RebuildIndex(RunContext& ctx) {
    FileHandle file(binPath(ctx), O_RDONLY);
    if (!file.isOpen()) return -1;
    CacheIndexBuilder index(ctx.workDirPath());
    CacheRecordReader reader(file.fd());
    while (const char* bytes = reader.next()) index.add(cacheRecWaypoint(bytes));
    if (reader.error() != 0) return -2;
    file.close();
    return index.write(ctx);
}

void LoadIndex(RunContext& ctx) {
    ctx.cacheIndex.clear();
    const auto data = readFile(idxPath(ctx));
    if (!data) return;
    std::vector<CacheIndexEntry> pairs;
    pairs.reserve(data->size() / kIdxRecSize);
    for (std::size_t off = 0; off + kIdxRecSize <= data->size(); off += kIdxRecSize) {
        TIdxRec rec = decodeIdxRec(data->data() + off);
        pairs.push_back(CacheIndexEntry{std::move(rec.key), rec.recordNo});
    }
    const auto less = [](const CacheIndexEntry& a, const CacheIndexEntry& b) {
        return compareNoCase(a.key, b.key) < 0;
    };
    // A file written by RebuildIndex is in order already; stable order keeps repeated keys as read.
    if (!std::is_sorted(pairs.begin(), pairs.end(), less)) std::stable_sort(pairs.begin(), pairs.end(), less);
    std::size_t kept = 0;
    for (auto& pair : pairs) {
        if (kept > 0 && compareNoCase(pairs[kept - 1].key, pair.key) == 0) {
            pairs[kept - 1].recordNo = pair.recordNo;  // the pair read last wins
        } else {
            if (&pairs[kept] != &pair) pairs[kept] = std::move(pair);
            ++kept;
        }
    }
    pairs.resize(kept);
    ctx.cacheIndex.entries = std::move(pairs);
}

namespace {

bool plausibleRecord(const TCacheRec& rec) {
    return isPositionOnGlobe(rec.Lat, rec.Lon) && std::fabs(rec.Lat) + std::fabs(rec.Lon) > 0 &&
           rec.CountryID < 999 && upperCase(rec.Waypoint).starts_with("GC");
}

// Rewrites Caches.bin without the record at position skip and without every record that may not be
// stored; the index is built anew. 0 or errno.
int dropBadRecords(RunContext& ctx, std::int64_t skip) {
    const std::string path = binPath(ctx);
    int openError = 0;
    UniqueFd in = openFile(path, O_RDONLY, 0644, &openError);
    if (!in) return openError;
    AtomicFileWriter out;
    if (const int code = out.open(path); code != 0) return code;
    CacheRecordReader reader(in.get());
    std::int64_t n = 0;
    for (const char* bytes = reader.next(); bytes; bytes = reader.next(), ++n) {
        if (n == skip || cacheRecFault(decodeCacheRec(bytes)) != nullptr) continue;
        if (const int code = out.write(std::string_view(bytes, kCacheRecSize)); code != 0) return code;
    }
    if (reader.error() != 0) return reader.error();
    if (const int code = out.commit(); code != 0) return code;
    ctx.cacheIndex.clear();
    RebuildIndex(ctx);
    return 0;
}

}  // namespace

bool CheckCacheDB(RunContext& ctx) {
    const std::string path = binPath(ctx);
    // The first record decides, as a file of an older format fails at once; the records behind it
    // tell a file of another format from a database with one bad record.
    constexpr int kSample = 16;
    TCacheRec first;
    int plausible = 0;
    {
        UniqueFd file = openFile(path, O_RDONLY);
        if (!file) return false;
        CacheRecordReader reader(file.get());
        const char* bytes = reader.next();
        if (!bytes) return false;
        first = decodeCacheRec(bytes);
        if (plausibleRecord(first)) return true;
        for (int sampled = 0; sampled < kSample && (bytes = reader.next()) != nullptr; ++sampled)
            if (plausibleRecord(decodeCacheRec(bytes))) ++plausible;
    }
    if (plausible == 0) {
        const std::string question =
            "Die Cache-Datenbank Caches.bin ist nicht g\xFC"
            "ltig. Vermutlich handelt es sich um eine Cache-Datenbank, die mit einer fr\xFC"
            "heren Version des Vellora (Version kleiner 2.0) erstellt wurde.\r\n\r\n"
            "Eine neue Version der Datenbank kann im Men\xFC \"Datei\" mit den Funktionen \"Prim\xE4"
            "re Cache-DB laden und konvertieren\" oder \"Lokale prim\xE4"
            "re Cache-DB konvertieren\" erzeugt werden.\r\n\r\n"
            "Soll die veraltete Version der vorliegenden Caches.bin gel\xF6"
            "scht werden?";
        if (ctx.host().message(MsgKind::Error, MsgButtons::YesNoDefaultNo, question) == MsgResult::Yes)
            removeFile(path);
        return false;
    }
    // One bad record never costs the database: name it and offer to take it out.
    const char* fault = cacheRecFault(first);
    const std::string question =
        "Der erste Datensatz der Cache-Datenbank Caches.bin (Wegpunkt \"" + first.Waypoint +
        "\") ist nicht g\xFC"
        "ltig" +
        (fault ? std::string(": ") + fault : std::string()) +
        ".\r\n\r\nSoll dieser Datensatz (und jeder weitere mit ung\xFC"
        "ltigen Koordinaten oder "
        "ung\xFC"
        "ltigem Datum) aus der Datenbank entfernt werden? Alle anderen Caches bleiben erhalten.";
    if (ctx.host().message(MsgKind::Error, MsgButtons::YesNoDefaultNo, question) != MsgResult::Yes)
        return false;
    if (const int code = dropBadRecords(ctx, 0); code != 0) {
        showErrorCode(ctx.host(), code, "Fehler beim Schreiben auf Datei " + path);
        return false;
    }
    return true;
}

namespace {

// Whether Caches.idx describes Caches.bin: one pair per record, and a sample of pairs pointing at
// records of their key.
bool indexMatches(const std::string& bin, const std::string& idx) {
    int err = 0;
    UniqueFd binFile = openFile(bin, O_RDONLY, 0644, &err);
    UniqueFd idxFile = openFile(idx, O_RDONLY, 0644, &err);
    if (!binFile || !idxFile) return false;
    struct stat binStat {
    }, idxStat{};
    if (::fstat(binFile.get(), &binStat) != 0 || ::fstat(idxFile.get(), &idxStat) != 0) return false;
    const std::uint64_t records = static_cast<std::uint64_t>(binStat.st_size) / kCacheRecSize;
    if (static_cast<std::uint64_t>(idxStat.st_size) != records * kIdxRecSize) return false;
    constexpr std::uint64_t kSamples = 16;
    for (std::uint64_t k = 0; k < std::min(records, kSamples); ++k) {
        const std::uint64_t pos = records <= kSamples ? k : k * (records - 1) / (kSamples - 1);
        char pair[kIdxRecSize], rec[kCacheRecSize];
        std::size_t got = 0;
        if (preadFully(idxFile.get(), pair, sizeof pair, pos * kIdxRecSize, got) != 0 || got != sizeof pair)
            return false;
        const TIdxRec entry = decodeIdxRec(pair);
        if (entry.recordNo < 0 || static_cast<std::uint64_t>(entry.recordNo) >= records) return false;
        if (preadFully(binFile.get(), rec, sizeof rec,
                       static_cast<std::uint64_t>(entry.recordNo) * kCacheRecSize, got) != 0 ||
            got != sizeof rec)
            return false;
        if (indexKey(upperCase(cacheRecWaypoint(rec))) != entry.key) return false;
    }
    return true;
}

}  // namespace

bool RecoverCacheDB(RunContext& ctx) {
    const std::string dir = ctx.workDirPath();
    // The configuration lives in the program directory, which need not be the working directory.
    if (ctx.programDirPath() != dir) removeStaleTempFiles(ctx.programDirPath());
    const bool stale = removeStaleTempFiles(dir);
    if (!fileExists(binPath(ctx))) return false;
    if (!stale && indexMatches(binPath(ctx), idxPath(ctx))) return false;
    if (ctx.debugMode) debugLog(ctx, "Caches.idx wird neu erstellt.");
    RebuildIndex(ctx);
    return true;
}

std::int64_t cacheRecordCount(const RunContext& ctx) {
    const auto size = fileSize(binPath(ctx));
    return size ? static_cast<std::int64_t>(*size / kCacheRecSize) : 0;
}

}  // namespace vellora
