#include "ui/colour_popup.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace tarnel::ui {

const std::array<NamedColour, kColourColumns * kColourRows> kPopupColours{{
    {"Black", 0, 0, 0},
    {"Brown", 165, 42, 0},
    {"Dark Olive Green", 0, 64, 64},
    {"Dark Green", 0, 85, 0},
    {"Dark Teal", 0, 0, 94},
    {"Dark blue", 0, 0, 139},
    {"Indigo", 75, 0, 130},
    {"Dark grey", 40, 40, 40},
    {"Dark red", 139, 0, 0},
    {"Orange", 255, 104, 32},
    {"Dark yellow", 139, 139, 0},
    {"Green", 0, 147, 0},
    {"Teal", 56, 142, 142},
    {"Blue", 0, 0, 255},
    {"Blue-grey", 123, 123, 192},
    {"Grey - 40", 102, 102, 102},
    {"Red", 255, 0, 0},
    {"Light orange", 255, 173, 91},
    {"Lime", 50, 205, 50},
    {"Sea green", 60, 179, 113},
    {"Aqua", 127, 255, 212},
    {"Light blue", 125, 158, 192},
    {"Violet", 128, 0, 128},
    {"Grey - 50", 127, 127, 127},
    {"Pink", 255, 192, 203},
    {"Gold", 255, 215, 0},
    {"Yellow", 255, 255, 0},
    {"Bright green", 0, 255, 0},
    {"Turquoise", 64, 224, 208},
    {"Skyblue", 192, 255, 255},
    {"Plum", 72, 0, 72},
    {"Light grey", 192, 192, 192},
    {"Rose", 255, 228, 225},
    {"Tan", 210, 180, 140},
    {"Light yellow", 255, 255, 224},
    {"Pale green ", 152, 251, 152},
    {"Pale turquoise", 175, 238, 238},
    {"Pale blue", 104, 131, 139},
    {"Lavender", 230, 230, 250},
    {"White", 255, 255, 255},
}};

namespace {

constexpr int kCellSize = 18;
constexpr int kSwatchSize = 12;

// A swatch framed in grey, so that white and the palest colours stay visible.
QIcon swatch(QColor colour) {
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

QToolButton* entryButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setText(text);
    button->setAccessibleName(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

} // namespace

CColourPopup::CColourPopup(const QString& defaultText, QColor defaultSwatch, QWidget* parent)
    : QFrame(parent, Qt::Popup), m_default(defaultSwatch) {
    setObjectName("colourPopup");
    setAccessibleName("颜色");
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);

    QToolButton* automatic = entryButton(defaultText, "colourDefault", this);
    if (defaultSwatch.isValid()) {
        automatic->setIcon(swatch(defaultSwatch));
    }
    connect(automatic, &QToolButton::clicked, this, [this] {
        emit defaultChosen();
        finish();
    });
    layout->addWidget(automatic);

    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    for (std::size_t i = 0; i < kPopupColours.size(); ++i) {
        const NamedColour& named = kPopupColours[i];
        const QColor colour(named.red, named.green, named.blue);
        auto* cell = new QToolButton(this);
        cell->setObjectName(QStringLiteral("colourCell%1").arg(i));
        cell->setToolTip(QString::fromLatin1(named.name));
        cell->setAccessibleName(QString::fromLatin1(named.name));
        cell->setAutoRaise(true);
        cell->setFixedSize(kCellSize, kCellSize);
        cell->setIcon(swatch(colour));
        cell->setIconSize({kSwatchSize, kSwatchSize});
        connect(cell, &QToolButton::clicked, this, [this, colour] {
            emit colourChosen(colour);
            finish();
        });
        const int index = static_cast<int>(i);
        grid->addWidget(cell, index / kColourColumns, index % kColourColumns);
    }
    layout->addLayout(grid);

    QToolButton* more = entryButton(QString::fromUtf8(kMoreColours), "colourMore", this);
    connect(more, &QToolButton::clicked, this, &CColourPopup::chooseMore);
    layout->addWidget(more);
}

void CColourPopup::popupAt(QPoint globalPosition) {
    adjustSize();
    move(globalPosition);
    show();
}

void CColourPopup::finish() {
    close();
}

// The popup gives way to the dialog first: a popup stays above every other window.
void CColourPopup::chooseMore() {
    hide();
    QColorDialog dialog(m_default.isValid() ? m_default : QColor(Qt::black), parentWidget());
    dialog.setObjectName("moreColoursDialog");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted) {
        emit colourChosen(dialog.currentColor());
    }
    finish();
}

} // namespace tarnel::ui
