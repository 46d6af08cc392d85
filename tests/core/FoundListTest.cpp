#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "core/FoundList.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using test::TempDir;

void putString(std::string& bytes, std::size_t offset, std::string_view text) {
    bytes[offset] = static_cast<char>(text.size());
    bytes.replace(offset + 1, text.size(), text);
}

// A record laid out by hand, independent of the codec: 49.5 and -8.25 as IEEE doubles, little-endian.
std::string handMadeRecord() {
    std::string b(440, '\0');
    b.replace(0, 8, std::string("\x00\x00\x00\x00\x00\xC0\x48\x40", 8));
    b.replace(8, 8, std::string("\x00\x00\x00\x00\x00\x80\x20\xC0", 8));
    putString(b, 16, "GC1A2B3");
    putString(b, 33,
              "Am S\xFC"
              "dhang");
    putString(b, 154, "Traditional Cache");
    putString(b, 175, "01.12.2006");
    return b;
}

TEST(FoundRecCodec, HandMadeRecordDecodesAndEncodesBackByteIdentical) {
    const std::string bytes = handMadeRecord();
    const TFoundRec rec = decodeFoundRec(bytes);
    EXPECT_EQ(rec.Lat, 49.5);
    EXPECT_EQ(rec.Lon, -8.25);
    EXPECT_EQ(rec.Waypoint, "GC1A2B3");
    EXPECT_EQ(rec.CacheName,
              "Am S\xFC"
              "dhang");
    EXPECT_EQ(rec.CacheType, "Traditional Cache");
    EXPECT_EQ(rec.FoundDate, "01.12.2006");

    std::string encoded;
    encodeFoundRec(rec, encoded);
    EXPECT_EQ(encoded, bytes);
}

TEST(FoundRecCodec, IgnoresBytesAfterTheTextAndInTheUnusedTail) {
    std::string bytes = handMadeRecord();
    bytes[16 + 1 + 7] = 'X';    // after the waypoint's used bytes
    bytes[175 + 1 + 10] = 'Y';  // first unused byte
    bytes[439] = 'Z';
    const TFoundRec rec = decodeFoundRec(bytes);
    EXPECT_EQ(rec.Waypoint, "GC1A2B3");
    EXPECT_EQ(rec.FoundDate, "01.12.2006");
    std::string encoded;
    encodeFoundRec(rec, encoded);
    EXPECT_EQ(encoded, handMadeRecord()) << "a writer zeroes what a reader ignores";
}

TEST(FoundRecCodec, TextsAreCutToTheirFieldAndOversizedLengthBytesClamped) {
    struct Case {
        std::string TFoundRec::*field;
        std::size_t offset, max;
    };
    const Case cases[] = {
        {&TFoundRec::Waypoint, 16, 16},
        {&TFoundRec::CacheName, 33, 120},
        {&TFoundRec::CacheType, 154, 20},
        {&TFoundRec::FoundDate, 175, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        TFoundRec rec;
        rec.*c.field = std::string(c.max + 5, 'a');
        rec.Lat = 1;  // neighbours must stay untouched by an overlong text
        const FoundRecBytes b = encodeFoundRec(rec);
        EXPECT_EQ(b[c.offset], c.max);
        EXPECT_EQ(b[c.offset + c.max + 1], 0) << "no spill into the next field";
        EXPECT_EQ(
            decodeFoundRec(std::string_view(reinterpret_cast<const char*>(b.data()), b.size())).*c.field,
            std::string(c.max, 'a'));

        std::string bytes = handMadeRecord();
        bytes[c.offset] = static_cast<char>(255);
        EXPECT_EQ((decodeFoundRec(bytes).*c.field).size(), c.max);
    }
}

TEST(FoundList, AddGetConsumeAndDelete) {
    TFoundList list;
    TFoundRec a;
    a.Waypoint = "GC111";
    a.FoundDate = "01.01.2006";
    TFoundRec b;
    b.Waypoint = "GC222";
    EXPECT_EQ(list.add(a), 0);
    EXPECT_EQ(list.add(b), 1);
    EXPECT_EQ(list.add(a), 2);
    EXPECT_EQ(list.get(0), a);
    EXPECT_EQ(list.key(1), "GC222");
    EXPECT_EQ(list.indexOf("gc222"), 1);
    EXPECT_EQ(list.indexOf("GC333"), -1);

    // get hands out a copy
    TFoundRec copy = list.get(0);
    copy.Waypoint = "changed";
    EXPECT_EQ(list.get(0).Waypoint, "GC111");

    list.consume(0);
    EXPECT_TRUE(list.isConsumed(0));
    EXPECT_EQ(list.get(0).Waypoint, "");
    EXPECT_EQ(list.get(0).FoundDate, "01.01.2006");
    EXPECT_EQ(list.key(0), "GC111") << "the key stays";
    EXPECT_FALSE(list.isConsumed(2));

    for (int outside : {-1, 3, 100}) {
        list.deleteAt(outside);
        list.consume(outside);
        EXPECT_EQ(list.get(outside), TFoundRec{});
        EXPECT_EQ(list.object(outside), nullptr);
    }
    EXPECT_EQ(list.count(), 3);
    list.deleteAt(1);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.key(1), "GC111");
    list.clear();
    EXPECT_TRUE(list.empty());
}

