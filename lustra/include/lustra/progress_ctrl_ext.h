#pragma once

#include "lustra/image_info.h"
#include "lustra/lustra_export.h"

#include <QProgressBar>
#include <QTimer>
#include <string>

namespace LUSTRA {

// A progress bar that draws itself: colours or pictures for background and bar, a centred text
// and a frame. Its step timer can drive it: a bar that grows, or (sliding) a picture that runs
// across the bar without end as a busy sign. Screen readers read the drawn text as its value.
class LUSTRA_API CProgressCtrlExt : public QProgressBar {
    Q_OBJECT

public:
    static constexpr int kStepTimer = 1000;

    explicit CProgressCtrlExt(QWidget* parent = nullptr);
    ~CProgressCtrlExt() override;

    // Values of 0 or less keep the interval.
    void SetElapse(int ms);
    int GetElapse() const { return m_nElapse; }
    void StartTimer();
    void StopTimer();
    bool IsTimerActive() const { return m_timer.isActive(); }
    // The text becomes the position's share of the range, "%d%%".
    void UpdatePercentText();
    // One step: the bar grows by one, or the sliding picture moves on (and restarts at the
    // minimum once it has left the bar); then a repaint.
    void OnTimer(int id);

    void SetText(const char* text);
    const std::string& GetText() const { return m_strText; }
    void SetTextColor(int color);
    void SetFrameColor(int color);
    void SetBkColor(int color);
    void SetBarColor(int color);
    // Pictures are not owned.
    void SetBkImage(ST_IMG_INFO* image, DISPLAY_METHOD method);
    void SetBarImage(ST_IMG_INFO* image, DISPLAY_METHOD method);
    void SetInsets(int left, int right, int top, int bottom);
    void SetSliding(bool sliding);
    int GetSlideOffset() const { return m_nSlideOffset; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int barEnd() const;
    int slideShift() const;

    int m_crText = 0;
    int m_crFrame = 11053224;
    int m_crBk = 16777215;
    int m_crBar = 43008;
    ST_IMG_INFO* m_pBkImg = nullptr;
    DISPLAY_METHOD m_nBkMethod = DM_STRETCH;
    ST_IMG_INFO* m_pBarImg = nullptr;
    DISPLAY_METHOD m_nBarMethod = DM_TILE;
    int m_nLeftInset = 0;
    int m_nRightInset = 0;
    int m_nTopInset = 0;
    int m_nBottomInset = 0;
    std::string m_strText;
    bool m_bSliding = false;
    int m_nSlideOffset = 0;
    int m_nElapse = 40;
    QTimer m_timer;
};

} // namespace LUSTRA
