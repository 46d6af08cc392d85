#pragma once
// The dialog "Export": source, format and the format's options over ListExportModel.
#include <QDialog>
#include <array>

#include "export/ListExport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;

namespace vellora {

class ExportDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    // The model lives as long as the main window, so that its choices last for the run.
    ExportDialog(RunContext& ctx, ListExportModel& model, QWidget* parent);
    ~ExportDialog() override;

private:
    void modelChanged() override;
    void modelClosed() override { accept(); }
    void done(int result) override;
    QCheckBox* check(QWidget* page, const char* caption, bool ListExportOpts::*member, const char* name);

    RunContext& ctx_;
    ListExportModel& model_;
    bool updating_ = false;
    QComboBox* source_ = nullptr;
    QLabel* dirNote_ = nullptr;
    QComboBox* format_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    std::vector<std::pair<QCheckBox*, bool ListExportOpts::*>> checks_;
    QCheckBox* foundDate_ = nullptr;
    QComboBox* csvSeparator_ = nullptr;
    QComboBox* csvHome_ = nullptr;
    QComboBox* ovlColour_ = nullptr;
    QComboBox* ovlSize_ = nullptr;
    QComboBox* psionInfo_ = nullptr;
    QComboBox* oziNumber_ = nullptr;
    QComboBox* oziDate_ = nullptr;
    QLineEdit* oziFont_ = nullptr;
    QLineEdit* oziSymSize_ = nullptr;
    std::array<QLineEdit*, 4> oziSym_{};
    QComboBox* whichHomes_ = nullptr;
    QPlainTextEdit* gpxTemplate_ = nullptr;
    QComboBox* template_ = nullptr;
    QCheckBox* save_ = nullptr;
};

}  // namespace vellora
