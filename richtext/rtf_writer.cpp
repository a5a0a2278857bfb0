#include "richtext/rtf_writer.h"

#include "platform/codepage.h"
#include "richtext/list_number.h"
#include "richtext/rtf_format.h"
#include "richtext/utf8.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

namespace tarnel::richtext {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kHexDigitsPerLine = 128;
constexpr std::string_view kHexDigits = "0123456789abcdef";
// The most characters a number of an int takes written, its sign included.
constexpr std::size_t kIntDigits = 11;

bool needsDelimiter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
           c == '-';
}

// Printable ASCII that stands for itself in the text, by byte: one look per letter of a long
// stretch of English.
constexpr std::array<bool, 256> kPlainLiterals = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c) {
        plain[static_cast<std::size_t>(c)] = c != '\\' && c != '{' && c != '}';
    }
    return plain;
}();

bool isPlainLiteral(char c) {
    return kPlainLiterals[static_cast<unsigned char>(c)];
}

int levelNumberFormat(ListKind kind) {
    switch (kind) {
    case ListKind::Bullet:
        return kLevelBullet;
    case ListKind::LowerLetter:
        return kLevelLowerLetter;
    case ListKind::UpperLetter:
        return kLevelUpperLetter;
    case ListKind::LowerRoman:
        return kLevelLowerRoman;
    case ListKind::UpperRoman:
        return kLevelUpperRoman;
    default:
        return kLevelDecimal;
    }
}

// What a list level shows; the levels of one written list agree on it for every item.
struct LevelStyle {
    ListKind kind = ListKind::Decimal;
    int start = 1;
    std::string bullet;
    std::string numberPrefix;
    std::string numberSuffix = ".";
    int outerNumbers = 0;
    std::string numberJoint;

    bool operator==(const LevelStyle&) const = default;
};

LevelStyle levelStyleOf(const Paragraph& paragraph) {
    if (paragraph.list == ListKind::Bullet) {
        return {paragraph.list, paragraph.listStart, paragraph.listBullet, std::string(), ".", 0,
                std::string()};
    }
    const int outer = std::clamp(paragraph.listOuterNumbers, 0, paragraph.listLevel);
    return {paragraph.list,
            paragraph.listStart,
            std::string(),
            paragraph.listNumberPrefix,
            paragraph.listNumberSuffix,
            outer,
            outer > 0 ? paragraph.listNumberJoint : std::string()};
}

// A list as written: \lsN with the styles of its levels and the numbers reached.
struct WrittenList {
    int listId = 0;
    std::array<std::optional<LevelStyle>, kMaxListLevel + 1> levels;
    ListCounter counter;
};

// A list item as written: its list's \ls number and the numbers of its level and those above,
// for the label old readers show.
struct ItemPlan {
    int list = 0;
    std::array<int, kMaxListLevel + 1> numbers{};
};

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

enum class EndMark { Paragraph, Cell };

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

// A character beyond ASCII written as \uN with its GB18030 bytes ("\u30340\'b5\'c4"), a little
// more than the most its UTF-8 form and a switch of \uc now and then take.
constexpr std::size_t kEscapeBytes = 16;

// Bytes that start a character beyond ASCII.
std::size_t escapedCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xC0; }));
}

// About what a run or picture takes written: a picture's bytes twice over as hex, ASCII text
// itself and every other character its escape. Short of the whole, the buffer would be copied
// into one twice its size: much of a save's time, spent in the pages of the new buffer.
std::size_t expectedSize(const Inline& item) {
    if (const auto* run = std::get_if<TextRun>(&item)) {
        return run->text.size() + escapedCount(run->text) * kEscapeBytes + 32;
    }
    const Picture& picture = std::get<Picture>(item);
    return (picture.data.size() + picture.animation.size()) * 2 * 129 / 128 + 128;
}

