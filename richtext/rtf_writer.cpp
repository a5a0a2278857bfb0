#include "richtext/rtf_writer.h"

#include "platform/codepage.h"
#include "richtext/rtf_format.h"
#include "richtext/utf8.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace tarnel::richtext {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kHexDigitsPerLine = 128;
constexpr std::string_view kHexDigits = "0123456789abcdef";

bool needsDelimiter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           c == '-';
}

std::string romanNumeral(int number) {
    static constexpr std::pair<int, std::string_view> kNumerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    std::string text;
    for (auto [value, numeral] : kNumerals) {
        for (; number >= value; number -= value) {
            text += numeral;
        }
    }
    return text;
}

// Beyond these, letters and roman numerals would make a label grow with the list, so the number
// is written in digits.
constexpr int kLastLetterNumber = 26 * 30;
constexpr int kLastRomanNumber = 3999;

std::string letterNumeral(int number) {
    return std::string(static_cast<std::size_t>((number - 1) / 26 + 1),
                       static_cast<char>('a' + (number - 1) % 26));
}

std::string upperCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return text;
}

// The number text a list item shows, for readers that do not number lists themselves.
std::string listLabel(ListKind kind, int number) {
    switch (kind) {
    case ListKind::Decimal:
        return std::to_string(number) + ".";
    case ListKind::LowerLetter:
    case ListKind::UpperLetter:
        if (number > kLastLetterNumber) {
            return std::to_string(number) + ".";
        }
        return (kind == ListKind::UpperLetter ? upperCased(letterNumeral(number))
                                              : letterNumeral(number)) +
               ".";
    case ListKind::LowerRoman:
    case ListKind::UpperRoman:
        if (number > kLastRomanNumber) {
            return std::to_string(number) + ".";
        }
        return (kind == ListKind::UpperRoman ? upperCased(romanNumeral(number))
                                             : romanNumeral(number)) +
               ".";
    default:
        return {};
    }
}

std::string_view oldListStyleWord(ListKind kind) {
    switch (kind) {
    case ListKind::LowerLetter:
        return "pnlcltr";
    case ListKind::UpperLetter:
        return "pnucltr";
    case ListKind::LowerRoman:
        return "pnlcrm";
    case ListKind::UpperRoman:
        return "pnucrm";
    default:
        return "pndec";
    }
}

// Runs of one link share its text, so comparing them costs nothing however long the target.
const SharedText& linkOf(const Inline& item) {
    static const SharedText kNone;
    const TextRun* run = std::get_if<TextRun>(&item);
    return run != nullptr ? run->format.link : kNone;
}

