#include "ui/CoordInputDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

CoordInputDialog::CoordInputDialog(TCoordInput& model, bool showTooltips, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(qs(kCoordInputCaption));
    setObjectName(QStringLiteral("frmCoordInput"));
    for (CoordBox b : kAllCoordBoxes) {
        auto* edit = new QLineEdit(this);
        edit->setMaxLength(static_cast<int>(coordBoxMaxLength(b)));
        edit->setAlignment(Qt::AlignRight);
        edit->installEventFilter(this);
        const bool degrees = b == CoordBox::LatDegrees || b == CoordBox::LonDegrees;
        edit->setFixedWidth(degrees ? 44 : 84);
        connect(edit, &QLineEdit::textEdited, this,
                [this, b](const QString& text) { model_.setBoxText(b, cp(text)); });
        boxes_[static_cast<std::size_t>(b)] = edit;
    }
    box(CoordBox::LatDecimal)->setFixedWidth(96);
    box(CoordBox::LonDecimal)->setFixedWidth(96);

    const QString lat = qs("Breite:");
    const QString lon = qs("L\xE4nge:");
    const QString deg = qs("\xB0");

    auto* degMin = new QGroupBox(qs(kCoordInputDegMinGroup), this);
    auto* g1 = new QGridLayout(degMin);
    g1->addWidget(new QLabel(lat, degMin), 0, 0);
    g1->addWidget(box(CoordBox::LatDegrees), 0, 1);
    g1->addWidget(new QLabel(deg, degMin), 0, 2);
    g1->addWidget(box(CoordBox::LatMinutes), 0, 3);
    g1->addWidget(new QLabel(QStringLiteral("'"), degMin), 0, 4);
    g1->addWidget(new QLabel(lon, degMin), 1, 0);
    g1->addWidget(box(CoordBox::LonDegrees), 1, 1);
    g1->addWidget(new QLabel(deg, degMin), 1, 2);
    g1->addWidget(box(CoordBox::LonMinutes), 1, 3);
    g1->addWidget(new QLabel(QStringLiteral("'"), degMin), 1, 4);
    g1->setColumnStretch(5, 1);

    auto* decimal = new QGroupBox(qs(kCoordInputDecimalGroup), this);
    auto* g2 = new QGridLayout(decimal);
    g2->addWidget(new QLabel(lat, decimal), 0, 0);
    g2->addWidget(box(CoordBox::LatDecimal), 0, 1);
    g2->addWidget(new QLabel(deg, decimal), 0, 2);
    g2->addWidget(new QLabel(lon, decimal), 1, 0);
    g2->addWidget(box(CoordBox::LonDecimal), 1, 1);
    g2->addWidget(new QLabel(deg, decimal), 1, 2);
    g2->setColumnStretch(3, 1);

    auto* hemi = new QGroupBox(qs(kCoordInputHemisphereGroup), this);
    auto* g3 = new QGridLayout(hemi);
    latHemi_ = new QComboBox(hemi);
    for (const char* item : kLatHemispheres) latHemi_->addItem(qs(item));
    lonHemi_ = new QComboBox(hemi);
    for (const char* item : kLonHemispheres) lonHemi_->addItem(qs(item));
    g3->addWidget(new QLabel(lat, hemi), 0, 0);
    g3->addWidget(latHemi_, 0, 1);
    g3->addWidget(new QLabel(lon, hemi), 1, 0);
    g3->addWidget(lonHemi_, 1, 1);
    connect(latHemi_, &QComboBox::activated, this, [this](int i) { model_.setLatHemisphere(i); });
    connect(lonHemi_, &QComboBox::activated, this, [this](int i) { model_.setLonHemisphere(i); });

    descriptionGroup_ = new QGroupBox(qs(model_.descriptionTitle()), this);
    auto* g4 = new QVBoxLayout(descriptionGroup_);
    description_ = new QLineEdit(descriptionGroup_);
    description_->setMaxLength(static_cast<int>(kCoordDescriptionMaxLength));
    description_->setText(qs(model_.description()));
    setReadOnlyField(description_, !model_.descriptionEditable());
    description_->setToolTip(qs("Name des Koordinatenpaares"));
    g4->addWidget(description_);
    descriptionGroup_->setVisible(model_.descriptionShown());
    connect(description_, &QLineEdit::textEdited, this,
            [this](const QString& t) { model_.setDescription(cp(t)); });

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("lblProblem"));
    problem_->setWordWrap(true);
    QPalette warn = problem_->palette();
    warn.setColor(QPalette::WindowText, Qt::darkRed);
    problem_->setPalette(warn);
    problem_->hide();

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CoordInputDialog::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(degMin);
    top->addWidget(decimal);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(hemi);
    layout->addWidget(descriptionGroup_);
    layout->addWidget(problem_);
    layout->addWidget(buttons);

    box(CoordBox::LatDegrees)->setToolTip(qs("Grad der Breite"));
    box(CoordBox::LatMinutes)->setToolTip(qs("Minuten der Breite mit Dezimalstellen"));
    box(CoordBox::LonDegrees)->setToolTip(qs("Grad der L\xE4nge"));
    box(CoordBox::LonMinutes)->setToolTip(qs("Minuten der L\xE4nge mit Dezimalstellen"));
    box(CoordBox::LatDecimal)->setToolTip(qs("Breite in Grad mit Dezimalstellen"));
    box(CoordBox::LonDecimal)->setToolTip(qs("L\xE4nge in Grad mit Dezimalstellen"));

    model_.setObserver(this);
    model_.show();
    hemispheresChanged(model_.latHemisphere(), model_.lonHemisphere());
    for (CoordBox b : kAllCoordBoxes) boxFilled(b, model_.boxText(b));
    okEnabledChanged(model_.okEnabled());
    problemChanged(model_.problem());
    applyTooltips(this, showTooltips);
}

