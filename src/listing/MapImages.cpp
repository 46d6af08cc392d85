#include "listing/MapImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

#include "core/CacheRec.h"
#include "core/FastStrings.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/MapTiles.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/SafePath.h"
#include "core/StrUnit.h"
#include "core/Waypoint.h"
#include "listing/OsmMap.h"
#include "listing/PngCodec.h"
#include "listing/TileCache.h"
#include "net/LoadURL.h"

namespace vellora {
namespace {

constexpr std::array<const char*, 7> kMultiMapScaleTexts = {
    "1 : 5.000", "1 : 10.000", "1 : 25.000", "1 : 50.000", "1 : 100.000", "1 : 200.000", "1 : 500.000"};
constexpr std::array<const char*, 6> kMapPointScaleTexts = {"1 : 5.000",   "1 : 20.000",  "1 : 50.000",
                                                            "1 : 100.000", "1 : 500.000", "1 : 1.000.000"};
constexpr std::array<const char*, 3> kMapPointSizeTexts = {"klein", "mittel", "gro\xDF"};
constexpr std::array<const char*, 15> kStadtplanScaleTexts = {
    "1 : 10.000",          "1 : 20.000",          "1 : 40.000",          "1 : 60.000",
    "1 : 100.000",         "1 : 400.000",         "1 : 750.000",         "1 : 1.500.000",
    "1 : 3.000.000",       "1 : 7.500 Luftbild",  "1 : 10.000 Luftbild", "1 : 20.000 Luftbild",
    "1 : 40.000 Luftbild", "1 : 60.000 Luftbild", "1 : 100.000 Luftbild"};
constexpr std::array<const char*, 2> kStadtplanSizeTexts = {"klein (400x400)", "gro\xDF (600x600)"};
constexpr std::array<const char*, 6> kOsmScaleTexts = {"Zoom 12", "Zoom 13", "Zoom 14",
                                                       "Zoom 15", "Zoom 16", "Zoom 17"};
constexpr int kOsmFirstZoom = 12;
constexpr std::array<TMapPixels, 3> kOsmSizes = {{{300, 220}, {400, 300}, {570, 435}}};
constexpr std::array<const char*, 9> kMapQuestScaleTexts = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};

const std::array<TMapKindInfo, kMapKindCount> kKinds = {{
    {"multimap", kMultiMapScaleTexts, 3, {}, 0},
    {"mappoint", kMapPointScaleTexts, 2, kMapPointSizeTexts, 0},
    {"Stadtplandienst", kStadtplanScaleTexts, 3, kStadtplanSizeTexts, 0},
    {"mapquest", kMapQuestScaleTexts, 6, {}, 0},
    {"OpenStreetMap", kOsmScaleTexts, 3, kMapPointSizeTexts, 1},
}};

constexpr std::array<std::string_view, 7> kMultiMapScales = {"5000",   "10000",  "25000", "50000",
                                                             "100000", "200000", "500000"};
constexpr std::array<std::string_view, 6> kMapPointAltitudes = {"1", "3", "10", "25", "90", "220"};
constexpr std::array<std::string_view, 3> kMapPointSizes = {"300,220", "400,300", "570,435"};
constexpr std::array<std::string_view, 15> kStadtplanGrids = {
    "dedatlas10",  "dedatlas20",  "dedatlas40",   "dedatlas60",  "dedatlas100",
    "dedatlas400", "dedatlas750", "dedatlas1500", "dedatlas300", "aero2m",
    "aero10",      "aero20",      "aero40",       "aero60",      "aero100"};
constexpr int kFirstAerialScale = 9;

template <std::size_t N>
std::string_view pick(const std::array<std::string_view, N>& table, int index) {
    return table[static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(N) - 1))];
}

std::string lowerAscii(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Values scraped from a page go into a query string: what would end the address or a parameter
// there is percent-encoded.
std::string queryValue(std::string_view value) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '"' || c == '#' || c == '&' || c == '<' || c == '>') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

// Whole degrees, minutes and rounded seconds; a negative value carries its sign on the degrees.
DegMinSecText dmsOf(double value) {
    DegMinSecText t = SplitDMS(std::fabs(value));
    if (value < 0) t.degrees = "-" + t.degrees;
    return t;
}

}  // namespace

const TMapKindInfo& mapKindInfo(int kind) {
    return kKinds[static_cast<std::size_t>(std::clamp(kind, 0, kMapKindCount - 1))];
}

