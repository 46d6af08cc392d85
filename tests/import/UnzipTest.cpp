#include "import/Unzip.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <ctime>

#include <filesystem>
#include <random>

#include "ZipWriter.h"
#include "core/FileUtil.h"
#include "support/SharedFolders.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::buildZip;
using test::crcOf;
using test::sharedFolder;
using test::TempDir;
using test::ZipEntry;

namespace fs = std::filesystem;

const std::string kFixtures = sharedFolder("fixtures/zip");

// Every entry below dir (files, directories, links, hidden temporaries), relative, sorted.
std::vector<std::string> treeOf(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(fs::relative(it->path(), dir).string() + (it->is_directory() ? "/" : ""));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string writeArchive(const TempDir& dir, const std::string& name, const std::string& bytes) {
    dir.write(name, bytes);
    return dir.file(name);
}

void patchLe32(std::string& zip, std::size_t pos, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) zip[pos + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Offset of the first central directory header.
std::size_t centralDirOf(const std::string& zip) {
    return zip.find("PK\x01\x02");
}

class FixtureArchives : public ::testing::Test {
protected:
    void SetUp() override { VELLORA_REQUIRE_SHARED_FOLDER(kFixtures); }
};

TEST_F(FixtureArchives, ListAndExtractEveryMethod) {
    struct Case {
        const char* archive;
        std::vector<std::tuple<std::string, std::uint16_t, std::uint64_t, std::uint32_t>> members;
    };
    const Case cases[] = {
        {"SHRUNK.ZIP", {{"TEST1.XML", 1, 76, 0x393a497a}, {"TEST2.XML", 1, 81, 0xd19abf92}}},
        {"shrink.zip", {{"FIRST.TXT", 1, 1092, 0x22957a6e}}},
        {"implode.zip", {{"first.txt", 6, 1092, 0x22957a6e}}},
        {"implode-small.zip", {{"I.BIN", 6, 2048, 0x8314ddd9}}},
        {"imploding-4Kdict-2trees.zip", {{"HEADER.TXT", 6, 818, 0x3222d8c7}}},
        {"imploding-8Kdict-3trees.zip", {{"LICENSE.TXT", 6, 11560, 0x495fc599}}},
        {"lorem-ipsum-implode.zip", {{"LOREM.TXT", 6, 144060, 0xb9034f7e}}},
        {"mixed.zip", {{"inflated.txt", 8, 48891, 0x406039a3}, {"stored.txt", 0, 48891, 0x406039a3}}},
        {"data_descriptor.zip", {{"hello.txt", 8, 12, 0xb095e5e3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive);
        const std::string path = kFixtures + c.archive;
        const auto listed = ListMembers(path);
        ASSERT_EQ(listed.size(), c.members.size());
        TempDir out;
        TUnzipReport report;
        EXPECT_EQ(ExtractMembers(path, out.path(), "*.*", report), static_cast<int>(c.members.size()));
        EXPECT_EQ(report.failure, TUnzipFailure::None) << report.failedMember;
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const auto& [name, method, size, crc] = c.members[i];
            EXPECT_EQ(listed[i].name, name);
            EXPECT_EQ(listed[i].method, method);
            EXPECT_EQ(listed[i].uncompressedSize, size);
            EXPECT_EQ(listed[i].crc32, crc);
            const std::string data = out.read(name);
            EXPECT_EQ(data.size(), size);
            EXPECT_EQ(crcOf(data), crc);
        }
    }
}

TEST_F(FixtureArchives, LegacyMethodsGiveTheKnownText) {
    const auto expected = readFile(kFixtures + "shrink-implode-expected-first.txt");
    ASSERT_TRUE(expected);
    for (const auto& [archive, member] :
         {std::pair{"shrink.zip", "FIRST.TXT"}, {"implode.zip", "first.txt"}}) {
        TempDir out;
        EXPECT_EQ(ExtractMembers(kFixtures + archive, out.path(), ""), 1);
        EXPECT_EQ(out.read(member), *expected) << archive;
    }
    TempDir out;
    ASSERT_EQ(ExtractMembers(kFixtures + "mixed.zip", out.path(), "*.txt"), 2);
    EXPECT_EQ(out.read("inflated.txt"), out.read("stored.txt"));
}

TEST_F(FixtureArchives, MalformedDescriptorArchiveIsRefusedCleanly) {
    const std::string path = kFixtures + "bla-stored-dd.zip";
    EXPECT_TRUE(ListMembers(path).empty());
    TempDir out;
    EXPECT_EQ(ExtractMembers(path, out.path(), "*.*"), kUnzipBadCentralDir);
    EXPECT_TRUE(treeOf(out.path()).empty());
}

TEST(Unzip, MaskSelectsMembersAndPathsMakeDirectories) {
    TempDir dir;
    const std::string zip = writeArchive(dir, "a.zip",
                                         buildZip({{.name = "sub/a.gpx", .data = "A", .method = 8},
                                                   {.name = "A.GPX", .data = "B"},
                                                   {.name = "b.txt", .data = "C"},
                                                   {.name = "deep/er/", .data = ""},
                                                   {.name = "x\\y.gpx", .data = "D"}}));
    struct Case {
        std::string mask;
        int result;
        std::vector<std::string> tree;
    };
    const Case cases[] = {
        {"*.gpx", 3, {"A.GPX", "sub/", "sub/a.gpx", "x/", "x/y.gpx"}},
        {"*.*", 5, {"A.GPX", "b.txt", "deep/", "deep/er/", "sub/", "sub/a.gpx", "x/", "x/y.gpx"}},
        {"", 5, {"A.GPX", "b.txt", "deep/", "deep/er/", "sub/", "sub/a.gpx", "x/", "x/y.gpx"}},
        {"?.gpx", 1, {"A.GPX"}},
        {"SUB\\*", 1, {"sub/", "sub/a.gpx"}},
        {"*.csv", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        TempDir out;
        EXPECT_EQ(ExtractMembers(zip, out.path(), c.mask), c.result);
        EXPECT_EQ(treeOf(out.path()), c.tree);
    }
    TempDir out;
    ASSERT_EQ(ExtractMembers(zip, out.path() + "/new/target", "*.gpx"), 3);
    EXPECT_EQ(readFile(out.path() + "/new/target/sub/a.gpx"), "A");
}

TEST(Unzip, ListsNamesAsWindows1252WithSlashes) {
    TempDir dir;
    const std::string zip = writeArchive(dir, "names.zip",
                                         buildZip({{.name = "\x81"
                                                            "ber.txt",
                                                    .data = "1"},
                                                   {.name = "Gr\xC3\xB6\xC3\x9F"
                                                            "e.txt",
                                                    .data = "2",
                                                    .flags = 0x0800},
                                                   {.name = "win\\sub\\c.gpx", .data = "3"}}));
    const auto members = ListMembers(zip);
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name,
              "\xFC"
              "ber.txt");
    EXPECT_EQ(members[1].name,
              "Gr\xF6"
              "\xDF"
              "e.txt");
    EXPECT_EQ(members[2].name, "win/sub/c.gpx");
}

TEST(Unzip, ReplacesReadOnlyFileAndSetsTimeAndAttributes) {
    TempDir dir, out;
    out.write("a.txt", "old content");
    ASSERT_EQ(::chmod(out.file("a.txt").c_str(), 0444), 0);
    const std::string zip = writeArchive(
        dir, "t.zip",
        buildZip({{.name = "a.txt", .data = "new"},
                  {.name = "ro.txt", .data = "r", .versionMadeBy = 0x0014, .externalAttributes = 0x01},
                  {.name = "dos.txt", .data = "d", .versionMadeBy = 0x0014, .externalAttributes = 0x20},
                  {.name = "suid.sh", .data = "s", .externalAttributes = 0104755u << 16}}));
    ASSERT_EQ(ExtractMembers(zip, out.path(), "*.*"), 4);
    EXPECT_EQ(out.read("a.txt"), "new");
    struct Expect {
        const char* name;
        mode_t mode;
    };
    for (const Expect& e : {Expect{"a.txt", 0644}, {"ro.txt", 0444}, {"dos.txt", 0644}, {"suid.sh", 0755}}) {
        struct stat st {};
        ASSERT_EQ(::stat(out.file(e.name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, e.mode) << e.name;
        // DOS times are local: 15.03.2006 14:30:20 in whatever zone the test runs in.
        std::tm local{};
        local.tm_year = 2006 - 1900;
        local.tm_mon = 2;
        local.tm_mday = 15;
        local.tm_hour = 14;
        local.tm_min = 30;
        local.tm_sec = 20;
        local.tm_isdst = -1;
        EXPECT_EQ(st.st_mtime, std::mktime(&local)) << e.name;
    }
}

TEST(Unzip, StopsAtTheFirstFailedMember) {
    struct Case {
        const char* what;
        ZipEntry bad;
        TUnzipFailure failure;
    };
    const Case cases[] = {
        {"wrong CRC", {.name = "b.txt", .data = "bbbb", .method = 8, .crc = 0x12345678}, TUnzipFailure::Crc},
        {"wrong CRC, stored", {.name = "b.txt", .data = "bbbb", .crc = 1}, TUnzipFailure::Crc},
        {"short output", {.name = "b.txt", .data = "bbbb", .declaredSize = 10}, TUnzipFailure::Crc},
        {"more output than declared",
         {.name = "b.txt", .data = std::string(5000, 'b'), .method = 8, .declaredSize = 100},
         TUnzipFailure::TooLarge},
        {"encrypted", {.name = "b.txt", .data = "bbbb", .flags = 0x0001}, TUnzipFailure::Encrypted},
        {"unsupported method",
         {.name = "b.txt", .data = "bbbb", .method = 12, .compressed = "xxxx"},
         TUnzipFailure::Method},
        {"deflate64",
         {.name = "b.txt", .data = "bbbb", .method = 9, .compressed = "xxxx"},
         TUnzipFailure::Method},
        {"corrupt deflate",
         {.name = "b.txt", .data = "bbbb", .method = 8, .compressed = "\xFF\xFF\xFF\xFF"},
         TUnzipFailure::BadData},
        {"truncated deflate",
         {.name = "b.txt", .data = "bbbb", .method = 8, .compressed = test::rawDeflate("bbbb").substr(0, 2)},
         TUnzipFailure::BadData},
        {"huge declared size (ZIP64)",
         {.name = "b.txt", .data = "bbbb", .declaredSize = std::uint64_t{1} << 40, .zip64 = true},
         TUnzipFailure::TooLarge},
        {"descriptor missing", {.name = "b.txt", .data = "bbbb", .flags = 0x0008}, TUnzipFailure::Crc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir, out;
        const std::string zip = writeArchive(
            dir, "s.zip",
            buildZip({{.name = "a.txt", .data = "aaaa"}, c.bad, {.name = "c.txt", .data = "cccc"}}));
        TUnzipReport report;
        EXPECT_EQ(ExtractMembers(zip, out.path(), "*.*", report), 1);
        EXPECT_EQ(report.failure, c.failure);
        EXPECT_EQ(report.failedMember, "b.txt");
        // The member before stays, the failed one and those after are not there, nor any temporary.
        EXPECT_EQ(treeOf(out.path()), std::vector<std::string>{"a.txt"});
    }
}

TEST(Unzip, BoundsTheSizeOfOneMember) {
    TempDir dir;
    const std::string zip =
        writeArchive(dir, "b.zip",
                     buildZip({{.name = "small.txt", .data = std::string(1000, 's')},
                               {.name = "big.txt", .data = std::string(2000, 'b'), .method = 8}}));
    TempDir out;
    TUnzipReport report;
    EXPECT_EQ(ExtractMembers(zip, out.path(), "*.*", report, 1500), 1);
    EXPECT_EQ(report.failure, TUnzipFailure::TooLarge);
    EXPECT_EQ(treeOf(out.path()), std::vector<std::string>{"small.txt"});
}

TEST(Unzip, RefusesUnsafeMembersAndGoesOn) {
    TempDir base;
    const std::string target = base.path() + "/target";
    ZipEntry link{.name = "link", .data = "../outside.txt", .externalAttributes = 0120777u << 16};
    ZipEntry linkDeflated = link;
    linkDeflated.name = "sub/link2";
    linkDeflated.method = 8;
    const std::vector<ZipEntry> entries = {
        {.name = "../x.txt", .data = "x", .method = 8},
        {.name = "/abs.txt", .data = "abs"},
        {.name = "ok.txt", .data = "ok"},
        {.name = "sub/../../y.txt", .data = "y"},
        {.name = "..\\z.txt", .data = "z"},
        {.name = "C:/win.txt", .data = "w"},
        link,
        linkDeflated,
        {.name = "a/./b.txt", .data = "b"},
    };
    const std::string zip = writeArchive(base, "evil.zip", buildZip(entries));
    TUnzipReport report;
    EXPECT_EQ(ExtractMembers(zip, target, "*.*", report), 2);
    EXPECT_EQ(report.failure, TUnzipFailure::None);
    EXPECT_EQ(report.refused, (std::vector<std::string>{"../x.txt", "/abs.txt", "sub/../../y.txt", "../z.txt",
                                                        "C:/win.txt", "link", "sub/link2"}));
    EXPECT_EQ(treeOf(base.path()), (std::vector<std::string>{"evil.zip", "target/", "target/a/",
                                                             "target/a/b.txt", "target/ok.txt"}));
    EXPECT_FALSE(fileExists("/abs.txt"));
}

TEST(Unzip, NeverFollowsLinksInTheTarget) {
    TempDir base;
    const std::string target = base.path() + "/target", outside = base.path() + "/outside";
    ASSERT_EQ(makeDirs(target), 0);
    ASSERT_EQ(makeDirs(outside), 0);
    base.write("outside/file.txt", "keep");
    ASSERT_EQ(::symlink(outside.c_str(), (target + "/linkdir").c_str()), 0);
    ASSERT_EQ(::symlink((outside + "/file.txt").c_str(), (target + "/linkfile").c_str()), 0);

    const std::string replaceLink =
        writeArchive(base, "f.zip", buildZip({{.name = "linkfile", .data = "new"}}));
    EXPECT_EQ(ExtractMembers(replaceLink, target, "*.*"), 1);
    EXPECT_EQ(base.read("outside/file.txt"), "keep");
    struct stat st {};
    ASSERT_EQ(::lstat((target + "/linkfile").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(readFile(target + "/linkfile"), "new");

    const std::string throughLink =
        writeArchive(base, "d.zip", buildZip({{.name = "linkdir/evil.txt", .data = "evil"}}));
    TUnzipReport report;
    EXPECT_EQ(ExtractMembers(throughLink, target, "*.*", report), 0);
    EXPECT_EQ(report.failure, TUnzipFailure::CannotCreate);
    EXPECT_EQ(treeOf(outside), std::vector<std::string>{"file.txt"});
}

TEST(Unzip, ReadsDataDescriptorsAndZip64Records) {
    TempDir dir;
    const std::string big(70000, 'q');
    const std::vector<ZipEntry> entries = {
        {.name = "dd.txt", .data = "descriptor", .method = 8, .dataDescriptor = true},
        {.name = "dd-stored.txt", .data = "stored behind", .dataDescriptor = true},
        {.name = "z64.txt", .data = big, .method = 8, .zip64 = true},
        {.name = "z64dd.txt", .data = "both", .method = 8, .dataDescriptor = true, .zip64 = true},
    };
    for (const bool endRecord64 : {false, true}) {
        SCOPED_TRACE(endRecord64);
        const std::string zip = writeArchive(dir, "d.zip", buildZip(entries, endRecord64));
        const auto members = ListMembers(zip);
        ASSERT_EQ(members.size(), 4u);
        EXPECT_EQ(members[2].uncompressedSize, big.size());
        EXPECT_LT(members[2].compressedSize, 1000u);
        EXPECT_EQ(members[3].crc32, crcOf("both"));
        TempDir out;
        EXPECT_EQ(ExtractMembers(zip, out.path(), "*.*"), 4);
        EXPECT_EQ(out.read("dd.txt"), "descriptor");
        EXPECT_EQ(out.read("dd-stored.txt"), "stored behind");
        EXPECT_EQ(out.read("z64.txt"), big);
        EXPECT_EQ(out.read("z64dd.txt"), "both");
    }
}

TEST(Unzip, ResultCodes) {
    TempDir dir, out;
    const std::string good = buildZip({{.name = "a.txt", .data = "a"}});
    std::string badLocalHeader = buildZip({{.name = "a.txt", .data = "a"}, {.name = "b.txt", .data = "b"}});
    const std::size_t second = badLocalHeader.find("PK\x03\x04", 4);
    badLocalHeader[second + 2] = 9;
    std::string beyondEnd = good;
    patchLe32(beyondEnd, centralDirOf(beyondEnd) + 42, 0x7FFFFF00);
    std::string hugeCompressed = good;
    patchLe32(hugeCompressed, centralDirOf(hugeCompressed) + 20, 0x00FFFFFF);
    std::string badCentral = good;
    badCentral[centralDirOf(badCentral) + 1] = 'X';

    struct Case {
        const char* what;
        std::string archive;  // file name in dir, "" = the empty path
        std::string content;
        std::string target;
        int result;
    };
    const Case cases[] = {
        {"empty archive path", "", "", out.path(), kUnzipEmptyPath},
        {"empty target", "a.zip", good, "", kUnzipEmptyPath},
        {"program file", "setup.exe", good, out.path(), kUnzipNotAnArchive},
        {"program file, upper case", "SETUP.EXE", good, out.path(), kUnzipNotAnArchive},
        {"no dot", "archive", good, out.path(), kUnzipNotAnArchive},
        {"text file", "text.zip", "just text, no archive", out.path(), kUnzipNotAnArchive},
        {"empty file", "empty.zip", "", out.path(), kUnzipNotAnArchive},
        {"missing file", "missing.zip", "", out.path(), kUnzipCannotOpen},
        {"truncated", "cut.zip", good.substr(0, good.size() - 10), out.path(), kUnzipBadCentralDir},
        {"broken central directory", "cd.zip", badCentral, out.path(), kUnzipBadCentralDir},
        {"bad local header", "lh.zip", badLocalHeader, out.path(), kUnzipBadLocalHeader},
        {"local header beyond the end", "le.zip", beyondEnd, out.path(), kUnzipReadError},
        {"data beyond the end", "de.zip", hugeCompressed, out.path(), kUnzipReadError},
        {"good", "good.zip", good, out.path(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path;
        if (!c.archive.empty()) {
            path = dir.file(c.archive);
            if (c.archive != "missing.zip") dir.write(c.archive, c.content);
        }
        EXPECT_EQ(ExtractMembers(path, c.target, "*.*"), c.result);
    }
    EXPECT_EQ(treeOf(out.path()), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(ExtractMembers(dir.path(), out.path(), "*.*"), kUnzipNotAnArchive);  // a directory
    // ListMembers follows the same recognition.
    EXPECT_TRUE(ListMembers(dir.file("setup.exe")).empty());
    EXPECT_TRUE(ListMembers(dir.file("cd.zip")).empty());
    EXPECT_EQ(ListMembers(dir.file("good.zip")).size(), 1u);
}

TEST(Unzip, HostileBytesNeverEscapeOrCrash) {
    TempDir base;
    const std::string target = base.path() + "/t";
    const std::string good = buildZip({{.name = "a/b.txt", .data = std::string(3000, 'a'), .method = 8},
                                       {.name = "c.txt", .data = "ccc"},
                                       {.name = "d/", .data = ""},
                                       {.name = "e.txt", .data = std::string(500, 'e'), .method = 8}});
    std::mt19937 rng(4711);
    for (int round = 0; round < 400; ++round) {
        std::string z = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < flips; ++k) z[rng() % z.size()] = static_cast<char>(rng());
        z[0] = 'P', z[1] = 'K', z[2] = 3, z[3] = 4;
        base.write("h.zip", z);
        ListMembers(base.file("h.zip"));
        ExtractMembers(base.file("h.zip"), target, "*.*");
        for (const std::string& name : treeOf(base.path())) {
            ASSERT_TRUE(name == "h.zip" || name.rfind("t/", 0) == 0) << name;
        }
    }
}

}  // namespace

// Four entries pointing at one member's bytes: refused before anything is written.
TEST(Unzip, RefusesArchivesWhoseEntriesOverlap) {
    TempDir dir, out;
    std::string zip = buildZip({{.name = "a1.txt", .data = "one"},
                                {.name = "a2.txt", .data = "two"},
                                {.name = "a3.txt", .data = "333"},
                                {.name = "a4.txt", .data = "444"}});
    const std::size_t cd = centralDirOf(zip);
    for (std::size_t k = 1; k < 4; ++k) patchLe32(zip, cd + k * (46 + 6) + 42, 0);
    const std::string path = writeArchive(dir, "overlap.zip", zip);
    TUnzipReport report;
    EXPECT_EQ(ExtractMembers(path, out.path(), "*.*", report), kUnzipOverlapping);
    EXPECT_TRUE(treeOf(out.path()).empty());
    EXPECT_EQ(unzipErrorText(kUnzipOverlapping),
              "Archiv ung\xFCltig (Eintr\xE4ge \xFC"
              "berlappen sich)");
}

// What one run writes is bounded by the archive's size times 100 and by the setting.
TEST(Unzip, BoundsTheTotalOutput) {
    EXPECT_EQ(extractionLimit(1000), std::uint64_t{16} << 20);
    EXPECT_EQ(extractionLimit(std::uint64_t{1} << 20), std::uint64_t{100} << 20);
    EXPECT_EQ(extractionLimit(std::uint64_t{1} << 30), std::uint64_t{8} << 30);
    EXPECT_EQ(extractionLimit(std::uint64_t{1} << 20, 10), std::uint64_t{10} << 20);
    TempDir dir, out;
    const std::string zeros(std::uint64_t{20} << 20, '\0');
    const std::string path = writeArchive(
        dir, "bomb.zip",
        buildZip({{.name = "small.txt", .data = "x"}, {.name = "big.bin", .data = zeros, .method = 8}}));
    ASSERT_LT(fileSize(path).value_or(0) * 100, zeros.size());
    TUnzipReport report;
    EXPECT_EQ(ExtractMembers(path, out.path(), "*.*", report), 1);
    EXPECT_EQ(report.failure, TUnzipFailure::TooLarge);
    EXPECT_EQ(report.failedMember, "big.bin");
    EXPECT_EQ(treeOf(out.path()), std::vector<std::string>{"small.txt"});
}

// Names are UTF-8 on disk; the archive's mode is cut by the umask.
TEST(Unzip, WritesUtf8NamesAndHonoursTheUmask) {
    TempDir dir, out;
    const std::string path = writeArchive(dir, "u.zip",
                                          buildZip({{.name = "\x81"
                                                             "ber.txt",
                                                     .data = "1",
                                                     .externalAttributes = 0100777u << 16}}));
    const mode_t old = ::umask(022);
    const int result = ExtractMembers(path, out.path(), "*.*");
    ::umask(old);
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(
        out.exists("\xC3\xBC"
                   "ber.txt"));
    struct stat st {};
    ASSERT_EQ(::stat(out.file("\xC3\xBC"
                              "ber.txt")
                         .c_str(),
                     &st),
              0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}

}  // namespace vellora
