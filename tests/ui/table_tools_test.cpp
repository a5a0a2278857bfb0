#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "tests/richtext/document_dump.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/rich_text_bridge.h"
#include "ui/rich_text_editor.h"
#include "ui/table_insert_dialog.h"
#include "ui/table_tools.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextTable>
#include <cmath>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using richtext::RtfReader;
using richtext::RtfWriter;

// The editor's content as the save writes it, read back.
richtext::Document saved(CRichTextEditor& editor) {
    std::string bytes = RtfWriter().write(fromQt(*editor.document()));
    richtext::ReadResult read = RtfReader().read(bytes);
    EXPECT_EQ(read.status, richtext::ReadStatus::Complete) << read.message;
    EXPECT_EQ(RtfWriter().write(read.document), bytes);
    return read.document;
}

QTextTable* firstTable(CRichTextEditor& editor) {
    for (QTextFrame* frame : editor.document()->rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            return table;
        }
    }
    return nullptr;
}

void putCaret(CRichTextEditor& editor, const QTextTableCell& cell) {
    editor.setTextCursor(cell.firstCursorPosition());
}

void selectCells(CRichTextEditor& editor, const QTextTableCell& from, const QTextTableCell& to) {
    QTextCursor cursor = from.firstCursorPosition();
    cursor.setPosition(to.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);
}

void type(const QTextTableCell& cell, const char* text) {
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.insertText(QString::fromUtf8(text));
}

std::map<std::string, bool> enabledEntries(CRichTextEditor& editor) {
    QMenu menu;
    QMenu* tables = editor.tableTools().addMenu(menu);
    std::map<std::string, bool> out;
    for (QAction* action : tables->actions()) {
        if (!action->isSeparator()) {
            out[action->objectName().toStdString()] = action->isEnabled();
        }
    }
    return out;
}

TEST(TableToolsTest, ATableBuiltAndEditedInTheEditorIsSavedWithItsMerges) {
    CRichTextEditor editor;
    editor.setPlainText("intro");
    editor.moveCursor(QTextCursor::End);
    CTableTools& tools = editor.tableTools();
    tools.insertTable(2, 2);
    QTextTable* table = firstTable(editor);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(editor.textCursor().position(), table->cellAt(0, 0).firstPosition());
    type(table->cellAt(0, 0), "a");
    type(table->cellAt(0, 1), "b");
    type(table->cellAt(1, 0), "c");
    type(table->cellAt(1, 1), "d");

    putCaret(editor, table->cellAt(0, 1));
    tools.apply(TableEdit::InsertColumnRight);
    tools.apply(TableEdit::InsertRowBelow);
    type(table->cellAt(1, 2), "e");
    selectCells(editor, table->cellAt(0, 1), table->cellAt(0, 2));
    tools.apply(TableEdit::MergeCells);
    selectCells(editor, table->cellAt(1, 0), table->cellAt(2, 0));
    tools.apply(TableEdit::MergeCells);
    ASSERT_EQ(table->rows(), 3);
    ASSERT_EQ(table->columns(), 3);
    EXPECT_EQ(table->cellAt(0, 1).columnSpan(), 2);
    EXPECT_EQ(table->cellAt(1, 0).rowSpan(), 2);

    // The column inserted right of the caret's widens the table by its neighbour's width; the
    // row inserted below the first takes "c" and "d" down with them.
    const std::string cell = "  C x=";
    const std::string border = " border=10,10,10,10\n";
    const std::string merged = richtext::test::dump(saved(editor));
    EXPECT_EQ(merged, "P: []\"intro\"\nT\n R edge=0/108\n" + cell + "4320" + border +
                          "   P: []\"a\"\n" + cell + "12960" + border +
                          "   P: []\"b\"\n R edge=0/108\n" + cell + "4320 v=first" + border +
                          "   P:\n   P: []\"c\"\n" + cell + "8640" + border + "   P:\n" + cell +
                          "12960" + border + "   P: []\"e\"\n R edge=0/108\n" + cell +
                          "4320 v=continue" + border + "   P:\n" + cell + "8640" + border +
                          "   P: []\"d\"\n" + cell + "12960" + border + "   P:\n");

    // Split again, a column and a row taken away, and all of it undone step by step.
    putCaret(editor, table->cellAt(0, 1));
    tools.apply(TableEdit::SplitCell);
    EXPECT_EQ(table->cellAt(0, 1).columnSpan(), 1);
    tools.apply(TableEdit::DeleteColumns);
    putCaret(editor, table->cellAt(2, 1));
    tools.apply(TableEdit::DeleteRows);
    EXPECT_EQ(richtext::test::dump(saved(editor)),
              "P: []\"intro\"\nT\n R edge=0/108\n" + cell + "4320" + border + "   P: []\"a\"\n" +
                  cell + "8640" + border + "   P:\n R edge=0/108\n" + cell + "4320" + border +
                  "   P:\n   P: []\"c\"\n" + cell + "8640" + border + "   P: []\"e\"\n");
    for (int step = 0; step < 3; ++step) {
        editor.undo();
    }
    EXPECT_EQ(richtext::test::dump(saved(editor)), merged);
}

