#pragma once
// Personal notes in WorkDirPath + "Persinfo.txt": one INI section per waypoint, the note's lines
// as keys "Z0", "Z1", ... Being INI values, lines lose surrounding blanks and are cut at 2047
// characters when read. Writers throw IniWriteError when the file cannot be written.
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

class IniFile;
class RunContext;

// Reading a key with this default tells a missing key; a line that is exactly this text ends the note.
inline constexpr const char* kNoteEndMarker = "#@#@#@";

// The note's lines, up to the first missing key; empty when the cache has no note.
std::vector<std::string> ReadNote(IniFile& notes, std::string_view waypoint);
// Replaces the note; an empty list leaves no section. A line holding line breaks is stored as
// several lines, so that a note can never write INI lines of its own. The file is written once.
void WriteNote(IniFile& notes, std::string_view waypoint, const std::vector<std::string>& lines);
void EraseNote(IniFile& notes, std::string_view waypoint);
bool HasNote(IniFile& notes, std::string_view waypoint);

std::string notesFilePath(const std::string& workDirPath);

std::vector<std::string> ReadNote(const std::string& workDirPath, std::string_view waypoint);
void WriteNote(const std::string& workDirPath, std::string_view waypoint,
               const std::vector<std::string>& lines);
void EraseNote(const std::string& workDirPath, std::string_view waypoint);
bool HasNote(const std::string& workDirPath, std::string_view waypoint);

std::vector<std::string> ReadNote(const RunContext& ctx, std::string_view waypoint);
void WriteNote(const RunContext& ctx, std::string_view waypoint, const std::vector<std::string>& lines);
void EraseNote(const RunContext& ctx, std::string_view waypoint);
bool HasNote(const RunContext& ctx, std::string_view waypoint);

}  // namespace vellora
