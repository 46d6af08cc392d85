// Hostile archives and suitcases: every file of the corpora "zip" and "suitcase", and truncated
// copies of archives of every compression method, go through the readers; nothing may be written
// outside the target folder, nothing local may change when the input is refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/FileUtil.h"
#include "hostile/HostileCorpus.h"
#include "import/Unzip.h"
#include "import/ZipWriter.h"
#include "suitcase/IndependentSuitcase.h"
#include "suitcase/Suitcase.h"
#include "suitcase/SuitcaseFixture.h"
#include "support/SharedFolders.h"
#include "support/TestHome.h"

namespace vellora::test {
namespace {

const std::string kSharedZips = sharedFolder("fixtures/zip");
// Where the corpus's absolute member names point.
const char* const kAbsoluteVictims[] = {"/tmp/vellora-hostile-absolute.txt", "/tmp/vellora-hostile-link.txt",
                                        "/tmp/vellora-hostile-suitcase.jpg"};

// Extracts one archive four levels below a scratch root: members that climb at most four levels
// land in the root, where the check sees them.
class Extraction {
public:
    explicit Extraction(const std::string& archiveBytes) {
        dir_.write("archive.zip", archiveBytes);
        dir_.write("a/sentinel.txt", "keep");
        target_ = dir_.path() + "/a/b/c/target/";
        makeDirs(target_);
    }
    TUnzipReport run(std::uint64_t maxMember = kMaxZipMemberSize) {
        ListMembers(dir_.file("archive.zip"));
        TUnzipReport report;
        report.result = ExtractMembers(dir_.file("archive.zip"), target_, "", report, maxMember);
        return report;
    }
    // Every path written outside the target, or a link inside it.
    std::vector<std::string> escapes() const {
        std::vector<std::string> bad;
        for (const auto& [rel, content] : treeOf(dir_.path())) {
            const bool inTarget = rel.rfind("a/b/c/target/", 0) == 0;
            const bool expected = rel == "archive.zip" || rel == "a/" || rel == "a/b/" || rel == "a/b/c/" ||
                                  rel == "a/b/c/target/" || (rel == "a/sentinel.txt" && content == "keep");
            if ((!inTarget && !expected) || content.rfind("-> ", 0) == 0) bad.push_back(rel);
        }
        for (const char* victim : kAbsoluteVictims)
            if (fileExists(victim)) bad.push_back(victim);
        return bad;
    }
    Tree target() const { return treeOf(target_); }

private:
    TempDir dir_;
    std::string target_;
};

void checkExtraction(const std::string& name, const std::string& bytes) {
    SCOPED_TRACE(name);
    Extraction x(bytes);
    const TUnzipReport report = x.run();
    EXPECT_EQ(x.escapes(), std::vector<std::string>{});
    if (report.result < 0) {
        EXPECT_FALSE(unzipErrorText(report.result).empty()) << report.result;
    }
    if (report.failure != TUnzipFailure::None) {
        EXPECT_NE(unzipFailureText(report.failure), nullptr);
    }
}

TEST(HostileArchives, CorpusStaysInsideTheTarget) {
    const auto files = corpusFiles("zip");
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) checkExtraction(baseName(file), fileBytes(file));
}

TEST(HostileArchives, ClimbingAndLinkedMembersAreNamedAndPassedOver) {
    struct Case {
        const char* file;
        std::vector<std::string> kept;  // what the target holds afterwards
    };
    const Case cases[] = {
        {"climb-dotdot.zip", {"ok.txt"}},
        {"climb-backslash.zip", {}},
        {"climb-absolute.zip", {}},
        // The link is passed over; the member behind it gets a real folder in the target.
        {"symlink-then-through.zip", {"link/escape-link.txt"}},
        {"symlink-absolute.zip", {"abs/vellora-hostile-link.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Extraction x(fileBytes(corpusDir("zip") + "/" + c.file));
        const TUnzipReport report = x.run();
        EXPECT_GE(report.result, 0);
        EXPECT_FALSE(report.refused.empty());
        std::vector<std::string> files;
        for (const auto& [rel, content] : x.target())
            if (rel.back() != '/') files.push_back(rel);
        EXPECT_EQ(files, c.kept);
        EXPECT_EQ(x.escapes(), std::vector<std::string>{});
    }
}

// Each method's archive cut at many lengths: refused with a code or a named member, never more
// than was there.
TEST(HostileArchives, TruncatedArchivesOfEveryMethod) {
    std::vector<std::pair<std::string, std::string>> archives = {
        {"stored",
         buildZip({{.name = "s.txt", .data = std::string(700, 's')}, {.name = "t.txt", .data = "t"}})},
        {"deflated", buildZip({{.name = "d.txt", .data = std::string(5000, 'd') + "end", .method = 8},
                               {.name = "e/f.txt", .data = "ef", .method = 8, .dataDescriptor = true}})},
        {"zip64", buildZip({{.name = "z.txt", .data = "zzzz", .method = 8, .zip64 = true}}, true)},
    };
    if (sharedFolderPresent(kSharedZips)) {
        for (const char* shared : {"shrink.zip", "implode.zip", "imploding-8Kdict-3trees.zip", "mixed.zip"}) {
            const std::string bytes = fileBytes(kSharedZips + shared);
            EXPECT_FALSE(bytes.empty()) << shared;
            if (!bytes.empty()) archives.emplace_back(shared, bytes);
        }
    }
    for (const auto& [name, bytes] : archives) {
        for (std::size_t cut : cutLengths(bytes.size(), 12, 4)) {
            SCOPED_TRACE(name + " cut at " + std::to_string(cut));
            std::string cutBytes = bytes.substr(0, cut);
            checkExtraction(name, cutBytes);
            // The same bytes with the central directory kept: the members' data is what is cut.
            if (cut > 0 && cut + 4 < bytes.size()) {
                std::string holed = bytes;
                std::fill(holed.begin() + static_cast<std::ptrdiff_t>(cut / 2),
                          holed.begin() + static_cast<std::ptrdiff_t>(cut), '\0');
                checkExtraction(name + " zeroed", holed);
            }
        }
    }
}

TEST(HostileArchives, HugeDeclaredSizesAreRefusedBeforeWriting) {
    const std::uint64_t fourGB = std::uint64_t{4} << 30;
    const std::pair<std::string, std::string> archives[] = {
        {"huge-declared-stored.zip", fileBytes(corpusDir("zip") + "/huge-declared-stored.zip")},
        {"huge-declared-deflated.zip", fileBytes(corpusDir("zip") + "/huge-declared-deflated.zip")},
        {"zip64 4 GB",
         buildZip(
             {{.name = "big.txt", .data = "abc", .method = 8, .declaredSize = fourGB + 1, .zip64 = true}},
             true)},
    };
    for (const auto& [name, bytes] : archives) {
        SCOPED_TRACE(name);
        Extraction x(bytes);
        const TUnzipReport report = x.run(std::uint64_t{1} << 20);
        // Refused as a whole (the sizes contradict each other) or at the member.
        EXPECT_TRUE(report.result < 0 || report.failure == TUnzipFailure::TooLarge) << report.result;
        EXPECT_LE(report.result, 0);
        for (const auto& [rel, content] : x.target()) EXPECT_TRUE(content.empty()) << rel;
    }
    // A member that inflates far beyond what it declares stops at the declared size.
    Extraction bomb(fileBytes(corpusDir("zip") + "/deflate-bomb-small-declared.zip"));
    const TUnzipReport report = bomb.run();
    EXPECT_EQ(report.result, 0);
    EXPECT_NE(report.failure, TUnzipFailure::None);
    for (const auto& [rel, content] : bomb.target()) EXPECT_LE(content.size(), 10u) << rel;
}

// ---- suitcases ----

struct SuitcaseRun {
    Installation inst;
    std::string file;
    Tree before;
    bool loaded = false;

    explicit SuitcaseRun(const std::string& bytes) {
        inst.ctx().settings.OutDir = inst.home.dir.path() + "/work/out/";
        Installation::put(inst.work("WPList.txt"), "GCLOCAL\r\n");
        Installation::put(inst.work("Persinfo.txt"), "[GCLOCAL]\r\nZ0=mine\r\n");
        Installation::put(inst.out("GCLOCAL.html"), "<html>local</html>");
        file = inst.home.dir.path() + "/in.vellora";
        Installation::put(file, bytes);
        before = treeOf(inst.home.dir.path());
    }
    // Everything outside the output directory's new cache files, and whatever lies above the home.
    Tree outsideOutput() const {
        Tree t = treeOf(inst.home.dir.path());
        for (auto it = t.begin(); it != t.end();)
            it = it->first.rfind("work/out/GC", 0) == 0 && it->first != "work/out/GCLOCAL.html"
                     ? t.erase(it)
                     : std::next(it);
        return t;
    }
};

TEST(HostileSuitcases, CorpusIsRefusedWithAMessageOrMergedInsideTheOutputDirectory) {
    const auto files = corpusFiles("suitcase");
    ASSERT_FALSE(files.empty());
    for (const std::string& path : files) {
        SCOPED_TRACE(baseName(path));
        SuitcaseRun run(fileBytes(path));
        TfrmSuitcase dialog(run.inst.ctx());
        dialog.open();
        dialog.saveSettings = false;
        if (!dialog.loadFrom(run.file)) {
            EXPECT_FALSE(run.inst.host().messages.empty());
            EXPECT_EQ(treeOf(run.inst.home.dir.path()), run.before);
            continue;
        }
        dialog.opts.GetNotes = false;
        dialog.btnCommitClick();
        const Tree after = run.outsideOutput();
        for (const auto& [rel, content] : after) {
            const auto was = run.before.find(rel);
            // The lists may grow by the suitcase's entries; nothing else changes or appears.
            if (rel == "work/WPList.txt" || rel == "work/Ignore.txt" || rel == "work/vellora.conf") continue;
            EXPECT_TRUE(was != run.before.end() && was->second == content) << rel;
        }
        for (const char* victim : kAbsoluteVictims) EXPECT_FALSE(fileExists(victim)) << victim;
    }
}

// A link planted in the output directory under a name the suitcase writes must not carry the
// write elsewhere.
TEST(HostileSuitcases, LinksInTheOutputDirectoryAreNotFollowed) {
    SuitcaseRun run(fileBytes(corpusDir("suitcase") + "/truncated-0900.vellora"));
    const std::string whole = [] {
        indep::Suitcase s;
        indep::Block blk;
        blk.waypoint = "GC1";
        blk.page = "<html>fremd</html>";
        blk.mapName = "GC1_map.png";
        blk.map = "MAP";
        blk.images = {{"GC1_i0.jpg", "IMG"}};
        s.blocks = {blk};
        return indep::write(s);
    }();
    Installation::put(run.file, whole);
    const std::string victim = run.inst.home.dir.path() + "/victim.txt";
    Installation::put(victim, "precious");
    for (const char* name : {"GC1.html", "GC1_map.png", "GC1_i0.jpg"})
        ASSERT_EQ(::symlink(victim.c_str(), run.inst.out(name).c_str()), 0);
    TfrmSuitcase dialog(run.inst.ctx());
    dialog.open();
    dialog.saveSettings = false;
    ASSERT_TRUE(dialog.loadFrom(run.file));
    dialog.opts.DoubleCache = 0;
    dialog.btnCommitClick();
    EXPECT_EQ(Installation::get(victim), "precious");
}

}  // namespace
}  // namespace vellora::test
