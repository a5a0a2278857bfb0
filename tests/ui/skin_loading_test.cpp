#include "lustra/image_drawing.h"
#include "lustra/image_mgr.h"
#include "tests/support/eventually.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_window.h"
#include "ui/knowledge_tree_model.h"
#include "ui/point_list_model.h"
#include "ui/skin/colour_scheme.h"
#include "ui/skin_page.h"
#include "ui/skin_palette.h"
#include "ui/star_delegate.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using skin::ColourScheme;
using test::centrePixel;
using test::iconColour;
using test::iconPixel;
using test::kBuiltInSeed;
using test::pictureColour;
using test::readBytes;
using test::shown;
using test::writeBytes;
using test::writeTestSkin;

// The picture an image id draws, at the centre of its cut.
QColor imagePixel(int id) {
    LUSTRA::ST_IMG_INFO* info = LUSTRA::CImageMgr::GetInstance()->GetImgByItemID(id);
    if (!info || !info->pBitmap) {
        return {};
    }
    return info->pBitmap->pixelColor(info->nLeft + info->nWidth / 2,
                                     info->nTop + info->nHeight / 2);
}

QColor widgetPixel(QWidget* widget, QPoint at) {
    return widget->grab().toImage().pixelColor(at);
}

QColor tintOf(skin::SkinColour base, double factor) {
    return qColorOf(skin::tint(skin::rgbOf(base), factor));
}

class SkinLoadingTest : public test::FrameTest {
protected:
    // A settings file that start-up leaves as it is.
    void writeSkinPath(const std::string& skinPath) {
        fs::create_directories(data());
        writeSettings("[DATA]\r\nData_Path=" + data().string() +
                      "\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n[SKIN]\r\nSkinPath=" +
                      skinPath + "\r\n");
    }
    fs::path skinFolder(const std::string& name) const { return program / "skin" / name; }
    // Replaces one text in a skin file.
    void edit(const fs::path& file, const std::string& from, const std::string& to) {
        std::string bytes = readBytes(file);
        std::size_t at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        writeBytes(file, bytes.replace(at, from.size(), to));
    }
};

