#include "import/GCDBReader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <random>
#include <regex>

#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/HandBuiltRecords.h"
#include "core/Koord.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::handCacheRec;
using test::HandRec;
using test::TestHome;

// ---------------------------------------------------------------------------------------------
// An independent reading of the country file format, written from the format's description
// without the converter's code: line cutting, tokens, dates as day counts, records byte by byte.
namespace indep {

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::string line;
        for (; i < bytes.size();) {
            unsigned char b = static_cast<unsigned char>(bytes[i++]);
            if (b == 9) b = 32;
            if (b < 32) break;
            line += static_cast<char>(b);
            if (line.size() == 513) break;
        }
        out.push_back(line);
    }
    return out;
}

// Days since 30.12.1899 of a Gregorian date.
long long daysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 - (-25569);  // 1970-01-01 is day 25569
}

std::optional<double> date(const std::string& y, const std::string& m, const std::string& d) {
    static const std::regex part("[0-9]{1,4}");
    if (!std::regex_match(y, part) || !std::regex_match(m, part) || !std::regex_match(d, part)) return {};
    const int yy = std::stoi(y), mm = std::stoi(m), dd = std::stoi(d);
    static const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (yy < 1 || mm < 1 || mm > 12 || dd < 1) return {};
    const bool leap = (yy % 4 == 0 && yy % 100 != 0) || yy % 400 == 0;
    if (dd > len[mm - 1] + (mm == 2 && leap ? 1 : 0)) return {};
    return static_cast<double>(daysFromCivil(yy, mm, dd));
}

std::optional<double> degrees(const std::string& t, double limit) {
    static const std::regex number("[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?");
    if (!std::regex_match(t, number)) return {};
    const double v = std::strtod(t.c_str(), nullptr);
    if (!std::isfinite(v) || v < -limit || v > limit) return {};
    return v;
}

struct Cursor {
    std::string rest;
    // The first quoted text, cut out wherever it stands; then leading blanks go.
    std::string quoted() {
        std::string inner;
        const auto a = rest.find('"');
        const auto b = a == std::string::npos ? a : rest.find('"', a + 1);
        if (b != std::string::npos) {
            inner = rest.substr(a + 1, b - a - 1);
            rest = rest.substr(0, a) + rest.substr(b + 1);
        }
        rest.erase(
            0, rest.find_first_not_of(' ') == std::string::npos ? rest.size() : rest.find_first_not_of(' '));
        return inner;
    }
    std::string token() {
        const auto n = rest.find(' ');
        std::string t = rest.substr(0, n);
        rest = n == std::string::npos ? "" : rest.substr(n);
        while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        return t;
    }
};

struct Parsed {
    int result = -1;
    HandRec rec;
};

Parsed parse(const std::string& line, double homeLat, double homeLon, int country) {
    Parsed p;
    if (line.empty() || line[0] == '#') return p;
    const auto blank = line.find(' ');
    if (blank == std::string::npos) return p;
    const std::string idText = line.substr(0, blank);
    static const std::regex integer("[+-]?[0-9]+");
    if (!std::regex_match(idText, integer) || idText.size() > 12) return p;
    const long long id = std::stoll(idText);
    if (id < INT32_MIN || id > INT32_MAX) return p;
    Cursor c{line.substr(blank + 1)};
    std::string name = c.quoted();
    decodeEntities(name);
    const std::string y = c.token(), m = c.token(), d = c.token(), la = c.token(), lo = c.token();
    const auto hidden = date(y, m, d);
    const auto lat = degrees(la, 90), lon = degrees(lo, 180);
    if (!hidden || !lat || !lon) return p;
    const std::string type = c.quoted(), size = c.quoted(), wp = c.token();
    c.token();
    std::string diff = c.token(), terr = c.token();
    // The waypoint rule: 2 to 16 letters and digits, stored upper-cased.
    static const std::regex code("[A-Za-z0-9]{2,16}");
    if (!std::regex_match(wp, code)) return p;
    p.result = diff.empty() || terr.empty() ? 1 : 0;
    if (diff.empty()) diff = "0.0";
    if (terr.empty()) terr = "0.0";
    HandRec& r = p.rec;
    r.id = static_cast<std::int32_t>(id);
    r.name = name.substr(0, 120);
    r.hidden = *hidden;
    r.lat = *lat;
    r.lon = *lon;
    r.type = type.substr(0, 20);
    r.size = size.substr(0, 20);
    r.waypoint = wp;
    for (char& ch : r.waypoint) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    r.difficulty = diff.substr(0, 3);
    r.terrain = terr.substr(0, 3);
    r.country = country;
    const auto dist = DistanceBearing(homeLat, homeLon, r.lat, r.lon);
    r.homeDist = dist.ok ? static_cast<float>(dist.distanceKm) : 0.0f;
    r.valid = 1;
    return p;
}

struct Expected {
    std::string records;
    int converted = 0, incomplete = 0, malformed = 0;
};

Expected convert(const std::string& file, double homeLat, double homeLon, int country) {
    Expected e;
    for (const std::string& line : lines(file)) {
        const Parsed p = parse(line, homeLat, homeLon, country);
        if (p.result < 0) {
            ++e.malformed;
            continue;
        }
        ++(p.result == 0 ? e.converted : e.incomplete);
        e.records += handCacheRec(p.rec);
    }
    return e;
}

