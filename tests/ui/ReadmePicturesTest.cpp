// The pictures at the top of the README, taken of a home that scripts/run.sh prepared against the
// stand-in servers: scripts/screenshots.sh runs both and names the home in VELLORA_PICTURE_HOME.
// Without it (and VELLORA_SCREENSHOT_DIR) the test skips.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "core/Settings.h"
#include "pdf/PdfPages.h"
#include "shell/Booklet.h"
#include "shell/Map.h"
#include "support/HeadlessBrowser.h"
#include "support/PdfTools.h"
#include "support/ScriptedHost.h"
#include "ui/MainWindow.h"
#include "ui/MapWindow.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"
#include "ui/WorkListDialog.h"

namespace vellora {
namespace {

using test::kChromium;
using test::shellQuoted;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> workList(const std::string& home) {
    std::vector<std::string> waypoints;
    const std::string text = readFile(joinPath(home, "WPList.txt")).value_or("");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) waypoints.push_back(line);
        start = end + 1;
    }
    return waypoints;
}

class ReadmePictures : public ::testing::Test {
protected:
    void SetUp() override {
        home = environment("VELLORA_PICTURE_HOME");
        pictures = environment("VELLORA_SCREENSHOT_DIR");
        if (home.empty() || pictures.empty())
            GTEST_SKIP() << "VELLORA_PICTURE_HOME or VELLORA_SCREENSHOT_DIR not set (scripts/screenshots.sh)";
        ctx = std::make_unique<RunContext>(host, home);
        startConfiguration(*ctx);
        loadSettings(*ctx, 600);
        waypoints = workList(home);
        ASSERT_FALSE(waypoints.empty()) << "no work list in " << home;
    }

    std::string home, pictures;
    test::ScriptedHost host;
    std::unique_ptr<RunContext> ctx;
    std::vector<std::string> waypoints;
};

// The main window over the output folder, with the work list beside it in one picture.
TEST_F(ReadmePictures, MainWindowWithWorkList) {
    MainWindow window(*ctx, false);
    window.resize(760, 560);
    window.show();
    WorkListDialog list(*ctx);
    list.resize(900, 420);
    list.show();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    const QPixmap main = window.grab(), side = list.grab();
    QPixmap both(main.width() + 24 + side.width(), std::max(main.height(), side.height()));
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, main);
    painter.drawPixmap(main.width() + 24, 0, side);
    painter.end();
    EXPECT_TRUE(both.save(QDir(qs(pictures)).filePath(QStringLiteral("main-window.png"))));
}

// The caches of the work list on the map, zoomed to their area.
TEST_F(ReadmePictures, MapOfTheWorkList) {
    TfrmMap map(*ctx);
    for (const std::string& w : waypoints) EXPECT_TRUE(map.addCache(w)) << w;
    map.showWpNames = true;
    MapWindow window(*ctx, map);
    map.open();
    map.zoomToCaches();
    window.resize(900, 680);
    test::screenshot(&window, "map-window");
    map.close();
}

// The converted description of the first cache of the work list as a browser shows it (Chromium
// without network: everything it shows comes from the output folder).
TEST_F(ReadmePictures, ConvertedDescription) {
    if (!fileExists(kChromium)) GTEST_SKIP() << "chromium is not installed (scripts/test.sh installs it)";
    const std::string page = ctx->outDirPath() + waypoints.front() + "_converted.html";
    ASSERT_TRUE(fileExists(page)) << page;
    const std::string profile = joinPath(pictures, ".chromium-profile");
    const std::string target = joinPath(pictures, "converted-description.png");
    const std::string command = std::string("timeout 90 ") + kChromium +
                                " --headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars"
                                " --disable-background-networking --disable-component-update --disable-sync"
                                " --disable-extensions --host-resolver-rules='MAP * ~NOTFOUND'"
                                " --virtual-time-budget=3000 --window-size=900,1100 --user-data-dir=" +
                                shellQuoted(profile) + " --screenshot=" + shellQuoted(target) + " " +
                                shellQuoted("file://" + page) + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::filesystem::remove_all(profile);
    const auto png = readFile(target);
    EXPECT_TRUE(png && png->starts_with("\x89PNG")) << target;
}

// The outing booklet that scripts/run.sh printed: cover, contents and the first cache's first two
// pages (its map is on one of them) side by side, as pdftoppm shows them.
TEST_F(ReadmePictures, BookletPages) {
    if (!test::pdfToolsPresent())
        GTEST_SKIP() << "poppler-utils is not installed (scripts/test.sh installs it)";
    const std::string pdf = ctx->outDirPath() + kBookletFileName;
    const auto bytes = readFile(pdf);
    ASSERT_TRUE(bytes) << pdf;
    const auto dests = readPdfDestinations(*bytes);
    ASSERT_TRUE(dests);
    // The index's order decides which cache comes first; its page is the lowest.
    int first = dests->pageCount;
    for (const auto& [name, page] : dests->pages)
        if (name.starts_with(bookletCacheAnchor(""))) first = std::min(first, page);
    QList<QImage> pages;
    for (int page : {1, 2, first, std::min(first + 1, dests->pageCount)}) {
        const std::string stem = joinPath(pictures, ".booklet-page");
        const std::string command = "pdftoppm -r 60 -singlefile -png -f " + std::to_string(page) + " -l " +
                                    std::to_string(page) + " " + shellQuoted(pdf) + " " + shellQuoted(stem);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        pages.append(QImage(qPath(stem + ".png")));
        std::filesystem::remove(stem + ".png");
        ASSERT_FALSE(pages.back().isNull());
    }
    constexpr int kGap = 16;
    QImage all(4 * pages[0].width() + 5 * kGap, pages[0].height() + 2 * kGap, QImage::Format_RGB32);
    all.fill(QColor(0x9a, 0x9a, 0x9a));
    QPainter painter(&all);
    for (int i = 0; i < pages.size(); ++i)
        painter.drawImage(kGap + i * (pages[0].width() + kGap), kGap, pages[i]);
    painter.end();
    EXPECT_TRUE(all.save(QDir(qs(pictures)).filePath(QStringLiteral("booklet.png"))));
}

}  // namespace
}  // namespace vellora
