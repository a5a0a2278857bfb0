#include "ops/point_editing.h"
#include "ops/point_removal.h"
#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "store/attribute_tables.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_window.h"
#include "ui/point_window.h"
#include "ui/reading_area.h"
#include "ui/rich_text_bridge.h"

#include <QLabel>
#include <QLayout>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
namespace fs = std::filesystem;
namespace point = store::point;

const std::string kStored = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hello\\par}";

std::string text(const char* pattern, const QString& argument) {
    return QString::fromUtf8(pattern).arg(argument).toStdString();
}

// A point "笔记.rtf" in category "工作", opened from the category window's list.
class ReadingAreaTest : public test::FrameTest {
protected:
    store::CategoryRecord* work = nullptr;
    long long pointId = 0;

    void SetUp() override {
        makeCategories({"工作", "生活"});
        start();
        work = category("工作");
    }

    void addPoint(const std::string& bytes) {
        store::CategoryStore& store = *work->owner;
        auto record = std::make_unique<store::PointRecord>();
        record->id = frame->base()->counters().next(store::IdKind::Point);
        record->values.setInteger(point::kId, record->id);
        record->values.setInteger(point::kClass, work->id);
        record->values.setValue(point::kName, "笔记.rtf");
        record->values.setInteger(point::kPointSize, static_cast<long long>(bytes.size()));
        record->values.setInteger(point::kState, 1);
        work->values.setInteger(store::category::kSize, static_cast<long long>(bytes.size()));
        pointId = record->id;
        test::writeBytes(store.contentPathOf(*work, *record), bytes);
        ASSERT_EQ(store.addPoint(*work, std::move(record)), 0);
    }
    fs::path contentFile() const { return data() / "Resource" / "分类列表" / "工作" / "笔记.rtf"; }

    // Opens the point by a double-click on its row; the reading area of its window.
    CReadingArea* openFromList() {
        frame->openCategoryWindow(*work);
        auto* list = frame->findChild<QTableView*>("pointList");
        EXPECT_NE(list, nullptr);
        emit list->doubleClicked(list->model()->index(0, 0));
        auto* window = dynamic_cast<CPointWindow*>(frame->currentWindow());
        EXPECT_NE(window, nullptr);
        return window ? window->readingArea() : nullptr;
    }
    store::PointRecord* record() { return work->owner->pointsOf(*work).find(pointId); }
};

TEST_F(ReadingAreaTest, APointOpensInItsOwnTabIsEditedAndSavedWithCtrlS) {
    addPoint(kStored);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(frame->currentWindow()->kind(), WindowKind::Point);
    EXPECT_EQ(frame->currentWindow()->name(), "笔记.rtf");
    EXPECT_EQ(area->editor()->toPlainText(), "Hello");
    EXPECT_FALSE(area->isModified());
    EXPECT_TRUE(area->findChild<QLabel*>("readingNotice")->isHidden());

    QTextEdit* editor = area->editor();
    editor->moveCursor(QTextCursor::End);
    frame->activateWindow();
    editor->setFocus();
    QTest::keyClicks(editor, " world");
    EXPECT_TRUE(area->isModified());
    EXPECT_TRUE(frame->currentWindow()->hasUnsavedContent());
    QTest::keySequence(editor, QKeySequence::Save);
    EXPECT_FALSE(area->isModified());

    std::string saved = test::readBytes(contentFile());
    EXPECT_EQ(saved, richtext::RtfWriter().write(fromQt(*editor->document())));
    richtext::Document back = richtext::RtfReader().read(saved).document;
    ASSERT_EQ(back.paragraphs.size(), 1u);
    const auto& run = std::get<richtext::TextRun>(back.paragraphs[0].content[0]);
    EXPECT_EQ(run.text, "Hello world");
    EXPECT_EQ(run.format.font, "Arial");
    EXPECT_EQ(run.format.sizeHalfPoints, 20);
    EXPECT_EQ(record()->values.integer(point::kPointSize), static_cast<long long>(saved.size()));
    EXPECT_EQ(work->size(), static_cast<long long>(saved.size()));
    EXPECT_TRUE(prompt.events().empty());

    // A second open of the point, by Enter on its row, shows the same tab.
    std::size_t windows = frame->windowCount();
    frame->openCategoryWindow(*work);
    auto* list = frame->findChild<QTableView*>("pointList");
    list->setCurrentIndex(list->model()->index(0, 0));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(frame->currentWindow()->kind(), WindowKind::Point);
    EXPECT_EQ(frame->windowCount(), windows);
}

