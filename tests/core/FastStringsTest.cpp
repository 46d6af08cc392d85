#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/FastStrings.h"
#include "core/UpperCase.h"

using namespace vellora;

namespace {

bool sameByte(char a, char b, bool ignoreCase) {
    return ignoreCase ? upperChar(a) == upperChar(b) : a == b;
}

// Straightforward left-to-right reference for the skip-table search.
int naivePos(const std::string& text, const std::string& pattern, int start, bool ignoreCase) {
    if (pattern.empty()) return 0;
    for (std::size_t i = static_cast<std::size_t>(start) - 1; i + pattern.size() <= text.size(); ++i) {
        std::size_t j = 0;
        while (j < pattern.size() && sameByte(text[i + j], pattern[j], ignoreCase)) ++j;
        if (j == pattern.size()) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::pair<std::string, int> naiveReplace(const std::string& text, const std::string& pattern,
                                         const std::string& replacement, bool ignoreCase) {
    std::string out;
    int count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!pattern.empty() && naivePos(text.substr(i, pattern.size()), pattern, 1, ignoreCase) == 1) {
            out += replacement;
            i += pattern.size();
            ++count;
        } else {
            out += text[i++];
        }
    }
    return {out, count};
}

// Few distinct bytes, so that matches are frequent, with pairs that only fold together through the
// accented part of the table (0xE4/0xC4, 0xE2/0xC2) and ones that must not (0xF7 / 0xD7).
class RandomText {
public:
    explicit RandomText(unsigned seed) : rng_(seed) {}

    std::string text(std::size_t maxLen) {
        static const std::string alphabet = "aAbB\xE4\xC4\xE2\xC2\xF7\xD7x<";
        std::uniform_int_distribution<std::size_t> len(0, maxLen);
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        std::uniform_int_distribution<int> anyByte(0, 255);
        std::string s(len(rng_), ' ');
        for (char& c : s) c = rng_() % 8 == 0 ? static_cast<char>(anyByte(rng_)) : alphabet[pick(rng_)];
        return s;
    }

    // Half the time a piece of the text with random case flips, so the search has something to find.
    std::string patternFor(const std::string& text, std::size_t maxLen) {
        if (text.empty() || rng_() % 2 == 0) return this->text(maxLen);
        std::uniform_int_distribution<std::size_t> from(0, text.size() - 1);
        const std::size_t a = from(rng_);
        std::uniform_int_distribution<std::size_t> len(1, std::min(maxLen, text.size() - a));
        std::string p = text.substr(a, len(rng_));
        for (char& c : p) {
            if (rng_() % 3 == 0) c = static_cast<char>(c ^ 0x20);
        }
        return p;
    }

    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

private:
    std::mt19937 rng_;
};

TEST(FastPos, Cases) {
    struct Case {
        const char* text;
        const char* pattern;
        int start;
        int exact;
        int noCase;
    };
    const Case cases[] = {
        {"abcabc", "abc", 1, 1, 1},
        {"abcabc", "abc", 2, 4, 4},
        {"abcabc", "abc", 4, 4, 4},
        {"abcabc", "abc", 5, 0, 0},
        {"abcabc", "ABC", 1, 0, 1},
        {"abc", "", 1, 0, 0},
        {"", "a", 1, 0, 0},
        {"ab", "abc", 1, 0, 0},
        {"abc", "c", 3, 3, 3},
        {"abc", "c", 4, 0, 0},
        {"abc", "c", 100, 0, 0},
        {"aaab", "aab", 1, 2, 2},
        {"<BR><br>", "<br>", 1, 5, 1},
        {"Gr\xD6\xDF"
         "e",
         "gr\xF6\xDF", 1, 0, 1},
        {"\xE4"
         "rger",
         "\xC4"
         "RGER",
         1, 0, 1},
        {"x\xF7y", "X\xD7Y", 1, 0, 0},  // the division sign has no capital
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
        EXPECT_EQ(fastPos(c.text, c.pattern, c.start), c.exact);
        EXPECT_EQ(fastPosNoCase(c.text, c.pattern, c.start), c.noCase);
    }
}

TEST(FastPos, MatchesNaiveSearchOnRandomTexts) {
    RandomText rnd(20061208);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = rnd.text(40);
        const std::string pattern = rnd.patternFor(text, 6);
        const int start = rnd.between(1, static_cast<int>(text.size()) + 2);
        for (const bool ignoreCase : {false, true}) {
            const int expected = naivePos(text, pattern, start, ignoreCase);
            const int got = ignoreCase ? fastPosNoCase(text, pattern, start) : fastPos(text, pattern, start);
            ASSERT_EQ(got, expected) << "round " << round << " ignoreCase " << ignoreCase << " start "
                                     << start;
        }
    }
}

