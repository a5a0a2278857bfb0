#include "app/reading_tools.h"
#include "tests/ops/ops_fixture.h"
#include "ui/options_dialog.h"
#include "ui/reading_toolbar.h"
#include "ui/skin/skin_keys.h"

#include <QAccessible>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <list>

namespace tarnel::ui {
namespace {

using app::ConfiguredTool;
using test::readBytes;
using test::writeBytes;

constexpr int kSep = app::kToolSeparator;

// A colour of its own for every image id, so that a picture tells which id it is.
QColor imageColour(int id) {
    return QColor::fromHsv((id * 37) % 360, 200, 100 + id % 100);
}

// An image manager holding a 16 x 16 picture for every skin image id.
class TestImages {
public:
    TestImages() {
        for (int id = 0; id < skin::kBitmapCount; ++id) {
            QImage& picture = m_pictures.emplace_back(16, 16, QImage::Format_ARGB32);
            picture.fill(imageColour(id));
            images.AddImageInfo(id, new LUSTRA::ST_IMG_INFO{&picture, 0, 0, 16, 16, 0, 0});
        }
    }
    LUSTRA::ST_IMG_INFO* image(int id) { return images.GetImgByItemID(id); }

    std::list<QImage> m_pictures;
    LUSTRA::CImageMgr images;
};

struct ShownItem {
    int kind;
    std::string name;
    int image;
    int disabledImage;
    int state;
    bool operator==(const ShownItem&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ShownItem& item) {
    return out << "{" << item.kind << ", " << item.name << ", " << item.image << ", "
               << item.disabledImage << ", " << item.state << "}";
}

// What the pane holds, with its pictures named by image id (-1: none).
std::vector<ShownItem> shownItems(CReadingToolbar& toolbar, TestImages& images) {
    auto idOf = [&images](const LUSTRA::ST_IMG_INFO* info) {
        for (int id = 0; id < skin::kBitmapCount; ++id) {
            if (info && images.image(id) == info) {
                return id;
            }
        }
        return -1;
    };
    std::vector<ShownItem> shown;
    for (LUSTRA::ST_TOOLBAR_ITEM* item : toolbar.items()) {
        EXPECT_EQ(item->pImg[0], item->pImg[CReadingToolbar::kPressedState]);
        shown.push_back({item->nID, item->szText, idOf(item->pImg[0]),
                         idOf(item->pImg[CReadingToolbar::kDisabledState]), item->nState});
    }
    return shown;
}

const ShownItem kSaveItem{app::kToolSave, "保存", skin::IMG_SAVE, skin::IMG_SAVE_DIS, 3};
const ShownItem kCutItem{app::kToolCut, "剪切", skin::IMG_CUT, skin::IMG_CUT_DIS, 0};
const ShownItem kCopyItem{app::kToolCopy, "拷贝", skin::IMG_COPY, skin::IMG_COPY_DIS, 0};
const ShownItem kSepItem{kSep, "", -1, -1, 0};

struct BuildCase {
    const char* name;
    std::vector<ConfiguredTool> tools;
    ReadingDisplay display;
    std::vector<ShownItem> expected;
};

void PrintTo(const BuildCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadingToolbarBuildTest : public ::testing::TestWithParam<BuildCase> {
protected:
    TestImages m_images;
};

TEST_P(ReadingToolbarBuildTest, ShowsTheExpectedItems) {
    const BuildCase& c = GetParam();
    CReadingToolbar toolbar(c.tools, c.display, false, m_images.images);
    EXPECT_EQ(shownItems(toolbar, m_images), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReadingToolbarBuildTest,
    ::testing::Values(
        BuildCase{"LeadingSeparators",
                  {{kSep, 0, 1}, {kSep, 0, 1}, {0, 0, 1}, {kSep, 0, 1}, {kSep, 0, 1}, {2, 0, 1}},
                  ReadingDisplay::Editable,
                  {kSaveItem, kSepItem, kCutItem}},
        BuildCase{"DoubledSeparators",
                  {{2, 0, 1}, {kSep, 0, 1}, {kSep, 0, 1}, {kSep, 0, 1}, {3, 0, 1}, {kSep, 0, 1}},
                  ReadingDisplay::Editable,
                  {kCutItem, kSepItem, kCopyItem, kSepItem}},
        BuildCase{"HiddenBetweenSeparators",
                  {{2, 0, 1}, {kSep, 0, 1}, {4, 0, 0}, {kSep, 0, 1}, {kSep, 0, 0}, {3, 0, 1}},
                  ReadingDisplay::Editable,
                  {kCutItem, kSepItem, kCopyItem}},
        BuildCase{"UnknownKindBetweenSeparators",
                  {{2, 0, 1}, {kSep, 0, 1}, {26, 0, 1}, {-7, 0, 1}, {kSep, 0, 1}, {3, 0, 1}},
                  ReadingDisplay::Editable,
                  {kCutItem, kSepItem, kCopyItem}},
        BuildCase{"ReadOnlyLeavesOutSaveAndCancel",
                  {{0, 0, 1},
                   {1, 0, 1},
                   {kSep, 0, 1},
                   {2, 0, 1},
                   {kSep, 0, 1},
                   {1, 0, 1},
                   {kSep, 0, 1},
                   {3, 0, 1}},
                  ReadingDisplay::ReadOnly,
                  {kCutItem, kSepItem, kCopyItem}},
        BuildCase{"ImagesAndNamesOfTheTable",
                  {{1, 0, 1}, {12, 0, 1}, {13, 0, 1}, {16, 0, 1}, {25, 0, 1}},
                  ReadingDisplay::Editable,
                  {{1, "取消", skin::IMG_CANCEL, skin::IMG_CANCEL_DIS, 3},
                   {12, "设置背景", skin::IMG_BACKGROUND, skin::IMG_BACKGROUND, 0},
                   {13, "自动换行", skin::IMG_AUTO_SWAP, skin::IMG_AUTO_SWAP_DIS, 0},
                   {16, "最大化阅读模式", skin::IMG_MAX_READ_MODE, skin::IMG_MAX_READ_MODE, 0},
                   {25, "字体背景颜色", skin::IMG_BG_COLOR, skin::IMG_BG_COLOR_DIS, 0}}}),
    [](const ::testing::TestParamInfo<BuildCase>& info) { return info.param.name; });

class ReadingToolbarTest : public ::testing::Test {
protected:
    std::vector<ConfiguredTool> m_tools{{0, 0, 1}, {1, 0, 1},  {kSep, 0, 1},
                                        {2, 1, 1}, {13, 0, 1}, {16, 0, 1}};
    TestImages m_images;
};

TEST_F(ReadingToolbarTest, StatesFollowTheReadingArea) {
    CReadingToolbar toolbar(m_tools, ReadingDisplay::Editable, true, m_images.images);
    toolbar.resize(400, CReadingToolbar::kHeight);
    toolbar.show();
    QSignalSpy chosen(&toolbar, &CReadingToolbar::toolChosen);
    auto item = [&toolbar](int kind) { return toolbar.pane().FindToolbarItem(kind, 0); };
    EXPECT_EQ(item(app::kToolAutoSwap)->nState, CReadingToolbar::kPressedState);
    EXPECT_TRUE(item(app::kToolCut)->bShowText);
    EXPECT_FALSE(item(app::kToolSave)->bShowText);

    QTest::mouseClick(&toolbar, Qt::LeftButton, {}, item(app::kToolSave)->rcItem.center());
    EXPECT_EQ(chosen.count(), 0);
    toolbar.setContentModified(true);
    EXPECT_EQ(item(app::kToolSave)->nState, 0);
    EXPECT_EQ(item(app::kToolCancel)->nState, 0);
    QTest::mouseClick(&toolbar, Qt::LeftButton, {}, item(app::kToolSave)->rcItem.center());
    QTest::mouseClick(&toolbar, Qt::LeftButton, {}, item(app::kToolCut)->rcItem.center());
    ASSERT_EQ(chosen.count(), 2);
    EXPECT_EQ(chosen[0][0].toInt(), app::kToolSave);
    EXPECT_EQ(chosen[1][0].toInt(), app::kToolCut);
    toolbar.setContentModified(false);
    EXPECT_EQ(item(app::kToolCancel)->nState, CReadingToolbar::kDisabledState);

    toolbar.setWordWrap(false);
    EXPECT_EQ(item(app::kToolAutoSwap)->nState, 0);
    toolbar.setMaximisedReading(true);
    EXPECT_STREQ(item(app::kToolMaxReadMode)->szText, "还原阅读模式");
    EXPECT_EQ(item(app::kToolMaxReadMode)->pImg[0], m_images.image(skin::IMG_NORMAL_READ_MODE));
    // The states hold over a rebuild.
    CReadingToolbar::rebuildAll();
    EXPECT_EQ(item(app::kToolMaxReadMode)->pImg[0], m_images.image(skin::IMG_NORMAL_READ_MODE));
    toolbar.setMaximisedReading(false);
    EXPECT_STREQ(item(app::kToolMaxReadMode)->szText, "最大化阅读模式");
    EXPECT_EQ(item(app::kToolMaxReadMode)->pImg[0], m_images.image(skin::IMG_MAX_READ_MODE));

    QAccessibleInterface* host = QAccessible::queryAccessibleInterface(&toolbar);
    ASSERT_NE(host, nullptr);
    QStringList names;
    for (int i = 0; i < host->childCount(); ++i) {
        names << host->child(i)->text(QAccessible::Name);
    }
    EXPECT_TRUE(names.contains("剪切")) << names.join(",").toStdString();
    EXPECT_TRUE(names.contains("最大化阅读模式")) << names.join(",").toStdString();
}

TEST_F(ReadingToolbarTest, PopupsOpenOnTheFarSideFromTheEdge) {
    const QRect tool(100, 10, 20, 24);
    const QSize popup(50, 40);
    EXPECT_EQ(popupPosition(ToolbarEdge::Top, tool, popup), QPoint(100, 34));
    EXPECT_EQ(popupPosition(ToolbarEdge::Bottom, tool, popup), QPoint(100, -30));
    EXPECT_EQ(popupPosition(ToolbarEdge::Left, tool, popup), QPoint(120, 10));
    EXPECT_EQ(popupPosition(ToolbarEdge::Right, tool, popup), QPoint(50, 10));

    CReadingToolbar toolbar(m_tools, ReadingDisplay::Editable, false, m_images.images);
    toolbar.resize(400, CReadingToolbar::kHeight);
    toolbar.setEdge(ToolbarEdge::Bottom);
    const QRect cut = toolbar.pane().FindToolbarItem(app::kToolCut, 0)->rcItem;
    EXPECT_EQ(toolbar.popupPositionFor(app::kToolCut, popup),
              toolbar.mapToGlobal(QPoint(cut.left(), cut.top() - 40)));
}

TEST_F(ReadingToolbarTest, TheRebuildHintFollowsTheChangedList) {
    CReadingToolbar editable(m_tools, ReadingDisplay::Editable, false, m_images.images);
    CReadingToolbar readOnly(m_tools, ReadingDisplay::ReadOnly, false, m_images.images);
    m_tools = {{kSep, 0, 1}, {3, 0, 1}, {0, 0, 1}};
    CReadingToolbar::rebuildAll();
    EXPECT_EQ(shownItems(editable, m_images), (std::vector{kCopyItem, kSaveItem}));
    EXPECT_EQ(shownItems(readOnly, m_images), (std::vector{kCopyItem}));
}

// The customisation page, driven by objectName through the options dialog.
class ToolbarPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.programDirectory = m_program.path();
        m_settings.settingsFile = m_program / "tarnel.ini";
        m_settings.readingTools = {{0, 0, 1}, {kSep, 0, 1}, {6, 0, 1}, {7, 3, 0}};
        writeBytes(m_program / "toolbar.cfg", app::encodeToolbarConfig(m_settings.readingTools));
    }

    template <typename T> T* child(QWidget& dialog, const char* name) {
        T* found = dialog.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QRgb iconColour(QListWidget* list, int row) {
        return list->item(row)->icon().pixmap(16, 16).toImage().pixel(8, 8);
    }

    test::TempDir m_program;
    test::OpsFileSystem m_fileSystem;
    test::ScriptedPrompt m_prompt;
    app::Settings m_settings;
    TestImages m_images;
};

TEST_F(ToolbarPageTest, EditsTheListAndOkWritesItWholeAndRebuildsTheToolbars) {
    LUSTRA::CImageMgr* shared = LUSTRA::CImageMgr::m_pInstance;
    LUSTRA::CImageMgr::m_pInstance = &m_images.images;
    CReadingToolbar toolbar(m_settings.readingTools, ReadingDisplay::Editable, false,
                            m_images.images);
    OptionsDialog dialog(m_settings, m_fileSystem, m_prompt);
    LUSTRA::CImageMgr::m_pInstance = shared;
    auto* list = child<QListWidget>(dialog, "toolList");
    auto* separator = child<QPushButton>(dialog, "separatorButton");
    auto* visible = child<QPushButton>(dialog, "visibleButton");
    auto* option = child<QComboBox>(dialog, "toolOption");
    auto* up = child<QPushButton>(dialog, "moveUpButton");
    auto* down = child<QPushButton>(dialog, "moveDownButton");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(1)->text().toStdString(), "分隔符");
    EXPECT_EQ(list->item(3)->text().toStdString(), "斜体");
    EXPECT_EQ(iconColour(list, 2), imageColour(skin::IMG_BOLD).rgb());
    EXPECT_EQ(iconColour(list, 3), imageColour(skin::IMG_ITAL_DIS).rgb());

    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_FALSE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());
    EXPECT_EQ(separator->text().toStdString(), "插入分隔符");
    list->setCurrentRow(1);
    EXPECT_EQ(separator->text().toStdString(), "删除分隔符");
    EXPECT_FALSE(option->isEnabled());
    EXPECT_FALSE(visible->isEnabled());
    separator->click(); // removes it
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->item(1)->text().toStdString(), "粗体");