// The bytes written so far, with room to write a few more in place without a check per byte. A
// std::string's bytes past its size are not its user's to write, so the string is made longer a
// stretch at a time and the part in use counted apart; a reservation is touched only as far as
// it is written.
class Output {
public:
    // Longest of what is written in place (a character's escape, an end of line).
    static constexpr std::size_t kRoom = 32;
    static constexpr std::size_t kStretch = 64 * 1024;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::string_view view() const { return {m_bytes.data(), m_size}; }
    void clear() { m_size = 0; }
    void reserve(std::size_t bytes) { m_bytes.reserve(bytes + kRoom); }
    // Where count bytes may be written; advance then counts those that were.
    char* room(std::size_t count) {
        if (m_size + count > m_bytes.size()) [[unlikely]] {
            grow(count);
        }
        return m_bytes.data() + m_size;
    }
    void advance(std::size_t count) { m_size += count; }
    void append(std::string_view text) {
        std::copy(text.begin(), text.end(), room(text.size()));
        m_size += text.size();
    }
    void append(char c) {
        *room(1) = c;
        ++m_size;
    }
    std::string take() {
        m_bytes.resize(m_size);
        m_size = 0;
        return std::move(m_bytes);
    }

private:
    [[gnu::noinline]] void grow(std::size_t count) { m_bytes.resize(m_size + count + kStretch); }

    std::string m_bytes;
    std::size_t m_size = 0;
};

class Emitter {
public:
    // With a sink the output leaves in pieces, and its whole size is never needed.
    Emitter(const Document& document, const RtfWriter::Sink* sink)
        : m_blocks(document.paragraphs), m_sink(sink) {
        collectTables(m_blocks);
        finishTables();
        planLists(m_blocks);
    }
    // For blocks handed over one at a time while later ones are still being made (streamBlock):
    // the body goes to the sink as it is written, with the symbol font's number left out,
    // since that font comes after every other; finishStream then writes the header and the body.
    struct Streamed {};
    Emitter(const std::vector<Paragraph>& blocks, const RtfWriter::Sink* body, Streamed)
        : m_blocks(blocks), m_sink(body), m_streamed(true) {
        m_pieceLimit = RtfWriter::kPieceBytes;
        m_out.reserve(2 * m_pieceLimit);
    }

    std::string run() {
        m_out.reserve(m_expectedSize);
        writeDocument();
        return m_out.take();
    }

    // A piece leaves at the first point past the limit, and nothing written between two such
    // points takes more than another piece's worth: the buffer is never made larger.
    std::size_t runInPieces() {
        m_pieceLimit = RtfWriter::kPieceBytes;
        m_out.reserve(2 * m_pieceLimit);
        writeDocument();
        handOn();
        return m_handedOn;
    }

    // Tables and lists are collected and planned in the order the whole document's are, so a
    // block written now looks up what it would look up after all of them.
    void streamBlock(const Paragraph& block) {
        std::span<const Paragraph> one(&block, 1);
        collectTables(one);
        planLists(one);
        writeBlocks(one, 0);
    }
    // False when a block written named a list level whose style a later item may still give:
    // the body may differ from the whole document's.
    bool streamedAlike() const { return !m_streamedUnsure; }
    // The header through the sink, then the body handed on before (held, in order) with the
    // symbol font's number put in, then the end; returns how many bytes there were in all.
    std::size_t finishStream(const RtfWriter::Sink& sink, const std::vector<std::string>& held) {
        handOn();
        m_sink = &sink;
        m_handedOn = 0;
        finishTables();
        writeHeader();
        handOn();
        const std::string number = std::to_string(m_symbolFont);
        std::size_t offset = 0;
        auto next = m_symbolFontAt.begin();
        for (const std::string& piece : held) {
            std::string_view rest = piece;
            for (; next != m_symbolFontAt.end() && *next <= offset + rest.size(); ++next) {
                std::size_t taken = *next - offset;
                passOn(rest.substr(0, taken));
                passOn(number);
                rest.remove_prefix(taken);
                offset += taken;
            }
            passOn(rest);
            offset += rest.size();
        }
        m_out.append('}');
        handOn();
        return m_handedOn;
    }

private:
    void passOn(std::string_view bytes) {
        if (!bytes.empty()) {
            (*m_sink)(bytes);
            m_handedOn += bytes.size();
        }
    }
    void writeDocument() {
        writeHeader();
        writeBlocks(m_blocks, 0);
        m_out.append('}');
    }
    void handOnWhenFull() {
        if (m_out.size() >= m_pieceLimit) {
            handOn();
        }
    }
    void handOn() {
        if (!m_out.empty()) {
            (*m_sink)(m_out.view());
            m_handedOn += m_out.size();
            m_out.clear();
        }
    }

