#include "updater/wizard_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tarnel::updater {

QPixmap wizardPicture() {
    constexpr int kWidth = 100;
    constexpr int kHeight = 220;
    QPixmap picture(kWidth, kHeight);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(32, 84, 160));
    sky.setColorAt(1, QColor(120, 176, 232));
    painter.fillRect(picture.rect(), sky);
    // A downward arrow into a tray: something new arrives.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 220));
    QPainterPath arrow;
    arrow.moveTo(40, 60);
    arrow.lineTo(60, 60);
    arrow.lineTo(60, 100);
    arrow.lineTo(75, 100);
    arrow.lineTo(50, 128);
    arrow.lineTo(25, 100);
    arrow.lineTo(40, 100);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygon({{18, 124}, {18, 146}, {82, 146}, {82, 124}}));
    painter.setPen(Qt::white);
    QFont name(QStringLiteral("Sans"));
    name.setPixelSize(16);
    name.setBold(true);
    painter.setFont(name);
    painter.drawText(QRect(0, 160, kWidth, 24), Qt::AlignCenter, QStringLiteral("Tarnel"));
    return picture;
}

} // namespace tarnel::updater
