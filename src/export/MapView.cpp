#include "export/MapView.h"

#include <algorithm>
#include <cerrno>

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/MapTiles.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "formats/ExportConv.h"

namespace vellora {

namespace {

const char* listComment(int source) {
    switch (source) {
        case kMapSourceFinds:
            return "hast Du bereits gefunden:";
        case kMapSourceDirectory:
            return "befinden sich im gew&auml;hlten Ausgabeverzeichnis:";
        default:
            return "befinden sich in der Arbeitsliste";
    }
}

// The marker list as a string for the page's script, for browsers that refuse to fetch a local file.
std::string scriptString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\r') continue;
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '<') {
            out += "\\x3C";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace

int mapIconNumber(std::string_view cacheType) {
    static constexpr std::pair<const char*, int> kIcons[] = {
        {"TRADITIONAL CACHE", 1},  {"MULTI-CACHE", 2},          {"VIRTUAL CACHE", 3},
        {"LETTERBOX HYBRID", 4},   {"EVENT CACHE", 5},          {"UNKNOWN CACHE", 6},
        {"WEBCAM CACHE", 7},       {"CACHE IN TRASH OUT E", 8}, {"EARTHCACHE", 9},
        {"LOCATIONLESS CACHE", 3},
    };
    const std::string t = upperCase(cacheType);
    for (const auto& [type, icon] : kIcons) {
        if (t == type) return icon;
    }
    return 1;
}

std::string markerName(std::string_view cacheName) {
    // Characters beyond ASCII as references: the file then reads the same whether a browser takes
    // it for UTF-8 (a fetched file) or gets it inside the Windows-1252 page.
    return xmlEscape(cacheName, XmlCharset::Utf8);
}

int mapZoomFactor(float s, float t) {
    if (s > 320 || t > 360) return 5;
    if (s > 160 || t > 180) return 6;
    if (s > 80 || t > 90) return 7;
    if (s > 40 || t > 45) return 8;
    if (s > 20 || t > 22) return 9;
    if (s > 10 || t > 11) return 10;
    if (s > 5 || t > 5.5f) return 11;
    if (s > 2.5f || t > 3) return 12;
    return 13;
}

void mapSize(int choice, int& width, int& height) {
    if (choice == 1) {
        width = 800;
        height = 600;
    } else if (choice == 2) {
        width = 1024;
        height = 768;
    } else {
        width = 640;
        height = 480;
    }
}

TCacheList mapViewCaches(RunContext& ctx, int source, bool& readOk) {
    readOk = true;
    std::vector<std::string> waypoints;
    int err = 0;
    if (source == kMapSourceFinds) {
        err = LoadFoundWaypoints(ctx, waypoints);
        if (err == ENOENT) err = 0;
    } else {
        const std::string file = source == kMapSourceDirectory ? "dirlist.txt" : "WPList.txt";
        waypoints = readListFile(ctx.workDirPath() + file, &err);
        if (err == ENOENT) err = 0;
    }
    if (err != 0) {
        showErrorCode(ctx.host(), err, "Ein-/Ausgabefehler");
        readOk = false;
    }
    TCacheList list;
    TCacheRec rec;
    for (const auto& wp : waypoints) {
        if (wp.empty() || !FindCache(ctx, wp, rec)) continue;
        rec.CacheType = std::to_string(mapIconNumber(rec.CacheType));
        list.add(rec);
    }
    return list;
}

std::string markerFile(const TCacheList& caches) {
    std::string out = "<markers>\r\n";
    for (const auto& e : caches.entries()) {
        const TCacheRec& r = e.obj.rec;
        out += "<marker lat=\"" + formatFixedSignificant(r.Lat, 10, 5) + "\" lng=\"" +
               formatFixedSignificant(r.Lon, 10, 5) + "\" wpt=\"[b]" + markerName(r.Waypoint) + "[/b][br]" +
               markerName(r.CacheName) + "\" icon=\"" + r.CacheType + "\" diff=\"" +
               markerName(r.Difficulty) + "\" terr=\"" + markerName(r.Terrain) + "\" size=\"" +
               markerName(r.CacheSize) + "\"/>\r\n";
    }
    return out + "</markers>\r\n";
}

int showCaches(RunContext& ctx, int source, int sizeChoice) {
    bool readOk = true;
    const TCacheList caches = mapViewCaches(ctx, source, readOk);
    if (!readOk) return -1;
    if (caches.empty()) return 0;
    const std::string dir = ctx.workDirPath();
    const std::string markers = markerFile(caches);
    if (int err = writeFileAtomic(dir + "caches.xml", markers); err != 0) {
        showErrorCode(ctx.host(), err, "Ein-/Ausgabefehler");
        return -1;
    }
    float minLat = 1000, maxLat = -1000, minLon = 1000, maxLon = -1000;
    for (const auto& e : caches.entries()) {
        const auto lat = static_cast<float>(e.obj.rec.Lat), lon = static_cast<float>(e.obj.rec.Lon);
        minLat = std::min(minLat, lat);
        maxLat = std::max(maxLat, lat);
        minLon = std::min(minLon, lon);
        maxLon = std::max(maxLon, lon);
    }
    const int zoom = mapZoomFactor((maxLat - minLat) * 60, (maxLon - minLon) * 60);
    const float centreLat = (minLat + maxLat) / 2, centreLon = (minLon + maxLon) / 2;
    int err = 0;
    auto page = readFile(dir + "gmtemplate.html", &err);
    if (!page) {
        showErrorCode(ctx.host(), err != 0 ? err : EIO, "Ein-/Ausgabefehler");
        return -1;
    }
    int width = 640, height = 480;
    mapSize(sizeChoice, width, height);
    replaceAll(*page, "#CENTERLAT#", formatFixedSignificant(centreLat, 8, 3));
    replaceAll(*page, "#CENTERLONG#", formatFixedSignificant(centreLon, 8, 3));
    replaceAll(*page, "#ZOOMFACTOR#", std::to_string(zoom));
    replaceAll(*page, "#MAPWIDTH#", std::to_string(width));
    replaceAll(*page, "#MAPHEIGHT#", std::to_string(height));
    replaceAll(*page, "#LISTCOMMENT#",
               "Folgende " + std::to_string(caches.count()) + " Caches " + listComment(source) + ":");
    replaceAll(*page, "#MARKERDATA#", scriptString(markers));
    // The page fits its view to these bounds, so that every marker is in sight however far apart.
    replaceAll(*page, "#BOUNDS#",
               "[[" + formatFixedSignificant(minLat, 10, 5) + ", " + formatFixedSignificant(minLon, 10, 5) +
                   "], [" + formatFixedSignificant(maxLat, 10, 5) + ", " +
                   formatFixedSignificant(maxLon, 10, 5) + "]]");
    replaceAll(*page, "#TILEURL#", scriptString(loadMapTilesAddress(ctx.programConf())));
    if (err = writeFileAtomic(dir + "gmshow.html", *page); err != 0) {
        showErrorCode(ctx.host(), err, "Ein-/Ausgabefehler");
        return -1;
    }
    ctx.host().openWithSystem(dir + "gmshow.html");
    return caches.count();
}

std::string oneCacheAddress(const RunContext& ctx, double lat, double lon, int display, int zoom) {
    static constexpr int kZoom[] = {17, 16, 14, 10};
    int z = kZoom[zoom >= 0 && zoom <= 3 ? zoom : 1];
    if (zoom == 2 && display != 0) z = 13;
    std::string base = ctx.services.mapView;
    while (!base.empty() && base.back() == '/') base.pop_back();
    const std::string la = formatFixed(lat, 6), lo = formatFixed(lon, 6);
    std::string url = base + "/maps?f=q&hl=de&q=" + la + "+" + lo + "&ie=UTF8&om=1&z=" + std::to_string(z);
    if (display == 1)
        url += "&t=k";
    else if (display == 2)
        url += "&t=h";
    return url + "&ll=" + la + "," + lo;
}

void MapViewModel::ok() {
    setRunning();
    showCaches(ctx_, source, sizeChoice);
    close();
}

std::string ShowOneCacheModel::address() const {
    return oneCacheAddress(ctx_, lat_, lon_, display, zoom);
}

void ShowOneCacheModel::ok() {
    setRunning();
    ctx_.host().openWithSystem(address());
    close();
}

}  // namespace vellora
