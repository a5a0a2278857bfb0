#include "ui/notification_window.h"

#include "ui/tooltip_delay_style.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

namespace tarnel::ui {
namespace {

constexpr const char* kCloseTip = "关闭";
constexpr const char* kDetailsTip = "查看详情";
constexpr QColor kInnerFrame{196, 196, 196};
constexpr int kFrameWidth = 2;
constexpr int kIconLeft = 2;
constexpr int kIconTop = 4;
constexpr int kIconSize = 16;
constexpr int kTitleLeft = 2;
constexpr int kTitleLeftAfterIcon = 20;
constexpr int kCloseBoxWidth = 20;
// The cross stands for the 8-point close glyph of the caption.
constexpr int kCrossSize = 7;
constexpr int kTextInset = 10;
constexpr int kTitlePixelSize = 15;

QColor qColour(skin::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// A hot spot of the painted window: the window paints it, the area takes the mouse, the cursor,
// the tooltip and the accessible name.
class HotArea : public QAbstractButton {
public:
    HotArea(const QString& name, const QString& tooltip, QWidget* parent)
        : QAbstractButton(parent) {
        setAccessibleName(name);
        setToolTip(tooltip);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {}
};

// The text word-wrapped into the width, as many lines as the height holds, the last one cut
// with an ellipsis when text is left over.
QStringList wrappedLines(const QString& text, const QFont& font, const QSize& box) {
    QString laidOut = text;
    laidOut.replace('\n', QChar::LineSeparator);
    QTextLayout layout(laidOut, font);
    QFontMetrics metrics(font);
    int lineHeight = metrics.lineSpacing();
    int room = std::max(1, box.height() / lineHeight);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        QString part = laidOut.mid(line.textStart(), line.textLength());
        if (static_cast<int>(lines.size()) == room - 1 &&
            line.textStart() + line.textLength() < laidOut.size()) {
            QString rest = laidOut.mid(line.textStart()).replace(QChar::LineSeparator, ' ');
            lines.append(metrics.elidedText(rest, Qt::ElideRight, box.width()));
            break;
        }
        part.remove(QChar::LineSeparator);
        lines.append(part);
    }
    layout.endLayout();
    return lines;
}

} // namespace

NotificationWindow::NotificationWindow(Content content, const skin::ColourScheme& scheme,
                                       QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_content(std::move(content)), m_scheme(scheme),
      m_style(new TooltipDelayStyle(kTooltipDelayMs)) {
    setObjectName("NotificationWindow");
    setAccessibleName(m_content.title);
    setWindowTitle(m_content.title);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kSize);
    m_style->setParent(this);
    m_closeArea = new HotArea(kCloseTip, kCloseTip, this);
    m_closeArea->setObjectName("notificationClose");
    m_closeArea->setStyle(m_style);
    m_closeArea->setGeometry(closeGlyphRect());
    connect(m_closeArea, &QAbstractButton::clicked, this, &QWidget::close);
    if (m_content.onClick) {
        m_textArea = new HotArea(m_content.text, kDetailsTip, this);
        m_textArea->setObjectName("notificationText");
        m_textArea->setAccessibleDescription(kDetailsTip);
        m_textArea->setStyle(m_style);
        m_textArea->setGeometry(textRect());
        connect(m_textArea, &QAbstractButton::clicked, this, &NotificationWindow::clickText);
    }
}

NotificationWindow::~NotificationWindow() = default;

QPoint NotificationWindow::placeOn(const QRect& available) {
    return {available.x() + available.width() - kRightMargin - kSize.width(),
            available.y() + available.height() - kBottomMargin - kSize.height()};
}

QRect NotificationWindow::closeGlyphRect() const {
    return {width() - kFrameWidth - kCloseBoxWidth, kFrameWidth, kCloseBoxWidth, kCaptionHeight};
}

QRect NotificationWindow::textRect() const {
    return QRect(QPoint(kFrameWidth + kTextInset, kTextTop),
                 QPoint(width() - 1 - kFrameWidth - kTextInset, height() - 1 - kFrameWidth));
}

void NotificationWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
    painter.setPen(kInnerFrame);
    painter.drawRect(1, 1, width() - 3, height() - 3);
    QRect inside(kFrameWidth, kFrameWidth, width() - 2 * kFrameWidth, height() - 2 * kFrameWidth);
    painter.fillRect(inside, qColour(m_scheme.notificationBackground()));
    paintCaption(painter);

    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    QRect box = textRect();
    QStringList lines = wrappedLines(m_content.text, font(), box.size());
    int lineHeight = QFontMetrics(font()).lineSpacing();
    int top = box.top() + (box.height() - static_cast<int>(lines.size()) * lineHeight) / 2;
    for (const QString& line : lines) {
        painter.drawText(QRect(box.left(), top, box.width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, line);
        top += lineHeight;
    }
}

// The band runs through the four caption colours from top to bottom, in two halves.
void NotificationWindow::paintCaption(QPainter& painter) const {
    QRect band(kFrameWidth, kFrameWidth, width() - 2 * kFrameWidth, kCaptionHeight);
    auto colours = m_scheme.notificationCaptionBand();
    QLinearGradient gradient(0, band.top(), 0, band.bottom());
    gradient.setColorAt(0.0, qColour(colours[0]));
    gradient.setColorAt(0.5, qColour(colours[1]));
    gradient.setColorAt(0.5001, qColour(colours[2]));
    gradient.setColorAt(1.0, qColour(colours[3]));
    painter.fillRect(band, gradient);

    int titleLeft = kTitleLeft;
    if (!m_content.icon.isNull()) {
        painter.drawImage(QRect(kIconLeft, kIconTop, kIconSize, kIconSize),
                          m_content.icon.scaled(kIconSize, kIconSize, Qt::IgnoreAspectRatio,
                                                Qt::SmoothTransformation));
        titleLeft = kTitleLeftAfterIcon;
    }
    QColor text = qColour(m_scheme.notificationCaptionText());
    QFont titleFont("黑体");
    titleFont.setPixelSize(kTitlePixelSize);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(text);
    QRect close = closeGlyphRect();
    QRect title(titleLeft, band.top(), close.left() - titleLeft, band.height());
    painter.drawText(
        title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetrics(titleFont).elidedText(m_content.title, Qt::ElideRight, title.width()));

    QRect cross(0, 0, kCrossSize, kCrossSize);
    cross.moveCenter(close.center());
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.bottomLeft(), cross.topRight());
}

void NotificationWindow::clickText() {
    m_content.onClick();
    close();
}

// A press outside the hot areas moves the window, as a press on a caption would.
void NotificationWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_grab = event->globalPosition().toPoint() - pos();
    }
}

void NotificationWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_grab && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *m_grab);
    }
}

void NotificationWindow::mouseReleaseEvent(QMouseEvent*) {
    m_grab.reset();
}

} // namespace tarnel::ui
