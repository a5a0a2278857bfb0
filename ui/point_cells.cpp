#include "ui/point_cells.h"

#include "platform/text_format.h"
#include "store/attribute_tables.h"
#include "ui/record_colors.h"
#include "ui/utf8_text.h"

#include <QMimeDatabase>
#include <algorithm>

namespace tarnel::ui {

using store::PointRecord;
namespace point = store::point;

QString PointCells::typeName(const PointRecord& p) const {
    QString name = qtText(p.name());
    QString suffix = name.contains('.') ? name.section('.', -1).toLower() : QString();
    auto it = m_typeNames.find(suffix);
    if (it != m_typeNames.end()) {
        return *it;
    }
    QString type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment();
    m_typeNames.insert(suffix, type);
    return type;
}

QVariant PointCells::data(const PointRecord& p, PointListModel::Column column, int row,
                          int role) const {
    const store::Record& values = p.values;
    switch (role) {
    case PointListModel::kStarRole:
        return static_cast<int>(values.integer(point::kStarNum));
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        std::optional<QColor> color =
            recordColor(values, role == Qt::ForegroundRole ? point::kForeColor : point::kBackColor);
        return color ? QVariant(*color) : QVariant();
    }
    case Qt::DecorationRole:
        if (column != PointListModel::Name || !m_icons) {
            return {};
        }
        return m_icons(p.displayType ? p.displayType->icon : store::kNoIcon);
    case Qt::EditRole:
        return column == PointListModel::Name ? qtText(p.name()) : QVariant();
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        break;
    default:
        return {};
    }
    switch (column) {
    case PointListModel::Stars:
        return role == Qt::AccessibleTextRole
                   ? QVariant(QStringLiteral("%1星").arg(values.integer(point::kStarNum)))
                   : QVariant();
    case PointListModel::Number:
        return row + 1;
    case PointListModel::Name:
        return qtText(p.name());
    case PointListModel::Preview:
        return values.integer(point::kState) != 0 ? QVariant("预览") : QVariant();
    case PointListModel::Comment:
        return values.integer(point::kHasComment) != 0 ? QVariant("有批注") : QVariant();
    case PointListModel::Attachments: {
        long long count = values.integer(point::kAppendNum);
        return count > 0 ? QVariant(count) : QVariant();
    }
    case PointListModel::Size:
        return QString::fromStdString(platform::formatSize(
            static_cast<std::uint64_t>(std::max(0LL, values.integer(point::kPointSize)))));
    case PointListModel::Type:
        return values.integer(point::kState) == 0 ? QString::fromUtf8(kMissingType) : typeName(p);
    case PointListModel::Date:
        return qtText(values.value(point::kModifyDate));
    default:
        return {};
    }
}

} // namespace tarnel::ui
