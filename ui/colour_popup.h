#pragma once

#include <QColor>
#include <QFrame>
#include <QString>
#include <array>

namespace tarnel::ui {

// One colour of the popup's grid, with the name its cell shows as tooltip.
struct NamedColour {
    const char* name;
    int red;
    int green;
    int blue;
};

inline constexpr int kColourColumns = 8;
inline constexpr int kColourRows = 5;

// The grid's colours in row order.
extern const std::array<NamedColour, kColourColumns * kColourRows> kPopupColours;

// The colour popup of the reading area's colour tools: a default entry above a grid of forty
// colours, five rows of eight, and "更多颜色" below, which opens the colour dialog. The popup
// closes when a colour is chosen or when the user clicks elsewhere. Cells are named
// "colourCell<index>", the entries "colourDefault" and "colourMore".
class CColourPopup : public QFrame {
    Q_OBJECT

public:
    static constexpr const char* kMoreColours = "更多颜色";

    // defaultText is the entry above the grid, with a swatch of defaultSwatch when that is valid.
    CColourPopup(const QString& defaultText, QColor defaultSwatch, QWidget* parent = nullptr);

    // Shows the popup with its top-left corner at the global position.
    void popupAt(QPoint globalPosition);

signals:
    void colourChosen(QColor colour);
    void defaultChosen();

private:
    void finish();
    void chooseMore();

    QColor m_default;
};

} // namespace tarnel::ui
