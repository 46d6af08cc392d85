#pragma once
// The filter chain of the radius search and its radius field. Records are the database's
// Windows-1252 cache records; dates are day counts (core/DateUtil.h).
#include <array>
#include <string_view>

#include "core/CacheRec.h"
#include "core/DateUtil.h"

namespace vellora {

inline constexpr int kFilterTypeCount = 10;

// The type boxes in the order of the type codes 0 to 9.
inline constexpr const char* kFilterTypeCaptions[kFilterTypeCount] = {
    "Traditional", "Multi",   "Virtual",      "Letterbox",  "Event",
    "Webcam",      "Mystery", "Locationless", "CITO-Event", "Earth"};

struct TCacheFilterOptions {
    bool FilterCacheType = false;
    std::array<bool, kFilterTypeCount> FilterCTypes{};
    bool FilterCacheDate = false;
    TDateTime FilterDate = 0;  // not stored: today minus 7 days at every open
    bool SkipArchived = true;
    bool SkipOldEvents = true;
    bool SkipMicros = false;
};

// The radius text as a number with "."; anything else (empty included) gives -1.
double parseRadiusText(std::string_view text);

// The radius field's key filter: digits, "." and backspace pass, "," becomes "."; 0 refuses the key.
char filterRadiusKey(char typed);

// The record tests of the chain that depend on the record alone, in their order: date, type.
bool passesDateAndType(const TCacheRec& rec, const TCacheFilterOptions& opts);
// The tests behind the list tests: old events, micros (archived is the collector's own set).
bool passesEventAndSize(const TCacheRec& rec, const TCacheFilterOptions& opts, TDateTime now);

}  // namespace vellora