TEST(SkinPaletteTest, ThePaletteTakesTheSchemeColoursOnBaseWhite) {
    QPalette palette = skinPalette(ColourScheme(15780020));
    struct Case {
        QPalette::ColorRole role;
        QColor expected;
    };
    const Case cases[] = {
        {QPalette::Light, {247, 249, 253}},  {QPalette::Midlight, {244, 247, 252}},
        {QPalette::Window, {240, 244, 252}}, {QPalette::Button, {240, 244, 252}},
        {QPalette::Mid, {206, 219, 245}},    {QPalette::Dark, {144, 160, 192}},
        {QPalette::Shadow, {111, 123, 148}}, {QPalette::Highlight, {213, 224, 246}},
        {QPalette::Base, {255, 255, 255}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(palette.color(QPalette::Active, c.role), c.expected) << c.role;
        EXPECT_EQ(palette.color(QPalette::Inactive, c.role), c.expected) << c.role;
    }
    QPalette black = skinPalette(ColourScheme(0));
    EXPECT_EQ(black.color(QPalette::Light), QColor(229, 229, 229));
    EXPECT_EQ(black.color(QPalette::Shadow), QColor(0, 0, 0));
}

// skin.xml broken at line 7 or one of its pictures missing; IMG_SAVE missing, IMG_CUT cut short,
// IMG_COPY a WMF, ICON_WEB missing, no color.ini.
TEST_F(SkinLoadingTest, ADamagedSkinCostsOneMessageAndShowsTheBuiltInPicturesWhereItFails) {
    const fs::path folder = skinFolder("broken");
    const std::string images = (folder / "images").string();
    struct Case {
        bool breakSkinXml;
        std::string message;
    };
    const Case cases[] = {
        {true, "读取皮肤文件:" + (folder / "skin.xml").string() +
                   " 失败(第7行)!\n\n已改用默认皮肤的图片,请检查此文件!"},
        {false, "加载图片:" + images +
                    "/IMG_SAVE.png 失败!标识:bitmap\n\n"
                    "已改用默认皮肤的图片,请检查此文件!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.breakSkinXml);
        fs::remove_all(folder);
        test::TestSkin broken(2, "坏皮肤");
        broken.writeColours = false;
        writeTestSkin(folder, broken);
        fs::remove(folder / "images/IMG_SAVE.png");
        std::string png = readBytes(folder / "images/IMG_CUT.png");
        writeBytes(folder / "images/IMG_CUT.png", png.substr(0, png.size() / 2));
        writeBytes(folder / "images/IMG_COPY.wmf",
                   std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, '\0'));
        edit(folder / "skin_images.ini", "IMG_COPY.png", "IMG_COPY.wmf");
        edit(folder / "skin.xml", "IMG_COPY.png", "IMG_COPY.wmf");
        fs::remove(folder / "images/ICON_WEB.png");
        if (c.breakSkinXml) {
            edit(folder / "skin.xml", "<image id=\"1\"/>", "<image id/>");
        }
        writeSkinPath("skin/broken");
        const std::string settingsBefore = readBytes(program / "tarnel.ini");
        start();

        EXPECT_EQ(prompt.events(), (std::vector{shown(c.message, MessageIcon::Error)}));
        for (int slot : {skin::IMG_SAVE, skin::IMG_CUT, skin::IMG_COPY}) {
            EXPECT_EQ(centrePixel(frame->pictures().picture(slot)),
                      pictureColour(kBuiltInSeed, slot))
                << slot;
            EXPECT_EQ(imagePixel(slot), pictureColour(kBuiltInSeed, slot)) << slot;
        }
        EXPECT_EQ(centrePixel(frame->pictures().picture(skin::IMG_PASTE)),
                  pictureColour(2, skin::IMG_PASTE));
        EXPECT_EQ(imagePixel(skin::IMG_PASTE),
                  pictureColour(c.breakSkinXml ? kBuiltInSeed : 2, skin::IMG_PASTE));
        EXPECT_EQ(iconPixel(frame->imageList().icon(skin::ICON_WEB)),
                  iconColour(kBuiltInSeed, skin::ICON_WEB));
        EXPECT_EQ(iconPixel(frame->imageList().icon(skin::ICON_POINT)),
                  iconColour(2, skin::ICON_POINT));
        EXPECT_EQ(frame->skinColours().base, skin::kDefaultBaseColour);
        EXPECT_EQ(frame->skinColours().list, skin::kDefaultListColours);

        prompt.clear();
        EXPECT_FALSE(frame->load_skin(true));
        EXPECT_EQ(prompt.events().size(), 1u);
        EXPECT_EQ(readBytes(program / "tarnel.ini"), settingsBefore);
        frame.reset();
        prompt.clear();
    }
}

TEST_F(SkinLoadingTest, AMissingSkinFolderFallsBackToTheDefaultSkinWithoutRewritingSkinPath) {
    writeTestSkin(skinFolder("default"), test::TestSkin(3));
    writeSkinPath("skin\\gone");
    const std::string settingsBefore = readBytes(program / "tarnel.ini");
    start();
    EXPECT_EQ(prompt.events(),
              (std::vector{shown("皮肤不存在:skin\\gone\n\n已改用默认皮肤!", MessageIcon::Error)}));
    EXPECT_EQ(centrePixel(frame->pictures().picture(skin::IMG_PASTE)),
              pictureColour(3, skin::IMG_PASTE));
    EXPECT_EQ(imagePixel(skin::IMG_PASTE), pictureColour(3, skin::IMG_PASTE));
    EXPECT_EQ(frame->settings().skinPath, "skin\\gone");
    EXPECT_EQ(readBytes(program / "tarnel.ini"), settingsBefore);

    // Without a skin/default folder the built-in copy loads, and nothing is said.
    fs::remove_all(skinFolder("default"));
    writeSkinPath("");
    frame.reset();
    prompt.clear();
    start();
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_TRUE(frame->load_skin(true));
    EXPECT_EQ(centrePixel(frame->pictures().picture(skin::IMG_PASTE)),
              pictureColour(kBuiltInSeed, skin::IMG_PASTE));
    EXPECT_EQ(iconPixel(frame->imageList().icon(skin::ICON_SKIN)),
              iconColour(kBuiltInSeed, skin::ICON_SKIN));
}

TEST_F(SkinLoadingTest, AHandWrittenImageListFillsTheSlotsOfItsKeys) {
    const fs::path folder = skinFolder("hand");
    fs::create_directories(folder / "images/Sub");
    auto solid = [&](const std::string& name, QColor colour, int size) {
        QImage image(size, size, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString((folder / "images" / name).string()), "PNG"));
    };
    solid("Sub/Paste.png", QColor(1, 2, 3), 4);
    solid("save.gif.png", QColor(4, 5, 6), 4);
    solid("web.png", QColor(7, 8, 9), 16);
    // Written by hand: sections and keys in another case and order, "\" and a name whose
    // suffix lies, nothing for most keys, no skin.xml.
    writeBytes(folder / "skin_images.ini",
               "[bitmap]\r\nimg_paste = sub\\PASTE.PNG\r\n"
               "IMG_SAVE=save.gif.png\r\n[Icon]\r\nICON_WEB=web.png\r\n");
    writeSkinPath("skin/hand");
    start();
    EXPECT_EQ(prompt.events(), (std::vector{shown("加载图片:" + (folder / "images/").string() +
                                                      " 失败!标识:IMG_SAVE_DIS\n\n"
                                                      "已改用默认皮肤的图片,请检查此文件!",
                                                  MessageIcon::Error)}));
    EXPECT_EQ(centrePixel(frame->pictures().picture(skin::IMG_PASTE)), QColor(1, 2, 3));
    EXPECT_EQ(centrePixel(frame->pictures().picture(skin::IMG_SAVE)), QColor(4, 5, 6));
    EXPECT_EQ(centrePixel(frame->pictures().picture(skin::IMG_CUT)),
              pictureColour(kBuiltInSeed, skin::IMG_CUT));
    EXPECT_EQ(imagePixel(skin::IMG_PASTE), pictureColour(kBuiltInSeed, skin::IMG_PASTE));
    EXPECT_EQ(iconPixel(frame->imageList().icon(skin::ICON_WEB)), QColor(7, 8, 9));
    EXPECT_EQ(iconPixel(frame->imageList().icon(skin::ICON_SEARCH_POINT)),
              iconColour(kBuiltInSeed, skin::ICON_SEARCH_POINT));
}

