#include "ui/skin_palette.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <memory>

namespace tarnel::ui {
namespace {

constexpr const char* kStyleName = "Fusion";

} // namespace

QColor qColorOf(skin::Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QColor qColorOf(skin::SkinColour colour) {
    return qColorOf(skin::rgbOf(colour));
}

QPalette skinPalette(const skin::ColourScheme& scheme) {
    using Scheme = skin::ColourScheme;
    // The style's own palette holds the roles a scheme does not set; made once per run.
    static const QPalette standard = [] {
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(kStyleName));
        return fusion ? fusion->standardPalette() : QPalette();
    }();
    QPalette palette = standard;
    auto set = [&](QPalette::ColorRole role, Scheme::Index index) {
        palette.setColor(role, qColorOf(scheme.colour(index)));
    };
    set(QPalette::Light, Scheme::kTint01);
    set(QPalette::Midlight, Scheme::kTint0136);
    set(QPalette::Window, Scheme::kTint02);
    set(QPalette::Button, Scheme::kTint02);
    set(QPalette::Mid, Scheme::kTint065);
    set(QPalette::Dark, Scheme::kShade08);
    set(QPalette::Shadow, Scheme::kShade0618);
    set(QPalette::Highlight, Scheme::kTint055);
    palette.setColor(QPalette::HighlightedText, palette.color(QPalette::Text));
    palette.setColor(QPalette::Base, Qt::white);
    return palette;
}

void applySkinStyle(const skin::ColourScheme& scheme) {
    if (QApplication::style()->name().compare(kStyleName, Qt::CaseInsensitive) != 0) {
        QApplication::setStyle(kStyleName);
    }
    QApplication::setPalette(skinPalette(scheme));
    // Qt passes a new application palette on to child widgets itself, but a top-level window
    // that was shown before keeps the palette it resolved then; it is told here, and passes
    // the palette on to its children.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QEvent changed(QEvent::ApplicationPaletteChange);
        QCoreApplication::sendEvent(window, &changed);
    }
}

} // namespace tarnel::ui