TEST_F(ReadingAreaTest, TheCloseAndExitPromptsSaveDropOrKeepTheEdits) {
    addPoint(kStored);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    area->editor()->moveCursor(QTextCursor::End);
    area->editor()->insertPlainText("!");
    FrameWindow* window = frame->currentWindow();
    std::string question = text(reading::kSaveQuestion, "笔记.rtf");

    prompt.script({Answer::Cancel});
    EXPECT_FALSE(frame->closeWindow(window));
    EXPECT_EQ(frame->currentWindow(), window);
    EXPECT_TRUE(area->isModified());

    prompt.script({Answer::Cancel});
    EXPECT_FALSE(frame->exitCommand());
    EXPECT_EQ(test::readBytes(contentFile()), kStored);

    prompt.script({Answer::Yes});
    EXPECT_TRUE(frame->exitCommand());
    EXPECT_EQ(prompt.events(), (std::vector<test::PromptEvent>{
                                   asked(question, MessageIcon::Question, Buttons::YesNoCancel),
                                   asked(question, MessageIcon::Question, Buttons::YesNoCancel),
                                   asked(question, MessageIcon::Question, Buttons::YesNoCancel)}));
    EXPECT_NE(test::readBytes(contentFile()).find("Hello!"), std::string::npos);
}

TEST_F(ReadingAreaTest, APointRenamedWhileOpenIsNamedAndSavedByItsNewName) {
    addPoint(kStored);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    ops::OperationContext context{*frame->base(), platform::realFileSystem(), prompt};
    ASSERT_TRUE(ops::renamePoint(context, *work, *record(), "纪要.rtf").ok());
    ASSERT_EVENTUALLY_EQ(frame->findChild<QTabBar*>("windowTabs")->tabText(1), QString("纪要.rtf"));
    area->editor()->insertPlainText("Renamed ");
    prompt.script({Answer::Yes});
    EXPECT_TRUE(frame->closeWindow(frame->currentWindow()));
    EXPECT_EQ(prompt.events(),
              (std::vector<test::PromptEvent>{asked(text(reading::kSaveQuestion, "纪要.rtf"),
                                                    MessageIcon::Question, Buttons::YesNoCancel)}));
    fs::path renamed = contentFile().parent_path() / "纪要.rtf";
    EXPECT_NE(test::readBytes(renamed).find("Renamed"), std::string::npos);
}

TEST_F(ReadingAreaTest, NoAtTheCloseDropsTheEditsAndKeepsTheFile) {
    addPoint(kStored);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    area->editor()->insertPlainText("gone ");
    prompt.script({Answer::No});
    EXPECT_TRUE(frame->closeWindow(frame->currentWindow()));
    EXPECT_EQ(test::readBytes(contentFile()), kStored);
    EXPECT_EQ(prompt.answersLeft(), 0u);
}

TEST_F(ReadingAreaTest, ATruncatedFileOpensReadOnlyWithANotice) {
    const std::string truncated = "{\\rtf1 Hello {\\b half";
    addPoint(truncated);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(area->isReadOnly());
    EXPECT_TRUE(area->editor()->isReadOnly());
    auto* notice = area->findChild<QLabel*>("readingNotice");
    EXPECT_FALSE(notice->isHidden());
    EXPECT_TRUE(notice->text().startsWith(QString::fromUtf8(reading::kReadOnlyNotice)));
    EXPECT_TRUE(area->editor()->toPlainText().contains("half"));
    EXPECT_FALSE(area->save());
    EXPECT_EQ(test::readBytes(contentFile()), truncated);
}

