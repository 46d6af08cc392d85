// Hostile suitcases: names that climb out of the output directory or replace other files, counts
// and sizes beyond the file, and a file cut at every byte. None may write outside the output
// directory, crash, or change local data.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/HandBuiltRecords.h"
#include "suitcase/IndependentSuitcase.h"
#include "suitcase/Suitcase.h"
#include "suitcase/SuitcaseFixture.h"

namespace vellora::test {
namespace {

using Snapshot = std::map<std::string, std::string>;

// Every file below dir with its content, except those the filter lets through.
Snapshot snapshot(const std::string& dir, const std::function<bool(const std::string&)>& ignore = {}) {
    Snapshot s;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        const std::string path = entry.path().string();
        if (ignore && ignore(path)) continue;
        s[path] = Installation::get(path);
    }
    return s;
}

void fillLocal(Installation& b) {
    Installation::put(b.work("Caches.bin"), handCacheRec("GC1") + handCacheRec("GC9"));
    Installation::put(b.work("WPList.txt"), "GC1\r\n");
    Installation::put(b.work("WPignore.txt"), "GC9\r\n");
    Installation::put(b.work("Finds.bin"), indep::findRecord("GC1", "01.01.2006"));
    Installation::put(b.work("Persinfo.txt"), "[GC1]\r\nZ0=lokal\r\n");
    Installation::put(b.work("vellora.conf"), "[Suitcase]\r\nDoubleCache=0\r\n");
    Installation::put(b.out("GC1.html"), "lokal");
}

indep::Suitcase fullSuitcase() {
    indep::Suitcase s;
    s.db = {handCacheRec("GC2"), handCacheRec("GC1")};
    s.work = {"GC2", "GC3"};
    s.finds = {indep::findRecord("GC2", "02.02.2006")};
    s.ignore = {"GC4"};
    s.notes = "[GC2]\r\nZ0=koffer\r\n";
    indep::Block one;
    one.waypoint = "GC2";
    one.page = "seite zwei";
    one.meta = "0#GC2_i0.jpg\r\n0#\r\n0#\r\n";
    one.mapName = "GC2_map.png";
    one.map = "karte";
    one.images = {{"GC2_i0.jpg", "bild"}, {"GC2_i1.jpg", "bild2"}};
    indep::Block two;
    two.waypoint = "GC1";
    two.page = "seite eins";
    s.blocks = {one, two};
    return s;
}

// Offsets where sections 1 to 6 begin.
std::vector<std::size_t> sectionStarts(const indep::Suitcase& s) {
    std::vector<std::size_t> starts{0};
    starts.push_back(starts.back() + 4 + s.db.size() * 296);
    starts.push_back(starts.back() + 4 + s.work.size() * 13);
    starts.push_back(starts.back() + 4 + s.finds.size() * 440);
    starts.push_back(starts.back() + 4 + s.ignore.size() * 13);
    starts.push_back(starts.back() + 4 + s.notes.size());
    return starts;
}

const char* const kSectionNames[] = {
    "Cache-Datenbank",    "Arbeitsliste", "Eigene Funde", "Ignoreliste", "pers\xF6nliche Cachenotizen",
    "Cachebeschreibungen"};

class HostileSuitcase : public ::testing::Test {
protected:
    void SetUp() override {
        fillLocal(b);
        before = snapshot(b.home.dir.path(), [this](const std::string& p) { return p == file(); });
    }
    std::string file() { return b.home.dir.file("hostile.vellora"); }
    // Loads the bytes; returns the error text (empty when loading succeeded) after merging what loaded.
    std::string tryImport(const std::string& bytes) {
        Installation::put(file(), bytes);
        return tryImport();
    }
    std::string tryImport() {
        b.host().messages.clear();
        TfrmSuitcase dialog(b.ctx());
        dialog.open();
        dialog.saveSettings = false;
        const bool loaded = dialog.loadFrom(file());
        dialog.btnCommitClick();  // must do nothing after a failed load
        dialog.close();
        const auto errors = b.host().textsOf(MsgKind::Error);
        if (loaded) return {};
        return errors.empty() ? "<no message>" : errors.front();
    }
    Installation b;
    Snapshot before;
};

TEST_F(HostileSuitcase, CutAtEveryByteIsRefusedNamingSectionAndOffset) {
    const indep::Suitcase s = fullSuitcase();
    const std::string whole = indep::write(s);
    const std::vector<std::size_t> starts = sectionStarts(s);
    Installation::put(file(), whole);
    // Cut from the end, so that each step is one truncate.
    for (std::size_t cut = whole.size(); cut-- > 0;) {
        std::size_t section = 0;
        while (section + 1 < starts.size() && starts[section + 1] <= cut) ++section;
        ASSERT_EQ(::truncate(file().c_str(), static_cast<off_t>(cut)), 0);
        const std::string error = tryImport();
        ASSERT_NE(error.find(std::string("Abschnitt: ") + kSectionNames[section] + ", Position "),
                  std::string::npos)
            << "cut at " << cut << ": " << error;
    }
    EXPECT_EQ(snapshot(b.home.dir.path(), [this](const std::string& p) { return p == file(); }), before);
    // The whole file loads.
    EXPECT_EQ(tryImport(whole), "");
}

TEST_F(HostileSuitcase, AbsurdCountsAndSizesAreRefusedBeforeAnythingIsRead) {
    const indep::Suitcase s = fullSuitcase();
    const std::string whole = indep::write(s);
    const std::vector<std::size_t> starts = sectionStarts(s);
    const std::size_t block = starts[5] + 4;
    const std::size_t pageSize = block + 13 + 8 + 256;
    const std::size_t imageCount = pageSize + 4 + s.blocks[0].page.size() + 4 + s.blocks[0].meta.size() +
                                   256 + 4 + s.blocks[0].map.size();
    struct Case {
        const char* what;
        std::size_t offset;
        std::int32_t value;
        int section;
    };
    const Case cases[] = {
        {"database count", starts[0], 0x7FFFFFFF, 0},  {"negative database count", starts[0], -1, 0},
        {"work list count", starts[1], 0x10000000, 1}, {"finds count", starts[2], 1000, 2},
        {"ignore count", starts[3], 0x7FFFFFFF, 3},    {"notes length", starts[4], 0x7FFFFF00, 4},
        {"negative notes length", starts[4], -5, 4},   {"description count", starts[5], 0x7FFFFFFF, 5},
        {"page size", pageSize, 0x7FFFFFF0, 5},        {"negative page size", pageSize, -100, 5},
        {"image count", imageCount, 0x7FFFFFFF, 5},    {"image count beyond the rest", imageCount, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = whole;
        std::string value;
        indep::i32(value, c.value);
        bytes.replace(c.offset, 4, value);
        const std::string error = tryImport(bytes);
        EXPECT_NE(error.find(std::string("Abschnitt: ") + kSectionNames[c.section] + ", Position " +
                             std::to_string(c.offset)),
                  std::string::npos)
            << error;
    }
    // A length byte beyond its field.
    std::string bytes = whole;
    bytes[starts[1] + 4] = static_cast<char>(200);
    EXPECT_NE(tryImport(bytes).find("Abschnitt: Arbeitsliste"), std::string::npos);
    EXPECT_EQ(snapshot(b.home.dir.path(), [this](const std::string& p) { return p == file(); }), before);
}

TEST(HostileNames, NothingIsWrittenOutsideTheOutputDirectoryOrOverAnotherFile) {
    struct Case {
        const char* waypoint;
        const char* mapName;
        const char* imageName;
    };
    const Case cases[] = {
        {"GC1", "..\\..\\GC1_map.png", "../../GC1_i0.jpg"},
        {"GC1", "GC1_map.png\\..\\..\\x", "sub/../../GC1_i0.jpg"},
        {"GC1", "/etc/passwd", "C:\\Windows\\win.ini"},
        {"GC1", "Caches.bin", "vellora.conf"},
        {"GC1", "", "\\"},
        {"GC1", "GC1_map\x01.png", "GC1_i0\n.jpg"},
        {"GC1", ".", ".."},
        {"GC../../x", "GC1_map.png", "GC1_i0.jpg"},
        {"GC1\\..\\x", "GC1_map.png", "GC1_i0.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.waypoint) + " | " + c.mapName + " | " + c.imageName);
        Installation b;
        // Output directory and working directory in one: a name like Caches.bin would hit the database.
        b.ctx().settings.OutDir = b.ctx().settings.WorkDir;
        fillLocal(b);
        b.ctx().settings.WorkDir = b.home.dir.path() + "/work/";
        const std::string root = b.home.dir.path();
        const std::string file = root + "/hostile.vellora";
        indep::Suitcase s;
        indep::Block blk;
        blk.waypoint = c.waypoint;
        blk.page = "fremd";
        blk.mapName = c.mapName;
        blk.map = "M";
        blk.images = {{c.imageName, "I"}};
        s.blocks = {blk};
        Installation::put(file, indep::write(s));
        const auto isCacheFile = [&](const std::string& p) {
            return p == file ||
                   (p.rfind(b.work("GC1"), 0) == 0 && p.find('/', b.work().size()) == std::string::npos);
        };
        const Snapshot local = snapshot(root, isCacheFile);
        TfrmSuitcase dialog(b.ctx());
        dialog.open();
        dialog.saveSettings = false;
        ASSERT_TRUE(dialog.loadFrom(file));
        dialog.opts.DoubleCache = 0;
        dialog.btnCommitClick();
        EXPECT_EQ(snapshot(root, isCacheFile), local);
        EXPECT_FALSE(dialog.rejectedNames().empty());
        EXPECT_FALSE(b.host().textsOf(MsgKind::Warning).empty());
        EXPECT_FALSE(fileExists(b.work("x")));
        EXPECT_FALSE(fileExists(root + "/x"));
        EXPECT_FALSE(fileExists(root + "/GC1_map.png"));
        EXPECT_FALSE(fileExists(root + "/GC1_i0.jpg"));
        const std::string above = std::filesystem::path(root).parent_path().string();
        EXPECT_FALSE(fileExists(above + "/GC1_map.png"));
        EXPECT_FALSE(fileExists(above + "/GC1_i0.jpg"));
    }
}

// GC12 shares its first characters with GC124: its carried files must not replace GC124's page,
// meta file, converted description or map, nor its own page or meta file.
TEST(HostileNames, ACarriedFileBelongsToItsOwnCacheOnly) {
    Installation b;
    fillLocal(b);
    const std::vector<std::string> others = {"GC124.html", "GC124.meta", "GC124_mappoint.gif",
                                             "GC124_converted.html", "gc124.HTML"};
    for (const auto& name : others) Installation::put(b.out(name), "lokal " + name);
    indep::Block blk;
    blk.waypoint = "GC12";
    blk.page = "seite";
    blk.meta = "0#GC12_i0.jpg\r\n";
    blk.mapName = "GC124_mappoint.gif";
    blk.map = "fremde karte";
    const std::vector<std::string> refused = {"GC124.html",          "GC124.meta", "GC12.html", "GC12.meta",
                                              "GC12_converted.html", "gc124.HTML", "GC12x.jpg", "GC12"};
    for (const auto& name : refused) blk.images.push_back({name, "fremd " + name});
    blk.images.push_back({"sub\\GC12_i0.jpg", "bild"});
    blk.images.push_back({"GC12.jpg", "bild2"});
    indep::Suitcase s;
    s.blocks = {blk};
    const std::string file = b.home.dir.file("koffer.vellora");
    Installation::put(file, indep::write(s));
    TfrmSuitcase dialog(b.ctx());
    dialog.open();
    dialog.saveSettings = false;
    ASSERT_TRUE(dialog.loadFrom(file));
    dialog.opts.DoubleCache = 0;
    dialog.btnCommitClick();
    for (const auto& name : others) EXPECT_EQ(Installation::get(b.out(name)), "lokal " + name) << name;
    EXPECT_EQ(Installation::get(b.out("GC12.html")), "seite");
    EXPECT_EQ(Installation::get(b.out("GC12.meta")), "0#GC12_i0.jpg\r\n");
    EXPECT_FALSE(fileExists(b.out("GC12_converted.html")));
    EXPECT_FALSE(fileExists(b.out("GC12x.jpg")));
    EXPECT_EQ(Installation::get(b.out("GC12_i0.jpg")), "bild");
    EXPECT_EQ(Installation::get(b.out("GC12.jpg")), "bild2");
    std::vector<std::string> expected = {"GC12: GC124_mappoint.gif"};
    for (const auto& name : refused) expected.push_back("GC12: " + name);
    EXPECT_EQ(dialog.rejectedNames(), expected);
    const auto warnings = b.host().textsOf(MsgKind::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("GC12: GC124.meta\r\n"), std::string::npos) << warnings[0];
}

// Waypoints, list entries and finds in a suitcase pass the waypoint rule; the rest still arrives.
TEST(HostileNames, EntriesThatAreNoWaypointsAreRefusedWithTheirReason) {
    Installation b;
    fillLocal(b);
    indep::Suitcase s;
    s.db = {handCacheRec("../x"), handCacheRec("GC5")};
    s.work = {"GC\r\nZQ", "gc6"};
    s.ignore = {"..\\x", "GC7"};
    s.finds = {indep::findRecord("/tmp/a", "02.02.2006"), indep::findRecord("GC8", "02.02.2006")};
    const std::string file = b.home.dir.file("koffer.vellora");
    Installation::put(file, indep::write(s));
    TfrmSuitcase dialog(b.ctx());
    dialog.open();
    dialog.saveSettings = false;
    ASSERT_TRUE(dialog.loadFrom(file));
    dialog.opts.GetDB = dialog.opts.GetWorkList = dialog.opts.GetIgnoreList = dialog.opts.GetFoundList = true;
    dialog.btnCommitClick();
    EXPECT_EQ(Installation::get(b.work("WPList.txt")), "GC1\r\nGC6\r\n");
    EXPECT_EQ(Installation::get(b.work("WPignore.txt")), "GC9\r\nGC7\r\n");
    const std::string db = Installation::get(b.work("Caches.bin"));
    ASSERT_EQ(db.size(), 3u * 296);
    EXPECT_EQ(db.find("../x"), std::string::npos);
    const std::string finds = Installation::get(b.work("Finds.bin"));
    EXPECT_EQ(finds.find("/tmp/a"), std::string::npos);
    EXPECT_NE(finds.find("GC8"), std::string::npos);
    const std::vector<std::string> expected = {
        "Ung\xFCltiger Wegpunkt \"../x\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt",
        "Ung\xFCltiger Wegpunkt \"GC\\x0D\\x0AZQ\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt",
        "Ung\xFCltiger Wegpunkt \"/tmp/a\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt",
        "Ung\xFCltiger Wegpunkt \"..\\\\x\": nur Buchstaben A-Z und Ziffern 0-9 sind erlaubt"};
    EXPECT_EQ(dialog.rejectedNames(), expected);
    EXPECT_EQ(b.host().textsOf(MsgKind::Warning).size(), 1u);
}

TEST(HostileNames, PlainNamesOfTheCacheAreAccepted) {
    EXPECT_EQ(plainFileName("sub\\GC1_i0.jpg"), "GC1_i0.jpg");
    EXPECT_EQ(plainFileName("GC1_map.png"), "GC1_map.png");
    EXPECT_EQ(plainFileName("a/b\\GC1.jpg"), "GC1.jpg");
    EXPECT_EQ(plainFileName("..\\GC1.jpg"), std::nullopt);
    EXPECT_EQ(plainFileName("sub\\"), std::nullopt);
}

}  // namespace
}  // namespace vellora::test
