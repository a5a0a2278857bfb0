#include "updater/update_progress_bar.h"

#include <QFont>
#include <QPainter>
#include <algorithm>

namespace tarnel::updater {
namespace {

// Lustra's colour number for "none".
constexpr int kNoColor = -1;

QImage backgroundPicture() {
    QImage image(UpdateProgressBar::kWidth, UpdateProgressBar::kHeight,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(244, 246, 250));
    QPainter painter(&image);
    painter.setPen(QColor(128, 138, 158));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    painter.setPen(QColor(208, 214, 226));
    painter.drawRect(image.rect().adjusted(1, 1, -2, -2));
    return image;
}

// One tile of the bar: the block and the gap after it.
QImage blockPicture() {
    QImage image(UpdateProgressBar::kBlockPitch, UpdateProgressBar::kBlockHeight,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QLinearGradient shade(0, 0, 0, UpdateProgressBar::kBlockHeight);
    shade.setColorAt(0, QColor(120, 200, 120));
    shade.setColorAt(1, QColor(20, 140, 40));
    painter.fillRect(0, 0, UpdateProgressBar::kBlockWidth, UpdateProgressBar::kBlockHeight, shade);
    return image;
}

} // namespace

UpdateProgressBar::UpdateProgressBar(QWidget* parent)
    : CProgressCtrlExt(parent), m_background(backgroundPicture()), m_block(blockPicture()),
      m_backgroundInfo(LUSTRA::InitImageInfo(&m_background)),
      m_blockInfo(LUSTRA::InitImageInfo(&m_block)) {
    setFixedSize(kWidth, kHeight);
    setRange(0, 100);
    SetBkColor(kNoColor);
    SetFrameColor(kNoColor);
    SetBkImage(m_backgroundInfo.get(), LUSTRA::DM_STRETCH);
    SetBarImage(m_blockInfo.get(), LUSTRA::DM_TILE);
    SetInsets(kLeftInset, kLeftInset, kTopInset, kTopInset);
    QFont percentFont("MS Sans Serif");
    percentFont.setPixelSize(15);
    percentFont.setBold(true);
    setFont(percentFont);
    setPercent(0);
}

UpdateProgressBar::~UpdateProgressBar() = default;

void UpdateProgressBar::setPercent(int percent) {
    setValue(std::clamp(percent, 0, 100));
    UpdatePercentText();
    setAccessibleDescription(QString::fromStdString(GetText()));
}

} // namespace tarnel::updater
