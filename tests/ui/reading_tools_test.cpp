#include "app/reading_tools.h"
#include "app/settings_file.h"
#include "app/toolbar_config.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "store/attribute_tables.h"
#include "tests/ui/frame_fixture.h"
#include "ui/background_menu.h"
#include "ui/colour_popup.h"
#include "ui/find_dialog.h"
#include "ui/picture_insert.h"
#include "ui/point_window.h"
#include "ui/reading_area.h"
#include "ui/reading_background.h"
#include "ui/reading_toolbar.h"
#include "ui/reading_tools_controller.h"
#include "ui/rich_text_bridge.h"

#include <QApplication>
#include <QBuffer>
#include <QColorDialog>
#include <QDockWidget>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::shown;
namespace fs = std::filesystem;
namespace point = store::point;

const std::string kStored = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hello world\\par}";

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

template <typename T> T* topLevel(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) {
            return qobject_cast<T*>(widget);
        }
    }
    return nullptr;
}

// A point "笔记.rtf" holding "Hello world", opened in its reading area with every tool shown.
class ReadingToolsTest : public test::FrameTest {
protected:
    store::CategoryRecord* work = nullptr;
    CReadingArea* area = nullptr;
    CReadingToolsController* tools = nullptr;
    CReadingToolbar* toolbar = nullptr;

    void SetUp() override {
        settings.readingTools = app::defaultReadingTools();
        makeCategories({"工作"});
        start();
        work = category("工作");
        addPoint(kStored);
        frame->openPointWindow(*work, *work->owner->pointsOf(*work).find(pointId));
        auto* window = dynamic_cast<CPointWindow*>(frame->currentWindow());
        ASSERT_NE(window, nullptr);
        area = window->readingArea();
        tools = area->findChild<CReadingToolsController*>();
        toolbar = qobject_cast<CReadingToolbar*>(area->toolBar());
        ASSERT_NE(tools, nullptr);
        ASSERT_NE(toolbar, nullptr);
    }

    long long pointId = 0;
    void addPoint(const std::string& bytes) {
        store::CategoryStore& store = *work->owner;
        auto record = std::make_unique<store::PointRecord>();
        record->id = frame->base()->counters().next(store::IdKind::Point);
        record->values.setInteger(point::kId, record->id);
        record->values.setInteger(point::kClass, work->id);
        record->values.setValue(point::kName, "笔记.rtf");
        record->values.setInteger(point::kPointSize, static_cast<long long>(bytes.size()));
        record->values.setInteger(point::kState, 1);
        pointId = record->id;
        test::writeBytes(store.contentPathOf(*work, *record), bytes);
        ASSERT_EQ(store.addPoint(*work, std::move(record)), 0);
    }
    fs::path contentFile() const { return data() / "Resource" / "分类列表" / "工作" / "笔记.rtf"; }

