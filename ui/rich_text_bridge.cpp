#include "ui/rich_text_bridge.h"

#include "richtext/list_number.h"
#include "ui/metafile_svg.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QMovie>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QTextObjectInterface>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace tarnel::ui {
namespace {

using richtext::Alignment;
using richtext::Border;
using richtext::CellMerge;
using richtext::CharFormat;
using richtext::Color;
using richtext::Document;
using richtext::Inline;
using richtext::ListKind;
using richtext::Paragraph;
using richtext::Picture;
using richtext::PictureFormat;
using richtext::Table;
using richtext::TableCell;
using richtext::TableRow;
using richtext::TextRun;

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerBitmapPixel = 15.0; // a picture's pixel at 96 dots per inch
constexpr double kTwipsPerHundredthMm = 1440.0 / 2540.0;
constexpr std::size_t kBitmapFileHeaderSize = 14;

// Hidden runs sit on an inline object that takes no room and draws nothing.
class HiddenTextObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat&) override { return {0, 0}; }
    void drawObject(QPainter*, const QRectF&, QTextDocument*, int, const QTextFormat&) override {}
};

void registerHiddenText(QTextDocument& document) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    if (!layout->handlerForObject(bridge::kHiddenObjectType)) {
        layout->registerHandler(bridge::kHiddenObjectType, new HiddenTextObject(&document));
    }
}

QString qtText(const std::string& text) {
    QString out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    out.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
    return out;
}

// What becomes of an object character in the editor's text: one in a fragment of text was pasted
// as text and stands for nothing the model could hold.
enum class ObjectCharacters { Keep, Drop };

// The UTF-8 of UTF-16 text written at out, in one pass, with a line separator as the model's '\n'
// (a text fragment of a long note is converted straight into the model, without the copies and
// scans of a replace and QString::toUtf8). A surrogate without its other half becomes '?', as
// QString::toUtf8 makes it. Writes at most kUtf8BytesPerUnit bytes for each unit of text.
constexpr qsizetype kUtf8BytesPerUnit = 3;

// Whether the four units at in are all ASCII.
bool fourAscii(const char16_t* in) {
    std::uint64_t units = 0;
    std::memcpy(&units, in, sizeof units);
    return (units & 0xFF80FF80FF80FF80u) == 0;
}

