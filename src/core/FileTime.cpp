#include "core/FileTime.h"

#include <sys/stat.h>

#include <ctime>

namespace vellora {

std::optional<TDateTime> fileModified(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    const std::time_t t = st.st_mtim.tv_sec;
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return std::nullopt;
    return encodeDateTime(
        DateParts{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

}  // namespace vellora
