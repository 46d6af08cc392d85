#include "ui/LoadURLDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <stdexcept>

#include "ListingViewFixture.h"
#include "core/FileUtil.h"
#include "net/LoadURL.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

using LoadURLView = test::ListingViewTest;

LoadURLDialog* openLoadURLWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<LoadURLDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

TEST_F(LoadURLView, FetchesTheArchiveListIntoItsFileAndClosesItself) {
    const std::string dest = home.workFile("WParchived.txt");
    TfrmLoadURL model(host);
    model.setURL(ctx().services.archiveList);
    model.setDestination(dest);
    QString titleWhileOpen, urlWhileOpen, statusWhileOpen;
    QTimer::singleShot(100, [&] {
        if (LoadURLDialog* d = openLoadURLWindow()) {
            titleWhileOpen = d->windowTitle();
            urlWhileOpen = d->urlText()->text();
            statusWhileOpen = d->statusText()->text();
        }
    });
    const int lines = showLoadURLWindow(model, nullptr);

    const auto archived = world().archivedCaches();
    ASSERT_FALSE(archived.empty());
    EXPECT_EQ(lines, static_cast<int>(archived.size()));
    const auto text = readFile(dest);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(";" + wp(archived.front()) + "\r\n"), std::string::npos);
    EXPECT_EQ(titleWhileOpen, QStringLiteral("Load from URL"));
    EXPECT_EQ(urlWhileOpen, QString::fromStdString(ctx().services.archiveList));
    EXPECT_EQ(statusWhileOpen, QStringLiteral("Ready"));
    EXPECT_EQ(sim().requestsTo("/velloralist.php").front().userAgent,
              "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_TRUE(model.closed());

    // The window as it stands after the fetch.
    LoadURLDialog shown(model);
    EXPECT_EQ(shown.statusText()->text(), QStringLiteral("Ready"));
    EXPECT_EQ(shown.bytesText()->text(), QString::fromStdString(model.bytesText()));
    EXPECT_EQ(shown.progressBar()->value(), shown.progressBar()->maximum());
    test::screenshot(&shown, "load_from_url");
}

TEST_F(LoadURLView, ClosingTheWindowAbortsASlowDownload) {
    addFault("/velloralist.php", "", sim::FaultKind::Slow, 4000);
    const std::string dest = home.workFile("WParchived.txt");
    home.dir.write("WParchived.txt", "2006-01-01;GC1\r\n");
    TfrmLoadURL model(host);
    model.setURL(ctx().services.archiveList);
    model.setDestination(dest);
    bool fetchingWhenClosed = false;
    int barMax = 0;
    QTimer::singleShot(1200, [&] {
        if (LoadURLDialog* d = openLoadURLWindow()) {
            fetchingWhenClosed = d->fetching();
            barMax = d->progressBar()->maximum();
            test::screenshot(d, "load_from_url_running");
            d->close();
        }
    });
    std::string error;
    try {
        showLoadURLWindow(model, nullptr);
    } catch (const std::runtime_error& e) {
        error = e.what();
    }
    EXPECT_TRUE(fetchingWhenClosed);
    EXPECT_GT(barMax, 1);  // the announced length
    EXPECT_EQ(error.rfind("EHttpError : ", 0), 0u) << error;
    // Nothing was written: the old list stands.
    EXPECT_EQ(home.dir.read("WParchived.txt"), "2006-01-01;GC1\r\n");
    EXPECT_EQ(model.linesWritten(), 0);
}

TEST_F(LoadURLView, AMalformedProxyPortIsReportedBeforeTheWindowOpens) {
    TfrmLoadURL model(host);
    model.setURL(ctx().services.archiveList);
    model.setProxy("http://proxy.example:31x8");
    model.setDestination(home.workFile("WParchived.txt"));
    EXPECT_THROW(showLoadURLWindow(model, nullptr), EHttpError);
    EXPECT_EQ(openLoadURLWindow(), nullptr);
    EXPECT_EQ(requestsTo("/velloralist.php"), 0);
}

}  // namespace
}  // namespace vellora
