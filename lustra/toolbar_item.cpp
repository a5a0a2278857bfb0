#include "lustra/toolbar_item.h"

#include "toolbar_label.h"

#include <QString>
#include <QStringEncoder>
#include <cstring>

namespace LUSTRA {
namespace {

constexpr int kLabelBytes = 19; // in GB18030

} // namespace

void SetToolbarItemText(ST_TOOLBAR_ITEM& item, const char* text) {
    std::memset(item.szText, 0, sizeof item.szText);
    const QString label = QString::fromUtf8(text ? text : "");
    QStringEncoder gb18030("GB18030");
    int gbBytes = 0;
    std::size_t utf8Bytes = 0;
    for (qsizetype at = 0; at < label.size();) {
        const qsizetype length = label.at(at).isHighSurrogate() ? 2 : 1;
        const QString character = label.mid(at, length);
        const QByteArray utf8 = character.toUtf8();
        const QByteArray encoded = gb18030.encode(character);
        gbBytes += int(encoded.size());
        if (gbBytes > kLabelBytes || utf8Bytes + utf8.size() >= sizeof item.szText) {
            break;
        }
        std::memcpy(item.szText + utf8Bytes, utf8.constData(), std::size_t(utf8.size()));
        utf8Bytes += std::size_t(utf8.size());
        at += length;
    }
}

QString ToolbarItemLabel(const ST_TOOLBAR_ITEM& item) {
    return QString::fromUtf8(item.szText, qsizetype(strnlen(item.szText, sizeof item.szText)));
}

} // namespace LUSTRA
