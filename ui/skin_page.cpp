#include "ui/skin_page.h"

#include "ui/skin/skin_folder.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QVBoxLayout>

namespace tarnel::ui {
namespace {

constexpr int kPreviewWidth = 240;
constexpr int kPreviewHeight = 180;

QImage readPreview(const std::filesystem::path& path) {
    if (path.empty()) {
        return {};
    }
    QImageReader reader(QString::fromStdString(path.string()));
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

QLabel* darkBlueLabel(const char* objectName, const char* accessibleName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setAccessibleName(QString::fromUtf8(accessibleName));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     QColor(CSkinPage::kLabelRed, CSkinPage::kLabelGreen, CSkinPage::kLabelBlue));
    label->setPalette(palette);
    return label;
}

} // namespace

SkinPreview::SkinPreview(QWidget* parent) : QFrame(parent) {
    setObjectName("skinPreview");
    setAccessibleName("皮肤预览");
    setFrameShape(QFrame::Box);
    setMinimumSize(kPreviewWidth, kPreviewHeight);
}

void SkinPreview::setPicture(QImage picture) {
    m_picture = std::move(picture);
    update();
}

QRect SkinPreview::area() const {
    return rect().adjusted(kInset, kTopInset, -kInset, -kInset);
}

QRect SkinPreview::pictureRect() const {
    QRect inside = area();
    int top = inside.top();
    if (m_picture.height() < inside.height()) {
        top += (inside.height() - m_picture.height()) / 2;
    }
    return {inside.left(), top, m_picture.width(), m_picture.height()};
}

void SkinPreview::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_picture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setClipRect(area());
    painter.drawImage(pictureRect().topLeft(), m_picture);
}

CSkinPage::CSkinPage(const std::filesystem::path& programDirectory,
                     const std::string& currentSkinPath, const platform::FileSystem& fileSystem,
                     QWidget* parent)
    : QWidget(parent), m_catalog(skin::SkinCatalog::scan(programDirectory, fileSystem)),
      m_current(currentSkinPath.empty() ? std::string(skin::kDefaultSkinPath)
                                        : skin::withForwardSlashes(currentSkinPath)),
      m_list(new QListWidget(this)), m_author(darkBlueLabel("skinAuthor", "作者", this)),
      m_date(darkBlueLabel("skinDate", "日期", this)), m_preview(new SkinPreview(this)) {
    setObjectName("skinPage");
    m_list->setObjectName("skinList");
    m_list->setAccessibleName("皮肤列表");
    for (const skin::SkinCatalogEntry& entry : m_catalog.entries()) {
        m_list->addItem(QString::fromStdString(entry.name));
        m_previews.push_back(readPreview(entry.preview));
    }
    auto* details = new QFormLayout;
    details->addRow("作者:", m_author);
    details->addRow("日期:", m_date);
    auto* right = new QVBoxLayout;
    right->addLayout(details);
    right->addWidget(m_preview, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(right, 1);
    connect(m_list, &QListWidget::currentRowChanged, this, &CSkinPage::showEntry);
    m_list->setCurrentRow(m_catalog.indexOf(m_current));
    showEntry(m_list->currentRow());
}

void CSkinPage::showEntry(int row) {
    if (row < 0 || row >= static_cast<int>(m_catalog.entries().size())) {
        m_author->clear();
        m_date->clear();
        m_preview->setPicture({});
        return;
    }
    const skin::SkinCatalogEntry& entry = m_catalog.entries()[static_cast<std::size_t>(row)];
    m_author->setText(QString::fromStdString(entry.author));
    m_date->setText(QString::fromStdString(entry.dateTime));
    m_preview->setPicture(m_previews[static_cast<std::size_t>(row)]);
}

std::optional<std::string> CSkinPage::changedSkinPath() const {
    int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_catalog.entries().size())) {
        return std::nullopt;
    }
    const std::string& chosen = m_catalog.entries()[static_cast<std::size_t>(row)].skinPath;
    return chosen == m_current ? std::nullopt : std::optional<std::string>(chosen);
}

void CSkinPage::markApplied() {
    if (std::optional<std::string> chosen = changedSkinPath()) {
        m_current = *chosen;
    }
}

} // namespace tarnel::ui