    // The font and colour tables, and the size the blocks take written, in one pass over them.
    void collectTables(std::span<const Paragraph> blocks);
    void finishTables();
    void planLists(std::span<const Paragraph> blocks);
    void planItem(const Paragraph& paragraph);
    void addFont(const std::string& name);
    void addColor(const std::optional<Color>& color);
    // Runs share their font's text: a run's font is known by the address of the text, which the
    // tables were collected from.
    int fontIndex(const std::string& name) {
        if (&name != m_lastFont) {
            m_lastFont = &name;
            m_lastFontIndex = m_fontIndexByText.at(&name);
        }
        return m_lastFontIndex;
    }
    // Entry 0 of the colour table is the automatic colour.
    int colorIndex(const Color& color) const { return m_colorIndex.at(colorKey(color)) + 1; }
    static std::uint32_t colorKey(const Color& color) {
        return static_cast<std::uint32_t>(color.red << 16 | color.green << 8 | color.blue);
    }

    void writeHeader();
    void writeListTables();
    void writeListLevel(const WrittenList& list, int level);
    void writeBlocks(std::span<const Paragraph> blocks, int tableLevel);
    void writeTable(const Table& table, int level);
    void writeRowDefinition(const TableRow& row);
    void writeCellDefinition(const TableCell& cell);
    void writeBorder(std::string_view side, const Border& border);
    void writeParagraph(const Paragraph& paragraph, int tableLevel, EndMark end);
    void writeListPrefix(const Paragraph& paragraph);
    void writeNumber(ListKind kind, int number);
    void writeLinkGroup(const std::string& link, const std::vector<Inline>& content,
                        std::size_t begin, std::size_t end);
    void writeInline(const Inline& item);
    void writeRun(const TextRun& run);
    void writePicture(const Picture& picture);
    // The GB18030 bytes old readers read for the character; each character is converted once.
    const std::string& fallbackBytes(char32_t codePoint);
    // A character of the Basic Multilingual Plane beyond ASCII as written: \uN and its fallback
    // bytes, made once per character (notes repeat a few thousand characters many times).
    // At most \u, a sign, five digits and four fallback bytes of four characters each (one
    // GB18030 character), copied whole and counted by length.
    struct Escape {
        std::array<char, Output::kRoom> text{};
        std::size_t length = 0;
        int skip = 0;
        bool endsWithWord = false;
    };
    const Escape& escapeOf(char32_t codePoint);
    void writeEscape(char32_t codePoint);
    void writeSupplementary(char32_t codePoint);
    void writeHex(std::string_view bytes);
    void writeText(std::string_view utf8);
    void writeFontName(std::string_view utf8);

