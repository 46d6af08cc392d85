#include "import/GpxListingPage.h"

#include "core/FileUtil.h"
#include "core/HtmlClean.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/SafePath.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/XmlText.h"

namespace vellora {
namespace {

constexpr const char* kNotice =
    "<BLOCKQUOTE><span id=\"LongDescription\"><table border=\"1\" width=\"100%\"><tr><td><center><strong>*** "
    "ACHTUNG ***</strong></center></td></tr><tr><td><p>Diese Beschreibung wurde aus einer GPX-Datei "
    "(PocketQuery) geladen. Sie ist deshalb m&ouml;glicherweise nicht vollst&auml;ndig. Fehlende Elemente "
    "k&ouml;nnen sein:</p><ul><li>Koordinaten im UTM-Format</li><li>Anzahl Besuche</li><li>Logeintr&auml;ge, "
    "falls diese 5 &uuml;bersteigen</li><li>S&auml;mtliche Cache-Images</li></ul><p>Vor der Cachesuche wird "
    "empfohlen, die Originalbeschreibung anzusehen!</p></td></tr></table><br>\r\n";

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// Characters first..first+count-1 (1-based) as far as the text reaches.
std::string chars(const std::string& text, std::size_t first, std::size_t count) {
    if (first - 1 >= text.size()) return {};
    return text.substr(first - 1, count);
}

std::string trimBoth(const std::string& text) {
    return trimLeadingControl(trimTrailingControl(text));
}

// The value of a tag from the first line holding it: the line behind the tag, up to its first "<".
std::string lineValue(const std::vector<std::string>& lines, const std::string& tag) {
    for (const std::string& line : lines) {
        if (line.find(tag) == std::string::npos) continue;
        std::string rest = line.size() > tag.size() ? line.substr(tag.size()) : std::string();
        const std::size_t lt = rest.find('<');
        if (lt != std::string::npos) rest.erase(lt);
        return rest;
    }
    return {};
}

// Short or long description: the element's content as the owner wrote it. The file holds HTML
// escaped once as XML text; plain text is escaped for HTML and keeps its line breaks.
std::string description(const std::string& text, const std::string& element) {
    const std::string open = "<groundspeak:" + element;
    const std::string close = "</groundspeak:" + element + ">";
    const std::size_t begin = text.find(open);
    if (begin == std::string::npos) return {};
    const std::size_t end = text.find(close, begin);
    if (end == std::string::npos) return {};
    const std::string whole = text.substr(begin, end - begin);
    std::string body = whole;
    const std::size_t gt = body.find('>');
    body = gt == std::string::npos ? std::string() : body.substr(gt + 1);
    body = trimLeadingControl(trimTrailingControl(body));
    body = decodeXmlText(body);
    if (upperCase(whole).find("HTML=\"TRUE\"") != std::string::npos) return body;
    // The break stays beside its <br>: the converted short description drops every tag, and its
    // lines must not run together there.
    replaceAll(body, "\r\n", "\n");
    replaceAll(body, "\r", "\n");
    body = htmlEscape(body);
    replaceAll(body, "\n", "<br>\r\n");
    return body;
}

std::string logIcon(const std::string& type, const std::string& imageHost) {
    const std::string t = upperCase(type);
    const char* icon = "icon_note.gif";
    if (t == "FOUND IT")
        icon = "icon_smile.gif";
    else if (t == "PUBLISH LISTING")
        icon = "icon_greenlight.gif";
    else if (t == "DIDN'T FIND IT")
        icon = "icon_sad.gif";
    else if (t == "WILL ATTEND")
        icon = "icon_rsvp.gif";
    else if (t == "ATTENDED")
        icon = "icon_attended.gif";
    else if (t == "TEMPORARILY DISABLE LISTING")
        icon = "icon_redlight.gif";
    else if (t == "ENABLE LISTING")
        icon = "icon_enabled.gif";
    return "<IMG SRC=\"" + imageHost + "/images/icons/" + icon + "\">";
}

void writeLogs(std::string logs, const std::string& imageHost, std::vector<std::string>& out) {
    out.push_back("<span id=\"CacheLogs\">");
    out.push_back(
        "  <table WIDTH=\"90%\" border=\"0\" cellpadding=\"5\" cellspacing=\"5\" BGCOLOR=\"#EEEEEE\">");
    logs = trimBoth(logs);
    logs = logs.size() > 37 ? trimBoth(logs.substr(18, logs.size() - 37)) : std::string();
    std::string log;
    while (cutSpan(logs, log, "<groundspeak:log id=", "</groundspeak:log>")) {
        dropThrough(log, ">");
        log.erase(log.size() - std::min<std::size_t>(log.size(), 18));
        std::string date, type, finder, text;
        if (!cutInner(log, date, "<groundspeak:date>", "</groundspeak:date>") ||
            !cutInner(log, type, "<groundspeak:type>", "</groundspeak:type>") ||
            !cutInner(log, finder, "<groundspeak:finder", "</groundspeak:finder>") ||
            !cutInner(log, text, "<groundspeak:text", "</groundspeak:text>"))
            continue;
        dropThrough(finder, ">");
        dropThrough(text, ">");
        const auto month = parseInt(chars(date, 6, 2));
        const std::string monthName = month && *month >= 1 && *month <= 12 ? kMonths[*month - 1] : "???";
        out.push_back("    <tr>");
        out.push_back("      <td VALIGN='TOP' ALIGN='LEFT'>");
        out.push_back("<font face='Verdana' size='2'><STRONG>\r\n" + logIcon(type, imageHost) + "&nbsp;" +
                      monthName + " " + chars(date, 9, 2) + ", " + chars(date, 1, 4) +
                      " by <A NAME=\"0000000\"><A "
                      "HREF=\"../profile/?guid=00000000-0000-0000-0000-000000000000\">" +
                      finder + "</A></strong> (1 found)<br>\r\n");
        replaceAll(text, "\r\n", "<BR>");
        out.push_back(text);
        out.push_back("<br>");
        out.push_back("</font>");
        out.push_back("      </td>");
        out.push_back("    </tr>");
    }
    out.push_back("  </table>");
    out.push_back("</span>");
}

}  // namespace

std::vector<std::string> gpxTrimmedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(trimLeadingControl(std::string_view(text).substr(start, end - start)));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

namespace {

// The name of a tag ("<name>", "</name>", "<x:y a=\"1\"/>" give "name", "name", "x:y").
std::string_view tagName(std::string_view tag) {
    std::size_t from = tag.size() > 1 && tag[1] == '/' ? 2 : 1;
    std::size_t to = from;
    while (to < tag.size() && tag[to] != ' ' && tag[to] != '\t' && tag[to] != '\r' && tag[to] != '\n' &&
           tag[to] != '/' && tag[to] != '>')
        ++to;
    return tag.substr(from, to - from);
}

// Where the tag at i ends (behind its ">"), quoted attribute values and comments skipped.
std::size_t tagEnd(std::string_view text, std::size_t i) {
    if (text.substr(i, 4) == "<!--") {
        const std::size_t close = text.find("-->", i + 4);
        return close == std::string_view::npos ? text.size() : close + 3;
    }
    char quote = 0;
    for (std::size_t k = i + 1; k < text.size(); ++k) {
        const char c = text[k];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return k + 1;
        }
    }
    return text.size();
}

}  // namespace