// Field syntax: a quoted argument escapes its backslashes and quotes.
std::string quotedFieldArgument(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

class Emitter {
public:
    explicit Emitter(const Document& document) : m_document(document) { collectTables(); }

    std::string run() {
        writeHeader();
        int number = 0;
        ListKind previous = ListKind::None;
        for (const Paragraph& paragraph : m_document.paragraphs) {
            number = paragraph.list == previous ? number + 1 : 1;
            previous = paragraph.list;
            writeParagraph(paragraph, number);
        }
        m_out += '}';
        return std::move(m_out);
    }

private:
    void collectTables();
    void addFont(const std::string& name);
    void addColor(const std::optional<Color>& color);
    int fontIndex(const std::string& name) const { return m_fontIndex.at(name); }
    // Entry 0 of the colour table is the automatic colour.
    int colorIndex(const Color& color) const { return m_colorIndex.at(colorKey(color)) + 1; }
    static std::uint32_t colorKey(const Color& color) {
        return static_cast<std::uint32_t>(color.red << 16 | color.green << 8 | color.blue);
    }

    void writeHeader();
    void writeParagraph(const Paragraph& paragraph, int number);
    void writeListPrefix(ListKind kind, int number);
    void writeLinkGroup(const std::string& link, const std::vector<Inline>& content,
                        std::size_t begin, std::size_t end);
    void writeInline(const Inline& item);
    void writeRun(const TextRun& run);
    void writePicture(const Picture& picture);
    // The GB18030 bytes old readers read for the character; each character is converted once.
    const std::string& fallbackBytes(char32_t codePoint);
    void writeHex(std::string_view bytes);
    void writeText(std::string_view utf8);
    void writeFontName(std::string_view utf8);

    void word(std::string_view name) {
        m_out += '\\';
        m_out += name;
        m_delimit = true;
    }
    void word(std::string_view name, int value) {
        word(name);
        m_out += std::to_string(value);
    }
    void raw(std::string_view text) {
        m_out += text;
        m_delimit = false;
    }
    void literal(char c) {
        if (m_delimit && needsDelimiter(c)) {
            m_out += ' ';
        }
        m_out += c;
        m_delimit = false;
    }
    void hexByte(unsigned char byte) {
        m_out += "\\'";
        m_out += kHexDigits[byte >> 4];
        m_out += kHexDigits[byte & 15];
        m_delimit = false;
    }
    void unicodeSkip(int count) {
        if (count != m_unicodeSkip) {
            word("uc", count);
            m_unicodeSkip = count;
        }
    }
    void openGroup() {
        raw("{");
        m_unicodeSkip = 1;
    }
    void closeGroup() {
        raw("}");
        m_unicodeSkip = 1;
    }

    const Document& m_document;
    std::vector<std::string> m_fonts;
    std::unordered_map<std::string, int> m_fontIndex;
    std::vector<Color> m_colors;
    std::unordered_map<std::uint32_t, int> m_colorIndex;
    int m_symbolFont = -1;
    std::unordered_map<char32_t, std::string> m_fallbacks;
    std::string m_out;
    bool m_delimit = false;
    int m_unicodeSkip = 1;
};

void Emitter::collectTables() {
    bool bullets = false;
    for (const Paragraph& paragraph : m_document.paragraphs) {
        bullets = bullets || paragraph.list == ListKind::Bullet;
        for (const Inline& item : paragraph.content) {
            if (const TextRun* run = std::get_if<TextRun>(&item)) {
                addFont(run->format.font.str());
                addColor(run->format.color);
                addColor(run->format.background);
            }
        }
    }
    if (m_fonts.empty()) {
        addFont({});
    }
    if (bullets) {
        m_symbolFont = static_cast<int>(m_fonts.size());
    }
}

void Emitter::addFont(const std::string& name) {
    if (m_fontIndex.try_emplace(name, static_cast<int>(m_fonts.size())).second) {
        m_fonts.push_back(name);
    }
}

void Emitter::addColor(const std::optional<Color>& color) {
    if (color &&
        m_colorIndex.try_emplace(colorKey(*color), static_cast<int>(m_colors.size())).second) {
        m_colors.push_back(*color);
    }
}

void Emitter::writeHeader() {
    raw("{");
    word("rtf", 1);
    word("ansi");
    word("ansicpg", kCodePageGbk);
    word("deff", 0);
    raw("{");
    word("fonttbl");
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        openGroup();
        word("f", static_cast<int>(i));
        word("fnil");
        word("fcharset", kCharsetGb2312);
        writeFontName(m_fonts[i]);
        raw(";");
        closeGroup();
    }
    if (m_symbolFont >= 0) {
        openGroup();
        word("f", m_symbolFont);
        word("fnil");
        word("fcharset", kCharsetSymbol);
        writeFontName(kSymbolFontName);
        raw(";");
        closeGroup();
    }
    raw("}");
    raw(kLineEnd);
    if (!m_colors.empty()) {
        raw("{");
        word("colortbl");
        raw(";");
        for (const Color& color : m_colors) {
            word("red", color.red);
            word("green", color.green);
            word("blue", color.blue);
            raw(";");
        }
        raw("}");
        raw(kLineEnd);
    }
    word("uc", 1);
    raw(kLineEnd);
}

