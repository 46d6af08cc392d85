// Converted descriptions per second: one generator run over 1,000 listing pages of the listing
// site's shape (fields, 4-12 KB long description, hint, travel bugs, additional waypoints, image list,
// 10-40 logs of every icon form) with their images, image lists and map images present, through
// the shipped template, writing every description.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdint>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "core/AppHome.h"
#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Host.h"
#include "core/NullHost.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "listing/CreateDescr.h"
#include "listing/Parse.h"

namespace vellora {
namespace {

const int kCaches = bench::benchSize(1000);

struct Rng {
    std::uint64_t s;
    std::uint32_t next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(s >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
};

constexpr const char* kWords[] = {"Wald",
                                  "Weg",
                                  "Br\xFC"
                                  "cke",
                                  "Dose",
                                  "Stein",
                                  "Baum",
                                  "M\xFChle",
                                  "Bach",
                                  "Hang",
                                  "Turm",
                                  "Bank",
                                  "Zaun",
                                  "Quelle",
                                  "Kreuz",
                                  "Felsen",
                                  "Wiese"};
constexpr const char* kIcons[] = {
    "icon_smile.gif",      "icon_sad.gif",      "icon_note.gif",       "icon_camera.gif", "big_smile.gif",
    "icon_greenlight.gif", "icon_disabled.gif", "icon_needsmaint.gif", "icon_maint.gif",  "coord_update.gif"};

std::string words(Rng& r, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += kWords[r.below(16)];
    }
    return s;
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

// A baseline JPEG header of the given size followed by filler, as the image files of a listing are.
std::string jpegFile(int w, int h, std::size_t size) {
    std::string s = bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 16}) + "JFIF" + std::string(10, '\0') +
                    bytes({0xFF, 0xC0, 0, 11, 8, h >> 8, h & 0xFF, w >> 8, w & 0xFF, 3, 1, 0x22, 0});
    s.resize(size, '\x5A');
    return s;
}

std::string page(const std::string& base, const std::string& img, const std::string& w, Rng& r) {
    const char q = r.below(5) == 0 ? '\'' : '"';
    const auto span = [q](const char* id) { return std::string("<span id=") + q + id + q + ">"; };
    std::string p =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" >\r\n<html>\r\n<head>\r\n<title>(" +
        w +
        ")</title>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=windows-1252\">\r\n</head>\r\n"
        "<body bgcolor=\"#FFFFFF\">\r\n<form name=\"Form1\" method=\"post\" "
        "action=\"cache_details.aspx\">\r\n";
    p += "<font size=\"4\"><strong>" + span("CacheName") + words(r, 3) + "</span></strong></font><br>\r\n";
    p += span("CacheOwner") + "<font size=\"2\">by " + words(r, 2) + " [<a href=\"" + base +
         "/profile/?guid=1\">view other caches hidden by this user</a>]</font></span><br>\r\n";
    p += "Hidden: <strong>" + span("DateHidden") + std::to_string(1 + r.below(12)) + "/" +
         std::to_string(1 + r.below(28)) + "/2005</span></strong><br>\r\n";
    p += "Difficulty: " + span("Difficulty") + "<img src=\"" + base +
         "/images/stars/stars2_5.gif\" alt=\"2.5 out of 5\" align=\"absmiddle\"></span><br>\r\n";
    p += "Terrain: " + span("Terrain") + "<img src=\"" + base +
         "/images/stars/stars3.gif\" alt=\"3 out of 5\" align=\"absmiddle\"></span><br>\r\n";
    p += "Waypoint: <strong>" + span("WaypointName") + w + "</span></strong>\r\n";
    p += span("lnkDetails") + "<a href=\"" + base +
         "/my/watchlist.aspx?w=1\">Watch This Cache</a><br><font size=\"1\"><strong>" +
         std::to_string(r.below(30)) + "</strong> user(s) watching this cache.</font></span>\r\n";
    p += "<p><font size=\"3\"><strong>" + span("LatLon") +
         "N 48\xB0 08.123 E 011\xB0 34.567</span></strong></font><br>\r\n";
    p += "<font size=\"1\">" + span("UTMFormat") + "UTM: 32U E 691234 N 5334567</span></font><br>\r\n";
    p += span("Location") + "In Bayern, Germany</span></p>\r\n" + span("ErrorText") + "</span>\r\n";
    p += "<p>" + span("ShortDescription") + "<P>" + words(r, 12) + "</P></span></p>\r\n";
    p += "<BLOCKQUOTE>" + span("LongDescription") + "<font face=\"Arial\">";
    const int paragraphs = 8 + r.below(16);
    for (int i = 0; i < paragraphs; ++i) {
        p += "<p style=\"margin: 0\">" + words(r, 40 + r.below(40)) + "<br>" + words(r, 20) + "</p>\r\n";
        if (i % 5 == 2)
            p += "<img src=\"http://fremd.example/bild" + std::to_string(i) +
                 ".jpg\"> <a href=\"http://fremd.example/\">Link</a>\r\n";
    }
    p += "</font></span></BLOCKQUOTE>\r\n";
    p += "<p><STRONG>Additional Hints&nbsp;(<a id=\"Encrypt\" "
         "href=\"javascript:dht()\">Decrypt</a>)</STRONG><br>\r\n";
    p += "<span id=\"Hints\" class=\"displayMe\">" + words(r, 6) + " [" + words(r, 2) + "]<br>" +
         words(r, 4) + "</span></p>\r\n";
    p += "<span id=\"lnkTravelBugs\">";
    for (int i = 0, n = r.below(3); i < n; ++i)
        p += "<img src=\"" + base + "/images/wpttypes/sm/21.gif\"> <a href=\"" + base +
             "/track/details.aspx?guid=" + std::to_string(i) + "\">" + words(r, 2) + "</a><br>";
    p += "<a href=\"" + base + "/track/faq.aspx\">What are Travel Bugs?</a></span>\r\n";
    p += span("LargeMap") + "<a href=\"" + base + "/map/\">View larger map</a></span>\r\n";
    p += "<p><strong>Additional Waypoints</strong></p>\r\n<table border=\"0\" "
         "width=\"100%\">\r\n<tr><th>&nbsp;</th><th>Prefix</th></tr>\r\n";
    const std::string td = "<td valign=\"top\" align=\"left\">";
    for (int i = 0, n = 1 + r.below(4); i < n; ++i)
        p += "<tr bgcolor=\"#eeeeee\">" + td + "<img src=\"" + base +
             "/images/icons/icon_viewable.gif\"></td>" + td + "<img src=\"x.jpg\"></td>" + td + "S" +
             std::to_string(i) + "</td>" + td + "0" + std::to_string(i) + "</td>" + td + "<a href=\"" + base +
             "/seek/wpt.aspx\">" + words(r, 2) + "</a> (Stages of a Multicache)</td>" + td +
             "N 48\xB0 08.000 E 011\xB0 34.000</td></tr>\r\n";
    p += "</table>\r\n<p>" + span("Images") + "<font size=\"2\">\r\n";
    for (int i = 1; i <= 3; ++i)
        p += "<img src=\"" + base + "/images/icons/camera.gif\">&nbsp;<a href=\"" + img + "/cache/" + w +
             "-" + std::to_string(i) + ".jpg\" target=\"_blank\">" + words(r, 2) + "</a><br>" + words(r, 5) +
             "<br><br>\r\n";
    p += "</font></span></p>\r\n<p>" + span("NumVisits") + "<font size=\"2\"><b>" +
         std::to_string(r.below(200)) +
         "</b> Logged Visits <a href=\"x\">(show all)</a></font></span></p>\r\n";
    p += span("CacheLogs") + "<table class=\"LogsTable\" border=\"0\" WIDTH=\"90%\">\r\n";
    for (int i = 0, n = 10 + r.below(31); i < n; ++i) {
        const char* icon = kIcons[r.below(i == 0 ? 4 : 10)];
        const bool second = r.below(2) == 0 || std::string(icon).find("maint") != std::string::npos ||
                            std::string(icon).find("coord") != std::string::npos;
        const char lq = r.below(3) == 0 ? '\'' : '"';
        const std::string Q(1, lq);
        const std::string tag = second ? "<img src=" + Q + base + "/images/icons/" + icon + Q +
                                             " align=" + Q + "absmiddle" + Q + ">"
                                       : "<img src=" + Q + base + "/images/" + icon + Q + ">";
        p += "<tr><td class=\"AlternatingRow\"><font size=\"2\"><strong>" + tag + "May " +
             std::to_string(1 + i % 28) + " by <A NAME=\"" + std::to_string(i) + "\"><a href=\"" + base +
             "/profile/?guid=" + std::to_string(i) + "\">" + words(r, 1) + std::to_string(r.below(99)) +
             "</a></strong> (" + std::to_string(r.below(3000)) + " found)<br>" + words(r, 10 + r.below(50)) +
             "<br><br>[<a href=\"" + base +
             "/seek/log.aspx?LUID=1\" title=\"View Log\">visit log</a>]</font></td></tr>\r\n";
    }
    p += "</table></span>\r\n</form>\r\n</body>\r\n</html>\r\n";
    return p;
}

struct Fixture {
    std::string dir;
    NullHost host;
    std::unique_ptr<RunContext> ctx;
    std::size_t pageBytes = 0;
    std::string samplePage;

