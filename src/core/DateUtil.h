#pragma once
// Dates as day counts since 30 December 1899, the time of day as the fraction.
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

using TDateTime = double;

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

TDateTime encodeDate(int year, int month, int day);
TDateTime encodeDateTime(const DateParts& parts);
DateParts decodeDateTime(TDateTime value);
bool isValidDate(int year, int month, int day);
// A finite value between 01.01.0001 and 31.12.9999 (the dates the program can show and store);
// anything else decodes to the zero date and formats as an empty text.
bool isRepresentableDate(TDateTime value);

// "dd.MM.yyyy"; empty for a value that is no representable date.
std::string formatDate(TDateTime value);
// "dd.MM.yyyy" with one- or two-digit day and month; nothing when it is not a valid date.
std::optional<TDateTime> parseDate(std::string_view text);
// "dd-mm-yy hh:nn:ss", the prefix of every debug-log line.
std::string formatLogStamp(TDateTime value);
// "dd.MM.yyyy hh:nn:ss"; empty for a value that is no representable date.
std::string formatDateTime(TDateTime value);

// The current local date and time.
TDateTime localNow();

}  // namespace vellora
