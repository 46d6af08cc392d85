// The listing loader against the stand-in listing site: list and limit, skip lists and counters,
// overwrite choices, images and the image list, faults, abort, options, the manual list, unattended
// runs and the quiet instance.
#if __has_include("sim/SimFixture.h")
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "LoadHTMLSimFixture.h"
#include "core/AppHome.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/StrUnit.h"
#include "listing/CreateDescr.h"
#include "listing/LoadHTML.h"

namespace vellora {
namespace {

using sim::FaultKind;

constexpr const char* kListingPath = "/seek/cache_details.aspx";

class LoadHTMLSim : public test::LoadSimTest {
protected:
    // A window for a light run: no images, no map.
    std::unique_ptr<TfrmLoadHTML> pagesOnlyWindow() {
        auto w = std::make_unique<TfrmLoadHTML>(ctx());
        w->options.Images = false;
        w->options.LoadMap = false;
        return w;
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // A line that begins with the text and goes on (with the reason).
    static bool hasStarting(const std::vector<std::string>& lines, const std::string& start) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.size() > start.size() && l.rfind(start, 0) == 0;
        });
    }
    static int listingRequestsFor(const std::string& w) {
        return requestsWith(kListingPath, "wp=" + w + "&");
    }
    void writeFinds(const std::vector<std::string>& waypoints) {
        std::vector<TFoundRec> records;
        for (const auto& w : waypoints) {
            TFoundRec r;
            r.Waypoint = w;
            r.CacheName = "x";
            r.FoundDate = "01.01.2006";
            records.push_back(r);
        }
        ASSERT_EQ(writeFoundRecords(home.workFile(kFoundFileName), records), 0);
    }
    // Sets the file's time to noon of the day that lies daysAgo before the frozen "now".
    void setAge(const std::string& name, int daysAgo) {
        std::tm tm{};
        tm.tm_year = 2006 - 1900;
        tm.tm_mon = 11;
        tm.tm_mday = 8 - daysAgo;
        tm.tm_hour = 12;
        tm.tm_isdst = -1;
        const std::time_t t = std::mktime(&tm);
        const struct timespec times[2] = {{t, 0}, {t, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, out(name).c_str(), times, 0), 0);
    }
};

TEST_F(LoadHTMLSim, SixtyEntriesFivePresentLoadFiftyWithImagesMetaAndMaps) {
    const std::vector<std::string> list = waypoints(0, 60);
    writeWorkList(list);
    const std::vector<int> present = {2, 11, 23, 37, 49};
    for (int i : present)
        home.dir.write(list[static_cast<std::size_t>(i)] + ".html", "<html><body>alt</body></html>\r\n");

    TfrmLoadHTML window(ctx());
    window.open();
    EXPECT_EQ(window.headline(),
              "Die Arbeitsliste enth\xE4lt 60 Waypoints. Die ersten 50 k\xF6nnen geladen werden.");
    EXPECT_TRUE(window.whyVisible());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(
        home.host.messages[0].text.rfind("Die Arbeitsliste enth\xE4lt mehr als 50 Waypoints.\r\n\r\nUm zu "
                                         "vermeiden, dass bestimmte IP-Adressen",
                                         0),
        0u);
    window.btnLoadClick();

    TLoadStatistics expected;
    expected.loaded = 50;
    expected.skipped = 5;
    expected.present = 5;
    EXPECT_EQ(window.statistics(), expected);
    EXPECT_FALSE(window.errorFlag());
    EXPECT_EQ(static_cast<int>(sim().requestsTo(kListingPath).size()), 50);
    for (int i = 0; i < 60; ++i) {
        const std::string& w = list[static_cast<std::size_t>(i)];
        SCOPED_TRACE(w);
        const bool wasPresent = std::find(present.begin(), present.end(), i) != present.end();
        if (wasPresent || i >= 55) {
            EXPECT_EQ(listingRequestsFor(w), 0);
            if (i >= 55) {
                EXPECT_FALSE(outExists(w + ".html"));
            }
            continue;
        }
        ASSERT_TRUE(outExists(w + ".html"));
        const std::string page = home.dir.read(w + ".html");
        EXPECT_NE(page.find("LongDescription"), std::string::npos);
        for (std::size_t p = page.find('\n'); p != std::string::npos; p = page.find('\n', p + 1))
            ASSERT_EQ(page[p - 1], '\r');
        EXPECT_TRUE(outExists(w + "_mappoint.gif"));
        const auto images = world().details(i).images;
        if (images.empty()) continue;
        ASSERT_TRUE(outExists(w + ".meta"));
        const std::vector<std::string> meta = readListFile(out(w + ".meta"));
        ASSERT_GE(meta.size(), 3 * images.size());
        ASSERT_EQ(meta.size() % 3, 0u);
        for (std::size_t k = 0; k < meta.size(); k += 3) {
            // Stored relative to the home, so that a copied home finds its own images.
            const std::string path = meta[k].substr(meta[k].find('#') + 1);
            EXPECT_NE(path.front(), '/') << path;
            EXPECT_EQ(resolveHomePath(ctx().programDir(), path).rfind(out(w + "_i"), 0), 0u) << path;
            EXPECT_TRUE(fileExists(resolveHomePath(ctx().programDir(), path))) << path;
        }
    }
    const auto& p = window.protocolLines();
    EXPECT_EQ(p.front(), "Ladevorgang gestartet um 21.04.05");
    EXPECT_TRUE(has(p,
                    "\xFC"
                    "berspringe " +
                        list[2] + " (bereits vorhanden)"));
    EXPECT_EQ(p[p.size() - 2], "Der Ladevorgang wurde abgeschlossen.");
    EXPECT_EQ(p.back(), "Ladevorgang beendet um 21.04.05");
    EXPECT_EQ(window.taskText(), "Ready");
    EXPECT_EQ(home.host.messages.size(), 1u);
    // Scratch files of the maps are gone after the run.
    EXPECT_FALSE(fileExists(home.workFile("map.tmp")));
    window.close();
    EXPECT_EQ(window.runState(), RunState::ClosedAfterRun);

    // The description generator converts what was loaded (and the five old pages).
    TCreateDescr generator(ctx());
    generator.open();
    generator.btnStartClick();
    EXPECT_EQ(generator.convertedCount(), 55);
    for (int i = 0; i < 55; ++i)
        EXPECT_TRUE(outExists(list[static_cast<std::size_t>(i)] + "_converted.html")) << i;
}

