#include "core/MapTiles.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <numbers>

#include "core/IniFile.h"
#include "core/Services.h"
#include "core/StrUnit.h"

namespace vellora {

std::string loadMapTilesAddress(IniFile& programConf) {
    std::string address = programConf.readString(kServicesSection, kMapTilesKey, "");
    return address.empty() ? std::string(kDefaultMapTiles) : address;
}

void writeMapTilesAddress(IniFile& programConf, const std::string& address) {
    programConf.writeString(kServicesSection, kMapTilesKey, address);
}

const char* mapTileUserAgent() {
    return "Vellora/" VELLORA_VERSION " (Geocaching-Tourplaner fuer den Desktop)";
}

std::string mapTileUrl(std::string_view address, int zoom, int x, int y) {
    std::string url(address);
    replaceAll(url, "{z}", std::to_string(zoom));
    replaceAll(url, "{x}", std::to_string(x));
    replaceAll(url, "{y}", std::to_string(y));
    return url;
}

MapPixel mapPixelOf(double lat, double lon, int zoom) {
    const double world = std::ldexp(double(kMapTileSize), zoom);
    // The scheme ends short of the poles.
    const double phi = std::clamp(lat, -85.0511, 85.0511) * std::numbers::pi / 180;
    const double y = (1 - std::log(std::tan(phi) + 1 / std::cos(phi)) / std::numbers::pi) / 2;
    return {(lon + 180) / 360 * world, y * world};
}

namespace {

std::string lowerAscii(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::optional<std::int64_t> digitsAt(std::string_view text, std::size_t at) {
    std::int64_t v = 0;
    std::size_t n = 0;
    while (at + n < text.size() && text[at + n] >= '0' && text[at + n] <= '9' && n < 12) {
        v = v * 10 + (text[at + n] - '0');
        ++n;
    }
    if (n == 0) return std::nullopt;
    return v;
}

}  // namespace

std::optional<std::int64_t> parseHttpDate(std::string_view text) {
    // Only the one form servers send today: "Www, DD Mon YYYY HH:MM:SS GMT".
    static constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                              "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string t = lowerAscii(text);
    const std::size_t comma = t.find(", ");
    if (comma == std::string::npos || t.size() < comma + 2 + 20) return std::nullopt;
    const std::size_t p = comma + 2;
    const auto day = digitsAt(t, p), year = digitsAt(t, p + 7), hh = digitsAt(t, p + 12),
               mm = digitsAt(t, p + 15), ss = digitsAt(t, p + 18);
    if (!day || !year || !hh || !mm || !ss) return std::nullopt;
    int month = -1;
    for (int i = 0; i < 12; ++i)
        if (t.compare(p + 3, 3, kMonths[i]) == 0) month = i;
    if (month < 0 || *day < 1 || *day > 31 || *hh > 23 || *mm > 59 || *ss > 60) return std::nullopt;
    std::tm tm{};
    tm.tm_year = static_cast<int>(*year) - 1900;
    tm.tm_mon = month;
    tm.tm_mday = static_cast<int>(*day);
    tm.tm_hour = static_cast<int>(*hh);
    tm.tm_min = static_cast<int>(*mm);
    tm.tm_sec = static_cast<int>(*ss);
    return static_cast<std::int64_t>(timegm(&tm));
}

std::optional<std::int64_t> cacheLifetimeSeconds(std::string_view cacheControl, std::string_view expires,
                                                 std::string_view date) {
    const std::string cc = lowerAscii(cacheControl);
    if (cc.find("no-store") != std::string::npos || cc.find("no-cache") != std::string::npos) return 0;
    if (const std::size_t at = cc.find("max-age="); at != std::string::npos) {
        if (const auto v = digitsAt(cc, at + 8)) return *v;
        return 0;
    }
    if (expires.empty()) return std::nullopt;
    const auto until = parseHttpDate(expires);
    // A malformed Expires means "already expired".
    if (!until) return 0;
    const auto now = parseHttpDate(date);
    const std::int64_t from = now ? *now : static_cast<std::int64_t>(std::time(nullptr));
    return std::max<std::int64_t>(0, *until - from);
}

}  // namespace vellora
