// Faults on demand, the request log, proxy mode, determinism, loopback binding, the home
// configuration, and the program itself.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>

#include <cstdio>

#include "SimTestSupport.h"
#include "core/FileUtil.h"
#include "core/IniFile.h"
#include "core/MapTiles.h"
#include "core/RunContext.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

extern char** environ;

namespace vellora::sim {
namespace {

SimFixture::Options serverControlWorld() {
    SimFixture::Options o;
    o.caches = 200;
    return o;
}

class ServerControl : public ::vellora::test::SimSuite<ServerControl, serverControlWorld> {
protected:
    void SetUp() override {
        sim().clearFaults();
        sim().clearRequests();
        client_ = test::clientFor(sim());
        listing_ = "/seek/cache_details.aspx?wp=" + sim().world().waypoint(7) + "&Submit6=Find&log=y";
    }

    std::unique_ptr<httplib::Client> client_;
    std::string listing_;
};

TEST_F(ServerControl, FaultsHitTheirPathForTheGivenNumberOfRequests) {
    const std::string good = test::fetch(*client_, listing_);
    struct Case {
        FaultKind kind;
        int status;  // 0: the transfer fails
        bool sameBody;
    };
    for (const Case& c : {Case{FaultKind::NotFound, 404, false}, Case{FaultKind::ServerError, 500, false},
                          Case{FaultKind::Empty, 200, false}, Case{FaultKind::Close, 0, false},
                          Case{FaultKind::Slow, 200, true}, Case{FaultKind::Delay, 200, true}}) {
        SCOPED_TRACE(faultKindName(c.kind));
        sim().addFault("/seek/cache_details.aspx", c.kind, 1, 200);
        auto res = client_->Get(listing_.c_str());
        if (c.status == 0) {
            EXPECT_FALSE(res);
        } else {
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, c.status);
            EXPECT_EQ(res->body == good, c.sameBody);
            if (c.kind == FaultKind::Empty) {
                EXPECT_TRUE(res->body.empty());
            }
        }
        // Used up: the next request is answered normally.
        EXPECT_EQ(test::fetch(*client_, listing_), good);
        const auto log = sim().requests();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[log.size() - 2].fault, faultKindName(c.kind));
        EXPECT_EQ(log.back().fault, "");
    }
    // Another path is not hit; a query filter narrows the rule.
    sim().addFault("/img/", FaultKind::NotFound);
    EXPECT_EQ(test::fetch(*client_, listing_), good);
    FaultRule rule;
    rule.path = "/seek/cache_details.aspx";
    rule.query = "wp=" + sim().world().waypoint(8);
    rule.kind = FaultKind::ServerError;
    sim().server().addFault(rule);
    EXPECT_EQ(test::fetch(*client_, listing_), good);
    auto other = client_->Get(("/seek/cache_details.aspx?wp=" + sim().world().waypoint(8)).c_str());
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 500);
}

TEST_F(ServerControl, ControlEndpointSetsFaultsAndShowsTheLog) {
    test::fetch(*client_, "/_control/fault?path=/velloraversion.txt&kind=500&times=2");
    for (int k = 0; k < 2; ++k) {
        auto res = client_->Get("/velloraversion.txt");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 500);
    }
    EXPECT_EQ(test::fetch(*client_, "/velloraversion.txt"), "V5.0.1\r\n13.12.2006\r\n");
    auto bad = client_->Get("/_control/fault?path=/x&kind=teapot");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 400);

    test::fetch(*client_, "/_control/fault?path=/velloralist.php&kind=404");
    test::fetch(*client_, "/_control/faults/clear");
    test::fetch(*client_, "/velloralist.php");

    const std::string log = test::fetch(*client_, "/_control/log");
    EXPECT_EQ(log, "GET\t/velloraversion.txt\t500\t500\t127.0.0.1:" + std::to_string(sim().server().port()) +
                       "\tdirect\n"
                       "GET\t/velloraversion.txt\t500\t500\t127.0.0.1:" +
                       std::to_string(sim().server().port()) +
                       "\tdirect\n"
                       "GET\t/velloraversion.txt\t200\t-\t127.0.0.1:" +
                       std::to_string(sim().server().port()) +
                       "\tdirect\n"
                       "GET\t/velloralist.php\t200\t-\t127.0.0.1:" +
                       std::to_string(sim().server().port()) + "\tdirect\n");
    test::fetch(*client_, "/_control/log/clear");
    EXPECT_EQ(test::fetch(*client_, "/_control/log"), "");
}

