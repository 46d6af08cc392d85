#pragma once
// A saved listing page of the cache GCEVIL that carries every kind of active content in every
// field the description generator takes: scripts (inline and loaded), frames, objects, embeds,
// stylesheets, event attributes, javascript: links, a refresh, an <image>, srcset, CSS url(...).
// Everything it would load points at base (a recording server in the browser test); every script
// would write a text starting with kActiveMarker into the page.
#include <string>
#include <vector>

#include "core/StrUnit.h"

namespace vellora::test {

inline constexpr const char* kActiveMarker = "AKTIV-";

// The harmless text of the page, which must all reach the converted description (a frame's
// fallback text is not shown by browsers and goes with the frame).
inline const std::vector<std::string>& hostilePageTexts() {
    static const std::vector<std::string> texts = {
        "Gef\xE4hrlicher Cache", "Kurzbeschreibung bleibt", "Langtext Anfang",     "fett bleibt",
        "Objekt-Ersatz",         "Link-Text bleibt",        "Stil-Text bleibt",    "Langtext Ende",
        "Hinweis bleibt",        "Logtext bleibt",          "Wegpunkt-Text bleibt"};
    return texts;
}

inline std::string hostileListingPage(const std::string& base) {
    const auto write = [](const std::string& what) {
        return "document.body.insertAdjacentHTML('beforeend','" + std::string(kActiveMarker) + what + "')";
    };
    const std::string active =
        "<script>" + write("SKRIPT") + "</script>" + "<script src=\"" + base + "/script.js\"></script>" +
        "<iframe src=\"" + base + "/frame.html\">Rahmen-Ersatz</iframe>" + "<object data=\"" + base +
        "/object.swf\">Objekt-Ersatz</object>" + "<embed src=\"" + base + "/embed.swf\">" +
        "<link rel=\"stylesheet\" href=\"" + base + "/style.css\">" + "<b onclick=\"" + write("KLICK") +
        "\" onmouseover=\"" + write("MAUS") + "\">fett bleibt</b> " +
        "<a href=\"javascript:" + write("LINK") + "\">Link-Text bleibt</a> " +
        "<meta http-equiv=\"refresh\" content=\"0; url=" + base + "/refresh.html\">" + "<image src=\"" +
        base + "/image.png\">" + "<img src=\"./GCEVIL_i1.png\" srcset=\"" + base + "/srcset.png 2x\">" +
        "<img src=\"" + base + "/bild.png\" onerror=\"" + write("FEHLER") + "\">" +
        "<div style=\"background-image: url(" + base + "/css.png)\">Stil-Text bleibt</div>" +
        "<style>body { background: url(" + base + "/css-element.png) }</style>" + "<svg onload=\"" +
        write("SVG") + "\"><circle r=\"5\"></circle></svg>";
    std::string hint =
        "Hinweis bleibt<script>" + write("HINWEIS") + "</script><img src=\"" + base + "/hint.png\">";
    rot13Text(hint);  // the site writes hints encoded
    return "<html><head><title>GCEVIL</title></head><body>\r\n"
           "<span id=\"CacheName\">Gef\xE4hrlicher Cache<script>" +
           write("NAME") +
           "</script></span>\r\n"
           "<span id=\"WaypointName\">GCEVIL</span>\r\n"
           "<p><span id=\"ShortDescription\">Kurzbeschreibung bleibt</span></p>\r\n"
           "<BLOCKQUOTE><span id=\"LongDescription\"><P>Langtext Anfang " +
           active +
           " Langtext Ende</span></BLOCKQUOTE>\r\n"
           "<span id=\"Hints\" class=\"displayMe\">" +
           hint +
           "</span>\r\n"
           "<p><strong>Additional Waypoints</strong></p>\r\n"
           "<table border=\"0\" width=\"100%\" class=\"Table\">\r\n"
           "<tr><th>&nbsp;</th><th>&nbsp;</th><th>Prefix</th><th>Lookup</th><th>Name</th><th>Coordinate</th>"
           "</tr>\r\n"
           "<tr bgcolor=\"#eeeeee\"><td><img src=\"" +
           base +
           "/wpt.png\"></td><td></td><td>PK</td><td>01</td><td><a href=\"javascript:" + write("WEGPUNKT") +
           "\">Wegpunkt-Text bleibt</a><script>" + write("WEGPUNKT2") +
           "</script></td><td>N 48\xB0 08.000 E 011\xB0 34.000</td></tr>\r\n"
           "</table>\r\n"
           "<span id=\"CacheLogs\"><table>\r\n"
           "<tr><td><font size=2><strong><img src=\"" +
           base +
           "/images/icon_smile.gif\">May 1 by <a href=\"p\">Vuva</a></strong> (1 found)<br>Logtext bleibt"
           "<iframe src=\"" +
           base + "/log-frame.html\"></iframe><script>" + write("LOG") +
           "</script><br></font></td></tr>\r\n"
           "</table></span>\r\n"
           "</body></html>\r\n";
}

}  // namespace vellora::test