class FoundFile : public ::testing::Test {
protected:
    static TFoundRec rec(const char* wp, const char* date) {
        TFoundRec r;
        r.Waypoint = wp;
        r.FoundDate = date;
        r.Lat = 50.125;
        r.Lon = 8.5;
        return r;
    }
    std::string path() const { return dir.file("Finds.bin"); }
    TempDir dir;
};

TEST_F(FoundFile, WritesWholeAndReadsBackInOrder) {
    const std::vector<TFoundRec> records = {rec("GC2", "02.02.2006"), rec("GC1", "01.01.2006"),
                                            rec("GC3", "03.03.2006")};
    ASSERT_EQ(writeFoundRecords(path(), records), 0);
    EXPECT_EQ(dir.read("Finds.bin").size(), 3u * 440u);
    std::vector<TFoundRec> back;
    EXPECT_EQ(readFoundRecords(path(), back), 0);
    EXPECT_EQ(back, records);

    // A shorter list replaces the file entirely.
    ASSERT_EQ(writeFoundRecords(path(), {records[0]}), 0);
    EXPECT_EQ(dir.read("Finds.bin").size(), 440u);
}

TEST_F(FoundFile, ListWriterLeavesOutConsumedEntries) {
    TFoundList list;
    list.add(rec("GC1", "01.01.2006"));
    list.add(rec("GC2", "02.02.2006"));
    list.add(rec("GC3", "03.03.2006"));
    list.consume(1);
    ASSERT_EQ(writeFoundList(path(), list), 0);
    TFoundList back;
    back.add(rec("stale", ""));
    EXPECT_EQ(readFoundList(path(), back), 0);
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.key(0), "GC1");
    EXPECT_EQ(back.key(1), "GC3");
    EXPECT_EQ(back.get(1), rec("GC3", "03.03.2006"));
}

TEST_F(FoundFile, IncompleteTailIsIgnoredAndMissingFileIsEmpty) {
    std::string two;
    encodeFoundRec(rec("GC1", "01.01.2006"), two);
    encodeFoundRec(rec("GC2", "02.02.2006"), two);
    for (std::size_t extra : {0u, 1u, 120u, 439u}) {
        dir.write("Finds.bin", two + std::string(extra, '\x07'));
        std::vector<TFoundRec> back;
        EXPECT_EQ(readFoundRecords(path(), back), 0) << extra;
        EXPECT_EQ(back.size(), 2u) << extra;
    }
    std::vector<TFoundRec> back{rec("stale", "")};
    EXPECT_EQ(readFoundRecords(dir.file("nothere.bin"), back), ENOENT);
    EXPECT_TRUE(back.empty());
}

}  // namespace
}  // namespace vellora
