#pragma once

#include <QDialog>

class QSpinBox;

namespace tarnel::ui {

// Asks the size of a new table: its rows and columns, each at least one and at most the limits
// given.
class CTableInsertDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "插入表格";
    static constexpr const char* kRowsLabel = "行数:";
    static constexpr const char* kColumnsLabel = "列数:";
    static constexpr int kDefaultRows = 3;
    static constexpr int kDefaultColumns = 3;

    CTableInsertDialog(int maxRows, int maxColumns, QWidget* parent = nullptr);

    int rows() const;
    int columns() const;

private:
    QSpinBox* m_rows;
    QSpinBox* m_columns;
};

} // namespace tarnel::ui