std::vector<std::string> gpxElementLines(const std::string& element) {
    // Two tags with nothing but blanks between stand on lines of their own, as a pocket query writes
    // them, unless the second closes the element the first opened; a file already written that way
    // keeps its lines.
    std::string text;
    text.reserve(element.size() + element.size() / 16);
    bool afterTag = false, afterStartTag = false;
    std::size_t blanksFrom = 0;
    std::string_view lastStart;
    const std::string_view all(element);
    std::size_t i = 0;
    while (i < all.size()) {
        const char c = all[i];
        if (all.substr(i, 9) == "<![CDATA[") {
            const std::size_t close = all.find("]]>", i + 9);
            const std::size_t end = close == std::string_view::npos ? all.size() : close + 3;
            text.append(all.substr(i, end - i));
            afterTag = false;
            i = end;
            continue;
        }
        if (c == '<') {
            const std::size_t end = tagEnd(all, i);
            const std::string_view tag = all.substr(i, end - i);
            const bool endTag = tag.size() > 1 && tag[1] == '/';
            const bool startTag = !endTag && tag.size() > 1 && tag[1] != '!' && tag[1] != '?' &&
                                  tag.substr(tag.size() >= 2 ? tag.size() - 2 : 0) != "/>";
            if (afterTag && !(endTag && afterStartTag && tagName(tag) == lastStart)) {
                text.erase(blanksFrom);
                text += "\r\n";
            }
            text.append(tag);
            afterTag = true;
            afterStartTag = startTag;
            if (startTag) lastStart = tagName(tag);
            blanksFrom = text.size();
            i = end;
            continue;
        }
        text += c;
        if (c != ' ' && c != '\t') afterTag = false;
        ++i;
    }
    return gpxTrimmedLines(text);
}