TEST_F(LoadHTMLSim, OverwriteChoices) {
    struct Case {
        int choice;
        const char* age;
        int daysAgo;
        bool replaced;
    };
    const Case cases[] = {
        {0, "14", 400, false}, {1, "14", 0, true}, {2, "14", 14, false},
        {2, "14", 15, true},   {2, "", 1, false},  {2, "", 2, true},
    };
    int i = 0;
    for (const Case& c : cases) {
        const std::string w = wp(++i);
        SCOPED_TRACE(std::to_string(c.choice) + "/" + c.age + "/" + std::to_string(c.daysAgo));
        home.dir.write(w + ".html", "alt\r\n");
        setAge(w + ".html", c.daysAgo);
        writeWorkList({w});
        auto window = pagesOnlyWindow();
        window->open();
        window->options.Overwrite = c.choice;
        window->options.OverwriteAge = c.age;
        window->btnLoadClick();
        EXPECT_EQ(listingRequestsFor(w), c.replaced ? 1 : 0);
        EXPECT_EQ(home.dir.read(w + ".html") != "alt\r\n", c.replaced);
        EXPECT_EQ(window->statistics().present, c.replaced ? 0 : 1);
        EXPECT_EQ(window->statistics().loaded, c.replaced ? 1 : 0);
        if (c.choice == 2 && std::string(c.age).empty()) {
            EXPECT_EQ(window->options.OverwriteAge, "1");
        }
    }
}

