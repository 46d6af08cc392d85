#pragma once
// The suitcase dialog "Aktenkoffer (Datenabgleich zwischen zwei PCs)" bound to TfrmSuitcase: the
// export tab, the import tab with one tab per section, the notes merge dialog "Cachenotizen
// editieren" and the window "Zusammenfassung".
#include <QDialog>
#include <array>
#include <memory>

#include "suitcase/Suitcase.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QWidget;

namespace vellora {

class DialogHost;
class ListingCommands;

// "Cachenotizen editieren": waypoint, cache name and the note to edit; only OK.
class NoteMergeDialog : public QDialog {
    Q_OBJECT
public:
    NoteMergeDialog(const std::string& waypoint, const std::string& cacheName,
                    const std::vector<std::string>& note, QWidget* parent = nullptr);
    // The note as it stands, however the dialog was closed.
    std::vector<std::string> note() const;
    QPlainTextEdit* editor() const { return edit_; }

private:
    QPlainTextEdit* edit_ = nullptr;
};

// "Zusammenfassung": the heading and the lines of the processed descriptions.
class SuitcaseSummaryDialog : public QDialog {
    Q_OBJECT
public:
    SuitcaseSummaryDialog(const std::string& heading, const std::vector<std::string>& lines,
                          QWidget* parent = nullptr);
};

class SuitcaseDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    explicit SuitcaseDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~SuitcaseDialog() override;

    TfrmSuitcase& model() { return model_; }

    QTabWidget* pages() const { return pages_; }
    QWidget* exportPage() const { return exportPage_; }
    QWidget* importPage() const { return importPage_; }
    QTabWidget* sectionTabs() const { return sections_; }
    QCheckBox* exportBox(int i) const { return exportBoxes_[std::size_t(i)]; }
    QCheckBox* takeOverBox(SuitcaseSection s) const { return takeOver_[std::size_t(s)]; }
    QLabel* sectionLabel(SuitcaseSection s) const { return sectionText_[std::size_t(s)]; }
    QCheckBox* saveSettingsBox() const { return saveSettings_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* commitButton() const { return commit_; }
    QPushButton* closeButton() const { return close_; }
    QLabel* statusLabel() const { return status_; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void modelChanged() override { refresh(); }
    void modelClosed() override { accept(); }
    void refresh();
    void storeControls();

    TfrmSuitcase model_;
    std::unique_ptr<DialogHost> host_;
    bool updating_ = false, busyCursor_ = false;
    // Whether the sections of the loaded suitcase have been shown once.
    bool loadShown_ = false;
    QTabWidget* pages_ = nullptr;
    QWidget* exportPage_ = nullptr;
    QWidget* importPage_ = nullptr;
    QTabWidget* sections_ = nullptr;
    std::array<QCheckBox*, 7> exportBoxes_{};
    std::array<QCheckBox*, kSuitcaseSectionCount> takeOver_{};
    std::array<QLabel*, kSuitcaseSectionCount> sectionText_{};
    std::array<QWidget*, kSuitcaseSectionCount> sectionOptions_{};
    QButtonGroup* impDB_ = nullptr;
    QButtonGroup* doubleFinds_ = nullptr;
    QButtonGroup* doubleCache_ = nullptr;
    QButtonGroup* doubleNotes_ = nullptr;
    QCheckBox* newWPList_ = nullptr;
    QLabel* newWPFile_ = nullptr;
    QCheckBox* showSummary_ = nullptr;
    QCheckBox* insertWorkList_ = nullptr;
    QCheckBox* postCreate_ = nullptr;
    QCheckBox* saveSettings_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* load_ = nullptr;
    QPushButton* commit_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

// mnuSuitcaseClick: the dialog, then the description generator over the output directory when the
// import asks for it, then the main window's refresh.
void openSuitcase(RunContext& ctx, QWidget* window, ListingCommands& listing,
                  const std::function<void()>& refresh);

}  // namespace vellora
