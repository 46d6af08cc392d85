#include <gtest/gtest.h>

#include <string>

#include "core/StrUnit.h"

using namespace vellora;

namespace {

TEST(StrUnitFind, AbsentIsMinusOne) {
    EXPECT_EQ(findFrom("b", "abcb", 1), 2);
    EXPECT_EQ(findFrom("b", "abcb", 3), 4);
    EXPECT_EQ(findFrom("b", "abcb", 5), -1);
    EXPECT_EQ(findFrom("B", "abcb", 1), -1);  // case-sensitive
    EXPECT_EQ(findFrom("x", "", 1), -1);
}

TEST(StrUnitReplace, CaseSensitiveAndNot) {
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        bool noCase;
        const char* expected;
        int count;
    };
    const Case cases[] = {
        {"a<br>b<BR>c<Br>d", "<br>", "", true, "abcd", 3},
        {"a[[br]]b[[BR]]", "[[BR]]", "<br>", false, "a[[br]]b<br>", 1},
        {"\xFC"
         "ber \xDC"
         "ber",
         "\xDC"
         "BER",
         "X", true, "X X", 2},
        {"nothing", "zz", "y", true, "nothing", 0},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        const int count = c.noCase ? replaceAllNoCase(text, c.pattern, c.replacement)
                                   : replaceAll(text, c.pattern, c.replacement);
        EXPECT_EQ(text, c.expected) << c.text;
        EXPECT_EQ(count, c.count) << c.text;
    }
    std::string text = "x<FONT>y<font>";
    EXPECT_EQ(removeAll(text, "<font>"), 2);
    EXPECT_EQ(text, "xy");
}

