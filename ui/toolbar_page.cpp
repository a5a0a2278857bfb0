#include "ui/toolbar_page.h"

#include "app/reading_tools.h"

#include <QComboBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>

namespace tarnel::ui {
namespace {

QPushButton* button(const char* objectName, const char* text, QWidget* owner) {
    auto* pushButton = new QPushButton(QString::fromUtf8(text), owner);
    pushButton->setObjectName(objectName);
    return pushButton;
}

// A kind a newer program wrote stays in the list under its number, so that it can be moved.
QString nameOf(const app::ConfiguredTool& tool) {
    if (const app::ReadingToolKind* kind = app::findReadingToolKind(tool.kind)) {
        return QString::fromUtf8(kind->name.data(), static_cast<int>(kind->name.size()));
    }
    return QStringLiteral("未知工具 %1").arg(tool.kind);
}

} // namespace

CToolbarPage::CToolbarPage(std::vector<app::ConfiguredTool> tools, LUSTRA::CImageMgr& images,
                           QWidget* parent)
    : QWidget(parent), m_tools(std::move(tools)), m_images(images) {
    setObjectName("toolbarPage");
    m_list = new QListWidget(this);
    m_list->setObjectName("toolList");
    m_list->setAccessibleName("阅读区工具栏");
    m_separator = button("separatorButton", "插入分隔符", this);
    m_option = new QComboBox(this);
    m_option->setObjectName("toolOption");
    m_option->setAccessibleName("工具显示方式");
    m_option->addItems({"只显示图片", "图片和文字"});
    m_visible = button("visibleButton", "隐藏此工具", this);
    m_up = button("moveUpButton", "上移", this);
    m_down = button("moveDownButton", "下移", this);
    auto* caption = new QLabel("显示方式:", this);
    caption->setBuddy(m_option);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_list, 0, 0, 7, 1);
    layout->addWidget(caption, 0, 1);
    layout->addWidget(m_option, 1, 1);
    layout->addWidget(m_visible, 2, 1);
    layout->addWidget(m_separator, 3, 1);
    layout->addWidget(m_up, 4, 1);
    layout->addWidget(m_down, 5, 1);
    layout->setRowStretch(6, 1);

    connect(m_list, &QListWidget::currentRowChanged, this, &CToolbarPage::showEntry);
    connect(m_separator, &QPushButton::clicked, this, &CToolbarPage::toggleSeparator);
    connect(m_visible, &QPushButton::clicked, this, &CToolbarPage::toggleVisible);
    connect(m_option, &QComboBox::activated, this, &CToolbarPage::chooseOption);
    connect(m_up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { move(1); });
    fillList(0);
}

QIcon CToolbarPage::iconFor(const app::ConfiguredTool& tool) const {
    const app::ReadingToolKind* kind = app::findReadingToolKind(tool.kind);
    if (!kind) {
        return {};
    }
    const LUSTRA::ST_IMG_INFO* image =
        m_images.GetImgByItemID(tool.isVisible() ? kind->image : kind->disabledImage);
    if (!image || !image->pBitmap) {
        return {};
    }
    return QIcon(QPixmap::fromImage(
        image->pBitmap->copy(image->nLeft, image->nTop, image->nWidth, image->nHeight)));
}

void CToolbarPage::fillList(int selected) {
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const app::ConfiguredTool& tool : m_tools) {
        m_list->addItem(new QListWidgetItem(iconFor(tool), nameOf(tool)));
    }
    const int last = static_cast<int>(m_tools.size()) - 1;
    m_list->setCurrentRow(std::min(selected, last));
    showEntry(m_list->currentRow());
}

void CToolbarPage::showEntry(int row) {
    const bool chosen = row >= 0 && row < static_cast<int>(m_tools.size());
    const bool separator = chosen && m_tools[static_cast<std::size_t>(row)].isSeparator();
    m_separator->setEnabled(chosen);
    m_separator->setText(separator ? "删除分隔符" : "插入分隔符");
    m_option->setEnabled(chosen && !separator);
    m_visible->setEnabled(chosen && !separator);
    m_up->setEnabled(chosen && row > 0);
    m_down->setEnabled(chosen && row < static_cast<int>(m_tools.size()) - 1);
    if (!chosen || separator) {
        m_visible->setText("隐藏此工具");
        return;
    }
    const app::ConfiguredTool& tool = m_tools[static_cast<std::size_t>(row)];
    m_visible->setText(tool.isVisible() ? "隐藏此工具" : "显示此工具");
    // An option the drop-down does not offer is kept until the user picks another.
    m_option->setCurrentIndex(tool.option >= 0 && tool.option < m_option->count() ? tool.option
                                                                                  : -1);
}

void CToolbarPage::toggleSeparator() {
    const int row = m_list->currentRow();
    if (row < 0) {
        return;
    }
    const auto at = m_tools.begin() + row;
    if (at->isSeparator()) {
        m_tools.erase(at);
        fillList(row);
        return;
    }
    m_tools.insert(at + 1, app::ConfiguredTool{app::kToolSeparator, 0, 1});
    fillList(row + 1);
}

void CToolbarPage::toggleVisible() {
    const int row = m_list->currentRow();
    if (row < 0) {
        return;
    }
    app::ConfiguredTool& tool = m_tools[static_cast<std::size_t>(row)];
    tool.visible = tool.isVisible() ? 0 : 1;
    m_list->item(row)->setIcon(iconFor(tool));
    showEntry(row);
}

void CToolbarPage::chooseOption(int option) {
    const int row = m_list->currentRow();
    if (row >= 0) {
        m_tools[static_cast<std::size_t>(row)].option = option;
    }
}

void CToolbarPage::move(int step) {
    const int row = m_list->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= static_cast<int>(m_tools.size())) {
        return;
    }
    std::swap(m_tools[static_cast<std::size_t>(row)], m_tools[static_cast<std::size_t>(target)]);
    fillList(target);
}

} // namespace tarnel::ui
