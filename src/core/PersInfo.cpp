#include "core/PersInfo.h"

#include <unordered_map>

#include "core/FileProcs.h"
#include "core/IniFile.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {

namespace {

std::string lineKey(std::size_t i) {
    return "Z" + std::to_string(i);
}

}  // namespace

std::vector<std::string> ReadNote(IniFile& notes, std::string_view waypoint) {
    // The section is read once: looking Z0, Z1, ... up one by one scans it for every line.
    std::unordered_map<std::string, std::string> byKey;
    for (auto& [key, value] : notes.readSection(waypoint)) byKey.emplace(upperCase(key), std::move(value));
    std::vector<std::string> lines;
    for (std::size_t i = 0;; ++i) {
        const auto it = byKey.find(lineKey(i));
        if (it == byKey.end() || it->second == kNoteEndMarker) break;
        lines.push_back(std::move(it->second));
    }
    return lines;
}

void WriteNote(IniFile& notes, std::string_view waypoint, const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::string>> keyValues;
    keyValues.reserve(lines.size());
    for (const auto& line : lines) {
        std::string_view rest = line;
        for (;;) {
            const auto lf = rest.find('\n');
            std::string_view part = rest.substr(0, lf);
            if (lf != std::string_view::npos && !part.empty() && part.back() == '\r') part.remove_suffix(1);
            keyValues.emplace_back(lineKey(keyValues.size()), std::string(part));
            if (lf == std::string_view::npos) break;
            rest.remove_prefix(lf + 1);
        }
    }
    notes.replaceSection(waypoint, std::move(keyValues));
}

void EraseNote(IniFile& notes, std::string_view waypoint) {
    notes.eraseSection(waypoint);
}

bool HasNote(IniFile& notes, std::string_view waypoint) {
    return notes.sectionExists(waypoint);
}

std::string notesFilePath(const std::string& workDirPath) {
    return workDirPath + kNotesFileName;
}

std::vector<std::string> ReadNote(const std::string& workDirPath, std::string_view waypoint) {
    IniFile notes(notesFilePath(workDirPath));
    return ReadNote(notes, waypoint);
}

void WriteNote(const std::string& workDirPath, std::string_view waypoint,
               const std::vector<std::string>& lines) {
    IniFile notes(notesFilePath(workDirPath));
    WriteNote(notes, waypoint, lines);
}

void EraseNote(const std::string& workDirPath, std::string_view waypoint) {
    IniFile notes(notesFilePath(workDirPath));
    EraseNote(notes, waypoint);
}

bool HasNote(const std::string& workDirPath, std::string_view waypoint) {
    IniFile notes(notesFilePath(workDirPath));
    return HasNote(notes, waypoint);
}

std::vector<std::string> ReadNote(const RunContext& ctx, std::string_view waypoint) {
    return ReadNote(ctx.workDirPath(), waypoint);
}

void WriteNote(const RunContext& ctx, std::string_view waypoint, const std::vector<std::string>& lines) {
    WriteNote(ctx.workDirPath(), waypoint, lines);
}

void EraseNote(const RunContext& ctx, std::string_view waypoint) {
    EraseNote(ctx.workDirPath(), waypoint);
}

bool HasNote(const RunContext& ctx, std::string_view waypoint) {
    return HasNote(ctx.workDirPath(), waypoint);
}

}  // namespace vellora
