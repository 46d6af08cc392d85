// Throughput of the stand-in listing site over loopback HTTP, and the memory of a large world.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimServer.h"
#include "sim/SitePages.h"
#include "sim/World.h"

namespace {

using namespace vellora::sim;

// Resident set size of this process in MB, from /proc/self/status.
double residentMb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

std::shared_ptr<const World> sharedWorld(int caches) {
    static std::shared_ptr<const World> world;
    if (!world || world->size() != caches) {
        WorldParams p;
        p.seed = 1;
        p.caches = caches;
        world = std::make_shared<const World>(p);
    }
    return world;
}

// Pages per second fetched by `clients` keep-alive clients, each walking its own slice of caches.
void BM_ListingPagesOverHttp(benchmark::State& state) {
    const int clients = static_cast<int>(state.range(0));
    auto world = sharedWorld(100000);
    ServerOptions options;
    options.threads = 8;
    SimServer server(world, options);
    server.start();
    std::int64_t pages = 0, bytes = 0;
    for (auto _ : state) {
        std::vector<std::thread> threads;
        std::vector<std::int64_t> got(static_cast<std::size_t>(clients), 0);
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                httplib::Client client("127.0.0.1", server.port());
                client.set_keep_alive(true);
                for (int k = 0; k < 200; ++k) {
                    const int i = (c * 7919 + k * 104729) % world->size();
                    auto res = client.Get(
                        ("/seek/cache_details.aspx?wp=" + world->waypoint(i) + "&Submit6=Find&log=y")
                            .c_str());
                    if (!res || res->status != 200) state.SkipWithError("request failed");
                    if (res) got[static_cast<std::size_t>(c)] += static_cast<std::int64_t>(res->body.size());
                }
            });
        }
        for (auto& t : threads) t.join();
        pages += 200LL * clients;
        for (auto g : got) bytes += g;
    }
    state.SetItemsProcessed(pages);
    state.SetBytesProcessed(bytes);
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsRate);
    server.stop();
}
BENCHMARK(BM_ListingPagesOverHttp)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rendering alone, without the network.
void BM_RenderListingPage(benchmark::State& state) {
    auto world = sharedWorld(100000);
    const SiteAddresses site{"http://127.0.0.1:8080", "http://127.0.0.1:8080/img"};
    int i = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const std::string page = renderListingPage(*world, i, site, true, false);
        bytes += static_cast<std::int64_t>(page.size());
        benchmark::DoNotOptimize(page.data());
        i = (i + 7919) % world->size();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_RenderListingPage);

// A world of a million caches: build time and the memory it holds.
void BM_MillionCacheWorld(benchmark::State& state) {
    for (auto _ : state) {
        const double before = residentMb();
        WorldParams p;
        p.seed = 1;
        p.caches = 1000000;
        auto world = std::make_unique<World>(p);
        const double after = residentMb();
        state.counters["world_rss_mb"] = after - before;
        state.counters["process_rss_mb"] = after;
        benchmark::DoNotOptimize(world->core(999999).id);
    }
}
BENCHMARK(BM_MillionCacheWorld)->Iterations(1)->Unit(benchmark::kMillisecond);

// A served world of a million caches after every country file and zip has been asked for once
// (the server keeps them): listing pages per second and the memory of the whole process.
void BM_MillionCacheServer(benchmark::State& state) {
    for (auto _ : state) {
        WorldParams p;
        p.seed = 1;
        p.caches = 1000000;
        auto world = std::make_shared<const World>(p);
        SimServer server(world, ServerOptions{});
        server.start();
        httplib::Client client("127.0.0.1", server.port());
        client.set_keep_alive(true);
        client.set_read_timeout(60, 0);
        std::int64_t zipBytes = 0;
        for (const auto& e : world->countries().entries) {
            auto res = client.Get(("/cachedb/" + e.DB_Filename + ".zip").c_str());
            if (!res || res->status != 200) state.SkipWithError("country file failed");
            if (res) zipBytes += static_cast<std::int64_t>(res->body.size());
        }
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < 2000; ++k) {
            const int i = (k * 104729) % world->size();
            auto res = client.Get(
                ("/seek/cache_details.aspx?wp=" + world->waypoint(i) + "&Submit6=Find&log=y").c_str());
            if (!res || res->status != 200) state.SkipWithError("request failed");
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["pages_per_s"] = 2000 / seconds;
        state.counters["zips_mb"] = static_cast<double>(zipBytes) / (1024.0 * 1024.0);
        state.counters["process_rss_mb"] = residentMb();
        server.stop();
    }
}
BENCHMARK(BM_MillionCacheServer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