    QTextEdit& editor() { return *area->editor(); }
    void select(int from, int to) {
        QTextCursor cursor(editor().document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        editor().setTextCursor(cursor);
    }
    richtext::Document model() { return fromQt(*editor().document()); }
    std::vector<richtext::TextRun> runs() {
        std::vector<richtext::TextRun> out;
        const richtext::Document document = model();
        for (const auto& item : document.paragraphs.at(0).content) {
            if (const auto* run = std::get_if<richtext::TextRun>(&item)) {
                out.push_back(*run);
            }
        }
        return out;
    }
    LUSTRA::ST_TOOLBAR_ITEM* item(int kind) { return toolbar->pane().FindToolbarItem(kind, 0); }
    void click(int kind) {
        QTest::mouseClick(toolbar, Qt::LeftButton, {}, item(kind)->rcItem.center());
    }
    // Runs the tool while act answers the modal dialog it opens.
    template <typename Dialog> void withDialog(int kind, std::function<void(Dialog&)> act) {
        bool answered = false;
        test::whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<Dialog*>(modal);
            ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
            act(*dialog);
            answered = true;
        });
        tools->runTool(kind);
        EXPECT_TRUE(answered);
    }
    void chooseFile(int kind, const fs::path& file) {
        withDialog<QFileDialog>(kind, [&](QFileDialog& dialog) {
            EXPECT_EQ(dialog.objectName(), "insertPictureDialog");
            dialog.selectFile(QString::fromStdString(file.string()));
            QMetaObject::invokeMethod(&dialog, "accept");
        });
    }
    CColourPopup* openColourPopup(int kind) {
        tools->runTool(kind);
        CColourPopup* popup = nullptr;
        for (auto* candidate : toolbar->findChildren<CColourPopup*>()) {
            if (candidate->isVisible()) {
                popup = candidate;
            }
        }
        return popup;
    }
    // Shows the background menu and triggers its entry of that name.
    void fromBackgroundMenu(const char* name) {
        bool triggered = false;
        test::whenShown([] { return topLevel<QMenu>("backgroundMenu"); },
                        [&](QWidget* menu) {
                            auto* action = menu->findChild<QAction*>(name);
                            if (!action) {
                                for (QAction* a : menu->findChildren<QAction*>()) {
                                    if (a->text() == QString::fromUtf8(name)) {
                                        action = a;
                                    }
                                }
                            }
                            ASSERT_NE(action, nullptr) << name;
                            action->trigger();
                            triggered = true;
                        });
        tools->runTool(app::kToolBackground);
        EXPECT_TRUE(triggered);
    }
    QColor viewportPixel(QPoint at) {
        QApplication::processEvents();
        return editor().viewport()->grab().toImage().pixelColor(at);
    }
};

TEST_F(ReadingToolsTest, SaveAndCancelFollowTheEditsAndCancelAsksBeforeShowingTheStoredText) {
    EXPECT_EQ(item(app::kToolSave)->nState, CReadingToolbar::kDisabledState);
    EXPECT_EQ(item(app::kToolCancel)->nState, CReadingToolbar::kDisabledState);
    editor().moveCursor(QTextCursor::End);
    editor().insertPlainText("!");
    EXPECT_EQ(item(app::kToolSave)->nState, 0);
    EXPECT_EQ(item(app::kToolCancel)->nState, 0);

    prompt.script({Answer::No, Answer::Yes});
    click(app::kToolCancel);
    EXPECT_EQ(editor().toPlainText(), "Hello world!");
    click(app::kToolCancel);
    EXPECT_EQ(editor().toPlainText(), "Hello world");
    EXPECT_EQ(item(app::kToolCancel)->nState, CReadingToolbar::kDisabledState);
    EXPECT_EQ(prompt.events(),
              (std::vector{asked(tools::kRevertQuestion, MessageIcon::Question, Buttons::YesNo),
                           asked(tools::kRevertQuestion, MessageIcon::Question, Buttons::YesNo)}));
    EXPECT_EQ(test::readBytes(contentFile()), kStored);

    editor().moveCursor(QTextCursor::End);
    editor().insertPlainText(" again");
    click(app::kToolSave);
    EXPECT_EQ(item(app::kToolSave)->nState, CReadingToolbar::kDisabledState);
    richtext::Document saved = richtext::RtfReader().read(test::readBytes(contentFile())).document;
    EXPECT_EQ(std::get<richtext::TextRun>(saved.paragraphs.at(0).content.at(0)).text,
              "Hello world again");

    // Undo, cut and paste are the editor's own.
    tools->runTool(app::kToolUndo);
    EXPECT_EQ(editor().toPlainText(), "Hello world");
    select(0, 6);
    tools->runTool(app::kToolCut);
    EXPECT_EQ(editor().toPlainText(), "world");
    editor().moveCursor(QTextCursor::End);
    tools->runTool(app::kToolPaste);
    EXPECT_EQ(editor().toPlainText(), "worldHello ");
}

