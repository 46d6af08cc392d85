// The legacy decompressors against streams made by small encoders written here, which reach the
// paths the few real archives do not: code-size steps up to 13 bits, a full table, partial clearing
// and reuse of freed codes for shrink; all four window/tree combinations, long lengths and far
// distances for implode. Real archives are checked in UnzipTest.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "import/Explode.h"
#include "import/Unshrink.h"

namespace vellora {
namespace {

class BitWriter {
public:
    void put(std::uint32_t value, unsigned n) {
        for (unsigned i = 0; i < n; ++i) putBit((value >> i) & 1);
    }
    // A Shannon-Fano code goes out with its first (highest) bit first.
    void putCode(std::uint32_t code, unsigned len) {
        for (unsigned i = len; i-- > 0;) putBit((code >> i) & 1);
    }
    std::string finish() {
        if (count_) bytes_ += static_cast<char>(acc_);
        acc_ = count_ = 0;
        return bytes_;
    }

private:
    void putBit(std::uint32_t bit) {
        acc_ |= bit << count_;
        if (++count_ == 8) {
            bytes_ += static_cast<char>(acc_);
            acc_ = count_ = 0;
        }
    }
    std::string bytes_;
    std::uint32_t acc_ = 0;
    unsigned count_ = 0;
};

struct ShrinkStats {
    int partialClears = 0;
    unsigned finalCodeSize = 9;
};

// LZW as the shrink method packs it: code-size steps announced by 256,1; when the table is full
// a partial clear (256,2) frees the leaves, at a moment when the code just sent is not one of them.
std::string shrinkForTest(std::string_view data, ShrinkStats& stats) {
    constexpr std::uint32_t kTable = 8192;
    std::map<std::pair<std::uint32_t, std::uint8_t>, std::uint32_t> dict;
    std::vector<std::uint32_t> prefix(kTable), children(kTable);
    std::vector<std::uint8_t> suffix(kTable);
    std::vector<bool> used(kTable, false);
    std::uint32_t nextFree = 257;
    unsigned codeSize = 9;
    BitWriter out;
    auto send = [&](std::uint32_t code) {
        while (code >= (1u << codeSize)) {
            out.put(256, codeSize);
            out.put(1, codeSize);
            ++codeSize;
        }
        out.put(code, codeSize);
    };
    auto partialClear = [&] {
        out.put(256, codeSize);
        out.put(2, codeSize);
        ++stats.partialClears;
        std::vector<std::uint32_t> leaves;
        for (std::uint32_t c = 257; c < kTable; ++c) {
            if (used[c] && children[c] == 0) leaves.push_back(c);
        }
        for (std::uint32_t c : leaves) {
            used[c] = false;
            dict.erase({prefix[c], suffix[c]});
            if (prefix[c] >= 257) --children[prefix[c]];
        }
        nextFree = 257;
        while (nextFree < kTable && used[nextFree]) ++nextFree;
    };
    if (data.empty()) return {};
    std::uint32_t w = static_cast<std::uint8_t>(data[0]);
    for (std::size_t i = 1; i < data.size(); ++i) {
        const auto c = static_cast<std::uint8_t>(data[i]);
        if (auto it = dict.find({w, c}); it != dict.end()) {
            w = it->second;
            continue;
        }
        send(w);
        if (nextFree >= kTable && (w < 257 || children[w] > 0)) partialClear();
        if (nextFree < kTable) {
            dict[{w, c}] = nextFree;
            prefix[nextFree] = w;
            suffix[nextFree] = c;
            used[nextFree] = true;
            if (w >= 257) ++children[w];
            while (nextFree < kTable && used[nextFree]) ++nextFree;
        }
        w = c;
    }
    send(w);
    stats.finalCodeSize = codeSize;
    return out.finish();
}

// Implode with trees of equal code lengths (8 bits for literals, 6 for lengths and distances) and
// a greedy match search.
std::string implodeForTest(std::string_view data, bool bigWindow, bool literalTree) {
    BitWriter out;
    if (literalTree) {
        out.put(15, 8);
        for (int i = 0; i < 16; ++i) out.put(0xF7, 8);  // 16 codes of 8 bits, sixteen times
    }
    for (int tree = 0; tree < 2; ++tree) {
        out.put(3, 8);
        for (int i = 0; i < 4; ++i) out.put(0xF5, 8);  // 16 codes of 6 bits, four times
    }
    const std::size_t minMatch = literalTree ? 3 : 2;
    const std::size_t maxMatch = minMatch + 63 + 255;
    const unsigned lowBits = bigWindow ? 7 : 6;
    const std::size_t window = bigWindow ? 8192 : 4096;
    std::map<std::string, std::vector<std::size_t>> seen;  // 2-byte prefix -> positions
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t bestLen = 0, bestDist = 0;
        if (i + 2 <= data.size()) {
            const auto& positions = seen[std::string(data.substr(i, 2))];
            int tries = 0;
            for (auto it = positions.rbegin(); it != positions.rend() && tries < 64; ++it, ++tries) {
                if (i - *it > window) break;
                std::size_t len = 0;
                while (i + len < data.size() && len < maxMatch && data[*it + len] == data[i + len]) ++len;
                if (len > bestLen) bestLen = len, bestDist = i - *it;
            }
        }
        const std::size_t step = bestLen >= minMatch ? bestLen : 1;
        if (bestLen >= minMatch) {
            out.put(0, 1);
            const std::size_t d = bestDist - 1;
            out.put(static_cast<std::uint32_t>(d & ((1u << lowBits) - 1)), lowBits);
            out.putCode(static_cast<std::uint32_t>(63 - (d >> lowBits)), 6);
            const std::size_t l = bestLen - minMatch;
            out.putCode(static_cast<std::uint32_t>(63 - std::min<std::size_t>(l, 63)), 6);
            if (l >= 63) out.put(static_cast<std::uint32_t>(l - 63), 8);
        } else {
            const auto b = static_cast<std::uint8_t>(data[i]);
            out.put(1, 1);
            if (literalTree) {
                out.putCode(255u - b, 8);
            } else {
                out.put(b, 8);
            }
        }
        for (std::size_t k = 0; k < step; ++k, ++i) {
            if (i + 2 <= data.size()) seen[std::string(data.substr(i, 2))].push_back(i);
        }
    }
    return out.finish();
}

// Text of many repeated words, a long run, and a random block repeated from far back.
std::string sampleData(std::size_t words, unsigned seed) {
    static const char* vocabulary[] = {"Cache ",
                                       "Dose ",
                                       "unter ",
                                       "dem ",
                                       "Stein ",
                                       "N 52\xB0 ",
                                       "31.123 ",
                                       "E 013\xB0 ",
                                       "Gr\xF6\xDF"
                                       "e ",
                                       "Logbuch\r\n",
                                       "TFTC ",
                                       "Multi "};
    std::mt19937 rng(seed);
    std::string s;
    for (std::size_t i = 0; i < words; ++i) s += vocabulary[rng() % std::size(vocabulary)];
    s += std::string(700, '=');
    std::string block;
    for (int i = 0; i < 3000; ++i) block += static_cast<char>(rng());
    s += block + std::string(5000, 'x').substr(0, 1000 + rng() % 3000) + block;
    for (std::size_t i = 0; i < words / 4; ++i) s += static_cast<char>('a' + rng() % 26);
    return s;
}

struct Decoded {
    ZipDecodeResult result;
    std::string out;
};

// Feeds the input in small pieces; with failAtEnd the source fails instead of ending.
template <typename Decode>
Decoded decodeWith(std::string_view input, Decode decode, bool failAtEnd = false) {
    std::size_t pos = 0;
    const ZipSource source = [&](std::uint8_t* buf, std::size_t max) -> std::ptrdiff_t {
        if (pos == input.size()) return failAtEnd ? -1 : 0;
        const std::size_t n = std::min<std::size_t>({max, input.size() - pos, 777});
        std::copy_n(input.data() + pos, n, buf);
        pos += n;
        return static_cast<std::ptrdiff_t>(n);
    };
    Decoded d;
    const ZipSink sink = [&](const std::uint8_t* p, std::size_t n) {
        d.out.append(reinterpret_cast<const char*>(p), n);
        return true;
    };
    d.result = decode(source, sink);
    return d;
}

TEST(Unshrink, RoundTripsThroughFullTablesAndPartialClears) {
    for (const std::size_t words : {std::size_t{0}, std::size_t{1}, std::size_t{300}, std::size_t{90000}}) {
        SCOPED_TRACE(words);
        const std::string data =
            words == 0 ? std::string("A") : sampleData(words, static_cast<unsigned>(words));
        ShrinkStats stats;
        const std::string packed = shrinkForTest(data, stats);
        if (words == 90000) {
            EXPECT_EQ(stats.finalCodeSize, 13u);
            EXPECT_GE(stats.partialClears, 3);
        }
        const auto d = decodeWith(packed, [&](const ZipSource& src, const ZipSink& sink) {
            return unshrink(src, data.size(), sink);
        });
        EXPECT_EQ(d.result, ZipDecodeResult::Ok);
        EXPECT_TRUE(d.out == data) << d.out.size() << " of " << data.size();
    }
}

TEST(Explode, RoundTripsEveryWindowAndTreeChoice) {
    const std::string data = sampleData(6000, 7);
    for (const std::uint16_t flags : {0x0, 0x2, 0x4, 0x6}) {
        SCOPED_TRACE(flags);
        const std::string packed = implodeForTest(data, flags & 2, flags & 4);
        ASSERT_LT(packed.size(), data.size());
        const auto d = decodeWith(packed, [&](const ZipSource& src, const ZipSink& sink) {
            return explode(src, data.size(), flags, sink);
        });
        EXPECT_EQ(d.result, ZipDecodeResult::Ok);
        EXPECT_TRUE(d.out == data) << d.out.size() << " of " << data.size();
    }
}

TEST(LegacyCodecs, ReportEndsAndFailuresOfTheInput) {
    const std::string data = sampleData(2000, 3);
    ShrinkStats stats;
    const std::string shrunk = shrinkForTest(data, stats);
    const std::string imploded = implodeForTest(data, true, true);
    const auto runUnshrink = [&](std::string_view in, bool failAtEnd) {
        return decodeWith(
            in, [&](const ZipSource& s, const ZipSink& k) { return unshrink(s, data.size(), k); }, failAtEnd);
    };
    const auto runExplode = [&](std::string_view in, bool failAtEnd, std::uint16_t flags = 6) {
        return decodeWith(
            in, [&](const ZipSource& s, const ZipSink& k) { return explode(s, data.size(), flags, k); },
            failAtEnd);
    };
    const std::string_view cutShrunk = std::string_view(shrunk).substr(0, shrunk.size() / 2);
    const std::string_view cutImploded = std::string_view(imploded).substr(0, imploded.size() / 2);
    EXPECT_EQ(runUnshrink(cutShrunk, false).result, ZipDecodeResult::BadData);
    EXPECT_EQ(runUnshrink(cutShrunk, true).result, ZipDecodeResult::ReadError);
    EXPECT_EQ(runExplode(cutImploded, false).result, ZipDecodeResult::BadData);
    EXPECT_EQ(runExplode(cutImploded, true).result, ZipDecodeResult::ReadError);
    // Tree descriptions with too few codes, too many, and codes that cannot be prefix-free
    // (one of 1 bit and 63 of 6 bits).
    EXPECT_EQ(runExplode("\x04\xF5\xF5\xF5\xF5\xF5", false).result, ZipDecodeResult::BadData);
    EXPECT_EQ(runExplode("\x04\xF5\xF5\xF5\xF5\xF5", false, 0).result, ZipDecodeResult::BadData);
    EXPECT_EQ(runExplode(std::string("\x04\x00\xF5\xF5\xF5\xE5", 6), false, 0).result,
              ZipDecodeResult::BadData);
    // A first code that is no literal, and an unknown control code.
    BitWriter bad;
    bad.put(300, 9);
    EXPECT_EQ(runUnshrink(bad.finish(), false).result, ZipDecodeResult::BadData);
    bad.put('A', 9);
    bad.put(256, 9);
    bad.put(7, 9);
    EXPECT_EQ(runUnshrink(bad.finish(), false).result, ZipDecodeResult::BadData);
    // The sink's refusal stops decoding.
    std::size_t calls = 0;
    const ZipSink refuse = [&](const std::uint8_t*, std::size_t) { return ++calls > 1 ? false : true; };
    std::size_t pos = 0;
    const ZipSource src = [&](std::uint8_t* buf, std::size_t max) -> std::ptrdiff_t {
        const std::size_t n = std::min(max, imploded.size() - pos);
        std::copy_n(imploded.data() + pos, n, buf);
        pos += n;
        return static_cast<std::ptrdiff_t>(n);
    };
    EXPECT_EQ(explode(src, data.size(), 6, refuse), ZipDecodeResult::SinkRefused);
}

TEST(LegacyCodecs, GarbageNeverCrashes) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        std::string junk(1 + rng() % 2000, '\0');
        for (char& c : junk) c = static_cast<char>(rng());
        const std::uint64_t size = rng() % 100000;
        const auto u =
            decodeWith(junk, [&](const ZipSource& s, const ZipSink& k) { return unshrink(s, size, k); });
        EXPECT_LE(u.out.size(), size);
        const auto flags = static_cast<std::uint16_t>(rng() & 6);
        const auto e = decodeWith(
            junk, [&](const ZipSource& s, const ZipSink& k) { return explode(s, size, flags, k); });
        EXPECT_LE(e.out.size(), size);
    }
}

}  // namespace
}  // namespace vellora
