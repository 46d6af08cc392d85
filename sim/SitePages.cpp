#include "sim/SitePages.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/Cp1252.h"
#include "core/Koord.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "sim/Rng.h"

namespace vellora::sim {
namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void replaceAllIn(std::string& text, std::string_view from, std::string_view to) {
    replaceAll(text, from, to);
}

// Icon number of a cache type, as the site names its type images.
int typeIcon(CacheKind kind) {
    static constexpr int kIcons[kCacheKindCount] = {2, 3, 4, 5, 6, 11, 8, 12, 13, 137, 453};
    return kIcons[static_cast<int>(kind)];
}

std::string starsImage(const std::string& base, int twice) {
    const std::string value = std::to_string(twice / 2) + (twice % 2 ? ".5" : "");
    const std::string file = "stars" + std::to_string(twice / 2) + (twice % 2 ? "_5" : "") + ".gif";
    return "<img src=\"" + base + "/images/stars/" + file + "\" alt=\"" + value +
           " out of 5\" align=\"absmiddle\">";
}

std::string starsText(int twice) {
    return std::string(static_cast<std::size_t>(twice / 2), '*') + (twice % 2 ? "1/2" : "");
}

std::string logDateText(TDateTime date, TDateTime today) {
    const DateParts d = decodeDateTime(date), t = decodeDateTime(today);
    std::string s = std::string(kMonths[d.month - 1]) + " " + std::to_string(d.day);
    if (d.year != t.year) s += ", " + std::to_string(d.year);
    return s;
}

std::string logIcon(const LogEntry& log, const std::string& base) {
    const std::string q(1, log.quote);
    std::string tag = log.upperTag ? "<IMG SRC=" : "<img src=";
    if (log.iconForm == 1) return tag + q + base + "/images/" + logIconFile(log.type) + q + ">";
    return tag + q + base + "/images/icons/" + logIconFile(log.type) + q + " align=" + q + "absmiddle" + q +
           ">";
}

std::string coordText(double lat, double lon, bool utf8Degree) {
    std::string s = FormatLatLonPadded(lat, lon);
    if (utf8Degree) replaceAllIn(s, "\xB0", "\xC2\xB0");
    return s;
}

std::string spanOpen(std::string_view id, char quote) {
    return "<span id=" + std::string(1, quote) + std::string(id) + std::string(1, quote) + ">";
}

void appendHead(std::string& out, const std::string& title, const std::string& base) {
    out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" >";
    out += kEol;
    out += "<html>";
    out += kEol;
    out += "<head>";
    out += kEol;
    out += "<title>" + title + "</title>";
    out += kEol;
    out += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">";
    out += kEol;
    out += "<link href=\"" + base + "/css/main.css\" type=\"text/css\" rel=\"stylesheet\">";
    out += kEol;
    out += "<script type=\"text/javascript\" language=\"javascript\">";
    out += kEol;
    out += "<!--";
    out += kEol;
    out +=
        "function dht() { var d = document.getElementById('dk'); d.style.display = (d.style.display == "
        "'none') ? "
        "'block' : 'none'; }";
    out += kEol;
    out += "//-->";
    out += kEol;
    out += "</script>";
    out += kEol;
    out += "</head>";
    out += kEol;
}

std::string pageViewState(std::uint64_t seed) {
    // Looks like the site's hidden state; the listing page never posts it back.
    Rng r(seed);
    static constexpr char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s = "dDwtMTk";
    for (int k = 0; k < 90; ++k) s += kB64[r.below(64)];
    return s + "=";
}

std::string base64Encode(std::string_view in) {
    static constexpr char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                           (static_cast<unsigned char>(in[i + 1]) << 8) |
                           static_cast<unsigned char>(in[i + 2]);
        out += kB64[(v >> 18) & 63];
        out += kB64[(v >> 12) & 63];
        out += kB64[(v >> 6) & 63];
        out += kB64[v & 63];
    }
    if (i < in.size()) {
        unsigned v = static_cast<unsigned char>(in[i]) << 16;
        if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8;
        out += kB64[(v >> 18) & 63];
        out += kB64[(v >> 12) & 63];
        out += i + 1 < in.size() ? kB64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> base64Decode(std::string_view in) {
    std::string out;
    unsigned acc = 0;
    int bits = 0;
    for (char c : in) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            break;
        else
            return std::nullopt;
        acc = (acc << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    return out;
}

}  // namespace

std::string utmText(double lat, double lon) {
    constexpr double a = 6378137.0, f = 1 / 298.257223563, k0 = 0.9996;
    const double e2 = f * (2 - f), ep2 = e2 / (1 - e2);
    const int zone = std::clamp(static_cast<int>(std::floor((lon + 180) / 6)) + 1, 1, 60);
    const double lon0 = ((zone - 1) * 6 - 180 + 3) * kPi / 180;
    const double phi = lat * kPi / 180, lam = lon * kPi / 180;
    const double sinp = std::sin(phi), cosp = std::cos(phi), tanp = std::tan(phi);
    const double N = a / std::sqrt(1 - e2 * sinp * sinp);
    const double T = tanp * tanp, C = ep2 * cosp * cosp, A = cosp * (lam - lon0);
    const double e4 = e2 * e2, e6 = e4 * e2;
    const double M =
        a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
             (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
             (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) - (35 * e6 / 3072) * std::sin(6 * phi));
    const double east = k0 * N *
                            (A + (1 - T + C) * A * A * A / 6 +
                             (5 - 18 * T + T * T + 72 * C - 58 * ep2) * std::pow(A, 5) / 120) +
                        500000.0;
    double north = k0 * (M + N * tanp *
                                 (A * A / 2 + (5 - T + 9 * C + 4 * C * C) * std::pow(A, 4) / 24 +
                                  (61 - 58 * T + T * T + 600 * C - 330 * ep2) * std::pow(A, 6) / 720));
    if (lat < 0) north += 10000000.0;
    static constexpr char kBands[] = "CDEFGHJKLMNPQRSTUVWXX";
    const int band = std::clamp(static_cast<int>(std::floor((lat + 80) / 8)), 0, 20);
    return std::to_string(zone) + kBands[band] + " E " + std::to_string(std::lround(east)) + " N " +
           std::to_string(std::lround(north));
}

std::string renderListingPage(const World& world, int i, const SiteAddresses& site, bool logAll,
                              bool printerFriendly) {
    const CacheDetails d = world.details(i);
    const std::string& B = site.base;
    const std::string wp = world.waypoint(i);
    const CacheKind kind = world.kind(i);
    const auto text = [&d](std::string_view s) { return d.utf8Text ? toRepairableUtf8(s) : std::string(s); };
    const auto fill = [&](std::string s) {
        replaceAllIn(s, "{BASE}", B);
        replaceAllIn(s, "{IMGHOST}", site.imageHost);
        return text(s);
    };
    const char q = d.spanQuote;
    const std::string name = text(htmlEscape(d.name));
    const std::string owner = text(htmlEscape(d.owner));
    const DateParts hidden = decodeDateTime(world.hiddenDate(i));

    std::string o;
    o.reserve(24000 + d.logs.size() * 700);
    appendHead(o, "(" + wp + ") " + name + " by " + owner, B);
    o += "<body bgcolor=\"#FFFFFF\" leftmargin=\"0\" topmargin=\"0\">";
    o += kEol;
    o += "<form name=\"Form1\" method=\"post\" action=\"cache_details.aspx?wp=" + wp +
         "&amp;Submit6=Find&amp;log=y\" "
         "id=\"Form1\">";
    o += kEol;
    o += "<input type=\"hidden\" name=\"__VIEWSTATE\" value=\"" +
         pageViewState(mixHash(world.params().seed, 0x7A6E, world.core(i).id)) + "\" />";
    o += kEol;
    if (!printerFriendly) {
        o += "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" "
             "class=\"header\"><tr><td><a href=\"" +
             B + "/\"><img src=\"" + B + "/images/logo.gif\" border=\"0\" alt=\"Listing Site\"></a></td>";
        o += "<td align=\"right\"><a href=\"" + B + "/seek/\">Hide &amp; Seek</a> | <a href=\"" + B +
             "/track/\">Trackables</a> | <a href=\"" + B + "/login/\">Log in</a></td></tr></table>";
        o += kEol;
    }
    o += "<table width=\"100%\" cellpadding=\"4\"><tr><td valign=\"top\">";
    o += kEol;
    o += "<img src=\"" + B + "/images/WptTypes/" + std::to_string(typeIcon(kind)) +
         ".gif\" width=\"32\" height=\"32\" alt=\"" + cacheTypeText(kind) + "\" align=\"left\">";
    o += "<font size=\"4\"><strong>" + spanOpen("CacheName", q) + name + "</span></strong></font><br>";
    o += kEol;
    o += spanOpen("CacheOwner", q) + "<font size=\"2\">by " + owner + " [<a href=\"" + B +
         "/profile/?guid=" + d.ownerGuid + "\">view other caches hidden by this user</a>]</font></span><br>";
    o += kEol;
    o += std::string("<font size=\"2\">") + (isEventKind(kind) ? "Event Date" : "Hidden") + ": <strong>" +
         spanOpen("DateHidden", q) + twoDigits(hidden.month) + "/" + twoDigits(hidden.day) + "/" +
         std::to_string(hidden.year) + "</span></strong></font><br>";
    o += kEol;
    const auto rating = [&](std::string_view id, int twice) {
        return spanOpen(id, q) + (printerFriendly ? starsText(twice) : starsImage(B, twice)) + "</span>";
    };
    o += "<font size=\"2\">Difficulty: " + rating("Difficulty", world.core(i).diff2) + "</font><br>";
    o += kEol;
    o += "<font size=\"2\">Terrain: " + rating("Terrain", world.core(i).terr2) + "</font><br>";
    o += kEol;
    const std::string sizeName = sizeText(world.sizeKind(i));
    o += "<font size=\"2\">Size: <img src=\"" + B + "/images/icons/container/" + lowerAscii(sizeName) +
         ".gif\" alt=\"Size: " + sizeName + "\" align=\"absmiddle\">&nbsp;<small>(" + sizeName +
         ")</small></font><br>";
    o += kEol;
    o += "<font size=\"2\">Waypoint: <strong>" + spanOpen("WaypointName", q) + wp + "</span></strong></font>";
    o += kEol;
    o += "</td><td valign=\"top\" align=\"right\">";
    o += kEol;
    o += spanOpen("lnkDetails", q) + "<a href=\"" + B +
         "/my/watchlist.aspx?w=" + std::to_string(world.core(i).id) + "\"><img src=\"" + B +
         "/images/icons/icon_watchlist.gif\" border=\"0\" align=\"absmiddle\">Watch This Cache</a>";
    if (d.watchers > 0)
        o += "<br><font size=\"1\"><strong>" + std::to_string(d.watchers) +
             "</strong> user(s) watching this cache.</font>";
    o += "</span>";
    o += kEol;
    o += "</td></tr></table>";
    o += kEol;

    o += "<p><font size=\"3\"><strong>" + spanOpen("LatLon", q) +
         coordText(world.lat(i), world.lon(i), d.utf8Degree) +
         "</span></strong></font> <font size=\"1\">(WGS84)</font><br>";
    o += kEol;
    o += "<font size=\"1\">" + spanOpen("UTMFormat", q) + "UTM: " + utmText(world.lat(i), world.lon(i)) +
         "</span></font><br>";
    o += kEol;
    o += spanOpen("Location", q) + "In " + text(d.region) + ", " + world.country(i).DB_CName + "</span></p>";
    o += kEol;

    o += spanOpen("ErrorText", q);
    if (world.archived(i))
        o += "<font color=\"#990000\"><strong>Cache Issues:</strong><ul><li>This cache has been archived, "
             "but is "
             "available for viewing for archival purposes.</li></ul></font>";
    else if (world.disabled(i))
        o += "<font color=\"#990000\"><strong>Cache Issues:</strong><ul><li>This cache is temporarily "
             "unavailable. Read "
             "the logs below to read the status for this cache.</li></ul></font>";
    o += "</span>";
    o += kEol;

    if (!d.shortDescription.empty()) {
        o += "<p>" + spanOpen("ShortDescription", q) + "<P>" + text(d.shortDescription) + "</P></span></p>";
        o += kEol;
    }
    o += "<BLOCKQUOTE>" + spanOpen("LongDescription", q) + fill(d.longDescription) + "</span></BLOCKQUOTE>";
    o += kEol;

    // Hint: the site sends it ROT13-encoded except for the bracketed parts.
    std::string hint = d.hint;
    {
        bool inBracket = false;
        for (char& c : hint) {
            if (c == '[') inBracket = true;
            if (c == ']') inBracket = false;
            if (!inBracket) c = rot13Char(c);
        }
        // "<oe>" must stay a line break.
        replaceAllIn(hint, "<oe>", "<br>");
    }
    o += "<p><STRONG>Additional Hints&nbsp;(<a id=\"Encrypt\" "
         "href=\"javascript:dht()\">Decrypt</a>)</STRONG><br>";
    o += kEol;
    o += "<span id=\"Hints\" class=\"displayMe\">" + text(hint) + "</span></p>";
    o += kEol;
    o += "<div id=\"dk\" style=\"display: block;\"><font size=\"1\">Decryption "
         "Key<br>A|B|C|D|E|F|G|H|I|J|K|L|M<br>"
         "-------------------------<br>N|O|P|Q|R|S|T|U|V|W|X|Y|Z<br>(letter above equals below, and vice "
         "versa)</font></div>";
    o += kEol;

    o += "<table width=\"250\" border=\"1\" cellpadding=\"3\"><tr><td><b>Travel Bugs</b><br>";
    o += kEol;
    o += "<span id=\"lnkTravelBugs\">";
    if (d.bugs.empty()) o += "There are no Travel Bugs in this cache.<br>";
    for (const auto& bug : d.bugs)
        o += "<img src=\"" + B + "/images/wpttypes/sm/21.gif\" width=\"16\"> <a href=\"" + B +
             "/track/details.aspx?guid=" + bug.guid + "\">" + text(htmlEscape(bug.name)) + "</a><br>";
    o += "<a href=\"" + B + "/track/faq.aspx\">What are Travel Bugs?</a></span>";
    o += kEol;
    o += "</td></tr></table>";
    o += kEol;
    o += spanOpen("LargeMap", q) + "<a href=\"" + B +
         "/map/default.aspx?lat=" + decimalDegrees(world.core(i).latE6) +
         "&amp;lng=" + decimalDegrees(world.core(i).lonE6) + "\">View larger map</a></span>";
    o += kEol;

    if (!d.waypoints.empty()) {
        o += "<p><strong>Additional Waypoints</strong></p>";
        o += kEol;
        o += "<table border=\"0\" width=\"100%\" class=\"Table\">";
        o += kEol;
        o += "<tr><th>&nbsp;</th><th>&nbsp;</th><th>Prefix</th><th>Lookup</th><th>Name</th><th>Coordinate</"
             "th></tr>";
        o += kEol;
        int row = 0;
        for (const auto& a : d.waypoints) {
            const std::string td = "<td valign=\"top\" align=\"left\">";
            ++row;
            o += std::string("<tr bgcolor=\"") + (row % 2 ? "#eeeeee" : "#dddddd") + "\">" + td +
                 "<img src=\"" + B + "/images/icons/icon_viewable.gif\"></td>" + td + "<img src=\"" + B +
                 "/images/wpttypes/sm/" + lowerAscii(a.prefix.substr(0, 2)) + ".jpg\"></td>" + td + a.prefix +
                 "</td>" + td + a.lookup + "</td>" + td + "<a href=\"" + B +
                 "/seek/wpt.aspx?WID=" + guidText(world.core(i).id, static_cast<std::uint64_t>(row)) + "\">" +
                 text(htmlEscape(a.name)) + "</a> (" + a.typeText + ")</td>" + td +
                 (a.hasCoords ? coordText(a.lat, a.lon, d.utf8Degree) : std::string("???")) + "</td></tr>";
            o += kEol;
            if (!a.note.empty()) {
                o += "<tr bgcolor=\"#FFFFFF\">" + td +
                     "</td><td colspan=\"6\">Note: " + text(htmlEscape(a.note)) + "</td></tr>";
                o += kEol;
            }
        }
        o += "</table>";
        o += kEol;
    }

    if (!d.images.empty()) {
        // One line: a line break in the span would become part of a title or description.
        o += "<p>" + spanOpen("Images", q) + "<font size=\"2\">";
        for (const auto& img : d.images) {
            const std::string url = site.imageHost + "/cache/" + img.file;
            o += "<img src=\"" + B + "/images/icons/camera.gif\">&nbsp;";
            if (img.onMouse)
                o += "<a href=\"" + url +
                     "\" onmouseover=\"showPreview(this)\" onmouseout=\"hidePreview()\"><img src=\"" +
                     site.imageHost + "/cache/thumb/" + img.file + "\" border=\"0\"></a>";
            o += "<a href=\"" + url + "\" target=\"_blank\">" + text(htmlEscape(img.title)) + "</a><br>" +
                 text(htmlEscape(img.description)) + "<br><br>";
        }
        o += "</font></span></p>";
        o += kEol;
    }

    o += "<p>" + spanOpen("NumVisits", q) + "<font size=\"2\"><b>" + std::to_string(d.visits) +
         "</b> Logged Visits <a href=\"" + B + "/seek/cache_details.aspx?wp=" + wp +
         "&amp;log=y\">(show all)</a></font></span></p>";
    o += kEol;

    if (!d.logs.empty()) {
        o += spanOpen("CacheLogs", q) +
             "<table class=\"LogsTable\" border=\"0\" cellpadding=\"5\" cellspacing=\"5\" WIDTH=\"90%\">";
        o += kEol;
        const std::size_t shown = logAll ? d.logs.size() : std::min<std::size_t>(5, d.logs.size());
        for (std::size_t k = 0; k < shown; ++k) {
            const LogEntry& log = d.logs[k];
            const std::uint64_t g = mixHash(world.core(i).id, log.logId);
            o += "<tr><td class=\"AlternatingRow\"><font size=\"2\"><strong>" + logIcon(log, B) +
                 logDateText(log.date, world.today()) + " by <A NAME=\"" + std::to_string(log.logId) +
                 "\"><a href=\"" + B + "/profile/?guid=" + guidText(g, g >> 7) + "\">" +
                 text(htmlEscape(log.finder)) + "</a></strong> (" + std::to_string(log.finderFinds) +
                 " found)<br>" + text(log.text) + "<br><br>[<a href=\"" + B +
                 "/seek/log.aspx?LUID=" + guidText(g >> 3, g) +
                 "\" title=\"View Log\">visit log</a>]</font></td></tr>";
            o += kEol;
        }
        o += "</table></span>";
        o += kEol;
    }
    o += "<p><font size=\"1\">Use of this site is subject to its terms of use.</font></p>";
    o += kEol;
    o += "</form>";
    o += kEol;
    o += "</body>";
    o += kEol;
    o += "</html>";
    o += kEol;
    return o;
}

std::string renderErrorPage(const SiteAddresses& site) {
    std::string o;
    appendHead(o, "Error", site.base);
    o += "<body>";
    o += kEol;
    o += "<h2>Sorry, an error has occurred.</h2>";
    o += kEol;
    o += "<p>The cache you are looking for does not exist, or the address is not valid. <a href=\"" +
         site.base + "/seek/\">Search again</a>.</p>";
    o += kEol;
    o += "</body>";
    o += kEol;
    o += "</html>";
    o += kEol;
    return o;
}

std::string listingDateText(TDateTime date, TDateTime today) {
    const int days = static_cast<int>(std::floor(today) - std::floor(date));
    if (days == 0) return "Today";
    if (days == 1) return "Yesterday";
    if (days > 1 && days < 7) return std::to_string(days) + " days ago";
    const DateParts d = decodeDateTime(date);
    return std::to_string(d.day) + " " + kShortMonths[d.month - 1] + " " + twoDigits(d.year % 100);
}

int findsPageCount(int totalFinds) {
    return (totalFinds + kFindsPerPage - 1) / kFindsPerPage;
}

std::string findsViewState(const World& world, std::string_view userName, int page) {
    const std::uint64_t user = hashText(upperCase(userName), world.params().seed);
    std::string raw = "t<-" + std::to_string(user % 1000000007) + ";p" + std::to_string(page) + ";u" +
                      hexText(user, 16) + ";>";
    Rng r(mixHash(user, static_cast<std::uint64_t>(page)));
    for (int k = 0; k < 96; ++k) raw += static_cast<char>(r.below(256));
    return base64Encode(raw);
}

std::optional<int> findsPostBackPage(const World& world, std::string_view userName,
                                     std::string_view viewState, std::string_view eventTarget) {
    const auto raw = base64Decode(viewState);
    if (!raw) return std::nullopt;
    const std::uint64_t user = hashText(upperCase(userName), world.params().seed);
    const auto p = raw->find(";p");
    const auto u = raw->find(";u" + hexText(user, 16) + ";");
    if (p == std::string::npos || u == std::string::npos || u < p) return std::nullopt;
    int page = 0;
    for (std::size_t k = p + 2; k < u && (*raw)[k] >= '0' && (*raw)[k] <= '9'; ++k)
        page = page * 10 + ((*raw)[k] - '0');
    const int pages = std::max(1, findsPageCount(static_cast<int>(world.finds(userName).size())));
    if (page < 1 || page > pages) return std::nullopt;

    // "ResultsPager:_ctlN" (the program posts ":"; a browser would post "$").
    std::string target = upperCase(eventTarget);
    replaceAllIn(target, "$", ":");
    constexpr std::string_view kPrefix = "RESULTSPAGER:_CTL";
    if (target.compare(0, kPrefix.size(), kPrefix) != 0) return page;
    int control = 0;
    for (std::size_t k = kPrefix.size(); k < target.size() && target[k] >= '0' && target[k] <= '9'; ++k)
        control = control * 10 + (target[k] - '0');
    // Controls: 0 first, 1 previous, 2..11 the pages of the current block of ten, 12 next, 13 last.
    const int blockStart = (page - 1) / 10 * 10 + 1;
    int next = page;
    if (control == 0)
        next = 1;
    else if (control == 1)
        next = page - 1;
    else if (control <= 11)
        next = blockStart + control - 2;
    else if (control == 12)
        next = page + 1;
    else if (control == 13)
        next = pages;
    return std::clamp(next, 1, pages);
}

std::string renderViewStateErrorPage() {
    std::string o = "<html><head><title>Server Error</title></head><body>";
    o += kEol;
    o += "<h1>Server Error in '/' Application.</h1>";
    o += kEol;
    o += "<h2><i>The View State is invalid for this page and might be corrupted.</i></h2>";
    o += kEol;
    o += "</body></html>";
    o += kEol;
    return o;
}

std::string renderFindsPage(const World& world, std::string_view userName, int page,
                            const SiteAddresses& site) {
    const std::string& B = site.base;
    const std::vector<Find> finds = world.finds(userName);
    const int total = static_cast<int>(finds.size());
    const int pages = findsPageCount(total);
    page = std::clamp(page, 1, std::max(1, pages));
    const std::string user = htmlEscape(userName);
    std::string encodedUser;
    for (char c : utf8FromCp1252(userName)) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) && u < 128)
            encodedUser += c;
        else if (c == ' ')
            encodedUser += '+';
        else {
            encodedUser += '%';
            encodedUser += hexText(u, 2);
        }
    }

    // The pager cell: total, position, links of the current block of ten, "Next" while there is one.
    std::string pager = "<td class=\"paging\" colspan=\"4\">Total Records: <b>" + std::to_string(total) +
                        "</b> - Page: <b>" + std::to_string(page) + "</b> of <b>" + std::to_string(pages) +
                        "</b> - ";
    const auto link = [](int control, const std::string& label) {
        return "<a href=\"javascript:__doPostBack('ResultsPager$_ctl" + std::to_string(control) + "','')\">" +
               label + "</a> ";
    };
    if (page > 1) pager += link(0, "<b>&lt;&lt;</b>") + link(1, "<b>&lt; Prev</b>");
    const int blockStart = (page - 1) / 10 * 10 + 1;
    for (int p = blockStart; p < blockStart + 10 && p <= pages; ++p)
        pager += p == page ? "<b>[" + std::to_string(p) + "]</b> "
                           : link(2 + p - blockStart, "<b>" + std::to_string(p) + "</b>");
    if (page < pages) pager += link(12, "<b>Next</b>") + link(13, "<b>&gt;&gt;</b>");
    pager += "</td>";

    std::string o;
    appendHead(o, "Geocache Search Results", B);
    o += "<body>";
    o += kEol;
    o += "<form name=\"Form1\" method=\"post\" action=\"nearest.aspx?ul=" + encodedUser +
         "&amp;submit4=Find\" id=\"Form1\">";
    o += kEol;
    o += "<input type=\"hidden\" name=\"__EVENTTARGET\" value=\"\" />";
    o += kEol;
    o += "<input type=\"hidden\" name=\"__EVENTARGUMENT\" value=\"\" />";
    o += kEol;
    o += "<input type=\"hidden\" name=\"__VIEWSTATE\" value=\"" + findsViewState(world, userName, page) +
         "\" />";
    o += kEol;
    o += "<script language=\"javascript\" type=\"text/javascript\">";
    o += kEol;
    o +=
        "function __doPostBack(eventTarget, eventArgument) { var f = document.Form1; f.__EVENTTARGET.value = "
        "eventTarget.split('$').join(':'); f.__EVENTARGUMENT.value = eventArgument; f.submit(); }";
    o += kEol;
    o += "</script>";
    o += kEol;
    o += "<h2>Caches found by " + user + "</h2>";
    o += kEol;
    o += "<table class=\"SearchResultsTable\" border=\"0\" cellpadding=\"3\" width=\"100%\">";
    o += kEol;
    o += "<tr>" + pager + "</tr>";
    o += kEol;
    o += "<tr class=\"header\"><th>Type</th><th>D/T</th><th>Name</th><th>Found</th></tr>";
    o += kEol;
    const int first = (page - 1) * kFindsPerPage;
    for (int k = first; k < std::min(total, first + kFindsPerPage); ++k) {
        const int c = finds[static_cast<std::size_t>(k)].cache;
        o += std::string("<tr bgcolor=\"") + (k % 2 ? "#EEEEEE" : "#FFFFFF") + "\">";
        o += kEol;
        o += "<td valign=\"top\"><img src=\"" + B + "/images/WptTypes/" +
             std::to_string(typeIcon(world.kind(c))) + ".gif\" alt=\"" + cacheTypeText(world.kind(c)) +
             "\" width=\"22\"></td>";
        o += kEol;
        o += "<td valign=\"top\">(" + world.difficultyText(c) + "/" + world.terrainText(c) + ")</td>";
        o += kEol;
        o += "<td valign=\"top\"><a href=\"" + B + "/seek/cache_details.aspx?guid=" + world.cacheGuid(c) +
             "\">" + htmlEscape(world.name(c)) + "</a> by " + htmlEscape(world.owner(c)) +
             "<br><font size=\"1\">(" + world.waypoint(c) + ")<br>" + world.country(c).DB_CName +
             "</font></td>";
        o += kEol;
        o += "<td valign=\"top\" nowrap>" +
             listingDateText(finds[static_cast<std::size_t>(k)].date, world.today()) + "</td>";
        o += kEol;
        o += "</tr>";
        o += kEol;
    }
    o += "<tr>" + pager + "</tr>";
    o += kEol;
    o += "</table>";
    o += kEol;
    o += "</form>";
    o += kEol;
    o += "</body>";
    o += kEol;
    o += "</html>";
    o += kEol;
    return o;
}

}  // namespace vellora::sim
