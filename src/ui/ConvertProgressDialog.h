#pragma once
// The progress window of a country database conversion "Cache-DB einlesen / konvertieren": heading,
// source and target file, the number of lines (while converting) or records (while merging)
// processed so far, and a progress bar. It follows a TfrmGCDBReader: it shows and hides with it.
#include <QDialog>
#include <cstdint>
#include <memory>

#include "core/DialogModel.h"

class QLabel;
class QProgressBar;

namespace vellora {

class DialogHost;
class RunContext;
class TfrmGCDBReader;

class ConvertProgressDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    ConvertProgressDialog(RunContext& ctx, QWidget* parent = nullptr);
    ~ConvertProgressDialog() override;

    // Follows the reader from now on, its progress included, until detach() (before the reader goes
    // away). The window shows and hides with the reader's.
    void attach(TfrmGCDBReader& reader);
    void detach();

    QLabel* headingLabel() const { return heading_; }
    QLabel* sourceLabel() const { return source_; }
    QLabel* targetLabel() const { return target_; }
    QLabel* countLabel() const { return count_; }
    QProgressBar* progressBar() const { return bar_; }
    // The largest count shown and the bar's range in the merge (0 while converting).
    std::int64_t highestCount() const { return highest_; }
    std::int64_t mergeRecords() const { return mergeRecords_; }

    void reject() override {}  // the window goes when the conversion has ended

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void modelChanged() override { sync(); }
    void sync();
    void showWindow();
    void hideWindow();
    void showPath(QLabel* label, const std::string& path);

    RunContext& ctx_;
    TfrmGCDBReader* reader_ = nullptr;
    std::unique_ptr<DialogHost> host_;
    QLabel* heading_ = nullptr;
    QLabel* source_ = nullptr;
    QLabel* target_ = nullptr;
    QLabel* count_ = nullptr;
    QProgressBar* bar_ = nullptr;
    std::string shownHeading_;
    std::int64_t highest_ = 0;
    std::int64_t mergeRecords_ = 0;
};

}  // namespace vellora
