#include "tools/skin_generator/picture_painter.h"

#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

namespace tarnel::skingen {
namespace {

using ui::skin::ColourScheme;

// The alert plate behind a close button under the mouse, and the glyph drawn on it.
const QColor kAlertPlate(0xd6, 0x45, 0x3d);
const QColor kAlertGlyph(0xff, 0xff, 0xff);

QImage blank(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// The glyph's shape in one colour, its coverage kept.
QImage tinted(const QImage& glyph, const QColor& colour) {
    QImage out = blank(glyph.size());
    QPainter painter(&out);
    painter.drawImage(0, 0, glyph);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(out.rect(), colour);
    return out;
}

} // namespace

QColor colourOf(ui::skin::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

PicturePainter::PicturePainter(QDir drawings, const ColourScheme& scheme)
    : m_drawings(std::move(drawings)), m_scheme(scheme) {}

QImage PicturePainter::paint(const PicturePlan& plan, QString& error) const {
    switch (plan.kind) {
    case PictureKind::kPaneNormal:
    case PictureKind::kPaneFocus:
    case PictureKind::kPaneSelect:
        return paneGradient(plan.kind, plan.size);
    case PictureKind::kDrawing:
        return render(QString::fromStdString(plan.drawing), plan.size, error);
    case PictureKind::kDisabled: {
        QImage base = render(QString::fromStdString(plan.drawing), plan.size, error);
        return base.isNull() ? base : disabledFrom(base);
    }
    case PictureKind::kFocused:
    case PictureKind::kFocusedAlert: {
        QImage base = render(QString::fromStdString(plan.drawing), plan.size, error);
        return base.isNull() ? base : onPlate(base, plan.kind);
    }
    }
    return {};
}

QImage PicturePainter::render(const QString& drawing, QSize size, QString& error) const {
    QString path = m_drawings.filePath(drawing);
    if (!QFileInfo::exists(path)) {
        error = QStringLiteral("no drawing %1").arg(path);
        return {};
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        error = QStringLiteral("not a valid drawing: %1").arg(path);
        return {};
    }
    QImage image = blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A drawing smaller than its picture (a 16-unit glyph on a caption button) is centred.
    QSizeF drawn = renderer.viewBoxF().size();
    if (drawn.width() <= size.width() && drawn.height() <= size.height()) {
        QPointF corner((size.width() - drawn.width()) / 2, (size.height() - drawn.height()) / 2);
        renderer.render(&painter, QRectF(corner, drawn));
    } else {
        renderer.render(&painter, QRectF(QPointF(0, 0), size));
    }
    return image;
}

QImage PicturePainter::paneGradient(PictureKind kind, QSize size) const {
    // The normal tab sits light on the pane, the tab under the mouse lights up, the selected
    // tab takes the strongest blue of the scheme; dark text reads on all three.
    ColourScheme::Index top = ColourScheme::kTint02;
    ColourScheme::Index bottom = ColourScheme::kTint065;
    if (kind == PictureKind::kPaneFocus) {
        top = ColourScheme::kTint01;
        bottom = ColourScheme::kTint045;
    } else if (kind == PictureKind::kPaneSelect) {
        top = ColourScheme::kTint0423;
        bottom = ColourScheme::kTint0914;
    }
    QImage image = blank(size);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, colourOf(m_scheme.colour(top)));
    gradient.setColorAt(1, colourOf(m_scheme.colour(bottom)));
    painter.fillRect(image.rect(), gradient);
    return image;
}

QImage PicturePainter::onPlate(const QImage& glyph, PictureKind kind) const {
    bool alert = kind == PictureKind::kFocusedAlert;
    QImage image = blank(glyph.size());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF plate = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(plate, 2.5, 2.5);
    QColor fill = alert ? kAlertPlate : colourOf(m_scheme.colour(ColourScheme::kTint055));
    QColor edge =
        alert ? kAlertPlate.darker(120) : colourOf(m_scheme.colour(ColourScheme::kShade08));
    painter.fillPath(path, fill);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(path);
    painter.drawImage(0, 0, alert ? tinted(glyph, kAlertGlyph) : glyph);
    return image;
}

QImage disabledFrom(const QImage& picture) {
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            QRgb pixel = line[x];
            int grey = (qRed(pixel) * 11 + qGreen(pixel) * 16 + qBlue(pixel) * 5) / 32;
            int faded = grey + (255 - grey) * 2 / 5;
            line[x] = qRgba(faded, faded, faded, qAlpha(pixel) * 3 / 5);
        }
    }
    return out;
}

} // namespace tarnel::skingen