int clampMapScale(int kind, int scaleIndex) {
    const auto& k = mapKindInfo(kind);
    return std::clamp(scaleIndex, 0, static_cast<int>(k.scales.size()) - 1);
}

int clampMapSize(int kind, int sizeIndex) {
    const auto& k = mapKindInfo(kind);
    if (k.sizes.empty()) return 0;
    return std::clamp(sizeIndex, 0, static_cast<int>(k.sizes.size()) - 1);
}

std::string_view multiMapScaleValue(int scaleIndex) {
    return pick(kMultiMapScales, scaleIndex);
}
std::string_view mapPointAltitude(int scaleIndex) {
    return pick(kMapPointAltitudes, scaleIndex);
}
std::string_view mapPointSize(int sizeIndex) {
    return pick(kMapPointSizes, sizeIndex);
}
std::string_view stadtplanGrid(int scaleIndex) {
    return pick(kStadtplanGrids, scaleIndex);
}
int osmZoom(int scaleIndex) {
    return kOsmFirstZoom + clampMapScale(kMapOpenStreetMap, scaleIndex);
}
TMapPixels osmImageSize(int sizeIndex) {
    return kOsmSizes[static_cast<std::size_t>(clampMapSize(kMapOpenStreetMap, sizeIndex))];
}
bool stadtplanAerialScale(int scaleIndex) {
    return clampMapScale(kMapStadtplandienst, scaleIndex) >= kFirstAerialScale;
}
int stadtplanMaxTiles(int sizeIndex) {
    return sizeIndex <= 0 ? 4 : 9;
}

std::string mapCoordText(double value) {
    return formatShortest(value);
}

std::string mapCoordCut8(double value) {
    return mapCoordText(value).substr(0, 8);
}

std::string serviceHostText(std::string_view address) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (address.size() >= scheme.size() && equalsNoCase(address.substr(0, scheme.size()), scheme))
            return std::string(address.substr(scheme.size()));
    }
    return std::string(address);
}

std::string multiMapPageUrl(std::string_view host, double lat, double lon, int scaleIndex) {
    return std::string(host) + "/map/browse.cgi?lat=" + mapCoordCut8(lat) + "&lon=" + mapCoordCut8(lon) +
           "&scale=" + std::string(multiMapScaleValue(scaleIndex)) + "&icon=x";
}

std::string mapPointUrl(std::string_view host, double lat, double lon, int scaleIndex, int sizeIndex) {
    const std::string pos = mapCoordCut8(lat) + "," + mapCoordCut8(lon);
    return std::string(host) + "/pub/agent.dll?qscr=mrdt&CenP=" + pos +
           "&Lang=EUR0407&Alti=" + std::string(mapPointAltitude(scaleIndex)) +
           "&Size=" + std::string(mapPointSize(sizeIndex)) + "&Offs=0.000000,0.000000&Pins=|" + pos + "|4|" +
           "Cache|";
}

std::string stadtplanHomeUrl(std::string_view host) {
    return std::string(host) + "/home.asp";
}

std::string stadtplanMapUrl(std::string_view host, std::string_view sessionId, double lat, double lon,
                            int scaleIndex, int sizeIndex) {
    const DegMinSecText x = dmsOf(lon), y = dmsOf(lat);
    std::string url = std::string(host) + "/map.asp?search=coords&sid=" + queryValue(sessionId) +
                      "&start.x=5" + "&CoordXDeg=" + x.degrees + "&CoordXMin=" + x.minutes +
                      "&CoordXSec=" + x.seconds + "&CoordYDeg=" + y.degrees + "&CoordYMin=" + y.minutes +
                      "&CoordYSec=" + y.seconds + "&grid=" + std::string(stadtplanGrid(scaleIndex));
    if (stadtplanMaxTiles(sizeIndex) == 4) url += "&size=2x2";
    return url + "&Abschicken=GO";
}

std::string mapQuestOverviewUrl(std::string_view host, double lat, double lon) {
    return std::string(host) + "/mq/maps/latlong.do?latLongType=decimal&txtLatitude=" + mapCoordText(lat) +
           "&txtLongitude=" + mapCoordText(lon);
}