    void word(std::string_view name) {
        m_out.append('\\');
        m_out.append(name);
        m_delimit = true;
    }
    void word(std::string_view name, int value) {
        word(name);
        char* out = m_out.room(kIntDigits);
        m_out.advance(
            static_cast<std::size_t>(std::to_chars(out, out + kIntDigits, value).ptr - out));
    }
    void raw(std::string_view text) {
        m_out.append(text);
        m_delimit = false;
    }
    void literal(char c) {
        if (m_delimit && needsDelimiter(c)) {
            m_out.append(' ');
        }
        m_out.append(c);
        m_delimit = false;
    }
    void hexByte(unsigned char byte) {
        char* out = m_out.room(4);
        out[0] = '\\';
        out[1] = '\'';
        out[2] = kHexDigits[byte >> 4];
        out[3] = kHexDigits[byte & 15];
        m_out.advance(4);
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

    const std::vector<Paragraph>& m_blocks;
    // Without a sink the whole document is one piece.
    const RtfWriter::Sink* m_sink = nullptr;
    const bool m_streamed = false;
    bool m_streamedUnsure = false;
    // Where in the streamed body the symbol font's number goes.
    std::vector<std::size_t> m_symbolFontAt;
    std::vector<std::string> m_fonts;
    std::unordered_map<std::string, int> m_fontIndex;
    std::unordered_map<const std::string*, int> m_fontIndexByText;
    const std::string* m_lastFont = nullptr;
    int m_lastFontIndex = 0;
    std::vector<Color> m_colors;
    std::unordered_map<std::uint32_t, int> m_colorIndex;
    int m_symbolFont = -1;
    std::unordered_map<char32_t, std::string> m_fallbacks;
    // By code point: 0 for one not written yet, else its place in m_escapes plus one (surrogates
    // never come, so the places fit in 16 bits and the table in less of the cache).
    std::vector<std::uint16_t> m_escapeIndex;
    std::vector<Escape> m_escapes;
    bool m_symbolBullets = false;
    // A written list holds the styles of all its levels: a deque grows without moving them.
    std::deque<WrittenList> m_lists;
    std::unordered_map<int, std::vector<std::size_t>> m_listsOf;
    std::vector<ItemPlan> m_items;
    std::size_t m_nextItem = 0;
    int m_previousUnnamedList = 0;
    bool m_previousWasUnnamedItem = false;
    std::size_t m_expectedSize = 0;
    std::size_t m_pieceLimit = std::string::npos;
    std::size_t m_handedOn = 0;
    Output m_out;
    bool m_delimit = false;
    int m_unicodeSkip = 1;
};

void Emitter::collectTables(std::span<const Paragraph> blocks) {
    for (const Paragraph& paragraph : blocks) {
        m_symbolBullets =
            m_symbolBullets || (paragraph.list == ListKind::Bullet && paragraph.listBullet.empty());
        for (const Inline& item : paragraph.content) {
            m_expectedSize += m_sink ? 0 : expectedSize(item);
            if (const TextRun* run = std::get_if<TextRun>(&item)) {
                addFont(run->format.font.str());
                addColor(run->format.color);
                addColor(run->format.background);
            }
        }
        for (const Table& table : paragraph.table) {
            for (const TableRow& row : table.rows) {
                for (const TableCell& cell : row.cells) {
                    for (const Border* border :
                         {&cell.top, &cell.left, &cell.bottom, &cell.right}) {
                        addColor(border->color);
                    }
                    addColor(cell.shading);
                    collectTables(cell.paragraphs);
                }
            }
        }
    }
}

void Emitter::finishTables() {
    if (m_fonts.empty()) {
        m_fontIndex.try_emplace(std::string(), 0);
        m_fonts.emplace_back();
    }
    if (m_symbolBullets) {
        m_symbolFont = static_cast<int>(m_fonts.size());
    }
}

// Items are planned in the order they are written. Each list's levels keep the style their first
// item gives them; an item of another style at that level starts a written list of its own.
// Items without a list id make a list while they follow each other.
void Emitter::planLists(std::span<const Paragraph> blocks) {
    for (const Paragraph& paragraph : blocks) {
        for (const Table& table : paragraph.table) {
            for (const TableRow& row : table.rows) {
                for (const TableCell& cell : row.cells) {
                    planLists(cell.paragraphs);
                }
            }
        }
        if (paragraph.isTable()) {
            continue;
        }
        if (paragraph.list == ListKind::None) {
            m_previousWasUnnamedItem = false;
            continue;
        }
        planItem(paragraph);
    }
}

void Emitter::planItem(const Paragraph& paragraph) {
    int listId = paragraph.listId;
    if (listId <= 0) {
        if (!m_previousWasUnnamedItem) {
            --m_previousUnnamedList;
        }
        listId = m_previousUnnamedList; // negative, unlike every id of the document
    }
    m_previousWasUnnamedItem = paragraph.listId <= 0;
    auto level = static_cast<std::size_t>(std::clamp(paragraph.listLevel, 0, kMaxListLevel));
    LevelStyle style = levelStyleOf(paragraph);
    std::vector<std::size_t>& written = m_listsOf[listId];
    auto fits = [&](std::size_t index) {
        const WrittenList& list = m_lists[index];
        return !list.levels[level] || *list.levels[level] == style;
    };
    auto found = std::find_if(written.rbegin(), written.rend(), fits);
    std::size_t index = 0;
    if (found == written.rend()) {
        index = m_lists.size();
        m_lists.emplace_back();
        m_lists.back().listId = listId;
        written.push_back(index);
    } else {
        index = *found;
    }
    WrittenList* list = &m_lists[index];
    list->levels[level] = style;
    ItemPlan item{static_cast<int>(index) + 1, {}};
    item.numbers[level] = list->counter.count(static_cast<int>(level), style.start);
    for (std::size_t above = 0; above < level; ++above) {
        const std::optional<LevelStyle>& shown = list->levels[above];
        item.numbers[above] =
            list->counter.reached(static_cast<int>(above), shown ? shown->start : 1);
    }
    m_items.push_back(item);
}

void Emitter::addFont(const std::string& name) {
    if (&name == m_lastFont) {
        return;
    }
    auto [known, addedText] = m_fontIndexByText.try_emplace(&name, 0);
    if (addedText) {
        auto [it, added] = m_fontIndex.try_emplace(name, static_cast<int>(m_fonts.size()));
        if (added) {
            m_fonts.push_back(name);
        }
        known->second = it->second;
    }
    m_lastFont = &name;
    m_lastFontIndex = known->second;
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
    writeListTables();
    word("uc", 1);
    raw(kLineEnd);
}

void Emitter::writeListTables() {
    if (m_lists.empty()) {
        return;
    }
    raw("{");
    word("*");
    word("listtable");
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        openGroup();
        word("list");
        // Levels down to the deepest one used: a reader takes the last for any deeper item.
        int deepest = 0;
        for (int level = 0; level <= kMaxListLevel; ++level) {
            deepest = m_lists[i].levels[static_cast<std::size_t>(level)] ? level : deepest;
        }
        for (int level = 0; level <= deepest; ++level) {
            writeListLevel(m_lists[i], level);
        }
        word("listid", static_cast<int>(i) + 1);
        closeGroup();
    }
    raw("}");
    raw(kLineEnd);
    raw("{");
    word("*");
    word("listoverridetable");
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        openGroup();
        word("listoverride");
        word("listid", static_cast<int>(i) + 1);
        word("listoverridecount", 0);
        word("ls", static_cast<int>(i) + 1);
        closeGroup();
    }
    raw("}");
    raw(kLineEnd);
}

