#pragma once
// The one place where the program's Windows-1252 texts become QStrings and back, and where file
// paths (operating-system bytes) cross into Qt.
#include <QString>
#include <string>
#include <string_view>

namespace vellora {

// A Windows-1252 text for a widget; "\r\n" line breaks become "\n".
QString qs(std::string_view cp1252);
// A widget's text as Windows-1252 (characters it cannot hold become "?").
std::string cp(const QString& text);

// File paths are bytes as the file system has them, not Windows-1252.
QString qPath(const std::string& path);
std::string pathOf(const QString& path);

}  // namespace vellora
