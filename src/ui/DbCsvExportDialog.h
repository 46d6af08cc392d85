#pragma once
// The dialog "CSV-Export der Cache-Datenbank": column switches over DbCsvExportModel.
#include <QDialog>
#include <array>

#include "export/DbCsvExport.h"

class QCheckBox;

namespace vellora {

class DbCsvExportDialog : public QDialog, private DialogModel::Observer {
    Q_OBJECT
public:
    DbCsvExportDialog(RunContext& ctx, QWidget* parent);
    ~DbCsvExportDialog() override;

private:
    void modelClosed() override { accept(); }

    DbCsvExportModel model_;
    std::array<QCheckBox*, kDbCsvColumnCount> columns_{};
    QCheckBox* headline_ = nullptr;
};

}  // namespace vellora
