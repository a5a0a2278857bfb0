#pragma once

#include "lustra/lustra_export.h"

#include <QTreeWidget>

namespace LUSTRA {

// A report list: rows with columns and no tree decoration.
class LUSTRA_API CListCtrlExt : public QTreeWidget {
    Q_OBJECT

public:
    explicit CListCtrlExt(QWidget* parent = nullptr) : QTreeWidget(parent) {
        setRootIsDecorated(false);
    }
};

} // namespace LUSTRA
