#include "tools/skin_generator/preview_painter.h"

#include "tools/skin_generator/picture_painter.h"

#include <QLinearGradient>
#include <QPainter>
#include <array>

namespace tarnel::skingen {
namespace {

using ui::skin::ColourScheme;

constexpr QSize kPreviewSize(240, 168);
constexpr int kCaptionHeight = 24;
constexpr int kToolbarTop = kCaptionHeight;
constexpr int kToolbarHeight = 22;
constexpr int kPaneTop = kToolbarTop + kToolbarHeight + 2;
constexpr int kStatusHeight = 10;
constexpr int kTreeWidth = 78;
constexpr int kRowHeight = 16;
constexpr int kListRows = 4;

class PreviewPainter {
public:
    PreviewPainter(QImage& image, const std::map<std::string, QImage>& pictures,
                   const ColourScheme& scheme, const ui::skin::ListColours& lists)
        : m_painter(&image), m_pictures(pictures), m_scheme(scheme), m_lists(lists),
          m_size(image.size()) {
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }

    void paint() {
        m_painter.fillRect(QRect(QPoint(0, 0), m_size), scheme(ColourScheme::kTint02));
        paintCaption();
        paintToolbar();
        int bottom = m_size.height() - kStatusHeight - 1;
        paintTree(QRect(3, kPaneTop, kTreeWidth, bottom - kPaneTop));
        int listLeft = 3 + kTreeWidth + 3;
        QRect list(listLeft, kPaneTop, m_size.width() - 3 - listLeft, kListRows * kRowHeight + 2);
        paintList(list);
        paintReadingArea(
            QRect(list.left(), list.bottom() + 4, list.width(), bottom - list.bottom() - 4));
        paintFrame();
    }

private:
    QColor scheme(ColourScheme::Index index) const { return colourOf(m_scheme.colour(index)); }
    static QColor skinColour(ui::skin::SkinColour colour) {
        return colourOf(ui::skin::rgbOf(colour));
    }

    void picture(const char* key, QPoint at) { m_painter.drawImage(at, m_pictures.at(key)); }
    void stretched(const char* key, const QRect& rect) {
        m_painter.drawImage(rect, m_pictures.at(key));
    }
    // A line of text, shown as a bar in the text's colour.
    void textBar(int x, int y, int width, const QColor& colour) {
        QColor bar = colour;
        bar.setAlpha(150);
        m_painter.fillRect(QRect(x, y, width, 3), bar);
    }
    void sunken(const QRect& rect, const QColor& fill) {
        m_painter.fillRect(rect, fill);
        m_painter.setPen(scheme(ColourScheme::kTint065));
        m_painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }

    void paintCaption() {
        QLinearGradient band(0, 0, 0, kCaptionHeight);
        band.setColorAt(0, scheme(ColourScheme::kTint0423));
        band.setColorAt(1, colourOf(m_scheme.base()));
        m_painter.fillRect(QRect(0, 0, m_size.width(), kCaptionHeight), band);
        picture("ICON_WORK_SPACE", QPoint(5, 4));
        textBar(26, 10, 64, scheme(ColourScheme::kShade0618));
        int x = m_size.width() - 3 - 3 * 24;
        for (const char* button : {"IMG_MIN", "IMG_MAX", "IMG_CLOSE_FOCUS"}) {
            picture(button, QPoint(x, 2));
            x += 24;
        }
    }

    void paintToolbar() {
        QRect bar(0, kToolbarTop, m_size.width(), kToolbarHeight);
        QLinearGradient fill(0, bar.top(), 0, bar.bottom());
        fill.setColorAt(0, scheme(ColourScheme::kTint01));
        fill.setColorAt(1, scheme(ColourScheme::kTint03));
        m_painter.fillRect(bar, fill);
        m_painter.setPen(scheme(ColourScheme::kTint065));
        m_painter.drawLine(bar.bottomLeft(), bar.bottomRight());
        constexpr std::array<const char*, 14> tools{
            "IMG_SAVE", "IMG_CUT",       "IMG_COPY",        "IMG_PASTE", "IMG_UNDO_DIS",
            nullptr,    "IMG_BOLD",      "IMG_ITAL",        "IMG_UNDER", "IMG_COLOR",
            nullptr,    "IMG_PARA_LEFT", "IMG_PARA_CENTER", "IMG_SEARCH"};
        int x = 5;
        for (const char* tool : tools) {
            if (tool == nullptr) {
                m_painter.setPen(scheme(ColourScheme::kTint055));
                m_painter.drawLine(x + 1, bar.top() + 4, x + 1, bar.bottom() - 4);
                x += 5;
                continue;
            }
            picture(tool, QPoint(x, bar.top() + 3));
            x += 18;
        }
    }