TEST_F(ServerControl, RequestLogKeepsWhatTestsAskAbout) {
    httplib::Headers headers = {{"User-Agent", "Mozilla/3.0 (compatible; Indy Library)"}};
    auto res = client_->Post("/seek/nearest.aspx?ul=Eule+45&submit4=Find", headers,
                             "__EVENTTARGET=ResultsPager:_ctl12&__EVENTARGUMENT=&__VIEWSTATE=xyz",
                             "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    const auto log = sim().requestsTo("/seek/nearest.aspx");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].query, "ul=Eule+45&submit4=Find");
    EXPECT_EQ(log[0].userAgent, "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(log[0].body, "__EVENTTARGET=ResultsPager:_ctl12&__EVENTARGUMENT=&__VIEWSTATE=xyz");
    EXPECT_EQ(log[0].status, 500);  // "xyz" is no view state of this site
    EXPECT_FALSE(log[0].absoluteForm);
}

TEST_F(ServerControl, ProxyModeAnswersAbsoluteFormAndNamesTheAskedHost) {
    httplib::Client viaProxy("listing.test", 80);
    viaProxy.set_proxy("127.0.0.1", sim().server().port());
    viaProxy.set_url_encode(false);
    auto res = viaProxy.Get(listing_.c_str());
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    EXPECT_NE(res->body.find("http://listing.test/images/"), std::string::npos);
    EXPECT_EQ(res->body.find("127.0.0.1"), std::string::npos);
    const auto log = sim().requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].absoluteForm);
    EXPECT_EQ(log[0].host, "listing.test");
    EXPECT_EQ(log[0].path, "/seek/cache_details.aspx");

    // Services on host names of their own reach the same server through the proxy.
    httplib::Client mapPoint("www.mappoint.test", 80);
    mapPoint.set_proxy("127.0.0.1", sim().server().port());
    auto img = mapPoint.Get("/pub/agent.dll?CenP=49.5,10.75&Alti=3&Size=300,220");
    ASSERT_TRUE(img);
    EXPECT_TRUE(test::decodeGif(img->body));
}

TEST_F(ServerControl, SmallerPagesAnswerAndUnknownPathsDoNot) {
    struct Case {
        std::string path;
        int status;
        const char* contains;
    };
    const std::string wp = sim().world().waypoint(3);
    const Case cases[] = {
        {"/", 200, "cache_details.aspx?wp="},
        {"/cachedb/", 200, "gc_germany.txt.zip"},
        {"/mapquest/maps/"
         "map.adp?latlongtype=decimal&latitude=49.500&longitude=10.750&zoom=6&style=RARE&size=medium",
         200, "/mapquest/mq/mapgen.gif?"},
        {"/mapview/?lat=49.5&lng=10.75", 200, "<img src="},
        {"/seek/cache_details.aspx?guid=" + sim().world().cacheGuid(3), 200, wp.c_str()},
        {"/profile/?guid=x", 200, "</html>"},
        {"/css/main.css", 200, "body"},
        {"/nothing/here", 404, "Not Found"},
        {"/multimap/map/browse.cgi?lat=x&lon=10", 400, "Bad Request"},
        {"/_control/unknown", 404, "unknown"},
    };
    for (const auto& c : cases) {
        auto res = client_->Get(c.path.c_str());
        ASSERT_TRUE(res) << c.path;
        EXPECT_EQ(res->status, c.status) << c.path;
        EXPECT_NE(res->body.find(c.contains), std::string::npos) << c.path;
    }
}