    list->setCurrentRow(2);
    EXPECT_EQ(visible->text().toStdString(), "显示此工具");
    EXPECT_EQ(option->currentIndex(), -1); // option 3 is kept until another is chosen
    EXPECT_FALSE(down->isEnabled());
    visible->click();
    EXPECT_EQ(visible->text().toStdString(), "隐藏此工具");
    EXPECT_EQ(iconColour(list, 2), imageColour(skin::IMG_ITAL).rgb());
    option->setCurrentIndex(1);
    emit option->activated(1);
    up->click();
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->item(1)->text().toStdString(), "斜体");
    separator->click(); // a visible separator after italic
    EXPECT_EQ(list->currentRow(), 2);
    list->setCurrentRow(3);
    visible->click(); // bold hidden
    EXPECT_EQ(iconColour(list, 3), imageColour(skin::IMG_BOLD_DIS).rgb());

    EXPECT_EQ(readBytes(m_program / "toolbar.cfg").size(), 48u);
    child<QPushButton>(dialog, "okButton")->click();
    EXPECT_EQ(readBytes(m_program / "toolbar.cfg"), std::string("\x00\x00\x00\x00\x00\x00\x00\x00"
                                                                "\x01\x00\x00\x00"
                                                                "\x07\x00\x00\x00\x01\x00\x00\x00"
                                                                "\x01\x00\x00\x00"
                                                                "\xFF\xFF\xFF\xFF\x00\x00\x00\x00"
                                                                "\x01\x00\x00\x00"
                                                                "\x06\x00\x00\x00\x00\x00\x00\x00"
                                                                "\x00\x00\x00\x00",
                                                                48));
    EXPECT_EQ(shownItems(toolbar, m_images),
              (std::vector{kSaveItem, ShownItem{7, "斜体", skin::IMG_ITAL, skin::IMG_ITAL_DIS, 0},
                           kSepItem}));
    EXPECT_TRUE(toolbar.pane().FindToolbarItem(7, 0)->bShowText);
    EXPECT_TRUE(m_prompt.events().empty());
}

TEST_F(ToolbarPageTest, AFailedWriteIsReportedAndTheOldFileStays) {
    m_fileSystem.failRenamesOf = "toolbar.cfg";
    const std::string before = readBytes(m_program / "toolbar.cfg");
    OptionsDialog dialog(m_settings, m_fileSystem, m_prompt);
    child<QPushButton>(dialog, "moveDownButton")->click();
    dialog.accept();
    EXPECT_EQ(readBytes(m_program / "toolbar.cfg"), before);
    EXPECT_EQ(m_settings.readingTools[1], (ConfiguredTool{0, 0, 1}));
    EXPECT_EQ(m_prompt.events(),
              (std::vector{test::shown("保存阅读区工具栏配置文件“" +
                                           (m_program / "toolbar.cfg").string() +
                                           "”失败，这些工具栏设置只在本次运行中有效!",
                                       app::MessageIcon::Error)}));
}

} // namespace
} // namespace tarnel::ui