TEST_F(LoadHTMLSim, SkipListsCountEveryReason) {
    const std::string a = wp(1), b = wp(2), c = wp(3), d = wp(4), e = wp(5);
    writeWorkList({a, b, c, d, e});
    home.dir.write(a + ".html", "alt\r\n");
    writeFinds({a, d});
    std::string lowerB = b, lowerC = c;
    std::transform(lowerB.begin(), lowerB.end(), lowerB.begin(), ::tolower);
    std::transform(lowerC.begin(), lowerC.end(), lowerC.begin(), ::tolower);
    home.dir.write("WPignore.txt", "GC0\r\n" + lowerB + "\r\n");
    home.dir.write("WParchived.txt", "01.12.2006;" + lowerC + "\r\n17.11.2006;GCNONE;x\r\n");

    auto window = pagesOnlyWindow();
    window->open();
    window->btnLoadClick();
    TLoadStatistics expected;
    expected.loaded = 1;
    expected.skipped = 4;
    expected.present = 1;
    expected.found = 2;
    expected.ignored = 1;
    expected.archived = 1;
    EXPECT_EQ(window->statistics(), expected);
    EXPECT_EQ(static_cast<int>(sim().requestsTo(kListingPath).size()), 1);
    EXPECT_EQ(listingRequestsFor(e), 1);
    const auto& p = window->protocolLines();
    const std::string skip =
        "\xFC"
        "berspringe ";
    for (const std::string& line :
         {skip + a + " (bereits vorhanden)", skip + a + " (bereits gefunden)",
          skip + b + " (in Ignore-Liste)", skip + c + " (in Archivliste)", skip + d + " (bereits gefunden)"})
        EXPECT_TRUE(has(p, line)) << line;
    EXPECT_TRUE(std::any_of(p.begin(), p.end(),
                            [&](const std::string& l) { return l.rfind("Lade " + e + " (", 0) == 0; }));
    window->close();

    // With the lists switched off only the present pages are skipped.
    sim().clearRequests();
    auto open = pagesOnlyWindow();
    open->options.NoExclude = false;
    open->options.NoArchived = false;
    open->noIgnored = false;
    open->open();
    open->btnLoadClick();
    expected = {};
    expected.loaded = 3;
    expected.skipped = 2;
    expected.present = 2;
    EXPECT_EQ(open->statistics(), expected);
    EXPECT_EQ(listingRequestsFor(b) + listingRequestsFor(c) + listingRequestsFor(d), 3);
}

TEST_F(LoadHTMLSim, MapsOnlyModeIgnoresSkipListsOverwriteAndLimit) {
    const std::vector<std::string> list = waypoints(0, 52);
    writeWorkList(list);
    for (const auto& w : list) home.dir.write(w + ".html", "alt\r\n");
    writeFinds({list[0]});
    TfrmLoadHTML window(ctx());
    window.open();
    window.options.LoadMap = false;  // maps-only mode loads the map anyway
    window.options.MapKind = kMapMapPoint;
    window.btnLoadMapsOnlyClick();
    EXPECT_EQ(window.statistics().loaded, 52);
    EXPECT_EQ(window.statistics().skipped, 0);
    EXPECT_TRUE(sim().requestsTo(kListingPath).empty());
    EXPECT_EQ(static_cast<int>(sim().requestsTo("/mappoint/").size()), 52);
    EXPECT_TRUE(has(window.protocolLines(), list[0] + ": Lade nur Landkarte!"));
    EXPECT_EQ(home.dir.read(list[0] + ".html"), "alt\r\n");
    EXPECT_TRUE(outExists(list[51] + "_mappoint.gif"));
    EXPECT_FALSE(outExists(list[0] + ".meta"));
}

TEST_F(LoadHTMLSim, DeveloperMarkerLiftsTheLimit) {
    const std::vector<std::string> list = waypoints(0, 52);
    writeWorkList(list);
    home.dir.write("QUIRL", "");
    auto window = pagesOnlyWindow();
    window->open();
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_FALSE(window->whyVisible());
    EXPECT_EQ(window->headline(), "Die Arbeitsliste enth\xE4lt 52 Waypoints.");
    window->btnLoadClick();
    EXPECT_EQ(window->statistics().loaded, 52);
    EXPECT_EQ(static_cast<int>(sim().requestsTo(kListingPath).size()), 52);
}