TEST(TableToolsTest, ARowOrColumnInsertedIntoAStoredTableLooksLikeItsNeighbour) {
    CRichTextEditor editor;
    richtext::ReadResult read = RtfReader().read(
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\trowd\\trgaph70\\trrh400\\clcbpat1"
        "\\clbrdrb\\brdrs\\brdrw20\\cellx1000\\clmgf\\cellx2000\\clmrg\\cellx3000\\pard\\intbl "
        "x\\cell y\\cell\\cell\\row}");
    toQt(read.document, *editor.document());
    QTextTable* table = firstTable(editor);
    ASSERT_NE(table, nullptr);
    putCaret(editor, table->cellAt(0, 0));
    editor.tableTools().apply(TableEdit::InsertRowAbove);
    editor.tableTools().apply(TableEdit::InsertColumnLeft);
    // The cells merged across became one as wide as both; the new row has a cell per column.
    const std::string shaded = " border=0,0,20,0 shading=#ff0000\n";
    EXPECT_EQ(richtext::test::dump(saved(editor)), "T\n R height=400 edge=0/70\n"
                                                   "  C x=1000" +
                                                       shaded +
                                                       "   P:\n"
                                                       "  C x=2000" +
                                                       shaded +
                                                       "   P:\n"
                                                       "  C x=3000\n   P:\n"
                                                       "  C x=4000\n   P:\n"
                                                       " R height=400 edge=0/70\n"
                                                       "  C x=1000" +
                                                       shaded +
                                                       "   P:\n"
                                                       "  C x=2000" +
                                                       shaded +
                                                       "   P: []\"x\"\n"
                                                       "  C x=4000\n   P: []\"y\"\n");

    // Taking every row away takes the table away.
    selectCells(editor, table->cellAt(0, 0), table->cellAt(1, 0));
    editor.tableTools().apply(TableEdit::DeleteRows);
    EXPECT_EQ(firstTable(editor), nullptr);
}

TEST(TableToolsTest, ATableInsertedInTextSplitsItsParagraphAndOneInACellNests) {
    CRichTextEditor editor;
    editor.setPlainText("intro");
    QTextCursor caret = editor.textCursor();
    caret.setPosition(2);
    editor.setTextCursor(caret);
    editor.tableTools().insertTable(1, 2);
    editor.tableTools().insertTable(1, 1);
    // The nested table takes the place of the cell's empty paragraph, which Qt keeps before it.
    EXPECT_EQ(richtext::test::dump(saved(editor)),
              "P: []\"in\"\nT\n R edge=0/108\n  C x=4320 border=10,10,10,10\n"
              "   T\n    R edge=0/108\n     C x=8640 border=10,10,10,10\n      P:\n   P:\n"
              "  C x=8640 border=10,10,10,10\n   P:\nP: []\"tro\"\n");
}

