#include "ui/DbCsvExportDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/QtText.h"

namespace vellora {

DbCsvExportDialog::DbCsvExportDialog(RunContext& ctx, QWidget* parent) : QDialog(parent), model_(ctx) {
    setWindowTitle(qs("CSV-Export der Cache-Datenbank"));
    setObjectName(QStringLiteral("frmDBExport"));
    model_.setObserver(this);
    model_.open();
    auto* layout = new QVBoxLayout(this);
    for (int c = 0; c < kDbCsvColumnCount; ++c) {
        auto* box = new QCheckBox(qs(dbCsvColumnCaption(c)), this);
        box->setObjectName(QStringLiteral("cbColumn%1").arg(c + 1));
        box->setChecked(model_.options().columns[static_cast<std::size_t>(c)]);
        connect(box, &QCheckBox::toggled, this,
                [this, c](bool on) { model_.options().columns[static_cast<std::size_t>(c)] = on; });
        columns_[static_cast<std::size_t>(c)] = box;
        layout->addWidget(box);
    }
    headline_ = new QCheckBox(qs("Zeile mit \xDC"
                                 "berschrift ausgeben"),
                              this);
    headline_->setObjectName(QStringLiteral("cbHeadline"));
    headline_->setChecked(model_.options().headline);
    connect(headline_, &QCheckBox::toggled, this, [this](bool on) { model_.options().headline = on; });
    layout->addWidget(headline_);
    auto* exportButton = new QPushButton(qs("CSV-Export"), this);
    exportButton->setObjectName(QStringLiteral("btnExport"));
    auto* closeButton = new QPushButton(qs("Schlie\xDF"
                                           "en"),
                                        this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    connect(exportButton, &QPushButton::clicked, this, [this, exportButton] {
        exportButton->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        model_.exportRun();
        QApplication::restoreOverrideCursor();
        exportButton->setEnabled(true);
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

DbCsvExportDialog::~DbCsvExportDialog() {
    model_.setObserver(nullptr);
}

}  // namespace vellora