// A level no item uses takes the style of the nearest used level above it.
void Emitter::writeListLevel(const WrittenList& list, int level) {
    LevelStyle style;
    for (int above = level; above >= 0; --above) {
        if (list.levels[static_cast<std::size_t>(above)]) {
            style = *list.levels[static_cast<std::size_t>(above)];
            style.start = above == level ? style.start : 1;
            break;
        }
    }
    if (style.kind == ListKind::None) {
        style.kind = ListKind::Decimal;
    }
    openGroup();
    word("listlevel");
    word("levelnfc", levelNumberFormat(style.kind));
    word("leveljc", 0);
    word("levelfollow", 0);
    word("levelstartat", style.start);
    openGroup();
    word("leveltext");
    if (style.kind == ListKind::Bullet) {
        std::string bullet = style.bullet.empty() ? std::string("\u2022") : style.bullet;
        hexByte(static_cast<unsigned char>(characterCount(bullet)));
        writeText(bullet);
        raw(";");
        closeGroup();
        openGroup();
        word("levelnumbers");
        raw(";");
    } else {
        // The prefix, the numbers of the levels shown above this one each with the joint, the
        // level's own number, the suffix; then each number's place after the count.
        const int outer = std::min(style.outerNumbers, level);
        const std::size_t prefixLength = characterCount(style.numberPrefix);
        const std::size_t step = 1 + characterCount(style.numberJoint);
        const std::size_t ownPlace = prefixLength + static_cast<std::size_t>(outer) * step + 1;
        hexByte(static_cast<unsigned char>(ownPlace + characterCount(style.numberSuffix)));
        writeText(style.numberPrefix);
        for (int above = level - outer; above < level; ++above) {
            hexByte(static_cast<unsigned char>(above));
            writeText(style.numberJoint);
        }
        hexByte(static_cast<unsigned char>(level));
        writeText(style.numberSuffix);
        raw(";");
        closeGroup();
        openGroup();
        word("levelnumbers");
        for (int shown = 0; shown < outer; ++shown) {
            hexByte(static_cast<unsigned char>(prefixLength +
                                               static_cast<std::size_t>(shown) * step + 1));
        }
        hexByte(static_cast<unsigned char>(ownPlace));
        raw(";");
    }
    closeGroup();
    word("fi", -360);
    word("li", 360 * (level + 1));
    closeGroup();
}

