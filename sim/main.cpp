// vellora-sim: the stand-in servers as a program. Prints its base address as the first line of
// its output and serves until SIGINT or SIGTERM; with --write-* options it writes files and exits.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "core/NumberText.h"
#include "sim/Offline.h"
#include "sim/SimServer.h"
#include "sim/World.h"

namespace {

constexpr const char* kUsage =
    "usage: vellora-sim [--port P] [--seed S] [--caches N] [--bind 127.0.0.1] [--home DIR]\n"
    "                   [--today YYYY-MM-DD] [--countries CacheDB.conf] [--threads N]\n"
    "                   [--version-text V5.0.1] [--version-date 13.12.2006] [--fault PATH=KIND]...\n"
    "       vellora-sim [--seed S] [--caches N] [--write-db DIR] [--write-gpx FILE [--gpx-count N]]\n"
    "                   [--write-country-files DIR] [--base http://127.0.0.1:PORT]\n"
    "KIND: 404, 500, slow, delay, close, empty.\n";

std::optional<vellora::TDateTime> parseDay(const std::string& text) {
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        const auto y = vellora::parseInt32(text.substr(0, 4)), m = vellora::parseInt32(text.substr(5, 2)),
                   d = vellora::parseInt32(text.substr(8, 2));
        if (y && m && d && vellora::isValidDate(*y, *m, *d)) return vellora::encodeDate(*y, *m, *d);
        return std::nullopt;
    }
    return vellora::parseDate(text);
}

int usageError(const std::string& text) {
    std::cerr << "vellora-sim: " << text << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vellora;
    using namespace vellora::sim;
    WorldParams params;
    ServerOptions server;
    std::string home, writeDb, writeGpx, writeCountries, base = "http://127.0.0.1";
    int gpxCount = 0;

    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (k + 1 >= args.size()) return usageError("missing value after " + a);
        const std::string v = args[++k];
        const auto number = [&](long long lo, long long hi) -> std::optional<long long> {
            const auto n = parseInt(v);
            if (!n || *n < lo || *n > hi) return std::nullopt;
            return *n;
        };
        if (a == "--port") {
            const auto n = number(0, 65535);
            if (!n) return usageError("bad port " + v);
            server.port = static_cast<int>(*n);
        } else if (a == "--seed") {
            const auto n = number(0, 0x7FFFFFFFFFFFFFFFLL);
            if (!n) return usageError("bad seed " + v);
            params.seed = static_cast<std::uint64_t>(*n);
        } else if (a == "--caches") {
            const auto n = number(0, 5000000);
            if (!n) return usageError("bad number of caches " + v);
            params.caches = static_cast<int>(*n);
        } else if (a == "--bind") {
            server.bind = v;
        } else if (a == "--home") {
            home = v;
        } else if (a == "--today") {
            const auto d = parseDay(v);
            if (!d) return usageError("bad date " + v);
            params.today = *d;
        } else if (a == "--countries") {
            params.countriesPath = v;
        } else if (a == "--threads") {
            const auto n = number(1, 256);
            if (!n) return usageError("bad number of threads " + v);
            server.threads = static_cast<int>(*n);
        } else if (a == "--version-text") {
            server.versionText = v;
        } else if (a == "--version-date") {
            server.versionDate = v;
        } else if (a == "--fault") {
            const auto rule = parseFaultOption(v);
            if (!rule) return usageError("bad fault " + v);
            server.faults.push_back(*rule);
        } else if (a == "--write-db") {
            writeDb = v;
        } else if (a == "--write-gpx") {
            writeGpx = v;
        } else if (a == "--gpx-count") {
            const auto n = number(0, 5000000);
            if (!n) return usageError("bad count " + v);
            gpxCount = static_cast<int>(*n);
        } else if (a == "--write-country-files") {
            writeCountries = v;
        } else if (a == "--base") {
            base = v;
        } else {
            return usageError("unknown option " + a);
        }
    }

    std::shared_ptr<const World> world;
    try {
        world = std::make_shared<const World>(params);
    } catch (const std::exception& e) {
        std::cerr << "vellora-sim: " << e.what() << "\n";
        return 1;
    }

    if (!writeDb.empty() || !writeGpx.empty() || !writeCountries.empty()) {
        int rc = 0;
        if (!writeDb.empty() && (rc = makeDirs(writeDb)) == 0) rc = writeCacheDatabase(*world, writeDb);
        if (rc == 0 && !writeGpx.empty()) rc = writePocketQuery(*world, writeGpx, gpxCount, base);
        if (rc == 0 && !writeCountries.empty() && (rc = makeDirs(writeCountries)) == 0)
            rc = writeCountryFiles(*world, writeCountries);
        if (rc != 0) {
            std::cerr << "vellora-sim: " << systemErrorText(rc) << "\n";
            return 1;
        }
        return 0;
    }

    // The serving threads inherit a mask without SIGINT and SIGTERM; the main thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimServer sim(world, server);
    try {
        sim.start();
        if (!home.empty()) writeHomeConfig(home, sim.baseUrl());
    } catch (const std::exception& e) {
        std::cerr << "vellora-sim: " << e.what() << "\n";
        return 1;
    }
    std::cout << sim.baseUrl() << std::endl;
    std::cerr << "vellora-sim: " << world->size() << " caches, seed " << params.seed << ", serving on "
              << sim.baseUrl() << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.stop();
    return 0;
}