TEST(ServerDeterminism, SameSeedSameBytesOnEveryEndpoint) {
    SimFixture::Options o;
    o.seed = 77;
    o.caches = 300;
    SimFixture a(o), b(o);
    o.seed = 78;
    SimFixture c(o);
    const World& w = a.world();
    std::vector<std::string> paths = {
        "/cachedb/gc_germany.txt", "/cachedb/gc_austria.txt.zip",
        "/velloralist.php",        "/seek/nearest.aspx?ul=Eule+45&submit4=Find",
        "/stadtplan/home.asp",     "/multimap/map/browse.cgi?lat=49.5&lon=10.75&scale=50000&icon=x"};
    for (int i = 0; i < w.size(); i += 37) {
        paths.push_back("/seek/cache_details.aspx?wp=" + w.waypoint(i) + "&Submit6=Find&log=y");
        for (const auto& img : w.details(i).images) paths.push_back("/img/cache/" + img.file);
    }
    httplib::Headers host = {{"Host", "sim.test"}};
    int differs = 0;
    for (const auto& p : paths) {
        httplib::Client ca("127.0.0.1", a.server().port()), cb("127.0.0.1", b.server().port()),
            cc("127.0.0.1", c.server().port());
        auto ra = ca.Get(p.c_str(), host), rb = cb.Get(p.c_str(), host), rc = cc.Get(p.c_str(), host);
        ASSERT_TRUE(ra && rb && rc) << p;
        EXPECT_EQ(ra->status, 200) << p;
        EXPECT_EQ(ra->body, rb->body) << p;
        differs += ra->body != rc->body;
    }
    EXPECT_GT(differs, static_cast<int>(paths.size()) / 2);
}

TEST(ServerSetup, AnswersOnLoopbackOnly) {
    WorldParams params;
    params.caches = 10;
    auto world = std::make_shared<const World>(params);
    for (const char* bind : {"0.0.0.0", "192.168.1.10", "::"}) {
        ServerOptions o;
        o.bind = bind;
        SimServer s(world, o);
        EXPECT_THROW(s.start(), std::runtime_error) << bind;
    }
    ServerOptions o;
    SimServer s(world, o);
    s.start();
    EXPECT_GT(s.port(), 0);
    EXPECT_EQ(s.baseUrl(), "http://127.0.0.1:" + std::to_string(s.port()));
}

TEST(ServerSetup, HomeConfigurationPointsEveryServiceAtTheServer) {
    SimFixture::Options options;
    options.caches = 50;
    SimFixture sim(options);
    vellora::test::TestHome home;
    sim.writeHome(home.dir.path());
    home.restart();
    const ServiceAddresses s = home.ctx().services;
    const std::string base = sim.baseUrl();
    EXPECT_EQ(s.listingSite, base);
    EXPECT_EQ(s.imageHost, base + "/img");
    EXPECT_EQ(s.multiMap, base + "/multimap");
    EXPECT_EQ(s.mapPoint, base + "/mappoint");
    EXPECT_EQ(s.stadtplandienst, base + "/stadtplan");
    EXPECT_EQ(s.mapQuest, base + "/mapquest");
    EXPECT_EQ(s.cacheDbServer, base + "/cachedb/");
    EXPECT_EQ(s.archiveList, base + "/velloralist.php");
    EXPECT_EQ(s.versionFile, base + "/velloraversion.txt");
    EXPECT_EQ(s.mapView, base + "/mapview/");
    EXPECT_EQ(loadMapTilesAddress(home.ctx().programConf()), base + "/tiles/{z}/{x}/{y}.png");
    EXPECT_EQ(home.ctx().settings.CacheDBUrl, base + "/cachedb/");
    EXPECT_EQ(home.ctx().settings.ArchiveUrl, base + "/velloralist.php");
    EXPECT_EQ(home.ctx().settings.UpdateURL, base + "/velloraversion.txt");

    // applyTo reaches a running context at once.
    options.seed = 2;
    SimFixture other(options);
    other.applyTo(home.ctx());
    EXPECT_EQ(home.ctx().services.listingSite, other.baseUrl());
    EXPECT_EQ(home.ctx().settings.CacheDBUrl, other.baseUrl() + "/cachedb/");
    IniFile conf(home.dir.file("vellora.conf"));
    EXPECT_EQ(conf.readString("Services", "ImageHost", ""), other.baseUrl() + "/img");
    EXPECT_EQ(conf.readString("Program", "UpdateURL", ""), other.baseUrl() + "/velloraversion.txt");
    EXPECT_EQ(conf.readString("Services", "MapTiles", ""), other.baseUrl() + "/tiles/{z}/{x}/{y}.png");
}

