#include "core/DateUtil.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/NumberText.h"

namespace vellora {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long daysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long yy = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

const long kEpochOffset = daysFromCivil(1899, 12, 30);

}  // namespace

bool isValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int max = (month == 2 && leap) ? 29 : kDays[month - 1];
    return day <= max;
}

bool isRepresentableDate(TDateTime value) {
    // Also keeps the day count far inside the range of the integer conversions below.
    static const double kFirst = encodeDate(1, 1, 1);
    static const double kEnd = encodeDate(9999, 12, 31) + 1;
    return std::isfinite(value) && value >= kFirst && value < kEnd;
}

TDateTime encodeDate(int year, int month, int day) {
    return static_cast<double>(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                               kEpochOffset);
}

TDateTime encodeDateTime(const DateParts& p) {
    return encodeDate(p.year, p.month, p.day) + (p.hour * 3600 + p.minute * 60 + p.second) / 86400.0;
}

DateParts decodeDateTime(TDateTime value) {
    DateParts p;
    if (!isRepresentableDate(value)) return p;
    double whole = std::floor(value);
    // Round the time to whole seconds; a fraction just below midnight belongs to the next day.
    long secs = std::lround((value - whole) * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        whole += 1;
    }
    civilFromDays(static_cast<long>(whole) + kEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

std::string formatDate(TDateTime value) {
    if (!isRepresentableDate(value)) return {};
    const DateParts p = decodeDateTime(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", p.day, p.month, p.year);
    return buf;
}

std::string formatDateTime(TDateTime value) {
    if (!isRepresentableDate(value)) return {};
    const DateParts p = decodeDateTime(value);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour, p.minute,
                  p.second);
    return buf;
}

std::optional<TDateTime> parseDate(std::string_view text) {
    int parts[3] = {0, 0, 0};
    int idx = 0;
    int digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 4) return std::nullopt;
            parts[idx] = parts[idx] * 10 + (c - '0');
        } else if (c == '.' && idx < 2 && digits > 0) {
            ++idx;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (idx != 2 || digits == 0) return std::nullopt;
    if (!isValidDate(parts[2], parts[1], parts[0])) return std::nullopt;
    return encodeDate(parts[2], parts[1], parts[0]);
}

std::string formatLogStamp(TDateTime value) {
    const DateParts p = decodeDateTime(value);
    // A two-digit year, as the log has always written it.
    return twoDigits(p.day) + "-" + twoDigits(p.month) + "-" + twoDigits(p.year % 100) + " " +
           twoDigits(p.hour) + ":" + twoDigits(p.minute) + ":" + twoDigits(p.second);
}

TDateTime localNow() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    DateParts p{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return encodeDateTime(p);
}

}  // namespace vellora