TEST_F(LoadHTMLSim, FailedListingsCountAsLoadErrorsAndTheRunGoesOn) {
    const std::string bad = wp(1), good = wp(2);
    for (FaultKind fault :
         {FaultKind::ServerError, FaultKind::NotFound, FaultKind::Close, FaultKind::Empty}) {
        SCOPED_TRACE(sim::faultKindName(fault));
        sim().clearFaults();
        sim().clearRequests();
        removeFile(out(bad + ".html"));
        removeFile(out(good + ".html"));
        addFault(kListingPath, "wp=" + bad + "&", fault);
        writeWorkList({bad, good});
        auto window = pagesOnlyWindow();
        window->open();
        window->btnLoadClick();
        EXPECT_EQ(window->statistics().errors, 1);
        EXPECT_EQ(window->statistics().loaded, 1);
        EXPECT_TRUE(window->errorFlag());
        EXPECT_TRUE(hasStarting(window->protocolLines(), "Fehler beim Laden von " + bad + ": "));
        EXPECT_FALSE(has(window->protocolLines(), "Ladefehler bei " + bad + "!"));
        EXPECT_FALSE(outExists(bad + ".html"));
        EXPECT_TRUE(outExists(good + ".html"));
        EXPECT_TRUE(home.host.messages.empty());
    }

    // A malformed proxy setting: no request is made, the error is the loader's own.
    sim().clearFaults();
    sim().clearRequests();
    ctx().settings.UseProxy = true;
    ctx().settings.ProxyServer = "127.0.0.1:abc";
    writeWorkList({wp(3)});
    auto window = pagesOnlyWindow();
    window->open();
    window->btnLoadClick();
    EXPECT_TRUE(sim().requests().empty());
    EXPECT_TRUE(has(window->protocolLines(), "Ladefehler bei " + wp(3) + "!"));
    EXPECT_TRUE(has(window->protocolLines(),
                    "Fehler beim Laden von " + wp(3) + ": 'abc' ist kein g\xFCltiger Integerwert"));
    EXPECT_EQ(window->statistics().errors, 1);
    EXPECT_TRUE(window->errorFlag());
}

TEST_F(LoadHTMLSim, FailedMapLeavesTheRunGoing) {
    writeWorkList({wp(1), wp(2)});
    addFault("/multimap/map/browse.cgi", "", FaultKind::ServerError, 1);
    TfrmLoadHTML window(ctx());
    window.open();
    window.options.Images = false;
    window.options.MapKind = kMapMultiMap;
    window.btnLoadClick();
    EXPECT_EQ(window.statistics().loaded, 2);
    EXPECT_EQ(window.statistics().errors, 0);
    EXPECT_FALSE(window.errorFlag());
    EXPECT_FALSE(outExists(wp(1) + "_multimap.gif"));
    EXPECT_TRUE(outExists(wp(2) + "_multimap.gif"));
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
}

TEST_F(LoadHTMLSim, AbortFinishesTheCurrentCacheAndPassesOverTheRest) {
    struct Case {
        MsgResult answer;
        int loaded;
    };
    for (const Case& c : {Case{MsgResult::Yes, 2}, Case{MsgResult::No, 4}}) {
        sim().clearRequests();
        for (int i = 1; i <= 4; ++i) removeFile(out(wp(i) + ".html"));
        writeWorkList(waypoints(1, 4));
        auto window = pagesOnlyWindow();
        window->open();
        bool asked = false;
        window->onProtocolLine = [&](const std::string& line) {
            if (!asked && line.rfind("Lade " + wp(2) + " (", 0) == 0) {
                asked = true;
                EXPECT_EQ(window->runState(), RunState::Running);
                EXPECT_TRUE(window->abortVisible());
                home.host.answerNext(c.answer);
                window->btnAbortClick();
            }
        };
        window->btnLoadClick();
        ASSERT_TRUE(asked);
        ASSERT_EQ(home.host.messages.size(), 1u);
        EXPECT_EQ(home.host.messages[0].kind, MsgKind::Confirmation);
        EXPECT_EQ(
            home.host.messages[0].text,
            "Es wurden noch nicht alle Cachebeschreibungen geladen. \r\nSoll das Laden abgebrochen werden?"
            "\r\n\r\n(Hinweis: der Cache " +
                wp(2) + ", der momentan geladen wird, wird in jedem Fall noch zu Ende geladen.)");
        home.host.messages.clear();
        EXPECT_EQ(window->statistics().loaded, c.loaded);
        EXPECT_EQ(window->statistics().skipped, 0);
        EXPECT_EQ(static_cast<int>(sim().requestsTo(kListingPath).size()), c.loaded);
        EXPECT_EQ(window->aborted(), c.answer == MsgResult::Yes);
        EXPECT_FALSE(window->abortVisible());
        EXPECT_EQ(window->protocolLines().back().rfind("Ladevorgang beendet um", 0), 0u);
    }
}