TEST(TableToolsTest, TextTypedIntoAnEmptyCellIsPlainAndShownAtTheSizeItIsSavedWith) {
    CRichTextEditor editor;
    RtfReader reader;
    toQt(reader
             .read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\trowd\\clcbpat1"
                   "\\cellx1000\\clcbpat1\\cellx2000\\pard\\intbl x\\cell\\cell\\row}")
             .document,
         *editor.document());
    QTextTable* table = firstTable(editor);
    ASSERT_NE(table, nullptr);
    putCaret(editor, table->cellAt(0, 1));
    QTest::keyClicks(&editor, "y");
    editor.tableTools().apply(TableEdit::InsertRowBelow);
    putCaret(editor, table->cellAt(1, 0));
    QTest::keyClicks(&editor, "z");
    // The cells keep their shading; the text in them has no background of its own.
    const std::string shaded = "  C x=1000 shading=#ff0000\n   P: []\"";
    const std::string next = "  C x=2000 shading=#ff0000\n   P:";
    EXPECT_EQ(richtext::test::dump(saved(editor)), "T\n R\n" + shaded + "x\"\n" + next +
                                                       " []\"y\"\n R\n" + shaded + "z\"\n" + next +
                                                       "\n");
    // Typed and stored text of the file's default size stand on lines of one height.
    editor.document()->setTextWidth(400);
    (void)editor.document()->size();
    const auto lineHeight = [&](int row, int column) {
        return table->cellAt(row, column)
            .firstCursorPosition()
            .block()
            .layout()
            ->lineAt(0)
            .height();
    };
    EXPECT_EQ(lineHeight(0, 1), lineHeight(0, 0));
    EXPECT_EQ(lineHeight(1, 0), lineHeight(0, 0));
}

// A table inserted after text in a font and size of its own is typed into in that font and size,
// and in nothing else of the text's format.
TEST(TableToolsTest, TextTypedIntoANewTableTakesTheFontAndSizeOfTheTextBeforeIt) {
    CRichTextEditor editor;
    toQt(RtfReader()
             .read("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0 \\'cb\\'ce\\'cc\\'e5;}}"
                   "{\\colortbl;\\red255\\green0\\blue0;}\\pard\\f0\\fs21\\b\\cf1 intro\\par}")
             .document,
         *editor.document());
    editor.moveCursor(QTextCursor::End);
    editor.tableTools().insertTable(1, 2);
    QTextTable* table = firstTable(editor);
    ASSERT_NE(table, nullptr);
    putCaret(editor, table->cellAt(0, 1));
    QTest::keyClicks(&editor, "a");
    richtext::Document document = saved(editor);
    ASSERT_EQ(document.paragraphs.size(), 2u);
    const richtext::TableCell& typedIn = document.paragraphs[1].table.at(0).rows.at(0).cells.at(1);
    ASSERT_EQ(typedIn.paragraphs.size(), 1u);
    ASSERT_EQ(typedIn.paragraphs[0].content.size(), 1u);
    richtext::TextRun expected{richtext::CharFormat{}, "a"};
    expected.format.font = "\u5B8B\u4F53";
    expected.format.sizeHalfPoints = 21;
    EXPECT_EQ(std::get<richtext::TextRun>(typedIn.paragraphs[0].content[0]), expected);
}

