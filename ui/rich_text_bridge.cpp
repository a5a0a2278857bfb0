#include "ui/rich_text_bridge.h"

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
#include <QTextList>
#include <QTextObjectInterface>
#include <QUrl>
#include <cmath>
#include <unordered_map>

namespace tarnel::ui {
namespace {

using richtext::Alignment;
using richtext::CharFormat;
using richtext::Color;
using richtext::Document;
using richtext::Inline;
using richtext::ListKind;
using richtext::Paragraph;
using richtext::Picture;
using richtext::PictureFormat;
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

std::string modelText(QString text) {
    text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    QByteArray utf8 = text.toUtf8();
    return {utf8.constData(), static_cast<std::size_t>(utf8.size())};
}

QColor qtColor(const Color& color) {
    return {color.red, color.green, color.blue};
}

Color modelColor(const QBrush& brush) {
    QColor c = brush.color();
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
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

// The stored twips while the margin still shows them; a margin an edit changed, converted.
int modelIndent(const QTextBlockFormat& format, int twipsProperty, double pixels) {
    if (format.hasProperty(twipsProperty)) {
        int twips = format.intProperty(twipsProperty);
        if (std::abs(twipsToPixels(twips) - pixels) < 1e-6) {
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
    out.setTextIndent(twipsToPixels(paragraph.firstLineIndent));
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

QTextListFormat::Style qtListStyle(ListKind kind) {
    for (const ListStyle& entry : kListStyles) {
        if (entry.kind == kind) {
            return entry.style;
        }
    }
    return QTextListFormat::ListStyleUndefined;
}

ListKind modelListKind(const QTextBlock& block) {
    if (QTextList* list = block.textList()) {
        for (const ListStyle& entry : kListStyles) {
            if (entry.style == list->format().style()) {
                return entry.kind;
            }
        }
        return ListKind::Bullet;
    }
    return ListKind::None;
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

// Builds paragraphs through one cursor: the first takes the cursor's paragraph (its format too,
// when the whole document is built), each further one starts its own.
class QtBuilder {
public:
    enum class Start { TakeFormat, Join, NewBlock };

    QtBuilder(QTextDocument& target, QTextCursor cursor)
        : m_document(target), m_cursor(std::move(cursor)) {}

    int position() const { return m_cursor.position(); }

    void add(const Paragraph& paragraph, Start start) {
        QTextBlockFormat blockFormat = qtBlockFormat(paragraph);
        if (start == Start::TakeFormat) {
            m_cursor.setBlockFormat(blockFormat);
        } else if (start == Start::NewBlock) {
            m_cursor.insertBlock(blockFormat, QTextCharFormat());
        }
        if (start != Start::Join) {
            addToList(paragraph);
        }
        for (const Inline& item : paragraph.content) {
            if (const auto* run = std::get_if<TextRun>(&item)) {
                addRun(*run);
            } else {
                addPicture(std::get<Picture>(item));
            }
        }
    }

private:
    void addToList(const Paragraph& paragraph) {
        if (paragraph.list == ListKind::None) {
            m_list = nullptr;
            return;
        }
        if (m_list && m_listKind == paragraph.list) {
            m_list->add(m_cursor.block());
            return;
        }
        QTextListFormat format;
        format.setStyle(qtListStyle(paragraph.list));
        // Without an indent of its own a list's numbers would sit left of the page.
        format.setIndent(paragraph.leftIndent > 0 ? 0 : 1);
        m_list = m_cursor.createList(format);
        m_listKind = paragraph.list;
    }

    void addRun(const TextRun& run) {
        QTextCharFormat format = qtCharFormat(run.format);
        if (run.format.hidden) {
            format.setObjectType(bridge::kHiddenObjectType);
            format.setProperty(bridge::kHiddenText, qtText(run.text));
            m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
            return;
        }
        m_cursor.insertText(qtText(run.text), format);
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
    QTextList* m_list = nullptr;
    ListKind m_listKind = ListKind::None;
};

// Reads the paragraphs back, one fragment at a time.
class ModelReader {
public:
    explicit ModelReader(const QTextDocument& source) : m_source(source) {}

    Paragraph paragraph(const QTextBlock& block) const {
        Paragraph out;
        QTextBlockFormat format = block.blockFormat();
        out.alignment = modelAlignment(format.alignment());
        out.leftIndent = modelIndent(format, bridge::kLeftTwips, format.leftMargin());
        out.rightIndent = modelIndent(format, bridge::kRightTwips, format.rightMargin());
        out.firstLineIndent = modelIndent(format, bridge::kFirstLineTwips, format.textIndent());
        out.list = modelListKind(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            addFragment(it.fragment(), out.content);
        }
        return out;
    }

private:
    void addFragment(const QTextFragment& fragment, std::vector<Inline>& content) const {
        QTextCharFormat format = fragment.charFormat();
        QString text = fragment.text();
        if (format.objectType() == bridge::kHiddenObjectType) {
            CharFormat hidden = modelCharFormat(format);
            hidden.hidden = true;
            for (qsizetype i = 0; i < text.size(); ++i) {
                content.push_back(
                    TextRun{hidden, modelText(format.property(bridge::kHiddenText).toString())});
            }
            return;
        }
        if (format.isImageFormat()) {
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (std::optional<Picture> picture = modelPicture(format.toImageFormat())) {
                    content.push_back(std::move(*picture));
                }
            }
            return;
        }
        // An object character pasted as text stands for nothing the model could hold.
        text.remove(QChar::ObjectReplacementCharacter);
        if (!text.isEmpty()) {
            content.push_back(TextRun{runFormat(fragment), modelText(text)});
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

    // Most fragments share a few formats: each is converted once, by its index in the document.
    const CharFormat& runFormat(const QTextFragment& fragment) const {
        auto [it, added] = m_runFormats.try_emplace(fragment.charFormatIndex());
        if (added) {
            it->second = modelCharFormat(fragment.charFormat());
        }
        return it->second;
    }

    const QTextDocument& m_source;
    mutable std::unordered_map<int, CharFormat> m_runFormats;
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
    QtBuilder builder(target, QTextCursor(&target));
    auto start = QtBuilder::Start::TakeFormat;
    for (const Paragraph& paragraph : document.paragraphs) {
        builder.add(paragraph, start);
        start = QtBuilder::Start::NewBlock;
    }
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
    for (QTextBlock block = source.firstBlock(); block.isValid(); block = block.next()) {
        out.paragraphs.push_back(reader.paragraph(block));
    }
    return out;
}

void insertDocument(QTextCursor& cursor, const Document& document) {
    QTextDocument& target = *cursor.document();
    registerHiddenText(target);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    QtBuilder builder(target, cursor);
    auto start = QtBuilder::Start::Join;
    for (const Paragraph& paragraph : document.paragraphs) {
        builder.add(paragraph, start);
        start = QtBuilder::Start::NewBlock;
    }
    cursor.setPosition(builder.position());
    cursor.endEditBlock();
}

// A fragment carries the formats but not the resources they name: the pictures' bytes come from
// the source document.
Document selectionModel(const QTextCursor& cursor) {
    const QTextDocument& source = *cursor.document();
    QTextDocument copy;
    registerHiddenText(copy);
    QTextCursor(&copy).insertFragment(cursor.selection());
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