void Emitter::writeParagraph(const Paragraph& paragraph, int number) {
    word("pard");
    switch (paragraph.alignment) {
    case Alignment::Center:
        word("qc");
        break;
    case Alignment::Right:
        word("qr");
        break;
    case Alignment::Justify:
        word("qj");
        break;
    case Alignment::Left:
        break;
    }
    if (paragraph.firstLineIndent != 0) {
        word("fi", paragraph.firstLineIndent);
    }
    if (paragraph.leftIndent != 0) {
        word("li", paragraph.leftIndent);
    }
    if (paragraph.rightIndent != 0) {
        word("ri", paragraph.rightIndent);
    }
    if (paragraph.list != ListKind::None) {
        writeListPrefix(paragraph.list, number);
    }
    const std::vector<Inline>& content = paragraph.content;
    for (std::size_t i = 0; i < content.size();) {
        const SharedText& link = linkOf(content[i]);
        if (link.empty()) {
            writeInline(content[i++]);
            continue;
        }
        std::size_t end = i;
        while (end < content.size() && linkOf(content[end]) == link) {
            ++end;
        }
        writeLinkGroup(link.str(), content, i, end);
        i = end;
    }
    word("par");
    raw(kLineEnd);
}

void Emitter::writeListPrefix(ListKind kind, int number) {
    bool bullet = kind == ListKind::Bullet;
    int font = bullet ? m_symbolFont : 0;
    openGroup();
    word("pntext");
    word("f", font);
    if (bullet) {
        hexByte(static_cast<unsigned char>(kSymbolBullet));
    } else {
        for (char c : listLabel(kind, number)) {
            literal(c);
        }
    }
    word("tab");
    closeGroup();
    openGroup();
    word("*");
    word("pn");
    word(bullet ? "pnlvlblt" : "pnlvlbody");
    word("pnf", font);
    word("pnindent", 0);
    if (!bullet) {
        word("pnstart", 1);
        word(oldListStyleWord(kind));
    }
    openGroup();
    word(bullet ? "pntxtb" : "pntxta");
    if (bullet) {
        hexByte(static_cast<unsigned char>(kSymbolBullet));
    } else {
        literal('.');
    }
    closeGroup();
    closeGroup();
}

void Emitter::writeLinkGroup(const std::string& link, const std::vector<Inline>& content,
                             std::size_t begin, std::size_t end) {
    openGroup();
    word("field");
    openGroup();
    word("*");
    word("fldinst");
    openGroup();
    std::string instruction = "HYPERLINK ";
    if (link.starts_with("#")) {
        instruction += "\\l " + quotedFieldArgument(std::string_view(link).substr(1));
    } else {
        instruction += quotedFieldArgument(link);
    }
    writeText(instruction);
    closeGroup();
    closeGroup();
    openGroup();
    word("fldrslt");
    for (std::size_t i = begin; i < end; ++i) {
        writeInline(content[i]);
    }
    closeGroup();
    closeGroup();
}

void Emitter::writeInline(const Inline& item) {
    if (const TextRun* run = std::get_if<TextRun>(&item)) {
        writeRun(*run);
    } else {
        writePicture(std::get<Picture>(item));
    }
}

void Emitter::writeRun(const TextRun& run) {
    const CharFormat& format = run.format;
    openGroup();
    // The font is named for East Asian text too, and the size always: LibreOffice otherwise
    // shows Chinese text in its own default font and size.
    int font = fontIndex(format.font.str());
    word("dbch");
    word("af", font);
    word("loch");
    word("f", font);
    word("fs", format.sizeHalfPoints);
    if (format.bold) {
        word("b");
    }
    if (format.italic) {
        word("i");
    }
    if (format.underline) {
        word("ul");
    }
    if (format.strikeThrough) {
        word("strike");
    }
    if (format.hidden) {
        word("v");
    }
    if (format.color) {
        word("cf", colorIndex(*format.color));
    }
    if (format.background) {
        word("highlight", colorIndex(*format.background));
    }
    writeText(run.text);
    closeGroup();
}