void Emitter::writeBlocks(std::span<const Paragraph> blocks, int tableLevel) {
    for (const Paragraph& block : blocks) {
        for (const Table& table : block.table) {
            writeTable(table, tableLevel + 1);
        }
        if (!block.isTable()) {
            writeParagraph(block, tableLevel, EndMark::Paragraph);
        }
    }
}

// The rows of a table come with their definitions first at the outermost level, as every
// reader expects; a nested row has its definition just before its end mark, with text for
// readers of one level only.
void Emitter::writeTable(const Table& table, int level) {
    for (const TableRow& row : table.rows) {
        if (row.cells.empty()) {
            continue;
        }
        if (level == 1) {
            writeRowDefinition(row);
        }
        for (const TableCell& cell : row.cells) {
            const std::vector<Paragraph>& blocks = cell.paragraphs;
            bool endsWithParagraph = !blocks.empty() && !blocks.back().isTable();
            std::size_t inner = endsWithParagraph ? blocks.size() - 1 : blocks.size();
            writeBlocks(std::span(blocks).first(inner), level);
            writeParagraph(endsWithParagraph ? blocks.back() : Paragraph{}, level, EndMark::Cell);
        }
        if (level == 1) {
            word("row");
        } else {
            word("pard");
            word("intbl");
            word("itap", level);
            openGroup();
            word("*");
            word("nesttableprops");
            writeRowDefinition(row);
            word("nestrow");
            closeGroup();
            openGroup();
            word("nonesttables");
            word("par");
            closeGroup();
        }
        raw(kLineEnd);
    }
}

void Emitter::writeRowDefinition(const TableRow& row) {
    word("trowd");
    word("trgaph", row.cellGap);
    word("trleft", row.leftEdge);
    if (row.height != 0) {
        word("trrh", row.height);
    }
    if (row.alignment == Alignment::Center) {
        word("trqc");
    } else if (row.alignment == Alignment::Right) {
        word("trqr");
    }
    for (const TableCell& cell : row.cells) {
        writeCellDefinition(cell);
    }
}

void Emitter::writeCellDefinition(const TableCell& cell) {
    if (cell.verticalMerge != CellMerge::None) {
        word(cell.verticalMerge == CellMerge::First ? "clvmgf" : "clvmrg");
    }
    if (cell.horizontalMerge != CellMerge::None) {
        word(cell.horizontalMerge == CellMerge::First ? "clmgf" : "clmrg");
    }
    writeBorder("clbrdrt", cell.top);
    writeBorder("clbrdrl", cell.left);
    writeBorder("clbrdrb", cell.bottom);
    writeBorder("clbrdrr", cell.right);
    if (cell.shading) {
        word("clcbpat", colorIndex(*cell.shading));
    }
    word("cellx", cell.rightBoundary);
}

void Emitter::writeBorder(std::string_view side, const Border& border) {
    if (border.width <= 0) {
        return;
    }
    word(side);
    word("brdrs");
    word("brdrw", border.width);
    if (border.color) {
        word("brdrcf", colorIndex(*border.color));
    }
}

void Emitter::writeParagraph(const Paragraph& paragraph, int tableLevel, EndMark end) {
    word("pard");
    if (tableLevel > 0) {
        word("intbl");
    }
    if (tableLevel > 1) {
        word("itap", tableLevel);
    }
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
        writeListPrefix(paragraph);
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
    if (end == EndMark::Paragraph) {
        word("par");
    } else {
        word(tableLevel > 1 ? "nestcell" : "cell");
    }
    raw(kLineEnd);
    handOnWhenFull();
}

