// Names written by strangers in the CSV and OziExplorer exports, read back by independent readers:
// Python's csv module and gpsbabel must find every field whole, in its column, and no cell that a
// spreadsheet would run as a formula.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ExportTestKit.h"
#include "core/Cp1252.h"
#include "core/FileUtil.h"
#include "core/StrUnit.h"
#include "export/DbCsvExport.h"
#include "export/ListExport.h"
#include "formats/ExportConv.h"

namespace vellora::test {
namespace {

struct HostileCell {
    const char* name;
    const char* csvName;  // what a CSV reader gets
    const char* oziName;
    const char* waypoint;
    const char* csvWaypoint;
    const char* oziWaypoint;
};

const HostileCell kCells[] = {
    {"=HYPERLINK(\"http://x.example\",\"k\")", "'=HYPERLINK(\"http://x.example\",\"k\")",
     "=HYPERLINK(\"HTTP://X.EXAMPLE\";\"K\")", "GC100", "GC100", "GC100"},
    {"Der \"Stein\"", "Der \"Stein\"", "DER \"STEIN\"", "GC1,01", "GC1,01", "GC1;01"},
    {"eins\r\nzwei", "eins\r\nzwei", "EINS  ZWEI", "=GC102", "'=GC102", "=GC102"},
    {"Komma, Punkt; Semikolon", "Komma, Punkt; Semikolon", "KOMMA; PUNKT; SEMIKOLON", "GC\"103", "GC\"103",
     "GC\"103"},
    {"+49 911 Anruf", "'+49 911 Anruf", "+49 911 ANRUF", "GC104;X", "GC104;X", "GC104;X"},
    {"-Minus", "'-Minus", "-MINUS", "+GC105", "'+GC105", "+GC105"},
    {"@SUM(A1)", "'@SUM(A1)", "@SUM(A1)", "@GC106", "'@GC106", "@GC106"},
    {"\tTab", "'\tTab", " TAB", "GC107", "GC107", "GC107"},
    {"\r=1+1", "'\r=1+1", " =1+1", "GC108", "GC108", "GC108"},
    {"-12.5", "-12.5", "-12.5", "GC109", "GC109", "GC109"},
    {"Schatz am M\xFChlbach", "Schatz am M\xFChlbach", "SCHATZ AM M\xFCHLBACH", "GC110", "GC110", "GC110"},
};
constexpr const char* kHostileSize = "=2+3";
constexpr const char* kCsvSize = "'=2+3";

double latOf(std::size_t i) {
    return 48.0 + static_cast<double>(i) * 0.01;
}

bool haveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Outside CI a missing reader skips the test; in CI it is a failure.
bool readerMissing(const char* tool) {
    if (haveTool(tool)) return false;
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") ADD_FAILURE() << tool << " is not installed";
    return true;
}

std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

using Rows = std::vector<std::vector<std::string>>;

class HostileCells : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<TCacheRec> recs;
        for (std::size_t i = 0; i < std::size(kCells); ++i) {
            TCacheRec r = exportCache(kCells[i].waypoint, kCells[i].name, latOf(i), 11.5);
            r.CacheSize = kHostileSize;
            recs.push_back(r);
        }
        h.writeDatabase(recs);
    }

    std::string exportList(int format, const std::string& name,
                           const std::function<void(ListExportOpts&)>& setup = {}) {
        ListExportModel dialog(h.ctx());
        dialog.open();
        dialog.opts() = ListExportOpts{};
        dialog.setFormat(format);
        dialog.setSource(kSourceDatabase);
        if (setup) setup(dialog.opts());
        dialog.exportTo(h.work(name));
        return h.work(name);
    }

