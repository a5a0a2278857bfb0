#include "ui/options_dialog.h"

#include "app/settings_file.h"
#include "ui/reading_toolbar.h"
#include "ui/skin_page.h"
#include "ui/toolbar_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tarnel::ui {
namespace {

QComboBox* choices(QWidget* owner, const char* objectName, const char* accessibleName,
                   const QStringList& items, int value) {
    auto* box = new QComboBox(owner);
    box->setObjectName(objectName);
    box->setAccessibleName(QString::fromUtf8(accessibleName));
    box->addItems(items);
    box->setCurrentIndex(value >= 0 && value < items.size() ? value : 0);
    return box;
}

QLabel* label(const char* text, QWidget* buddy, QWidget* owner) {
    auto* caption = new QLabel(QString::fromUtf8(text), owner);
    caption->setBuddy(buddy);
    return caption;
}

} // namespace

OptionsDialog::OptionsDialog(app::Settings& settings, const platform::FileSystem& fileSystem,
                             app::Prompt& prompt, std::function<void()> reloadSkin, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_fileSystem(fileSystem), m_prompt(prompt),
      m_reloadSkin(std::move(reloadSkin)) {
    setObjectName("optionsDialog");
    setWindowTitle("选项");
    const app::Settings& s = settings;

    auto* workspace = new QWidget(this);
    workspace->setObjectName("workspacePage");
    m_showPointNum = flag("showPointNum", "分类后显示知识点数", s.showPointNum);
    m_showTotalPointNum = flag("showTotalPointNum", "知识点数包括所有子分类", s.showTotalPointNum);
    m_modifyClassName =
        flag("modifyClassName", "允许在分类树中直接修改分类名称", s.modifyClassName);
    m_tabAlign = choices(this, "tabAlign", "工作区标签位置", {"上方", "左侧", "下方"}, s.tabAlign);
    m_searchDocType =
        new QLineEdit(QString::fromStdString(app::searchDocTypeForFile(s.searchDocType)), this);
    m_searchDocType->setObjectName("searchDocType");
    m_searchDocType->setAccessibleName("内容查询的文档类型");
    m_searchDocType->setPlaceholderText("doc,txt");
    m_autoHomepage = flag("autoHomepage", "启动时显示首页", s.autoHomepage);
    m_autoExpandClass = flag("autoExpandClass", "自动展开分类树", s.autoExpandClass);
    m_closeTipSelection =
        choices(this, "closeTipSelection", "关闭主窗口时",
                {"每次询问", "最小化到系统托盘", "退出程序"}, s.closeTipSelection);
    m_showFlayWnd = flag("showFlayWnd", "显示悬浮窗口", s.showFlayWnd);
    auto* workspaceForm = new QFormLayout(workspace);
    workspaceForm->addRow(m_showPointNum);
    workspaceForm->addRow(m_showTotalPointNum);
    workspaceForm->addRow(m_modifyClassName);
    workspaceForm->addRow(label("工作区标签位置:", m_tabAlign, workspace), m_tabAlign);
    workspaceForm->addRow(label("内容查询的文档类型:", m_searchDocType, workspace),
                          m_searchDocType);
    workspaceForm->addRow(m_autoHomepage);
    workspaceForm->addRow(m_autoExpandClass);
    workspaceForm->addRow(label("关闭主窗口时:", m_closeTipSelection, workspace),
                          m_closeTipSelection);
    workspaceForm->addRow(m_showFlayWnd);

    auto* pointList = new QWidget(this);
    pointList->setObjectName("pointListPage");
    m_showGrid = flag("showGrid", "显示网格线", s.showGrid);
    m_showContentTip = flag("showContentTip", "鼠标停留时显示知识点内容", s.showContentTip);
    m_colorGrad = flag("colorGrad", "列表使用渐变颜色", s.colorGrad);
    auto* listForm = new QFormLayout(pointList);
    listForm->addRow(m_showGrid);
    listForm->addRow(m_showContentTip);
    listForm->addRow(m_colorGrad);

    m_skinPage = new CSkinPage(s.programDirectory, s.skinPath, fileSystem, this);
    m_toolbarPage = new CToolbarPage(s.readingTools, *LUSTRA::CImageMgr::GetInstance(), this);

    auto* pages = new QTabWidget(this);
    pages->setObjectName("optionPages");
    pages->setAccessibleName("选项");
    pages->addTab(workspace, "工作区");
    pages->addTab(pointList, "知识点列表");
    pages->addTab(m_skinPage, "皮肤");
    pages->addTab(m_toolbarPage, "阅读区");
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons->setObjectName("dialogButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    buttons->button(QDialogButtonBox::Apply)->setObjectName("applyButton");
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &OptionsDialog::apply);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
}

QCheckBox* OptionsDialog::flag(const char* objectName, const char* text, bool value) {
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    box->setObjectName(objectName);
    box->setChecked(value);
    return box;
}

void OptionsDialog::accept() {
    apply();
    QDialog::accept();
}

void OptionsDialog::apply() {
    app::Settings& s = m_settings;
    s.showPointNum = m_showPointNum->isChecked();
    s.showTotalPointNum = m_showTotalPointNum->isChecked();
    s.modifyClassName = m_modifyClassName->isChecked();
    s.tabAlign = m_tabAlign->currentIndex();
    s.searchDocType = app::searchDocTypeInMemory(m_searchDocType->text().trimmed().toStdString());
    s.autoHomepage = m_autoHomepage->isChecked();
    s.autoExpandClass = m_autoExpandClass->isChecked();
    s.closeTipSelection = m_closeTipSelection->currentIndex();
    s.showFlayWnd = m_showFlayWnd->isChecked();
    s.showGrid = m_showGrid->isChecked();
    s.showContentTip = m_showContentTip->isChecked();
    s.colorGrad = m_colorGrad->isChecked();
    if (std::optional<std::string> skinPath = m_skinPage->changedSkinPath()) {
        s.skinPath = *skinPath;
        m_skinPage->markApplied();
        if (m_reloadSkin) {
            m_reloadSkin();
        }
    }
    app::SettingsFile file(m_fileSystem);
    int failed = file.writeAll(s);
    if (int listFailed = file.writePointList(s); failed == 0) {
        failed = listFailed;
    }
    if (failed != 0) {
        m_prompt.show("保存设置文件“" + s.settingsFile.string() +
                          "”失败，这些选项只在本次运行中有效!",
                      app::MessageIcon::Error);
    }
    applyReadingTools();
}

void OptionsDialog::applyReadingTools() {
    app::Settings& s = m_settings;
    if (m_toolbarPage->tools() == s.readingTools) {
        return;
    }
    s.readingTools = m_toolbarPage->tools();
    const app::ToolbarConfigFile file(s.programDirectory, m_fileSystem);
    if (file.save(s.readingTools) != 0) {
        m_prompt.show("保存阅读区工具栏配置文件“" + file.path().string() +
                          "”失败，这些工具栏设置只在本次运行中有效!",
                      app::MessageIcon::Error);
    }
    CReadingToolbar::rebuildAll();
}

} // namespace tarnel::ui
