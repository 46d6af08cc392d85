#pragma once
// Turns the booklet's HTML file into the finished PDF with Qt WebEngine, without blocking the
// event loop: the engine lays the document out and prints it; the page each cache starts on is
// read from the PDF's named destinations and written into the contents, and the document is
// printed again until the numbers hold (they can move the layout); then every page gets its
// footer and the PDF is written atomically. An abort leaves no PDF behind.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QByteArray;
class QWebEnginePage;
class QWebEngineProfile;

namespace vellora {

struct PdfDestinations;

class BookletPrinter : public QObject {
    Q_OBJECT
public:
    // htmlPath: the booklet with its page-number marks, in the directory of the descriptions (its
    // images are relative); it is rewritten with the numbers found.
    BookletPrinter(std::string htmlPath, std::string pdfPath, QObject* parent = nullptr);
    ~BookletPrinter() override;

    void start();
    void abort();
    bool running() const { return running_; }
    bool aborted() const { return aborted_; }
    const std::string& pdfPath() const { return pdfPath_; }
    int passes() const { return pass_; }

    // The most layouts tried before the numbers of the last one are taken as they are.
    static constexpr int kMaxPasses = 4;

signals:
    void progress(int percent, const QString& step);
    // ok: the PDF is written; otherwise message says why (German), or that it was aborted.
    void finished(bool ok, const QString& message);

private:
    void printPass();
    void onLoaded(bool ok);
    void onPrinted(int pass, const QByteArray& pdf);
    void onPagesRead(const QByteArray& pdf, const std::optional<PdfDestinations>& dests,
                     const std::string& error);
    void stampAndWrite(const QByteArray& pdf);
    // Runs work on a thread of its own, then `then` on this object's thread if the printing is
    // still the same.
    void runBeside(std::function<void()> work, std::function<void()> then);
    void finish(bool ok, const QString& message);

    std::string htmlPath_, pdfPath_;
    std::string markedHtml_;
    std::vector<std::string> waypoints_;
    std::map<std::string, int> pages_;
    int pass_ = 0;
    bool running_ = false;
    bool aborted_ = false;
    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
};

// Before the QApplication exists: what Qt WebEngine needs from the process (shared OpenGL
// contexts; Chromium's sandbox refuses to run as root, so it is switched off only then).
void prepareWebEngineProcess();

}  // namespace vellora
