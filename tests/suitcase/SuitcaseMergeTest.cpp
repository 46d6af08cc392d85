// The merge rules of the import: database, lists, finds, notes and descriptions, each against
// local data, and one export from one installation imported into another.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <memory>

#include "core/HandBuiltRecords.h"
#include "suitcase/IndependentSuitcase.h"
#include "suitcase/Suitcase.h"
#include "suitcase/SuitcaseFixture.h"
#include "suitcase/SuitcaseMerge.h"

namespace vellora::test {
namespace {

class SuitcaseMerge : public ::testing::Test {
protected:
    // Imports the suitcase with the options changed by adjust; the dialog stays for inspection.
    TfrmSuitcase& import(const indep::Suitcase& s, const std::function<void(SuitcaseOptions&)>& adjust = {}) {
        const std::string file = b.home.dir.file("in.vellora");
        Installation::put(file, indep::write(s));
        dialog = std::make_unique<TfrmSuitcase>(b.ctx());
        dialog->open();
        EXPECT_TRUE(dialog->loadFrom(file));
        if (adjust) adjust(dialog->opts);
        dialog->btnCommitClick();
        return *dialog;
    }
    std::string reportLine(const std::string& label) const {
        const std::string& r = dialog->report();
        const std::size_t at = r.find(label);
        return at == std::string::npos ? "<none>" : r.substr(at, r.find("\r\n", at) - at);
    }
    static indep::Block block(const std::string& wp, double time, const std::string& page = "page") {
        indep::Block blk;
        blk.waypoint = wp;
        blk.time = time;
        blk.page = page;
        return blk;
    }
    Installation b;
    std::unique_ptr<TfrmSuitcase> dialog;
};

TEST_F(SuitcaseMerge, SameCacheWithKeepIsDiscardedAndTheDatabaseNotRewritten) {
    const std::string local = handCacheRec("GC2");
    Installation::put(b.work("Caches.bin"), local);
    struct stat before {};
    ::stat(b.work("Caches.bin").c_str(), &before);
    indep::Suitcase s;
    HandRec other;
    other.waypoint = "GC2";
    other.name = "Andere";
    s.db = {handCacheRec(other)};
    import(s, [](SuitcaseOptions& o) { o.ImpDB = 1;
});
struct stat after {};
::stat(b.work("Caches.bin").c_str(), &after);
EXPECT_EQ(before.st_ino, after.st_ino);
EXPECT_EQ(Installation::get(b.work("Caches.bin")), local);
EXPECT_EQ(dialog->counters().dbDiscarded, 1);
EXPECT_EQ(reportLine("Cache-Datenbank: "), "Cache-Datenbank: keine \xC4nderung");
EXPECT_FALSE(fileExists(b.work("WPnew.txt")));
}  // namespace

TEST_F(SuitcaseMerge, UpdateCountsAnIdenticalRecordAsChangedAndWritesInWaypointOrder) {
    Installation::put(b.work("Caches.bin"), handCacheRec("GC3") + handCacheRec("GC1"));
    indep::Suitcase s;
    s.db = {handCacheRec("GC1")};
    import(s, [](SuitcaseOptions& o) { o.ImpDB = 0;
});
EXPECT_EQ(Installation::get(b.work("Caches.bin")), handCacheRec("GC1") + handCacheRec("GC3"));
EXPECT_EQ(reportLine("Cache-Datenbank: "),
          "Cache-Datenbank: 0 neue Eintr\xE4ge, 1 ge\xE4nderte Eintr\xE4ge, 0 Datens\xE4tze verworfen");
EXPECT_TRUE(fileExists(b.work("Caches.idx")));
}  // namespace vellora::test

TEST_F(SuitcaseMerge, WaypointsDifferingInCaseAreOneCache) {
    Installation::put(b.work("Caches.bin"), handCacheRec("GC7"));
    indep::Suitcase s;
    s.db = {handCacheRec("gc7"), handCacheRec("GC8")};
    import(s, [](SuitcaseOptions& o) { o.ImpDB = 1;
});
EXPECT_EQ(Installation::get(b.work("Caches.bin")), handCacheRec("GC7") + handCacheRec("GC8"));
EXPECT_EQ(Installation::get(b.work("WPnew.txt")), "GC8\r\n");
}

TEST_F(SuitcaseMerge, NewRecordsGoToTheChosenNewWaypointList) {
    indep::Suitcase s;
    s.db = {handCacheRec("GC5"), handCacheRec("GC4")};
    import(s, [this](SuitcaseOptions& o) { o.NewWPFilename = b.work("neu.txt");
});
EXPECT_EQ(Installation::get(b.work("neu.txt")), "GC4\r\nGC5\r\n");
}

TEST_F(SuitcaseMerge, ListEntriesCompareWithoutCaseAndAMissingListIsCreated) {
    Installation::put(b.work("WPignore.txt"), "GC12345\r\n");
    indep::Suitcase s;
    s.work = {"GC1", "gc1"};
    s.ignore = {"gc12345", "GC9"};
    import(s);
    EXPECT_EQ(Installation::get(b.work("WPList.txt")), "GC1\r\n");
    EXPECT_EQ(Installation::get(b.work("WPignore.txt")), "GC12345\r\nGC9\r\n");
    EXPECT_EQ(reportLine("Arbeitsliste: "), "Arbeitsliste: 1 neue Eintr\xE4ge, 1 waren bereits vorhanden");
    EXPECT_EQ(reportLine("Ignoreliste: "), "Ignoreliste: 1 neue Eintr\xE4ge, 1 waren bereits vorhanden");
}

TEST_F(SuitcaseMerge, ListEntriesWithLineBreaksAreRefused) {
    indep::Suitcase s;
    s.work = {"GC1\r\nGC666", "GC2"};
    import(s);
    EXPECT_EQ(Installation::get(b.work("WPList.txt")), "GC2\r\n");
}

TEST_F(SuitcaseMerge, FindsByRule) {
    struct Case {
        int rule;
        const char* local;
        const char* carried;
        bool takesCarried;
    };
    const Case cases[] = {
        {0, "02.01.2006", "01.01.2006", true},  {1, "01.01.2006", "01.01.2006", true},
        {1, "02.01.2006", "01.01.2006", false}, {1, "01.01.2006", "02.01.2006", true},
        {2, "01.01.2006", "02.01.2006", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rule) + " " + c.local + " " + c.carried);
        const std::string mine = indep::findRecord("GC1", c.local, "lokal");
        const std::string theirs = indep::findRecord("gc1", c.carried, "koffer");
        Installation::put(b.work("Finds.bin"), mine + indep::findRecord("GC2", "03.03.2003"));
        indep::Suitcase s;
        s.finds = {indep::findRecord("GC3", "04.04.2004"), theirs};
        import(s, [&](SuitcaseOptions& o) { o.DoubleFinds = c.rule;
    });
    EXPECT_EQ(Installation::get(b.work("Finds.bin")), (c.takesCarried ? theirs : mine) +
                                                          indep::findRecord("GC2", "03.03.2003") +
                                                          indep::findRecord("GC3", "04.04.2004"));
    EXPECT_EQ(dialog->counters().findsNew, 1);
    EXPECT_EQ(dialog->counters().findsUpdated, c.takesCarried ? 1 : 0);
}
}

TEST_F(SuitcaseMerge, FindWithoutADateLeavesFindsBinAsItWas) {
    const std::string local = indep::findRecord("GC1", "kein Datum");
    Installation::put(b.work("Finds.bin"), local);
    indep::Suitcase s;
    s.finds = {indep::findRecord("GC1", "01.01.2006")};
    import(s, [](SuitcaseOptions& o) { o.DoubleFinds = 1;
});
EXPECT_EQ(Installation::get(b.work("Finds.bin")), local);
EXPECT_EQ(b.host().textsOf(MsgKind::Error), std::vector<std::string>{"Fehler beim \xD6"
                                                                     "ffnen der Fundliste (Finds.bin)."});
EXPECT_EQ(reportLine("Eigene Funde: "), "Eigene Funde: keine \xC4nderung");
}

TEST_F(SuitcaseMerge, NotesByRule) {
    const std::string local = "[GC1]\r\nZ0=lokal eins\r\nZ1=lokal zwei\r\n[GC2]\r\nZ0=nur lokal\r\n";
    const std::string carried = "[gc1]\r\nZ0=fremd\r\n[GC3]\r\nZ0=nur im Koffer\r\n";
    struct Case {
        int rule;
        std::string expected;
    };
    const Case cases[] = {
        {0, "[GC1]\r\nZ0=fremd\r\n[GC2]\r\nZ0=nur lokal\r\n[GC3]\r\nZ0=nur im Koffer\r\n"},
        {1,
         "[GC1]\r\nZ0=*** Lokal vorhandene Informationen: ***\r\nZ1=lokal eins\r\nZ2=lokal zwei\r\n"
         "Z3=*** Aus Aktenkoffer importierte Informationen: ***\r\nZ4=fremd\r\n[GC2]\r\nZ0=nur lokal\r\n"
         "[GC3]\r\nZ0=nur im Koffer\r\n"},
        {3,
         "[GC1]\r\nZ0=lokal eins\r\nZ1=lokal zwei\r\n[GC2]\r\nZ0=nur lokal\r\n[GC3]\r\nZ0=nur im Koffer\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        Installation::put(b.work("Persinfo.txt"), local);
        indep::Suitcase s;
        s.notes = carried;
        import(s, [&](SuitcaseOptions& o) { o.DoubleNotes = c.rule;
    });
    EXPECT_EQ(Installation::get(b.work("Persinfo.txt")), c.expected);
}
}

TEST_F(SuitcaseMerge, EditedNoteIsTakenAsTheUserLeftIt) {
    Installation::put(b.work("Caches.bin"), handCacheRec("GC1"));
    Installation::put(b.work("Persinfo.txt"), "[GC1]\r\nZ0=a\r\n");
    indep::Suitcase s;
    s.notes = "[GC1]\r\nZ0=b\r\n";
    const std::string file = b.home.dir.file("in.vellora");
    Installation::put(file, indep::write(s));
    TfrmSuitcase d(b.ctx());
    d.open();
    std::string seenName;
    std::vector<std::string> seenNote;
    d.editNote = [&](const std::string&, const std::string& name, const std::vector<std::string>& note) {
        seenName = name;
        seenNote = note;
        return std::vector<std::string>{"zusammen"};
    };
    ASSERT_TRUE(d.loadFrom(file));
    d.opts.DoubleNotes = 2;
    d.btnCommitClick();
    EXPECT_EQ(seenName, "Cache GC1");
    EXPECT_EQ(seenNote, (std::vector<std::string>{kLocalNotesMarker, "a", kImportedNotesMarker, "b"}));
    EXPECT_EQ(Installation::get(b.work("Persinfo.txt")), "[GC1]\r\nZ0=zusammen\r\n");
}

TEST_F(SuitcaseMerge, DescriptionsNotOfTheSiteAreDiscardedAndListed) {
    indep::Suitcase s;
    s.blocks = {block("XX1", 0), block("GC1", 0)};
    import(s);
    EXPECT_FALSE(fileExists(b.out("XX1.html")));
    EXPECT_EQ(dialog->summary(),
              (std::vector<std::string>{"GC1: ?", TfrmSuitcase::kDiscardedHeading, "XX1: ?"}));
    EXPECT_EQ(reportLine("Cache-Beschreibungen: "),
              "Cache-Beschreibungen: 1 neue, 0 ersetzte, 1 verworfene Beschreibungen.");
}

TEST_F(SuitcaseMerge, ReplaceWhenNewerKeepsALocalPageOneSecondNewer) {
    const std::time_t t = 1165000000;
    struct Case {
        std::time_t local;
        bool replaced;
    };
    for (const Case c : {Case{t + 1, false}, Case{t, true}, Case{t - 1, true}}) {
        SCOPED_TRACE(c.local - t);
        Installation::put(b.out("GC1.html"), "lokal");
        setFileTime(b.out("GC1.html"), c.local);
        indep::Suitcase s;
        s.blocks = {block("GC1", localDate(t), "koffer")};
        import(s, [](SuitcaseOptions& o) { o.DoubleCache = 1;
    });
    EXPECT_EQ(Installation::get(b.out("GC1.html")), c.replaced ? "koffer" : "lokal");
    EXPECT_EQ(dialog->counters().descrReplaced, c.replaced ? 1 : 0);
    EXPECT_EQ(dialog->counters().descrDiscarded, c.replaced ? 0 : 1);
}
}

TEST_F(SuitcaseMerge, DescriptionErrorLeavesOutSummaryAndWorkListButKeepsEarlierBlocks) {
    indep::Suitcase s;
    s.blocks = {block("GC1", 0, "eins"), block("GC2", 0, std::string(5000, 'x'))};
    const std::string bytes = indep::write(s);
    const std::string file = b.home.dir.file("in.vellora");
    Installation::put(file, bytes);
    TfrmSuitcase d(b.ctx());
    d.open();
    ASSERT_TRUE(d.loadFrom(file));
    // The file shrinks after it was checked: the second page is cut.
    ASSERT_EQ(::truncate(file.c_str(), static_cast<off_t>(bytes.size() - 3000)), 0);
    d.btnCommitClick();
    EXPECT_TRUE(d.descriptionError());
    EXPECT_EQ(Installation::get(b.out("GC1.html")), "eins");
    EXPECT_FALSE(fileExists(b.out("GC2.html")));
    EXPECT_TRUE(listFiles(b.out(), "*.vtmp*").empty());
    EXPECT_TRUE(d.summary().empty());
    EXPECT_FALSE(fileExists(b.work("WPList.txt")));
    const auto errors = b.host().textsOf(MsgKind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(
        errors[0].rfind("Streamingfehler \"EReadError\" aufgetreten.\r\nDateiname: " + file + "\r\n", 0), 0u)
        << errors[0];
    EXPECT_NE(errors[0].find("Cachebeschreibungen"), std::string::npos);
}

TEST_F(SuitcaseMerge, DebugLogOfOneWrittenBlock) {
    b.ctx().debugMode = true;
    indep::Suitcase s;
    indep::Block blk = block("GC1", encodeDateTime({2006, 12, 1, 10, 20, 30}), "page");
    blk.subdir = "sub";
    blk.mapName = "sub\\GC1_map.png";
    blk.map = "MM";
    blk.images = {{"sub\\GC1_i0.jpg", "III"}};
    s.blocks = {blk};
    import(s);
    const std::string log = Installation::get(b.ctx().programDirPath() + "debug.log");
    const std::string p = "INF: frmSuitcase.ProcessCaches: ";
    const std::vector<std::string> expected = {
        "Number of caches = 1",
        "Processing waypoint GC1",
        "Cache loaded on 01.12.2006 10:20:30",
        "Outdir was: sub",
        "Cache description length = 4 bytes",
        "Creating cache description file: " + b.out("GC1.html"),
        "Meta file length = 0 bytes",
        "No meta file available",
        "Map name is: GC1_map.png",
        "Map size = 2 bytes",
        "Creating map file: " + b.out("GC1_map.png"),
        "Cache has 1 images",
        "Processing image #1",
        "Image name: sub\\GC1_i0.jpg",
        "Image size = 3 bytes",
        "Creating image: " + b.out("GC1_i0.jpg"),
        "Cache GC1 processed successfully",
        "All cache processed successfully",
    };
    std::size_t at = 0;
    for (const auto& line : expected) {
        const std::size_t found = log.find(p + line + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << line << "\n" << log;
        at = found;
    }
    EXPECT_EQ(log.find("Cache will be skipped"), std::string::npos);
}

// One installation exports, another with overlapping data imports.
TEST(SuitcaseRoundTrip, ExportFromOneInstallationMergedIntoAnother) {
    Installation a, b;
    Installation::put(a.work("Caches.bin"), handCacheRec("GC1") + handCacheRec("GC2"));
    Installation::put(a.work("WPList.txt"), "GC1\r\nGC2\r\n");
    Installation::put(a.work("Finds.bin"), indep::findRecord("GC1", "01.01.2006"));
    Installation::put(a.work("Persinfo.txt"), "[GC2]\r\nZ0=von A\r\n");
    Installation::put(a.out("sub/GC2.html"), "A2");
    Installation::put(a.out("sub/GC2.meta"), "0#GC2_i0.jpg\r\n0#\r\n0#\r\n");
    Installation::put(a.out("sub/GC2_i0.jpg"), "IMG");
    Installation::put(b.work("Caches.bin"), handCacheRec("GC1"));
    Installation::put(b.work("WPList.txt"), "GC1\r\n");
    Installation::put(b.work("Persinfo.txt"), "[GC1]\r\nZ0=von B\r\n");

    TfrmSuitcase exporter(a.ctx());
    exporter.open();
    exporter.opts.ExpCacheDB = exporter.opts.ExpWorklist = exporter.opts.ExpFinds = true;
    const std::string file = a.home.dir.file("Carry.vellora");
    ASSERT_TRUE(exporter.exportTo(file));
    exporter.close();

    TfrmSuitcase importer(b.ctx());
    importer.open();
    ASSERT_TRUE(importer.loadFrom(file));
    EXPECT_FALSE(importer.sectionAvailable(SuitcaseSection::IgnoreList));
    importer.btnCommitClick();
    EXPECT_EQ(Installation::get(b.work("Caches.bin")), handCacheRec("GC1") + handCacheRec("GC2"));
    EXPECT_EQ(Installation::get(b.work("WPList.txt")), "GC1\r\nGC2\r\n");
    EXPECT_EQ(Installation::get(b.work("Persinfo.txt")), "[GC1]\r\nZ0=von B\r\n[GC2]\r\nZ0=von A\r\n");
    EXPECT_EQ(Installation::get(b.out("GC2.html")), "A2");
    EXPECT_EQ(Installation::get(b.out("GC2_i0.jpg")), "IMG");
    EXPECT_EQ(importer.summary(), std::vector<std::string>{"GC2: Cache GC2"});
    EXPECT_EQ(importer.report(),
              "Folgende \xC4nderungen wurden auf dieser Vellora-Instanz durchgef\xFChrt:\r\n\r\n"
              "Arbeitsliste: 1 neue Eintr\xE4ge, 1 waren bereits vorhanden\r\n"
              "Ignoreliste: keine \xC4nderung\r\n"
              "Cache-Datenbank: 1 neue Eintr\xE4ge, 0 ge\xE4nderte Eintr\xE4ge, 1 Datens\xE4tze verworfen\r\n"
              "Eigene Funde: 1 neue Eintr\xE4ge, 0 aktualisierte Eintr\xE4ge.\r\n"
              "Cache-Beschreibungen: 1 neue, 0 ersetzte, 0 verworfene Beschreibungen.\r\n");
}

}  // namespace
}  // namespace vellora::test