TEST_F(ReadingAreaTest, ContentTheModelCannotKeepIsSavedOnlyAfterTheUserAgrees) {
    const std::string withPict = "{\\rtf1 Text{\\pict\\macpict 0011}\\par}";
    addPoint(withPict);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    area->editor()->insertPlainText("New ");
    std::string question = text(reading::kLossQuestion, "1 张图片");

    prompt.script({Answer::No});
    EXPECT_FALSE(area->save());
    EXPECT_EQ(test::readBytes(contentFile()), withPict);
    EXPECT_TRUE(area->isModified());

    prompt.script({Answer::Yes});
    EXPECT_TRUE(area->save());
    EXPECT_EQ(test::readBytes(contentFile()),
              richtext::RtfWriter().write(fromQt(*area->editor()->document())));
    EXPECT_EQ(area->editor()->toPlainText(), QString("New Text"));
    // Once agreed, later saves do not ask again.
    area->editor()->insertPlainText("x");
    EXPECT_TRUE(area->save());
    EXPECT_EQ(prompt.events(), (std::vector<test::PromptEvent>{
                                   asked(question, MessageIcon::Question, Buttons::YesNo),
                                   asked(question, MessageIcon::Question, Buttons::YesNo)}));
}

// Tables and list levels are kept, so they raise no question; only structure beyond what the
// model keeps does, and its text is saved all the same.
TEST_F(ReadingAreaTest, TablesAndListsSaveWithoutAskingAndDeeperNestingAsksFirst) {
    std::string deep = "{\\rtf1\\trowd\\cellx900\\pard\\intbl A\\cell\\row"
                       "{\\*\\listtable{\\list{\\listlevel\\levelnfc0}{\\listlevel\\levelnfc23}"
                       "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                       "\\pard\\ls1\\ilvl1 item\\par";
    for (int level = 1; level <= richtext::kMaxTableDepth + 1; ++level) {
        deep += "\\pard\\intbl\\itap" + std::to_string(level) + " L" + std::to_string(level);
        deep += level == 1 ? "\\cell" : "\\nestcell";
    }
    for (int level = richtext::kMaxTableDepth + 1; level >= 2; --level) {
        deep += "\\pard\\intbl\\itap" + std::to_string(level) +
                "{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}";
    }
    deep += "\\pard\\intbl\\row}";
    addPoint(deep);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    area->editor()->insertPlainText("x");
    prompt.script({Answer::Yes});
    EXPECT_TRUE(area->save());
    std::string question =
        text(reading::kLossQuestion, QString::fromUtf8(reading::kLostTableRows).arg(1));
    EXPECT_EQ(prompt.events(), (std::vector<test::PromptEvent>{
                                   asked(question, MessageIcon::Question, Buttons::YesNo)}));
    richtext::ReadResult saved = richtext::RtfReader().read(test::readBytes(contentFile()));
    std::string savedText = richtext::documentText(saved.document);
    for (const char* piece : {"A", "item", "L1", "L4", "L5"}) {
        EXPECT_NE(savedText.find(piece), std::string::npos) << piece;
    }
    // The caret starts in the line Qt keeps before the table: the typed text makes it a paragraph.
    ASSERT_EQ(saved.document.paragraphs.size(), 4u);
    EXPECT_EQ(richtext::documentText(saved.document).substr(0, 7), "x\nA\nite");
    EXPECT_TRUE(saved.document.paragraphs[1].isTable());
    EXPECT_EQ(saved.document.paragraphs[2].listLevel, 1);
    EXPECT_TRUE(saved.document.paragraphs[3].isTable());

    // The saved file keeps all it holds: opened again, it saves without a question.
    ASSERT_TRUE(area->openPoint(*work, *record()));
    area->editor()->insertPlainText("y");
    EXPECT_TRUE(area->save());
    EXPECT_EQ(prompt.events().size(), 1u);
}