bool CoordInputDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        for (CoordBox b : kAllCoordBoxes) {
            QLineEdit* edit = box(b);
            if (watched != edit) continue;
            auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            // Keys without a character (cursor keys, Del) and shortcuts are the edit's own.
            if (text.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
            const QChar c = text.front();
            if (c == QChar('\b') || c.unicode() == 0x7F) return false;
            const auto taken =
                c.unicode() < 128 ? coordBoxFilterKey(b, static_cast<char>(c.unicode())) : std::nullopt;
            if (!taken) return true;
            if (*taken != static_cast<char>(c.unicode())) {
                edit->insert(QString(QChar(*taken)));
                model_.setBoxText(b, cp(edit->text()));
                return true;
            }
            return false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CoordInputDialog::boxFilled(CoordBox b, const std::string& text) {
    QLineEdit* edit = box(b);
    if (edit && edit->text() != qs(text)) edit->setText(qs(text));
}

void CoordInputDialog::hemispheresChanged(int latIndex, int lonIndex) {
    latHemi_->setCurrentIndex(latIndex);
    lonHemi_->setCurrentIndex(lonIndex);
}

void CoordInputDialog::okEnabledChanged(bool enabled) {
    if (ok_) ok_->setEnabled(enabled);
}

void CoordInputDialog::problemChanged(const std::string& text) {
    if (!problem_) return;
    problem_->setText(qs(text));
    problem_->setVisible(!text.empty());
}

void CoordInputDialog::okClicked() {
    model_.setLatHemisphere(latHemi_->currentIndex());
    model_.setLonHemisphere(lonHemi_->currentIndex());
    if (model_.accept()) accept();
}

bool editCoordinates(TCoordInput& model, QWidget* over, bool showTooltips) {
    CoordInputDialog dialog(model, showTooltips, over);
    const bool ok = execCentred(dialog, over) == QDialog::Accepted;
    model.setObserver(nullptr);
    return ok;
}

}  // namespace vellora