std::string mapQuestZoomUrl(std::string_view host, double lat, double lon, std::string_view zoom,
                            const TMapQuestForm& form) {
    const std::string la = mapCoordText(lat), lo = mapCoordText(lon);
    return std::string(host) +
           "/mq/maps/zoomMap.do?mapRefresh=true&hdnCurrentZoomLevel=" + std::string(zoom) +
           "&hdnCurrLongitude=" + lo + "&hdnCurrLatitude=" + la + "&hdnOriginLatitude=" + la +
           "&hdnOriginLongitude=" + lo + "&sessionid=" + queryValue(form.sessionId.value_or("")) +
           "&mapurl=" + queryValue(form.mapUrl.value_or("")) +
           "&hdnMapURL=" + queryValue(form.hdnMapUrl.value_or("")) + "&hdnOriginalZoomLevel=5&region=EU";
}

// ---- scraping ----

std::optional<std::string> multiMapImageUrl(const std::vector<std::string>& lines) {
    static constexpr std::string_view kTag = "<input name=\"multimap\"";
    for (const std::string& line : lines) {
        const std::size_t at = lowerAscii(line).find(kTag);
        if (at == std::string::npos) continue;
        std::string text = line.substr(at + 1);
        const std::size_t src = lowerAscii(text).find("src=");
        if (src == std::string::npos) return std::nullopt;
        // Through "src=" and the quote behind it.
        text.erase(0, std::min(text.size(), src + 5));
        while (text.find('"') != std::string::npos) text.pop_back();
        if (text.empty()) return std::nullopt;
        return text;
    }
    return std::nullopt;
}

std::string stadtplanSessionId(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        const std::size_t at = line.find("sid=");
        if (at == std::string::npos) continue;
        std::size_t end = at + 4;
        while (end < line.size() && isAlnum(line[end])) ++end;
        return line.substr(at + 4, end - at - 4);
    }
    return {};
}

std::vector<std::string> stadtplanTileUrls(const std::vector<std::string>& lines, std::string_view host,
                                           int maxTiles) {
    static constexpr std::string_view kPaint = "mappaint.asp";
    std::vector<std::string> tiles;
    for (const std::string& line : lines) {
        if (static_cast<int>(tiles.size()) >= maxTiles) break;
        const std::string lower = lowerAscii(line);
        for (std::size_t at = lower.find(kPaint); at != std::string::npos; at = lower.find(kPaint, at + 1)) {
            if (static_cast<int>(tiles.size()) >= maxTiles) break;
            const std::size_t quote = line.find('\'', at);
            std::string tile = line.substr(at, quote == std::string::npos ? std::string::npos : quote - at);
            removeAll(tile, "amp;");
            tiles.push_back(std::string(host) + "/" + tile);
        }
    }
    return tiles;
}

TMapQuestForm readMapQuestForm(const std::vector<std::string>& lines) {
    static constexpr std::string_view kForm = "<form name=\"frmmapsresult\"";
    std::string text;
    bool inForm = false;
    for (const std::string& line : lines) {
        if (!inForm) {
            std::string probe = line;
            for (char& c : probe) {
                if (c == '\t') c = ' ';
                if (c == '\'') c = '"';
            }
            probe = lowerAscii(probe);
            if (probe.find(kForm) == std::string::npos) continue;
            inForm = true;
            text = std::move(probe);
        } else {
            text += "\r\n";
            text += line;
        }
    }
    TMapQuestForm form;
    const std::string lower = lowerAscii(text);
    const auto skipToName = [&text](std::size_t p) {
        while (p < text.size() && !isNameChar(text[p])) ++p;
        return p;
    };
    std::size_t pos = 0;
    for (;;) {
        const std::size_t input = lower.find("<input", pos);
        if (input == std::string::npos) break;
        const std::size_t name = lower.find("name", input + 6);
        if (name == std::string::npos) break;
        const std::size_t value = lower.find("value", name + 4);
        if (value == std::string::npos) break;
        std::size_t n0 = skipToName(name + 4), n1 = n0;
        while (n1 < text.size() && isNameChar(text[n1])) ++n1;
        const std::size_t v0 = skipToName(value + 5);
        std::size_t v1 = v0;
        while (v1 < text.size() && text[v1] != '"' && text[v1] != '\'') ++v1;
        const std::string field = lowerAscii(text.substr(n0, n1 - n0));
        std::string content = text.substr(v0, v1 - v0);
        if (field == "sessionid") form.sessionId = content;
        if (field == "mapurl") form.mapUrl = content;
        if (field == "hdnmapurl") form.hdnMapUrl = content;
        pos = n1;
    }
    return form;
}

