#pragma once

#include <QSize>
#include <string>
#include <string_view>
#include <vector>

// What the default skin's generator paints for each key of "skin_images.ini".
namespace tarnel::skingen {

enum class PictureKind {
    // The key's own drawing (or, for an alias, the drawing it shares), rendered at its size.
    kDrawing,
    // The base key's drawing turned grey and faded.
    kDisabled,
    // The base key's drawing on a highlight plate.
    kFocused,
    // The base key's drawing, whitened, on the alert plate of a close button.
    kFocusedAlert,
    // Vertical gradients of the colour scheme for the reading pane's tabs: constant along x, so
    // they stretch cleanly both ways.
    kPaneNormal,
    kPaneFocus,
    kPaneSelect,
};

struct PicturePlan {
    std::string key;
    PictureKind kind = PictureKind::kDrawing;
    // The SVG file (without folder) the picture is rendered from; empty for the gradients.
    std::string drawing;
    QSize size;
};

// A key drawn with another key's drawing: both pictures are identical on purpose.
struct Alias {
    std::string_view key;
    std::string_view drawnAs;
};

// The keys that share a drawing; every other key has a drawing of its own.
const std::vector<Alias>& declaredAliases();

// The plan of every icon key, then every picture key, in the order of "skin_images.ini".
std::vector<PicturePlan> picturePlans();

// The drawing file of a key that has its own: the key in lower case, ".svg".
std::string drawingFileOf(std::string_view key);

} // namespace tarnel::skingen