// Caches.idx as a rebuild writes it: keys sorted as text with the record number behind them.
std::string indexOf(const std::string& bin) {
    std::vector<std::pair<std::string, int>> keys;
    for (std::size_t n = 0; n * 296 + 296 <= bin.size(); ++n) {
        std::string wp = bin.substr(n * 296 + 195, static_cast<unsigned char>(bin[n * 296 + 194]));
        wp = upperCase(wp);
        wp.resize(16, ' ');
        keys.emplace_back(wp + std::to_string(n), static_cast<int>(n));
    }
    std::sort(keys.begin(), keys.end());
    std::string out;
    for (const auto& [k, n] : keys) out += test::handIdxRec(k.substr(0, 16), n);
    return out;
}

}  // namespace indep

// ---------------------------------------------------------------------------------------------

std::string line(int id, std::string_view name, std::string_view wp, std::string_view rest = "1 2 3",
                 std::string_view latlon = "49.6 10.85") {
    return std::to_string(id) + " \"" + std::string(name) + "\" 2005 06 07 " + std::string(latlon) +
           " \"Traditional Cache\" \"Small\" " + std::string(wp) + " " + std::string(rest);
}

class ConverterTest : public ::testing::Test {
protected:
    // Writes a country file (named as the third entry, Germany, id 79) and converts it.
    int convertText(const std::string& text, bool offerNearest = false,
                    const std::string& name = "gc_germany.txt") {
        home.dir.write(name, text);
        return reader.ConverteHTTP(home.workFile(name), home.workFile("Caches.bin"), offerNearest);
    }
    std::string bin() { return home.dir.read("Caches.bin"); }
    void writeDb(const std::vector<std::string>& waypoints) {
        std::string db;
        for (const auto& wp : waypoints) db += handCacheRec(wp);
        home.dir.write("Caches.bin", db);
        ASSERT_EQ(RebuildIndex(home.ctx()), 0);
    }
    double homeLat() { return home.ctx().settings.HomeLat; }
    double homeLon() { return home.ctx().settings.HomeLong; }

    TestHome home;
    TfrmGCDBReader reader{home.ctx()};
};

// ---- the line reader ----

TEST(CacheDBLineReader, CutsLinesByTheByteRules) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::string l512(512, 'a'), l513(513, 'b'), l600 = std::string(513, 'c') + std::string(87, 'd');
    const Case cases[] = {
        {"empty file", "", {}},
        {"last line without end", "abc", {"abc"}},
        {"LF ends a line, none follows", "abc\n", {"abc"}},
        {"CR LF gives an empty line", "a\r\nb\r\n", {"a", "", "b", ""}},
        {"TAB is a blank", "a\tb\t\tc", {"a b  c"}},
        {"other control bytes end lines",
         std::string("a\x01"
                     "b\x1F"
                     "c\x00"
                     "d",
                     7),
         {"a", "b", "c", "d"}},
        {"bytes from 127 up stay", "\x7F\x80\xFF\xE4", {"\x7F\x80\xFF\xE4"}},
        {"512 characters and LF", l512 + "\n", {l512}},
        {"513 characters end the line; the LF ends an empty one", l513 + "\nx", {l513, "", "x"}},
        {"600 characters: 513 and the remaining 87", l600, {l600.substr(0, 513), l600.substr(513)}},
        {"TABs count toward the length", std::string(512, 'e') + "\tf", {std::string(512, 'e') + " ", "f"}},
        {"lone control byte", "\n", {""}},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        dir.write("in.txt", c.bytes);
        const int fd = ::open(dir.file("in.txt").c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        TCacheDBLineReader reader(fd);
        std::vector<std::string> got;
        std::string line;
        TCacheDBLineReader::Status st;
        while ((st = reader.next(line)) == TCacheDBLineReader::Status::Line) got.push_back(line);
        ::close(fd);
        EXPECT_EQ(st, TCacheDBLineReader::Status::End) << c.what;
        EXPECT_EQ(got, c.lines) << c.what;
        EXPECT_EQ(indep::lines(c.bytes), c.lines) << c.what << " (independent reader)";
    }
}

TEST(CacheDBLineReader, LinesAcrossReadBlocksAreWhole) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += std::to_string(i) + std::string(i % 700, 'x') + (i % 3 ? "\n" : "\r\n");
    test::TempDir dir;
    dir.write("in.txt", text);
    const int fd = ::open(dir.file("in.txt").c_str(), O_RDONLY);
    TCacheDBLineReader reader(fd);
    std::vector<std::string> got;
    std::string line;
    while (reader.next(line) == TCacheDBLineReader::Status::Line) got.push_back(line);
    ::close(fd);
    EXPECT_EQ(got, indep::lines(text));
}

