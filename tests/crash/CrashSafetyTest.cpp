// The real program killed at many points of its file writes: every file it leaves is its old or its
// new content, a temporary file is never taken for data, and the next start finds a consistent
// database (an index that does not describe Caches.bin is rebuilt).
#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "crash/KillTracer.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

#ifdef VELLORA_CLI_PATH

namespace fs = std::filesystem;
using vellora::test::CliRunner;
using vellora::test::TempDir;
using vellora::test::TracedProgram;
using vellora::test::TraceOutcome;

namespace {

// Relative path -> content of every regular file under a directory.
using Files = std::map<std::string, std::string>;

std::string readWhole(const fs::path& path) {
    std::string content;
    const vellora::UniqueFd fd = vellora::openFile(path.string(), O_RDONLY);
    if (fd) vellora::readAll(fd.get(), content);
    return content;
}

void writeWhole(const fs::path& path, const std::string& content) {
    const vellora::UniqueFd fd = vellora::openFile(path.string(), O_WRONLY | O_CREAT | O_TRUNC);
    ASSERT_TRUE(fd) << path;
    ASSERT_EQ(vellora::writeAll(fd.get(), content), 0) << path;
}

Files snapshot(const std::string& root) {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).generic_string()] = readWhole(entry.path());
    }
    return files;
}

// Puts the directory back to the snapshot: changed files rewritten, new ones removed.
void restore(const std::string& root, const Files& files) {
    std::vector<fs::path> extra;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && !files.count(fs::relative(entry.path(), root).generic_string()))
            extra.push_back(entry.path());
    }
    for (const auto& path : extra) fs::remove(path);
    for (const auto& [name, content] : files) {
        const fs::path path = fs::path(root) / name;
        std::error_code ec;
        if (fs::file_size(path, ec) == content.size() && !ec && readWhole(path) == content) continue;
        fs::create_directories(path.parent_path());
        writeWhole(path, content);
    }
}

bool isWriterTemp(const std::string& name) {
    return name.find(vellora::AtomicFileWriter::kTempMarker) != std::string::npos;
}

// The merge's scratch file: rewritten from the start by every merge, never read as the database.
bool isMergeScratch(const std::string& name) {
    return name == "work/Caches.bin.tmp";
}

// Every start stamps its time into the configuration; the rest of the file must match byte for byte.
std::string comparable(const std::string& name, const std::string& content) {
    if (name != "vellora.conf") return content;
    std::string out;
    std::size_t at = 0;
    while (at < content.size()) {
        const std::size_t end = std::min(content.find('\n', at), content.size());
        std::string line = content.substr(at, end - at);
        if (line.rfind("LatestStart=", 0) == 0) line = "LatestStart=";
        out += line + "\n";
        at = end + 1;
    }
    return out;
}

bool sameFile(const Files& state, const std::string& name, const std::string* current) {
    const auto it = state.find(name);
    if (it == state.end() || !current) return it == state.end() && !current;
    return comparable(name, it->second) == comparable(name, *current);
}

std::string countryFile(int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
        const std::string wp = "GC" + std::to_string(i);
        const std::string lat = std::to_string(49.0 + (i % 500) * 0.002);
        const std::string lon = std::to_string(10.0 + (i / 500) * 0.01);
        text += std::to_string(i) + " \"Cache " + wp + "\" 2005 06 07 " + lat + " " + lon +
                " \"Traditional Cache\" \"Small\" " + wp + " 1 2\n";
    }
    return text;
}

std::vector<std::string> waypoints(int first, int count) {
    std::vector<std::string> out;
    for (int i = first; i < first + count; ++i) out.push_back("GC" + std::to_string(i));
    return out;
}

constexpr int kBaseRecords = 20000;

// The home every scenario starts from: the configuration in the home, the database, lists, finds
// and notes in a working directory of their own.
const Files& baseHome() {
    static const Files files = [] {
        TempDir dir;
        const std::string home = dir.path(), work = home + "/work";
        const CliRunner cli(home);
        fs::create_directories(work);
        EXPECT_EQ(cli.run({"init"}).code, 0);
        EXPECT_EQ(cli.run({"config", "set", "Program", "WorkDir", work}).code, 0);
        writeWhole(work + "/gc_germany.txt", countryFile(0, kBaseRecords));
        EXPECT_EQ(cli.run({"db", "convert"}).code, 0);
        const auto add = [&](int first, int count, const char* list) {
            std::vector<std::string> words = {"worklist", "add"};
            for (auto& wp : waypoints(first, count)) words.push_back(wp);
            words.insert(words.end(), {"--list", list});
            EXPECT_EQ(cli.run(words).code, 0);
        };
        add(0, 100, "work");
        add(100, 300, "finds");
        add(400, 50, "ignore");
        add(450, 10, "clipboard");
        std::string notes;
        for (int i = 0; i < 3000; ++i) {
            notes += "[GC" + std::to_string(i) + "]\r\n";
            for (int z = 0; z < 3; ++z)
                notes += "Z" + std::to_string(z) + "=Notiz " + std::to_string(i) + " Zeile " +
                         std::to_string(z) + "\r\n";
        }
        writeWhole(work + "/Persinfo.txt", notes);
        std::string conf = readWhole(home + "/vellora.conf") + "[Vorlagen]\r\n";
        for (int i = 0; i < 5000; ++i)
            conf += "Vorlage" + std::to_string(i) + "=Wert " + std::to_string(i) + "\r\n";
        writeWhole(home + "/vellora.conf", conf);
        return snapshot(home);
    }();
    return files;
}