    Fixture() {
        dir = (std::filesystem::temp_directory_path() / ("vellora-bench-descr-" + std::to_string(::getpid())))
                  .string();
        std::filesystem::remove_all(dir);
        prepareAppHome(dir, findDataDir());
        ctx = std::make_unique<RunContext>(host, dir);
        startConfiguration(*ctx);
        loadSettings(*ctx, 600);
        const std::string out = ctx->outDirPath();
        const std::string& base = ctx->services.listingSite;
        const std::string& img = ctx->services.imageHost;
        Rng r{42};
        std::string bin, list;
        for (int i = 0; i < kCaches; ++i) {
            const std::string w = "GC" + std::to_string(0x10000 + i * 37);
            TCacheRec rec;
            rec.Waypoint = w;
            rec.CacheName = "Cache " + w;
            rec.Lat = 47.5 + r.below(30000) / 10000.0;
            rec.Lon = 9.0 + r.below(40000) / 10000.0;
            rec.CacheType = "Traditional Cache";
            rec.CacheSize = "Regular";
            bin += encodeCacheRec(rec);
            list += w + "\r\n";
            const std::string text = page(base, img, w, r);
            pageBytes += text.size();
            if (i == 0) samplePage = text;
            writeFileAtomic(out + w + ".html", text);
            std::string meta;
            for (int k = 1; k <= 3; ++k) {
                const std::string file = w + "_i" + std::to_string(k) + ".jpg";
                writeFileAtomic(out + file, jpegFile(320 + r.below(900), 240 + r.below(600), 20000));
                const std::string n = std::to_string(k);
                meta += n + "#" + out + file + "\r\n" + n + "#Bild " + n + "\r\n" + n + "#Beschreibung " + n +
                        "\r\n";
            }
            writeFileAtomic(out + w + ".meta", meta);
            writeFileAtomic(out + w + (i % 2 ? "_map.gif" : "_multimap.gif"),
                            "GIF89a" + bytes({244, 1, 54, 1, 0, 0, 0}) + std::string(30000, 'm'));
        }
        writeFileAtomic(ctx->workDirPath() + "Caches.bin", bin);
        writeFileAtomic(ctx->workDirPath() + "WPList.txt", list);
        RebuildIndex(*ctx);
        LoadIndex(*ctx);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_GenerateDescriptions(benchmark::State& state) {
    Fixture& f = fixture();
    TCreateDescr generator(*f.ctx);
    generator.options.MaxLogs = "20";
    generator.open();
    std::int64_t converted = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        generator.btnStartClick();
        wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (generator.convertedCount() != kCaches) state.SkipWithError("not every page was converted");
        converted += generator.convertedCount();
    }
    // items_per_second counts CPU time; the wall-clock rate includes waiting for the disk.
    state.SetItemsProcessed(converted);
    state.counters["wall_per_second"] = wallSeconds > 0 ? static_cast<double>(converted) / wallSeconds : 0;
    state.counters["page_kB"] = static_cast<double>(f.pageBytes) / kCaches / 1000.0;
}
BENCHMARK(BM_GenerateDescriptions)->Unit(benchmark::kMillisecond)->MinTime(bench::smokeRun() ? 0.01 : 3.0);

// The extractor alone: one page cut into its fields.
void BM_ExtractFields(benchmark::State& state) {
    Fixture& f = fixture();
    const ListingSite site(f.ctx->services);
    std::int64_t fields = 0;
    for (auto _ : state) {
        std::string page = f.samplePage, id, content;
        LogCounters counters{};
        while (getNextSpanField(page, id, content))
            if (cleanField(id, content, site, counters)) ++fields;
        benchmark::DoNotOptimize(counters);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.samplePage.size()));
}
BENCHMARK(BM_ExtractFields)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vellora
