#include <gtest/gtest.h>

#include "core/CacheRec.h"
#include "support/CacheRecords.h"
#include "support/TestHome.h"
#include "worklist/CacheSnapshot.h"
#include "worklist/WaypointPositions.h"

namespace vellora::test {
namespace {

class CacheSnapshotTest : public ::testing::Test {
protected:
    void load(const std::vector<TCacheRec>& records) {
        std::string db;
        for (const auto& r : records) db += encodeCacheRec(r);
        home.dir.write("Caches.bin", db + "incomplete tail");
        snapshot.load(home.ctx());
        positions.assign(snapshot);
    }
    TestHome home;
    CacheSnapshot snapshot;
    WaypointPositions positions;
};

TEST_F(CacheSnapshotTest, RecordsDecodeAsTheFileHoldsThem) {
    const std::vector<TCacheRec> records = {sampleCache("GC1", 49.5), sampleCache("gc2", -33.25)};
    load(records);
    ASSERT_EQ(snapshot.count(), 2);
    for (int pos = 0; pos < 2; ++pos) {
        const TCacheRec expected =
            decodeCacheRec(encodeCacheRec(records[static_cast<std::size_t>(pos)]).data());
        EXPECT_EQ(snapshot.at(pos), expected);
        EXPECT_EQ(snapshot.key(pos), expected.Waypoint);
        EXPECT_EQ(snapshot.lat(pos), expected.Lat);
        EXPECT_EQ(snapshot.lon(pos), expected.Lon);
    }
}

// An edited record is held as the editor gave it, texts longer than the file keeps included; its
// key stays the stored waypoint.
TEST_F(CacheSnapshotTest, EditsAndAdditionsAreKeptWhole) {
    load({sampleCache("GC1", 49.5), sampleCache("GC2", 50)});
    TCacheRec edited = sampleCache("gc2", 51.5);
    edited.CacheName = std::string(200, 'n');
    snapshot.replace(1, edited);
    EXPECT_EQ(snapshot.at(1), edited);
    EXPECT_EQ(snapshot.lat(1), 51.5);
    EXPECT_EQ(snapshot.key(1), "GC2");
    EXPECT_EQ(snapshot.at(0).Waypoint, "GC1");

    const TCacheRec added = sampleCache("GC3", 52);
    EXPECT_EQ(snapshot.add(added), 2);
    EXPECT_EQ(snapshot.at(2), added);
    EXPECT_EQ(snapshot.lat(2), 52);
    EXPECT_THROW(snapshot.at(3), std::out_of_range);
    EXPECT_THROW(snapshot.at(-1), std::out_of_range);
}

// Lookups without regard to case; of repeated waypoints the later position counts, also for
// waypoints too long for a key or with a NUL inside, and for positions added later.
TEST_F(CacheSnapshotTest, PositionsOfWaypoints) {
    const std::string nul("GC\0X", 4);
    load({sampleCache("GC1", 49.5), sampleCache("gcab", 49.5), sampleCache("GC1", 49.5),
          sampleCache("GCABCDEFGHIJKLMN", 49.5), sampleCache(nul, 49.5), sampleCache("GCAB", 49.5)});
    const struct {
        std::string waypoint;
        int pos;
    } cases[] = {{"gc1", 2},   {"GCAB", 5}, {"gcabcdefghijklmn", 3},  {nul, 4}, {"GC", -1},
                 {"GC1 ", -1}, {"", -1},    {"GCABCDEFGHIJKLMNO", -1}};
    for (const auto& c : cases) EXPECT_EQ(positions.find(c.waypoint), c.pos) << c.waypoint;

    positions.add("gc9", snapshot.add(sampleCache("gc9")));
    positions.add("Gc1", snapshot.add(sampleCache("Gc1")));
    positions.add("GCABCDEFGHIJKLMNOP", snapshot.add(sampleCache("GCABCDEFGHIJKLMNOP")));
    EXPECT_EQ(positions.find("GC9"), 6);
    EXPECT_EQ(positions.find("GC1"), 7);
    EXPECT_EQ(positions.find("gcabcdefghijklmnop"), 8);
    positions.clear();
    EXPECT_EQ(positions.find("GC9"), -1);
}

}  // namespace
}  // namespace vellora::test
