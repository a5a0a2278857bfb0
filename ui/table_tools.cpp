#include "ui/table_tools.h"

#include "richtext/document.h"
#include "ui/rich_text_bridge.h"
#include "ui/table_insert_dialog.h"

#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextTable>
#include <algorithm>
#include <set>
#include <utility>

namespace tarnel::ui {
namespace {

using richtext::TableCell;
using richtext::TableRow;

// Word's gap between the text of two cells (half of it each side), in twips.
constexpr int kNewTableCellGap = 108;

struct Entry {
    TableEdit edit;
    const char* text;
    const char* name;
    bool separatorBefore;
};

constexpr Entry kEntries[] = {
    {TableEdit::InsertTable, table_texts::kInsertTable, "insertTable", false},
    {TableEdit::InsertRowAbove, table_texts::kInsertRowAbove, "insertRowAbove", true},
    {TableEdit::InsertRowBelow, table_texts::kInsertRowBelow, "insertRowBelow", false},
    {TableEdit::DeleteRows, table_texts::kDeleteRows, "deleteRows", false},
    {TableEdit::InsertColumnLeft, table_texts::kInsertColumnLeft, "insertColumnLeft", true},
    {TableEdit::InsertColumnRight, table_texts::kInsertColumnRight, "insertColumnRight", false},
    {TableEdit::DeleteColumns, table_texts::kDeleteColumns, "deleteColumns", false},
    {TableEdit::MergeCells, table_texts::kMergeCells, "mergeCells", true},
    {TableEdit::SplitCell, table_texts::kSplitCell, "splitCell", false},
};

// The rows and columns the cursor's edits act on: the selected cells, or the caret's cell with
// all it spans.
struct CellRange {
    int firstRow = 0;
    int rows = 1;
    int firstColumn = 0;
    int columns = 1;
};

CellRange rangeOf(const QTextCursor& cursor, const QTextTable& table) {
    CellRange range;
    if (cursor.hasComplexSelection()) {
        cursor.selectedTableCells(&range.firstRow, &range.rows, &range.firstColumn, &range.columns);
        return range;
    }
    QTextTableCell cell = table.cellAt(cursor.position());
    return {cell.row(), cell.rowSpan(), cell.column(), cell.columnSpan()};
}

int tableDepth(const QTextCursor& cursor) {
    int depth = 0;
    for (QTextFrame* frame = cursor.currentFrame(); frame; frame = frame->parentFrame()) {
        if (qobject_cast<QTextTable*>(frame)) {
            ++depth;
        }
    }
    return depth;
}

int distinctCells(const QTextTable& table, const CellRange& range) {
    std::set<std::pair<int, int>> origins;
    for (int r = range.firstRow; r < range.firstRow + range.rows; ++r) {
        for (int c = range.firstColumn; c < range.firstColumn + range.columns; ++c) {
            QTextTableCell cell = table.cellAt(r, c);
            origins.emplace(cell.row(), cell.column());
        }
    }
    return static_cast<int>(origins.size());
}

// The columns keep their widths; the ones right of a change move with it.
void setWidths(TableGrid& grid, const std::vector<int>& widths) {
    int boundary = grid.boundaries.empty() ? 0 : std::min(0, grid.boundaries.front() - 1);
    grid.boundaries.clear();
    for (int width : widths) {
        boundary += width;
        grid.boundaries.push_back(boundary);
    }
    for (TableRow& row : grid.rows) {
        for (std::size_t c = 0; c < row.cells.size() && c < grid.boundaries.size(); ++c) {
            row.cells[c].rightBoundary = grid.boundaries[c];
        }
    }
}

std::vector<int> widthsOf(const TableGrid& grid) {
    std::vector<int> widths;
    int previous = grid.boundaries.empty() ? 0 : std::min(0, grid.boundaries.front() - 1);
    for (int boundary : grid.boundaries) {
        widths.push_back(boundary - previous);
        previous = boundary;
    }
    return widths;
}

richtext::Table newTable(int rows, int columns) {
    const int width = std::max(1, CTableTools::kNewTableWidth / columns);
    const richtext::Border border{CTableTools::kNewTableBorder, std::nullopt};
    richtext::Table table;
    for (int r = 0; r < rows; ++r) {
        TableRow& row = table.rows.emplace_back();
        row.cellGap = kNewTableCellGap;
        for (int c = 0; c < columns; ++c) {
            TableCell& cell = row.cells.emplace_back();
            cell.rightBoundary = width * (c + 1);
            cell.top = cell.left = cell.bottom = cell.right = border;
            cell.paragraphs.emplace_back();
        }
    }
    return table;
}

} // namespace

CTableTools::CTableTools(QTextEdit& editor) : QObject(&editor), m_editor(editor) {}

QTextTable* CTableTools::currentTable() const {
    return m_editor.textCursor().currentTable();
}

bool CTableTools::canApply(TableEdit edit) const {
    if (m_editor.isReadOnly()) {
        return false;
    }
    const QTextCursor cursor = m_editor.textCursor();
    if (edit == TableEdit::InsertTable) {
        return tableDepth(cursor) < richtext::kMaxTableDepth;
    }
    QTextTable* table = cursor.currentTable();
    if (!table) {
        return false;
    }
    switch (edit) {
    case TableEdit::MergeCells:
        return cursor.hasComplexSelection() && distinctCells(*table, rangeOf(cursor, *table)) > 1;
    case TableEdit::SplitCell: {
        if (cursor.hasComplexSelection()) {
            return false;
        }
        QTextTableCell cell = table->cellAt(cursor.position());
        return cell.rowSpan() > 1 || cell.columnSpan() > 1;
    }
    default:
        return true;
    }
}

void CTableTools::apply(TableEdit edit) {
    if (!canApply(edit)) {
        return;
    }
    switch (edit) {
    case TableEdit::InsertTable: {
        CTableInsertDialog dialog(kMaxNewRows, kMaxNewColumns, &m_editor);
        if (dialog.exec() == QDialog::Accepted) {
            insertTable(dialog.rows(), dialog.columns());
        }
        break;
    }
    case TableEdit::InsertRowAbove:
    case TableEdit::InsertRowBelow:
    case TableEdit::DeleteRows:
        editRows(edit);
        break;
    case TableEdit::InsertColumnLeft:
    case TableEdit::InsertColumnRight:
    case TableEdit::DeleteColumns:
        editColumns(edit);
        break;
    case TableEdit::MergeCells:
        mergeCells();
        break;
    case TableEdit::SplitCell:
        splitCell();
        break;
    }
}

// A table inserted into an empty paragraph takes its place: Qt keeps a block before every table,
// and that one, left empty and unmarked, is no paragraph of the saved document.
void CTableTools::insertTable(int rows, int columns) {
    if (rows < 1 || columns < 1 || !canApply(TableEdit::InsertTable)) {
        return;
    }
    richtext::Document document;
    document.paragraphs.emplace_back().table.push_back(newTable(rows, columns));
    QTextCursor cursor = m_editor.textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const bool replacesParagraph = cursor.block().length() <= 1;
    const int blockStart = cursor.block().position();
    insertDocument(cursor, document);
    if (replacesParagraph) {
        QTextCursor before(m_editor.document()->findBlock(blockStart));
        if (before.block().length() <= 1) {
            QTextBlockFormat format = before.blockFormat();
            format.clearProperty(bridge::kParagraph);
            before.setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
    QTextCursor lastCell = cursor;
    lastCell.movePosition(QTextCursor::PreviousBlock);
    if (QTextTable* table = lastCell.currentTable()) {
        m_editor.setTextCursor(table->cellAt(0, 0).firstCursorPosition());
    }
    m_editor.ensureCursorVisible();
}

bool CTableTools::moveToNeighbourCell(bool forward) {
    QTextTable* table = currentTable();
    if (table == nullptr || m_editor.isReadOnly()) {
        return false;
    }
    const QTextTableCell current = table->cellAt(m_editor.textCursor());
    const int columns = table->columns();
    const int here = current.row() * columns + current.column();
    // A merged cell is met at every grid place it covers: it counts at its first.
    for (int place = forward ? here + current.columnSpan() : here - 1;
         place >= 0 && place < table->rows() * columns; place += forward ? 1 : -1) {
        const QTextTableCell cell = table->cellAt(place / columns, place % columns);
        if (cell.row() * columns + cell.column() == place) {
            m_editor.setTextCursor(cell.firstCursorPosition());
            return true;
        }
    }
    if (forward) {
        const int newRow = current.row() + current.rowSpan();
        apply(TableEdit::InsertRowBelow);
        m_editor.setTextCursor(table->cellAt(newRow, 0).firstCursorPosition());
    }
    return true;
}

// A table left without rows is taken away whole, as Qt does.
void CTableTools::editRows(TableEdit edit) {
    QTextTable* table = currentTable();
    QTextCursor cursor = m_editor.textCursor();
    const CellRange range = rangeOf(cursor, *table);
    TableGrid grid = tableGrid(*table);
    cursor.beginEditBlock();
    if (edit == TableEdit::DeleteRows) {
        if (range.rows >= table->rows()) {
            table->removeRows(0, table->rows());
            cursor.endEditBlock();
            return;
        }
        table->removeRows(range.firstRow, range.rows);
        grid.rows.erase(grid.rows.begin() + range.firstRow,
                        grid.rows.begin() + range.firstRow + range.rows);
    } else {
        const bool above = edit == TableEdit::InsertRowAbove;
        const int at = above ? range.firstRow : range.firstRow + range.rows;
        const TableRow like = grid.rows[static_cast<std::size_t>(above ? at : at - 1)];
        table->insertRows(at, 1);
        grid.rows.insert(grid.rows.begin() + at, like);
    }
    setTableGrid(*table, grid);
    cursor.endEditBlock();
}

void CTableTools::editColumns(TableEdit edit) {
    QTextTable* table = currentTable();
    QTextCursor cursor = m_editor.textCursor();
    const CellRange range = rangeOf(cursor, *table);
    TableGrid grid = tableGrid(*table);
    std::vector<int> widths = widthsOf(grid);
    cursor.beginEditBlock();
    if (edit == TableEdit::DeleteColumns) {
        if (range.columns >= table->columns()) {
            table->removeColumns(0, table->columns());
            cursor.endEditBlock();
            return;
        }
        table->removeColumns(range.firstColumn, range.columns);
        const auto first = static_cast<std::ptrdiff_t>(range.firstColumn);
        const auto end = first + range.columns;
        widths.erase(widths.begin() + first, widths.begin() + end);
        for (TableRow& row : grid.rows) {
            row.cells.erase(row.cells.begin() + first, row.cells.begin() + end);
        }
    } else {
        const bool left = edit == TableEdit::InsertColumnLeft;
        const int at = left ? range.firstColumn : range.firstColumn + range.columns;
        const auto like = static_cast<std::size_t>(left ? at : at - 1);
        table->insertColumns(at, 1);
        widths.insert(widths.begin() + at, widths[like]);
        for (TableRow& row : grid.rows) {
            const TableCell cell = row.cells[like];
            row.cells.insert(row.cells.begin() + at, cell);
        }
    }
    setWidths(grid, widths);
    setTableGrid(*table, grid);
    cursor.endEditBlock();
}

void CTableTools::mergeCells() {
    QTextTable* table = currentTable();
    QTextCursor cursor = m_editor.textCursor();
    TableGrid grid = tableGrid(*table);
    cursor.beginEditBlock();
    table->mergeCells(cursor);
    setTableGrid(*table, grid);
    cursor.endEditBlock();
}

void CTableTools::splitCell() {
    QTextTable* table = currentTable();
    QTextCursor cursor = m_editor.textCursor();
    QTextTableCell cell = table->cellAt(cursor.position());
    TableGrid grid = tableGrid(*table);
    cursor.beginEditBlock();
    table->splitCell(cell.row(), cell.column(), 1, 1);
    setTableGrid(*table, grid);
    cursor.endEditBlock();
}

// The edit runs once the menu has closed, so that a dialog it opens is not a child of the menu's
// own loop.
QMenu* CTableTools::addMenu(QMenu& menu) {
    QMenu* tables = menu.addMenu(QString::fromUtf8(table_texts::kMenu));
    tables->setObjectName("tableMenu");
    for (const Entry& entry : kEntries) {
        if (entry.separatorBefore) {
            tables->addSeparator();
        }
        QAction* action = tables->addAction(QString::fromUtf8(entry.text));
        action->setObjectName(entry.name);
        action->setEnabled(canApply(entry.edit));
        connect(
            action, &QAction::triggered, this, [this, edit = entry.edit] { apply(edit); },
            Qt::QueuedConnection);
    }
    return tables;
}

} // namespace tarnel::ui