TEST_F(ReadingToolsTest, AnEffectGoesOffOnlyWhenTheWholeSelectionCarriesIt) {
    select(0, 5);
    tools->runTool(app::kToolBold);
    EXPECT_TRUE(runs().at(0).format.bold);
    EXPECT_FALSE(runs().at(1).format.bold);

    // Partly bold: the whole selection becomes bold; then all of it carries it, and it goes.
    select(0, 11);
    EXPECT_FALSE(tools->selectionCarries(app::kToolBold));
    tools->runTool(app::kToolBold);
    ASSERT_EQ(runs().size(), 1u);
    EXPECT_TRUE(runs()[0].format.bold);
    EXPECT_TRUE(tools->selectionCarries(app::kToolBold));
    tools->runTool(app::kToolBold);
    EXPECT_FALSE(runs()[0].format.bold);

    select(6, 11);
    tools->runTool(app::kToolItalic);
    tools->runTool(app::kToolUnderline);
    EXPECT_TRUE(runs().at(1).format.italic);
    EXPECT_TRUE(runs().at(1).format.underline);
    EXPECT_FALSE(runs().at(0).format.italic);

    // Without a selection the typing format takes the effect.
    editor().moveCursor(QTextCursor::End);
    tools->runTool(app::kToolBold);
    editor().insertPlainText("X");
    EXPECT_EQ(runs().back().text, "X");
    EXPECT_TRUE(runs().back().format.bold);
    EXPECT_EQ(runs().back().format.font, "Arial");

    // The format brush: picked up in "Hello", given to the next selection the user completes.
    editor().moveCursor(QTextCursor::Start);
    editor().moveCursor(QTextCursor::Right);
    select(0, 5);
    tools->runTool(app::kToolBold);
    select(2, 2);
    tools->runTool(app::kToolFormatBrush);
    EXPECT_EQ(item(app::kToolFormatBrush)->nState, CReadingToolbar::kPressedState);
    select(6, 11);
    QTest::mouseRelease(editor().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(item(app::kToolFormatBrush)->nState, 0);
    EXPECT_TRUE(runs().at(0).format.bold);
    EXPECT_FALSE(runs().at(1).format.italic);
    EXPECT_FALSE(runs().at(1).format.underline);

    // The font dialog sets size and style; the stored font name stays while the family shown
    // for it is not changed.
    select(0, 5);
    withDialog<QFontDialog>(app::kToolFont, [](QFontDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "fontDialog");
        QFont font(dialog.currentFont().family(), 16);
        font.setItalic(true);
        dialog.setCurrentFont(font);
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    EXPECT_EQ(runs().at(0).format.font, "Arial");
    EXPECT_EQ(runs().at(0).format.sizeHalfPoints, 32);
    EXPECT_TRUE(runs().at(0).format.italic);
    EXPECT_FALSE(runs().at(0).format.bold);
    EXPECT_EQ(runs().at(1).format.sizeHalfPoints, 20);
}

TEST_F(ReadingToolsTest, TheColourPopupsOfferFortyNamedColoursAndTheirDefaults) {
    select(0, 5);
    CColourPopup* popup = openColourPopup(app::kToolFontColor);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->findChild<QToolButton*>("colourDefault")->text(), "自动");
    EXPECT_EQ(popup->findChild<QToolButton*>("colourMore")->text(), "更多颜色");
    const QPoint origin = popup->findChild<QToolButton*>("colourCell0")->pos();
    const int step = popup->findChild<QToolButton*>("colourCell1")->x() - origin.x();
    const int rowStep = popup->findChild<QToolButton*>("colourCell8")->y() - origin.y();
    ASSERT_GT(step, 0);
    ASSERT_GT(rowStep, 0);
    const std::vector<std::string> expectedNames = {"Black", "Dark grey", "Dark red", "Pale green ",
                                                    "White"};
    std::vector<std::string> names;
    for (int i = 0; i < kColourColumns * kColourRows; ++i) {
        auto* cell = popup->findChild<QToolButton*>(QStringLiteral("colourCell%1").arg(i));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->pos(), origin + QPoint(i % 8 * step, i / 8 * rowStep)) << i;
        if (i == 0 || i == 7 || i == 8 || i == 35 || i == 39) {
            names.push_back(cell->toolTip().toStdString());
        }
        const QImage shown = cell->grab().toImage();
        const NamedColour& named = kPopupColours[static_cast<std::size_t>(i)];
        EXPECT_EQ(shown.pixelColor(shown.rect().center()),
                  QColor(named.red, named.green, named.blue))
            << named.name;
    }
    EXPECT_EQ(names, expectedNames);
    EXPECT_EQ(popup->findChild<QToolButton*>("colourCell16")->toolTip(), "Red");
    popup->findChild<QToolButton*>("colourCell16")->click();
    EXPECT_EQ(runs().at(0).format.color, (richtext::Color{255, 0, 0}));
    EXPECT_FALSE(runs().at(1).format.color.has_value());

    // "自动" is no colour of the text's own.
    openColourPopup(app::kToolFontColor)->findChild<QToolButton*>("colourDefault")->click();
    EXPECT_FALSE(runs().at(0).format.color.has_value());

    popup = openColourPopup(app::kToolFontBackground);
    EXPECT_EQ(popup->findChild<QToolButton*>("colourDefault")->text(), "取消字体背景颜色");
    popup->findChild<QToolButton*>("colourCell26")->click();
    EXPECT_EQ(runs().at(0).format.background, (richtext::Color{255, 255, 0}));
    openColourPopup(app::kToolFontBackground)->findChild<QToolButton*>("colourDefault")->click();
    EXPECT_FALSE(runs().at(0).format.background.has_value());

    // "更多颜色" asks the colour dialog.
    popup = openColourPopup(app::kToolFontColor);
    test::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "moreColoursDialog");
        dialog->setCurrentColor(QColor(1, 2, 3));
        dialog->accept();
    });
    popup->findChild<QToolButton*>("colourMore")->click();
    EXPECT_EQ(runs().at(0).format.color, (richtext::Color{1, 2, 3}));
    EXPECT_TRUE(prompt.events().empty());
}