TEST_F(ReadingAreaTest, TheToolBarSitsAboveOrBelowTheEditor) {
    addPoint(kStored);
    CReadingArea* area = openFromList();
    ASSERT_NE(area, nullptr);
    auto* bar = new QWidget;
    bar->setFixedHeight(25);
    area->setToolBar(bar, CReadingArea::ToolBarEdge::Bottom);
    area->resize(400, 300);
    QTest::qWait(0);
    area->layout()->activate();
    EXPECT_GT(bar->geometry().top(), area->editor()->geometry().top());
    area->setToolBar(bar, CReadingArea::ToolBarEdge::Top);
    area->layout()->activate();
    EXPECT_LT(bar->geometry().top(), area->editor()->geometry().top());
    EXPECT_EQ(bar->parentWidget(), area);
}

TEST_F(ReadingAreaTest, TheCommentEditorWritesNoFileWhileEmptyAndSavesThroughTheCommentOperation) {
    addPoint(kStored);
    ops::OperationContext context{*frame->base(), platform::realFileSystem(), prompt};
    fs::path commentFile = frame->base()->layout().commentFile(pointId, "笔记.rtf");
    CReadingArea comment(context);
    ASSERT_TRUE(comment.openComment(*work, *record()));
    EXPECT_EQ(comment.subject(), CReadingArea::Subject::Comment);
    EXPECT_TRUE(comment.isEmpty());

    EXPECT_TRUE(comment.save());
    EXPECT_FALSE(fs::exists(commentFile));
    EXPECT_EQ(record()->values.value(point::kHasComment), "");

    comment.editor()->insertPlainText("批注文字");
    prompt.script({Answer::Yes});
    EXPECT_TRUE(comment.runSavePrompt());
    std::string written = test::readBytes(commentFile);
    EXPECT_EQ(written, richtext::RtfWriter().write(fromQt(*comment.editor()->document())));
    EXPECT_EQ(record()->values.integer(point::kHasComment), 1);
    EXPECT_EQ(prompt.events(),
              (std::vector<test::PromptEvent>{asked(text(reading::kCommentSaveQuestion, "笔记.rtf"),
                                                    MessageIcon::Question, Buttons::YesNoCancel)}));
    EXPECT_EQ(test::readBytes(contentFile()), kStored);

    CReadingArea again(context);
    ASSERT_TRUE(again.openComment(*work, *record()));
    EXPECT_EQ(again.editor()->toPlainText(), QString("批注文字"));
    // Emptied, an existing comment is saved as an empty document: the file and the flag stay.
    again.editor()->clear();
    EXPECT_TRUE(again.save());
    EXPECT_EQ(test::readBytes(commentFile), richtext::RtfWriter().write({}));
    EXPECT_EQ(record()->values.integer(point::kHasComment), 1);
}

TEST_F(ReadingAreaTest, APointWindowClosesWhenItsPointIsRecycledAndStaysWhenItMoves) {
    addPoint(kStored);
    ASSERT_NE(openFromList(), nullptr);
    ops::OperationContext context{*frame->base(), platform::realFileSystem(), prompt};
    auto pointWindows = [&] {
        int count = 0;
        for (std::size_t i = 0; i < frame->windowCount(); ++i) {
            count += frame->windowAt(i)->kind() == WindowKind::Point ? 1 : 0;
        }
        return count;
    };
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_TRUE(ops::movePoint(context, *work, *record(), *category("生活")).ok());
    }
    EXPECT_EQ(pointWindows(), 1);
    store::CategoryRecord* life = category("生活");
    store::PointRecord* moved = life->owner->pointsOf(*life).find(pointId);
    ASSERT_NE(moved, nullptr);
    {
        ChangeDispatcher::Guard guard(frame->dispatcher());
        ASSERT_EQ(ops::recyclePoint(context, *life, *moved), 0);
    }
    EXPECT_EQ(pointWindows(), 0);
    EXPECT_TRUE(prompt.events().empty());
}

} // namespace
} // namespace tarnel::ui
