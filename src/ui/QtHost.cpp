#include "ui/QtHost.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <climits>

#include "ui/DialogUtil.h"
#include "ui/QtText.h"

namespace vellora {

QtHost::~QtHost() {
    delete wait_;
}

MsgResult QtHost::message(MsgKind kind, MsgButtons buttons, const std::string& text) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
        case MsgKind::Warning:
            icon = QMessageBox::Warning;
            break;
        case MsgKind::Error:
            icon = QMessageBox::Critical;
            break;
        case MsgKind::Information:
            icon = QMessageBox::Information;
            break;
        case MsgKind::Confirmation:
            icon = QMessageBox::Question;
            break;
    }
    // A start-up splash still showing would sit under the box and cover the window: it goes first.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowType() == Qt::SplashScreen) w->close();
    }
    QMessageBox box(icon, qs(captionOf(kind)), qs(text), QMessageBox::NoButton, window_);
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    switch (buttons) {
        case MsgButtons::Ok:
            ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
            break;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoDefaultNo:
            yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
            no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
            break;
        case MsgButtons::YesNoCancel:
            yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
            no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
            cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
            break;
        case MsgButtons::Cancel:
            cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
            break;
    }
    // Closing the box answers like its last button: OK, No or Cancel.
    box.setEscapeButton(cancel ? cancel : no ? no : ok);
    box.setDefaultButton(buttons == MsgButtons::YesNoDefaultNo ? no : yes ? yes : ok ? ok : cancel);
    centreOver(&box, window_);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == yes) return MsgResult::Yes;
    if (clicked && clicked == no) return MsgResult::No;
    if (clicked && clicked == ok) return MsgResult::Ok;
    if (cancel) return MsgResult::Cancel;
    return no ? MsgResult::No : MsgResult::Ok;
}

void QtHost::beginProgress(const std::string& text, std::int64_t max) {
    if (!wait_) {
        wait_ = new QDialog(window_, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        wait_->setObjectName(QStringLiteral("waitWindow"));
        wait_->setWindowTitle(qs(kWaitCaption));
        wait_->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(wait_);
        waitText_ = new QLabel(wait_);
        waitText_->setMinimumWidth(320);
        waitBar_ = new QProgressBar(wait_);
        layout->addWidget(waitText_);
        layout->addWidget(waitBar_);
    }
    scale_ = max > INT_MAX ? static_cast<double>(INT_MAX) / static_cast<double>(max) : 1.0;
    waitText_->setText(qs(text));
    waitBar_->setRange(0, static_cast<int>(static_cast<double>(std::max<std::int64_t>(max, 0)) * scale_));
    waitBar_->setValue(0);
    centreOver(wait_, window_);
    wait_->show();
    QApplication::processEvents();
}

void QtHost::setProgress(std::int64_t position) {
    if (!wait_) return;
    waitBar_->setValue(static_cast<int>(static_cast<double>(position) * scale_));
}

void QtHost::setProgressText(const std::string& text) {
    if (wait_) waitText_->setText(qs(text));
}

void QtHost::endProgress() {
    if (wait_) wait_->hide();
}

void QtHost::processEvents() {
    QApplication::processEvents();
}

QString qtFilterString(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QStringList patterns;
        for (const QString& p : qs(f.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        // Names like "GPX-Dateien (*.gpx)" carry their patterns already: Qt reads the last group.
        QString name = qs(f.name).trimmed();
        if (name.endsWith(QLatin1Char(')')) && name.contains(QLatin1Char('(')))
            name = name.left(name.lastIndexOf(QLatin1Char('('))).trimmed();
        parts << name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")");
    }
    return parts.join(QStringLiteral(";;"));
}

std::vector<std::string> QtHost::chooseOpenFiles(const FileDialogOptions& chooser, bool multiple) {
    std::vector<std::string> result;
    const QString filter = qtFilterString(chooser.filters);
    const QString title = qs(chooser.title);
    const QString start = qPath(chooser.startDir);
    if (multiple) {
        for (const QString& f : QFileDialog::getOpenFileNames(window_, title, start, filter))
            result.push_back(pathOf(f));
    } else {
        const QString f = QFileDialog::getOpenFileName(window_, title, start, filter);
        if (!f.isEmpty()) result.push_back(pathOf(f));
    }
    return result;
}

std::optional<std::string> QtHost::chooseSaveFile(const FileDialogOptions& chooser) {
    QString start = qPath(chooser.startDir);
    if (!chooser.defaultName.empty()) start = QDir(start).filePath(qPath(chooser.defaultName));
    QString name =
        QFileDialog::getSaveFileName(window_, qs(chooser.title), start, qtFilterString(chooser.filters),
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return std::nullopt;
    QString ext = qs(chooser.defaultExtension);
    if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    if (!ext.isEmpty() && QFileInfo(name).suffix().isEmpty()) name += QLatin1Char('.') + ext;
    if (QFileInfo::exists(name)) {
        const std::string question = "Die Datei " + cp(name) +
                                     " existiert bereits.\r\nSoll sie \xFC"
                                     "berschrieben werden?";
        if (message(MsgKind::Confirmation, MsgButtons::YesNoDefaultNo, question) != MsgResult::Yes)
            return std::nullopt;
    }
    return pathOf(name);
}

std::optional<std::string> QtHost::chooseFolder(const std::string& title, const std::string& startDir) {
    const QString dir = QFileDialog::getExistingDirectory(window_, qs(title), qPath(startDir));
    if (dir.isEmpty()) return std::nullopt;
    return pathOf(dir);
}

std::optional<Rgb> QtHost::chooseColour(Rgb initial) {
    const QColor c =
        QColorDialog::getColor(QColor(initial.r, initial.g, initial.b), window_, qs("Farbe ausw\xE4hlen"));
    if (!c.isValid()) return std::nullopt;
    return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue())};
}

bool QtHost::openWithSystem(const std::string& pathOrUrl) {
    const bool isUrl = pathOrUrl.find("://") != std::string::npos || pathOrUrl.rfind("mailto:", 0) == 0;
    const QUrl url = isUrl ? QUrl(qs(pathOrUrl)) : QUrl::fromLocalFile(qPath(pathOrUrl));
    return QDesktopServices::openUrl(url);
}

void QtHost::setClipboardText(const std::string& text) {
    if (QClipboard* clip = QGuiApplication::clipboard()) clip->setText(qs(text));
}

}  // namespace vellora