    void paintTree(const QRect& area) {
        sunken(area, Qt::white);
        QColor text = skinColour(m_lists.categoryText());
        struct Row {
            int indent;
            const char* button;
            const char* icon;
            int width;
        };
        constexpr std::array<Row, 6> rows{{{0, "IMG_COLLAPSE", "ICON_FOLDER_OPEN", 34},
                                           {1, "IMG_EXPAND", "ICON_FOLDER_CLOSE", 28},
                                           {1, "IMG_COLLAPSE", "ICON_FOLDER_OPEN", 24},
                                           {2, nullptr, "ICON_FOLDER_CLOSE", 20},
                                           {2, nullptr, "ICON_FOLDER_CLOSE", 16},
                                           {0, "IMG_EXPAND", "ICON_RECYCLE", 24}}};
        int y = area.top() + 3;
        for (const Row& row : rows) {
            int x = area.left() + 3 + row.indent * 8;
            if (row.button != nullptr) {
                picture(row.button, QPoint(x, y + 4));
            }
            picture(row.icon, QPoint(x + 10, y));
            textBar(x + 28, y + 7, row.width, text);
            y += kRowHeight + 2;
        }
    }

    void paintList(const QRect& area) {
        sunken(area, skinColour(m_lists.singleRowBackground()));
        constexpr int kSelectedRow = 1;
        for (int row = 0; row < kListRows; ++row) {
            QRect line(area.left() + 1, area.top() + 1 + row * kRowHeight, area.width() - 2,
                       kRowHeight);
            bool selected = row == kSelectedRow;
            // Row index 0 is an odd row.
            ui::skin::SkinColour fill = selected       ? m_lists.selectedBackground()
                                        : row % 2 == 0 ? m_lists.singleRowBackground()
                                                       : m_lists.doubleRowBackground();
            m_painter.fillRect(line, skinColour(fill));
            picture("IMG_POINT", QPoint(line.left() + 2, line.top()));
            QColor text = skinColour(selected ? m_lists.selectedText() : m_lists.pointText());
            textBar(line.left() + 22, line.top() + 7, 52 - row * 6, text);
            int stars = line.right() - 3 - 3 * 12;
            for (int star = 0; star < 3; ++star) {
                const char* key = star < 3 - row % 3 ? "IMG_LIGHT_STAR" : "IMG_GRAY_STAR";
                stretched(key, QRect(stars + star * 12, line.top() + 2, 12, 12));
            }
        }
    }

    void paintReadingArea(const QRect& area) {
        constexpr int kTabHeight = 18;
        QRect tabs(area.left(), area.top(), area.width(), kTabHeight);
        stretched("IMG_READ_PANE_NOMAL", tabs);
        stretched("IMG_READ_PANE_SELECT", QRect(tabs.left(), tabs.top(), 58, kTabHeight));
        stretched("IMG_READ_PANE_FOCUS", QRect(tabs.left() + 60, tabs.top(), 50, kTabHeight));
        picture("IMG_POINT", QPoint(tabs.left() + 3, tabs.top() + 1));
        textBar(tabs.left() + 22, tabs.top() + 8, 30, scheme(ColourScheme::kShade0618));
        textBar(tabs.left() + 66, tabs.top() + 8, 38, scheme(ColourScheme::kShade0618));
        QRect text(area.left(), tabs.bottom() + 1, area.width(), area.bottom() - tabs.bottom());
        sunken(text, skinColour(m_lists.readingBackground()));
        constexpr std::array<int, 4> lines{120, 132, 96, 110};
        int y = text.top() + 6;
        for (int width : lines) {
            if (y + 3 > text.bottom() - 3) {
                break;
            }
            textBar(text.left() + 6, y, std::min(width, text.width() - 12),
                    scheme(ColourScheme::kShade0618));
            y += 8;
        }
    }

    void paintFrame() {
        m_painter.setPen(scheme(ColourScheme::kShade0618));
        m_painter.drawRect(QRect(QPoint(0, 0), m_size).adjusted(0, 0, -1, -1));
    }

    QPainter m_painter;
    const std::map<std::string, QImage>& m_pictures;
    const ColourScheme& m_scheme;
    const ui::skin::ListColours& m_lists;
    QSize m_size;
};

} // namespace

QImage paintPreview(const std::map<std::string, QImage>& pictures, const ColourScheme& scheme,
                    const ui::skin::ListColours& lists) {
    QImage image(kPreviewSize, QImage::Format_ARGB32);
    image.fill(Qt::white);
    PreviewPainter(image, pictures, scheme, lists).paint();
    return image;
}

} // namespace tarnel::skingen