struct Scenario {
    const char* name;
    std::vector<std::string> words;  // after --home HOME --no
    int killPoints;
    std::string input;                         // standard input of the command
    void (*prepare)(const std::string& home);  // turns the base home into the "before" state
    const char* presentInBoth;                 // a waypoint both databases hold
    bool changesFiles = true;
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

struct Tally {
    int killed = 0, allOld = 0, allNew = 0, mixed = 0, tempsLeft = 0, indexRepaired = 0;
};

// Kill before call 0, right after every rename (the states between two files' replacements), then
// evenly over the run.
std::vector<long> killPoints(const TraceOutcome& full, int wanted) {
    const long calls = full.fileCalls;
    std::vector<long> candidates = {0};
    for (const long r : full.renames) candidates.push_back(r + 1);
    for (int i = 0; i < wanted; ++i) candidates.push_back(calls * i / wanted);
    for (long c = 0; c < calls; ++c) candidates.push_back(c);
    std::vector<long> points;
    std::set<long> seen;
    for (const long c : candidates) {
        if (c >= calls || !seen.insert(c).second) continue;
        points.push_back(c);
        if (static_cast<int>(points.size()) == wanted) break;
    }
    std::sort(points.begin(), points.end());
    return points;
}

class CrashSafety : public testing::TestWithParam<Scenario> {
protected:
    static void SetUpTestSuite() {
        std::string why;
        if (!vellora::test::tracingAvailable(why)) skipReason_ = why;
    }
    static inline std::string skipReason_;
};

TEST_P(CrashSafety, EveryFileIsOldOrNewAndTheNextStartRepairs) {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
    const Scenario& sc = GetParam();
    const auto started = std::chrono::steady_clock::now();
    TempDir dir;
    const std::string home = dir.path();
    restore(home, baseHome());
    const CliRunner cli(home);
    ASSERT_EQ(cli.run({"config", "set", "Program", "WorkDir", home + "/work"}).code, 0);
    if (sc.prepare) sc.prepare(home);
    const Files before = snapshot(home);

    TracedProgram program;
    program.argv = {VELLORA_CLI_PATH, "--home", home, "--no"};
    program.argv.insert(program.argv.end(), sc.words.begin(), sc.words.end());
    const TempDir side;
    program.outputPath = side.file("output.txt");
    if (!sc.input.empty()) {
        side.write("input.txt", sc.input);
        program.stdinPath = side.file("input.txt");
    }

    const TraceOutcome full = vellora::test::runTraced(program, -1);
    ASSERT_TRUE(full.exitedCleanly()) << "status " << full.status << ": " << side.read("output.txt");
    // A kill cannot show a rename that overtook the data on its way to disk; the trace can.
    EXPECT_EQ(full.unsyncedRenames, std::vector<std::string>{}) << "renamed before being flushed";
    // Guards the check itself: it saw the renames of the files the run wrote.
    if (!full.renames.empty()) {
        EXPECT_GT(full.renamesOfWrittenFiles, 0) << "no rename was of a file seen being written";
    }
    const Files after = snapshot(home);
    // The rebuilt index of a sound database is the one it had; its kills check that it is never torn.
    if (sc.changesFiles) {
        ASSERT_TRUE(before != after) << "the command changed nothing";
    }

    std::set<std::string> names;
    for (const auto& f : {before, after}) {
        for (const auto& [name, content] : f) names.insert(name);
    }
    const std::vector<long> points = killPoints(full, sc.killPoints);
    Tally tally;
    for (const long point : points) {
        SCOPED_TRACE("killed before file-changing call " + std::to_string(point) + " of " +
                     std::to_string(full.fileCalls));
        restore(home, before);
        const TraceOutcome run = vellora::test::runTraced(program, point);
        ASSERT_TRUE(run.killed);
        ++tally.killed;

        const Files now = snapshot(home);
        int oldCount = 0, newCount = 0;
        for (const std::string& name : names) {
            if (isWriterTemp(name) || isMergeScratch(name)) continue;
            const auto it = now.find(name);
            const std::string* current = it == now.end() ? nullptr : &it->second;
            const bool isOld = sameFile(before, name, current), isNew = sameFile(after, name, current);
            EXPECT_TRUE(isOld || isNew)
                << name << " is torn: " << (current ? current->size() : 0) << " bytes";
            if (isOld != isNew) ++(isOld ? oldCount : newCount);
        }
        bool temps = false;
        for (const auto& [name, content] : now) {
            if (names.count(name)) continue;
            temps = temps || isWriterTemp(name);
            EXPECT_TRUE(isWriterTemp(name) || isMergeScratch(name)) << "unexpected file " << name;
        }
        tally.tempsLeft += temps;
        ++(newCount == 0 ? tally.allOld : oldCount == 0 ? tally.allNew : tally.mixed);

        const std::string bin = now.count("work/Caches.bin") ? now.at("work/Caches.bin") : std::string();
        const bool binIsNew = bin == after.at("work/Caches.bin");
        const std::string& expectedIdx = (binIsNew ? after : before).at("work/Caches.idx");
        if (now.count("work/Caches.idx") && now.at("work/Caches.idx") != expectedIdx) ++tally.indexRepaired;

        // The next start: it cleans up after the killed run and answers from a whole database.
        const auto count = cli.run({"db", "count"});
        EXPECT_EQ(count.code, 0) << count.err;
        EXPECT_EQ(count.out, std::to_string(bin.size() / vellora::kCacheRecSize) + "\n");
        EXPECT_EQ(dir.read("work/Caches.idx"), expectedIdx) << "the index does not describe Caches.bin";
        const auto found = cli.run({"db", "find", sc.presentInBoth});
        EXPECT_EQ(found.code, 0) << found.err;
        for (const auto& [name, content] : snapshot(home))
            EXPECT_FALSE(isWriterTemp(name)) << name << " outlived the next start";
        if (HasFailure()) break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << sc.name << ": " << full.fileCalls << " file-changing calls, " << tally.killed
              << " kills (all old " << tally.allOld << ", all new " << tally.allNew << ", mixed "
              << tally.mixed << "), temporary files left " << tally.tempsLeft << ", index repaired "
              << tally.indexRepaired << ", " << seconds << " s\n";
    // A kill right after Caches.bin was replaced leaves the old index beside it.
    if (before.at("work/Caches.bin") != after.at("work/Caches.bin")) {
        EXPECT_GT(tally.indexRepaired, 0) << "no kill left a stale index";
    }
}

void mergeSource(const std::string& home) {
    // Half of the records are new, half replace existing ones.
    writeWhole(home + "/work/gc_germany.txt", countryFile(kBaseRecords / 2, kBaseRecords));
}

// The suitcase the import scenario reads, exported once from another home: half of its records
// are new to the base home, half replace records it holds.
const std::string& carriedSuitcase() {
    static const TempDir dir;
    static const std::string path = dir.file("carry.vellora");
    return path;
}

void suitcaseSource(const std::string&) {
    if (fs::exists(carriedSuitcase())) return;
    TempDir other;
    const CliRunner cli(other.path());
    fs::create_directories(other.path() + "/work");
    EXPECT_EQ(cli.run({"init"}).code, 0);
    EXPECT_EQ(cli.run({"config", "set", "Program", "WorkDir", other.path() + "/work"}).code, 0);
    writeWhole(other.path() + "/work/gc_germany.txt", countryFile(kBaseRecords / 2, kBaseRecords));
    EXPECT_EQ(cli.run({"db", "convert"}).code, 0);
    EXPECT_EQ(cli.run({"suitcase", "export", carriedSuitcase(), "--sections", "db"}).code, 0);
}

std::string longNote() {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "Zeile " + std::to_string(i) + " einer langen Notiz\n";
    return text;
}

const Scenario kScenarios[] = {
    {"ConvertIntoExistingDatabase", {"db", "convert"}, 30, {}, mergeSource, "GC15000"},
    {"DeleteRecord", {"db", "delete", "GC5000"}, 15, {}, nullptr, "GC4999"},
    {"RebuildIndex", {"db", "rebuild-index"}, 10, {}, nullptr, "GC19999", false},
    {"WorkListFromRadius",
     {"worklist", "radius", "--radius", "40", "--center", "49.5,10.2"},
     15,
     {},
     nullptr,
     "GC1"},
    {"FindsFromRadius",
     {"worklist", "radius", "--radius", "40", "--center", "49.5,10.2", "--list", "finds"},
     10,
     {},
     nullptr,
     "GC1"},
    {"NotesOfOneCache", {"notes", "set", "GC77"}, 10, longNote(), nullptr, "GC1"},
    {"ConfigurationValue", {"config", "set", "Vorlagen", "Vorlage17", "neu"}, 10, {}, nullptr, "GC1"},
    {"SuitcaseImportIntoExistingDatabase",
     {"suitcase", "import", carriedSuitcase(), "--db", "update", "--no-generate"},
     15,
     {},
     suitcaseSource,
     "GC15000"},
};

INSTANTIATE_TEST_SUITE_P(Writes, CrashSafety, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace

#endif