TEST(StrUnitSpans, RemoveFirstSpan) {
    struct Case {
        const char* text;
        const char* open;
        const char* close;
        bool removed;
        const char* expected;
    };
    const Case cases[] = {
        {"a<font size=2>b", "<font", ">", true, "ab"},
        {"a<FONT size=2>b<font x>c", "<font", ">", true, "ab<font x>c"},
        {"a<font size=2", "<font", ">", false, "a<font size=2"},
        {"a>b<font", "<font", ">", false, "a>b<font"},  // a close before the open does not count
        {"abc", "<font", ">", false, "abc"},
        {"xaax", "aa", "a", true, "xx"},  // the close is searched from the open's second character
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(removeFirstSpan(text, c.open, c.close), c.removed) << c.text;
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(StrUnitSpans, CutSpanAndInner) {
    struct Case {
        const char* text;
        const char* open;
        const char* close;
        bool cut;
        const char* piece;
        const char* inner;
        const char* rest;
    };
    const Case cases[] = {
        {"x<a href=1>y</a>z", "<a", "/a>", true, "<a href=1>y</a>", " href=1>y<", "xz"},
        {"x<A href=1>y</A>z", "<a", "/a>", true, "<A href=1>y</A>", " href=1>y<", "xz"},
        {"<b></b>", "<b>", "</b>", true, "<b></b>", "", ""},
        {"x<a href=1>y", "<a", "/a>", false, "", "", "x<a href=1>y"},
        {"/a>x<a", "<a", "/a>", false, "", "", "/a>x<a"},
        {"<a/a>", "<a/a>", "/a>", false, "", "", "<a/a>"},  // the close must lie behind the whole open
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        std::string piece = "stale";
        EXPECT_EQ(cutSpan(text, piece, c.open, c.close), c.cut);
        EXPECT_EQ(piece, c.piece);
        EXPECT_EQ(text, c.rest);

        text = c.text;
        piece = "stale";
        EXPECT_EQ(cutInner(text, piece, c.open, c.close), c.cut);
        EXPECT_EQ(piece, c.inner);
        EXPECT_EQ(text, c.rest);
    }
}

TEST(StrUnitSpans, CutSpanCaseIsCaseSensitive) {
    std::string text = "<A>1</A><a>2</a>";
    std::string piece;
    EXPECT_TRUE(cutSpanCase(text, piece, "<a>", "</a>"));
    EXPECT_EQ(piece, "<a>2</a>");
    EXPECT_EQ(text, "<A>1</A>");
    EXPECT_FALSE(cutSpanCase(text, piece, "<a>", "</a>"));
    EXPECT_EQ(text, "<A>1</A>");
}

TEST(StrUnitSpans, DropThrough) {
    std::string text = "head<BODY>body<body>more";
    EXPECT_TRUE(dropThrough(text, "<body>"));
    EXPECT_EQ(text, "body<body>more");
    EXPECT_FALSE(dropThrough(text, "<html>"));
    EXPECT_EQ(text, "body<body>more");
}

TEST(StrUnitRot13, LettersOnly) {
    struct Case {
        const char* plain;
        const char* coded;
    };
    const Case cases[] = {
        {"Hint: unter dem Stein", "Uvag: hagre qrz Fgrva"},
        {"\xD6"
         "ffnung 42",
         "\xD6"
         "ssahat 42"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "NOPQRSTUVWXYZABCDEFGHIJKLM"},
        {"abcdefghijklmnopqrstuvwxyz", "nopqrstuvwxyzabcdefghijklm"},
        {"\xE4\xF6\xFC\xDF@[`{ 0-9\r\n", "\xE4\xF6\xFC\xDF@[`{ 0-9\r\n"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.plain;
        rot13Text(text);
        EXPECT_EQ(text, c.coded);
        rot13Text(text);
        EXPECT_EQ(text, c.plain);
    }
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        EXPECT_EQ(rot13Char(rot13Char(c)), c) << b;
        const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        EXPECT_EQ(rot13Char(c) != c, letter) << b;
    }
}

TEST(StrUnitRepairUtf8, Table) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"gr\xC3\xBC"
         "n",
         "gr\xFC"
         "n"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\x96\xC3\x9C", "\xE4\xF6\xFC\xDF\xD6\xDC"},
        {"\xC3\x84", "\xC3\x84"},  // Ä is not in the table
        {"\xC2\xB0"
         "C",
         "\xB0"
         "C"},  // two-byte sequence C2 xx loses its lead byte
        {"\xE2\x80\x9E"
         "x\xE2\x80\x9C",
         "\"x\""},  // low and left double quotation marks
        {"it\xE2\x80\x99s", "it's"},
        {"\xE2\x80\xA6", "\x80\xA6"},  // rests without a table entry stay
        {"Cr\xE2"
         "pe",
         "Crpe"},  // a genuine Windows-1252 â goes too
        {"&#220ber",
         "\xDC"
         "ber"},
        {"plain text", "plain text"},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        repairUtf8(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(StrUnitDecodeEntities, References) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"a &amp; b", "a & b"},
        {"&quot;x&quot; &lt;y&gt;", "\"x\" <y>"},
        {"&amp;lt;", "<"},       // "&amp;" first
        {"&amp;amp;", "&amp;"},  // each reference once, left to right, never what a replacement made
        {"&&amp;&amp;x&amp;", "&&&x&"},
        {"&#188;&#188;&#171;", "1/41/4\""},
        {"&amp;#228;", "\xE4"},
        {"&#229;", "\xE2"},
        {"&#195;", "\xC4"},
        {"&#209;", "N"},
        {"&#188; &#189; &#190;", "1/4 1/2 3/4"},
        {"&#198;&#230;", "AEae"},
        {"&#176;&#180;&#184;", "\xB0',"},
        {"&#171;x&#187;", "\"x\""},
        {"&#228;&#246;&#252;&#223;&#196;&#214;&#220;", "\xE4\xF6\xFC\xDF\xC4\xD6\xDC"},
        {"&#255;&#253;&#247;", "y\xFD/"},
        {"&nbsp;&#xE4;&#228&#208;&#254;&AMP;", "&nbsp;&#xE4;&#228&#208;&#254;&AMP;"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        decodeEntities(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(StrUnitPaths, ToFileUrl) {
    EXPECT_EQ(toFileUrl("/home/x/out/index.html"), "file:///home/x/out/index.html");
    EXPECT_EQ(toFileUrl("C:\\Vellora\\out\\index.html"), "file:///C:/Vellora/out/index.html");
    EXPECT_EQ(toFileUrl("/home/x\\mixed/index.html"), "file:///home/x/mixed/index.html");
}

TEST(StrUnitPaths, WaypointFromFileName) {
    struct Case {
        const char* path;
        const char* waypoint;
    };
    const Case cases[] = {
        {"C:\\out\\gc12ab_converted.html", "GC12AB"},
        {"/home/x/out/gc1x2y3.html", "GC1X2Y3"},
        {"/home/x\\out/GC77.html", "GC77"},
        {"gc99zz.html", "GC99ZZ"},
        {"/out/_gc12ab.html", ""},
        {"/out/gc\xE4"
         "b.html",
         "GC"},
        {"/out/", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(waypointFromFileName(c.path), c.waypoint) << c.path;
}

TEST(StrUnitTrim, ControlCharacters) {
    EXPECT_EQ(trimLeadingControl(" \t\r\n\x01x y \r\n"), "x y \r\n");
    EXPECT_EQ(trimTrailingControl(" \t x y \r\n\x1F "), " \t x y");
    EXPECT_EQ(trimLeadingControl("\xA0x"), "\xA0x");  // code above 32
    EXPECT_EQ(trimLeadingControl(" \r\n"), "");
    EXPECT_EQ(trimTrailingControl(" \r\n"), "");
    EXPECT_EQ(trimTrailingControl(""), "");
}

}  // namespace
