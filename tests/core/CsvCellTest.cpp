// The cell rule of every CSV file we write and the field rule of the OziExplorer file: a spreadsheet
// must read each value as the text it is (no formula, no split cell), a line reader the same number
// of fields on every line.
#include <gtest/gtest.h>

#include "core/CsvCell.h"

namespace vellora {
namespace {

struct CellCase {
    const char* value;
    bool alwaysQuoted;
    const char* cell;
};

TEST(CsvCell, NeutralisesFormulasQuotesWhereNeededAndDoublesQuotes) {
    const CellCase cases[] = {
        // Harmless values are written as before: text in quotes, numbers bare.
        {"Schatz am Bach", true, "\"Schatz am Bach\""},
        {"48,123457", false, "48,123457"},
        {"", true, "\"\""},
        {"", false, ""},
        // Whole numbers with a sign stay numbers.
        {"-12.5", false, "-12.5"},
        {"+3", false, "+3"},
        {"-48,500000", true, "\"-48,500000\""},
        {"-.5", false, "-.5"},
        // Anything else that a spreadsheet would take for a formula gets an apostrophe.
        {"=HYPERLINK(\"http://x.example/\")", true, "\"'=HYPERLINK(\"\"http://x.example/\"\")\""},
        {"=1+1", false, "'=1+1"},
        {"+49 911 123", false, "'+49 911 123"},
        {"-", false, "'-"},
        {"-1e5", false, "'-1e5"},
        {"1.2.3", false, "1.2.3"},
        {"@SUM(A1)", false, "'@SUM(A1)"},
        {"\tTab", false, "'\tTab"},
        {"\r=1", false, "\"'\r=1\""},
        // Separator, quote and line break force quotes, wherever they are.
        {"a;b", false, "\"a;b\""},
        {"Der \"Stein\"", true, "\"Der \"\"Stein\"\"\""},
        {"eins\r\nzwei", false, "\"eins\r\nzwei\""},
        {"x\n", false, "\"x\n\""},
        {"Komma, Punkt", false, "Komma, Punkt"},
    };
    for (const CellCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(csvCell(c.value, ';', c.alwaysQuoted), c.cell);
    }
    // The separator is the caller's.
    EXPECT_EQ(csvCell("Komma, Punkt", ',', false), "\"Komma, Punkt\"");
}

TEST(CsvCell, PlainNumbers) {
    for (const char* yes : {"0", "12", "-12.5", "+3", "1,5", "-.5", "5."})
        EXPECT_TRUE(isPlainNumber(yes)) << yes;
    for (const char* no : {"", "-", "+", ".", "1.2.3", "1,2.3", "1e5", " 1", "1 ", "--1", "0x10", "=1"})
        EXPECT_FALSE(isPlainNumber(no)) << no;
}

TEST(CsvCell, PlainFieldKeepsTheFieldCount) {
    EXPECT_EQ(plainField("GC1,2", ',', ';'), "GC1;2");
    EXPECT_EQ(plainField("A\r\nB\tC\x7F", ',', ';'), "A  B C ");
    EXPECT_EQ(plainField("H\xDCGEL; ALT", ',', ';'), "H\xDCGEL; ALT");
}

}  // namespace
}  // namespace vellora
