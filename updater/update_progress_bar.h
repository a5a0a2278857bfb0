#pragma once

#include "lustra/image_info.h"
#include "lustra/progress_ctrl_ext.h"

#include <QImage>
#include <memory>

namespace tarnel::updater {

// The bar of the checking and download pages: 282 × 21 pixels, range 0-100, a background
// picture, and blocks of 6 × 15 pixels every 9 pixels from x = 4, y = 3 up to the filled width,
// with the percentage ("%d%%") centred over it in a bold 15-pixel font.
class UpdateProgressBar : public LUSTRA::CProgressCtrlExt {
    Q_OBJECT

public:
    static constexpr int kWidth = 282;
    static constexpr int kHeight = 21;
    static constexpr int kBlockWidth = 6;
    static constexpr int kBlockPitch = 9;
    static constexpr int kBlockHeight = 15;
    static constexpr int kLeftInset = 4;
    static constexpr int kTopInset = 3;

    explicit UpdateProgressBar(QWidget* parent = nullptr);
    ~UpdateProgressBar() override;

    // Position and text; values outside 0-100 are clamped.
    void setPercent(int percent);

private:
    QImage m_background;
    QImage m_block;
    std::unique_ptr<LUSTRA::ST_IMG_INFO> m_backgroundInfo;
    std::unique_ptr<LUSTRA::ST_IMG_INFO> m_blockInfo;
};

} // namespace tarnel::updater
