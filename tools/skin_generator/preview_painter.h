#pragma once

#include "ui/skin/colour_scheme.h"
#include "ui/skin/skin_folder.h"

#include <QImage>
#include <map>
#include <string>

namespace tarnel::skingen {

// The skin's preview for the chooser: a small mock of the main window (caption, toolbar,
// category tree, point list and reading area) in the scheme's and lists' colours, drawn from the
// skin's own pictures, keyed by their "skin_images.ini" key. Texts are shown as bars.
QImage paintPreview(const std::map<std::string, QImage>& pictures,
                    const ui::skin::ColourScheme& scheme, const ui::skin::ListColours& lists);

} // namespace tarnel::skingen
