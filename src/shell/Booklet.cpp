#include "shell/Booklet.h"

#include <algorithm>
#include <set>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/HtmlClean.h"
#include "core/Koord.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "listing/Index.h"
#include "shell/SvgMapCanvas.h"

namespace vellora {
namespace {

constexpr std::string_view kConverted = "_converted.html";
// A comment: the escaped text around it (names, dates) cannot hold one, and it shows as nothing.
constexpr std::string_view kMarkStart = "<!--VBPAGE:", kMarkEnd = "-->";
constexpr std::string_view kIndexStart = "<div class=\"vb-newpage vb-index\">";

struct PageMark {
    std::size_t at, length;
    std::string_view waypoint;
};

// The page-number marks stand only in the cover and the contents, whose texts are escaped: a
// description's comment that happens to look like one is never taken for it.
std::vector<PageMark> pageMarks(std::string_view html) {
    std::vector<PageMark> marks;
    const std::size_t contentsEnd = std::min(html.find(kIndexStart), html.size());
    std::size_t at = 0;
    while ((at = html.find(kMarkStart, at)) < contentsEnd) {
        const std::size_t start = at + kMarkStart.size();
        const std::size_t end = html.find(kMarkEnd, start);
        if (end == std::string_view::npos) break;
        marks.push_back({at, end + kMarkEnd.size() - at, html.substr(start, end - start)});
        at = end + kMarkEnd.size();
    }
    return marks;
}
// The map window's default drawing size.
constexpr int kCoverMapWidth = 640, kCoverMapHeight = 560;

std::string lowerAscii(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool isWaypointChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

constexpr const char* kStyle =
    "@page { size: A4 portrait; margin: 15mm 14mm 18mm 14mm; }\r\n"
    "body { font-family: sans-serif; }\r\n"
    ".vb-newpage { break-before: page; page-break-before: always; }\r\n"
    ".vb-cover { text-align: center; padding-top: 12mm; }\r\n"
    ".vb-cover-map { margin: 8mm auto 0 auto; width: 165mm; }\r\n"
    ".vb-cover-map svg { display: block; width: 100%; height: auto; }\r\n"
    ".vb-cover h1 { font-size: 32pt; }\r\n"
    ".vb-contents td { padding: 1mm 3mm; }\r\n"
    ".vb-contents td.vb-page { text-align: right; }\r\n"
    // A page wider than the paper makes the engine shrink every page of the document alike: the
    // index's many columns and the descriptions' long words and tables stay within it.
    ".vb-index table { width: 100%; font-size: 8.5pt; }\r\n"
    ".vb-index td, .vb-index th { overflow-wrap: break-word; }\r\n"
    ".vb-cache { overflow-wrap: break-word; }\r\n"
    ".vb-cache table { max-width: 100%; }\r\n"
    // A table beside a float that breaks across pages comes out wider than the page.
    ".vb-cache table { break-inside: avoid; }\r\n"
    ".vb-cache pre { white-space: pre-wrap; }\r\n"
    "img { max-width: 100%; }\r\n";

}  // namespace

std::vector<std::string> bookletIndexOrder(std::string_view indexPage) {
    std::vector<std::string> order;
    std::set<std::string> seen;
    const std::string lower = lowerAscii(indexPage);
    for (std::size_t at = lower.find(kConverted); at != std::string::npos;
         at = lower.find(kConverted, at + 1)) {
        std::size_t start = at;
        while (start > 0 && isWaypointChar(indexPage[start - 1])) --start;
        if (start == at) continue;
        const std::string wp(indexPage.substr(start, at - start));
        if (seen.insert(wp).second) order.push_back(wp);
    }
    return order;
}

std::string htmlBodyOf(std::string_view page) {
    const std::string lower = lowerAscii(page);
    std::size_t open = lower.find("<body");
    if (open == std::string::npos) return std::string(page);
    open = lower.find('>', open);
    if (open == std::string::npos) return {};
    const std::size_t close = lower.rfind("</body");
    return std::string(
        page.substr(open + 1, (close == std::string::npos || close < open ? page.size() : close) - open - 1));
}

std::string bookletPageMark(const std::string& waypoint) {
    return std::string(kMarkStart) + waypoint + std::string(kMarkEnd);
}

std::string bookletCacheAnchor(const std::string& waypoint) {
    return "vb-cache-" + waypoint;
}

std::string buildBookletHtml(const TBookletInput& in) {
    std::string o =
        "<!DOCTYPE html>\r\n<html><head><meta "
        "charset=\"windows-1252\"><title>Tourheft</title>\r\n<style>\r\n";
    o += kStyle;
    o += "</style></head><body>\r\n";
    o += "<div class=\"vb-cover\"><h1>Tourheft</h1>\r\n<p>" + htmlEscape(in.date) + "</p>\r\n<p>" +
         htmlEscape(in.homeText) + "</p>\r\n<p>" + std::to_string(in.caches.size()) +
         (in.caches.size() == 1 ? " Cache" : " Caches") + "</p>\r\n";
    if (!in.coverMap.empty()) o += "<div class=\"vb-cover-map\">" + in.coverMap + "</div>\r\n";
    o += "</div>\r\n";
    o += "<div class=\"vb-newpage vb-contents\"><h2>Inhalt</h2>\r\n<table>\r\n";
    for (const TBookletCache& c : in.caches)
        o += "<tr><td><a href=\"#" + bookletCacheAnchor(c.waypoint) + "\">" + htmlEscape(c.waypoint) +
             "</a></td><td>" + htmlEscape(c.name) + "</td><td class=\"vb-page\">" +
             bookletPageMark(c.waypoint) + "</td></tr>\r\n";
    o += "</table></div>\r\n";
    o += std::string(kIndexStart) + "\r\n" + in.indexTable + "\r\n</div>\r\n";
    for (const TBookletCache& c : in.caches)
        o += "<div class=\"vb-newpage vb-cache\" id=\"" + bookletCacheAnchor(c.waypoint) + "\">\r\n" +
             c.body + "\r\n</div>\r\n";
    o += "</body></html>\r\n";
    return o;
}

std::vector<std::string> bookletMarkedWaypoints(std::string_view html) {
    std::vector<std::string> order;
    for (const PageMark& mark : pageMarks(html)) order.emplace_back(mark.waypoint);
    return order;
}

std::string fillBookletPageNumbers(std::string html, const std::map<std::string, int>& pages) {
    std::string filled;
    filled.reserve(html.size());
    std::size_t copied = 0;
    for (const PageMark& mark : pageMarks(html)) {
        filled.append(html, copied, mark.at - copied);
        if (const auto page = pages.find(std::string(mark.waypoint)); page != pages.end())
            filled += std::to_string(page->second);
        copied = mark.at + mark.length;
    }
    filled.append(html, copied);
    return filled;
}

TBookletInput collectBooklet(RunContext& ctx, const std::string& dir) {
    TBookletInput in;
    in.date = formatDate(ctx.now());
    in.homeText = "HOME (" + FormatLatLon(ctx.settings.HomeLat, ctx.settings.HomeLong) + ")";
    IndexPageInput page;
    page.dir = withTrailingSlash(dir);
    page.waypoints = ConvertedWaypoints(page.dir);
    page.homeName = "HOME";
    page.homeLat = ctx.settings.HomeLat;
    page.homeLon = ctx.settings.HomeLong;
    const std::string index = BuildIndexPage(ctx, page, IndexOptions{});
    in.indexTable = htmlBodyOf(index);
    for (const std::string& wp : bookletIndexOrder(index)) {
        const auto text = readFile(page.dir + wp + std::string(kConverted));
        if (!text) continue;
        TBookletCache c;
        c.waypoint = wp;
        TCacheRec rec;
        if (FindCache(ctx, wp, rec)) c.name = rec.CacheName;
        c.body = htmlBodyOf(*text);
        in.caches.push_back(std::move(c));
        // In the booklet the index leads to the cache's page rather than to its file.
        for (const char* prefix : {"\"./", "\""})
            replaceAll(in.indexTable, std::string(prefix) + wp + std::string(kConverted) + "\"",
                       "\"#" + bookletCacheAnchor(wp) + "\"");
    }
    replaceAll(in.indexTable, " target=\"_cache\"", "");
    std::vector<std::string> mapped = readWaypointListFile(ctx.workDirPath() + kWorkListFileName, nullptr);
    if (mapped.empty())
        for (const TBookletCache& c : in.caches) mapped.push_back(c.waypoint);
    in.coverMap = overviewMapSvg(ctx, mapped, kCoverMapWidth, kCoverMapHeight);
    return in;
}

std::optional<std::string> writeBookletHtml(RunContext& ctx, const std::string& dir, std::string& problem) {
    const TBookletInput input = collectBooklet(ctx, dir);
    if (input.caches.empty()) {
        problem = "Keine konvertierten Cachebeschreibungen in " + dir;
        return std::nullopt;
    }
    const std::string path = joinPath(dir, kBookletHtmlFileName);
    if (const int error = writeFileAtomic(path, buildBookletHtml(input))) {
        problem = "Datei nicht schreibbar: " + path + " (" + systemErrorText(error) + ")";
        return std::nullopt;
    }
    return path;
}

}  // namespace vellora
