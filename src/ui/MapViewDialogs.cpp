#include "ui/MapViewDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

#include "ui/QtText.h"

namespace vellora {

namespace {

QComboBox* choice(QWidget* parent, std::initializer_list<const char*> items, int current, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    for (const char* item : items) c->addItem(qs(item));
    c->setCurrentIndex(current);
    return c;
}

QDialogButtonBox* okCancel(QDialog* dialog, QFormLayout* form) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(qs("Abbrechen"));
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

MapViewDialog::MapViewDialog(MapViewModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(qs("Caches in GoogleMaps zeigen"));
    setObjectName(QStringLiteral("frmGoogleMaps"));
    source_ =
        choice(this, {"Arbeitsliste", "Fundliste", "aktives Ausgabeverzeichnis"}, model_.source, "rgSource");
    size_ = choice(this, {"640 x 480", "800 x 600", "1024 x 768"}, model_.sizeChoice, "rgSize");
    auto* form = new QFormLayout(this);
    form->addRow(qs("Welche Caches anzeigen?"), source_);
    form->addRow(qs("Kartengr\xF6\xDF"
                    "e"),
                 size_);
    connect(okCancel(this, form), &QDialogButtonBox::accepted, this, [this] {
        model_.source = source_->currentIndex();
        model_.sizeChoice = size_->currentIndex();
        model_.open();
        model_.ok();
        accept();
    });
}

ShowOneCacheDialog::ShowOneCacheDialog(ShowOneCacheModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(qs("in GoogleMaps zeigen"));
    setObjectName(QStringLiteral("frmGoogleShow"));
    display_ = choice(this, {"Karte", "Luftbild", "Hybrid"}, model_.display, "rgDisplay");
    zoom_ = choice(this,
                   {"Haus",
                    "Stra\xDF"
                    "e",
                    "Viertel/Ortsteil", "Stadt"},
                   model_.zoom, "rgZoom");
    auto* form = new QFormLayout(this);
    form->addRow(qs("Darstellung"), display_);
    form->addRow(qs("Zoomstufe"), zoom_);
    connect(okCancel(this, form), &QDialogButtonBox::accepted, this, [this] {
        model_.display = display_->currentIndex();
        model_.zoom = zoom_->currentIndex() < 0 ? 1 : zoom_->currentIndex();
        model_.open();
        model_.ok();
        accept();
    });
}

}  // namespace vellora
