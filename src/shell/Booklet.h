#pragma once
// The outing booklet as one HTML document: a cover, the contents with a page number for every
// cache, the index table, then every converted description in index order, each on a new page.
// The page numbers are known only once an HTML engine has laid the document out: the contents
// carry a mark per cache that fillBookletPageNumbers replaces after a first layout.
// Windows-1252 text; the document belongs into the directory of the descriptions (relative images).
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

class RunContext;

inline constexpr const char* kBookletFileName = "Tourheft.pdf";
// The HTML the PDF is printed from, kept beside the descriptions with its final page numbers.
inline constexpr const char* kBookletHtmlFileName = "Tourheft.html";

struct TBookletCache {
    std::string waypoint, name;
    std::string body;  // the converted description's body
};

struct TBookletInput {
    std::string date;      // "11.12.2026"
    std::string homeText;  // "HOME (N 49° 30.000 E 010° 45.000)"
    std::string indexTable;
    std::string coverMap;               // an <svg> of the work list's caches, or ""
    std::vector<TBookletCache> caches;  // in index order
};

// The waypoints the index page links to, in its order, each once.
std::vector<std::string> bookletIndexOrder(std::string_view indexPage);
// What lies between <body ...> and </body> (the whole text when there is no body tag).
std::string htmlBodyOf(std::string_view page);

// The contents' mark for a cache's page number.
std::string bookletPageMark(const std::string& waypoint);
// The anchor a cache's first page carries.
std::string bookletCacheAnchor(const std::string& waypoint);

std::string buildBookletHtml(const TBookletInput& input);
// The waypoints whose page-number marks the document carries, in their order.
std::vector<std::string> bookletMarkedWaypoints(std::string_view html);
// Replaces the marks with the numbers known; marks of caches without one become "".
std::string fillBookletPageNumbers(std::string html, const std::map<std::string, int>& pages);

// The booklet of a directory of converted descriptions: the index page of all its caches (sorted
// as the index dialog's stored options say), the caches' names from the database, on the cover the
// map of the work list's caches (of the booklet's when the work list is empty).
TBookletInput collectBooklet(RunContext& ctx, const std::string& dir);
// Writes the booklet's HTML of the directory (kBookletHtmlFileName, marks not yet filled) and
// returns its path; nothing and a German reason when there is no description or it cannot be written.
std::optional<std::string> writeBookletHtml(RunContext& ctx, const std::string& dir, std::string& problem);

}  // namespace vellora
