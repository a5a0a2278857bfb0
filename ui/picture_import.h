#pragma once

#include "richtext/document.h"

#include <QByteArray>
#include <optional>

// Turns the bytes of a picture file into a model picture, keeping the bytes as they are: a PNG or
// JPEG file whole, a BMP file without its 14-byte file header (a device-independent bitmap), a
// placeable Windows metafile without its 22-byte header, an enhanced metafile whole. A GIF becomes
// its first frame as PNG, which other programs show, with the GIF file kept beside it so that it
// plays here. Any other format Qt can read becomes a PNG.
namespace tarnel::ui {

// The picture, shown at its own size (96 pixels to the inch, a metafile's frame); none when the
// bytes are no picture that can be read.
std::optional<richtext::Picture> pictureFromFile(const QByteArray& bytes);

} // namespace tarnel::ui
