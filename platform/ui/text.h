#pragma once
// Text is 8-bit bytes in std::string; widgets take QString. Latin-1 both ways keeps every byte.
#include <QString>
#include <string>

namespace kvtu::ui {

inline QString to_qstring(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string to_bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace kvtu::ui
