#include "core/CacheIndexBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "HandBuiltRecords.h"
#include "core/FileUtil.h"
#include "core/UpperCase.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

// The index as its definition has it: upper-case key padded to 16, sorted together with the
// record number as text; built without the builder's runs and words.
std::string expectedIndex(const std::vector<std::string>& waypoints) {
    std::vector<std::pair<std::string, int>> keys;
    for (std::size_t n = 0; n < waypoints.size(); ++n) {
        std::string key = upperCase(waypoints[n].substr(0, 16));
        key.resize(16, ' ');
        keys.emplace_back(key + std::to_string(n), static_cast<int>(n));
    }
    std::sort(keys.begin(), keys.end());
    std::string out;
    for (const auto& [k, n] : keys) out += test::handIdxRec(k.substr(0, 16), n);
    return out;
}

// Waypoints that meet at the edges of the order: the same key in other case and repeated (ordered
// by the number as text, "10" before "9"), keys longer than 16 characters, bytes above 127 whose
// upper case is another byte, an empty waypoint, and a blank that sorts below every letter.
std::vector<std::string> edgeWaypoints(int count) {
    const std::vector<std::string> pool = {
        "GC1",
        "gc1",
        "GC10",
        "GC1 ",
        "GCABCDEFGHIJKLMNOPQ",
        "GCABCDEFGHIJKLMNOX",
        "gc\xE4z",
        "GC\xC4Z",
        "",
        "GC\xFF",
        "OC12AB",
        "gc9",
        "GC0000000",
        "GC",
        "GC 1",
        "zz",
    };
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        // Runs of one key long enough to cross 9/10 and 99/100 among their numbers.
        out.push_back(i % 37 < 12 ? pool[static_cast<std::size_t>(i % 3)]
                                  : pool[static_cast<std::size_t>((i * 7) % pool.size())]);
    }
    return out;
}

std::string buildIndex(test::TestHome& home, const std::string& spillDir, std::size_t runKeys,
                       const std::vector<std::string>& waypoints, std::size_t* runs = nullptr) {
    CacheIndexBuilder builder(spillDir, runKeys);
    for (const std::string& wp : waypoints) builder.add(wp);
    if (runs) *runs = builder.spilledRuns();
    EXPECT_EQ(builder.records(), static_cast<std::int32_t>(waypoints.size()));
    EXPECT_EQ(builder.write(home.ctx()), 0);
    return readFile(home.workFile("Caches.idx")).value_or("");
}

// Spilled in runs of a few keys (many runs, runs that end inside a repeated key, a last run held
// in memory) the index is the one sorted whole in memory.
TEST(CacheIndexBuilder, RunsSpilledAndMergedGiveTheIndexSortedWhole) {
    test::TestHome home;
    const std::vector<std::string> waypoints = edgeWaypoints(1000);
    const std::string expected = expectedIndex(waypoints);
    ASSERT_EQ(buildIndex(home, home.ctx().workDirPath(), 1 << 20, waypoints), expected);
    for (const std::size_t runKeys : {std::size_t{1}, std::size_t{3}, std::size_t{64}, std::size_t{999}}) {
        SCOPED_TRACE(runKeys);
        std::size_t runs = 0;
        EXPECT_EQ(buildIndex(home, home.ctx().workDirPath(), runKeys, waypoints, &runs), expected);
        EXPECT_EQ(runs, (waypoints.size() - 1) / runKeys);
    }
}

// Without a place for the runs the keys stay in memory: the index is the same.
TEST(CacheIndexBuilder, WithoutScratchFileTheKeysStayInMemory) {
    test::TestHome home;
    const std::vector<std::string> waypoints = edgeWaypoints(300);
    std::size_t runs = 1;
    EXPECT_EQ(buildIndex(home, home.dir.file("missing/dir"), 7, waypoints, &runs), expectedIndex(waypoints));
    EXPECT_EQ(runs, 0u);
}

// The scratch file has no name: nothing of it stays in the working directory.
TEST(CacheIndexBuilder, LeavesNoScratchFileAndStartsOverAfterWriting) {
    test::TestHome home;
    CacheIndexBuilder builder(home.ctx().workDirPath(), 2);
    for (const std::string& wp : edgeWaypoints(50)) builder.add(wp);
    ASSERT_GT(builder.spilledRuns(), 0u);
    ASSERT_EQ(builder.write(home.ctx()), 0);
    EXPECT_EQ(builder.records(), 0);
    EXPECT_EQ(builder.spilledRuns(), 0u);
    builder.add("GC2");
    builder.add("gc1");
    ASSERT_EQ(builder.write(home.ctx()), 0);
    EXPECT_EQ(readFile(home.workFile("Caches.idx")).value_or(""), expectedIndex({"GC2", "gc1"}));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home.ctx().workDirPath()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n.find(".vtmp") != std::string::npos; }),
              0);
}

}  // namespace
}  // namespace vellora
