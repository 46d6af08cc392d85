#include "core/HtmlClean.h"

#include <gtest/gtest.h>

#include "core/ContentPolicy.h"

namespace vellora {
namespace {

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Each kind of active content a listing page can carry: what must go, the text that must stay and
// how the removal is counted (images/links/active).
TEST(HtmlClean, HostileContentGoesAndItsTextStays) {
    struct Case {
        const char* name;
        std::string html;
        std::vector<std::string> gone;  // compared without regard to case
        std::string kept;
        HtmlRemovals counted;
    };
    const Case cases[] = {
        {"script",
         "vor<script>document.write('X')</script>nach",
         {"<script", "document.write"},
         "vornach",
         {0, 0, 1}},
        {"remote script",
         "a<SCRIPT src=http://127.0.0.1:1/x.js></SCRIPT>b",
         {"script", "x.js"},
         "ab",
         {0, 0, 1}},
        {"iframe",
         "a<iframe src=\"http://x.example/\">Ersatz</iframe>b",
         {"iframe", "x.example", "ersatz"},
         "ab",
         {0, 0, 1}},
        {"object",
         "a<object data=\"http://x.example/f.swf\"><param name=m value=v>Ersatz</object>b",
         {"object", "param", "f.swf"},
         "aErsatzb",
         {0, 0, 2}},
        {"embed", "a<embed src=\"http://x.example/f.swf\">b", {"embed", "f.swf"}, "ab", {0, 0, 1}},
        {"stylesheet",
         "a<link rel=stylesheet href=\"http://x.example/s.css\">b",
         {"link", "s.css"},
         "ab",
         {0, 1, 0}},
        {"event attribute",
         "<b onclick=\"alert(1)\" ONMOUSEOVER=x>fett</b>",
         {"onclick", "onmouseover", "alert"},
         "<b>fett</b>",
         {0, 0, 2}},
        {"javascript link",
         "<a href=\"javascript:alert(1)\">L</a>",
         {"javascript", "href"},
         "<a>L</a>",
         {0, 1, 0}},
        {"hidden javascript link",
         "<a href=\" JaVa&#x09;Script&#58;x()\">L</a><a href='vbscript:x'>V</a>",
         {"script", "href"},
         "<a>L</a><a>V</a>",
         {0, 2, 0}},
        {"refresh",
         "<meta http-equiv=\"refresh\" content=\"0; url=http://x.example/\">Text",
         {"meta", "refresh"},
         "Text",
         {0, 1, 0}},
        {"image element",
         "a<image src=\"http://x.example/i.png\">b",
         {"image", "img", "i.png"},
         "ab",
         {1, 0, 0}},
        {"remote img", "a<IMG SRC=\"https://x.example/i.png\" alt=x>b", {"img", "i.png"}, "ab", {1, 0, 0}},
        {"protocol-relative img",
         "a<img src=\"//x.example/i.png\"><img src=\"\\\\x.example\\i.png\">b",
         {"img"},
         "ab",
         {2, 0, 0}},
        {"srcset",
         "<img src=\"./GC1_i1.jpg\" srcset=\"http://x.example/big.jpg 2x\">",
         {"srcset", "big.jpg"},
         "<img src=\"./GC1_i1.jpg\">",
         {1, 0, 0}},
        {"css url",
         "<div style=\"background: URL( 'http://x.example/b.png' )\">Text</div>",
         {"style", "b.png"},
         "<div>Text</div>",
         {1, 0, 0}},
        {"css expression",
         "<p style=\"width:expression(alert(1))\">T</p>",
         {"style", "expression"},
         "<p>T</p>",
         {0, 0, 1}},
        {"css escape",
         "<p style=\"background:u\\72l(http://x.example/b.png)\">T</p>",
         {"style"},
         "<p>T</p>",
         {0, 0, 1}},
        {"style element import",
         "<style>@import 'http://x.example/s.css';</style>T",
         {"style", "import"},
         "T",
         {0, 1, 0}},
        {"style element url",
         "<style>body{background:url(http://x.example/b.png)}</style>T",
         {"style", "b.png"},
         "T",
         {1, 0, 0}},
        {"remote background",
         "<table background=\"http://x.example/t.jpg\"><tr><td>Z</td></tr></table>",
         {"background", "t.jpg"},
         "<table><tr><td>Z</td></tr></table>",
         {1, 0, 0}},
        {"base", "<base href=\"http://x.example/\">T", {"base"}, "T", {0, 1, 0}},
        {"form",
         "<form action=\"http://x.example/\"><input name=q value=v><button>Los</button></form>",
         {"form", "input", "button", "action"},
         "Los",
         {0, 0, 3}},
        {"svg",
         "<svg onload=\"alert(1)\"><script>alert(2)</script><text>Bild</text></svg>",
         {"svg", "script", "alert"},
         "Bild",
         {0, 0, 2}},
        {"tag in attribute",
         "<b title=\"x><script>alert(1)</script>\">T</b>",
         {"<script"},
         "<b title=\"x&gt;&lt;script&gt;alert(1)&lt;/script&gt;\">T</b>",
         {0, 0, 0}},
        {"repeated attribute",
         "<a href=\"http://ok.example/\" href=\"javascript:x\">L</a>",
         {"javascript"},
         "<a href=\"http://ok.example/\">L</a>",
         {0, 0, 0}},
        {"tag hidden in text",
         "a<x>b</y>c<body onload=alert(1)>d",
         {"onload", "<x", "<body"},
         "abcd",
         {0, 0, 0}},
        {"text that looks like a tag",
         "<textarea><script>alert(1)</script></textarea>",
         {"<script", "textarea"},
         "&lt;script&gt;alert(1)&lt;/script&gt;",
         {0, 0, 1}},
        {"placeholder in a comment", "<!-- x <!-- #HINTS# -->T", {"#hints#"}, "T", {0, 0, 0}},
    };
    for (const Case& c : cases) {
        HtmlRemovals removed;
        const std::string out = cleanHtml(c.html, removed);
        const std::string lower = lowerCase(out);
        for (const std::string& gone : c.gone)
            EXPECT_EQ(lower.find(gone), std::string::npos) << c.name << ": " << out;
        EXPECT_EQ(out, c.kept) << c.name;
        EXPECT_EQ(removed.images, c.counted.images) << c.name;
        EXPECT_EQ(removed.links, c.counted.links) << c.name;
        EXPECT_EQ(removed.active, c.counted.active) << c.name;
    }
}

// Harmless markup keeps its bytes, misnested, half-closed and Windows-1252 as it is, so that the
// descriptions look as they did.
TEST(HtmlClean, HarmlessMarkupKeepsItsBytes) {
    const std::string cases[] = {
        "<P>Der Cache liegt <span >nahe</span> am Bach.<BR>\r\nZweite Zeile\r\n<table ><tbody><tr><td "
        ">Zelle</td></tr></tbody></table></span></BLOCKQUOTE>\r\n\r\n<P>",
        "<font face=Arial SIZE='2' color=\"#FF0000\">rot</FONT> <b>1<p>2</b>3</p> <center>M</center>",
        "Gr\xFC\xDF"
        "e &amp; &uuml;ber \x80 <i>kursiv</I><br/><hr noshade>",
        "<a href=\"http://www.example/\" target=\"_blank\">L</a> <a href=\"mailto:a@b.example\">M</a> <a "
        "href=\"#oben\" name=x>O</a> <a href=\"./GC1_converted.html\">R</a>",
        "<img src=\"./GC1_i1.jpg\" width=\"492\" height=\"369\"><BR>\r\n<img style=\"float: left;\" "
        "src=\"./GC1_map.gif\"align=\"left\" border=\"0\"><!-- Mapquest -->",
        "<!-- [[LOG]] -->:-)&nbsp;May 1 by Al </B>(1 found)</B><BR>\r\n",
        "<ul><li>eins<li>zwei</ul><ol start=3><li>drei</ol><dl><dt>a<dd>b</dl><h2>T</h2><pre>\r\n x</pre>",
        "<table border=1 cellpadding=\"3\" style=\"float: left; width: 200px\"><tr bgcolor=\"#eee\"><th "
        "colspan=2>K</th></tr><tr><td background=\"./t.jpg\">x</td></tr></table>",
        "<style type=\"text/css\">p { color: red; }</style>Text",
    };
    for (const std::string& html : cases) {
        HtmlRemovals removed;
        EXPECT_EQ(cleanHtml(html, removed), html);
        EXPECT_FALSE(removed.any()) << html;
    }
}

TEST(HtmlClean, OutputHasNoLessThanOutsideTags) {
    // Text and attribute values never carry "<", so no later substitution can open a tag.
    EXPECT_EQ(cleanHtml("1 < 2 <b title='<'>x</b>"), "1 &lt; 2 <b title=\"&lt;\">x</b>");
    EXPECT_EQ(cleanHtml("<style><!-- p{} --></style>"), "<style> p{} </style>");
    EXPECT_EQ(cleanHtml(""), "");
}

std::string repeated(const std::string& part, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += part;
    return s;
}

// The parser's time grows with the square of the nesting depth and of the attributes of a tag: a
// page beyond any listing's shape keeps only its text, a listing's shape keeps its markup.
TEST(HtmlClean, MarkupTooDeepForTheParserKeepsOnlyItsText) {
    struct Case {
        const char* name;
        std::string html;
        bool parsed;
    };
    const Case cases[] = {
        {"nested divs", repeated("<div>", 20000) + "Text<script>alert(1)</script>", false},
        {"unclosed fonts", repeated("<font color=red>x", 1000) + "<a href=javascript:x>y</a>", false},
        {"attributes", "<b" + repeated(" a=1", 300) + ">Text</b>", false},
        {"some nesting", repeated("<div>", 300) + "Text" + repeated("</div>", 300), true},
        {"many logs",
         repeated("<p><strong><A NAME=\"1\"><a href=\"p\">F</a></strong> (1 found)<br>Log</p>", 2000), true},
    };
    for (const Case& c : cases) {
        HtmlRemovals removed;
        const std::string out = cleanHtml(c.html, removed);
        if (c.parsed) {
            EXPECT_EQ(out, c.html) << c.name;
            EXPECT_FALSE(removed.any()) << c.name;
        } else {
            // No start tag; plain end tags of harmless elements may stay.
            for (std::size_t at = out.find('<'); at != std::string::npos; at = out.find('<', at + 1))
                EXPECT_EQ(out.compare(at, 2, "</"), 0) << c.name << ": " << out.substr(at, 20);
            EXPECT_NE(out.find(c.name == std::string("unclosed fonts") ? "y" : "Text"), std::string::npos)
                << c.name;
            EXPECT_EQ(removed.active, 1) << c.name;
        }
    }
}

TEST(ContentPolicy, MetaGoesFirstIntoTheHead) {
    const std::string meta = contentSecurityPolicyMeta();
    EXPECT_NE(meta.find("default-src 'none'"), std::string::npos);
    struct Case {
        std::string page, expected;
    };
    const Case cases[] = {
        {"<!DOCTYPE html>\r\n<html>\r\n<HEAD>\r\n<title>t</title></head><body>x</body></html>",
         "<!DOCTYPE html>\r\n<html>\r\n<HEAD>" + meta + "\r\n<title>t</title></head><body>x</body></html>"},
        {"<html><body>x</body></html>", "<html>" + meta + "<body>x</body></html>"},
        {"<!-- <head> --><html lang=de><body>", "<!-- <head> --><html lang=de>" + meta + "<body>"},
        {"<!doctype html>x", "<!doctype html>" + meta + "x"},
        {"x", meta + "x"},
    };
    for (const Case& c : cases) EXPECT_EQ(withContentSecurityPolicy(c.page), c.expected) << c.page;
}

}  // namespace
}  // namespace vellora
