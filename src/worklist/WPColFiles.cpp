// Waypoint files read by the collector. GPX and LOC come from their readers in formats/ as a
// stream (any size in constant memory); their UTF-8 is turned into Windows-1252 per candidate.
// Text files are Windows-1252 lines.
#include <string>
#include <vector>

#include "core/Cp1252.h"
#include "core/FileProcs.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "formats/GpxReader.h"
#include "formats/LocReader.h"
#include "worklist/WPCol.h"

namespace vellora {
namespace {

// Names that are not the site's codes are other points of the file; a code that breaks the
// waypoint rule is refused with its reason.
void takeCandidate(std::string_view text, std::vector<std::string>& out, std::vector<std::string>* refused) {
    const std::string c = trimTrailingControl(trimLeadingControl(text));
    if (c.size() < 3 || upperChar(c[0]) != 'G' || upperChar(c[1]) != 'C') return;
    WaypointCheck check = checkWaypoint(c);
    if (check.ok())
        out.push_back(std::move(check.waypoint));
    else if (refused)
        refused->push_back(std::move(check.problem));
}

// Pieces and ids arrive as UTF-8; candidates are Windows-1252.
int readXmlCandidates(const std::string& path, WPFileFormat format, std::vector<std::string>& out,
                      std::string* error, std::vector<std::string>* refused) {
    const auto take = [&](std::string_view utf8) { takeCandidate(cp1252FromUtf8(utf8), out, refused); };
    if (format == WPFileFormat::Loc) return readLocNameIds(path, take, error);
    const GpxReadResult read = readGpxNames(path, take);
    if (read.ok) return 0;
    if (read.errorCode != 0) return read.errorCode;
    if (error) *error = read.errorMessage + " (Zeile " + std::to_string(read.errorLine) + ")";
    return -1;
}

}  // namespace

int readWaypointCandidates(const std::string& path, WPFileFormat format, std::vector<std::string>& out,
                           std::string* error, std::vector<std::string>* refused) {
    if (format != WPFileFormat::Text) return readXmlCandidates(path, format, out, error, refused);
    int code = 0;
    std::vector<std::string> lines = readListFile(path, &code);
    if (code != 0) return code;
    for (const std::string& line : lines) {
        const auto semicolon = line.find(';');
        takeCandidate(std::string_view(line).substr(0, semicolon), out, refused);
    }
    return 0;
}

}  // namespace vellora
