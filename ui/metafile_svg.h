#pragma once

#include "richtext/document.h"

#include <QByteArray>

// Draws metafile pictures through SVG: a Windows metafile by libwmf's SVG device, an enhanced
// metafile by libemf2svg. The bytes are only read, never changed.
namespace tarnel::ui {

// The SVG document of a Wmf or Emf picture; empty for other formats and for bytes the converter
// could not read.
QByteArray metafileSvg(const richtext::Picture& picture);

} // namespace tarnel::ui
