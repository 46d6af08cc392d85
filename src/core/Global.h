#pragma once
// Run-wide tables and the small reporting services every operation shares:
// the country table, the debug log and the error box.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

class Host;
class RunContext;

struct TCountryEntry {
    std::int32_t DB_CountryID = 0;
    std::string DB_Filename;  // at most 20 characters
    std::string DB_CName;     // at most 14 characters, as the listing site spells it
    std::string DB_CNameDE;   // at most 25 characters, the German name
};

struct CountryTable {
    static constexpr int kMaxEntries = 50;
    std::vector<TCountryEntry> entries;  // entry n (1-based) is entries[n - 1]

    int count() const { return static_cast<int>(entries.size()); }
    // Entry by its 1-based number; nullptr outside 1..count.
    const TCountryEntry* byNumber(int n) const;
};

// Reads the section "CacheDB" of CacheDB.conf; a missing file gives an empty table.
CountryTable readCountryTable(const std::string& path);

// DB_CNameDE of the (last) entry with that id, else the id in decimal.
std::string countryNameByID(const CountryTable& table, std::int32_t id);
// DB_CName (the site's spelling) of the (last) entry with that id, else empty.
std::string siteCountryNameByID(const CountryTable& table, std::int32_t id);
// DB_CountryID of the (last) entry whose DB_CName equals the name without regard to case, else 0.
std::int32_t countryIDByName(const CountryTable& table, std::string_view name);

// Shows text + code + the system's message for the code as an error with OK; returns the code.
// Does nothing for code 0.
int showErrorCode(Host& host, int code, const std::string& text);

// Appends one line to debug.log in the program directory: "dd-mm-yy hh:nn:ss text" CR LF.
// Writes unconditionally; callers test the debug mode. Failures are not reported.
void debugLog(const RunContext& ctx, std::string_view text);
// Writes "INF: where: text" (or "ERR: ...") when debug mode is on.
void debugInfo(const RunContext& ctx, std::string_view where, std::string_view text);
void debugError(const RunContext& ctx, std::string_view where, std::string_view text);

}  // namespace vellora
