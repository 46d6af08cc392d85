#include "ui/BookletPrinter.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QThread>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <memory>
#include <optional>

#include "core/FileUtil.h"
#include "pdf/PdfPages.h"
#include "shell/Booklet.h"
#include "ui/QtText.h"

namespace vellora {
namespace {

std::string_view bytesOf(const QByteArray& data) {
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

// The booklet's own @page rule says the same; Chromium takes the larger of the two.
QPageLayout a4Portrait() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(14, 15, 14, 18),
                       QPageLayout::Millimeter);
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The HTML engine's library, built without the sanitizer, deletes some of its objects through a
// base of another size. That is its own affair; every other check stays on.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}
#endif

void prepareWebEngineProcess() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--no-sandbox")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --no-sandbox");
    }
}

BookletPrinter::BookletPrinter(std::string htmlPath, std::string pdfPath, QObject* parent)
    : QObject(parent), htmlPath_(std::move(htmlPath)), pdfPath_(std::move(pdfPath)) {}

BookletPrinter::~BookletPrinter() {
    // A page must go before its profile.
    delete page_;
    delete profile_;
}

void BookletPrinter::start() {
    if (running_) return;
    const auto html = readFile(htmlPath_);
    if (!html) {
        finish(false, qs("Tourheft nicht lesbar: " + htmlPath_));
        return;
    }
    markedHtml_ = *html;
    waypoints_ = bookletMarkedWaypoints(markedHtml_);
    pages_.clear();
    pass_ = 0;
    aborted_ = false;
    running_ = true;
    // Off the record: nothing of the booklet stays in the profile's caches in the home.
    // Without a parent: the page must go before its profile, which children of one parent do not.
    profile_ = new QWebEngineProfile();
    page_ = new QWebEnginePage(profile_);
    // The descriptions are shown, not run.
    page_->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    connect(page_, &QWebEnginePage::loadFinished, this, &BookletPrinter::onLoaded);
    // A renderer that dies answers neither the load nor the print: the printing ends here.
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (running_ && status != QWebEnginePage::NormalTerminationStatus)
                    finish(false, qs("Die Druckansicht des Tourhefts ist abgest\xFCrzt."));
            });
    connect(page_, &QWebEnginePage::loadProgress, this, [this](int percent) {
        emit progress(std::min(90, (pass_ - 1) * 30 + percent / 5), qs("Seiten werden gesetzt ..."));
    });
    printPass();
}

void BookletPrinter::printPass() {
    ++pass_;
    // The first layout has empty numbers, each later one the numbers of the one before.
    const int error = writeFileAtomic(htmlPath_, fillBookletPageNumbers(markedHtml_, pages_));
    if (error) {
        finish(false, qs("Tourheft nicht schreibbar: " + htmlPath_ + " (" + systemErrorText(error) + ")"));
        return;
    }
    emit progress(std::min(90, (pass_ - 1) * 30), qs("Seiten werden gesetzt ..."));
    // Whoever hears the progress may have aborted.
    if (!running_) return;
    // A file URL: the HTML can be of any size, and the descriptions' images resolve beside it.
    page_->load(QUrl::fromLocalFile(QFileInfo(qPath(htmlPath_)).absoluteFilePath()));
}

void BookletPrinter::onLoaded(bool ok) {
    if (!running_) return;
    if (!ok) {
        finish(false, qs("Tourheft nicht darstellbar: " + htmlPath_));
        return;
    }
    emit progress(std::min(90, (pass_ - 1) * 30 + 20), qs("Seiten werden gedruckt ..."));
    if (!running_) return;
    const QPointer<BookletPrinter> self(this);
    const int pass = pass_;
    page_->printToPdf(
        [self, pass](const QByteArray& pdf) {
            if (self) self->onPrinted(pass, pdf);
        },
        a4Portrait());
}

void BookletPrinter::onPrinted(int pass, const QByteArray& pdf) {
    if (!running_ || pass != pass_) return;
    if (pdf.isEmpty()) {
        finish(false, qs("Das Tourheft lie\xDF sich nicht drucken."));
        return;
    }
    // Hundreds of pages take a moment to read and to stamp: both happen beside the event loop.
    auto dests = std::make_shared<std::optional<PdfDestinations>>();
    auto error = std::make_shared<std::string>();
    runBeside([pdf, dests, error] { *dests = readPdfDestinations(bytesOf(pdf), error.get()); },
              [this, pdf, dests, error] { onPagesRead(pdf, *dests, *error); });
}

void BookletPrinter::onPagesRead(const QByteArray& pdf, const std::optional<PdfDestinations>& dests,
                                 const std::string& error) {
    if (!dests) {
        finish(false, qs(error));
        return;
    }
    std::map<std::string, int> found;
    for (const std::string& wp : waypoints_) {
        const auto at = dests->pages.find(bookletCacheAnchor(wp));
        if (at != dests->pages.end()) found[wp] = at->second;
    }
    // Done once the printed numbers are the numbers the layout gives.
    if ((pass_ > 1 && found == pages_) || pass_ >= kMaxPasses) {
        stampAndWrite(pdf);
        return;
    }
    pages_ = std::move(found);
    printPass();
}

void BookletPrinter::stampAndWrite(const QByteArray& pdf) {
    emit progress(92, qs("Seitenzahlen werden gesetzt ..."));
    if (!running_) return;
    auto stamped = std::make_shared<std::optional<std::string>>();
    auto error = std::make_shared<std::string>();
    runBeside(
        [pdf, stamped, error] { *stamped = stampPdfFooters(bytesOf(pdf), bookletFooterText, error.get()); },
        [this, stamped, error] {
            if (!*stamped) {
                finish(false, qs(*error));
                return;
            }
            // Written here, not beside: after an abort nothing may appear.
            if (const int code = writeFileAtomic(pdfPath_, **stamped)) {
                finish(false,
                       qs("Tourheft nicht schreibbar: " + pdfPath_ + " (" + systemErrorText(code) + ")"));
                return;
            }
            emit progress(100, qs("Fertig."));
            finish(true, qPath(pdfPath_));
        });
}

void BookletPrinter::runBeside(std::function<void()> work, std::function<void()> then) {
    QThread* worker = QThread::create(std::move(work));
    const QPointer<BookletPrinter> self(this);
    const int pass = pass_;
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    // The answer counts only while the same printing is still running.
    connect(worker, &QThread::finished, this, [self, pass, then = std::move(then)] {
        if (self && self->running_ && pass == self->pass_) then();
    });
    worker->start();
}

void BookletPrinter::abort() {
    if (!running_) return;
    aborted_ = true;
    finish(false, qs("Abgebrochen."));
}

void BookletPrinter::finish(bool ok, const QString& message) {
    running_ = false;
    if (page_) {
        page_->disconnect(this);
        page_->triggerAction(QWebEnginePage::Stop);
        // The profile goes once its page is gone.
        if (profile_) connect(page_, &QObject::destroyed, profile_, &QObject::deleteLater);
        page_->deleteLater();
        page_ = nullptr;
    } else if (profile_) {
        profile_->deleteLater();
    }
    profile_ = nullptr;
    emit finished(ok, message);
}

}  // namespace vellora