TEST(TableToolsTest, TabGoesFromCellToCellAndOnFromTheLastIntoANewRow) {
    CRichTextEditor editor;
    editor.setPlainText("intro");
    editor.moveCursor(QTextCursor::End);
    editor.tableTools().insertTable(2, 3);
    QTextTable* table = firstTable(editor);
    ASSERT_NE(table, nullptr);
    selectCells(editor, table->cellAt(0, 0), table->cellAt(0, 1));
    editor.tableTools().apply(TableEdit::MergeCells);
    selectCells(editor, table->cellAt(0, 2), table->cellAt(1, 2));
    editor.tableTools().apply(TableEdit::MergeCells);
    putCaret(editor, table->cellAt(0, 0));
    const auto caretCell = [&] {
        QTextTableCell cell = table->cellAt(editor.textCursor());
        EXPECT_EQ(editor.textCursor().position(), cell.firstPosition());
        return std::pair{cell.row(), cell.column()};
    };
    // Each merged cell is met once, at its first place.
    std::vector<std::pair<int, int>> visited = {caretCell()};
    for (int step = 0; step < 3; ++step) {
        QTest::keyClick(&editor, Qt::Key_Tab);
        visited.push_back(caretCell());
    }
    EXPECT_EQ(visited, (std::vector<std::pair<int, int>>{{0, 0}, {0, 2}, {1, 0}, {1, 1}}));
    QTest::keyClick(&editor, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(caretCell(), std::pair(1, 0));
    putCaret(editor, table->cellAt(1, 1));
    QTest::keyClick(&editor, Qt::Key_Tab);
    ASSERT_EQ(table->rows(), 3);
    EXPECT_EQ(caretCell(), std::pair(2, 0));
    // Outside a table a tab is a character of the text.
    editor.moveCursor(QTextCursor::Start);
    QTest::keyClick(&editor, Qt::Key_Tab);
    EXPECT_EQ(editor.document()->firstBlock().text(), QString("\tintro"));
}

TEST(TableToolsTest, CopiedCellsKeepTheirWidthsBordersShadingAndMerges) {
    CRichTextEditor editor;
    const std::string cell = "\\clbrdrb\\brdrs\\brdrw20\\clcbpat1";
    const std::string row =
        "\\trowd\\trgaph50\\cellx1000" + cell + "\\cellx2500" + cell + "\\cellx4000\\pard\\intbl ";
    toQt(RtfReader()
             .read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}" + row +
                   "a\\cell b\\cell c\\cell\\row\\trowd\\trgaph50\\cellx1000" + cell +
                   "\\clmgf\\cellx2500" + cell +
                   "\\clmrg\\cellx4000\\pard\\intbl d\\cell e\\cell\\cell\\row}")
             .document,
         *editor.document());
    QTextTable* table = firstTable(editor);
    ASSERT_NE(table, nullptr);
    selectCells(editor, table->cellAt(0, 1), table->cellAt(1, 2));
    editor.copy();
    const QByteArray rtf = QApplication::clipboard()->mimeData()->data(CRichTextEditor::kRtfMime);
    const std::string shaded = " border=0,0,20,0 shading=#ff0000\n";
    EXPECT_EQ(richtext::test::dump(RtfReader().read(rtf.toStdString()).document),
              "T\n R edge=0/50\n  C x=1500" + shaded + "   P: []\"b\"\n  C x=3000" + shaded +
                  "   P: []\"c\"\n R edge=0/50\n  C x=3000" + shaded + "   P: []\"e\"\n");
}

// A table of a web page or another program comes as HTML: Qt gives its cells' backgrounds to
// their text as well, and its border to the table, which the model keeps on each cell.
TEST(TableToolsTest, APastedHtmlTableKeepsItsBordersAndShading) {
    CRichTextEditor editor;
    auto* html = new QMimeData;
    html->setHtml("<table border=\"1\"><tr><td bgcolor=\"#ff0000\">a</td>"
                  "<td style=\"background-color:#00ff00\"><span style=\"background-color:#0000ff\">"
                  "b</span>c</td><td>d</td></tr></table>");
    QApplication::clipboard()->setMimeData(html);
    editor.paste();
    // Qt draws an HTML table's border grey.
    const std::string side = std::to_string(std::lround(1 / pixelsPerTwip())) + "#808080";
    const std::string border = " border=" + side + "," + side + "," + side + "," + side;
    EXPECT_EQ(richtext::test::dump(saved(editor)),
              "T\n R\n  C x=1440" + border + " shading=#ff0000\n   P: []\"a\"\n  C x=2880" +
                  border + " shading=#00ff00\n   P: [bg=#0000ff]\"b\" []\"c\"\n  C x=4320" +
                  border + "\n   P: []\"d\"\n");
}

