#pragma once

#include <QString>
#include <string>
#include <string_view>

// The stores hold UTF-8; these are the two crossings between them and Qt's strings.
namespace tarnel::ui {

inline QString qtText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string utf8Text(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace tarnel::ui
