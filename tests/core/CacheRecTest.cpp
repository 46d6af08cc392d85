#include "core/CacheRec.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "HandBuiltRecords.h"

namespace vellora {
namespace {

using test::handCacheRec;
using test::handIdxRec;
using test::HandRec;

HandRec fullHandRec() {
    HandRec r;
    r.id = 123456;
    r.name =
        "Gro\xDF"
        "e Eiche am B\xE4"
        "chle";
    r.hidden = 38000.0;
    r.lat = 49.123456789;
    r.lon = -8.5;
    r.type = "Traditional Cache";
    r.size = "Regular";
    r.waypoint = "GC1A2B3";
    r.difficulty = "1.5";
    r.terrain = "4";
    r.country = 79;
    r.homeDist = 12.3f;
    r.valid = 1;
    return r;
}

TEST(CacheRecCodec, DecodesHandBuiltBytes) {
    std::string bytes = handCacheRec(fullHandRec());
    // Bytes behind the used text and in the padding are undefined: decoding ignores them.
    bytes[4 + 1 + 30] = 'X';
    bytes[125] = '\x7F';
    bytes[219] = '\x01';
    bytes[293] = '\x55';
    bytes[194 + 1 + 7] = 'Z';
    // Reserve bytes travel untouched, including the length byte at 229.
    bytes[229] = '\x05';
    bytes[230] = '\x2A';
    bytes[292] = '\x11';

    const TCacheRec rec = decodeCacheRec(bytes.data());
    EXPECT_EQ(rec.CacheID, 123456);
    EXPECT_EQ(rec.CacheName,
              "Gro\xDF"
              "e Eiche am B\xE4"
              "chle");
    EXPECT_EQ(rec.HiddenDate, 38000.0);
    EXPECT_EQ(rec.Lat, 49.123456789);
    EXPECT_EQ(rec.Lon, -8.5);
    EXPECT_EQ(rec.CacheType, "Traditional Cache");
    EXPECT_EQ(rec.CacheSize, "Regular");
    EXPECT_EQ(rec.Waypoint, "GC1A2B3");
    EXPECT_EQ(rec.Difficulty, "1.5");
    EXPECT_EQ(rec.Terrain, "4");
    EXPECT_EQ(rec.CountryID, 79);
    EXPECT_EQ(rec.HomeDist, 12.3f);
    EXPECT_EQ(rec.Valid, 1);
    EXPECT_EQ(rec.Reserve[0], 0x05);
    EXPECT_EQ(rec.Reserve[1], 0x2A);
    EXPECT_EQ(rec.Reserve[63], 0x11);

    // Encoding writes zeros where the input had undefined bytes, and nothing else changes.
    std::string expected = handCacheRec(fullHandRec());
    expected[229] = '\x05';
    expected[230] = '\x2A';
    expected[292] = '\x11';
    EXPECT_EQ(encodeCacheRec(rec), expected);
}

TEST(CacheRecCodec, EncodesAtTheStatedOffsets) {
    TCacheRec rec;
    rec.CacheID = -1;
    rec.CacheName = "Name";
    rec.HiddenDate = 39059.5;
    rec.Lat = -33.25;
    rec.Lon = 151.0625;
    rec.CacheType = "Multi-cache";
    rec.CacheSize = "Micro";
    rec.Waypoint = "GCABCDEFGHIJKLMN";
    rec.Difficulty = "0.0";
    rec.Terrain = "5";
    rec.CountryID = -1;
    rec.HomeDist = 16000.5f;
    rec.Valid = 0;
    HandRec h;
    h.id = -1;
    h.name = "Name";
    h.hidden = 39059.5;
    h.lat = -33.25;
    h.lon = 151.0625;
    h.type = "Multi-cache";
    h.size = "Micro";
    h.waypoint = "GCABCDEFGHIJKLMN";
    h.difficulty = "0.0";
    h.terrain = "5";
    h.country = -1;
    h.homeDist = 16000.5f;
    EXPECT_EQ(encodeCacheRec(rec), handCacheRec(h));
    EXPECT_EQ(encodeCacheRec(rec).size(), kCacheRecSize);
    EXPECT_EQ(decodeCacheRec(encodeCacheRec(rec).data()), rec);
}

TEST(CacheRecCodec, CutsTextsToTheirMaximum) {
    TCacheRec rec;
    rec.CacheName = std::string(130, 'n');
    rec.CacheType = std::string(25, 't');
    rec.Waypoint = "GC12345678901234567";
    rec.Difficulty = "1.25";
    const std::string bytes = encodeCacheRec(rec);
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 120);
    EXPECT_EQ(bytes[125], '\0');  // the padding after the name stays zero
    EXPECT_EQ(static_cast<unsigned char>(bytes[152]), 20);
    EXPECT_EQ(bytes.substr(194, 17), std::string("\x10"
                                                 "GC12345678901234"));
    EXPECT_EQ(bytes.substr(211, 4),
              "\x03"
              "1.2");
    const TCacheRec back = decodeCacheRec(bytes.data());
    EXPECT_EQ(back.CacheName, std::string(120, 'n'));
    EXPECT_EQ(back.Waypoint, "GC12345678901234");
    EXPECT_EQ(cacheRecWaypoint(bytes.data()), "GC12345678901234");
}

TEST(CacheRecCodec, LengthByteAboveTheMaximumIsTakenAsTheMaximum) {
    std::string bytes = handCacheRec("GC1");
    bytes[194] = '\xFF';  // would run into Difficulty
    bytes[211] = '\x09';  // would run into Terrain and the padding
    const TCacheRec rec = decodeCacheRec(bytes.data());
    EXPECT_EQ(rec.Waypoint.size(), 16u);
    EXPECT_EQ(rec.Waypoint.substr(0, 3), "GC1");
    EXPECT_EQ(rec.Difficulty.size(), 3u);
    EXPECT_EQ(cacheRecWaypoint(bytes.data()).size(), 16u);
}

TEST(CacheRecReserve, RecordNumberFoundDateAndScratch) {
    TCacheRec rec;
    rec.Reserve[0] = 0x3F;  // the string length byte is not scratch space
    rec.setRecordNo(0x01020304);
    rec.setFoundDate(39059.25);
    std::string bytes = encodeCacheRec(rec);
    EXPECT_EQ(bytes.substr(230, 4), "\x04\x03\x02\x01");
    std::string date(8, '\0');
    test::putF64(date, 0, 39059.25);
    EXPECT_EQ(bytes.substr(239, 8), date);
    EXPECT_EQ(bytes.substr(234, 5), std::string(5, '\0'));

    bytes[230] = '\xFE';
    bytes[231] = '\xFF';
    bytes[232] = '\xFF';
    bytes[233] = '\xFF';
    TCacheRec back = decodeCacheRec(bytes.data());
    EXPECT_EQ(back.recordNo(), -2);
    EXPECT_EQ(back.foundDate(), 39059.25);

    back.Reserve[63] = 0x77;
    back.clearReserveScratch();
    EXPECT_EQ(back.recordNo(), 0);
    EXPECT_EQ(back.foundDate(), 0.0);
    EXPECT_EQ(back.Reserve[0], 0x3F);
    EXPECT_EQ(encodeCacheRec(back).substr(230, 66), std::string(66, '\0'));
}

TEST(IdxRecCodec, MatchesTheHandBuiltLayout) {
    char buf[kIdxRecSize];
    encodeIdxRec(TIdxRec{"GC1234          ", 70000}, buf);
    EXPECT_EQ(std::string(buf, sizeof buf), handIdxRec("GC1234          ", 70000));
    encodeIdxRec(TIdxRec{"GCABCDEFGHIJKLMN", -1}, buf);
    EXPECT_EQ(std::string(buf, sizeof buf), handIdxRec("GCABCDEFGHIJKLMN", -1));
    const std::string bytes = handIdxRec("GC77            ", 5);
    EXPECT_EQ(decodeIdxRec(bytes.data()), (TIdxRec{"GC77            ", 5}));
}

TCacheRec recWith(std::string wp, std::int32_t id) {
    TCacheRec r;
    r.Waypoint = std::move(wp);
    r.CacheID = id;
    return r;
}

TEST(CacheList, KeepsCopiesInTheOrderOfAdding) {
    TCacheList list;
    TCacheRec a = recWith("GC2", 2);
    EXPECT_EQ(list.add(a), 0);
    EXPECT_EQ(list.add(recWith("gc1", 1)), 1);
    EXPECT_EQ(list.add(recWith("GC2", 3)), 2);
    a.CacheID = 99;  // the list holds its own copy
    EXPECT_EQ(list.get(0).CacheID, 2);
    EXPECT_EQ(list.key(1), "gc1");  // the waypoint as stored

    EXPECT_TRUE(list.contains("GC1"));
    EXPECT_TRUE(list.contains("gc2"));
    EXPECT_FALSE(list.contains("GC3"));
    EXPECT_EQ(list.indexOf("gc2"), 0);

    TCacheRec copy = list.get(1);
    copy.CacheID = 11;
    EXPECT_EQ(list.get(1).CacheID, 1);
    list.replace(1, copy);
    EXPECT_EQ(list.get(1).CacheID, 11);
    EXPECT_EQ(list.key(1), "gc1");
}

TEST(CacheList, DeleteIgnoresPositionsOutsideAndGetThrows) {
    TCacheList list;
    list.add(recWith("GC1", 1));
    list.add(recWith("GC2", 2));
    list.add(recWith("GC3", 3));
    list.remove(-1);
    list.remove(3);
    EXPECT_EQ(list.count(), 3);
    list.remove(1);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.get(1).CacheID, 3);
    EXPECT_THROW(list.get(2), std::out_of_range);
    EXPECT_THROW(list.replace(-1, TCacheRec{}), std::out_of_range);
    list.clear();
    EXPECT_TRUE(list.empty());
}

TEST(CacheTypeCodeTable, KnownTypesAndTheRest) {
    const struct {
        const char* text;
        int code;
    } cases[] = {
        {"Traditional Cache", 0},
        {"Multi-cache", 1},
        {"MULTI-CACHE", 1},
        {"Virtual Cache", 2},
        {"Letterbox Hybrid", 3},
        {"Event Cache", 4},
        {"Webcam Cache", 5},
        {"Unknown Cache", 6},
        {"Locationless Cache", 7},
        {"Cache In Trash Out E", 8},
        {"Cache In Trash Out Event", 10},
        {"Earthcache", 9},
        {"", 10},
        {"Traditional", 10},
        {" Traditional Cache", 10},
        {"Mega-Event Cache", 10},
    };
    for (const auto& c : cases) EXPECT_EQ(CacheTypeCode(c.text), c.code) << c.text;
}

}  // namespace
}  // namespace vellora
