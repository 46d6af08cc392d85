#pragma once
// Small helpers for the main-window tests: cache databases on disk and file times in local time.
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/FileUtil.h"

namespace vellora::test {

inline TCacheRec cacheRecord(const std::string& waypoint, double lat = 49.6, double lon = 10.8) {
    TCacheRec r;
    r.Waypoint = waypoint;
    r.CacheName = "Cache " + waypoint;
    r.Lat = lat;
    r.Lon = lon;
    r.CacheType = "Traditional Cache";
    r.CacheSize = "Regular";
    r.Difficulty = "1.5";
    r.Terrain = "2";
    r.CountryID = 79;
    r.CacheID = 4711;
    r.HiddenDate = encodeDate(2005, 6, 1);
    return r;
}

inline std::string cacheDatabase(const std::vector<TCacheRec>& records) {
    std::string bytes;
    for (const auto& r : records) bytes += encodeCacheRec(r);
    return bytes;
}

// Sets a file's modification time to a local date and time.
inline bool setFileModified(const std::string& path, TDateTime when) {
    const DateParts p = decodeDateTime(when);
    std::tm tm{};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    const timespec times[2] = {{t, 0}, {t, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace vellora::test