std::string mapQuestImageUrl(const std::vector<std::string>& lines) {
    std::string url;
    for (const std::string& line : lines) {
        const std::size_t at = line.find("http");
        if (at != std::string::npos) url = trimTrailingControl(std::string_view(line).substr(at));
    }
    return url;
}

// ---- loading ----

TMapImages::TMapImages(RunContext& ctx, THttpClient& client, TLoadWindowView& view)
    : ctx_(ctx), client_(client), view_(view) {}

void TMapImages::protocol(const std::string& line) {
    view_.addProtocolLine(line);
}

bool TMapImages::fetch(const std::string& url, const std::string& destination) {
    return getBinaryToFile(ctx_, client_, url, destination, true, &view_);
}

std::optional<std::vector<std::string>> TMapImages::scratchLines(const std::string& path, bool fetched) {
    if (!fetched) return std::vector<std::string>{};
    const auto text = readFile(path);
    if (!text) return std::nullopt;
    return splitListLines(*text);
}

void TMapImages::getCacheMapToFile(const std::string& waypoint, int kind, int scaleIndex, int sizeIndex) {
    constexpr std::string_view where = "frmLoadHTML.getCacheMapToFile";
    debugInfo(ctx_, where, "startproc");
    // The waypoint names the map files; one that could name anything else gets no map.
    if (!isSafeFileName(waypoint + "_mappoint.gif")) {
        debugError(ctx_, where, "not a waypoint: " + escapedValue(waypoint));
        return;
    }
    TCacheRec rec;
    if (!FindCache(ctx_, waypoint, rec)) {
        debugError(ctx_, where, "cache not found (" + waypoint + ") - exiting unsuccessfully");
        return;
    }
    kind = std::clamp(kind, 0, kMapKindCount - 1);
    scaleIndex = clampMapScale(kind, scaleIndex);
    sizeIndex = clampMapSize(kind, sizeIndex);
    // A missing map never stops the listing run.
    try {
        switch (kind) {
            case kMapMultiMap:
                loadMultiMap(waypoint, rec.Lat, rec.Lon, scaleIndex);
                break;
            case kMapMapPoint:
                loadMapPoint(waypoint, rec.Lat, rec.Lon, scaleIndex, sizeIndex);
                break;
            case kMapStadtplandienst:
                loadStadtplan(waypoint, rec.Lat, rec.Lon, scaleIndex, sizeIndex);
                break;
            case kMapMapQuest:
                loadMapQuest(waypoint, rec.Lat, rec.Lon, scaleIndex);
                break;
            default:
                loadOpenStreetMap(waypoint, rec.Lat, rec.Lon, scaleIndex, sizeIndex);
                break;
        }
    } catch (const std::exception& e) {
        debugError(ctx_, where, std::string("error loading the map: ") + e.what());
    }
}

void TMapImages::loadMultiMap(const std::string& waypoint, double lat, double lon, int scaleIndex) {
    protocol("Lade Karte (MultiMap)...");
    const std::string scratch = ctx_.workDirPath() + kMapScratchFile;
    const std::string pageUrl = multiMapPageUrl(ctx_.services.multiMap, lat, lon, scaleIndex);
    bool fetched = false;
    try {
        fetched = fetch(pageUrl, scratch);
    } catch (const std::exception& e) {
        debugError(ctx_, "frmLoadHTML.getMap_Multimap", "error loading multimap map: " + pageUrl);
        protocol(std::string("Fehler beim Laden der MultiMap-Karte: ") + e.what());
        return;
    }
    const auto lines = scratchLines(scratch, fetched);
    if (!lines) protocol("Fehler beim Lesen der Datei " + scratch);
    const auto imageUrl = lines ? multiMapImageUrl(*lines) : std::nullopt;
    if (!imageUrl) {
        debugError(ctx_, "frmLoadHTML.getCacheMapToFile", "could not find image tag in Multimap map.");
        return;
    }
    view_.setSubTask("Lade Multimap-Image");
    debugInfo(ctx_, "frmLoadHTML.getCacheMapToFile", "image tag extracted: " + *imageUrl);
    protocol("Lade Multimap-Detailkarte");
    const std::string target = ctx_.outDirPath() + waypoint + "_multimap.gif";
    try {
        if (fetch(*imageUrl, target)) protocol("Geladen: " + target);
    } catch (const std::exception& e) {
        debugError(ctx_, "frmLoadHTML.getMap_Multimap", "Error on load: " + *imageUrl);
        protocol(std::string("Fehler beim Laden der Multimap Detailkarte: ") + e.what());
    }
}

