#include "formats/OverlayWriter.h"

#include <string>
#include <utility>

#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

// Shortest general notation with up to 15 significant digits, cut to 11 characters.
std::string overlayCoord(double v) {
    return formatFloat15(v).substr(0, 11);
}

}  // namespace

void writeOverlay(const RunContext& ctx, const OverlayOptions& opts, const TCacheList& list, TextOut& out) {
    const int n = list.count();
    const std::string dir = ctx.workDirPath();
    for (int i = 0; i < n; ++i) {
        const TCacheRec& r = list.at(i);
        out << "[Symbol " << std::to_string(i + 1)
            << "]\r\nTyp=1\r\nGroup=1\r\nWidth=17\r\nHeight=17\r\nDir=100\r\n"
            << "Zoom=1\r\nTrans=1\r\nTransByte=6\r\nPath=" << dir << overlayBitmap(r.CacheType)
            << "\r\nXKoord=" << overlayCoord(r.Lon) << "\r\nYKoord=" << overlayCoord(r.Lat) << kCrLf;
    }
    if (opts.labels) {
        const std::string col = std::to_string(overlayColourValue(opts.colour));
        const std::string size = std::to_string(overlaySizeValue(opts.size));
        for (int i = 0; i < n; ++i) {
            const TCacheRec& r = list.at(i);
            out << "[Symbol " << std::to_string(n + i + 1) << "]\r\nTyp=2\r\nGroup=1\r\nCol=" << col
                << "\r\nArea=1\r\nZoom=1\r\nSize=" << size
                << "\r\nFont=1\r\nDir=100\r\nXKoord=" << overlayCoord(r.Lon)
                << "\r\nYKoord=" << overlayCoord(r.Lat) << "\r\nText=" << r.Waypoint << kCrLf;
        }
    }
    out.line("[Overlay]");
    out.line("Symbols=" + std::to_string(opts.labels ? 2 * n : n));
}

int overlayColourValue(int index) {
    static constexpr int kValues[] = {1, 2, 3, 4, 5, 6, 8, 9};
    return index >= 0 && index < 8 ? kValues[index] : 1;
}

int overlaySizeValue(int index) {
    static constexpr int kValues[] = {116, 120, 122, 126, 132};
    return index >= 0 && index < 5 ? kValues[index] : 122;
}

const char* overlayBitmap(std::string_view cacheType) {
    static constexpr std::pair<const char*, const char*> kBitmaps[] = {
        {"TRADITIONAL CACHE", "trad.bmp"},    {"MULTI-CACHE", "multi.bmp"},
        {"VIRTUAL CACHE", "virtual.bmp"},     {"LETTERBOX HYBRID", "letter.bmp"},
        {"EVENT CACHE", "event.bmp"},         {"WEBCAM CACHE", "webcam.bmp"},
        {"UNKNOWN CACHE", "mystery.bmp"},     {"LOCATIONLESS CACHE", "locless.bmp"},
        {"CACHE IN TRASH OUT E", "cito.bmp"}, {"EARTHCACHE", "earth.bmp"},
    };
    const std::string t = upperCase(cacheType);
    for (const auto& [type, bitmap] : kBitmaps) {
        if (t == type) return bitmap;
    }
    return "trad.bmp";
}

}  // namespace vellora