TEST_F(LoadHTMLSim, HostAbortEndsASlowTransfer) {
    addFault(kListingPath, "", FaultKind::Slow, -1, 5000);
    writeWorkList(waypoints(1, 3));
    auto window = pagesOnlyWindow();
    window->open();
    home.host.abortAtPoll(4);
    window->btnLoadClick();
    EXPECT_TRUE(window->aborted());
    EXPECT_EQ(window->statistics().errors, 1);
    EXPECT_EQ(window->statistics().loaded, 0);
    EXPECT_EQ(static_cast<int>(sim().requestsTo(kListingPath).size()), 1);
    EXPECT_FALSE(outExists(wp(1) + ".html"));
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(LoadHTMLSim, ImagesOfThePageAndFromOtherServers) {
    // A cache with an image whose address ends in ".jpeg", and an ordinary image.
    const int j = firstCache([](int i) {
        for (const auto& img : world().details(i).images)
            if (img.file.size() > 5 && img.file.substr(img.file.size() - 5) == ".jpeg") return true;
        return false;
    });
    const int o = firstCache([](int i) {
        const auto images = world().details(i).images;
        return !images.empty() && images[0].file.substr(images[0].file.size() - 5) != ".jpeg";
    });
    ASSERT_GE(j, 0);
    ASSERT_GE(o, 0);
    std::string jpegFile;
    for (const auto& img : world().details(j).images)
        if (img.file.substr(img.file.size() - 5) == ".jpeg") jpegFile = img.file;
    const std::string otherFile = world().details(o).images[0].file;
    const std::string base = ctx().services.listingSite, imgHost = ctx().services.imageHost;
    const std::string remote1 = base + "/ext/photos.example/" + world().remoteImageFile(j, 1);
    const std::string remote2 = base + "/ext/bilder.example/" + world().remoteImageFile(j, 2);
    const std::string w = wp(j);
    const std::string camera = "<img src=\"" + base + "/images/icons/camera.gif\">&nbsp;";
    const std::string page =
        "<html><head><script>var s = '<span id=\"Images\">x</span>';</script></head>\r\n"
        "<body>\r\n"
        "<span id=\"LongDescription\"><p>Text</p>\r\n"
        "<p><img src=\"" +
        remote1 +
        "\" width=\"300\"></p>\r\n"
        "<p><IMG SRC='" +
        remote1 +
        "'></p>\r\n"
        "<p><img src=\"" +
        imgHost + "/cache/" + otherFile +
        "\" width=\"200\"></p>\r\n"
        "<p><img src=\"" +
        base +
        "/images/attributes/dogs-yes.gif\"></p>\r\n"
        "<p><img src=\"../images/smile.gif\"></p>\r\n"
        "<p><img src=\"" +
        base +
        "/ext/page.html\"></p>\r\n"
        "<p><img   src= \"" +
        remote2 +
        "\" alt=\"Bild\"></p>\r\n"
        "</span>\r\n"
        "<p><STRONG>Additional Hints</STRONG></p>\r\n"
        "<script>document.write('<span id=\"Images\">y</span>');</script>\r\n"
        "<p><span id=\"Images\"><font size=\"2\">" +
        camera + "<a href=\"" + imgHost + "/cache/" + otherFile +
        "\" target=\"_blank\">Blick vom Gipfel</a><br>Am Morgen<br><br>" + camera + "<a href=\"" + imgHost +
        "/cache/" + jpegFile +
        "\" target=\"_blank\">Die Dose</a><br>Gut versteckt<br><br></font></span></p>\r\n"
        "</body></html>\r\n";
    home.dir.write(w + ".html", page);

    TfrmLoadHTML window(ctx());
    window.loadImages(w);
    const std::string ext = otherFile.substr(otherFile.size() - 3);
    const auto stored = [&](const std::string& name) {
        return homeRelativePath(ctx().programDir(), out(name));
    };
    const std::vector<std::string> expected = {
        "1#" + stored(w + "_i1.jpg"),    "1#" + remote1,       "1#",
        "2#" + stored(w + "_i2.jpg"),    "2#" + remote2,       "2#",
        "3#" + stored(w + "_i3." + ext), "3#Blick vom Gipfel", "3#Am Morgen",
        "4#" + stored(w + "_i4.peg"),    "4#Die Dose",         "4#Gut versteckt",
    };
    EXPECT_EQ(readListFile(out(w + ".meta")), expected);
    EXPECT_NE(home.dir.read(w + ".meta").find("1#\r\n"), std::string::npos);
    for (const char* f : {"_i1.jpg", "_i2.jpg", "_i4.peg"})
        EXPECT_TRUE(test::isJpeg(home.dir.read(w + f))) << f;
    EXPECT_TRUE(outExists(w + "_i3." + ext));
    EXPECT_EQ(static_cast<int>(sim().requestsTo("/ext/").size()), 2);
    EXPECT_EQ(static_cast<int>(sim().requestsTo("/img/").size()), 2);
    EXPECT_TRUE(sim().requestsTo("/images/").empty());
    const auto& p = window.protocolLines();
    EXPECT_TRUE(has(p, "lade Fremdserver-Bild #1: " + remote1));
    EXPECT_TRUE(has(p, "lade Fremdserver-Bild #2: " + remote2));
    EXPECT_TRUE(has(p, "lade zugeh\xF6riges Bild #2: Blick vom Gipfel"));
    EXPECT_TRUE(has(p, "lade zugeh\xF6riges Bild #3: Die Dose"));
    EXPECT_TRUE(home.host.messages.empty());

    // Without other servers; a failed image keeps its number and its lines.
    sim().clearRequests();
    removeFile(out(w + ".meta"));
    std::string failing = page;
    replaceAll(failing, "/cache/" + otherFile, "/cache/missing.gif");
    home.dir.write(w + ".html", failing);
    window.options.RemoteImages = false;
    window.loadImages(w);
    const std::vector<std::string> meta = readListFile(out(w + ".meta"));
    ASSERT_EQ(meta.size(), 6u);
    EXPECT_EQ(meta[0], "1#" + homeRelativePath(ctx().programDir(), out(w + "_i1.gif")));
    EXPECT_EQ(meta[3], "2#" + homeRelativePath(ctx().programDir(), out(w + "_i2.peg")));
    EXPECT_FALSE(outExists(w + "_i1.gif"));
    EXPECT_TRUE(sim().requestsTo("/ext/").empty());
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].text.rfind(
                  "Folgende Ladeoperation vom Internet ist fehlgeschlagen:\r\nQuelle: " + imgHost +
                      "/cache/missing.gif\r\nZiel: " + out(w + "_i1.gif"),
                  0),
              0u);

    // A page without images writes no image list.
    removeFile(out(w + ".meta"));
    home.dir.write(w + ".html", "<html><body><span id=\"LongDescription\">Nichts</span></body></html>\r\n");
    window.loadImages(w);
    EXPECT_FALSE(outExists(w + ".meta"));
}