// Two skins, the second in a folder whose name is longer than 32 bytes; SkinPath written with "\".
class SkinSwitchTest : public SkinLoadingTest {
protected:
    static constexpr skin::SkinColour kBlue = 0xC08040;
    static constexpr skin::SkinColour kGreen = 0x40C080;
    const std::string longName = "green_skin_in_a_folder_named_longer_than_32_bytes";

    void SetUp() override {
        writeTestSkin(skinFolder("blue"), test::TestSkin(4, "A蓝色", kBlue));
        writeBytes(skinFolder("blue") / "color.ini",
                   "[MAIN_COLOR]\r\nBASE_COLOR=12615744\r\n[POINT_LIST_COLOR]\r\nSING_BK=255\r\n"
                   "DOUBLE_BK=0\r\n");
        writeTestSkin(skinFolder(longName), test::TestSkin(5, "B绿色", kGreen));
        writeTestSkin(skinFolder(".hidden"), test::TestSkin(6, "0隐藏"));
        writeTestSkin(skinFolder("bare"), test::TestSkin(7, "0无简介"));
        fs::remove(skinFolder("bare") / "profile.ini");
        writeSkinPath("skin\\blue");
    }

    QColor workAreaPixel() { return widgetPixel(frame->findChild<QWidget*>("workArea"), {4, 4}); }
    QColor tabIconPixel() {
        return iconPixel(frame->findChild<QTabWidget*>("workspaceTabs")->tabIcon(1));
    }
    // Runs act on the skin page of the options dialog, then presses OK.
    void withSkinPage(std::function<void(QWidget* dialog, CSkinPage* page)> act) {
        test::whenModal([act](QWidget* dialog) {
            act(dialog, dialog->findChild<CSkinPage*>("skinPage"));
            dialog->findChild<QPushButton*>("okButton")->click();
        });
        frame->findChild<QAction*>("optionsCommand")->trigger();
    }
};