TEST_F(ReadingToolsTest, TheBackgroundIsDrawnBehindTheTextAndKeptForTheNextStart) {
    const fs::path folder = program / "Background";
    fs::create_directories(folder);
    QImage picture = filled({20, 10}, Qt::red);
    test::writeBytes(folder / "b.bmp", encoded(picture, "BMP").toStdString());
    test::writeBytes(folder / "a.JPG", encoded(filled({4, 4}, Qt::green), "JPEG").toStdString());
    test::writeBytes(folder / "c.png", encoded(picture, "PNG").toStdString());
    editor().resize(300, 200);
    const QSize size = editor().viewport()->size();
    const QPoint corner(size.width() - 3, size.height() - 3);
    const QPoint middle(size.width() / 2, size.height() / 2);

    bool coloured = false;
    test::whenShown(
        [] { return topLevel<QMenu>("backgroundMenu"); },
        [&](QWidget* menu) {
            std::vector<std::string> entries = test::entriesOf(*static_cast<QMenu*>(menu));
            EXPECT_EQ(entries, (std::vector<std::string>{"设置背景颜色", "设置背景图片",
                                                         "默认图片背景", "图片显示模式"}));
            auto* pictures = menu->findChild<QMenu*>("defaultPictures");
            EXPECT_EQ(test::entriesOf(*pictures), (std::vector<std::string>{"a", "b"}));
            auto* layouts = menu->findChild<QMenu*>("backgroundLayouts");
            EXPECT_EQ(test::entriesOf(*layouts),
                      (std::vector<std::string>{"居中", "平铺", "拉伸"}));
            EXPECT_TRUE(menu->findChild<QAction*>("backgroundLayout0")->isChecked());
            menu->findChild<QAction*>("backgroundColour")->trigger();
            coloured = true;
        });
    tools->runTool(app::kToolBackground);
    ASSERT_TRUE(coloured);
    auto* popup = topLevel<CColourPopup>("colourPopup");
    ASSERT_NE(popup, nullptr);
    popup->findChild<QToolButton*>("colourCell13")->click();
    EXPECT_EQ(viewportPixel(corner), QColor(0, 0, 255));
    EXPECT_EQ(viewportPixel(middle), QColor(0, 0, 255));

    fromBackgroundMenu("b");
    EXPECT_EQ(viewportPixel(middle), QColor(Qt::red));
    EXPECT_EQ(viewportPixel(corner), QColor(0, 0, 255));
    EXPECT_EQ(viewportPixel(middle + QPoint(12, 0)), QColor(0, 0, 255));
    fromBackgroundMenu("backgroundLayout1");
    EXPECT_EQ(viewportPixel(corner), QColor(Qt::red));
    fromBackgroundMenu("backgroundLayout2");
    EXPECT_EQ(viewportPixel(corner), QColor(Qt::red));
    EXPECT_EQ(viewportPixel(middle + QPoint(12, 0)), QColor(Qt::red));

    std::string ini = test::readBytes(settings.settingsFile);
    EXPECT_NE(ini.find("BK_MODE=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("DISPLAY_MODE=2"), std::string::npos) << ini;
    EXPECT_NE(ini.find("BK_PIC=\\Background\\b.bmp"), std::string::npos) << ini;

    // A picture outside the program directory is found again from its relative setting.
    test::TempDir elsewhere;
    test::writeBytes(elsewhere / "far.bmp", encoded(picture, "BMP").toStdString());
    ASSERT_TRUE(frame->readingBackground().setPicture(elsewhere / "far.bmp"));
    EXPECT_EQ(settings.bkPic.rfind("\\..\\", 0), 0u) << settings.bkPic;
    EXPECT_TRUE(fs::equivalent(app::backgroundPicturePath(settings), elsewhere / "far.bmp"));

    // The next start reads the picture and its layout from the settings file.
    app::Settings next;
    next.settingsFile = settings.settingsFile;
    next.programDirectory = settings.programDirectory;
    app::SettingsFile().workspaceRead(next);
    CReadingBackground restored(next, platform::realFileSystem(), prompt);
    restored.loadFromSettings();
    EXPECT_EQ(restored.picture().size(), picture.size());
    EXPECT_EQ(restored.layout(), kStretched);
    EXPECT_TRUE(prompt.events().empty());
}

TEST_F(ReadingToolsTest, FindAsksAndTellsInOrderAndWrapsAround) {
    editor().setPlainText("abc x abc");
    tools->runTool(app::kToolFind);
    tools->runTool(app::kToolFind);
    ASSERT_EQ(area->findChildren<CFindDialog*>().size(), 1u);
    CFindDialog* dialog = tools->findDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    dialog->findChild<QLineEdit*>("findText")->setText("abc");
    auto* next = dialog->findChild<QPushButton*>("findNextButton");
    auto* previous = dialog->findChild<QPushButton*>("findPreviousButton");
    editor().moveCursor(QTextCursor::Start);
    next->click();
    EXPECT_EQ(editor().textCursor().selectionStart(), 0);
    tools->runTool(app::kToolFindNext);
    EXPECT_EQ(editor().textCursor().selectionStart(), 6);
    prompt.script({Answer::Yes, Answer::No});
    tools->runTool(app::kToolFindNext);
    EXPECT_EQ(editor().textCursor().selectionStart(), 0);
    tools->runTool(app::kToolFindPrevious);
    EXPECT_EQ(editor().textCursor().selectionStart(), 0);
    editor().moveCursor(QTextCursor::End);
    previous->click();
    EXPECT_EQ(editor().textCursor().selectionStart(), 6);
    tools->runTool(app::kToolFindPrevious);
    EXPECT_EQ(editor().textCursor().selectionStart(), 0);

    dialog->findChild<QLineEdit*>("findText")->setText("zzz");
    editor().moveCursor(QTextCursor::Start);
    next->click();
    EXPECT_EQ(prompt.events(),
              (std::vector{asked(finding::kWrapToStart, MessageIcon::Question, Buttons::YesNo),
                           asked(finding::kWrapToEnd, MessageIcon::Question, Buttons::YesNo),
                           shown(finding::kNotFound, MessageIcon::Information)}));
    EXPECT_EQ(prompt.answersLeft(), 0u);
}

TEST_F(ReadingToolsTest, PicturesAreInsertedAsModelPicturesOrRefusedWithTheirMessage) {
    test::TempDir files;
    const QByteArray jpeg = encoded(filled({8, 6}, Qt::blue), "JPEG");
    const QByteArray png = encoded(filled({5, 5}, Qt::green), "PNG");
    const QByteArray bmp = encoded(filled({3, 2}, Qt::red), "BMP");
    test::writeBytes(files / "p.jpg", jpeg.toStdString());
    test::writeBytes(files / "p.png", png.toStdString());
    test::writeBytes(files / "p.bmp", bmp.toStdString());
    test::writeBytes(files / "broken.jpg", "not a picture");
    test::writeBytes(files / "broken.gif", "GIF89a");
    editor().moveCursor(QTextCursor::End);
    for (const char* name : {"p.jpg", "p.png", "p.bmp", "broken.jpg", "broken.gif"}) {
        chooseFile(app::kToolInsertPicture, files / name);
    }
    std::vector<richtext::Picture> pictures;
    const richtext::Document document = model();
    for (const auto& item : document.paragraphs.at(0).content) {
        if (const auto* picture = std::get_if<richtext::Picture>(&item)) {
            pictures.push_back(*picture);
        }
    }
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures[0].format, richtext::PictureFormat::Jpeg);
    EXPECT_EQ(pictures[0].data, jpeg.toStdString());
    EXPECT_EQ(pictures[0].width, 8);
    EXPECT_EQ(pictures[1].format, richtext::PictureFormat::Png);
    EXPECT_EQ(pictures[1].data, png.toStdString());
    EXPECT_EQ(pictures[2].format, richtext::PictureFormat::Bmp);
    EXPECT_EQ(pictures[2].data, bmp.mid(14).toStdString());
    EXPECT_EQ(prompt.events(), (std::vector{shown(inserting::kJpgFailed, MessageIcon::Error),
                                            shown(inserting::kFailed, MessageIcon::Error)}));

    // They survive the save byte for byte.
    ASSERT_TRUE(area->save());
    richtext::Document saved = richtext::RtfReader().read(test::readBytes(contentFile())).document;
    EXPECT_EQ(saved, model());
}

TEST_F(ReadingToolsTest, ParagraphToolsWrapDockAndTheReadingMode) {
    select(0, 0);
    tools->runTool(app::kToolParaCenter);
    EXPECT_EQ(model().paragraphs[0].alignment, richtext::Alignment::Center);
    tools->runTool(app::kToolParaRight);
    EXPECT_EQ(model().paragraphs[0].alignment, richtext::Alignment::Right);
    tools->runTool(app::kToolParaLeft);
    EXPECT_EQ(model().paragraphs[0].alignment, richtext::Alignment::Left);
    tools->runTool(app::kToolParaBullet);
    EXPECT_EQ(model().paragraphs[0].list, richtext::ListKind::Bullet);
    const QTextBlock bulleted = editor().document()->firstBlock();
    EXPECT_GT(bulleted.textList()->format().indent(), 0);
    // The bullet is drawn at the size of the text it stands before.
    EXPECT_EQ(bulleted.charFormat().fontPointSize(),
              bulleted.begin().fragment().charFormat().fontPointSize());
    tools->runTool(app::kToolParaBullet);
    EXPECT_EQ(model().paragraphs[0].list, richtext::ListKind::None);
    EXPECT_EQ(model().paragraphs[0].leftIndent, 0);

    EXPECT_EQ(editor().lineWrapMode(), QTextEdit::NoWrap);
    tools->runTool(app::kToolAutoSwap);
    EXPECT_EQ(editor().lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(item(app::kToolAutoSwap)->nState, CReadingToolbar::kPressedState);
    tools->runTool(app::kToolAutoSwap);
    EXPECT_EQ(editor().lineWrapMode(), QTextEdit::NoWrap);

    test::whenShown([] { return topLevel<QMenu>("dockMenu"); },
                    [](QWidget* menu) {
                        EXPECT_EQ(test::entriesOf(*static_cast<QMenu*>(menu)),
                                  (std::vector<std::string>{"停靠顶端", "停靠底端"}));
                        menu->findChild<QAction*>("dockBottom")->trigger();
                    });
    tools->runTool(app::kToolDock);
    EXPECT_EQ(toolbar->edge(), ToolbarEdge::Bottom);
    QApplication::processEvents();
    EXPECT_GT(toolbar->y(), editor().y());

    auto* panes = frame->findChild<QSplitter*>("windowArea");
    auto* workspace = frame->findChild<QDockWidget*>("workspaceBar");
    const QList<int> normal = panes->sizes();
    const int editorWidth = editor().width();
    tools->runTool(app::kToolMaxReadMode);
    QApplication::processEvents();
    EXPECT_TRUE(workspace->isHidden());
    EXPECT_STREQ(item(app::kToolMaxReadMode)->szText, "还原阅读模式");
    EXPECT_GT(editor().width(), editorWidth);
    tools->runTool(app::kToolMaxReadMode);
    QApplication::processEvents();
    EXPECT_FALSE(workspace->isHidden());
    EXPECT_EQ(panes->sizes(), normal);
    EXPECT_STREQ(item(app::kToolMaxReadMode)->szText, "最大化阅读模式");

    // A window that is no point's leaves the mode.
    tools->runTool(app::kToolMaxReadMode);
    frame->openCategoryWindow(*work);
    EXPECT_FALSE(frame->isReadingMaximised());
    EXPECT_FALSE(workspace->isHidden());
    EXPECT_STREQ(item(app::kToolMaxReadMode)->szText, "最大化阅读模式");
}

TEST_F(ReadingToolsTest, PrintingWritesTheContentToAPdfTitledAsThePrintJob) {
    if (QProcess::execute("pdfinfo", {"-v"}) < 0) {
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    }
    test::TempDir out;
    const QString pdf = QString::fromStdString((out / "printed.pdf").string());
    withDialog<QPrintDialog>(app::kToolPrint, [&](QPrintDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "printDialog");
        if (auto* name = dialog.findChild<QLineEdit*>("filename")) {
            name->setText(pdf);
        }
        dialog.printer()->setOutputFileName(pdf);
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    ASSERT_TRUE(fs::exists(out / "printed.pdf"));
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished());
    EXPECT_TRUE(info.readAllStandardOutput().contains("图象打印"));
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished());
    EXPECT_TRUE(text.readAllStandardOutput().contains("Hello world"));
}

TEST_F(ReadingToolsTest, ARevertedOrReadOnlyDisplayIgnoresTheEditingTools) {
    editor().setReadOnly(true);
    select(0, 5);
    tools->runTool(app::kToolBold);
    tools->runTool(app::kToolParaBullet);
    EXPECT_FALSE(runs().at(0).format.bold);
    EXPECT_EQ(model().paragraphs[0].list, richtext::ListKind::None);
    EXPECT_FALSE(area->isModified());
}

} // namespace
} // namespace tarnel::ui
