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

TEST(Cp1252, PagesThatDeclareUtf8) {
    EXPECT_TRUE(htmlDeclaresUtf8("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"));
    EXPECT_TRUE(htmlDeclaresUtf8("<head><meta charset=\"utf-8\"></head>"));
    EXPECT_FALSE(htmlDeclaresUtf8("<meta content=\"text/html; charset=windows-1252\">"));
    EXPECT_FALSE(htmlDeclaresUtf8("<html><body>charset=utf-8 im Text</body>"));
}

}  // namespace