std::optional<std::string> gpxListingPageText(const std::vector<std::string>& trimmedLines,
                                              const std::string& waypoint, const std::string& listingSite,
                                              const std::string& imageHost,
                                              const std::string& additionalWaypoints) {
    const std::string nameLine = "<name>" + waypoint + "</name>";
    std::size_t nameAt = 0;
    // The waypoint comes upper-cased; the file may spell it otherwise.
    while (nameAt < trimmedLines.size() && !equalsNoCase(trimmedLines[nameAt], nameLine)) ++nameAt;
    if (nameAt == 0 || nameAt >= trimmedLines.size()) return std::nullopt;
    std::size_t first = nameAt;
    while (first > 0 && trimmedLines[first - 1].rfind("<wpt", 0) != 0) --first;
    if (first == 0) return std::nullopt;
    --first;
    std::size_t last = nameAt + 1;
    while (last < trimmedLines.size() && trimmedLines[last].rfind("</wpt>", 0) != 0) ++last;
    const std::vector<std::string> lines(trimmedLines.begin() + static_cast<std::ptrdiff_t>(first),
                                         trimmedLines.begin() + static_cast<std::ptrdiff_t>(last));
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }

    std::vector<std::string> out;
    out.push_back("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
    out.push_back("<html><HEAD>");
    out.push_back("  <title>(" + lineValue(lines, "<name>") + ") " + lineValue(lines, "<urlname>") +
                  "</title>");
    out.push_back("  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">");
    out.push_back("</head>");
    out.push_back("<body>");
    out.push_back("<span id=\"CacheName\">" + lineValue(lines, "<groundspeak:name>") + "</span>");
    out.push_back("<span id=\"CacheOwner\"><b><font size=\"2\">by " +
                  lineValue(lines, "<groundspeak:placed_by>") + " [<A HREF=\"" + listingSite +
                  "/profile/?guid=abc\">profile</A>]</font></b></span>");
    out.push_back("<span id=\"Location\">In " + lineValue(lines, "<groundspeak:country>") + "</span>");
    const std::string time = lineValue(lines, "<time>");
    out.push_back("<span id=\"DateHidden\">" + chars(time, 6, 2) + "/" + chars(time, 9, 2) + "/" +
                  chars(time, 1, 4) + "</span>");
    out.push_back("<span id=\"WaypointName\">" + waypoint + "</span>");
    const auto stars = [&](const char* id, const std::string& value) {
        return std::string("<span id=\"") + id + "\"><IMG SRC=\"" + imageHost +
               "/images/stars/stars1.gif\" alt=\"" + value + " out of 5\" title=\"" + value +
               " out of 5\"></span>";
    };
    out.push_back(stars("Difficulty", lineValue(lines, "<groundspeak:difficulty>")));
    out.push_back(stars("Terrain", lineValue(lines, "<groundspeak:terrain>")));
    if (!additionalWaypoints.empty()) out.push_back(additionalWaypoints);
    if (const std::string s = description(text, "short_description"); !s.empty())
        out.push_back("<span id=\"ShortDescription\">" + s + "</span>");
    if (const std::string l = description(text, "long_description"); !l.empty())
        out.push_back(kNotice + l + "</span></BLOCKQUOTE>");
    std::string rest = text, piece;
    if (cutSpan(rest, piece, "<groundspeak:encoded_hints>", "</groundspeak:encoded_hints>")) {
        std::string hint = piece.substr(27, piece.size() - 27 - 28);
        rot13Text(hint);
        out.push_back("<span id=\"Hints\">" + hint + "</span>");
    }
    rest = text;
    if (cutSpan(rest, piece, "<groundspeak:logs>", "</groundspeak:logs>")) writeLogs(piece, imageHost, out);
    out.push_back("</body>");
    out.push_back("</HTML>");

    std::string page;
    for (const std::string& line : out) page += line + "\r\n";
    return page;
}

bool WriteGpxListingPage(const RunContext& ctx, const std::vector<std::string>& trimmedLines,
                         const std::string& waypoint, const std::string& additionalWaypoints) {
    const auto page = gpxListingPageText(trimmedLines, waypoint, ctx.services.listingSite,
                                         ctx.services.imageHost, additionalWaypoints);
    const auto path = safeJoin(ctx.outDirPath(), waypoint + ".html");
    if (!page || !path) return false;
    return writeFileAtomic(*path, *page) == 0;
}

}  // namespace vellora
