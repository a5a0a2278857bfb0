#include "tests/ops/ops_fixture.h"
#include "tests/ui/frame_fixture.h"
#include "ui/category_window.h"
#include "ui/knowledge_tree_model.h"
#include "ui/options_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <gtest/gtest.h>

namespace tarnel::ui {
namespace {

using test::FrameTest;

void runOptions(CMainFrame& frame, std::function<void(QWidget& dialog)> fill, const char* button) {
    test::whenModal([fill, button](QWidget* dialog) {
        ASSERT_EQ(dialog->objectName(), "optionsDialog");
        fill(*dialog);
        dialog->findChild<QPushButton*>(button)->click();
    });
    frame.findChild<QAction*>("optionsCommand")->trigger();
}

TEST_F(FrameTest, OptionsOkWritesTheSettingsFileAndTakesEffectAtOnce) {
    makeCategories({"A"});
    writeSettings("; kept\r\n[SKIN]\r\nSkinPath=\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n");
    start();
    frame->openCategoryWindow(*category("A"));
    std::string before = test::readBytes(program / "tarnel.ini");
    runOptions(
        *frame, [](QWidget& d) { d.findChild<QComboBox*>("tabAlign")->setCurrentIndex(2); },
        "cancelButton");
    EXPECT_EQ(test::readBytes(program / "tarnel.ini"), before);
    EXPECT_EQ(settings.tabAlign, 0);

    runOptions(
        *frame,
        [](QWidget& d) {
            d.findChild<QComboBox*>("tabAlign")->setCurrentIndex(2);
            d.findChild<QCheckBox*>("showPointNum")->setChecked(true);
            d.findChild<QComboBox*>("closeTipSelection")->setCurrentIndex(1);
            d.findChild<QLineEdit*>("searchDocType")->setText(" doc,txt ");
            d.findChild<QCheckBox*>("showGrid")->setChecked(true);
        },
        "okButton");
    EXPECT_EQ(frame->findChild<QTabWidget*>("workspaceTabs")->tabPosition(), QTabWidget::South);
    EXPECT_EQ(tree().labelOf(categoryIndex("A")).toStdString(), "A(0)");
    EXPECT_TRUE(frame->findChild<QTableView*>("pointList")->showGrid());
    EXPECT_EQ(settings.closeTipSelection, 1);
    EXPECT_EQ(test::readBytes(program / "tarnel.ini"),
              "; kept\r\n[SKIN]\r\nSkinPath=\r\n[SOFT_INFORMATION]\r\nSOFT_VERSION=210\r\n"
              "[DATA]\r\nData_Path=" +
                  data().string() +
                  "\r\nDATABASE_TYPE=0\r\n[ACCESS]\r\nACCESS_PATH=\r\nUSER=\r\nPWD=\r\n"
                  "[SQL_SERVER]\r\nHOSTNAME=\r\nUSER=\r\nPWD=\r\nDB=\r\nWINDOW=0\r\n"
                  "[WORKSPACE]\r\nSHOW_POINT_NUM=1\r\nSHOW_TOTAL_POINT_NUM=0\r\n"
                  "MODIFY_CLASS_NAME=0\r\nMODIFY_TAB_NAME=0\r\nTAB_ALIGN=2\r\n"
                  "SEARCH_DOC_TYPE=doc,txt\r\n[STARTUP]\r\nAUTO_HOMEPAGE=0\r\n"
                  "AUTO_EXPAND_CLASS=1\r\nCLOSE_TIP_SELECTION=1\r\nSHOW_FLAY_WND=0\r\n"
                  "[POINT_LIST]\r\nSHOW_GRID=1\r\nSHOW_CONTENT_TIP=0\r\nPOINT_SORT_TYPE=0\r\n"
                  "DBCLICK_TAB_WINDOW=0\r\nCOLOR_GRAD=0\r\n");
    EXPECT_TRUE(prompt.events().empty());
}

TEST(OptionsDialogTest, AFailedWriteIsReportedAndTheChoicesHoldForTheRun) {
    test::TempDir program;
    test::OpsFileSystem fileSystem;
    fileSystem.failWritesTo = "tarnel.ini";
    test::ScriptedPrompt prompt;
    app::Settings settings;
    settings.settingsFile = program / "tarnel.ini";
    OptionsDialog dialog(settings, fileSystem, prompt);
    dialog.findChild<QCheckBox*>("showGrid")->setChecked(true);
    dialog.findChild<QPushButton*>("okButton")->click();
    EXPECT_EQ(prompt.events(),
              (std::vector{test::shown("保存设置文件“" + settings.settingsFile.string() +
                                           "”失败，这些选项只在本次运行中有效!",
                                       app::MessageIcon::Error)}));
    EXPECT_TRUE(settings.showGrid);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(program / "tarnel.ini"));
}

} // namespace
} // namespace tarnel::ui
