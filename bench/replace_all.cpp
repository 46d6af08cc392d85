// Replace and search passes over a listing-sized HTML page, as the description generator runs them
// dozens of times per cache.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "core/FastStrings.h"
#include "core/StrUnit.h"

namespace {

// About 60 KB of listing-like markup, the same bytes on every run.
const std::string& listingPage() {
    static const std::string page = [] {
        const char* const words[] = {"Der",
                                     "Cache",
                                     "liegt",
                                     "unter",
                                     "einem",
                                     "gro\xDF"
                                     "en",
                                     "Stein",
                                     "am",
                                     "Waldrand",
                                     "M\xFC"
                                     "hle",
                                     "Stra\xDF"
                                     "e",
                                     "\xD6"
                                     "ffnung",
                                     "Br\xFC"
                                     "cke",
                                     "Aussicht",
                                     "Parkplatz",
                                     "N 48\xB0",
                                     "E 011\xB0",
                                     "H\xF6"
                                     "he",
                                     "Koordinaten",
                                     "&amp;"};
        const char* const tags[] = {"<br>",
                                    "<BR>",
                                    "<font face=\"Verdana\" size=2>",
                                    "</font>",
                                    "<p>",
                                    "</p>",
                                    "<FONT color=#336600>",
                                    "<b>",
                                    "</b>",
                                    "<Br>",
                                    "<a href=\"http://example.org/seek\">",
                                    "</a>"};
        std::string s = "<html><head><title>GC12AB</title></head><body>\r\n";
        std::uint32_t x = 0x12345678;
        auto next = [&x] {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            return x;
        };
        while (s.size() < 60 * 1024) {
            const std::uint32_t r = next();
            if (r % 5 == 0) {
                s += tags[next() % std::size(tags)];
            } else {
                s += words[next() % std::size(words)];
                s += ' ';
            }
            if (r % 41 == 0) s += "\r\n";
        }
        s += "</body></html>\r\n";
        return s;
    }();
    return page;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(listingPage().size()));
}

void BM_ReplaceAllNoCase_BrToXhtml(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = listingPage();
        benchmark::DoNotOptimize(vellora::replaceAllNoCase(text, "<br>", "<br />"));
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}
BENCHMARK(BM_ReplaceAllNoCase_BrToXhtml);

void BM_ReplaceAll_CaseSensitive(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = listingPage();
        benchmark::DoNotOptimize(vellora::replaceAll(text, "<br>", "<br />"));
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}
BENCHMARK(BM_ReplaceAll_CaseSensitive);

void BM_RemoveAll_FontClose(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = listingPage();
        benchmark::DoNotOptimize(vellora::removeAll(text, "</font>"));
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}
BENCHMARK(BM_RemoveAll_FontClose);

// Strips every "<font ...>" opening tag, as the clean-up loops do until none is left.
void BM_RemoveFontSpans(benchmark::State& state) {
    int removed = 0;
    for (auto _ : state) {
        std::string text = listingPage();
        removed = 0;
        while (vellora::removeFirstSpan(text, "<font", ">")) ++removed;
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["spans"] = removed;
    setBytes(state);
}
BENCHMARK(BM_RemoveFontSpans);

// The copy of the page that every replace benchmark makes, to subtract by eye.
void BM_CopyOnly(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = listingPage();
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}
BENCHMARK(BM_CopyOnly);

void BM_FastPosNoCase_Scan(benchmark::State& state) {
    const std::string& page = listingPage();
    for (auto _ : state) {
        int hits = 0;
        for (int pos = vellora::fastPosNoCase(page, "<font"); pos > 0;
             pos = vellora::fastPosNoCase(page, "<font", pos + 1))
            ++hits;
        benchmark::DoNotOptimize(hits);
    }
    setBytes(state);
}
BENCHMARK(BM_FastPosNoCase_Scan);

void BM_FastPosNoCase_Absent(benchmark::State& state) {
    const std::string& page = listingPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(vellora::fastPosNoCase(page, "</groundspeak:long_description>"));
    setBytes(state);
}
BENCHMARK(BM_FastPosNoCase_Absent);

void BM_FastPos_Absent(benchmark::State& state) {
    const std::string& page = listingPage();
    for (auto _ : state) benchmark::DoNotOptimize(vellora::fastPos(page, "</groundspeak:long_description>"));
    setBytes(state);
}
BENCHMARK(BM_FastPos_Absent);

void BM_DecodeEntities(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = listingPage();
        vellora::decodeEntities(text);
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}
BENCHMARK(BM_DecodeEntities);

}  // namespace
