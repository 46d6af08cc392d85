#pragma once
// The user's list files in the working directory and the found-list helper built on them.
// List files are Windows-1252 text, one entry per line, written with CR LF; readers accept LF alone.
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

class RunContext;

inline constexpr const char* kWorkListFileName = "WPList.txt";
inline constexpr const char* kIgnoreListFileName = "WPignore.txt";
inline constexpr const char* kClipboardListFileName = "WPclipboard.txt";
inline constexpr const char* kArchivedListFileName = "WParchived.txt";
inline constexpr const char* kFoundFileName = "Finds.bin";
inline constexpr const char* kNotesFileName = "Persinfo.txt";
inline constexpr const char* kBuddiesFileName = "Buddies.txt";
inline constexpr const char* kDefaultNewWPFileName = "WPnew.txt";

// Clears list and fills it with the Waypoint of every record of WorkDirPath + "Finds.bin" in file
// order. Never shows anything; returns 0 or the errno that ended the filling (ENOENT when missing).
int LoadFoundWaypoints(const std::string& workDirPath, std::vector<std::string>& list);
int LoadFoundWaypoints(const RunContext& ctx, std::vector<std::string>& list);

// The lines of a list file, empty lines included; a final line break adds no empty line.
// A missing or unreadable file gives an empty list (errorCode receives the errno, else 0).
std::vector<std::string> readListFile(const std::string& path, int* errorCode = nullptr);
// Splits file content into lines as readListFile does.
std::vector<std::string> splitListLines(std::string_view text);

// The waypoints of a list file (WPList.txt, WPignore.txt, WPclipboard.txt): each line trimmed of
// blanks and control characters, empty lines skipped, every other line through the waypoint rule;
// the reasons for refused lines go to refused. Missing or unreadable as readListFile.
std::vector<std::string> readWaypointListFile(const std::string& path, std::vector<std::string>* refused,
                                              int* errorCode = nullptr);

// Writes every line followed by CR LF, whole through a temporary file; returns 0 or errno.
int writeListFile(const std::string& path, const std::vector<std::string>& lines);

// A line of WParchived.txt holds a prefix field, ";" and the waypoint; a line without ";" is the
// waypoint itself. The loader drops the text through the first ";", the collector through the last.
std::string archivedWaypointAfterFirst(std::string_view line);
std::string archivedWaypointAfterLast(std::string_view line);

enum class ArchivedReading { AfterFirstSemicolon, AfterLastSemicolon };
// The waypoints of an archived-list file, one per line, read the given way; missing file: empty.
std::vector<std::string> readArchivedWaypoints(const std::string& path, ArchivedReading reading,
                                               int* errorCode = nullptr);

}  // namespace vellora