char* writeModelText(char* out, QStringView text, ObjectCharacters objects) {
    const char16_t* in = text.utf16();
    const char16_t* const end = in + text.size();
    while (in != end) {
        // English text goes four letters at a time, and most of Chinese one three-byte
        // character at a time, before any of the rarer cases is tried.
        while (end - in >= 4 && fourAscii(in)) {
            for (int i = 0; i < 4; ++i) {
                *out++ = static_cast<char>(in[i]);
            }
            in += 4;
        }
        if (in == end) {
            break;
        }
        char32_t unit = *in++;
        if (unit >= 0x800 && unit < 0xD800 && unit != QChar::LineSeparator) {
            *out++ = static_cast<char>(0xE0 | unit >> 12);
            *out++ = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
            continue;
        }
        if (unit == QChar::ObjectReplacementCharacter && objects == ObjectCharacters::Drop) {
            continue;
        }
        if (unit < 0x80) {
            *out++ = static_cast<char>(unit);
        } else if (unit < 0x800) {
            *out++ = static_cast<char>(0xC0 | unit >> 6);
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else if (unit == QChar::LineSeparator) {
            *out++ = '\n';
        } else if (QChar::isSurrogate(unit)) {
            // Object characters left out stand between no halves.
            const char16_t* low = in;
            while (objects == ObjectCharacters::Drop && low != end &&
                   *low == QChar::ObjectReplacementCharacter) {
                ++low;
            }
            if (!QChar::isHighSurrogate(unit) || low == end || !QChar::isLowSurrogate(*low)) {
                *out++ = '?';
                continue;
            }
            char32_t codePoint = QChar::surrogateToUcs4(static_cast<char16_t>(unit), *low);
            in = low + 1;
            *out++ = static_cast<char>(0xF0 | codePoint >> 18);
            *out++ = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
            *out++ = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
            *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
        } else {
            *out++ = static_cast<char>(0xE0 | unit >> 12);
            *out++ = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

std::string modelText(QStringView text) {
    std::string out(static_cast<std::size_t>(text.size() * kUtf8BytesPerUnit), '\0');
    out.resize(static_cast<std::size_t>(writeModelText(out.data(), text, ObjectCharacters::Keep) -
                                        out.data()));
    return out;
}

QColor qtColor(const Color& color) {
    return {color.red, color.green, color.blue};
}

Color modelColor(const QBrush& brush) {
    QColor c = brush.color();
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

const TextRun* firstShownRun(const Paragraph& paragraph) {
    for (const Inline& item : paragraph.content) {
        const auto* run = std::get_if<TextRun>(&item);
        if (run != nullptr && !run->format.hidden && !run->text.empty()) {
            return run;
        }
    }
    return nullptr;
}

QTextCharFormat qtCharFormat(const CharFormat& format) {
    QTextCharFormat out;
    if (!format.font.empty()) {
        QString name = qtText(format.font.str());
        out.setFontFamilies({name});
        out.setProperty(bridge::kStoredFont, name);
    }
    out.setFontPointSize(format.sizeHalfPoints / 2.0);
    if (format.bold) {
        out.setFontWeight(QFont::Bold);
    }
    if (format.italic) {
        out.setFontItalic(true);
    }
    if (format.underline) {
        out.setFontUnderline(true);
    }
    if (format.strikeThrough) {
        out.setFontStrikeOut(true);
    }
    if (format.color) {
        out.setForeground(qtColor(*format.color));
    }
    if (format.background) {
        out.setBackground(qtColor(*format.background));
    }
    if (!format.link.empty()) {
        out.setAnchor(true);
        out.setAnchorHref(qtText(format.link.str()));
    }
    return out;
}

std::string storedFontName(const QTextCharFormat& format) {
    QStringList families = format.fontFamilies().toStringList();
    if (families.isEmpty() || families.front().isEmpty()) {
        return {};
    }
    QString stored = format.property(bridge::kStoredFont).toString();
    return modelText(!stored.isEmpty() && stored == families.front() ? stored : families.front());
}

CharFormat modelCharFormat(const QTextCharFormat& format) {
    CharFormat out;
    out.font = storedFontName(format);
    if (format.hasProperty(QTextFormat::FontPointSize)) {
        out.sizeHalfPoints = static_cast<int>(std::lround(format.fontPointSize() * 2));
    }
    out.bold = format.fontWeight() >= QFont::Bold;
    out.italic = format.fontItalic();
    out.underline = format.fontUnderline();
    out.strikeThrough = format.fontStrikeOut();
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        out.color = modelColor(format.foreground());
    }
    if (format.hasProperty(QTextFormat::BackgroundBrush)) {
        out.background = modelColor(format.background());
    }
    if (format.isAnchor() && !format.anchorHref().isEmpty()) {
        out.link = modelText(format.anchorHref());
    }
    return out;
}

double twipsToPixels(int twips) {
    return twips * pixelsPerTwip();
}

// A list item's hanging first line is shown at the left indent, with its number or bullet in
// the hanging space: Qt draws the label left of where the first line starts, which the hanging
// indent would put off the page's edge (Word's and LibreOffice's lists all hang so).
double shownFirstLineIndent(int twips, bool listItem) {
    return listItem && twips < 0 ? 0.0 : twipsToPixels(twips);
}

// The stored twips while the margin still shows them as they were shown (listItem only for the
// first line's indent); a margin an edit changed, converted.
int modelIndent(const QTextBlockFormat& format, int twipsProperty, double pixels,
                bool listItem = false) {
    if (format.hasProperty(twipsProperty)) {
        int twips = format.intProperty(twipsProperty);
        if (std::abs(shownFirstLineIndent(twips, listItem) - pixels) < 1e-6) {
            return twips;
        }
    }
    return static_cast<int>(std::lround(pixels / pixelsPerTwip()));
}

Qt::Alignment qtAlignment(Alignment alignment) {
    switch (alignment) {
    case Alignment::Center:
        return Qt::AlignHCenter;
    case Alignment::Right:
        return Qt::AlignRight;
    case Alignment::Justify:
        return Qt::AlignJustify;
    case Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

Alignment modelAlignment(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter) {
        return Alignment::Center;
    }
    if (alignment & (Qt::AlignRight | Qt::AlignTrailing)) {
        return Alignment::Right;
    }
    if (alignment & Qt::AlignJustify) {
        return Alignment::Justify;
    }
    return Alignment::Left;
}

QTextBlockFormat qtBlockFormat(const Paragraph& paragraph) {
    QTextBlockFormat out;
    out.setProperty(bridge::kParagraph, true);
    out.setAlignment(qtAlignment(paragraph.alignment));
    out.setLeftMargin(twipsToPixels(paragraph.leftIndent));
    out.setRightMargin(twipsToPixels(paragraph.rightIndent));
    out.setTextIndent(
        shownFirstLineIndent(paragraph.firstLineIndent, paragraph.list != ListKind::None));
    out.setProperty(bridge::kLeftTwips, paragraph.leftIndent);
    out.setProperty(bridge::kRightTwips, paragraph.rightIndent);
    out.setProperty(bridge::kFirstLineTwips, paragraph.firstLineIndent);
    return out;
}

struct ListStyle {
    ListKind kind;
    QTextListFormat::Style style;
};
constexpr ListStyle kListStyles[] = {
    {ListKind::Bullet, QTextListFormat::ListDisc},
    {ListKind::Decimal, QTextListFormat::ListDecimal},
    {ListKind::LowerLetter, QTextListFormat::ListLowerAlpha},
    {ListKind::UpperLetter, QTextListFormat::ListUpperAlpha},
    {ListKind::LowerRoman, QTextListFormat::ListLowerRoman},
    {ListKind::UpperRoman, QTextListFormat::ListUpperRoman},
};

// The bullets Qt draws itself; any other bullet text shows as the round one.
QTextListFormat::Style qtBulletStyle(const std::string& bullet) {
    if (bullet == "\u25E6" || bullet == "o") {
        return QTextListFormat::ListCircle;
    }
    if (bullet == "\u25AA" || bullet == "\u25A0") {
        return QTextListFormat::ListSquare;
    }
    return QTextListFormat::ListDisc;
}

QTextListFormat::Style qtListStyle(ListKind kind) {
    for (const ListStyle& entry : kListStyles) {
        if (entry.kind == kind) {
            return entry.style;
        }
    }
    return QTextListFormat::ListStyleUndefined;
}

ListKind modelListKind(const QTextListFormat& format) {
    for (const ListStyle& entry : kListStyles) {
        if (entry.style == format.style()) {
            return entry.kind;
        }
    }
    return ListKind::Bullet;
}

// A picture's own size in twips: pixels for bitmaps, hundredths of a millimetre for metafiles.
double ownTwips(const Picture& picture, int size) {
    bool metafile = picture.format == PictureFormat::Wmf || picture.format == PictureFormat::Emf;
    return size * (metafile ? kTwipsPerHundredthMm : kTwipsPerBitmapPixel);
}

QSizeF shownSize(const Picture& picture) {
    double width = picture.goalWidth > 0 ? picture.goalWidth : ownTwips(picture, picture.width);
    double height = picture.goalHeight > 0 ? picture.goalHeight : ownTwips(picture, picture.height);
    return {width * picture.scaleX / 100.0 * pixelsPerTwip(),
            height * picture.scaleY / 100.0 * pixelsPerTwip()};
}

// A device-independent bitmap made a BMP file again, for decoding only.
QByteArray bitmapFile(const std::string& dib) {
    auto dword = [&](std::size_t at) -> std::uint32_t {
        if (at + 4 > dib.size()) {
            return 0;
        }
        return static_cast<std::uint8_t>(dib[at]) | static_cast<std::uint8_t>(dib[at + 1]) << 8 |
               static_cast<std::uint8_t>(dib[at + 2]) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(dib[at + 3])) << 24;
    };
    std::uint32_t headerSize = dword(0);
    std::uint32_t bitCount = headerSize >= 16 ? (dword(12) >> 16) : 0;
    std::uint32_t compression = headerSize >= 20 ? dword(16) : 0;
    std::uint32_t colorsUsed = headerSize >= 36 ? dword(32) : 0;
    std::uint32_t colors = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? 1u << bitCount : 0);
    std::uint32_t masks = headerSize == 40 && compression == 3 ? 12 : 0;
    std::uint32_t offset = kBitmapFileHeaderSize + headerSize + masks + colors * 4;
    std::uint32_t fileSize = static_cast<std::uint32_t>(dib.size() + kBitmapFileHeaderSize);
    QByteArray file("BM", 2);
    for (std::uint32_t value : {fileSize, 0u, offset}) {
        for (int shift = 0; shift < 32; shift += 8) {
            file.append(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    file.append(dib.data(), static_cast<qsizetype>(dib.size()));
    return file;
}

// The frame a picture Qt cannot draw (a metafile, a damaged bitmap) shows at its size.
QImage framePicture(QSize size) {
    QImage image(size.expandedTo({2, 2}), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

// Null when the metafile could not be read.
QImage drawnMetafile(const Picture& picture, QSize size) {
    QSvgRenderer renderer(metafileSvg(picture));
    if (!renderer.isValid() || size.isEmpty()) {
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    return image;
}

QImage shownPicture(const Picture& picture, QSizeF size) {
    QImage image;
    const auto* bytes = reinterpret_cast<const uchar*>(picture.data.data());
    int length = static_cast<int>(picture.data.size());
    switch (picture.format) {
    case PictureFormat::Png:
        image.loadFromData(bytes, length, "PNG");
        break;
    case PictureFormat::Jpeg:
        image.loadFromData(bytes, length, "JPEG");
        break;
    case PictureFormat::Bmp:
        image.loadFromData(bitmapFile(picture.data), "BMP");
        break;
    case PictureFormat::Wmf:
    case PictureFormat::Emf:
        image = drawnMetafile(picture, size.toSize());
        break;
    }
    return image.isNull() ? framePicture(size.toSize()) : image;
}

// The document's pictures are numbered for their resources' names; a clear starts again at 1.
constexpr const char* kPictureCount = "tarnelPictureCount";
constexpr const char* kAnimationBuffer = "tarnelAnimation";

// An animated picture plays by replacing its image resource frame by frame; the buffer (and the
// movie it holds) goes with the document or its next clear.
void animate(QTextDocument& document, const QString& imageName, const std::string& gif) {
    auto* buffer = new QBuffer(&document);
    buffer->setObjectName(kAnimationBuffer);
    buffer->setData(gif.data(), static_cast<qsizetype>(gif.size()));
    buffer->open(QIODevice::ReadOnly);
    auto* movie = new QMovie(buffer, "GIF", buffer);
    if (!movie->isValid() || movie->frameCount() == 1) {
        delete buffer;
        return;
    }
    QObject::connect(movie, &QMovie::frameChanged, &document, [&document, movie, imageName] {
        document.addResource(QTextDocument::ImageResource, QUrl(imageName), movie->currentImage());
        emit document.documentLayout()->update();
    });
    movie->start();
}

void stopAnimations(QTextDocument& document) {
    for (QBuffer* buffer :
         document.findChildren<QBuffer*>(kAnimationBuffer, Qt::FindDirectChildrenOnly)) {
        delete buffer;
    }
}

int colorValue(const std::optional<Color>& color) {
    return color ? color->red << 16 | color->green << 8 | color->blue : -1;
}

std::optional<Color> modelColorValue(int value) {
    if (value < 0) {
        return std::nullopt;
    }
    return Color{static_cast<std::uint8_t>(value >> 16 & 0xFF),
                 static_cast<std::uint8_t>(value >> 8 & 0xFF),
                 static_cast<std::uint8_t>(value & 0xFF)};
}

// A table's model fields as the table format keeps them: per row its height, alignment, left
// edge and cell gap, then for each cell its right boundary, merges, four borders (width and
// colour) and shading.
constexpr int kRowFields = 4;
constexpr int kCellFields = 12;

QVariantList rowLayout(const TableRow& row) {
    QVariantList out = {row.height, static_cast<int>(row.alignment), row.leftEdge, row.cellGap};
    for (const TableCell& cell : row.cells) {
        out << cell.rightBoundary << static_cast<int>(cell.horizontalMerge)
            << static_cast<int>(cell.verticalMerge);
        for (const Border* border : {&cell.top, &cell.left, &cell.bottom, &cell.right}) {
            out << border->width << colorValue(border->color);
        }
        out << colorValue(cell.shading);
    }
    return out;
}

TableRow modelRow(const QVariantList& layout) {
    TableRow row;
    row.height = layout.value(0).toInt();
    row.alignment = static_cast<Alignment>(layout.value(1).toInt());
    row.leftEdge = layout.value(2).toInt();
    row.cellGap = layout.value(3).toInt();
    for (qsizetype at = kRowFields; at + kCellFields <= layout.size(); at += kCellFields) {
        TableCell cell;
        cell.rightBoundary = layout[at].toInt();
        cell.horizontalMerge = static_cast<CellMerge>(layout[at + 1].toInt());
        cell.verticalMerge = static_cast<CellMerge>(layout[at + 2].toInt());
        qsizetype field = at + 3;
        for (Border* border : {&cell.top, &cell.left, &cell.bottom, &cell.right}) {
            border->width = layout[field].toInt();
            border->color = modelColorValue(layout[field + 1].toInt());
            field += 2;
        }
        cell.shading = modelColorValue(layout[field].toInt());
        row.cells.push_back(std::move(cell));
    }
    return row;
}

// The grid of a table: every right boundary any row has, in order; a cell spans the columns
// from its left neighbour's boundary to its own.
std::vector<int> gridOf(const Table& table) {
    std::set<int> boundaries;
    for (const TableRow& row : table.rows) {
        for (const TableCell& cell : row.cells) {
            boundaries.insert(cell.rightBoundary);
        }
    }
    return {boundaries.begin(), boundaries.end()};
}

struct Span {
    int first = 0; // column
    int count = 1;
};

// The columns of each cell of the row. A cell whose boundary does not rise past its left
// neighbour's still gets a column of its own, so that every cell shows.
std::vector<Span> spansOf(const TableRow& row, const std::vector<int>& grid) {
    std::vector<Span> spans;
    int column = 0;
    for (const TableCell& cell : row.cells) {
        auto end = std::lower_bound(grid.begin(), grid.end(), cell.rightBoundary);
        int last = std::max(static_cast<int>(end - grid.begin()), column);
        spans.push_back({column, last - column + 1});
        column = last + 1;
    }
    return spans;
}

bool isBareParagraph(const std::vector<Paragraph>& blocks) {
    return blocks.size() == 1 && blocks[0].content.empty() && !blocks[0].isTable();
}

// What a cell's borders and shading set on its format.
constexpr int kCellFrameProperties[] = {QTextFormat::TableCellTopBorder,
                                        QTextFormat::TableCellLeftBorder,
                                        QTextFormat::TableCellBottomBorder,
                                        QTextFormat::TableCellRightBorder,
                                        QTextFormat::TableCellTopBorderBrush,
                                        QTextFormat::TableCellLeftBorderBrush,
                                        QTextFormat::TableCellBottomBorderBrush,
                                        QTextFormat::TableCellRightBorderBrush,
                                        QTextFormat::TableCellTopBorderStyle,
                                        QTextFormat::TableCellLeftBorderStyle,
                                        QTextFormat::TableCellBottomBorderStyle,
                                        QTextFormat::TableCellRightBorderStyle,
                                        QTextFormat::BackgroundBrush};

// The cell shows the model cell's borders and shading, and only those.
void setCellFormat(QTextTableCell cell, const TableCell& model) {
    QTextTableCellFormat format = cell.format().toTableCellFormat();
    for (int property : kCellFrameProperties) {
        format.clearProperty(property);
    }
    auto side = [&](const Border& border, auto setWidth, auto setBrush, auto setStyle) {
        if (border.width > 0) {
            (format.*setWidth)(std::max(1.0, twipsToPixels(border.width)));
            (format.*setBrush)(QBrush(border.color ? qtColor(*border.color) : Qt::black));
            (format.*setStyle)(QTextFrameFormat::BorderStyle_Solid);
        }
    };
    side(model.top, &QTextTableCellFormat::setTopBorder, &QTextTableCellFormat::setTopBorderBrush,
         &QTextTableCellFormat::setTopBorderStyle);
    side(model.left, &QTextTableCellFormat::setLeftBorder,
         &QTextTableCellFormat::setLeftBorderBrush, &QTextTableCellFormat::setLeftBorderStyle);
    side(model.bottom, &QTextTableCellFormat::setBottomBorder,
         &QTextTableCellFormat::setBottomBorderBrush, &QTextTableCellFormat::setBottomBorderStyle);
    side(model.right, &QTextTableCellFormat::setRightBorder,
         &QTextTableCellFormat::setRightBorderBrush, &QTextTableCellFormat::setRightBorderStyle);
    if (model.shading) {
        format.setBackground(qtColor(*model.shading));
    }
    cell.setFormat(format);
}

// The table's format for the grid and the model's rows: the columns' widths, the first row's
// gap and alignment, and the layout the save reads back.
void setTableLayout(QTextTableFormat& format, const std::vector<int>& grid,
                    const std::vector<TableRow>& rows) {
    format.setBorder(0);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(twipsToPixels(std::max(rows.front().cellGap, 30)));
    format.setAlignment(qtAlignment(rows.front().alignment));
    QList<QTextLength> widths;
    int previous = std::min(0, grid.empty() ? 0 : grid.front() - 1);
    for (int boundary : grid) {
        widths << QTextLength(QTextLength::FixedLength, twipsToPixels(boundary - previous));
        previous = boundary;
    }
    format.setColumnWidthConstraints(widths);
    QVariantList layout;
    for (const TableRow& row : rows) {
        layout << QVariant(rowLayout(row));
    }
    format.setProperty(bridge::kTableRows, layout);
    QVariantList columns;
    for (int boundary : grid) {
        columns << boundary;
    }
    format.setProperty(bridge::kTableColumns, columns);
}

// Builds the document block by block; tables through their cells, each cell like a document.
class QtBuilder {
public:
    // How the first paragraph meets the cursor's block: it takes the block with its format (an
    // empty, unused block), it joins the text there (an insertion), or it starts a block of its
    // own.
    enum class Start { TakeFormat, Join, NewBlock };

    QtBuilder(QTextDocument& target, QTextCursor cursor)
        : m_document(target), m_cursor(std::move(cursor)) {}

    int position() const { return m_cursor.position(); }

    // The blocks go where the cursor is; the builder's cursor ends after the last of them.
    void addBlocks(const std::vector<Paragraph>& blocks, QTextCursor cursor,
                   Start first = Start::TakeFormat) {
        Start start = first;
        for (const Paragraph& block : blocks) {
            for (const Table& table : block.table) {
                cursor = addTable(table, cursor);
                start = Start::TakeFormat;
            }
            if (!block.isTable()) {
                m_cursor = cursor;
                add(block, start);
                cursor = m_cursor;
                start = Start::NewBlock;
            }
        }
        m_cursor = cursor;
    }

private:
    void add(const Paragraph& paragraph, Start start) {
        QTextBlockFormat blockFormat = qtBlockFormat(paragraph);
        if (start == Start::TakeFormat) {
            m_cursor.setBlockFormat(blockFormat);
        } else if (start == Start::NewBlock) {
            m_cursor.insertBlock(blockFormat, QTextCharFormat());
        }
        if (start != Start::Join) {
            addToList(paragraph);
            const TextRun* first =
                paragraph.list == ListKind::None ? nullptr : firstShownRun(paragraph);
            if (first != nullptr) {
                m_cursor.setBlockCharFormat(listLabelFormat(sharedFormat(first->format)));
            }
        }
        for (const Inline& item : paragraph.content) {
            if (const auto* run = std::get_if<TextRun>(&item)) {
                addRun(*run);
            } else {
                addPicture(std::get<Picture>(item));
            }
        }
    }

    // Returns a cursor in the block after the table.
    QTextCursor addTable(const Table& table, QTextCursor cursor) {
        std::vector<int> grid = gridOf(table);
        std::vector<std::vector<Span>> spans;
        std::size_t columnsNeeded = grid.size();
        for (const TableRow& row : table.rows) {
            spans.push_back(spansOf(row, grid));
            if (!spans.back().empty()) {
                columnsNeeded = std::max<std::size_t>(
                    columnsNeeded, static_cast<std::size_t>(spans.back().back().first +
                                                            spans.back().back().count));
            }
        }
        // Columns for cells beyond the boundaries, past all of them.
        while (grid.size() < columnsNeeded) {
            grid.push_back(grid.back() + 1);
        }
        QTextTableFormat format;
        setTableLayout(format, grid, table.rows);
        int rowCount = static_cast<int>(table.rows.size());
        QTextTable* qt =
            cursor.insertTable(rowCount, std::max<int>(1, static_cast<int>(grid.size())), format);
        // Merges first, so that each merged cell is filled once with every cell's blocks.
        std::map<std::pair<int, int>, std::vector<const TableCell*>> contents;
        for (int r = 0; r < rowCount; ++r) {
            const TableRow& row = table.rows[static_cast<std::size_t>(r)];
            const std::vector<Span>& rowSpans = spans[static_cast<std::size_t>(r)];
            for (std::size_t i = 0; i < row.cells.size() && i < rowSpans.size(); ++i) {
                const TableCell& cell = row.cells[i];
                Span span = rowSpans[i];
                if (cell.horizontalMerge == CellMerge::Continue ||
                    cell.verticalMerge == CellMerge::Continue) {
                    continue;
                }
                std::vector<const TableCell*>& blocks = contents[{r, span.first}];
                blocks.push_back(&cell);
                std::size_t last = i;
                while (cell.horizontalMerge == CellMerge::First && last + 1 < row.cells.size() &&
                       row.cells[last + 1].horizontalMerge == CellMerge::Continue &&
                       last + 1 < rowSpans.size()) {
                    ++last;
                    blocks.push_back(&row.cells[last]);
                }
                int columns = rowSpans[last].first + rowSpans[last].count - span.first;
                int rowsSpanned = 1;
                if (cell.verticalMerge == CellMerge::First) {
                    rowsSpanned = verticalSpan(table, spans, r, span.first, columns, blocks);
                }
                if (columns > 1 || rowsSpanned > 1) {
                    qt->mergeCells(r, span.first, rowsSpanned, columns);
                }
                setCellFormat(qt->cellAt(r, span.first), cell);
            }
        }
        for (const auto& [place, cells] : contents) {
            std::vector<Paragraph> blocks = cells.front()->paragraphs;
            for (std::size_t i = 1; i < cells.size(); ++i) {
                if (!isBareParagraph(cells[i]->paragraphs)) {
                    blocks.insert(blocks.end(), cells[i]->paragraphs.begin(),
                                  cells[i]->paragraphs.end());
                }
            }
            addBlocks(blocks, qt->cellAt(place.first, place.second).firstCursorPosition());
        }
        QTextCursor after = qt->lastCursorPosition();
        after.movePosition(QTextCursor::NextBlock);
        return after;
    }

    // The rows below that continue the cell at the same columns; their cells' blocks join it.
    int verticalSpan(const Table& table, const std::vector<std::vector<Span>>& spans, int row,
                     int column, int columns, std::vector<const TableCell*>& blocks) {
        int count = 1;
        for (std::size_t r = static_cast<std::size_t>(row) + 1; r < table.rows.size(); ++r) {
            const TableRow& below = table.rows[r];
            bool continues = false;
            for (std::size_t i = 0; i < below.cells.size() && i < spans[r].size(); ++i) {
                if (spans[r][i].first == column &&
                    below.cells[i].verticalMerge == CellMerge::Continue) {
                    std::size_t last = i;
                    while (last + 1 < below.cells.size() && last + 1 < spans[r].size() &&
                           below.cells[last + 1].horizontalMerge == CellMerge::Continue) {
                        ++last;
                    }
                    if (spans[r][last].first + spans[r][last].count - column == columns) {
                        continues = true;
                        for (std::size_t k = i; k <= last; ++k) {
                            blocks.push_back(&below.cells[k]);
                        }
                    }
                }
            }
            if (!continues) {
                break;
            }
            ++count;
        }
        return count;
    }

    // One Qt list per list and level, so that numbers run on across other paragraphs as the
    // model has it. An item ends the runs of the levels below its own in its list: their numbers
    // start again after it, as word processors number them. Qt shows no numbers of other levels:
    // those a label shows before its own are written into the list's prefix as they stand when
    // its run starts.
    void addToList(const Paragraph& paragraph) {
        if (paragraph.list == ListKind::None) {
            return;
        }
        std::erase_if(m_lists, [&](const auto& entry) {
            return std::get<0>(entry.first) == paragraph.listId &&
                   std::get<1>(entry.first) > paragraph.listLevel;
        });
        const int level = std::clamp(paragraph.listLevel, 0, richtext::kMaxListLevel);
        const int outer = std::clamp(paragraph.listOuterNumbers, 0, level);
        const std::string shownPrefix =
            paragraph.listNumberPrefix + outerNumbers(paragraph, level, outer);
        countItem(paragraph, level);
        auto key =
            std::make_tuple(paragraph.listId, paragraph.listLevel, static_cast<int>(paragraph.list),
                            paragraph.listStart, paragraph.listBullet, paragraph.listNumberPrefix,
                            paragraph.listNumberSuffix, outer, paragraph.listNumberJoint);
        if (auto found = m_lists.find(key); found != m_lists.end()) {
            found->second->add(m_cursor.block());
            return;
        }
        QTextListFormat format;
        format.setStyle(paragraph.list == ListKind::Bullet ? qtBulletStyle(paragraph.listBullet)
                                                           : qtListStyle(paragraph.list));
        // Without an indent of its own a list's numbers would sit left of the page.
        format.setIndent(paragraph.leftIndent > 0 ? 0 : paragraph.listLevel + 1);
        format.setProperty(bridge::kListId, paragraph.listId);
        format.setProperty(bridge::kListLevel, paragraph.listLevel);
        format.setProperty(bridge::kListStart, paragraph.listStart);
        format.setProperty(bridge::kListBullet, qtText(paragraph.listBullet));
        if (outer > 0) {
            format.setProperty(bridge::kListOuterNumbers, outer);
            format.setProperty(bridge::kListJoint, qtText(paragraph.listNumberJoint));
            format.setProperty(bridge::kListPrefix, qtText(paragraph.listNumberPrefix));
        }
        format.setNumberPrefix(qtText(shownPrefix));
        format.setNumberSuffix(qtText(paragraph.listNumberSuffix));
        m_lists[key] = m_cursor.createList(format);
    }

    // The numbers each list's levels have reached, and the kind each level's items last had.
    struct Numbering {
        richtext::ListCounter counter;
        std::array<ListKind, richtext::kMaxListLevel + 1> kinds{};
    };

    void countItem(const Paragraph& paragraph, int level) {
        Numbering& numbering = m_numbering[paragraph.listId];
        numbering.counter.count(level, paragraph.listStart);
        numbering.kinds[static_cast<std::size_t>(level)] = paragraph.list;
    }

    // A level above without an item yet shows 1.
    std::string outerNumbers(const Paragraph& paragraph, int level, int outer) {
        std::string out;
        const Numbering& numbering = m_numbering[paragraph.listId];
        for (int above = level - outer; above < level; ++above) {
            out += richtext::listNumber(numbering.kinds[static_cast<std::size_t>(above)],
                                        numbering.counter.reached(above, 1));
            out += paragraph.listNumberJoint;
        }
        return out;
    }

    void addRun(const TextRun& run) {
        if (run.format.hidden) {
            QTextCharFormat format = qtCharFormat(run.format);
            format.setObjectType(bridge::kHiddenObjectType);
            format.setProperty(bridge::kHiddenText, qtText(run.text));
            m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
            return;
        }
        m_cursor.insertText(qtText(run.text), sharedFormat(run.format));
    }

    // A note holds a few formats over thousands of runs: each becomes a Qt format once, and the
    // document finds a format it was given before by the hash that format keeps.
    const QTextCharFormat& sharedFormat(const CharFormat& format) {
        for (const auto& [model, qt] : m_formats) {
            if (model == format) {
                return qt;
            }
        }
        if (m_formats.size() == kSharedFormats) {
            m_formats.pop_back();
        }
        m_formats.emplace_front(format, qtCharFormat(format));
        return m_formats.front().second;
    }

    void addPicture(const Picture& picture) {
        int number = m_document.property(kPictureCount).toInt() + 1;
        m_document.setProperty(kPictureCount, number);
        QString name = QStringLiteral("tarnel-picture:%1").arg(number);
        QString dataName = QStringLiteral("tarnel-picture-data:%1").arg(number);
        QSizeF size = shownSize(picture);
        m_document.addResource(QTextDocument::ImageResource, QUrl(name),
                               shownPicture(picture, size));
        m_document.addResource(
            QTextDocument::UserResource, QUrl(dataName),
            QByteArray(picture.data.data(), static_cast<qsizetype>(picture.data.size())));
        QTextImageFormat format;
        format.setName(name);
        format.setWidth(size.width());
        format.setHeight(size.height());
        format.setProperty(bridge::kPictureData, dataName);
        format.setProperty(bridge::kPictureFormat, static_cast<int>(picture.format));
        format.setProperty(bridge::kPictureWidth, picture.width);
        format.setProperty(bridge::kPictureHeight, picture.height);
        format.setProperty(bridge::kGoalWidth, picture.goalWidth);
        format.setProperty(bridge::kGoalHeight, picture.goalHeight);
        format.setProperty(bridge::kScaleX, picture.scaleX);
        format.setProperty(bridge::kScaleY, picture.scaleY);
        format.setProperty(bridge::kMapMode, picture.metafileMapMode);
        if (!picture.animation.empty()) {
            QString gifName = QStringLiteral("tarnel-picture-gif:%1").arg(number);
            m_document.addResource(QTextDocument::UserResource, QUrl(gifName),
                                   QByteArray(picture.animation.data(),
                                              static_cast<qsizetype>(picture.animation.size())));
            format.setProperty(bridge::kPictureAnimation, gifName);
            animate(m_document, name, picture.animation);
        }
        m_cursor.insertImage(format);
    }

    QTextDocument& m_document;
    QTextCursor m_cursor;
    std::map<
        std::tuple<int, int, int, int, std::string, std::string, std::string, int, std::string>,
        QTextList*>
        m_lists;
    std::map<int, Numbering> m_numbering;
    static constexpr std::size_t kSharedFormats = 32;
    std::deque<std::pair<CharFormat, QTextCharFormat>> m_formats;
};

// What was made of each of a document's formats, by the format's index: the indices run from 0
// to the number of formats (-1 for none), and a fragment looks its format up without hashing.
// Entries stay where they are as more are added.
template <typename Made> class ByFormatIndex {
public:
    // The entry of the index and whether it was made just now, empty.
    std::pair<Made&, bool> entry(int index) {
        auto at = static_cast<std::size_t>(std::max(index, -1) + 1);
        if (at >= m_made.size()) {
            m_made.resize(at + 1);
        }
        bool added = !m_made[at];
        if (added) {
            m_made[at].emplace();
        }
        return {*m_made[at], added};
    }

private:
    std::deque<std::optional<Made>> m_made;
};

// Reads the paragraphs back, one fragment at a time.
class ModelReader {
public:
    // The document's characters are copied out once: a fragment's own text would cost a string
    // of its own. A fragment's characters stand at its position in the document, and a block's
    // fragments follow one another from the block's position.
    explicit ModelReader(const QTextDocument& source)
        : m_source(source), m_text(source.toRawText()) {}

    Paragraph paragraph(const QTextBlock& block) {
        Paragraph out = paragraphFields(block);
        QTextBlock::iterator first = block.begin();
        std::size_t fragments = 0;
        for (auto it = first; !it.atEnd(); ++it) {
            ++fragments;
        }
        out.content.reserve(fragments);
        qsizetype at = block.position();
        for (auto it = first; !it.atEnd(); ++it) {
            QTextFragment fragment = it.fragment();
            qsizetype length = fragment.length();
            addFragment(fragment, QStringView(m_text).mid(at, length), out.content);
            at += length;
        }
        m_charactersRead += static_cast<std::size_t>(at - block.position());
        return out;
    }

    // The blocks of a frame (the document's or a cell's) in order. Qt keeps a block before and
    // after every table; one that is empty and no paragraph of the model is left out.
    std::vector<Paragraph> blocks(QTextFrame::iterator it) {
        std::vector<Paragraph> out;
        addBlocks(it, out, nullptr);
        return out;
    }

    // The same added to out, telling the writer, if any, each time more of them are complete: a
    // block Qt made may still go when a table follows it.
    void addBlocks(QTextFrame::iterator it, std::vector<Paragraph>& out,
                   richtext::RtfStreamWriter* writer) {
        bool afterTable = false;
        for (; !it.atEnd(); ++it) {
            if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
                if (!out.empty() && m_qtsOwn.count(out.size() - 1) != 0) {
                    out.pop_back();
                }
                Paragraph block;
                block.table.push_back(this->table(*table));
                out.push_back(std::move(block));
                if (writer) {
                    handOver(*writer, out.size());
                }
                afterTable = true;
                continue;
            }
            QTextBlock block = it.currentBlock();
            if (!block.isValid()) {
                continue;
            }
            bool qtsOwn = block.length() <= 1 && !block.textList() &&
                          !block.blockFormat().hasProperty(bridge::kParagraph);
            if (qtsOwn && afterTable) {
                afterTable = false;
                continue;
            }
            afterTable = false;
            out.push_back(paragraph(block));
            if (qtsOwn) {
                m_qtsOwn.insert(out.size() - 1);
            } else {
                m_qtsOwn.erase(out.size() - 1);
            }
            if (writer) {
                handOver(*writer, qtsOwn ? out.size() - 1 : out.size());
            }
        }
        m_qtsOwn.clear();
    }

private:
    // The writer reads the blocks handed over once this core has moved on from them: taking
    // lines another core has just written costs it several times what taking them from memory
    // does.
    static constexpr std::size_t kCharactersPerHandOver = 64 * 1024;

    void handOver(richtext::RtfStreamWriter& writer, std::size_t complete) {
        if (m_charactersRead >= m_charactersHandedOver + kCharactersPerHandOver) {
            writer.ready(complete);
            m_charactersHandedOver = m_charactersRead;
        }
    }

    // Blocks share a few formats: each gives its paragraph's fields once, by its index in the
    // document (a block's list is the object its format names).
    const Paragraph& paragraphFields(const QTextBlock& block) {
        auto [out, added] = m_paragraphFields.entry(block.blockFormatIndex());
        if (added) {
            QTextBlockFormat format = block.blockFormat();
            out.alignment = modelAlignment(format.alignment());
            out.leftIndent = modelIndent(format, bridge::kLeftTwips, format.leftMargin());
            out.rightIndent = modelIndent(format, bridge::kRightTwips, format.rightMargin());
            out.firstLineIndent = modelIndent(format, bridge::kFirstLineTwips, format.textIndent(),
                                              block.textList() != nullptr);
            if (QTextList* list = block.textList()) {
                addListFields(*list, out);
            }
        }
        return out;
    }

    // Lists made in the editor are numbered after every list the model gave.
    int lastModelList() const {
        int last = 0;
        for (QTextBlock block = m_source.begin(); block.isValid(); block = block.next()) {
            if (QTextList* list = block.textList()) {
                last = std::max(last, list->format().intProperty(bridge::kListId));
            }
        }
        return last;
    }

    void addListFields(QTextList& list, Paragraph& out) {
        QTextListFormat format = list.format();
        out.list = modelListKind(format);
        if (format.hasProperty(bridge::kListId)) {
            out.listId = format.intProperty(bridge::kListId);
            out.listLevel =
                std::clamp(format.intProperty(bridge::kListLevel), 0, richtext::kMaxListLevel);
            out.listStart = format.intProperty(bridge::kListStart);
            out.listBullet = modelText(format.stringProperty(bridge::kListBullet));
            out.listNumberSuffix = modelText(format.numberSuffix());
            if (format.hasProperty(bridge::kListOuterNumbers)) {
                out.listOuterNumbers = format.intProperty(bridge::kListOuterNumbers);
                out.listNumberJoint = modelText(format.stringProperty(bridge::kListJoint));
                out.listNumberPrefix = modelText(format.stringProperty(bridge::kListPrefix));
            } else {
                out.listNumberPrefix = modelText(format.numberPrefix());
            }
            return;
        }
        // A list made in the editor: a list of its own at the level of its indent.
        out.listLevel = std::clamp(format.indent() - 1, 0, richtext::kMaxListLevel);
        auto [entry, added] = m_editorLists.try_emplace(&list, 0);
        if (added) {
            if (!m_lastEditorList) {
                m_lastEditorList = lastModelList();
            }
            entry->second = ++*m_lastEditorList;
        }
        out.listId = entry->second;
    }

    Table table(QTextTable& qt) {
        QTextTableFormat format = qt.format();
        QVariantList rows = format.property(bridge::kTableRows).toList();
        QVariantList columns = format.property(bridge::kTableColumns).toList();
        if (rows.size() == qt.rows() && columns.size() == qt.columns()) {
            return storedTable(qt, rows, columns);
        }
        return editorTable(qt);
    }

    // The layout the model gave, with the cells' blocks as they are now.
    Table storedTable(QTextTable& qt, const QVariantList& rows, const QVariantList& columns) {
        Table out;
        std::vector<int> grid;
        for (const QVariant& boundary : columns) {
            grid.push_back(boundary.toInt());
        }
        for (int r = 0; r < qt.rows(); ++r) {
            TableRow row = modelRow(rows[r].toList());
            std::vector<Span> spans = spansOf(row, grid);
            for (std::size_t i = 0; i < row.cells.size(); ++i) {
                QTextTableCell cell =
                    i < spans.size() ? qt.cellAt(r, spans[i].first) : QTextTableCell();
                bool origin = cell.isValid() && cell.row() == r &&
                              cell.column() == spans[i].first &&
                              row.cells[i].horizontalMerge != CellMerge::Continue &&
                              row.cells[i].verticalMerge != CellMerge::Continue;
                row.cells[i].paragraphs = origin ? cellBlocks(cell) : std::vector<Paragraph>{};
                if (row.cells[i].paragraphs.empty() || row.cells[i].paragraphs.back().isTable()) {
                    row.cells[i].paragraphs.emplace_back();
                }
            }
            out.rows.push_back(std::move(row));
        }
        return out;
    }

    // A table the model did not make: its columns' widths as boundaries, its merges as the
    // model's.
    Table editorTable(QTextTable& qt) {
        Table out;
        QList<QTextLength> widths = qt.format().columnWidthConstraints();
        std::vector<int> grid;
        int boundary = 0;
        for (int c = 0; c < qt.columns(); ++c) {
            bool fixed = c < widths.size() && widths[c].type() == QTextLength::FixedLength;
            boundary += fixed
                            ? static_cast<int>(std::lround(widths[c].rawValue() / pixelsPerTwip()))
                            : 1440;
            grid.push_back(boundary);
        }
        for (int r = 0; r < qt.rows(); ++r) {
            TableRow row;
            for (int c = 0; c < qt.columns(); ++c) {
                QTextTableCell cell = qt.cellAt(r, c);
                if (cell.column() != c) {
                    continue; // inside a cell merged across, which gave it its own cells
                }
                for (int k = 0; k < cell.columnSpan(); ++k) {
                    TableCell model;
                    model.rightBoundary = grid[static_cast<std::size_t>(c + k)];
                    if (cell.columnSpan() > 1) {
                        model.horizontalMerge = k == 0 ? CellMerge::First : CellMerge::Continue;
                    }
                    if (cell.rowSpan() > 1) {
                        model.verticalMerge =
                            cell.row() == r ? CellMerge::First : CellMerge::Continue;
                    }
                    setFrame(cell, qt.format(), model);
                    bool origin = k == 0 && cell.row() == r;
                    model.paragraphs = origin ? cellBlocks(cell) : std::vector<Paragraph>{};
                    if (model.paragraphs.empty() || model.paragraphs.back().isTable()) {
                        model.paragraphs.emplace_back();
                    }
                    dropShadingFromText(model);
                    row.cells.push_back(std::move(model));
                }
            }
            out.rows.push_back(std::move(row));
        }
        return out;
    }

    // What Qt shows of a cell it made (from HTML): its background as the shading, and its own
    // borders or else the table's border around it (an HTML table's border="1").
    static void setFrame(const QTextTableCell& cell, const QTextTableFormat& table,
                         TableCell& model) {
        const QTextTableCellFormat format = cell.format().toTableCellFormat();
        if (format.hasProperty(QTextFormat::BackgroundBrush) &&
            format.background().style() != Qt::NoBrush) {
            model.shading = modelColor(format.background());
        }
        auto side = [&](Border& border, int widthProperty, int brushProperty) {
            const bool own = format.hasProperty(widthProperty);
            const double width = own ? format.doubleProperty(widthProperty) : table.border();
            if (width <= 0 || (!own && table.borderStyle() == QTextFrameFormat::BorderStyle_None)) {
                return;
            }
            border.width = std::max(1, static_cast<int>(std::lround(width / pixelsPerTwip())));
            const QBrush brush = own ? format.brushProperty(brushProperty) : table.borderBrush();
            if (brush.style() != Qt::NoBrush) {
                border.color = modelColor(brush);
            }
        };
        side(model.top, QTextFormat::TableCellTopBorder, QTextFormat::TableCellTopBorderBrush);
        side(model.left, QTextFormat::TableCellLeftBorder, QTextFormat::TableCellLeftBorderBrush);
        side(model.bottom, QTextFormat::TableCellBottomBorder,
             QTextFormat::TableCellBottomBorderBrush);
        side(model.right, QTextFormat::TableCellRightBorder,
             QTextFormat::TableCellRightBorderBrush);
    }

    // Qt gives the text of a cell with a background that background as its own: it is the
    // cell's shading, not a highlight of the text.
    static void dropShadingFromText(TableCell& cell) {
        if (!cell.shading) {
            return;
        }
        for (Paragraph& paragraph : cell.paragraphs) {
            for (Inline& item : paragraph.content) {
                if (auto* run = std::get_if<TextRun>(&item);
                    run != nullptr && run->format.background == cell.shading) {
                    run->format.background.reset();
                }
            }
        }
    }

    std::vector<Paragraph> cellBlocks(const QTextTableCell& cell) {
        std::set<std::size_t> saved;
        std::swap(saved, m_qtsOwn);
        std::vector<Paragraph> out = blocks(cell.begin());
        std::swap(saved, m_qtsOwn);
        return out;
    }

private:
    void addFragment(const QTextFragment& fragment, QStringView text,
                     std::vector<Inline>& content) const {
        const RunFormat& run = runFormat(fragment);
        switch (run.kind) {
        case FragmentKind::Hidden:
            for (qsizetype i = 0; i < text.size(); ++i) {
                content.push_back(TextRun{
                    run.format,
                    modelText(fragment.charFormat().property(bridge::kHiddenText).toString())});
            }
            return;
        case FragmentKind::Picture:
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (std::optional<Picture> picture =
                        modelPicture(fragment.charFormat().toImageFormat())) {
                    content.push_back(std::move(*picture));
                }
            }
            return;
        case FragmentKind::Text:
            break;
        }
        auto needed = static_cast<std::size_t>(text.size() * kUtf8BytesPerUnit);
        if (m_utf8.size() < needed) {
            m_utf8.resize(needed);
        }
        std::size_t length = static_cast<std::size_t>(
            writeModelText(m_utf8.data(), text, ObjectCharacters::Drop) - m_utf8.data());
        if (length != 0) {
            content.push_back(TextRun{run.format, std::string(m_utf8.data(), length)});
        }
    }

    // Empty for an image that did not come from the model (its bytes are not ours to keep).
    std::optional<Picture> modelPicture(const QTextImageFormat& format) const {
        QVariant data = m_source.resource(QTextDocument::UserResource,
                                          QUrl(format.stringProperty(bridge::kPictureData)));
        if (!format.hasProperty(bridge::kPictureData) || data.typeId() != QMetaType::QByteArray) {
            return std::nullopt;
        }
        QByteArray bytes = data.toByteArray();
        Picture out;
        out.format = static_cast<PictureFormat>(format.intProperty(bridge::kPictureFormat));
        out.data.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        out.width = format.intProperty(bridge::kPictureWidth);
        out.height = format.intProperty(bridge::kPictureHeight);
        out.goalWidth = format.intProperty(bridge::kGoalWidth);
        out.goalHeight = format.intProperty(bridge::kGoalHeight);
        out.scaleX = format.intProperty(bridge::kScaleX);
        out.scaleY = format.intProperty(bridge::kScaleY);
        out.metafileMapMode = format.intProperty(bridge::kMapMode);
        if (format.hasProperty(bridge::kPictureAnimation)) {
            QByteArray gif = m_source
                                 .resource(QTextDocument::UserResource,
                                           QUrl(format.stringProperty(bridge::kPictureAnimation)))
                                 .toByteArray();
            out.animation.assign(gif.constData(), static_cast<std::size_t>(gif.size()));
        }
        return out;
    }

    enum class FragmentKind { Text, Hidden, Picture };
    struct RunFormat {
        FragmentKind kind = FragmentKind::Text;
        CharFormat format;
    };

    // Most fragments share a few formats: each is converted once, by its index in the document,
    // so that a fragment of text costs no copy of its Qt format.
    const RunFormat& runFormat(const QTextFragment& fragment) const {
        auto [run, added] = m_runFormats.entry(fragment.charFormatIndex());
        if (added) {
            QTextCharFormat format = fragment.charFormat();
            run.format = modelCharFormat(format);
            if (format.objectType() == bridge::kHiddenObjectType) {
                run.kind = FragmentKind::Hidden;
                run.format.hidden = true;
            } else if (format.isImageFormat()) {
                run.kind = FragmentKind::Picture;
            }
        }
        return run;
    }

    const QTextDocument& m_source;
    const QString m_text;
    mutable ByFormatIndex<RunFormat> m_runFormats;
    // Where a fragment's text is made UTF-8 before the run takes as much as it needs.
    mutable std::string m_utf8;
    // Blocks read so far in the frame being read that Qt made, not the model.
    std::set<std::size_t> m_qtsOwn;
    std::map<const QTextList*, int> m_editorLists;
    // Found when the first list made in the editor needs a number.
    std::optional<int> m_lastEditorList;
    ByFormatIndex<Paragraph> m_paragraphFields;
    // What has been read, and what of it handed over: the pace of the hand-overs.
    std::size_t m_charactersRead = 0;
    std::size_t m_charactersHandedOver = 0;
};

// The one block an empty QTextDocument always has is no paragraph unless one was made there.
bool isEmptyDocument(const QTextDocument& source) {
    QTextBlock first = source.firstBlock();
    return source.blockCount() == 1 && first.length() <= 1 &&
           !first.blockFormat().hasProperty(bridge::kParagraph) && !first.textList();
}

} // namespace

double pixelsPerTwip() {
    QScreen* screen = QGuiApplication::primaryScreen();
    double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi / kTwipsPerInch;
}

QTextCharFormat listLabelFormat(const QTextCharFormat& firstCharacter) {
    QTextCharFormat label;
    if (firstCharacter.hasProperty(QTextFormat::FontFamilies)) {
        label.setFontFamilies(firstCharacter.fontFamilies().toStringList());
    }
    if (firstCharacter.hasProperty(QTextFormat::FontPointSize)) {
        label.setFontPointSize(firstCharacter.fontPointSize());
    }
    return label;
}

void toQt(const Document& document, QTextDocument& target) {
    target.setUndoRedoEnabled(false);
    stopAnimations(target);
    target.clear();
    target.setProperty(kPictureCount, 0);
    // A document with a layout lays every edit out at once, which makes a build of a long
    // document take many times its layout: the layout goes while the document is built, and the
    // one made on its next use (views follow the change) lays out the whole once.
    {
        const QSignalBlocker blocker(&target);
        target.setDocumentLayout(nullptr);
    }
    // One edit block for the whole build: outside one, every table inserted would rescan every
    // frame of the document so far, which makes a note of many tables take quadratic time.
    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    QtBuilder(target, cursor).addBlocks(document.paragraphs, cursor);
    cursor.endEditBlock();
    registerHiddenText(target);
    target.setUndoRedoEnabled(true);
    target.setModified(false);
}

Document fromQt(const QTextDocument& source) {
    Document out;
    if (isEmptyDocument(source)) {
        return out;
    }
    ModelReader reader(source);
    out.paragraphs = reader.blocks(source.rootFrame()->begin());
    return out;
}

Document writtenFromQt(const QTextDocument& source, const richtext::RtfWriter::Sink& sink) {
    Document out;
    if (isEmptyDocument(source)) {
        richtext::RtfWriter().write(out, sink);
        return out;
    }
    out.paragraphs.reserve(static_cast<std::size_t>(source.blockCount()));
    richtext::RtfStreamWriter writer(out.paragraphs);
    ModelReader(source).addBlocks(source.rootFrame()->begin(), out.paragraphs, &writer);
    writer.finish(out, sink);
    return out;
}

TableGrid tableGrid(const QTextTable& table) {
    TableGrid out;
    const int rowCount = table.rows();
    const int columnCount = table.columns();
    QTextTableFormat format = table.format();
    QVariantList rows = format.property(bridge::kTableRows).toList();
    QVariantList columns = format.property(bridge::kTableColumns).toList();
    if (rows.size() == rowCount && columns.size() == columnCount) {
        for (const QVariant& boundary : columns) {
            out.boundaries.push_back(boundary.toInt());
        }
        for (const QVariant& layout : rows) {
            TableRow row = modelRow(layout.toList());
            std::vector<TableCell> byColumn(static_cast<std::size_t>(columnCount));
            std::vector<Span> spans = spansOf(row, out.boundaries);
            // Columns right of the row's last cell look like it.
            TableCell covering = row.cells.empty() ? TableCell() : row.cells.front();
            std::size_t next = 0;
            for (int c = 0; c < columnCount; ++c) {
                while (next < spans.size() && spans[next].first <= c) {
                    covering = row.cells[next++];
                }
                covering.horizontalMerge = CellMerge::None;
                covering.verticalMerge = CellMerge::None;
                covering.rightBoundary = out.boundaries[static_cast<std::size_t>(c)];
                byColumn[static_cast<std::size_t>(c)] = covering;
            }
            row.cells = std::move(byColumn);
            out.rows.push_back(std::move(row));
        }
        return out;
    }
    QList<QTextLength> widths = format.columnWidthConstraints();
    int boundary = 0;
    for (int c = 0; c < columnCount; ++c) {
        bool fixed = c < widths.size() && widths[c].type() == QTextLength::FixedLength;
        boundary +=
            fixed ? static_cast<int>(std::lround(widths[c].rawValue() / pixelsPerTwip())) : 1440;
        out.boundaries.push_back(boundary);
    }
    for (int r = 0; r < rowCount; ++r) {
        TableRow row;
        for (int c = 0; c < columnCount; ++c) {
            row.cells.emplace_back().rightBoundary = out.boundaries[static_cast<std::size_t>(c)];
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

// A cell merged across is one cell as wide as its columns, as word processors write it; one
// merged down is a cell in each of its rows, the first marked to take the ones below.
void setTableGrid(QTextTable& table, const TableGrid& grid) {
    std::vector<TableRow> rows;
    std::vector<std::pair<QTextTableCell, TableCell>> origins;
    for (int r = 0; r < table.rows(); ++r) {
        const TableRow& source = grid.rows[static_cast<std::size_t>(r)];
        TableRow row = source;
        row.cells.clear();
        for (int c = 0; c < table.columns(); ++c) {
            QTextTableCell cell = table.cellAt(r, c);
            if (cell.column() != c) {
                continue;
            }
            std::size_t last = static_cast<std::size_t>(c + cell.columnSpan() - 1);
            TableCell model = source.cells[static_cast<std::size_t>(c)];
            model.right = source.cells[last].right;
            model.rightBoundary = grid.boundaries[last];
            if (cell.rowSpan() > 1) {
                model.verticalMerge = cell.row() == r ? CellMerge::First : CellMerge::Continue;
            }
            if (cell.row() == r) {
                origins.emplace_back(cell, model);
            }
            row.cells.push_back(std::move(model));
        }
        rows.push_back(std::move(row));
    }
    if (rows.empty()) {
        return;
    }
    QTextTableFormat format = table.format();
    setTableLayout(format, grid.boundaries, rows);
    table.setFormat(format);
    for (const auto& [cell, model] : origins) {
        setCellFormat(cell, model);
    }
}

void insertDocument(QTextCursor& cursor, const Document& document) {
    QTextDocument& target = *cursor.document();
    registerHiddenText(target);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    QtBuilder builder(target, cursor);
    builder.addBlocks(document.paragraphs, cursor, QtBuilder::Start::Join);
    cursor.setPosition(builder.position());
    cursor.endEditBlock();
}

namespace {

// The layout of the cells a selection of a table's cells covers, its first column moved to where
// the table's first stands.
TableGrid selectedGrid(const QTextCursor& cursor) {
    int firstRow = 0;
    int rows = 0;
    int firstColumn = 0;
    int columns = 0;
    cursor.selectedTableCells(&firstRow, &rows, &firstColumn, &columns);
    const TableGrid whole = tableGrid(*cursor.currentTable());
    const auto column = static_cast<std::size_t>(firstColumn);
    const auto end = column + static_cast<std::size_t>(columns);
    const int shift = column > 0 ? whole.boundaries[column - 1] : 0;
    TableGrid out;
    for (std::size_t c = column; c < end; ++c) {
        out.boundaries.push_back(whole.boundaries[c] - shift);
    }
    for (int r = firstRow; r < firstRow + rows; ++r) {
        TableRow row = whole.rows[static_cast<std::size_t>(r)];
        row.cells.assign(row.cells.begin() + firstColumn,
                         row.cells.begin() + firstColumn + columns);
        for (TableCell& cell : row.cells) {
            cell.rightBoundary -= shift;
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

QTextTable* firstTableOf(const QTextDocument& document) {
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            return table;
        }
    }
    return nullptr;
}

} // namespace

// A fragment carries the formats but not the resources they name: the pictures' bytes come from
// the source document. Of a selection of cells it makes a table of those cells with the whole
// table's layout, which no longer fits it: the cells get theirs back.
Document selectionModel(const QTextCursor& cursor) {
    const QTextDocument& source = *cursor.document();
    QTextDocument copy;
    registerHiddenText(copy);
    QTextCursor(&copy).insertFragment(cursor.selection());
    if (cursor.hasComplexSelection()) {
        TableGrid grid = selectedGrid(cursor);
        QTextTable* table = firstTableOf(copy);
        if (table != nullptr && table->rows() == static_cast<int>(grid.rows.size()) &&
            table->columns() == static_cast<int>(grid.boundaries.size())) {
            setTableGrid(*table, grid);
        }
    }
    for (QTextBlock block = copy.firstBlock(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextCharFormat format = it.fragment().charFormat();
            for (int property : {bridge::kPictureData, bridge::kPictureAnimation}) {
                if (format.hasProperty(property)) {
                    QUrl name(format.stringProperty(property));
                    copy.addResource(QTextDocument::UserResource, name,
                                     source.resource(QTextDocument::UserResource, name));
                }
            }
        }
    }
    return fromQt(copy);
}

} // namespace tarnel::ui

#include "rich_text_bridge.moc"
