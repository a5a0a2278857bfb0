#pragma once

#include <QObject>

class QMenu;
class QTextEdit;
class QTextTable;

namespace tarnel::ui {

// The texts of the table entries.
namespace table_texts {
inline constexpr const char* kMenu = "表格";
inline constexpr const char* kInsertTable = "插入表格...";
inline constexpr const char* kInsertRowAbove = "在上方插入行";
inline constexpr const char* kInsertRowBelow = "在下方插入行";
inline constexpr const char* kDeleteRows = "删除行";
inline constexpr const char* kInsertColumnLeft = "在左侧插入列";
inline constexpr const char* kInsertColumnRight = "在右侧插入列";
inline constexpr const char* kDeleteColumns = "删除列";
inline constexpr const char* kMergeCells = "合并单元格";
inline constexpr const char* kSplitCell = "拆分单元格";
} // namespace table_texts

enum class TableEdit {
    InsertTable,
    InsertRowAbove,
    InsertRowBelow,
    DeleteRows,
    InsertColumnLeft,
    InsertColumnRight,
    DeleteColumns,
    MergeCells,
    SplitCell,
};

// Inserts and edits the tables of an editor at its caret: a new table of rows by columns, rows
// above or below the selected ones, columns left or right of them, the selected rows or columns
// taken away, the selected cells merged into one and a merged cell split again. Each edit is one
// step of the editor's undo and keeps the layout the save writes (widths, borders, shading,
// merges) in step with what the editor shows; a new row or column looks like the one it was
// inserted beside. It lives as long as the editor, its parent. User-interface thread only.
class CTableTools : public QObject {
    Q_OBJECT

public:
    // Columns of a new table share this width, in twips (six inches, a page's text).
    static constexpr int kNewTableWidth = 8640;
    static constexpr int kNewTableBorder = 10;
    static constexpr int kMaxNewRows = 500;
    static constexpr int kMaxNewColumns = 63;

    explicit CTableTools(QTextEdit& editor);

    // False on a read-only editor; outside a table for the edits of one; for a merge, unless
    // the selection spans more than one cell; for a split, unless the caret's cell is merged;
    // for a new table, inside a table as deep as the save keeps them.
    bool canApply(TableEdit edit) const;
    // Does the edit when it can apply; a new table asks its size first.
    void apply(TableEdit edit);
    // Inserts a table of that many rows and columns at the caret, replacing the selection, and
    // puts the caret into its first cell.
    void insertTable(int rows, int columns);

    // Tab and Shift+Tab in a word processor's table: the caret goes to the start of the next or
    // the previous cell, row by row; from the last cell forward, into the first cell of a new
    // row below. False, and nothing done, outside a table or on a read-only editor.
    bool moveToNeighbourCell(bool forward);

    // Adds the table sub-menu with an entry per edit, enabled as canApply says now.
    QMenu* addMenu(QMenu& menu);

private:
    QTextTable* currentTable() const;
    void editRows(TableEdit edit);
    void editColumns(TableEdit edit);
    void mergeCells();
    void splitCell();

    QTextEdit& m_editor;
};

} // namespace tarnel::ui
