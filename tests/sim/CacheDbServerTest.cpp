// The cache-database server: country files and zips, read back by a reader of the country-file
// format written here from its description, give the world's caches; the archive list and the
// version file.
#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

#include "SimTestSupport.h"
#include "core/DateUtil.h"
#include "core/Koord.h"
#include "support/SimSuite.h"

namespace vellora::sim {
namespace {

struct Converted {
    std::vector<TCacheRec> records;
    int complete = 0, incomplete = 0, malformed = 0;
    bool sawCrLf = false, sawTab = false, sawOverlong = false;
};

// Cuts the bytes into lines: a byte below 32 ends a line (TAB becomes a blank first), and a line
// ends after 512 characters.
std::vector<std::string> countryLines(std::string_view bytes, Converted& stats) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\t') {
            c = ' ';
            stats.sawTab = true;
        }
        if (static_cast<unsigned char>(c) < 32) {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') stats.sawCrLf = true;
            lines.push_back(line);
            line.clear();
            continue;
        }
        if (line.size() == 512) {
            lines.push_back(line);
            line.clear();
            stats.sawOverlong = true;
        }
        line += c;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string decodeReferences(std::string s) {
    static const std::pair<const char*, char> kNamed[] = {
        {"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}};
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        bool done = false;
        for (const auto& [ref, ch] : kNamed) {
            if (s.compare(i, std::strlen(ref), ref) == 0) {
                out += ch;
                i += std::strlen(ref);
                done = true;
                break;
            }
        }
        if (!done && s.compare(i, 2, "&#") == 0) {
            const auto semi = s.find(';', i);
            int v = 0;
            if (semi != std::string::npos &&
                std::from_chars(s.data() + i + 2, s.data() + semi, v).ptr == s.data() + semi && v > 0 &&
                v < 256) {
                out += static_cast<char>(v);
                i = semi + 1;
                done = true;
            }
        }
        if (!done) out += s[i++];
    }
    return out;
}

// One line into a record: -1 malformed, 0 complete, 1 without ratings.
int parseLine(std::string line, TCacheRec& r) {
    r = TCacheRec{};
    if (line.empty() || line[0] == '#') return -1;
    const auto blank = line.find(' ');
    if (blank == std::string::npos) return -1;
    if (std::from_chars(line.data(), line.data() + blank, r.CacheID).ptr != line.data() + blank) return -1;
    std::string rest = line.substr(blank + 1);
    const auto cutQuoted = [&rest](std::string& out) {
        const auto a = rest.find('"');
        const auto b = a == std::string::npos ? a : rest.find('"', a + 1);
        if (b == std::string::npos) return false;
        out = rest.substr(a + 1, b - a - 1);
        rest.erase(a, b - a + 1);
        rest.erase(
            0, rest.find_first_not_of(' ') == std::string::npos ? rest.size() : rest.find_first_not_of(' '));
        return true;
    };
    const auto token = [&rest]() {
        const auto b = rest.find(' ');
        std::string t = rest.substr(0, b);
        rest.erase(0, b == std::string::npos ? rest.size() : b);
        rest.erase(
            0, rest.find_first_not_of(' ') == std::string::npos ? rest.size() : rest.find_first_not_of(' '));
        return t;
    };
    std::string name;
    if (!cutQuoted(name)) return -1;
    r.CacheName = decodeReferences(name).substr(0, 120);
    const std::string y = token(), m = token(), d = token(), la = token(), lo = token();
    const auto num = [](const std::string& t, auto& v) {
        return !t.empty() && std::from_chars(t.data(), t.data() + t.size(), v).ptr == t.data() + t.size();
    };
    int yi = 0, mi = 0, di = 0;
    if (!num(y, yi) || !num(m, mi) || !num(d, di) || !isValidDate(yi, mi, di)) return -1;
    r.HiddenDate = encodeDate(yi, mi, di);
    if (!num(la, r.Lat) || !num(lo, r.Lon)) return -1;
    std::string type, size;
    if (!cutQuoted(type) || !cutQuoted(size)) return -1;
    r.CacheType = type.substr(0, 20);
    r.CacheSize = size.substr(0, 20);
    r.Waypoint = token().substr(0, 16);
    token();
    const std::string diff = token(), terr = token();
    r.Difficulty = diff.empty() ? "0.0" : diff.substr(0, 3);
    r.Terrain = terr.empty() ? "0.0" : terr.substr(0, 3);
    r.Valid = 1;
    return diff.empty() || terr.empty() ? 1 : 0;
}

Converted convert(std::string_view bytes, int countryId) {
    Converted out;
    for (const std::string& line : countryLines(bytes, out)) {
        TCacheRec r;
        const int rc = parseLine(line, r);
        if (rc < 0) {
            ++out.malformed;
            continue;
        }
        ++(rc == 0 ? out.complete : out.incomplete);
        r.CountryID = countryId;
        r.HomeDist = static_cast<float>(DistanceBearing(49.5, 10.75, r.Lat, r.Lon).distanceKm);
        out.records.push_back(r);
    }
    return out;
}

std::uint32_t le32(std::string_view d, std::size_t p) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[p])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[p + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[p + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[p + 3])) << 24;
}
unsigned le16(std::string_view d, std::size_t p) {
    return static_cast<unsigned>(static_cast<std::uint8_t>(d[p])) |
           static_cast<unsigned>(static_cast<std::uint8_t>(d[p + 1])) << 8;
}

struct ZipMember {
    std::string name, data;
};

