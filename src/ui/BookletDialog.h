#pragma once
// "Tourheft drucken": the booklet of the output directory printed while the window shows its
// progress and an abort; the finished PDF is opened with the system or named in a message.
#include <QDialog>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vellora {

class BookletPrinter;
class RunContext;

class BookletDialog : public QDialog {
    Q_OBJECT
public:
    // htmlPath: the booklet's HTML (shell/Booklet writeBookletHtml); pdfPath: where the PDF goes.
    BookletDialog(const std::string& htmlPath, const std::string& pdfPath, QWidget* parent = nullptr);
    ~BookletDialog() override;

    // Printing starts when the window shows.
    void showEvent(QShowEvent* event) override;
    void reject() override;

    BookletPrinter& printer() { return *printer_; }
    QProgressBar* progressBar() const { return bar_; }
    QPushButton* abortButton() const { return abort_; }
    bool succeeded() const { return ok_; }
    const QString& message() const { return message_; }

private:
    std::unique_ptr<BookletPrinter> printer_;
    QLabel* step_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* abort_ = nullptr;
    bool started_ = false;
    bool ok_ = false;
    QString message_;
};

// The menu command: the booklet of the output directory as kBookletFileName in it.
void printBooklet(RunContext& ctx, QWidget* parent);

}  // namespace vellora