// Every line of bytes through the view the converter reads, each copied before the next call.
std::vector<std::string> viewedLines(const test::TempDir& dir, const std::string& bytes,
                                     TCacheDBLineReader::Status* last = nullptr) {
    dir.write("in.txt", bytes);
    const int fd = ::open(dir.file("in.txt").c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    TCacheDBLineReader reader(fd);
    std::vector<std::string> got;
    std::string_view line;
    TCacheDBLineReader::Status st;
    while ((st = reader.next(line)) == TCacheDBLineReader::Status::Line) got.emplace_back(line);
    ::close(fd);
    if (last) *last = st;
    return got;
}

// The view of a line lies in the read block where it can; a line that a block boundary cuts, that
// holds a TAB or that the file's end ends takes the other way. Both give the lines of the byte
// rules, wherever the boundary falls: in a line, on its end byte, behind it, at 513 characters.
TEST(CacheDBLineReader, ViewsGiveTheSameLinesWhereverABlockEnds) {
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    test::TempDir dir;
    struct Tail {
        const char* what;
        std::string bytes;
    };
    const Tail tails[] = {
        {"plain lines", "12 \"a\" b\nGC2 x\n"}, {"TAB in the cut line", "a\tb\tc\nd"},
        {"CR LF across", "abc\r\ndef\r\n"},     {"513 characters across", std::string(600, 'm') + "\nz"},
        {"last line without end", "last"},      {"control byte last", "x\x01"},
    };
    for (const Tail& t : tails) {
        for (const std::size_t before :
             {kBlock - 3, kBlock - 1, kBlock, kBlock + 1, kBlock - 513, kBlock - 512}) {
            SCOPED_TRACE(::testing::Message() << t.what << ", " << before << " bytes before it");
            // Lines of 99 characters and a LF up to the tail's start.
            std::string bytes;
            while (bytes.size() + 100 <= before) bytes += std::string(99, 'p') + "\n";
            bytes += std::string(before - bytes.size(), 'q') + t.bytes;
            TCacheDBLineReader::Status last;
            EXPECT_EQ(viewedLines(dir, bytes, &last), indep::lines(bytes));
            EXPECT_EQ(last, TCacheDBLineReader::Status::End);
        }
    }
}

TEST(CacheDBLineReader, ViewsFollowTheByteRulesOfSmallFiles) {
    const std::string cases[] = {"",
                                 "abc",
                                 "abc\n",
                                 "a\r\nb\r\n",
                                 "a\tb\t\tc",
                                 "\n",
                                 "\x7F\x80\xFF",
                                 std::string(513, 'b') + "\nx",
                                 std::string(1100, 'c')};
    test::TempDir dir;
    for (const std::string& bytes : cases) EXPECT_EQ(viewedLines(dir, bytes), indep::lines(bytes)) << bytes;
}

TEST(CacheDBLineReader, ReadErrorIsReported) {
    test::TempDir dir;
    const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    TCacheDBLineReader reader(fd);
    std::string line;
    EXPECT_EQ(reader.next(line), TCacheDBLineReader::Status::Error);
    EXPECT_EQ(reader.error(), EISDIR);
    ::close(fd);
}

// ---- the line parser ----

TEST(ParseCacheDBLine, FieldsOfAWellFormedLine) {
    TCacheRec r;
    ASSERT_EQ(
        ParseCacheDBLine("4711 \"Gro&szlig;e &amp; kleine &quot;Eiche&quot;\" 2004 8 15 49.123456 -10.5 "
                         "\"Multi-cache\" \"Regular\" GC1A2B 1 2.5 3.5 whatever follows",
                         r),
        0);
    EXPECT_EQ(r.CacheID, 4711);
    EXPECT_EQ(r.CacheName, "Gro&szlig;e & kleine \"Eiche\"");
    EXPECT_EQ(r.HiddenDate, encodeDate(2004, 8, 15));
    EXPECT_EQ(r.Lat, 49.123456);
    EXPECT_EQ(r.Lon, -10.5);
    EXPECT_EQ(r.CacheType, "Multi-cache");
    EXPECT_EQ(r.CacheSize, "Regular");
    EXPECT_EQ(r.Waypoint, "GC1A2B");
    EXPECT_EQ(r.Difficulty, "2.5");
    EXPECT_EQ(r.Terrain, "3.5");
    // The converter sets these, not the parser.
    EXPECT_EQ(r.CountryID, 0);
    EXPECT_EQ(r.Valid, 0);
}

TEST(ParseCacheDBLine, ResultsAndFieldsTable) {
    struct Case {
        std::string line;
        int result;
        std::string name{}, waypoint{}, difficulty{}, terrain{};
    };
    const std::string longName(130, 'n');
    const Case cases[] = {
        {"# comment " + line(1, "x", "GC1"), -1},
        {"", -1},
        {"12345", -1},
        {" 12 \"x\" 2005 06 07 49.6 10.85 \"T\" \"S\" GC1 1 2 3", -1},  // empty ID
        {line(1, "x", "GC1").replace(0, 1, "1x"), -1},
        {"0x1F" + line(1, "x", "GC1").substr(1), -1},
        {"2147483648" + line(1, "x", "GC1").substr(1), -1},
        {"-2147483648" + line(1, "x", "GC1").substr(1), 0, "x", "GC1", "2", "3"},
        {"+7" + line(1, "x", "GC1").substr(1), 0, "x", "GC1", "2", "3"},
        {line(1, "x", "GC1", "1 2"), 1, "x", "GC1", "2", "0.0"},
        {line(1, "x", "GC1", "1"), 1, "x", "GC1", "0.0", "0.0"},
        {line(1, "x", "GC1", ""), 1, "x", "GC1", "0.0", "0.0"},
        {line(1, "x", "GC1", "1 1.5x 22222"), 0, "x", "GC1", "1.5", "222"},
        {line(1, "x", "GC12345678901234567"), -1},  // longer than a waypoint may be
        {line(1, "x", "GC1234567890ABCD"), 0, "x", "GC1234567890ABCD", "2", "3"},
        {line(1, "x", "gc12ab"), 0, "x", "GC12AB", "2", "3"},
        {line(1, "x", "../../x_escaped"), -1},
        {line(1, "x", "GC-12"), -1},
        {line(1, longName + "&amp;", "GC1"), 0, longName.substr(0, 120), "GC1", "2", "3"},
        {line(1, std::string(119, 'n') + "&amp;", "GC1"), 0, std::string(119, 'n') + "&", "GC1", "2", "3"},
        {line(1, "x", "GC1", "1 2 3", "N49.6 E10.85"), -1},
        {line(1, "x", "GC1", "1 2 3", "49,6 10.85"), -1},
        {line(1, "x", "GC1", "1 2 3", "nan 10.85"), -1},
        {line(1, "x", "GC1", "1 2 3", "inf 10.85"), -1},
        {line(1, "x", "GC1", "1 2 3", "1e999 10.85"), -1},
        {line(1, "x", "GC1", "1 2 3", "90.0001 10.85"), -1},
        {line(1, "x", "GC1", "1 2 3", "-90 -180"), 0, "x", "GC1", "2", "3"},
        {line(1, "x", "GC1", "1 2 3", "4.96e1 +.5"), 0, "x", "GC1", "2", "3"},
        {line(1, "x", "GC1", "1 2 3", "+-4 10"), -1},
        {line(1, "x", "GC1", "1 2 3", "49.6"), -1},  // the longitude is the type's quote
        {line(1, "x", "", ""), -1},                  // no waypoint
        {"1 \"x\" 2005 13 07 49.6 10.85 \"T\" \"S\" GC1 1 2 3", -1},
        {"1 \"x\" 2005 02 29 49.6 10.85 \"T\" \"S\" GC1 1 2 3", -1},
        {"1 \"x\" 2004 02 29 49.6 10.85 \"T\" \"S\" GC1 1 2 3", 0, "x", "GC1", "2", "3"},
        {"1 \"x\" 0 1 1 49.6 10.85 \"T\" \"S\" GC1 1 2 3", -1},
        {"1 \"x\" 2004 -1 1 49.6 10.85 \"T\" \"S\" GC1 1 2 3", -1},
        {"1    \"x\"    2004   1   1   49.6   10.85   \"T\"   \"S\"   GC1   1   2   3", 0, "x", "GC1", "2",
         "3"},
        {"1 2004 1 1 49.6 10.85 GC1 1 2 3", 0, "", "GC1", "2", "3"},   // no quotes: empty texts
        {"1 pre\"x\" 2004 1 1 49.6 10.85 \"T\" \"S\" GC1 1 2 3", -1},  // "pre" becomes the year
        {"1 \"x 2004 1 1 49.6 10.85 T S GC1 1 2 3", -1},               // one quote: no name, "x" is the year
    };
    for (const Case& c : cases) {
        TCacheRec r;
        r.CacheName = "dirty";
        const int got = ParseCacheDBLine(c.line, r);
        EXPECT_EQ(got, c.result) << c.line;
        const auto p = indep::parse(c.line, 0, 0, 0);
        EXPECT_EQ(p.result, c.result) << c.line << " (independent reader)";
        if (c.result < 0) {
            EXPECT_EQ(r, TCacheRec{}) << c.line;
            continue;
        }
        EXPECT_EQ(r.CacheName, c.name) << c.line;
        EXPECT_EQ(r.Waypoint, c.waypoint) << c.line;
        EXPECT_EQ(r.Difficulty, c.difficulty) << c.line;
        EXPECT_EQ(r.Terrain, c.terrain) << c.line;
    }
}

// ---- the conversion against the independent reading ----

// A country file with every kind of line, well-formed or not, in random order.
std::string mixedCountryFile(unsigned seed, int count) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* names[] = {"Am Bach",
                           "Gro\xDF"
                           "e Eiche",
                           "Tom &amp; Jerry",
                           "&quot;Zitat&quot;",
                           "B&#228;r",
                           "\x80\x9F\xFF",
                           ""};
    const char* types[] = {"Traditional Cache", "Multi-cache", "Cache In Trash Out Event", "Earthcache", ""};
    const char* sizes[] = {"Micro", "Small", "Regular", "Not chosen", "Other", ""};
    const char* eols[] = {"\n", "\r\n", "\r", "\n\n", "\x1A", ""};
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string sep = pick(5) == 0 ? "\t" : pick(6) == 0 ? "   " : " ";
        std::string name = names[pick(7)];
        if (pick(20) == 0) name = std::string(125, 'L') + "&amp;x";
        std::string lat = std::to_string(-90 + pick(180)) + "." + std::to_string(pick(1000000));
        std::string lon = std::to_string(-180 + pick(360)) + "." + std::to_string(pick(1000000));
        std::string y = std::to_string(2000 + pick(8)), m = std::to_string(1 + pick(12)),
                    d = std::to_string(1 + pick(31));
        std::string id = std::to_string(pick(2000000));
        std::string wp = "GC" + std::to_string(100 + pick(5000));
        if (pick(30) == 0) wp += "ABCDEFGHIJKLMNOPQRS";
        std::string ratings = std::to_string(1 + pick(5)) + sep + "1.5" + sep + std::to_string(1 + pick(5));
        switch (pick(25)) {
            case 0:
                id = "x" + id;
                break;
            case 1:
                m = "13";
                break;
            case 2:
                lat = "N" + lat;
                break;
            case 3:
                lon = "";
                break;
            case 4:
                ratings = "1";
                break;
            case 5:
                ratings = "1" + sep + "2";
                break;
            case 6:
                ratings = "";
                break;
            case 7:
                lat = "91";
                break;
            case 8:
                lon = "1e3";
                break;
            case 9:
                y = "20x4";
                break;
            case 10:
                wp = "";
                ratings = "";
                break;
            default:
                break;
        }
        std::string l = id + sep + "\"" + name + "\"" + sep + y + sep + m + sep + d + sep + lat + sep + lon +
                        sep + "\"" + types[pick(5)] + "\"" + sep + "\"" + sizes[pick(6)] + "\"" + sep + wp +
                        sep + ratings;
        switch (pick(30)) {
            case 0:
                l = "#" + l;
                break;
            case 1:
                l += " " + std::string(static_cast<std::size_t>(450 + pick(300)), '=');
                break;
            case 2:
                l.insert(static_cast<std::size_t>(pick(static_cast<int>(l.size()))), 1, '\x01');
                break;
            case 3:
                l.clear();
                break;
            case 4:
                for (int k = 0; k < 40; ++k)
                    l[static_cast<std::size_t>(pick(static_cast<int>(l.size())))] =
                        static_cast<char>(pick(256));
                break;
            default:
                break;
        }
        out += l + eols[pick(10) < 6 ? 0 : pick(6)];
    }
    return out;
}

