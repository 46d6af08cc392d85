// Time per kilobyte of the page passes and of the notes reader over inputs of growing size (10 KB to
// 10 MB), each built from one hostile piece repeated: the time per kilobyte (shown as bytes per
// second) stays flat when a pass is linear.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "core/FileUtil.h"
#include "core/PersInfo.h"
#include "listing/Parse.h"

namespace vellora {
namespace {

std::string repeated(std::string_view head, std::string_view piece, std::string_view tail,
                     std::int64_t bytes) {
    std::string text(head);
    while (static_cast<std::int64_t>(text.size()) < bytes) text += piece;
    return text += tail;
}

void extractAll(benchmark::State& state, const std::string& page) {
    static const ListingSite site("https://www.example.org", "https://img.example.org");
    for (auto _ : state) {
        LogCounters counters{};
        std::string id, content;
        std::size_t fields = 0;
        SpanFieldReader reader(page);
        while (reader.next(id, content))
            if (cleanField(id, content, site, counters)) ++fields;
        benchmark::DoNotOptimize(fields);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}

void BM_LongDescriptionSpans(benchmark::State& state) {
    extractAll(state, repeated("", "<span id=\"LongDescription\">x", "", state.range(0)));
}

void BM_ManyFields(benchmark::State& state) {
    extractAll(state, repeated("", "<span id=\"CacheName\">a</span>", "", state.range(0)));
}

void BM_UnclosedFields(benchmark::State& state) {
    extractAll(state, repeated("", "<span id=\"x\">a</span></span>", "", state.range(0)));
}

void BM_WaypointRows(benchmark::State& state) {
    const std::string page =
        repeated("Additional Waypoints <table><tr>h</tr>", "<tr>", "<td>a</td></table>", state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(getAdditionalWaypoints(page));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}

void BM_TravelBugs(benchmark::State& state) {
    const std::string page =
        repeated("<span id=\"lnkTravelBugs\">", "<a href=\"/track/details?id=1\">Bug</a> ",
                 "<span id=\"next\">", state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(getTravelBugs(page));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}

void BM_ReadNote(benchmark::State& state) {
    bench::ScratchDir dir;
    std::string text = "[GC1]\r\n";
    for (int i = 0; static_cast<std::int64_t>(text.size()) < state.range(0); ++i)
        text += "Z" + std::to_string(i) + "=a line of the note\r\n";
    writeFileAtomic(joinPath(dir.path(), "Persinfo.txt"), text);
    const std::string workDir = dir.path() + "/";
    for (auto _ : state) benchmark::DoNotOptimize(ReadNote(workDir, "GC1"));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

#define PAGE_SIZES                                                 \
    RangeMultiplier(10)                                            \
        ->Range(10 << 10, bench::smokeRun() ? 10 << 10 : 10 << 20) \
        ->Unit(benchmark::kMillisecond)
BENCHMARK(BM_LongDescriptionSpans)->PAGE_SIZES;
BENCHMARK(BM_ManyFields)->PAGE_SIZES;
BENCHMARK(BM_UnclosedFields)->PAGE_SIZES;
BENCHMARK(BM_WaypointRows)->PAGE_SIZES;
BENCHMARK(BM_TravelBugs)->PAGE_SIZES;
BENCHMARK(BM_ReadNote)->PAGE_SIZES;

}  // namespace
}  // namespace vellora