void Emitter::writePicture(const Picture& picture) {
    if (!picture.animation.empty() && picture.format == PictureFormat::Png) {
        openGroup();
        raw("\\*");
        word(kAnimationDestination);
        raw(kLineEnd);
        writeHex(picture.animation);
        closeGroup();
    }
    openGroup();
    word("pict");
    switch (picture.format) {
    case PictureFormat::Png:
        word("pngblip");
        break;
    case PictureFormat::Jpeg:
        word("jpegblip");
        break;
    case PictureFormat::Emf:
        word("emfblip");
        break;
    case PictureFormat::Wmf:
        word("wmetafile", picture.metafileMapMode);
        break;
    case PictureFormat::Bmp:
        word("dibitmap", 0);
        break;
    }
    word("picw", picture.width);
    word("pich", picture.height);
    if (picture.goalWidth != 0) {
        word("picwgoal", picture.goalWidth);
    }
    if (picture.goalHeight != 0) {
        word("pichgoal", picture.goalHeight);
    }
    if (picture.scaleX != 100) {
        word("picscalex", picture.scaleX);
    }
    if (picture.scaleY != 100) {
        word("picscaley", picture.scaleY);
    }
    raw(kLineEnd);
    writeHex(picture.data);
    closeGroup();
}

void Emitter::writeHex(std::string_view bytes) {
    std::size_t column = 0;
    for (unsigned char byte : bytes) {
        m_out += kHexDigits[byte >> 4];
        m_out += kHexDigits[byte & 15];
        column += 2;
        if (column == kHexDigitsPerLine) {
            m_out += kLineEnd;
            column = 0;
        }
    }
}

const std::string& Emitter::fallbackBytes(char32_t codePoint) {
    auto [it, added] = m_fallbacks.try_emplace(codePoint);
    if (added) {
        std::string character;
        appendUtf8(character, codePoint);
        it->second = platform::utf8ToGb(character);
    }
    return it->second;
}

void Emitter::writeText(std::string_view utf8) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t codePoint = nextCodePoint(utf8, pos);
        if (codePoint == '\\' || codePoint == '{' || codePoint == '}') {
            raw("\\");
            m_out += static_cast<char>(codePoint);
        } else if (codePoint >= 0x20 && codePoint < 0x7F) {
            literal(static_cast<char>(codePoint));
        } else if (codePoint == '\t') {
            word("tab");
        } else if (codePoint == '\n') {
            word("line");
        } else {
            const std::string& fallback = fallbackBytes(codePoint);
            if (codePoint > 0xFFFF) {
                // The high surrogate carries no fallback; the low one carries the whole
                // character's bytes, so old readers read the bytes and new ones skip them.
                char32_t offset = codePoint - 0x10000;
                unicodeSkip(0);
                word("u", static_cast<int>(0xD800 + (offset >> 10)) - 65536);
                codePoint = 0xDC00 + (offset & 0x3FF);
            }
            unicodeSkip(static_cast<int>(fallback.size()));
            word("u", codePoint > 0x7FFF ? static_cast<int>(codePoint) - 65536
                                         : static_cast<int>(codePoint));
            for (unsigned char byte : fallback) {
                hexByte(byte);
            }
        }
    }
}

// Font names are written like text, for old and new readers alike. A ';' would end the name
// early and control characters are no part of a name, so both are left out.
void Emitter::writeFontName(std::string_view utf8) {
    std::string name;
    for (char c : utf8) {
        if (c != ';' && static_cast<unsigned char>(c) >= 0x20) {
            name += c;
        }
    }
    if (!name.empty()) {
        raw(" ");
    }
    writeText(name);
}

} // namespace

std::string RtfWriter::write(const Document& document) const {
    return Emitter(document).run();
}

} // namespace tarnel::richtext