TEST_F(ConverterTest, RecordsAgreeByteForByteWithTheIndependentReading) {
    for (unsigned seed : {1u, 2u, 3u}) {
        ::unlink(home.workFile("Caches.bin").c_str());
        const std::string file = mixedCountryFile(seed, 3000);
        const indep::Expected e = indep::convert(file, homeLat(), homeLon(), 79);
        ASSERT_GT(e.converted, 1000);
        ASSERT_GT(e.incomplete, 50);
        ASSERT_GT(e.malformed, 200);
        EXPECT_EQ(convertText(file), e.converted) << seed;
        EXPECT_EQ(reader.counters().converted, e.converted);
        EXPECT_EQ(reader.counters().incomplete, e.incomplete);
        EXPECT_EQ(reader.counters().malformed, e.malformed);
        EXPECT_EQ(reader.counters().newRecords, 0);
        const std::string got = bin();
        ASSERT_EQ(got.size(), e.records.size()) << seed;
        for (std::size_t off = 0; off < got.size(); off += 296) {
            ASSERT_EQ(got.substr(off, 296), e.records.substr(off, 296))
                << "seed " << seed << " record " << off / 296;
        }
        EXPECT_FALSE(home.dir.exists("Caches.bin.tmp"));
    }
}

// One parser for a whole file keeps its buffers from line to line: nothing of a line may show in
// the next, whatever it lacks (a shorter name, no quotes, no ratings, a refusal in between).
TEST(CacheDBLineParser, EachLineParsesAsIfItWereAlone) {
    const std::string longName(130, 'n');
    const std::string lines[] = {
        line(1, longName, "GC1"),
        line(2, "kurz", "GC2", "1"),
        "3 2005 06 07 49.6 10.85 GC3 1 2 3",
        "# comment",
        line(4, "&amp;x", "G C4"),
        line(5, "y", "gc5", "1 2"),
        "6 \"offen 2005 06 07 49.6 10.85 GC6 1 2 3",
        line(7, "z", "GC7"),
    };
    TCacheDBLineParser parser;
    TCacheRec streamed;
    for (const std::string& l : lines) {
        SCOPED_TRACE(l);
        TCacheRec alone;
        std::string streamedProblem, aloneProblem;
        EXPECT_EQ(parser.parse(l, streamed, &streamedProblem), ParseCacheDBLine(l, alone, &aloneProblem));
        EXPECT_EQ(streamed, alone);
        EXPECT_EQ(streamedProblem, aloneProblem);
    }
    const std::string file = mixedCountryFile(5, 500);
    for (std::size_t from = 0, to; from < file.size(); from = to + 1) {
        to = std::min(file.find('\n', from), file.size());
        const std::string l = file.substr(from, to - from);
        TCacheRec alone;
        ASSERT_EQ(parser.parse(l, streamed), ParseCacheDBLine(l, alone)) << l;
        ASSERT_EQ(streamed, alone) << l;
    }
}

