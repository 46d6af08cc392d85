#include "core/Cp1252.h"

#include <gtest/gtest.h>

using namespace vellora;

namespace {

TEST(Cp1252, RoundTripsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(cp1252FromUtf8(utf8FromCp1252(all)), all);
}

TEST(Cp1252, ConvertsTheSpecialRange) {
    EXPECT_EQ(utf8FromCp1252("\x80"), "\xE2\x82\xAC");          // euro sign
    EXPECT_EQ(utf8FromCp1252("\xE4\xB0"), "\xC3\xA4\xC2\xB0");  // ä and the degree sign
    EXPECT_EQ(cp1252FromUtf8("\xE2\x80\x9E"), "\x84");          // low double quotation mark
    EXPECT_EQ(cp1252FromUtf8("\xE2\x86\x92"), "?");             // an arrow has no byte
    EXPECT_EQ(cp1252FromUtf8("a\xFF"
                             "b"),
              "a\xFF"
              "b");  // malformed UTF-8 is taken as it is
}

TEST(Cp1252, HtmlKeepsWhatWindows1252LacksAsReferences) {
    EXPECT_EQ(cp1252FromUtf8Html("\xEF\xBB\xBF<p>\xC3\xA4 \xE2\x80\x9C \xD0\x96 \xF0\x9F\x98\x80 ?</p>"),
              "<p>\xE4 \x93 &#1046; &#128512; ?</p>");
    EXPECT_EQ(cp1252FromUtf8Html("a\xFF\xC3"), "a\xFF\xC3");  // malformed bytes stay
}

// A sequence that is no UTF-8 (overlong, beyond U+10FFFF, cut off) is taken byte for byte as
// Windows-1252 by both decoders; an overlong form never becomes the character it spells ("/" in
// E0 80 AF would be a path separator).
TEST(Cp1252, MalformedSequencesStayBytes) {
    const char* const cases[] = {
        "\xC0\xAF",          // "/" in two bytes
        "\xC1\x81",          // "A" in two bytes
        "\xE0\x80\xAF",      // "/" in three bytes
        "\xE0\x81\x81",      // "A" in three bytes
        "\xE0\x83\xA4",      // "\xE4" in three bytes
        "\xE0\x9F\xBF",      // U+07FF in three bytes, the largest overlong form
        "\xF0\x80\x80\xAF",  // "/" in four bytes
        "\xF0\x8F\xBF\xBF",  // U+FFFF in four bytes
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
        "\xE2\x82",          // the euro sign cut off
        "\xE2\x28\xAC",      // a continuation byte missing
    };
    for (const char* bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        EXPECT_EQ(cp1252FromUtf8(bytes), bytes);
        EXPECT_EQ(cp1252FromUtf8Html(bytes), bytes);
    }
    // The shortest forms next to them are characters.
    EXPECT_EQ(cp1252FromUtf8("\xE0\xA0\x80"), "?");  // U+0800
    EXPECT_EQ(cp1252FromUtf8Html("\xE0\xA0\x80"), "&#2048;");
    EXPECT_EQ(cp1252FromUtf8Html("\xF0\x90\x80\x80"), "&#65536;");
    EXPECT_EQ(cp1252FromUtf8("\xC3\xA4/"), "\xE4/");
}

TEST(Cp1252, PagesThatDeclareUtf8) {
    EXPECT_TRUE(htmlDeclaresUtf8("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"));
    EXPECT_TRUE(htmlDeclaresUtf8("<head><meta charset=\"utf-8\"></head>"));
    EXPECT_FALSE(htmlDeclaresUtf8("<meta content=\"text/html; charset=windows-1252\">"));
    EXPECT_FALSE(htmlDeclaresUtf8("<html><body>charset=utf-8 im Text</body>"));
}

}  // namespace
