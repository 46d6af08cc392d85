// The repairing filter in front of the XML parser: fed whole or in pieces of any size it gives the
// same bytes, and what it gives holds no control byte XML forbids and, in a UTF-8 file, only UTF-8.
#include <cstdlib>

#include "FuzzHome.h"
#include "core/XmlRepair.h"

using namespace vellora;

namespace {

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80                 ? 1
                        : c >= 0xC2 && c <= 0xDF ? 2
                        : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4
                                                 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 17;
    const std::string_view text = fuzz::asText(data + 1, size - 1);
    XmlRepair whole;
    const std::string once(whole.feed(text, true));
    XmlRepair split;
    std::string pieces;
    for (std::size_t at = 0; at < text.size(); at += piece)
        pieces.append(split.feed(text.substr(at, piece), at + piece >= text.size()));
    if (text.empty()) pieces.append(split.feed({}, true));
    if (pieces != once || split.repairs() != whole.repairs()) std::abort();
    if (whole.encoding() == XmlRepair::Encoding::Untouched) return 0;
    for (char c : once) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') std::abort();
    }
    if (whole.encoding() == XmlRepair::Encoding::Utf8 && !validUtf8(once)) std::abort();
    return 0;
}