// The index of a new database comes from the records as they are written; it must be the file
// that reading the database back writes. Another target than the working directory's database
// leaves the index alone.
TEST_F(ConverterTest, ANewDatabaseGetsTheIndexThatReadingItBackWrites) {
    const std::string file =
        mixedCountryFile(4, 2000) + line(1, "a", "gc1") + "\n" + line(2, "b", "GC1") + "\n";
    convertText(file);
    EXPECT_TRUE(reader.indexCurrent());
    const std::string written = home.dir.read("Caches.idx");
    EXPECT_EQ(written, indep::indexOf(bin()));
    ASSERT_EQ(RebuildIndex(home.ctx()), 0);
    EXPECT_EQ(home.dir.read("Caches.idx"), written);

    ::unlink(home.workFile("Caches.idx").c_str());
    EXPECT_GT(reader.ConverteHTTP(home.workFile("gc_germany.txt"), home.workFile("Other.bin"), false), 0);
    EXPECT_FALSE(reader.indexCurrent());
    EXPECT_FALSE(home.dir.exists("Caches.idx"));
}

TEST_F(ConverterTest, CountryIDComesFromTheFileName) {
    struct Case {
        std::string path;
        std::int32_t id;
    };
    home.ctx().countries.entries.push_back({555, "GC_Germany.TXT", "X", "Y"});  // a later entry wins
    const Case cases[] = {{"/x/y/gc_austria.txt", 20},     {"GC_AUSTRIA.TXT", 20},
                          {"c:\\db\\gc_germany.txt", 555}, {"/x/gc_germany.txt.zip", 0},
                          {"gc_unknown.txt", 0},           {"", 0}};
    for (const Case& c : cases) EXPECT_EQ(CountryIDFromFileName(home.ctx(), c.path), c.id) << c.path;

    home.ctx().countries.entries.pop_back();
    convertText(line(1, "x", "GC1"), false, "gc_nowhere.txt");
    EXPECT_EQ(decodeCacheRec(bin().data()).CountryID, 0);
}

