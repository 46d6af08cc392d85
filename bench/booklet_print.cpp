// The outing booklet of 100 converted descriptions (each with a 400 x 300 map picture, a table and
// logs) printed to PDF by Qt WebEngine: wall time, layouts needed, pages, the longest stall of the
// event loop (the desktop window must not freeze), and the peak memory of this process and of the
// engine's helper processes together (sampled from /proc while printing).
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "BenchSupport.h"
#include "core/FileUtil.h"
#include "listing/PngCodec.h"
#include "pdf/PdfPages.h"
#include "shell/Booklet.h"
#include "ui/BookletPrinter.h"

namespace vellora {
namespace {

const int kCaches = std::max(2, bench::benchSize(100));

std::string description(int i, const std::string& wp, std::mt19937& rng) {
    static const char* kWords[] = {"Wald",
                                   "Weg",
                                   "Dose",
                                   "Stein",
                                   "Br\xFC"
                                   "cke",
                                   "Bach",
                                   "Turm",
                                   "Logbuch",
                                   "Hinweis"};
    std::uniform_int_distribution<int> word(0, static_cast<int>(std::size(kWords)) - 1), length(40, 120);
    std::string body = "<h1>Cache " + std::to_string(i) + "</h1><p>by Owner \xB7 <b>" + wp + "</b></p>";
    body +=
        "<table><tr><td>Koordinaten:</td><td>N 49\xB0 26.501 E 010\xB0 46.501</td></tr>"
        "<tr><td>Cachetyp:</td><td>Multi-cache</td></tr><tr><td>Wertung:</td><td>2 / 3</td></tr></table>";
    for (int p = 0; p < 4; ++p) {
        body += "<p>";
        for (int w = length(rng); w > 0; --w) body += std::string(kWords[word(rng)]) + " ";
        body += "</p>";
    }
    body += "<h2>Karte und Wegpunkte</h2><img style=\"float: left; margin-right: 10px\" src=\"./" + wp +
            "_osm.png\" alt=\"Karte\"><h2>Logs</h2>";
    for (int log = 0; log < 8; ++log) {
        body += "<p><b>:-) May " + std::to_string(log + 1) + " by Finder" + std::to_string(log) + "</b><br>";
        for (int w = length(rng) / 4; w > 0; --w) body += std::string(kWords[word(rng)]) + " ";
        body += "</p>";
    }
    return body;
}

// The memory of a process and of all its descendants, in kB: the proportional set size, so that
// pages the engine's processes share are counted once.
long treePssKb(pid_t pid) {
    long total = 0;
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);)
        if (line.rfind("Pss:", 0) == 0) total += std::atol(line.c_str() + 4);
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (dirent* task = readdir(dir)) {
            if (task->d_name[0] == '.') continue;
            std::ifstream children(tasks + "/" + task->d_name + "/children");
            for (pid_t child; children >> child;) total += treePssKb(child);
        }
        closedir(dir);
    }
    return total;
}

void BM_BookletPrint(benchmark::State& state) {
    bench::ScratchDir dir;
    std::mt19937 rng(7);
    Raster map(400, 300, {240, 236, 220});
    for (int y = 140; y < 160; ++y)
        for (int x = 0; x < 400; ++x) map.set(x, y, {250, 200, 80});
    const std::string png = encodePng(map);
    TBookletInput in;
    in.date = "11.12.2026";
    in.homeText = "HOME";
    in.indexTable = "<table><tr><td>Index</td></tr></table>";
    for (int i = 0; i < kCaches; ++i) {
        const std::string wp = bench::syntheticWaypoint(i);
        if (writeFileAtomic(dir.path() + "/" + wp + "_osm.png", png)) state.SkipWithError("cannot write");
        in.caches.push_back({wp, "Cache " + std::to_string(i), description(i, wp, rng)});
    }
    const std::string html = dir.path() + "/" + kBookletHtmlFileName;
    const std::string marked = buildBookletHtml(in);
    const std::string pdf = dir.path() + "/" + kBookletFileName;

    long peakKb = 0;
    qint64 longestStallMs = 0;
    int passes = 0, pages = 0;
    for (auto _ : state) {
        if (writeFileAtomic(html, marked)) state.SkipWithError("cannot write");
        BookletPrinter printer(html, pdf);
        QEventLoop loop;
        bool ok = false;
        QObject::connect(&printer, &BookletPrinter::finished, &loop, [&](bool done, const QString&) {
            ok = done;
            loop.quit();
        });
        // A 10 ms tick stands for the window's repaints: a late tick is a stall.
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { longestStallMs = std::max(longestStallMs, sinceTick.restart()); });
        QTimer sample;
        sample.setInterval(250);
        QObject::connect(&sample, &QTimer::timeout, [&] {
            peakKb = std::max(peakKb, treePssKb(getpid()));
            sinceTick.restart();  // the sampling's own time is no stall of the printer
        });
        sinceTick.start();
        tick.start();
        sample.start();
        printer.start();
        loop.exec();
        tick.stop();
        sample.stop();
        // The engine's page and profile go before the next round.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!ok) {
            state.SkipWithError("printing failed");
            break;
        }
        passes = printer.passes();
        const auto dests = readPdfDestinations(readFile(pdf).value_or(""));
        pages = dests ? dests->pageCount : 0;
    }
    state.counters["caches"] = kCaches;
    state.counters["pages"] = pages;
    state.counters["layouts"] = passes;
    state.counters["longest_stall_ms"] = static_cast<double>(longestStallMs);
    state.counters["peak_pss_MB_with_engine"] = static_cast<double>(peakKb) / 1024.0;
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    state.counters["peak_rss_MB_self"] = static_cast<double>(self.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_BookletPrint)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vellora

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    vellora::prepareWebEngineProcess();
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