    // Python's csv module over the file's bytes (Latin-1 keeps each byte); strict: a malformed
    // quote is an error, not a guess.
    Rows readWithPython(const std::string& file, char separator, bool quoting) {
        h.home.dir.write("read.py",
                         "import csv, sys\n"
                         "q = csv.QUOTE_MINIMAL if sys.argv[3] == 'quoted' else csv.QUOTE_NONE\n"
                         "with open(sys.argv[1], encoding='latin-1', newline='') as f, "
                         "open(sys.argv[4], 'w') as out:\n"
                         "    for row in csv.reader(f, delimiter=sys.argv[2], quoting=q, strict=True):\n"
                         "        out.write(' '.join(c.encode('latin-1').hex() for c in row) + '\\n')\n");
        const std::string cmd = "python3 '" + h.work("read.py") + "' '" + file + "' '" +
                                std::string(1, separator) + "' " + (quoting ? "quoted" : "plain") + " '" +
                                h.work("rows.txt") + "' 2>'" + h.work("py.err") + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << h.read("py.err");
        Rows rows;
        std::istringstream lines(h.read("rows.txt"));
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> row;
            std::size_t start = 0;
            for (std::size_t blank; (blank = line.find(' ', start)) != std::string::npos; start = blank + 1)
                row.push_back(fromHex(std::string_view(line).substr(start, blank - start)));
            row.push_back(fromHex(std::string_view(line).substr(start)));
            rows.push_back(row);
        }
        return rows;
    }

    // gpsbabel: waypoint, latitude, longitude and description, one line each (UTF-8).
    std::vector<std::vector<std::string>> readWithGpsbabel(const std::string& input,
                                                           const std::string& file) {
        h.home.dir.write("out.style",
                         "ENCODING UTF-8\nFIELD_DELIMITER TAB\nRECORD_DELIMITER NEWLINE\nBADCHARS TAB\n"
                         "OFIELD SHORTNAME, \"\", \"%s\"\nOFIELD LAT_DECIMAL, \"\", \"%.6f\"\n"
                         "OFIELD LON_DECIMAL, \"\", \"%.6f\"\nOFIELD DESCRIPTION, \"\", \"%s\"\n");
        const std::string cmd = "gpsbabel -i " + input + " -f '" + file + "' -o xcsv,style='" +
                                h.work("out.style") + "' -F '" + h.work("back.txt") + "' 2>'" +
                                h.work("babel.err") + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << h.read("babel.err");
        std::vector<std::vector<std::string>> result;
        std::istringstream lines(h.read("back.txt"));
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> f;
            std::size_t start = 0;
            for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
                f.push_back(line.substr(start, tab - start));
            f.push_back(line.substr(start));
            result.push_back(f);
        }
        return result;
    }

    ExportHome h;
};

TEST_F(HostileCells, ListCsvReadByPythonHasEveryFieldWhole) {
    if (readerMissing("python3")) GTEST_SKIP() << "python3 is not installed";
    for (const bool quoteNumbers : {false, true}) {
        SCOPED_TRACE(quoteNumbers ? "numbers quoted" : "numbers bare");
        const std::string file = exportList(kFormatCsv, "list.csv", [&](ListExportOpts& o) {
            o.CSVcbQuoteNums = quoteNumbers;
            o.CSVcbDecimalSeparator = quoteNumbers ? 1 : 0;
        });
        const Rows rows = readWithPython(file, ';', true);
        ASSERT_EQ(rows.size(), std::size(kCells) + 1);
        const std::size_t columns = rows[0].size();
        EXPECT_EQ(columns, 12u);
        for (std::size_t i = 0; i < std::size(kCells); ++i) {
            const auto& row = rows[i + 1];
            SCOPED_TRACE(kCells[i].waypoint);
            ASSERT_EQ(row.size(), columns);
            EXPECT_EQ(row[0], kCells[i].csvName);
            EXPECT_EQ(row[3], fixedCoord(latOf(i), quoteNumbers ? '.' : ','));
            EXPECT_EQ(row[5], kCsvSize);
            EXPECT_EQ(row[7], kCells[i].csvWaypoint);
        }
    }
}

TEST_F(HostileCells, DatabaseCsvReadByPythonHasEveryFieldWhole) {
    if (readerMissing("python3")) GTEST_SKIP() << "python3 is not installed";
    const std::string file = h.work("GCrecords.csv");
    ASSERT_EQ(writeDbCsv(h.ctx(), DbCsvOptions{}, file), static_cast<int>(std::size(kCells)));
    const Rows rows = readWithPython(file, ';', true);
    ASSERT_EQ(rows.size(), std::size(kCells) + 1);
    EXPECT_EQ(rows[0].size(), 10u);
    for (std::size_t i = 0; i < std::size(kCells); ++i) {
        const auto& row = rows[i + 1];
        SCOPED_TRACE(kCells[i].waypoint);
        ASSERT_EQ(row.size(), 10u);
        EXPECT_EQ(row[0], kCells[i].csvName);
        EXPECT_EQ(row[3], kCsvSize);
        EXPECT_EQ(row[5], kCells[i].csvWaypoint);
        EXPECT_EQ(row[9], "12,34");
    }
}

