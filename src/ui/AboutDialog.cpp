#include "ui/AboutDialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/Host.h"
#include "core/RunContext.h"
#include "shell/About.h"
#include "ui/DialogUtil.h"
#include "ui/QtText.h"
#include "ui/Resources.h"

namespace vellora {

AboutDialog::AboutDialog(RunContext& ctx, bool splash, QWidget* parent) : QDialog(parent), splash_(splash) {
    setWindowTitle(qs(kAboutCaption));
    setObjectName(QStringLiteral("frmAbout"));
    if (splash) setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setStyleSheet(QStringLiteral("QFrame { background: white; }"));
    auto* picture = new QLabel(frame);
    picture->setPixmap(programPixmap(QStringLiteral("vellora"), 112, 112));
    auto* name = new QLabel(qs(kProductName), frame);
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2 + 4);
    big.setBold(true);
    name->setFont(big);
    name->setStyleSheet(QStringLiteral("color: #1f6b37;"));
    auto* purpose = new QLabel(qs("Geocaches offline vorbereiten: Cache-Datenbank, Arbeitsliste,\n"
                                  "Cachebeschreibungen, Indexseite und Export"),
                               frame);
    version_ = new QLabel(qs(aboutVersionText(ctx)), frame);
    version_->setObjectName(QStringLiteral("lblVersion"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(purpose);
    texts->addSpacing(8);
    texts->addWidget(version_);
    texts->addStretch();
    auto* inner = new QHBoxLayout(frame);
    inner->addWidget(picture, 0, Qt::AlignTop);
    inner->addSpacing(12);
    inner->addLayout(texts);

    auto* links = new QGridLayout;
    int i = 0;
    for (const auto& link : aboutLinks(ctx)) {
        auto* b = new QPushButton(qs(link.caption), this);
        b->setToolTip(qs(link.url));
        b->setAutoDefault(false);
        const std::string url = link.url;
        Host* host = &ctx.host();
        connect(b, &QPushButton::clicked, this, [host, url] { host->openWithSystem(url); });
        links->addWidget(b, i / 3, i % 3);
        ++i;
    }

    close_ = new QPushButton(qs(kAboutCloseButton), this);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(links);
    layout->addLayout(bottom);

    if (splash) {
        close_->hide();
        QTimer::singleShot(kSplashMilliseconds, this, &QDialog::accept);
    }
    applyTooltips(this, ctx.settings.ShowTooltips);
}

AboutDialog* showSplash(RunContext& ctx, QWidget* over) {
    auto* splash = new AboutDialog(ctx, true, over);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    centreOver(splash, over);
    splash->show();
    return splash;
}

GreetingDialog::GreetingDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(qs(kGreetingCaption));
    setObjectName(QStringLiteral("frmGreeting"));
    auto* pictures = new QHBoxLayout;
    for (const char* name : {"greeting1", "greeting2", "greeting3"}) {
        auto* label = new QLabel(this);
        label->setPixmap(programPixmap(QString::fromLatin1(name), 120, 120));
        pictures->addWidget(label);
    }
    auto* text = new QLabel(qs(kGreetingText), this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    QFont f = text->font();
    f.setPointSize(f.pointSize() + 2);
    text->setFont(f);
    auto* button = new QPushButton(qs(kGreetingButton), this);
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictures);
    layout->addWidget(text);
    layout->addWidget(button, 0, Qt::AlignHCenter);
}

}  // namespace vellora
