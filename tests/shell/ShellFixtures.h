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
#include "support/CacheRecords.h"

namespace vellora::test {

inline TCacheRec cacheRecord(const std::string& waypoint, double lat = 49.6, double lon = 10.8) {
    return sampleCache(waypoint, lat, lon);
}

inline std::string cacheDatabase(const std::vector<TCacheRec>& records) {
    return encodeDatabase(records);
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
