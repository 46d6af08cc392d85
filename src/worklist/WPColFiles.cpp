// Waypoint files read by the collector. GPX and LOC go through expat as a stream (any size in
// constant memory); the parser's UTF-8 is turned into Windows-1252 per candidate. Text files are
// Windows-1252 lines.
#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/Cp1252.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "worklist/WPCol.h"

namespace vellora {
namespace {

constexpr char kNsSep = '\x01';

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

// Element names arrive as "uri\1local\1prefix", "uri\1local" or "local": prefixed names never count.
bool isPlainName(const XML_Char* qualified) {
    std::string_view n(qualified);
    const auto first = n.find(kNsSep);
    if (first == std::string_view::npos) return equalsNoCase(n, "name");
    const std::string_view rest = n.substr(first + 1);
    if (rest.find(kNsSep) != std::string_view::npos) return false;
    return equalsNoCase(rest, "name");
}

struct ScanState {
    WPFileFormat format;
    std::vector<std::string>* out;
    std::vector<std::string>* refused;
    int nameDepth = 0;
    std::string piece;  // UTF-8 character content since the last tag

    void flush() {
        if (nameDepth > 0 && !piece.empty()) takeCandidate(cp1252FromUtf8(piece), *out, refused);
        piece.clear();
    }
};

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** atts) {
    auto* s = static_cast<ScanState*>(data);
    s->flush();
    if (!isPlainName(name)) return;
    if (s->format == WPFileFormat::Loc) {
        if (atts[0] && atts[1]) takeCandidate(cp1252FromUtf8(atts[1]), *s->out, s->refused);
        return;
    }
    ++s->nameDepth;
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
    auto* s = static_cast<ScanState*>(data);
    s->flush();
    if (s->format == WPFileFormat::Gpx && isPlainName(name) && s->nameDepth > 0) --s->nameDepth;
}

void XMLCALL onText(void* data, const XML_Char* text, int len) {
    auto* s = static_cast<ScanState*>(data);
    if (s->nameDepth > 0) s->piece.append(text, static_cast<std::size_t>(len));
}

// Files written on Windows often declare windows-1252, which expat does not know by itself.
int XMLCALL onUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    if (!equalsNoCase(name, "windows-1252") && !equalsNoCase(name, "cp1252")) return XML_STATUS_ERROR;
    static constexpr int kHigh[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    for (int i = 0; i < 256; ++i) info->map[i] = (i >= 0x80 && i < 0xA0) ? kHigh[i - 0x80] : i;
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

int readXmlCandidates(const std::string& path, WPFileFormat format, std::vector<std::string>& out,
                      std::string* error, std::vector<std::string>* refused) {
    int code = 0;
    UniqueFd fd = openFile(path, O_RDONLY, 0, &code);
    if (!fd) return code;
    XML_Parser parser = XML_ParserCreateNS(nullptr, kNsSep);
    if (!parser) return ENOMEM;
    XML_SetReturnNSTriplet(parser, 1);
    ScanState state{format, &out, refused, 0, {}};
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    XML_SetUnknownEncodingHandler(parser, onUnknownEncoding, nullptr);
    int result = 0;
    for (;;) {
        void* buf = XML_GetBuffer(parser, 1 << 16);
        if (!buf) {
            result = ENOMEM;
            break;
        }
        std::size_t n = 0;
        if (const int err = readFully(fd.get(), static_cast<char*>(buf), 1 << 16, n)) {
            result = err;
            break;
        }
        if (XML_ParseBuffer(parser, static_cast<int>(n), n == 0) == XML_STATUS_ERROR) {
            result = -1;
            if (error) {
                *error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " (Zeile " +
                         std::to_string(XML_GetCurrentLineNumber(parser)) + ")";
            }
            break;
        }
        if (n == 0) break;
    }
    XML_ParserFree(parser);
    return result;
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