void TMapImages::loadMapPoint(const std::string& waypoint, double lat, double lon, int scaleIndex,
                              int sizeIndex) {
    protocol("Lade Karte (Expedia/MapPoint)...");
    protocol("Lade MapPoint Detailkarte");
    const std::string url = mapPointUrl(ctx_.services.mapPoint, lat, lon, scaleIndex, sizeIndex);
    debugInfo(ctx_, "frmLoadHTML.getCacheMapToFile", "Loading map: " + url);
    try {
        fetch(url, ctx_.outDirPath() + waypoint + "_mappoint.gif");
    } catch (const std::exception& e) {
        protocol(std::string("Fehler beim Laden der MapPoint Detailkarte: ") + e.what());
        debugError(ctx_, "frmLoadHTML.getCacheMapToFile", "could not load map: " + url + ": " + e.what());
    }
}

void TMapImages::loadStadtplan(const std::string& waypoint, double lat, double lon, int scaleIndex,
                               int sizeIndex) {
    const std::string& host = ctx_.services.stadtplandienst;
    protocol("Lade Karte (Stadtplandienst)...");
    if (sessionId_.empty()) {
        protocol("Hole SID von " + serviceHostText(host) + " ...");
        const std::string homeUrl = stadtplanHomeUrl(host);
        const std::string sidFile = ctx_.workDirPath() + kSidScratchFile;
        try {
            const bool fetched = fetch(homeUrl, sidFile);
            const auto lines = scratchLines(sidFile, fetched);
            if (!lines) {
                protocol("SID Lesefehler!");
                return;
            }
            sessionId_ = stadtplanSessionId(*lines);
            protocol("SID extrahiert: " + sessionId_);
        } catch (const std::exception& e) {
            protocol("Fehler beim Laden von: " + homeUrl + ": " + e.what());
        }
    }

    const std::string pageUrl = stadtplanMapUrl(host, sessionId_, lat, lon, scaleIndex, sizeIndex);
    const std::string scratch = ctx_.workDirPath() + kStadtplanScratchFile;
    bool fetched = false;
    try {
        removeFile(scratch);
        protocol("Lade Stadtplandienst Karte");
        fetched = fetch(pageUrl, scratch);
    } catch (const std::exception& e) {
        protocol(std::string("Fehler beim Laden der Stadtplandienst Karte: ") + e.what());
        debugError(ctx_, "frmLoadHTML.getCacheMapToFile", "could not load map: " + pageUrl + ": " + e.what());
        return;
    }
    const auto lines = scratchLines(scratch, fetched);
    if (!lines) {
        protocol("Fehler beim Lesen der Datei " + scratch);
        return;
    }
    const std::vector<std::string> tiles = stadtplanTileUrls(*lines, host, stadtplanMaxTiles(sizeIndex));
    const std::string extension = stadtplanAerialScale(scaleIndex) ? ".jpg" : ".png";
    const std::string stem = ctx_.outDirPath() + waypoint + "_sdk";
    if (!tiles.empty()) {
        // Tiles of an earlier, larger map of this kind would be taken as part of the new one.
        for (int n = static_cast<int>(tiles.size()) + 1; n <= 9; ++n)
            removeFile(stem + std::to_string(n) + extension);
    }
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        try {
            protocol("Lade Kachel " + n);
            fetch(tiles[i], stem + n + extension);
        } catch (const std::exception& e) {
            protocol("Fehler beim Laden der Kachel " + n + ": " + e.what());
        }
    }
}

