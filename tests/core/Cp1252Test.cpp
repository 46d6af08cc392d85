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
    EXPECT_EQ(utf8FromCp1252("\x80"), "\xE2\x82\xAC");       // euro sign
    EXPECT_EQ(utf8FromCp1252("\xE4\xB0"), "\xC3\xA4\xC2\xB0");  // ä and the degree sign
    EXPECT_EQ(cp1252FromUtf8("\xE2\x80\x9E"), "\x84");       // low double quotation mark
    EXPECT_EQ(cp1252FromUtf8("\xE2\x86\x92"), "?");          // an arrow has no byte
    EXPECT_EQ(cp1252FromUtf8("a\xFF" "b"), "a\xFF" "b");     // malformed UTF-8 is taken as it is
}

}  // namespace
