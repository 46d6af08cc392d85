// The database merge over files gives what the rules in memory give, byte for byte: the same
// records in the same order, the same counts and the same new waypoints, whatever the order of the
// files, repeated or case-different waypoints and records refused on the way.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <algorithm>
#include <random>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/HandBuiltRecords.h"
#include "core/UpperCase.h"
#include "suitcase/SuitcaseDbMerge.h"
#include "suitcase/SuitcaseMerge.h"
#include "support/TestHome.h"

namespace vellora::test {
namespace {

// Waypoints from a small pool, so that both sides share many and repeat some; the pool holds
// case variants, letters above 127, the longest waypoint, an empty one and one whose length byte
// claims more than the field holds.
std::string poolRecord(std::mt19937& rng, char side, int n) {
    static const char* const kPool[] = {
        "GC1", "gc1", "GC10", "GC2", "GCAB\xE4", "GCAB\xC4", "GC0000000000000Z", "", "GCX1", "gcx2"};
    HandRec r;
    r.waypoint =
        std::string(kPool[rng() % std::size(kPool)]) + (rng() % 3 ? std::to_string(rng() % 700) : "");
    if (r.waypoint.size() > 16) r.waypoint.resize(16);
    r.name = std::string(1, side) + std::to_string(n);
    std::string rec = handCacheRec(r);
    if (rng() % 97 == 0) rec[194] = static_cast<char>(200);
    return rec;
}

std::string database(std::mt19937& rng, char side, int count, bool sorted) {
    std::vector<std::string> records;
    for (int i = 0; i < count; ++i) records.push_back(poolRecord(rng, side, i));
    if (sorted)
        std::stable_sort(records.begin(), records.end(), [](const std::string& a, const std::string& b) {
            return upperCase(cacheRecWaypoint(a.data())) < upperCase(cacheRecWaypoint(b.data()));
        });
    std::string all;
    for (const auto& rec : records) all += rec;
    return all;
}

bool refused(std::string_view wp) {
    return wp.find('X') != std::string_view::npos;
}

struct Case {
    const char* name;
    int local, incoming;
    bool sorted, takeIncoming;
};

TEST(SuitcaseDbMerge, StreamedMergeEqualsTheRulesInMemory) {
    const Case cases[] = {
        {"both empty", 0, 0, true, true},
        {"into an empty home", 0, 9000, true, false},
        {"nothing carried", 5000, 0, false, true},
        {"sorted, keep local", 9000, 7000, true, false},
        {"sorted, take incoming", 9000, 7000, true, true},
        {"file order, keep local", 6000, 9000, false, false},
        {"file order, take incoming", 6000, 9000, false, true},
    };
    TempDir dir;
    std::mt19937 rng(20261211);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string local = database(rng, 'L', c.local, c.sorted);
        const std::string carried = database(rng, 'S', c.incoming, c.sorted);
        // The carried records lie inside a larger file, as in a suitcase.
        dir.write("local.bin", local);
        dir.write("carried.bin", "head" + carried + "tail of the file");
        std::string accepted;
        for (std::size_t off = 0; off < carried.size(); off += kCacheRecSize)
            if (!refused(cacheRecWaypoint(carried.data() + off)))
                accepted.append(carried, off, kCacheRecSize);
        const DbMergeResult expected = mergeDatabase(local, accepted, c.takeIncoming);

        const UniqueFd lf = openFile(dir.file("local.bin"), O_RDONLY);
        const UniqueFd sf = openFile(dir.file("carried.bin"), O_RDONLY);
        const RecordRun l{lf.get(), 0, c.local}, s{sf.get(), 4, c.incoming};
        MergeKeys lk, sk;
        ASSERT_EQ(lk.read(l), 0);
        ASSERT_EQ(sk.read(s, [](std::string_view wp) { return !refused(wp); }), 0);
        const DbMergeCounts counts = planDatabaseMerge(lk, sk, c.takeIncoming);
        EXPECT_EQ(counts.added, expected.added);
        EXPECT_EQ(counts.changed, expected.changed);
        EXPECT_EQ(counts.discarded, expected.discarded);

        AtomicFileWriter out(dir.file("merged.bin"));
        std::vector<std::string> newWaypoints;
        const DbMergeIo io = writeDatabaseMerge(l, lk, s, sk, c.takeIncoming, out, newWaypoints);
        ASSERT_EQ(io.code, 0);
        ASSERT_EQ(out.commit(), 0);
        std::string merged;
        ASSERT_EQ(readAll(openFile(dir.file("merged.bin"), O_RDONLY).get(), merged), 0);
        EXPECT_TRUE(merged == expected.records) << "the merged records differ";
        EXPECT_EQ(newWaypoints, expected.newWaypoints);
    }
}

TEST(SuitcaseDbMerge, ARunLongerThanItsFileIsAReadErrorNotAShortMerge) {
    TempDir dir;
    dir.write("short.bin", handCacheRec("GC1") + std::string(100, 'x'));
    const UniqueFd fd = openFile(dir.file("short.bin"), O_RDONLY);
    MergeKeys keys;
    EXPECT_NE(keys.read({fd.get(), 0, 2}), 0);
}

}  // namespace
}  // namespace vellora::test
