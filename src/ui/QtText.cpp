#include "ui/QtText.h"

#include <QFile>

#include "core/Cp1252.h"

namespace vellora {

QString qs(std::string_view cp1252) {
    QString text = QString::fromStdString(utf8FromCp1252(cp1252));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string cp(const QString& text) {
    return cp1252FromUtf8(text.toStdString());
}

QString qPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string pathOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace vellora
