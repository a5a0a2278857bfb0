#include "lustra/progress_ctrl_ext.h"

#include "accessible_factory.h"
#include "color_ref.h"
#include "lustra/image_drawing.h"

#include <QAccessible>
#include <QPainter>
#include <cmath>

namespace LUSTRA {
namespace {

constexpr int kDefaultBarColor = 43008; // green 168

} // namespace

CProgressCtrlExt::CProgressCtrlExt(QWidget* parent) : QProgressBar(parent) {
    InstallAccessibleFactory();
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(kStepTimer); });
}

CProgressCtrlExt::~CProgressCtrlExt() {
    m_timer.stop();
}

void CProgressCtrlExt::SetElapse(int ms) {
    if (ms > 0) {
        m_nElapse = ms;
        m_timer.setInterval(ms);
    }
}

void CProgressCtrlExt::StartTimer() {
    m_timer.start(m_nElapse);
}

void CProgressCtrlExt::StopTimer() {
    m_timer.stop();
}

void CProgressCtrlExt::UpdatePercentText() {
    const long long range = (long long)maximum() - minimum();
    const long long percent = range > 0 ? ((long long)value() - minimum()) * 100 / range : 0;
    SetText((std::to_string(percent) + "%").c_str());
}

// How far the sliding picture has run on past the bar's end.
int CProgressCtrlExt::slideShift() const {
    const double range = double(maximum()) - minimum();
    const int barWidth = width() - m_nLeftInset - m_nRightInset;
    if (range <= 0 || value() < maximum()) {
        return 0;
    }
    return int(std::trunc(barWidth * (double(m_nSlideOffset) - maximum()) / range));
}

void CProgressCtrlExt::OnTimer(int id) {
    if (id != kStepTimer) {
        return;
    }
    if (value() < maximum()) {
        setValue(value() + 1);
        m_nSlideOffset = value();
    } else {
        ++m_nSlideOffset;
        // The picture's left edge has passed the bar's end: start again from the minimum.
        if (m_bSliding && m_pBarImg && slideShift() > m_pBarImg->nWidth) {
            setValue(minimum());
            m_nSlideOffset = minimum();
        }
    }
    update();
}

int CProgressCtrlExt::barEnd() const {
    const double range = double(maximum()) - minimum();
    const int barWidth = width() - m_nLeftInset - m_nRightInset;
    return m_nLeftInset + int(std::trunc(barWidth * (double(value()) - minimum()) / range));
}

void CProgressCtrlExt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    if (m_crBk != kNoColor) {
        painter.fillRect(client, colorFromRef(m_crBk));
    }
    DrawImage(&painter, m_pBkImg, client, m_nBkMethod);
    const QRect area(m_nLeftInset, m_nTopInset, client.width() - m_nLeftInset - m_nRightInset,
                     client.height() - m_nTopInset - m_nBottomInset);
    if (maximum() > minimum()) {
        const int end = barEnd();
        if (!m_pBarImg) {
            painter.fillRect(QRect(0, 0, end, client.height()),
                             colorFromRef(m_crBar == kNoColor ? kDefaultBarColor : m_crBar));
        } else if (!m_bSliding) {
            DrawImage(&painter, m_pBarImg, QRect(area.x(), area.y(), end - area.x(), area.height()),
                      m_nBarMethod);
        } else {
            const int pictureWidth = m_pBarImg->nWidth;
            const int pictureHeight = m_pBarImg->nHeight;
            const int right = end + slideShift();
            const int top = pictureHeight < area.height()
                                ? area.y() + (area.height() - pictureHeight) / 2
                                : area.y();
            if (right - pictureWidth <= end) {
                painter.save();
                painter.setClipRect(client);
                DrawImage(&painter, m_pBarImg,
                          QRect(right - pictureWidth, top, pictureWidth, pictureHeight),
                          DM_ORIGINAL);
                painter.restore();
            }
        }
    }
    if (!m_strText.empty()) {
        painter.setPen(colorFromRef(m_crText));
        painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine,
                         QString::fromStdString(m_strText));
    }
    if (m_crFrame != kNoColor) {
        painter.setPen(colorFromRef(m_crFrame));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(client.adjusted(0, 0, -1, -1));
    }
}

void CProgressCtrlExt::SetText(const char* text) {
    m_strText = text ? text : "";
    update();
    // The drawn text is the value readers speak.
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, value());
        QAccessible::updateAccessibility(&changed);
    }
}

void CProgressCtrlExt::SetTextColor(int color) {
    m_crText = color;
    update();
}

void CProgressCtrlExt::SetFrameColor(int color) {
    m_crFrame = color;
    update();
}

void CProgressCtrlExt::SetBkColor(int color) {
    m_crBk = color;
    update();
}

void CProgressCtrlExt::SetBarColor(int color) {
    m_crBar = color;
    update();
}

void CProgressCtrlExt::SetBkImage(ST_IMG_INFO* image, DISPLAY_METHOD method) {
    m_pBkImg = image;
    m_nBkMethod = method;
    update();
}

void CProgressCtrlExt::SetBarImage(ST_IMG_INFO* image, DISPLAY_METHOD method) {
    m_pBarImg = image;
    m_nBarMethod = method;
    update();
}

void CProgressCtrlExt::SetInsets(int left, int right, int top, int bottom) {
    m_nLeftInset = left;
    m_nRightInset = right;
    m_nTopInset = top;
    m_nBottomInset = bottom;
    update();
}

void CProgressCtrlExt::SetSliding(bool sliding) {
    m_bSliding = sliding;
    update();
}

} // namespace LUSTRA