TEST_F(LoadHTMLSim, ManualListReplacesPagesWithoutChangingTheStoredChoice) {
    IniFile& conf = ctx().programConf();
    conf.writeBool(kProgramSection, "LoadSaveOpts", true);
    conf.writeInteger(kProgramSection, "LoadOverwrite", 0);
    conf.writeBool(kProgramSection, "LoadImages", false);
    conf.writeBool(kProgramSection, "LoadLoadMap", false);
    writeWorkList({wp(5), wp(6)});
    home.dir.write(wp(1) + ".html", "alt\r\n");

    TfrmLoadHTML window(ctx());
    window.setManualList({wp(1)});
    window.open();
    EXPECT_FALSE(window.hasManualList());
    EXPECT_EQ(window.headline(), "1 Cachebeschreibungen werden manuell nachgeladen");
    EXPECT_EQ(window.list(), std::vector<std::string>{wp(1)});
    EXPECT_EQ(window.options.Overwrite, 1);
    window.btnLoadClick();
    EXPECT_EQ(listingRequestsFor(wp(1)), 1);
    EXPECT_NE(home.dir.read(wp(1) + ".html"), "alt\r\n");
    window.close();
    EXPECT_EQ(conf.readInteger(kProgramSection, "LoadOverwrite", -1), 0);
    EXPECT_EQ(window.options.Overwrite, 0);

    // The manual list was used once.
    window.open();
    EXPECT_EQ(window.headline(), "Die Arbeitsliste enth\xE4lt 2 Waypoints.");
    EXPECT_EQ(window.options.Overwrite, 0);
}