TEST_F(ConverterTest, WithoutDatabaseAllRecordsGoStraightIn) {
    const std::string file =
        line(1, "a", "GC1") + "\n" + line(2, "b", "GC1") + "\n" + line(3, "c", "gc2") + "\n";
    EXPECT_EQ(convertText(file, true), 3);  // no question: no merge
    EXPECT_EQ(bin().size(), 3u * 296);
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_EQ(reader.counters().newRecords, 0);
}

TEST_F(ConverterTest, MalformedLinesAreCountedAndLoggedInDebugMode) {
    home.ctx().debugMode = true;
    const std::string file = "# header\n" + line(1, "a", "GC1") + "\nbroken line\n";
    EXPECT_EQ(convertText(file), 1);
    EXPECT_EQ(reader.counters().malformed, 2);
    const std::string log = home.dir.read("debug.log");
    EXPECT_NE(log.find("ERR: frmGCDBReader.ConverteHTTP: malformed line found:\r\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find(" # header\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" broken line\r\n"), std::string::npos) << log;
}

TEST_F(ConverterTest, ProgressEveryHundredRecordsAndAtTheEnd) {
    std::string file;
    for (int i = 0; i < 250; ++i) file += line(i, "x", "GC" + std::to_string(i)) + "\n";
    file += "bad\n";
    const int before = home.host.processEventsCalls;
    convertText(file);
    EXPECT_EQ(reader.countText(), "251");
    EXPECT_EQ(home.host.processEventsCalls - before, 3);  // at 100, 200 and at the end
}

TEST_F(ConverterTest, ErrorCodes) {
    EXPECT_EQ(reader.ConverteHTTP(home.workFile("missing.txt"), home.workFile("Caches.bin"), false), -1);
    // A directory opens but cannot be read.
    EXPECT_EQ(reader.ConverteHTTP(home.dir.path(), home.workFile("Caches.bin"), false), -3);
    home.dir.write("gc_germany.txt", line(1, "x", "GC1"));
    EXPECT_EQ(reader.ConverteHTTP(home.workFile("gc_germany.txt"), home.workFile("nodir/Caches.bin"), false),
              -2);
    // With Caches.bin present the output is Caches.bin.tmp: when that cannot be made, -2 as well.
    writeDb({"GC9"});
    ASSERT_EQ(makeDirs(home.workFile("Caches.bin.tmp")), 0);
    EXPECT_EQ(reader.ConverteHTTP(home.workFile("gc_germany.txt"), home.workFile("Caches.bin"), false), -2);
}

TEST_F(ConverterTest, WriteErrorLeavesOnlyWholeRecords) {
    std::string file;
    for (int i = 0; i < 5000; ++i) file += line(i, "x", "GC" + std::to_string(i)) + "\n";
    home.dir.write("gc_germany.txt", file);
    // A file size limit that cuts the output in the middle of a record.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 296 * 1500 + 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int r = reader.ConverteHTTP(home.workFile("gc_germany.txt"), home.workFile("Caches.bin"), false);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r, -4);
    const std::string written = bin();
    EXPECT_EQ(written.size() % 296, 0u);
    EXPECT_GT(written.size(), 0u);
    EXPECT_EQ(decodeCacheRec(written.data() + written.size() - 296).Waypoint,
              "GC" + std::to_string(written.size() / 296 - 1));
}

// ---- the merge ----

TEST_F(ConverterTest, MergeKeepsExistingRecordsAppendsNewOnesAndRebuildsTheIndex) {
    writeDb({"GC100", "gc200", "GC300"});
    const std::string before = bin();
    const std::string file = line(1, "changed", "gc100") + "\n" +  // present: the database's record stays
                             line(2, "new a", "GC400", "1 2 3", "50.5 10.75") + "\n" +  //
                             line(3, "changed", "GC200") + "\n" +  // present in lower case
                             line(4, "new b", "GC500", "1 2 3", "49.6 10.85") + "\n" +  //
                             line(5, "twice", "GC400", "1 2 3", "50.6 10.75") + "\n";   // added a second time
    const int r = convertText(file);
    EXPECT_EQ(r, 5);
    EXPECT_EQ(reader.counters().newRecords, 3);
    const std::string after = bin();
    const indep::Expected e = indep::convert(file, homeLat(), homeLon(), 79);
    const std::string added =
        e.records.substr(296, 296) + e.records.substr(3 * 296, 296) + e.records.substr(4 * 296);
    EXPECT_EQ(after, before + added);
    EXPECT_EQ(home.dir.read("Caches.bin.tmp"), e.records);
    EXPECT_EQ(home.dir.read("Caches.idx"), indep::indexOf(after));
    EXPECT_TRUE(home.ctx().cacheIndex.empty());
    TCacheRec found;
    ASSERT_TRUE(FindCache(home.ctx(), "gc500", found));
    EXPECT_EQ(found.CacheName, "new b");
}

TEST_F(ConverterTest, MergeAgainstALargeRandomDatabase) {
    std::vector<std::string> existing;
    for (int i = 0; i < 3000; i += 2) existing.push_back("GC" + std::to_string(100 + i));
    writeDb(existing);
    const std::string before = bin();
    const std::string file = mixedCountryFile(7, 3000);
    const indep::Expected e = indep::convert(file, homeLat(), homeLon(), 79);
    std::string added;
    for (std::size_t off = 0; off < e.records.size(); off += 296) {
        std::string wp = e.records.substr(off + 195, static_cast<unsigned char>(e.records[off + 194]));
        wp = upperCase(wp);
        if (std::find(existing.begin(), existing.end(), wp) == existing.end())
            added += e.records.substr(off, 296);
    }
    convertText(file);
    EXPECT_EQ(reader.counters().newRecords, static_cast<int>(added.size() / 296));
    EXPECT_EQ(bin(), before + added);
    EXPECT_EQ(home.dir.read("Caches.idx"), indep::indexOf(before + added));
}

TEST_F(ConverterTest, MergeWithNothingNewAddsAndAsksNothing) {
    writeDb({"GC1", "GC2"});
    const std::string before = bin();
    convertText(line(1, "x", "gc1") + "\n" + line(2, "y", "GC2"), true);
    EXPECT_EQ(reader.counters().newRecords, 0);
    EXPECT_EQ(bin(), before);
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(ConverterTest, MergeBehindAnIncompleteTail) {
    writeDb({"GC1"});
    home.dir.write("Caches.bin", bin() + std::string(100, 'z'));
    convertText(line(2, "x", "GC2"));
    const std::string after = bin();
    ASSERT_EQ(after.size(), 2u * 296);
    EXPECT_EQ(decodeCacheRec(after.data() + 296).Waypoint, "GC2");
}

TEST_F(ConverterTest, NearestNewCacheIsOfferedWithDistanceAndBearing) {
    writeDb({"GC1"});
    // Home 49.5 / 10.75. GC3 and GC4 are equally near; the first in file order wins.
    const std::string file = line(1, "x", "GC1", "1 2 3", "49.5 10.76") + "\n" +
                             line(2, "far", "GC2", "1 2 3", "51 10.75") + "\n" +
                             line(3, "near", "GC3", "1 2 3", "49.6 10.85") + "\n" +
                             line(4, "near too", "GC4", "1 2 3", "49.6 10.85") + "\n";
    std::vector<std::string> shown;
    reader.showCacheDetails = [&](const TCacheRec& r) {
        EXPECT_TRUE(home.host.messages.size() == 1);
        EXPECT_EQ(bin().size(), 296u) << "the question comes before the records are written";
        shown.push_back(r.Waypoint);
    };
    home.host.answerNext(MsgResult::Yes);
    convertText(file, true);
    ASSERT_EQ(home.host.messages.size(), 1u);
    const auto& q = home.host.messages[0];
    EXPECT_EQ(q.kind, MsgKind::Confirmation);
    EXPECT_EQ(q.buttons, MsgButtons::YesNo);
    EXPECT_EQ(q.text,
              "Es wurden 3 neue Caches in die Datenbank eingef\xFCgt.\r\n\r\n"
              "Der n\xE4"
              "chstgelegene der neuen Caches liegt von den hinterlegten Home-Koordinaten in 13.3 km "
              "Entfernung in Richtung 33 Grad.\r\n\r\nDetailansicht dieses Caches zeigen?");
    EXPECT_EQ(shown, std::vector<std::string>{"GC3"});
    EXPECT_EQ(bin().size(), 4u * 296);

    // No: nothing is shown, the records are written all the same.
    writeDb({"GC1"});
    shown.clear();
    home.host.answerNext(MsgResult::No);
    convertText(file, true);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(bin().size(), 4u * 296);
}

// The existing waypoints are looked up through a table whose free slots are keys of zero bytes:
// the waypoint that gives that key is found like any other, in whatever case.
TEST_F(ConverterTest, MergeFindsEveryExistingKeyEvenOneOfZeroBytes) {
    const std::string zeros(16, '\0');
    struct Case {
        const char* what;
        std::vector<std::string> database, fresh;
        std::vector<std::string> added;
    };
    const Case cases[] = {
        {"held: not added", {"GC1", zeros}, {zeros, "gc2"}, {"gc2"}},
        {"not held: added", {"GC1"}, {zeros, "gc1", "GC3"}, {zeros, "GC3"}},
        {"blank key beside it", {"", "GC1"}, {zeros, " ", ""}, {zeros}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeDb(c.database);
        const std::string before = bin();
        std::string fresh, added;
        for (const std::string& wp : c.fresh) fresh += handCacheRec(wp);
        for (const std::string& wp : c.added) added += handCacheRec(wp);
        home.dir.write("new.bin", fresh);
        EXPECT_EQ(reader.MergeCacheDB(home.workFile("new.bin"), home.workFile("Caches.bin"), false),
                  static_cast<int>(c.added.size()));
        EXPECT_EQ(bin(), before + added);
        EXPECT_EQ(home.dir.read("Caches.idx"), indep::indexOf(before + added));
    }
}

TEST_F(ConverterTest, MergeWithAnUnreadableDatabaseReportsAndAddsNothing) {
    TCacheRec rec;
    rec.Waypoint = "GC2";
    home.dir.write("new.bin", encodeCacheRec(rec));
    // A directory opens but cannot be read: without the existing waypoints nothing may be added.
    EXPECT_EQ(reader.MergeCacheDB(home.workFile("new.bin"), home.dir.path(), true), 0);
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text.rfind("Fehler beim Schreiben auf Datei " + home.dir.path(), 0), 0u);
}

// ---- ConvertCacheDB and its messages ----

TEST_F(ConverterTest, ConvertCacheDBReportsCountsWhenMessagesAreOn) {
    home.ctx().settings.ShowMessages = true;
    const std::string file =
        line(1, "a", "GC1") + "\n" + line(2, "b", "GC2", "1 2") + "\n#\n\n" + line(3, "c", "GC3");
    home.dir.write("gc_germany.txt", file);
    EXPECT_EQ(reader.ConvertCacheDB("gc_germany.txt", true, true), 0);
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Information);
    EXPECT_EQ(
        home.host.messages[0].text,
        "gc_germany.txt:\r\n2 Datens\xE4tze wurden konvertiert\r\n2 Datens\xE4tze konnten nicht konvertiert "
        "werden\r\n1 Datens\xE4tze wurden unvollst\xE4ndig konvertiert (Difficulty/Terrain-Angabe fehlt)");
    EXPECT_EQ(home.host.progressLog.front(), "begin Cache-Datenbank wird eingelesen. 0");
    EXPECT_EQ(home.host.progressLog.back(), "end");
    EXPECT_FALSE(reader.visible());
    EXPECT_EQ(reader.sourceText(), home.workFile("gc_germany.txt"));
    EXPECT_EQ(reader.targetText(), home.workFile("Caches.bin"));

    // A second conversion of the same file merges: the heading changes, nothing is new.
    home.host.messages.clear();
    home.host.progressLog.clear();
    EXPECT_EQ(reader.ConvertCacheDB("gc_germany.txt", true, false), 0);
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_NE(std::find(home.host.progressLog.begin(), home.host.progressLog.end(),
                        "text Cache-Datenbanken werden zusammengef\xFChrt."),
              home.host.progressLog.end());
}

TEST_F(ConverterTest, ConvertCacheDBMessagesForMissingFilesAndErrors) {
    home.ctx().settings.ShowMessages = true;
    EXPECT_EQ(reader.ConvertCacheDB("gc_germany.txt", false, true), 0);
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text, "Cache-DB \"" + home.workFile("gc_germany.txt") +
                                              "\"\r\nnicht gefunden. Bitte den angegebenen Pfad \xFC"
                                              "berpr\xFC"
                                              "fen.\r\n(Men\xFC Datei / "
                                              "Grundeinstellungen - Pfade+Dateien / Cache-DB)");
    EXPECT_EQ(reader.lastResult(), -1);

    home.host.messages.clear();
    home.dir.write("gc_germany.txt", line(1, "a", "GC1"));
    writeDb({"GC9"});
    ASSERT_EQ(makeDirs(home.workFile("Caches.bin.tmp")), 0);
    reader.ConvertCacheDB("gc_germany.txt", false, true);
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text, "Fehler #-2 bei der Verarbeitung.");
}

