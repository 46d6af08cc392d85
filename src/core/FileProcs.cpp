#include "core/FileProcs.h"

#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/Waypoint.h"

namespace vellora {

int LoadFoundWaypoints(const std::string& workDirPath, std::vector<std::string>& list) {
    list.clear();
    std::vector<TFoundRec> records;
    const int error = readFoundRecords(workDirPath + kFoundFileName, records);
    list.reserve(records.size());
    for (auto& rec : records) list.push_back(std::move(rec.Waypoint));
    return error;
}

int LoadFoundWaypoints(const RunContext& ctx, std::vector<std::string>& list) {
    return LoadFoundWaypoints(ctx.workDirPath(), list);
}

std::vector<std::string> splitListLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        pos = next;
    }
    return lines;
}

std::vector<std::string> readListFile(const std::string& path, int* errorCode) {
    int error = 0;
    auto text = readFile(path, &error);
    if (errorCode) *errorCode = text ? 0 : error;
    if (!text) return {};
    return splitListLines(*text);
}

std::vector<std::string> readWaypointListFile(const std::string& path, std::vector<std::string>* refused,
                                              int* errorCode) {
    std::vector<std::string> waypoints;
    for (const std::string& line : readListFile(path, errorCode)) {
        const std::string_view entry = trimControl(line);
        if (entry.empty()) continue;
        WaypointCheck check = checkWaypoint(entry);
        if (check.ok())
            waypoints.push_back(std::move(check.waypoint));
        else if (refused)
            refused->push_back(std::move(check.problem));
    }
    return waypoints;
}

int writeListFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string data;
    for (const auto& line : lines) {
        data += line;
        data += "\r\n";
    }
    return writeFileAtomic(path, data);
}

std::string archivedWaypointAfterFirst(std::string_view line) {
    const auto semi = line.find(';');
    return std::string(semi == std::string_view::npos ? line : line.substr(semi + 1));
}

std::string archivedWaypointAfterLast(std::string_view line) {
    const auto semi = line.rfind(';');
    return std::string(semi == std::string_view::npos ? line : line.substr(semi + 1));
}

std::vector<std::string> readArchivedWaypoints(const std::string& path, ArchivedReading reading,
                                               int* errorCode) {
    std::vector<std::string> waypoints = readListFile(path, errorCode);
    for (auto& line : waypoints) {
        line = reading == ArchivedReading::AfterFirstSemicolon ? archivedWaypointAfterFirst(line)
                                                               : archivedWaypointAfterLast(line);
    }
    return waypoints;
}

}  // namespace vellora