void TMapImages::loadMapQuest(const std::string& waypoint, double lat, double lon, int scaleIndex) {
    const std::string& host = ctx_.services.mapQuest;
    const std::string hostText = serviceHostText(host);
    const std::string scratch = ctx_.workDirPath() + kMapQuestScratchFile;
    protocol("Lade Karte (" + hostText + ")...");
    const std::string overviewUrl = mapQuestOverviewUrl(host, lat, lon);
    bool fetched = false;
    try {
        removeFile(scratch);
        protocol(
            "Lade Mapquest Karten\xFC"
            "bersicht");
        fetched = fetch(overviewUrl, scratch);
    } catch (const std::exception& e) {
        protocol(std::string("Fehler beim Laden der " + hostText + "-Karte") + ": " + e.what());
        debugError(ctx_, "frmLoadHTML.getCacheMapToFile",
                   "could not load mapquest map: " + overviewUrl + ": " + e.what());
        return;
    }
    const auto overview = scratchLines(scratch, fetched);
    const TMapQuestForm form = overview ? readMapQuestForm(*overview) : TMapQuestForm{};
    if (!form.complete()) {
        protocol("Parameterfehler beim Laden der Mapquest-Karte");
        return;
    }

    const std::string zoomUrl = mapQuestZoomUrl(
        host, lat, lon,
        mapKindInfo(kMapMapQuest).scales[static_cast<std::size_t>(clampMapScale(kMapMapQuest, scaleIndex))],
        form);
    removeFile(scratch);
    protocol(zoomUrl);
    protocol("Lade Mapquest Kartenadresse");
    fetched = fetch(zoomUrl, scratch);
    const auto answer = scratchLines(scratch, fetched);
    const std::string imageUrl = answer ? mapQuestImageUrl(*answer) : std::string();
    if (imageUrl.empty()) {
        debugError(ctx_, "frmLoadHTML.getCacheMapToFile", "no map address in the mapquest answer");
        return;
    }
    protocol("Lade Mapquest Kartenimage");
    fetch(imageUrl, ctx_.outDirPath() + waypoint + "_map.gif");
}

}  // namespace vellora

namespace vellora {

THttpClient& TMapImages::tileClient() {
    if (!tileClient_) {
        tileClient_ = std::make_unique<THttpClient>(
            ctx_, THttpClientProfile{
                      .userAgent = mapTileUserAgent(), .followRedirects = true, .maxHostConnections = 2});
        tileClient_->setAbortCheck([this] { return ctx_.host().abortRequested(); });
    }
    // The loader's proxy and limits of this run.
    tileClient_->setProxy(client_.proxy());
    tileClient_->limits = client_.limits;
    return *tileClient_;
}

void TMapImages::loadOpenStreetMap(const std::string& waypoint, double lat, double lon, int scaleIndex,
                                   int sizeIndex) {
    protocol("Lade Karte (OpenStreetMap)...");
    const std::string target = ctx_.outDirPath() + waypoint + kOsmMapSuffix;
    const std::string address = loadMapTilesAddress(ctx_.programConf());
    const auto cacheBytes = static_cast<std::uint64_t>(std::max(1, ctx_.settings.MapTileCacheMB)) << 20;
    TMapTileCache cache(ctx_.programDirPath() + kTileCacheDirName, cacheBytes);
    const TileSource tiles = [&](int zoom, int x, int y, std::string& error) -> std::optional<Raster> {
        const std::string url = mapTileUrl(address, zoom, x, y);
        const auto now = static_cast<std::int64_t>(std::time(nullptr));
        std::optional<std::string> bytes = cache.fresh(url, now);
        if (!bytes) {
            THttpClient::CacheHeaders headers;
            try {
                bytes = tileClient().getBinary(url, kMaxTileBytes, &headers);
            } catch (const EHttpError& e) {
                if (e.kind() == EHttpError::Kind::Aborted) throw;
                error = e.what();
                return std::nullopt;
            }
            const auto lifetime = cacheLifetimeSeconds(headers.cacheControl, headers.expires, headers.date);
            if (lifetime && *lifetime > 0 && decodePng(*bytes)) cache.store(url, *bytes, now + *lifetime);
        }
        auto tile = decodePng(*bytes);
        if (!tile) error = "die Antwort ist kein PNG-Bild";
        return tile;
    };
    const TMapPixels size = osmImageSize(sizeIndex);
    const OsmMapResult map = composeOsmMap(lat, lon, osmZoom(scaleIndex), size.width, size.height, tiles);
    if (!map.error.empty()) {
        // An old map of the cache would show another day's state: the description goes without.
        removeFile(target);
        debugError(ctx_, "frmLoadHTML.getCacheMapToFile", "OpenStreetMap: " + map.error);
        protocol("Fehler: Die OpenStreetMap-Karte f\xFCr " + waypoint + " bleibt weg (" + map.error + ").");
        return;
    }
    const std::string png = encodePng(map.image);
    if (png.empty() || writeFileAtomic(target, png) != 0) {
        protocol("Fehler: Die Datei " + target + " kann nicht geschrieben werden.");
        return;
    }
    protocol("OpenStreetMap-Karte gespeichert (" + std::to_string(map.tiles) + " Kacheln)");
}

}  // namespace vellora
