#include "core/Global.h"

#include <fcntl.h>
#include <unistd.h>

#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {

const TCountryEntry* CountryTable::byNumber(int n) const {
    if (n < 1 || n > count()) return nullptr;
    return &entries[static_cast<std::size_t>(n - 1)];
}

CountryTable readCountryTable(const std::string& path) {
    CountryTable table;
    if (!fileExists(path)) return table;
    IniFile ini(path);
    const std::string_view s = "CacheDB";
    int n = ini.readInteger(s, "GCDatabaseCount", 0);
    // The table has room for 50 entries; further ones are not stored.
    if (n > CountryTable::kMaxEntries) n = CountryTable::kMaxEntries;
    for (int i = 1; i <= n; ++i) {
        const std::string suffix = std::to_string(i);
        TCountryEntry e;
        e.DB_CountryID = ini.readInteger(s, "DB_CountryID" + suffix, 0);
        e.DB_Filename = ini.readString(s, "DB_Filename" + suffix, "").substr(0, 20);
        e.DB_CName = ini.readString(s, "DB_CName" + suffix, "").substr(0, 14);
        e.DB_CNameDE = ini.readString(s, "DB_CNameDE" + suffix, "").substr(0, 25);
        table.entries.push_back(std::move(e));
    }
    return table;
}

std::string countryNameByID(const CountryTable& table, std::int32_t id) {
    std::string name = std::to_string(id);
    for (const auto& e : table.entries) {
        if (e.DB_CountryID == id) name = e.DB_CNameDE;
    }
    return name;
}

std::string siteCountryNameByID(const CountryTable& table, std::int32_t id) {
    std::string name;
    for (const auto& e : table.entries) {
        if (e.DB_CountryID == id) name = e.DB_CName;
    }
    return name;
}

std::int32_t countryIDByName(const CountryTable& table, std::string_view name) {
    std::int32_t id = 0;
    for (const auto& e : table.entries) {
        if (equalsNoCase(e.DB_CName, name)) id = e.DB_CountryID;
    }
    return id;
}

int showErrorCode(Host& host, int code, const std::string& text) {
    if (code == 0) return 0;
    host.message(
        MsgKind::Error, MsgButtons::Ok,
        text + "\r\n\r\nFehlercode: " + std::to_string(code) + "\r\nFehlermeldung: " + systemErrorText(code));
    return code;
}

void debugLog(const RunContext& ctx, std::string_view text) {
    const std::string path = ctx.programDirPath() + "debug.log";
    std::string line = formatLogStamp(ctx.now()) + " ";
    line.append(text);
    line += "\r\n";
    // Appended: the log grows line by line and a lost line is no loss of data.
    const UniqueFd fd = openFile(path, O_WRONLY | O_CREAT | O_APPEND);
    if (fd) writeAll(fd.get(), line);
}

void debugInfo(const RunContext& ctx, std::string_view where, std::string_view text) {
    if (!ctx.debugMode) return;
    std::string line = "INF: ";
    line.append(where).append(": ").append(text);
    debugLog(ctx, line);
}

void debugError(const RunContext& ctx, std::string_view where, std::string_view text) {
    if (!ctx.debugMode) return;
    std::string line = "ERR: ";
    line.append(where).append(": ").append(text);
    debugLog(ctx, line);
}

}  // namespace vellora