// The list item's \\ls and level for readers of list tables, then its label as text for readers
// without them. (An old-style \\pn group as well would make LibreOffice take it for the list
// and lose the levels.)
void Emitter::writeListPrefix(const Paragraph& paragraph) {
    const ItemPlan& item = m_items.at(m_nextItem++);
    ListKind kind = paragraph.list;
    word("ls", item.list);
    word("ilvl", std::clamp(paragraph.listLevel, 0, kMaxListLevel));
    bool bullet = kind == ListKind::Bullet;
    bool symbolBullet = bullet && paragraph.listBullet.empty();
    openGroup();
    word("pntext");
    if (symbolBullet && m_streamed) {
        word("f");
        m_symbolFontAt.push_back(m_handedOn + m_out.size());
    } else {
        word("f", symbolBullet ? m_symbolFont : 0);
    }
    if (symbolBullet) {
        hexByte(static_cast<unsigned char>(kSymbolBullet));
    } else if (bullet) {
        writeText(paragraph.listBullet);
    } else {
        const WrittenList& list = m_lists.at(static_cast<std::size_t>(item.list - 1));
        const int level = std::clamp(paragraph.listLevel, 0, kMaxListLevel);
        const LevelStyle& style = *list.levels[static_cast<std::size_t>(level)];
        writeText(style.numberPrefix);
        for (int above = level - style.outerNumbers; above < level; ++above) {
            const std::optional<LevelStyle>& shown = list.levels[static_cast<std::size_t>(above)];
            m_streamedUnsure = m_streamedUnsure || (m_streamed && !shown);
            writeNumber(shown ? shown->kind : ListKind::Decimal,
                        item.numbers[static_cast<std::size_t>(above)]);
            writeText(style.numberJoint);
        }
        writeNumber(kind, item.numbers[static_cast<std::size_t>(level)]);
        writeText(style.numberSuffix);
    }
    word("tab");
    closeGroup();
}

void Emitter::writeNumber(ListKind kind, int number) {
    for (char c : listNumber(kind, number)) {
        literal(c);
    }
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

// Pictures make most of a note's bytes: their digits are written in place, whole lines at a
// time, each stretch of lines no longer than a piece.
void Emitter::writeHex(std::string_view bytes) {
    constexpr std::size_t kBytesPerLine = kHexDigitsPerLine / 2;
    constexpr std::size_t kStretchBytes =
        RtfWriter::kPieceBytes / 4 / kBytesPerLine * kBytesPerLine;
    for (std::size_t from = 0; from < bytes.size(); from += kStretchBytes) {
        std::string_view stretch = bytes.substr(from, kStretchBytes);
        const std::size_t lines = stretch.size() / kBytesPerLine;
        const std::size_t length = stretch.size() * 2 + lines * kLineEnd.size();
        char* out = m_out.room(length);
        m_out.advance(length);
        std::size_t column = 0;
        for (unsigned char byte : stretch) {
            *out++ = kHexDigits[byte >> 4];
            *out++ = kHexDigits[byte & 15];
            if (++column == kBytesPerLine) {
                out = std::copy(kLineEnd.begin(), kLineEnd.end(), out);
                column = 0;
            }
        }
        handOnWhenFull();
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

const Emitter::Escape& Emitter::escapeOf(char32_t codePoint) {
    if (m_escapeIndex.empty()) {
        m_escapeIndex.assign(0x10000, 0);
    }
    std::uint16_t& index = m_escapeIndex[codePoint];
    if (index == 0) {
        const std::string& fallback = fallbackBytes(codePoint);
        std::string text = "\\u";
        text += std::to_string(codePoint > 0x7FFF ? static_cast<int>(codePoint) - 65536
                                                  : static_cast<int>(codePoint));
        for (unsigned char byte : fallback) {
            text += "\\'";
            text += kHexDigits[byte >> 4];
            text += kHexDigits[byte & 15];
        }
        Escape escape;
        std::copy(text.begin(), text.end(), escape.text.begin());
        escape.length = text.size();
        escape.skip = static_cast<int>(fallback.size());
        escape.endsWithWord = fallback.empty();
        m_escapes.push_back(escape);
        index = static_cast<std::uint16_t>(m_escapes.size());
    }
    return m_escapes[index - 1];
}

void Emitter::writeEscape(char32_t codePoint) {
    const Escape& escape = escapeOf(codePoint);
    unicodeSkip(escape.skip);
    std::copy(escape.text.begin(), escape.text.end(), m_out.room(Output::kRoom));
    m_out.advance(escape.length);
    m_delimit = escape.endsWithWord;
}

// The high surrogate carries no fallback; the low one carries the whole character's bytes, so
// old readers read the bytes and new ones skip them.
void Emitter::writeSupplementary(char32_t codePoint) {
    const std::string& fallback = fallbackBytes(codePoint);
    char32_t offset = codePoint - 0x10000;
    unicodeSkip(0);
    word("u", static_cast<int>(0xD800 + (offset >> 10)) - 65536);
    unicodeSkip(static_cast<int>(fallback.size()));
    word("u", static_cast<int>(0xDC00 + (offset & 0x3FF)) - 65536);
    for (unsigned char byte : fallback) {
        hexByte(byte);
    }
}

void Emitter::writeText(std::string_view utf8) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (isPlainLiteral(utf8[pos])) {
            // A stretch of plain ASCII goes out as it is; only its first letter may need the
            // blank that ends a control word before it.
            std::size_t end = pos + 1;
            while (end < utf8.size() && isPlainLiteral(utf8[end])) {
                ++end;
            }
            literal(utf8[pos]);
            for (std::string_view rest = utf8.substr(pos + 1, end - pos - 1); !rest.empty();
                 rest.remove_prefix(std::min(rest.size(), RtfWriter::kPieceBytes))) {
                m_out.append(rest.substr(0, RtfWriter::kPieceBytes));
                handOnWhenFull();
            }
            pos = end;
            continue;
        }
        char32_t codePoint = nextCodePoint(utf8, pos);
        if (codePoint == '\\' || codePoint == '{' || codePoint == '}') {
            raw("\\");
            m_out.append(static_cast<char>(codePoint));
        } else if (codePoint == '\t') {
            word("tab");
        } else if (codePoint == '\n') {
            word("line");
        } else if (codePoint > 0xFFFF) {
            writeSupplementary(codePoint);
        } else {
            writeEscape(codePoint);
        }
        handOnWhenFull();
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

struct RtfStreamWriter::Stream {
    explicit Stream(const std::vector<Paragraph>& blocks)
        : first(blocks.data()), room(blocks.capacity()),
          emitter(blocks, &holdPiece, Emitter::Streamed{}) {}

    void work() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return ready > written || finishing; });
            if (ready == written) {
                return;
            }
            std::size_t upTo = ready;
            lock.unlock();
            for (std::size_t i = written; i < upTo; ++i) {
                emitter.streamBlock(first[i]);
            }
            lock.lock();
            written = upTo;
        }
    }

    const Paragraph* const first;
    const std::size_t room;
    std::vector<std::string> held;
    const RtfWriter::Sink holdPiece = [this](std::string_view piece) { held.emplace_back(piece); };
    Emitter emitter;
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t ready = 0;
    std::size_t written = 0;
    bool finishing = false;
    std::thread thread;
};