// gpsbabel's CSV reader goes line by line and keeps doubled quotes as they are: it finds every
// field of a line in its column, and every name without a line feed whole.
TEST_F(HostileCells, ListCsvReadByGpsbabelKeepsTheColumns) {
    if (readerMissing("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed";
    h.home.dir.write("in.style",
                     "ENCODING windows-1252\nFIELD_DELIMITER SEMICOLON\nFIELD_ENCLOSER DOUBLEQUOTE\n"
                     "RECORD_DELIMITER NEWLINE\nIFIELD DESCRIPTION, \"\", \"%s\"\nIFIELD LAT_DECIMAL, \"\", "
                     "\"%f\"\nIFIELD LON_DECIMAL, \"\", \"%f\"\nIFIELD SHORTNAME, \"\", \"%s\"\n");
    const std::string file = exportList(kFormatCsv, "babel.csv", [](ListExportOpts& o) {
        o.CSVcbHeadline = false;
        o.CSVcbDecimalSeparator = 1;
        o.CSVcbHiddendate = o.CSVcbCoord = o.CSVcbSize = o.CSVcbType = o.CSVcbDifficulty = o.CSVcbTerrain =
            false;
        o.CSVcbCountry = o.CSVcbHomedist = false;
    });
    const auto back = readWithGpsbabel("xcsv,style='" + h.work("in.style") + "'", file);
    // What gpsbabel makes of a cell: doubled quotes stay doubled, a tab goes (our output style).
    const auto asRead = [](std::string cell) {
        std::string doubled;
        for (const char c : cell) {
            if (c == '"') doubled += '"';
            if (c != '\t') doubled += c;
        }
        return utf8FromCp1252(doubled);
    };
    std::size_t row = 0;
    for (std::size_t i = 0; i < std::size(kCells); ++i) {
        const std::string name = kCells[i].csvName;
        if (name.find('\n') != std::string::npos) {
            row += 2;  // gpsbabel's own limit: the record is two lines to it
            continue;
        }
        SCOPED_TRACE(kCells[i].waypoint);
        ASSERT_LT(row, back.size());
        ASSERT_EQ(back[row].size(), 4u);
        EXPECT_EQ(back[row][0], asRead(kCells[i].csvWaypoint));
        EXPECT_EQ(back[row][1], fixedCoord(latOf(i)));
        EXPECT_EQ(back[row][2], "11.500000");
        EXPECT_EQ(back[row][3], asRead(name));
        ++row;
    }
    EXPECT_EQ(row, back.size());
}

TEST_F(HostileCells, OziKeepsItsFieldCountForPythonAndGpsbabel) {
    const std::string file = exportList(kFormatOzi, "list.wpt");
    if (!readerMissing("python3")) {
        const Rows rows = readWithPython(file, ',', false);
        ASSERT_EQ(rows.size(), std::size(kCells) + 4);
        for (std::size_t i = 0; i < std::size(kCells); ++i) {
            const auto& row = rows[i + 4];
            SCOPED_TRACE(kCells[i].waypoint);
            ASSERT_EQ(row.size(), 24u);
            EXPECT_EQ(row[0], std::to_string(i + 1));
            EXPECT_EQ(row[1], kCells[i].oziWaypoint);
            EXPECT_EQ(row[2], fixedCoord(latOf(i)));
            EXPECT_EQ(row[10], kCells[i].oziName);
            EXPECT_EQ(row[14], "-777");
        }
    }
    if (!readerMissing("gpsbabel")) {
        const auto back = readWithGpsbabel("ozi", file);
        ASSERT_EQ(back.size(), std::size(kCells));
        for (std::size_t i = 0; i < std::size(kCells); ++i) {
            SCOPED_TRACE(kCells[i].waypoint);
            ASSERT_EQ(back[i].size(), 4u);
            EXPECT_EQ(back[i][0], utf8FromCp1252(kCells[i].oziWaypoint));
            EXPECT_EQ(back[i][1], fixedCoord(latOf(i)));
            // gpsbabel drops the blanks in front of a name.
            EXPECT_EQ(back[i][3], utf8FromCp1252(trimLeadingControl(kCells[i].oziName)));
        }
    }
}

}  // namespace
}  // namespace vellora::test