// The members of an archive, found through its central directory and checked against their CRC.
std::vector<ZipMember> unzip(std::string_view zip) {
    std::vector<ZipMember> out;
    const std::size_t eocd = zip.rfind(std::string_view("PK\x05\x06", 4));
    if (eocd == std::string_view::npos) return out;
    const unsigned entries = le16(zip, eocd + 10);
    std::size_t cd = le32(zip, eocd + 16);
    for (unsigned k = 0; k < entries; ++k) {
        EXPECT_EQ(le32(zip, cd), 0x02014B50u);
        const unsigned method = le16(zip, cd + 10);
        const std::uint32_t crc = le32(zip, cd + 16), csize = le32(zip, cd + 20), usize = le32(zip, cd + 24);
        const unsigned nameLen = le16(zip, cd + 28), extra = le16(zip, cd + 30), comment = le16(zip, cd + 32);
        const std::uint32_t local = le32(zip, cd + 42);
        ZipMember m;
        m.name = std::string(zip.substr(cd + 46, nameLen));
        EXPECT_EQ(le32(zip, local), 0x04034B50u);
        const std::size_t dataAt = local + 30 + le16(zip, local + 26) + le16(zip, local + 28);
        EXPECT_EQ(method, 8u);
        m.data.resize(usize);
        z_stream zs{};
        inflateInit2(&zs, -15);
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + dataAt));
        zs.avail_in = csize;
        zs.next_out = reinterpret_cast<Bytef*>(m.data.data());
        zs.avail_out = usize;
        EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
        inflateEnd(&zs);
        EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), usize), crc);
        out.push_back(std::move(m));
        cd += 46 + nameLen + extra + comment;
    }
    return out;
}

SimFixture::Options cacheDbServerWorld() {
    SimFixture::Options o;
    o.seed = 21;
    o.caches = 1500;
    return o;
}

class CacheDbServer : public ::vellora::test::SimSuite<CacheDbServer, cacheDbServerWorld> {
protected:
    void SetUp() override { client_ = test::clientFor(sim()); }

    std::unique_ptr<httplib::Client> client_;
};

TEST_F(CacheDbServer, CountryFilesAndZipsGiveTheWorldsCaches) {
    const World& w = sim().world();
    ASSERT_EQ(w.countries().count(), 27);
    int incomplete = 0, crlf = 0, tabs = 0, overlong = 0, total = 0;
    for (int e = 0; e < w.countries().count(); ++e) {
        const TCountryEntry& entry = w.countries().entries[static_cast<std::size_t>(e)];
        SCOPED_TRACE(entry.DB_Filename);
        const std::string text = test::fetch(*client_, "/cachedb/" + entry.DB_Filename);
        const auto members = unzip(test::fetch(*client_, "/cachedb/" + entry.DB_Filename + ".zip"));
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].name, entry.DB_Filename);
        EXPECT_EQ(members[0].data, text);

        const Converted conv = convert(text, entry.DB_CountryID);
        const std::vector<int> expected = w.cachesInCountry(e);
        ASSERT_EQ(conv.records.size(), expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k)
            EXPECT_EQ(conv.records[k], w.convertedRecord(expected[k]));
        EXPECT_GE(conv.malformed, 3);  // the comment header at least
        incomplete += conv.incomplete;
        crlf += conv.sawCrLf;
        tabs += conv.sawTab;
        overlong += conv.sawOverlong;
        total += static_cast<int>(conv.records.size());
    }
    EXPECT_EQ(total, w.size());
    EXPECT_GT(incomplete, 0);
    EXPECT_GT(crlf, 0);
    EXPECT_GT(tabs, 0);
    EXPECT_GT(overlong, 0);
}

TEST_F(CacheDbServer, FileNamesCompareWithoutCaseAndUnknownOnesAreMissing) {
    EXPECT_EQ(test::fetch(*client_, "/cachedb/GC_GERMANY.TXT"),
              test::fetch(*client_, "/cachedb/gc_germany.txt"));
    for (const char* path :
         {"/cachedb/gc_atlantis.txt", "/cachedb/gc_germany.txt.gz", "/cachedb/../velloralist.php"}) {
        auto res = client_->Get(path);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 404) << path;
    }
}

TEST_F(CacheDbServer, ArchiveListNamesTheArchivedCaches) {
    const World& w = sim().world();
    const std::string list = test::fetch(*client_, "/velloralist.php");
    std::vector<std::string> waypoints;
    std::size_t start = 0;
    for (auto end = list.find("\r\n"); end != std::string::npos; end = list.find("\r\n", start)) {
        const std::string line = list.substr(start, end - start);
        ASSERT_EQ(line.find(';'), 10u) << line;
        EXPECT_TRUE(parseDate(line.substr(8, 2) + "." + line.substr(5, 2) + "." + line.substr(0, 4)));
        waypoints.push_back(line.substr(line.rfind(';') + 1));
        start = end + 2;
    }
    EXPECT_EQ(start, list.size());
    std::vector<std::string> expected;
    for (int i : w.archivedCaches()) expected.push_back(w.waypoint(i));
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(waypoints, expected);
}

TEST_F(CacheDbServer, VersionFileCanBeSetThroughTheControlEndpoint) {
    EXPECT_EQ(test::fetch(*client_, "/velloraversion.txt"), "V5.0.1\r\n13.12.2006\r\n");
    test::fetch(*client_, "/_control/version?text=V5.0.2&date=05.01.2007");
    EXPECT_EQ(test::fetch(*client_, "/velloraversion.txt"), "V5.0.2\r\n05.01.2007\r\n");
    sim().server().setVersion("V5.0.1", "13.12.2006");
    EXPECT_EQ(test::fetch(*client_, "/velloraversion.txt"), "V5.0.1\r\n13.12.2006\r\n");
}

}  // namespace
}  // namespace vellora::sim