TEST(FastCharPos, MatchesNaiveSearch) {
    RandomText rnd(42);
    for (int round = 0; round < 5000; ++round) {
        const std::string text = rnd.text(20);
        const char c = "aA\xE4x"[round % 4];
        const int start = rnd.between(1, static_cast<int>(text.size()) + 2);
        ASSERT_EQ(fastCharPos(text, c, start), naivePos(text, std::string(1, c), start, false));
    }
}

TEST(FastStringsDeathTest, StartBelowOneIsAProgrammingError) {
    EXPECT_DEATH(fastPos("abc", "b", 0), "FastStrings");
    EXPECT_DEATH(fastPosNoCase("abc", "b", -1), "FastStrings");
    EXPECT_DEATH(fastCharPos("abc", 'b', 0), "FastStrings");
}

TEST(FastReplace, Cases) {
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        bool ignoreCase;
        const char* expected;
        int count;
    };
    const Case cases[] = {
        {"a<br>b<BR>c<Br>", "<br>", "", true, "abc", 3},
        {"a<br>b<BR>c", "<br>", "<br />", false, "a<br />b<BR>c", 1},
        {"aaaa", "aa", "b", false, "bb", 2},
        {"aaa", "aa", "x", false, "xa", 1},   // no overlap, resume behind the match
        {"aa", "a", "aa", false, "aaaa", 2},  // replacement containing the pattern is not searched again
        {"abc", "x", "yy", false, "abc", 0},
        {"", "a", "b", false, "", 0},
        {"ab", "abc", "x", false, "ab", 0},
        {"abc", "", "x", false, "abc", 0},
        {"x", "x", "0123456789", false, "0123456789", 1},
        {"\xE4\xC4", "\xC4", "ae", true, "aeae", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
        std::string text = c.text;
        EXPECT_EQ(fastReplace(text, c.pattern, c.replacement, c.ignoreCase), c.count);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(FastReplace, MatchesNaiveReplaceOnRandomTexts) {
    RandomText rnd(1252);
    for (int round = 0; round < 10000; ++round) {
        const std::string text = rnd.text(60);
        const std::string pattern = rnd.patternFor(text, 4);
        const std::string replacement = rnd.text(round % 3 == 0 ? 12 : 3);
        for (const bool ignoreCase : {false, true}) {
            const auto [expected, expectedCount] = naiveReplace(text, pattern, replacement, ignoreCase);
            std::string got = text;
            ASSERT_EQ(fastReplace(got, pattern, replacement, ignoreCase), expectedCount) << "round " << round;
            ASSERT_EQ(got, expected) << "round " << round;
        }
    }
}

// The pre-sized buffer always suffices for a single pass, so the growth path is driven by starting
// from deliberately small buffers.
TEST(FastReplace, GrowsFromAnyStartingSize) {
    RandomText rnd(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = rnd.text(50);
        const std::string pattern = rnd.patternFor(text, 3);
        const std::string replacement = rnd.text(20);
        const auto [expected, expectedCount] = naiveReplace(text, pattern, replacement, true);
        for (const std::size_t initial : {0u, 1u, 2u, 7u}) {
            std::string got = text;
            ASSERT_EQ(detail::replaceWithBuffer(got, pattern, replacement, true, initial), expectedCount);
            ASSERT_EQ(got, expected);
        }
    }
}

TEST(FastReplace, PatternAndReplacementMayViewIntoTheText) {
    std::string text = "ab-ab-ab";
    const std::string_view view = text;
    EXPECT_EQ(fastReplace(text, view.substr(0, 2), view.substr(0, 3), false), 3);
    EXPECT_EQ(text, "ab--ab--ab-");
}

TEST(ReplaceBufferSize, SizingRule) {
    struct Case {
        std::size_t text, pattern, replacement, expected;
    };
    const Case cases[] = {
        {100, 4, 4, 100}, {100, 4, 2, 100}, {100, 4, 6, 150}, {100, 3, 7, 233},
        {0, 4, 6, 9},     {0, 4, 0, 0},     {5, 1, 3, 15},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replaceBufferSize(c.text, c.pattern, c.replacement), c.expected)
            << c.text << " " << c.pattern << " " << c.replacement;
    }
}

TEST(FastCopy, Cases) {
    struct Case {
        const char* text;
        int start, count;
        const char* expected;
    };
    const Case cases[] = {
        {"abcdef", 1, 3, "abc"}, {"abcdef", 4, 3, "def"}, {"abcdef", 5, 10, "ef"},
        {"abcdef", 7, 1, ""},    {"abcdef", 0, 3, ""},    {"abcdef", -2, 3, ""},
        {"abcdef", 2, 0, ""},    {"abcdef", 2, -1, ""},   {"", 1, 1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fastCopy(c.text, c.start, c.count), c.expected)
            << c.text << " " << c.start << " " << c.count;
    }
}

}  // namespace
