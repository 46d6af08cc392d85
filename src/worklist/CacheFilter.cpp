#include "worklist/CacheFilter.h"

#include <cmath>

#include "core/NumberText.h"
#include "core/UpperCase.h"

namespace vellora {

double parseRadiusText(std::string_view text) {
    const auto value = parseDouble(text, '.');
    return value ? *value : -1.0;
}

char filterRadiusKey(char typed) {
    if (typed == ',') return '.';
    if ((typed >= '0' && typed <= '9') || typed == '.' || typed == '\b') return typed;
    return 0;
}

bool passesDateAndType(const TCacheRec& rec, const TCacheFilterOptions& opts) {
    if (opts.FilterCacheDate && rec.HiddenDate < opts.FilterDate) return false;
    if (opts.FilterCacheType) {
        const int code = CacheTypeCode(rec.CacheType);
        if (code < 0 || code >= kFilterTypeCount || !opts.FilterCTypes[static_cast<std::size_t>(code)])
            return false;
    }
    return true;
}

bool passesEventAndSize(const TCacheRec& rec, const TCacheFilterOptions& opts, TDateTime now) {
    if (opts.SkipOldEvents && std::trunc(rec.HiddenDate) < std::trunc(now) &&
        upperCase(rec.CacheType) == "EVENT CACHE")
        return false;
    if (opts.SkipMicros && upperCase(rec.CacheSize) == "MICRO") return false;
    return true;
}

}  // namespace vellora
