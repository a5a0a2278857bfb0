#pragma once

#include "lustra/lustra_export.h"

#include <QTreeWidget>

namespace LUSTRA {

// The library's tree control base.
class LUSTRA_API CTreeCtrlExt : public QTreeWidget {
    Q_OBJECT

public:
    explicit CTreeCtrlExt(QWidget* parent = nullptr) : QTreeWidget(parent) {}
};

} // namespace LUSTRA