TEST_F(LoadHTMLSim, OptionsFollowTheSaveOptionsKey) {
    writeWorkList({wp(1)});
    IniFile& conf = ctx().programConf();
    conf.writeBool(kProgramSection, "LoadImages", false);
    {
        TfrmLoadHTML window(ctx());
        window.open();
        EXPECT_TRUE(window.options.Images);  // not read without LoadSaveOpts
        window.options.LoadMap = false;
        window.close();
        EXPECT_FALSE(conf.readBool(kProgramSection, "LoadSaveOpts", true));
        EXPECT_FALSE(conf.valueExists(kProgramSection, "LoadLoadMap"));
    }
    conf.writeBool(kProgramSection, "LoadSaveOpts", true);
    conf.writeInteger(kProgramSection, "LoadOverwrite", 2);
    conf.writeString(kProgramSection, "LoadOverwriteAge", "12a345");
    conf.writeBool(kProgramSection, "LoadNoExclude", false);
    conf.writeInteger(kProgramSection, "LoadMapKind", 7);
    conf.writeInteger(kProgramSection, "LoadMapZoom0", 1);
    conf.writeInteger(kProgramSection, "LoadMapZoom2", 99);
    conf.writeInteger(kProgramSection, "LoadMapSize", 5);
    TfrmLoadHTML window(ctx());
    window.open();
    const TLoadOptions& o = window.options;
    EXPECT_TRUE(o.SaveOpts);
    EXPECT_EQ(o.Overwrite, 2);
    EXPECT_EQ(o.OverwriteAge, "1234");
    EXPECT_FALSE(o.Images);
    EXPECT_TRUE(o.RemoteImages);
    EXPECT_FALSE(o.remoteImagesEffective());
    EXPECT_FALSE(window.remoteImagesEnabled());
    EXPECT_FALSE(o.NoExclude);
    EXPECT_TRUE(o.NoArchived);
    EXPECT_EQ(o.MapKind, 4);  // clamped to the last kind
    EXPECT_EQ(o.MapZoom, (std::array<int, kMapKindCount>{1, 2, 14, 6, 3}));
    EXPECT_EQ(o.MapSize, 2);

    window.options.Images = true;
    window.options.MapZoom[3] = 4;
    window.close();
    EXPECT_TRUE(conf.readBool(kProgramSection, "LoadImages", false));
    EXPECT_EQ(conf.readInteger(kProgramSection, "LoadMapZoom3", -1), 4);
    EXPECT_EQ(conf.readInteger(kProgramSection, "LoadMapKind", -1), 4);
    EXPECT_EQ(conf.readString(kProgramSection, "LoadOverwriteAge", ""), "1234");
    EXPECT_EQ(window.runState(), RunState::ClosedAfterRun);
}

TEST_F(LoadHTMLSim, WorkListErrors) {
    // Missing: it cannot be read and is empty.
    {
        TfrmLoadHTML window(ctx());
        window.open();
        ASSERT_EQ(home.host.messages.size(), 2u);
        EXPECT_EQ(home.host.messages[0].text,
                  "Fehler beim Laden der Waypoint-Arbeitsliste:\r\n" + home.workFile("WPList.txt"));
        EXPECT_EQ(home.host.messages[1].kind, MsgKind::Error);
        EXPECT_EQ(home.host.messages[1].text.rfind(
                      "Die Arbeitsliste enth\xE4lt keine Waypoints, deren Caches geladen "
                      "werden k\xF6nnten.",
                      0),
                  0u);
        EXPECT_FALSE(window.loadEnabled());
        EXPECT_TRUE(window.errorFlag());
        EXPECT_TRUE(window.closeRequested());
        window.close();
        EXPECT_EQ(window.runState(), RunState::ClosedAfterRun);
    }
    // Lines that name no waypoint are left out.
    home.host.messages.clear();
    home.dir.write("WPList.txt", "\r\n   \r\n../../etc/x\r\nGC 12\r\n");
    {
        TfrmLoadHTML window(ctx());
        window.open();
        EXPECT_EQ(window.headline(), "Die Arbeitsliste enth\xE4lt 0 Waypoints.");
        ASSERT_EQ(home.host.messages.size(), 1u);
        home.host.messages.clear();
        window.btnLoadClick();  // nothing to load
        ASSERT_EQ(home.host.messages.size(), 1u);
        EXPECT_EQ(home.host.messages[0].kind, MsgKind::Warning);
        EXPECT_EQ(home.host.messages[0].text, "Die Arbeitsliste enth\xE4lt keine Waypoints.");
        EXPECT_EQ(window.runState(), RunState::NotRun);
    }
    // The quiet instance says nothing about lists.
    home.host.messages.clear();
    removeFile(home.workFile("WPList.txt"));
    TfrmLoadHTML quiet(ctx(), true);
    quiet.open();
    EXPECT_TRUE(home.host.messages.empty());
    EXPECT_TRUE(sim().requests().empty());
}

