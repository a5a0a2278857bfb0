#pragma once

#include "ui/skin/colour_scheme.h"

#include <QAbstractButton>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace tarnel::ui {

class TooltipDelayStyle;

// The small window in the lower right corner of the screen that tells of a newer version: a
// caption band with an icon, the title and a close cross, and a text that, when it has a click
// action, runs it and closes the window. Frameless and always on top; painted in the colours of
// the main window's scheme. Deletes itself when closed. User-interface thread only.
class NotificationWindow : public QWidget {
    Q_OBJECT

public:
    struct Content {
        QString title;
        QString text;
        // Shown at 16 × 16 in the caption band; a null image: no icon.
        QImage icon;
        // Runs when the text is clicked; empty: the text is not clickable.
        std::function<void()> onClick;
    };

    static constexpr QSize kSize{250, 150};
    static constexpr int kCaptionHeight = 25;
    static constexpr int kTextTop = 55;
    static constexpr int kTooltipDelayMs = 600;
    static constexpr int kRightMargin = 5;
    static constexpr int kBottomMargin = 1;

    NotificationWindow(Content content, const skin::ColourScheme& scheme,
                       QWidget* parent = nullptr);
    ~NotificationWindow() override;

    // The window's place: its right edge 5 pixels inside the right of the screen's available
    // area, its bottom 1 pixel above the bottom of it (above the panels).
    static QPoint placeOn(const QRect& availableGeometry);

    const Content& content() const { return m_content; }
    QRect closeGlyphRect() const;
    QRect textRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintCaption(class QPainter& painter) const;
    void clickText();

    Content m_content;
    skin::ColourScheme m_scheme;
    TooltipDelayStyle* m_style;
    QAbstractButton* m_closeArea;
    QAbstractButton* m_textArea = nullptr;
    // Where the window was grabbed, relative to its corner, while it is being moved.
    std::optional<QPoint> m_grab;
};

} // namespace tarnel::ui