TEST_F(ConverterTest, ConvertCacheDBFindsAFileWhoseNameDiffersInCase) {
    home.dir.write("GC_Germany.TXT", line(1, "a", "GC1"));
    reader.ConvertCacheDB("gc_germany.txt", false, false);
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_EQ(bin().size(), 296u);
}

// ---- the local commands ----

TEST_F(ConverterTest, LocalPrimaryConversionChoosesGermanyWhenNoneIsSet) {
    home.ctx().settings.CacheDBPrimary = 0;
    home.dir.write("gc_germany.txt", line(1, "a", "GC1") + "\n" + line(2, "b", "GC2"));
    int refreshed = 0;
    TCacheDBCommandHooks hooks;
    hooks.refreshStatusLine = [&] { ++refreshed; };
    TCacheDBCommands commands(home.ctx(), hooks);
    commands.lokaleCacheDBkonvertieren1Click();
    EXPECT_EQ(home.ctx().settings.CacheDBPrimary, 3);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(decodeCacheRec(bin().data()).CountryID, 79);
    EXPECT_EQ(home.dir.read("Caches.idx"), indep::indexOf(bin()));
}

TEST_F(ConverterTest, LocalAdditionalConversionSummary) {
    home.ctx().settings.ShowMessages = true;
    home.ctx().settings.CacheDBPrimary = 3;
    home.ctx().settings.UseCacheDB.fill(0);
    for (int n : {1, 2, 3}) home.ctx().settings.UseCacheDB[static_cast<std::size_t>(n - 1)] = 1;
    home.ctx().settings.UseCacheDB[5] = 2;  // only 1 selects
    home.dir.write("gc_austria.txt", line(1, "a", "GC1") + "\n" + line(2, "b", "GC2"));
    home.dir.write("gc_switzerland.txt", line(3, "c", "GC3") + "\n" + line(4, "b", "GC2"));
    home.dir.write("gc_belgium.txt", line(5, "c", "GC5"));
    TCacheDBCommands commands(home.ctx());
    EXPECT_EQ(commands.convertAdditionalCacheDBsClick(), 1);
    const auto infos = home.host.textsOf(MsgKind::Information);
    ASSERT_EQ(infos.size(), 3u);
    EXPECT_EQ(infos[2],
              "Folgende neuen Caches wurden in die Datenbank geladen: \r\ngc_austria.txt: 0 Caches\r\n"
              "gc_switzerland.txt: 1 Caches");
    const std::string db = bin();
    ASSERT_EQ(db.size(), 3u * 296);
    EXPECT_EQ(decodeCacheRec(db.data() + 2 * 296).CountryID, 22);
}

TEST_F(ConverterTest, DownloadWithoutPrimaryShowsTheError) {
    home.ctx().settings.CacheDBPrimary = 0;
    TCacheDBCommands commands(home.ctx());
    EXPECT_FALSE(commands.mnuReadCacheDBClick());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text,
              "Es ist keine prim\xE4re Cache-DB ausgew\xE4hlt.\r\nDie prim\xE4re Cache-DB kann unter Datei / "
              "Grundeinstellungen / Cache-Datenbank eingestellt werden.");
}

}  // namespace
}  // namespace vellora