TEST_F(LoadHTMLSim, UnattendedRunClosesItselfWithRunStateAndErrorFlag) {
    const std::vector<std::string> list = waypoints(1, 52);
    writeWorkList(list);
    for (std::size_t i = 0; i + 1 < list.size(); ++i) home.dir.write(list[i] + ".html", "alt\r\n");
    addFault(kListingPath, "", FaultKind::ServerError);

    auto window = pagesOnlyWindow();
    window->setUnattended(true);
    window->open();
    EXPECT_TRUE(home.host.messages.empty());  // no warning in batch mode
    EXPECT_TRUE(window->whyVisible());
    RunState stateDuringRun = RunState::NotRun;
    window->onProtocolLine = [&](const std::string&) { stateDuringRun = window->runState(); };
    window->startUnattended();
    EXPECT_EQ(stateDuringRun, RunState::Running);
    EXPECT_TRUE(!window->isOpen());
    EXPECT_EQ(window->runState(), RunState::ClosedAfterRun);
    EXPECT_TRUE(window->errorFlag());
    EXPECT_EQ(window->statistics().errors, 1);
    EXPECT_EQ(window->statistics().present, 51);
    window->resetRunState();
    EXPECT_EQ(window->runState(), RunState::NotRun);

    // A new opening clears the error flag.
    sim().clearFaults();
    removeFile(out(list.back() + ".html"));
    window->open();
    EXPECT_FALSE(window->errorFlag());
    window->startUnattended();
    EXPECT_FALSE(window->errorFlag());
    EXPECT_EQ(window->statistics().loaded, 1);
}

TEST_F(LoadHTMLSim, QuietInstanceServesAStandAloneDownload) {
    TfrmLoadHTML quiet(ctx(), true);
    quiet.showDownload("Lade Cache-DB", "Die Cache-Datenbank wird vom Internet geladen...", true);
    EXPECT_TRUE(quiet.protocolVisible());
    EXPECT_FALSE(quiet.optionsVisible());
    EXPECT_TRUE(quiet.abortVisible());
    EXPECT_EQ(quiet.taskText(), "Lade Cache-DB");
    ASSERT_TRUE(getBinaryToFile(ctx(), quiet.client(), ctx().services.versionFile, home.workFile("v.txt"),
                                false, &quiet));
    EXPECT_EQ(quiet.protocolLines(), (std::vector<std::string>{"Ladevorgang gestartet um 21.04.05",
                                                               "Ladevorgang beendet um 21.04.05"}));
    EXPECT_EQ(home.dir.read("v.txt"), "V5.0.1\r\n13.12.2006\r\n");
    EXPECT_EQ(sim().requests().back().userAgent, "Mozilla/6.0 (compatible; Indy Library)");
    quiet.close();
    EXPECT_TRUE(!quiet.isOpen());
    EXPECT_FALSE(ctx().programConf().valueExists(kProgramSection, "LoadSaveOpts"));
}

TEST(LoadHTMLText, StatisticsAndWaypointRules) {
    TLoadStatistics s;
    s.loaded = 3;
    s.skipped = 2;
    s.present = 1;
    s.archived = 1;
    EXPECT_EQ(statisticsLines(s),
              (std::vector<std::string>{"Caches geladen: 3", "Fehler beim Laden aufgetreten: 0",
                                        "Caches \xFC"
                                        "bersprungen, davon: 2",
                                        "  bereits vorhanden: 1", "  bereits gefunden (Fundliste): 0",
                                        "  ignoriert (Ignore-Liste): 0", "  archiviert (Archivliste): 1"}));
    struct Case {
        const char* entry;
        bool loadable;
    };
    for (const Case& c : {Case{"GC1A2B", true},
                          {"gc12", true},
                          {"GC1234567890ABCD", true},
                          {"GC1234567890ABCDE", false},
                          {"", false},
                          {"GC 1", false},
                          {"../GC1", false},
                          {"GC1;x", false},
                          {"GC\xC4", false}})
        EXPECT_EQ(isLoadableWaypoint(c.entry), c.loadable) << c.entry;
    for (const auto& [in, outText] : std::vector<std::pair<std::string, std::string>>{
             {"14", "14"}, {"1a2b", "12"}, {"123456", "1234"}, {"", ""}, {"-5", "5"}})
        EXPECT_EQ(sanitizeOverwriteAge(in), outText) << in;
}

}  // namespace
}  // namespace vellora
#endif