TEST_F(SkinSwitchTest, SwitchingInTheChooserRepaintsTheFrameWritesSkinPathAndKeepsTheRecords) {
    makeCategories({"A/x", "A/y"});
    start();
    ASSERT_TRUE(prompt.events().empty());
    EXPECT_EQ(workAreaPixel(), tintOf(kBlue, 0.2));
    EXPECT_EQ(tabIconPixel(), iconColour(4, skin::ICON_SEARCH_POINT));
    EXPECT_EQ(iconPixel(tree().categoryRootIndex().data(Qt::DecorationRole).value<QIcon>()),
              iconColour(4, skin::ICON_CLASS_LIST_OPEN));
    auto* window = dynamic_cast<CWindowFormView*>(frame->openCategoryWindow(*category("A")));
    ASSERT_NE(window, nullptr);
    auto rowColour = [&](int row, int role) {
        return window->model()
            ->index(row, window->model()->positionOf(PointListModel::Name))
            .data(role)
            .value<QColor>();
    };
    EXPECT_EQ(rowColour(0, Qt::BackgroundRole), QColor(255, 0, 0));
    EXPECT_EQ(rowColour(1, Qt::BackgroundRole), QColor(0, 0, 0));
    EXPECT_EQ(rowColour(0, Qt::ForegroundRole), qColorOf(skin::SkinColour{8388608}));
    // Row 0 has one star of five: a lit star, then grey ones, as the skin draws them.
    ASSERT_EVENTUALLY(window->list()->viewport()->height() > 40);
    auto starPixels = [&] {
        QRect cell = window->list()->visualRect(window->model()->index(0, 0));
        QImage shown = window->list()->viewport()->grab().toImage();
        int y = cell.top() + (cell.height() - 4) / 2 + 1;
        return std::pair{shown.pixelColor(cell.left() + 3, y),
                         shown.pixelColor(cell.left() + 8, y)};
    };
    EXPECT_EQ(starPixels(), std::pair(pictureColour(4, skin::IMG_LIGHT_STAR),
                                      pictureColour(4, skin::IMG_GRAY_STAR)));
    LUSTRA::ST_IMG_INFO* held = LUSTRA::CImageMgr::GetInstance()->GetImgByItemID(skin::IMG_PASTE);
    ASSERT_NE(held, nullptr);
    QSignalSpy changed(frame.get(), &CMainFrame::skinChanged);

    withSkinPage([&](QWidget* dialog, CSkinPage* page) {
        auto* list = page->findChild<QListWidget*>("skinList");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(0)->text(), "A蓝色");
        EXPECT_EQ(list->currentRow(), 0);
        list->setCurrentRow(1);
        dialog->findChild<QPushButton*>("applyButton")->click();
        EXPECT_EQ(workAreaPixel(), tintOf(kGreen, 0.2));
    });
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(frame->settings().skinPath, "skin/" + longName);
    EXPECT_NE(readBytes(program / "tarnel.ini").find("SkinPath=skin/" + longName + "\r\n"),
              std::string::npos);
    EXPECT_EQ(workAreaPixel(), tintOf(kGreen, 0.2));
    EXPECT_EQ(tabIconPixel(), iconColour(5, skin::ICON_SEARCH_POINT));
    EXPECT_EQ(rowColour(0, Qt::BackgroundRole),
              qColorOf(skin::kDefaultListColours.singleRowBackground()));
    EXPECT_EQ(starPixels(), std::pair(pictureColour(5, skin::IMG_LIGHT_STAR),
                                      pictureColour(5, skin::IMG_GRAY_STAR)));
    // The record taken before the switch is the one registered now, and it draws the new skin.
    EXPECT_EQ(LUSTRA::CImageMgr::GetInstance()->GetImgByItemID(skin::IMG_PASTE), held);
    QImage drawn(8, 8, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    LUSTRA::DrawImage(&painter, held, QRect(0, 0, 8, 8), LUSTRA::DM_STRETCH);
    painter.end();
    EXPECT_EQ(drawn.pixelColor(4, 4), pictureColour(5, skin::IMG_PASTE));
    EXPECT_TRUE(prompt.events().empty());
}

// On a selected row the grey stars would stand out light on the highlight, as lit ones do: they
// are drawn faint there, so that an unrated point does not look rated.
TEST_F(SkinSwitchTest, UnlitStarsRecedeOnASelectedRow) {
    makeCategories({"A/x", "A/y"});
    start();
    auto* window = dynamic_cast<CWindowFormView*>(frame->openCategoryWindow(*category("A")));
    ASSERT_NE(window, nullptr);
    ASSERT_EVENTUALLY(window->list()->viewport()->height() > 40);
    window->list()->selectRow(0);
    QRect cell = window->list()->visualRect(window->model()->index(0, 0));
    QImage shown = window->list()->viewport()->grab().toImage();
    int y = cell.top() + (cell.height() - 4) / 2 + 1;
    QColor highlight = shown.pixelColor(cell.right() - 1, cell.top() + 1);
    QColor grey = pictureColour(4, skin::IMG_GRAY_STAR);
    auto faint = [&](int picture, int behind) {
        return qRound(StarDelegate::kUnlitOnSelection * picture +
                      (1 - StarDelegate::kUnlitOnSelection) * behind);
    };
    EXPECT_EQ(shown.pixelColor(cell.left() + 3, y), pictureColour(4, skin::IMG_LIGHT_STAR));
    QColor drawn = shown.pixelColor(cell.left() + 8, y);
    EXPECT_NEAR(drawn.red(), faint(grey.red(), highlight.red()), 1);
    EXPECT_NEAR(drawn.green(), faint(grey.green(), highlight.green()), 1);
    EXPECT_NEAR(drawn.blue(), faint(grey.blue(), highlight.blue()), 1);
}

