// A page of the stand-in listing site, rendered by its world generator, goes through the loader's
// image-list steps and the description generator with the shipped template.
#if __has_include("sim/SitePages.h")

#include <gtest/gtest.h>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "listing/CreateDescr.h"
#include "listing/ImageSize.h"
#include "listing/Parse.h"
#include "sim/ImageCodec.h"
#include "sim/Pictures.h"
#include "sim/SitePages.h"
#include "sim/World.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

// The first cache of the world with everything a description can show.
int richCache(const sim::World& world) {
    for (int i = 0; i < world.size(); ++i) {
        const sim::CacheDetails d = world.details(i);
        if (d.images.size() >= 3 && !d.waypoints.empty() && !d.bugs.empty() && d.logs.size() >= 8 &&
            d.watchers > 0 && !world.archived(i))
            return i;
    }
    return -1;
}

TEST(CreateDescrSim, StandInSitePageConverts) {
    test::TestHome home;
    RunContext& ctx = home.ctx();
    sim::WorldParams params;
    params.caches = 400;
    params.countriesPath = home.dir.file("CacheDB.conf");
    const sim::World world(params);
    const int i = richCache(world);
    ASSERT_GE(i, 0);
    const std::string w = world.waypoint(i);
    const sim::CacheDetails d = world.details(i);
    const std::string out = ctx.outDirPath();

    home.dir.write("Caches.bin", encodeCacheRec(world.record(i)));
    const sim::SiteAddresses site{ctx.services.listingSite, ctx.services.imageHost};
    const std::string page = sim::renderListingPage(world, i, site, true, false);
    home.dir.write(w + ".html", page);

    // The loader's part: image entries from the cleaned IMAGES field, files and the image list.
    std::string rest = page.substr(page.find("<body"));
    std::string id, content, meta;
    LogCounters counters{};
    const ListingSite listing(ctx.services);
    std::size_t n = 0;
    while (getNextSpanField(rest, id, content)) {
        if (!cleanField(id, content, listing, counters) || id != "IMAGES") continue;
        std::string url, title, description;
        while (getImageEntry(content, url, title, description, ctx.services.imageHost)) {
            ASSERT_LT(n, d.images.size());
            const sim::CacheImage& img = d.images[n];
            EXPECT_EQ(url, ctx.services.imageHost + "/cache/" + img.file);
            const std::string file = w + "_i" + std::to_string(n + 1) + "." + url.substr(url.size() - 3);
            home.dir.write(file, sim::encodeImage(sim::drawPhoto(img.width, img.height, n), img.format));
            const std::string k = std::to_string(++n);
            meta += k + "#" + out + file + "\r\n" + k + "#" + title + "\r\n" + k + "#" + description + "\r\n";
        }
    }
    ASSERT_EQ(n, d.images.size());
    home.dir.write(w + ".meta", meta);
    home.dir.write(w + "_map.gif", sim::encodeGif(sim::Canvas(444, 340, {200, 220, 200})));
    home.dir.write("WPList.txt", w + "\r\n");

    TCreateDescr generator(ctx);
    generator.options.MaxLogs = "5";
    generator.options.ImageKind = 0;
    generator.open();
    generator.btnStartClick();
    ASSERT_EQ(generator.convertedCount(), 1);
    const TDescriptionFields& f = generator.fields();

    std::string name = sim::htmlEscape(d.name);
    EXPECT_EQ(f.CacheName, name);
    EXPECT_EQ(f.WaypointName, w);
    EXPECT_EQ(f.Watchers, std::to_string(d.watchers) + " Beobachter");
    EXPECT_EQ(f.NumVisits, std::to_string(d.visits) + " Logged Visits ");
    EXPECT_EQ(f.Difficulty, world.difficultyText(i));
    EXPECT_EQ(f.Terrain, world.terrainText(i));
    EXPECT_FALSE(f.LongDescription.empty());
    EXPECT_NE(f.TravelBugs.find("&quot;" + sim::htmlEscape(d.bugs.front().name) + "&quot;"),
              std::string::npos);
    EXPECT_NE(f.AdditionalWaypoints.find("Zus&auml;tzliche Wegpunkte"), std::string::npos);
    EXPECT_NE(f.AdditionalWaypoints.find(sim::htmlEscape(d.waypoints.front().name)), std::string::npos)
        << f.AdditionalWaypoints;

    // Every log got its marker and counts into its type's counter; five are kept, in bold.
    int total = 0;
    for (int c : f.counters) total += c;
    int uncounted = 0;
    for (const auto& log : d.logs) uncounted += log.type == sim::LogType::UpdateCoordinates ? 1 : 0;
    EXPECT_EQ(total + uncounted, static_cast<int>(d.logs.size()));
    int markers = 0;
    for (std::size_t at = f.CacheLogs.find(kLogMarker); at != std::string::npos;
         at = f.CacheLogs.find(kLogMarker, at + 1))
        ++markers;
    EXPECT_EQ(markers, 5);
    EXPECT_EQ(f.LogLimitation, "Die Ausgabe der Logs wurde auf maximal 5 beschr\xE4nkt.");
    EXPECT_NE(f.CacheLogs.find("<B><!-- [[LOG]] -->"), std::string::npos);

    ASSERT_EQ(f.Images.size(), d.images.size());
    for (std::size_t k = 0; k < d.images.size(); ++k) {
        EXPECT_EQ(f.Images[k].width, d.images[k].width) << k;
        EXPECT_EQ(f.Images[k].height, d.images[k].height) << k;
    }

    const std::string converted = home.dir.read(w + "_converted.html");
    EXPECT_NE(converted.find("<h1>" + name + "</h1>"), std::string::npos);
    EXPECT_NE(converted.find("src=\"./" + w + "_map.gif\""), std::string::npos);
    EXPECT_NE(converted.find("<img src=\"./" + w + "_i1."), std::string::npos);
    EXPECT_NE(converted.find("<!-- Langbeschreibung Start -->"), std::string::npos);
    EXPECT_EQ(converted.find("<!-- #LONGDESCRIPTION# -->"), std::string::npos);
}

}  // namespace
}  // namespace vellora

#endif