// Map tiles for the map-service page: a 256 x 256 PNG for every tile of the world, nothing else.
TEST_F(ServerControl, MapTilesAreSquarePngs) {
    for (const char* path : {"/tiles/0/0/0.png", "/tiles/12/2170/1400.png", "/tiles/19/524287/0.png"}) {
        auto res = client_->Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(res->status, 200) << path;
        const auto img = test::decodePng(res->body);
        ASSERT_TRUE(img) << path;
        EXPECT_EQ(img->width, 256);
        EXPECT_EQ(img->height, 256);
        EXPECT_EQ(res->get_header_value("Cache-Control"), "max-age=604800") << path;
    }
    // From zoom 13 on a cache is a dot in its tile, its waypoint written beside it.
    const World& world = sim().world();
    // A cache whose label fits into its own tile.
    MapPixel p;
    for (int i = 0; i < world.size(); ++i) {
        p = mapPixelOf(world.lat(i), world.lon(i), 16);
        const int x = static_cast<int>(p.x) % 256, y = static_cast<int>(p.y) % 256;
        if (x > 4 && x < 170 && y > 8 && y < 246) break;
    }
    const int tx = static_cast<int>(p.x) / 256, ty = static_cast<int>(p.y) / 256;
    const auto tile = test::decodePng(
        client_->Get(("/tiles/16/" + std::to_string(tx) + "/" + std::to_string(ty) + ".png").c_str())->body);
    ASSERT_TRUE(tile);
    const auto at = [&](int x, int y) {
        const std::size_t i = (static_cast<std::size_t>(y) * 256 + static_cast<std::size_t>(x)) * 3;
        return std::array<int, 3>{tile->rgb[i], tile->rgb[i + 1], tile->rgb[i + 2]};
    };
    const int cx = static_cast<int>(p.x) % 256, cy = static_cast<int>(p.y) % 256;
    EXPECT_EQ(at(cx, cy), (std::array<int, 3>{30, 110, 40}));
    int ink = 0;
    for (int x = cx + 17; x < std::min(256, cx + 60); ++x)
        for (int y = std::max(0, cy - 4); y < std::min(256, cy + 4); ++y)
            if (at(x, y) == std::array<int, 3>{50, 50, 50}) ++ink;
    EXPECT_GT(ink, 10);

    for (const char* path : {"/tiles/1/2/0.png", "/tiles/20/0/0.png", "/tiles/3/1/1.gif", "/tiles/3/1.png",
                             "/tiles/-1/0/0.png", "/tiles/3/x/1.png"}) {
        auto res = client_->Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(res->status, 404) << path;
    }
}

TEST(SimProgram, PrintsItsAddressFirstAndWritesTheHome) {
    const std::string exe = VELLORA_SIM_EXECUTABLE;
    if (!fileExists(exe)) GTEST_SKIP() << "vellora-sim is not built";
    vellora::test::TempDir dir;
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string home = dir.file("home");
    std::vector<std::string> args = {exe, "--port", "0", "--caches", "30", "--seed", "4", "--home", home};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string first;
    char ch = 0;
    while (read(out[0], &ch, 1) == 1 && ch != '\n') first += ch;
    close(out[0]);

    EXPECT_EQ(first.rfind("http://127.0.0.1:", 0), 0u) << first;
    const int port = std::atoi(first.substr(17).c_str());
    httplib::Client c("127.0.0.1", port);
    auto status = c.Get("/_control/status");
    ASSERT_TRUE(status);
    EXPECT_NE(status->body.find("caches 30"), std::string::npos);
    IniFile conf(joinPath(home, "vellora.conf"));
    EXPECT_EQ(conf.readString("Services", "ListingSite", ""), first);
    EXPECT_EQ(conf.readString("Program", "CacheDBUrl", ""), first + "/cachedb/");

    kill(pid, SIGTERM);
    int wstatus = 0;
    ASSERT_EQ(waitpid(pid, &wstatus, 0), pid);
    EXPECT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(WEXITSTATUS(wstatus), 0);
}

}  // namespace
}  // namespace vellora::sim