// The next start reads the chosen skin from the written settings file; the palette is reset
// between the two frames, so only that start's load can paint the work area.
TEST_F(SkinSwitchTest, AChosenSkinSurvivesARestart) {
    start();
    withSkinPage([](QWidget*, CSkinPage* page) {
        page->findChild<QListWidget*>("skinList")->setCurrentRow(1);
    });
    ASSERT_EQ(workAreaPixel(), tintOf(kGreen, 0.2));
    frame.reset();
    QApplication::setPalette(QApplication::style()->standardPalette());
    settings = app::Settings();

    start();
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(frame->settings().skinPath, "skin/" + longName);
    EXPECT_EQ(workAreaPixel(), tintOf(kGreen, 0.2));
    EXPECT_EQ(tabIconPixel(), iconColour(5, skin::ICON_SEARCH_POINT));
    EXPECT_EQ(centrePixel(frame->pictures().picture(skin::IMG_PASTE)),
              pictureColour(5, skin::IMG_PASTE));
    EXPECT_EQ(imagePixel(skin::IMG_PASTE), pictureColour(5, skin::IMG_PASTE));
    EXPECT_EQ(frame->skinColours().list, skin::kDefaultListColours);
    withSkinPage([](QWidget*, CSkinPage* page) {
        EXPECT_EQ(page->findChild<QListWidget*>("skinList")->currentRow(), 1);
    });
}

TEST_F(SkinSwitchTest, TheChooserShowsTheAuthorInDarkBlueAndPlacesAndCutsThePreview) {
    QImage wide(1000, 20, QImage::Format_RGB32);
    wide.fill(QColor(9, 99, 199));
    wide.save(QString::fromStdString((skinFolder(longName) / "preview.png").string()), "PNG");
    start();
    CSkinPage page(program.path(), settings.skinPath, platform::realFileSystem());
    page.resize(600, 400);
    page.show();
    auto* author = page.findChild<QLabel*>("skinAuthor");
    EXPECT_EQ(author->text(), "作者4");
    EXPECT_EQ(page.findChild<QLabel*>("skinDate")->text(), "2026-01-02");
    QImage label = author->grab().toImage();
    int darkBlue = 0;
    for (int y = 0; y < label.height(); ++y) {
        for (int x = 0; x < label.width(); ++x) {
            darkBlue += label.pixelColor(x, y) == QColor(0, 0, 168);
        }
    }
    EXPECT_GT(darkBlue, 0);

    auto* preview = page.findChild<SkinPreview*>("skinPreview");
    QRect area = preview->rect().adjusted(2, 8, -2, -2);
    // 40 x 30, centred in the area's height, at its left.
    int top = area.top() + (area.height() - 30) / 2;
    QImage shown = preview->grab().toImage();
    EXPECT_EQ(shown.pixelColor(area.left(), top), pictureColour(4, 0));
    EXPECT_EQ(shown.pixelColor(area.left() + 39, top + 29), pictureColour(4, 0));
    EXPECT_NE(shown.pixelColor(area.left() + 40, top), pictureColour(4, 0));
    EXPECT_NE(shown.pixelColor(area.left(), top - 1), pictureColour(4, 0));

    page.findChild<QListWidget*>("skinList")->setCurrentRow(1);
    shown = preview->grab().toImage();
    top = area.top() + (area.height() - 20) / 2;
    EXPECT_EQ(shown.pixelColor(area.right(), top), QColor(9, 99, 199));
    EXPECT_NE(shown.pixelColor(area.right() + 1, top), QColor(9, 99, 199));
    EXPECT_EQ(page.changedSkinPath(), "skin/" + longName);
}

} // namespace
} // namespace tarnel::ui
