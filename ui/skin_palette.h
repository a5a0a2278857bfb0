#pragma once

#include "ui/skin/colour_scheme.h"

#include <QColor>
#include <QPalette>

namespace tarnel::ui {

QColor qColorOf(skin::Rgb rgb);
// A colour as the skin files write it (red in the low byte).
QColor qColorOf(skin::SkinColour colour);

// The application palette of a scheme: Light tint 0.1, Midlight tint 0.136, Window and Button
// tint 0.2, Mid tint 0.65, Dark shade 0.8, Shadow shade 0.618, Highlight tint 0.55, Base white;
// the texts stay the style's dark ones, readable on every light tint.
QPalette skinPalette(const skin::ColourScheme& scheme);

// The program's look: the Fusion style (which draws with the palette's colours) and the
// scheme's palette for every widget.
void applySkinStyle(const skin::ColourScheme& scheme);

} // namespace tarnel::ui
