#pragma once

#include "tools/skin_generator/picture_plan.h"
#include "ui/skin/colour_scheme.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

namespace tarnel::skingen {

QColor colourOf(ui::skin::Rgb rgb);

// Paints the pictures of the default skin from the SVG drawings of one folder and the colour
// scheme. Every picture is ARGB32, painted the same way on every run.
class PicturePainter {
public:
    PicturePainter(QDir drawings, const ui::skin::ColourScheme& scheme);

    // The plan's picture; a null image, with the reason in error, when its drawing is missing
    // or not a valid SVG.
    QImage paint(const PicturePlan& plan, QString& error) const;

private:
    QImage render(const QString& drawing, QSize size, QString& error) const;
    QImage paneGradient(PictureKind kind, QSize size) const;
    QImage onPlate(const QImage& glyph, PictureKind kind) const;

    QDir m_drawings;
    ui::skin::ColourScheme m_scheme;
};

// The picture turned grey and faded towards white, its coverage lowered: how a tool that cannot
// be used looks.
QImage disabledFrom(const QImage& picture);

} // namespace tarnel::skingen