RtfStreamWriter::RtfStreamWriter(const std::vector<Paragraph>& blocks)
    : m_stream(std::make_unique<Stream>(blocks)) {
    try {
        m_stream->thread = std::thread([stream = m_stream.get()] { stream->work(); });
    } catch (const std::system_error&) {
        m_stream->finishing = true;
    }
}

RtfStreamWriter::~RtfStreamWriter() {
    stop();
}

// Only this thread sets how many are ready, so it reads that without the lock.
void RtfStreamWriter::ready(std::size_t count) {
    if (count <= m_stream->ready || count > m_stream->room) {
        return;
    }
    std::lock_guard lock(m_stream->mutex);
    m_stream->ready = count;
    m_stream->changed.notify_one();
}

void RtfStreamWriter::stop() {
    {
        std::lock_guard lock(m_stream->mutex);
        m_stream->finishing = true;
        m_stream->changed.notify_one();
    }
    if (m_stream->thread.joinable()) {
        m_stream->thread.join();
    }
}

std::size_t RtfStreamWriter::finish(const Document& document, const Sink& sink) {
    stop();
    const std::vector<Paragraph>& blocks = document.paragraphs;
    if (blocks.data() != m_stream->first || blocks.size() < m_stream->written) {
        return RtfWriter().write(document, sink);
    }
    for (std::size_t i = m_stream->written; i < blocks.size(); ++i) {
        m_stream->emitter.streamBlock(blocks[i]);
    }
    if (!m_stream->emitter.streamedAlike()) {
        return RtfWriter().write(document, sink);
    }
    return m_stream->emitter.finishStream(sink, m_stream->held);
}

std::string RtfWriter::write(const Document& document) const {
    return Emitter(document, nullptr).run();
}

std::size_t RtfWriter::write(const Document& document, const Sink& sink) const {
    return Emitter(document, &sink).runInPieces();
}

} // namespace tarnel::richtext
