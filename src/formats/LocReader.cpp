#include "formats/LocReader.h"

#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/FileIO.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

constexpr char kNsSep = '\x01';
constexpr std::size_t kChunk = 1 << 16;

// Element names arrive as "uri\1local\1prefix", "uri\1local" or "local": prefixed names never count.
bool isPlainName(const XML_Char* qualified) {
    std::string_view n(qualified);
    const auto first = n.find(kNsSep);
    if (first == std::string_view::npos) return equalsNoCase(n, "name");
    const std::string_view rest = n.substr(first + 1);
    if (rest.find(kNsSep) != std::string_view::npos) return false;
    return equalsNoCase(rest, "name");
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** atts) {
    const auto& onId = *static_cast<const std::function<void(std::string_view)>*>(data);
    if (isPlainName(name) && atts[0] && atts[1]) onId(atts[1]);
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

}  // namespace

int readLocNameIds(const std::string& path, const std::function<void(std::string_view)>& onId,
                   std::string* error) {
    int code = 0;
    UniqueFd fd = openFile(path, O_RDONLY, 0, &code);
    if (!fd) return code;
    XML_Parser parser = XML_ParserCreateNS(nullptr, kNsSep);
    if (!parser) return ENOMEM;
    XML_SetReturnNSTriplet(parser, 1);
    XML_SetUserData(parser, const_cast<std::function<void(std::string_view)>*>(&onId));
    XML_SetStartElementHandler(parser, onStart);
    XML_SetUnknownEncodingHandler(parser, onUnknownEncoding, nullptr);
    int result = 0;
    for (;;) {
        void* buf = XML_GetBuffer(parser, static_cast<int>(kChunk));
        if (!buf) {
            result = ENOMEM;
            break;
        }
        std::size_t n = 0;
        if (const int err = readFully(fd.get(), static_cast<char*>(buf), kChunk, n)) {
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

}  // namespace vellora