TEST(TableToolsTest, EntriesAreEnabledOnlyWhereTheyApply) {
    CRichTextEditor editor;
    editor.setPlainText("text");
    const std::map<std::string, bool> outside = {
        {"insertTable", true},    {"insertRowAbove", false},   {"insertRowBelow", false},
        {"deleteRows", false},    {"insertColumnLeft", false}, {"insertColumnRight", false},
        {"deleteColumns", false}, {"mergeCells", false},       {"splitCell", false}};
    EXPECT_EQ(enabledEntries(editor), outside);

    editor.tableTools().insertTable(2, 2);
    QTextTable* table = firstTable(editor);
    std::map<std::string, bool> inCell = outside;
    for (const char* edit : {"insertRowAbove", "insertRowBelow", "deleteRows", "insertColumnLeft",
                             "insertColumnRight", "deleteColumns"}) {
        inCell[edit] = true;
    }
    EXPECT_EQ(enabledEntries(editor), inCell);
    selectCells(editor, table->cellAt(0, 0), table->cellAt(0, 1));
    EXPECT_TRUE(enabledEntries(editor)["mergeCells"]);
    editor.tableTools().apply(TableEdit::MergeCells);
    putCaret(editor, table->cellAt(0, 0));
    EXPECT_FALSE(enabledEntries(editor)["mergeCells"]);
    EXPECT_TRUE(enabledEntries(editor)["splitCell"]);

    // Tables nest as deep as the save keeps them.
    for (int depth = 1; depth < richtext::kMaxTableDepth; ++depth) {
        editor.tableTools().insertTable(1, 1);
    }
    EXPECT_FALSE(enabledEntries(editor)["insertTable"]);
    EXPECT_TRUE(enabledEntries(editor)["insertRowBelow"]);

    editor.setReadOnly(true);
    for (const auto& [name, enabled] : enabledEntries(editor)) {
        EXPECT_FALSE(enabled) << name;
    }
}

TEST(TableToolsTest, TheContextMenuInsertsATableOfTheSizeAsked) {
    CRichTextEditor editor;
    editor.resize(400, 300);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    std::vector<std::string> entries;
    test::whenShown(
        [] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return popup && popup->objectName() == "editorMenu" ? popup : nullptr;
        },
        [&](QWidget* popup) {
            auto* tables = popup->findChild<QMenu*>("tableMenu");
            ASSERT_NE(tables, nullptr);
            entries = test::entriesOf(*tables);
            test::whenModal([](QWidget* modal) {
                auto* dialog = qobject_cast<CTableInsertDialog*>(modal);
                ASSERT_NE(dialog, nullptr);
                EXPECT_EQ(dialog->windowTitle(), QString("插入表格"));
                dialog->findChild<QSpinBox*>("tableRows")->setValue(4);
                dialog->findChild<QSpinBox*>("tableColumns")->setValue(5);
                dialog->findChild<QPushButton*>("okButton")->click();
            });
            tables->findChild<QAction*>("insertTable")->trigger();
        });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            editor.viewport()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(editor.viewport(), &event);
    EXPECT_EQ(entries, (std::vector<std::string>{"插入表格...", "-", "在上方插入行", "在下方插入行",
                                                 "删除行", "-", "在左侧插入列", "在右侧插入列",
                                                 "删除列", "-", "合并单元格", "拆分单元格"}));
    ASSERT_EVENTUALLY(firstTable(editor) != nullptr);
    EXPECT_EQ(firstTable(editor)->rows(), 4);
    EXPECT_EQ(firstTable(editor)->columns(), 5);
}

} // namespace
} // namespace tarnel::ui
