// The one table that turns Windows-1252 text into ASCII for old GPS devices.
#include "core/AsciiFold.h"

#include <gtest/gtest.h>

namespace vellora {
namespace {

TEST(AsciiFold, LettersKeepTheirBaseLetterAndGermanIsSpelledOut) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"Points g\xE9od\xE9siques du Qu\xE9"
         "bec",
         "Points geodesiques du Quebec"},
        {"Ch\xE2teau de l'\xCEle", "Chateau de l'Ile"},
        {"Gar\xE7on \xC7"
         "a",
         "Garcon Ca"},
        {"\xD8resund \xF8l", "Oresund ol"},
        {"\x8C"
         "uvre c\x9Cur",
         "OEuvre coeur"},
        {"\xC6gir \xE6"
         "ble",
         "AEgir aeble"},
        {"\x8A\x9A\x8E\x9E\x9F\xFF\xD1\xF1\xC5\xE5", "SsZzYyNnAa"},
        {"\xDE\xFE\xD0\xF0", "ThthDd"},
        // German umlauts and sharp s as before.
        {"M\xFCller \xC4rger \xD6l \xDC"
         "ber Stra\xDF"
         "e \xE4\xF6\xFC",
         "Mueller Aerger Oel Ueber Strasse aeoeue"},
        // Typographic quotes and dashes.
        {"\x84Zitat\x93 \x82halb\x91 \x94x\x94 \x92s", "\"Zitat\" ,halb' \"x\" 's"},
        {"A \x96 B \x97 C", "A - B - C"},
        {"\xABWald\xBB \x8Bklein\x9B", "\"Wald\" <klein>"},
        {"Ende\x85", "Ende..."},
        // ASCII stays, DEL included; control characters and undefined bytes go.
        {"a&<b>\"c\"\x7F", "a&<b>\"c\"\x7F"},
        {"x\ty\r\nz\x81\x8D\x8F\x90\x9D", "xyz"},
        {"\xA0nbsp", " nbsp"},
        {"1\xAD"
         "0",
         "10"},
        {"5\x80 \xA9 \xAE \x99", "5EUR (c) (R) TM"},
    };
    for (const auto& c : cases) EXPECT_EQ(asciiFold(c.in), c.out) << c.in;
}

TEST(AsciiFold, EveryByteFoldsToPrintableAscii) {
    for (int b = 0; b < 256; ++b) {
        for (const char ch : asciiForm(static_cast<unsigned char>(b))) {
            EXPECT_GE(static_cast<unsigned char>(ch), 32) << b;
            EXPECT_LE(static_cast<unsigned char>(ch), 127) << b;
        }
    }
    // Every letter of Latin-1 has a form.
    for (int b = 0xC0; b <= 0xFF; ++b) EXPECT_FALSE(asciiForm(static_cast<unsigned char>(b)).empty()) << b;
}

}  // namespace
}  // namespace vellora
