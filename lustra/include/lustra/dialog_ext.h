#pragma once

#include "lustra/lustra_export.h"

#include <QDialog>

namespace LUSTRA {

// The library's dialog base: a plain dialog that the program's dialogs derive from.
class LUSTRA_API CDialogExt : public QDialog {
    Q_OBJECT

public:
    explicit CDialogExt(QWidget* parent = nullptr) : QDialog(parent) {}
};

} // namespace LUSTRA
