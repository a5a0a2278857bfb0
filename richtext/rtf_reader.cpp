#include "richtext/rtf_reader.h"

#include "richtext/code_page_decoder.h"
#include "richtext/group_stack.h"
#include "richtext/plain_text.h"
#include "richtext/rtf_format.h"
#include "richtext/rtf_keywords.h"
#include "richtext/rtf_token_handler.h"
#include "richtext/rtf_tokenizer.h"
#include "richtext/utf8.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnel::richtext {
namespace {

// Decodes the unbroken hexadecimal digits from in, sixteen at a time, into out, and stops before
// the first sixteen that hold anything else (a line break, a nibble left over), which the caller
// takes byte by byte. A picture's data is most of the bytes of many files.
void decodeHexBlocks([[maybe_unused]] const char*& in, [[maybe_unused]] const char* end,
                     [[maybe_unused]] char*& out) {
#if defined(__SSE2__)
    while (end - in >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        // Bytes from 0x80 on compare as negative: no digit and no letter.
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8('0' - 1)),
                                            _mm_cmplt_epi8(chunk, _mm_set1_epi8('9' + 1)));
        const __m128i lower = _mm_or_si128(chunk, _mm_set1_epi8(0x20));
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                             _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
        if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF) {
            return;
        }
        const __m128i values =
            _mm_or_si128(_mm_and_si128(digit, _mm_sub_epi8(chunk, _mm_set1_epi8('0'))),
                         _mm_andnot_si128(digit, _mm_sub_epi8(lower, _mm_set1_epi8('a' - 10))));
        // Each pair of digits is one 16-bit lane, its first digit in the low byte: the high nibble.
        const __m128i high = _mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4);
        const __m128i low = _mm_srli_epi16(values, 8);
        const __m128i bytes = _mm_packus_epi16(_mm_or_si128(high, low), _mm_setzero_si128());
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
        in += 16;
        out += 8;
    }
#endif
}

enum class Destination : std::uint8_t {
    Body,
    FontTable,
    ColorTable,
    Picture,
    Field,
    FieldInstruction,
    ListTable,
    ListOverrideTable,
    OldList,
    Animation,
    // The text of a list level or of an old-style bullet, kept for the bullet it shows.
    LevelText,
    OldListBulletText,
    // A nested table row's definition and end mark.
    NestedTableProperties,
};

constexpr std::uint8_t kBold = 1;
constexpr std::uint8_t kItalic = 2;
constexpr std::uint8_t kUnderline = 4;
constexpr std::uint8_t kStrike = 8;
constexpr std::uint8_t kHidden = 16;
constexpr std::uint8_t kRightToLeft = 32;
constexpr std::uint8_t kHighAnsi = 64;
constexpr std::uint8_t kDoubleByte = 128;

// Character formatting as the file states it: numbers into the file's tables, resolved to a
// CharFormat only when a run starts. Kept small because every open group holds a copy.
struct CharState {
    std::int32_t font = -1; // -1: the document's default font
    std::int32_t link = -1; // index into the reader's links
    std::uint16_t color = 0;
    std::uint16_t background = 0;
    std::int16_t sizeHalfPoints = kDefaultFontSizeHalfPoints;
    std::uint8_t flags = 0;

    bool operator==(const CharState&) const = default;
};

struct ParagraphState {
    std::int32_t leftIndent = 0;
    std::int32_t rightIndent = 0;
    std::int32_t firstLineIndent = 0;
    std::int32_t listOverride = 0; // \ls; 0 when none
    std::int32_t oldListStart = 1;
    std::uint8_t listLevel = 0;
    std::uint8_t oldListLevel = 0;
    // 0 outside tables, 1 in a table, 2 and more in tables nested in cells (\intbl, \itap).
    std::uint8_t tableLevel = 0;
    Alignment alignment = Alignment::Left;
    ListKind oldList = ListKind::None; // from a \pn group

    bool operator==(const ParagraphState&) const = default;
};

struct GroupState {
    CharState chars;
    ParagraphState paragraph;
    std::uint32_t openFields = 0;
    std::uint8_t unicodeSkip = 1;
    Destination destination = Destination::Body;

    bool operator==(const GroupState&) const = default;
};

struct FontInfo {
    SharedText name;
    int codePage = 0; // 0: the document's code page
    bool symbol = false;
};

struct FontEntry {
    int number = 0;
    int charset = kCharsetDefault;
    int codePage = 0;
    std::string name;
    std::string pendingBytes;
};

// The text of a bullet as the file holds it: code points, and bytes (as kByteUnit plus the byte)
// that decode only once the font they are in is known.
constexpr char32_t kByteUnit = 0x110000;

struct LevelDefinition {
    ListKind kind = ListKind::Decimal;
    std::int32_t start = 1;
    std::u32string text;
    std::int32_t font = -1;
};

struct ListDefinition {
    int id = 0;
    std::vector<LevelDefinition> levels;
};

// A list as read: the file's list it comes from and what each of its levels shows. Items of one
// file's list whose level shows otherwise than an earlier item there make a list of their own,
// as the writer would write them.
struct ItemStyle {
    ListKind kind = ListKind::None;
    int start = 1;
    std::string bullet;
    std::string numberPrefix;
    std::string numberSuffix;

    bool operator==(const ItemStyle&) const = default;
};

struct ReadList {
    int fileList = 0;
    std::array<std::optional<ItemStyle>, kMaxListLevel + 1> levels;
};

// A row being defined (\trowd to \cellx) and the cell whose properties come before its \cellx.
struct RowDefinition {
    TableRow row;
    TableCell cell;
};

enum class BorderSide : std::uint8_t { None, Top, Left, Bottom, Right };

// A table being read, with its row and cell still open: its rows and the open row's cells, whose
// room is kept for the next table of the level, and the open cell's blocks so far, a vector the
// cell takes over when it closes (most cells hold one paragraph: a vector without spare room).
struct OpenTable {
    std::vector<TableRow> rows;
    std::vector<TableCell> cells;
    std::vector<Paragraph> blocks;
};

// The character a bullet in a symbol font (Symbol, Wingdings) shows, by its byte there; the
// round bullet for the ones without a character of their own.
char32_t symbolBullet(unsigned char byte) {
    switch (byte) {
    case 0xA7:
        return 0x25AA; // small black square
    case 0x6E:
        return 0x25A0; // black square
    case 0x71:
        return 0x2751; // shadowed square
    case 0x76:
        return 0x2756; // diamond of four
    case 0xD8:
        return 0x27A2; // arrowhead
    case 0xFC:
        return 0x2714; // check mark
    default:
        return 0x2022;
    }
}

constexpr std::size_t kMaxBulletCharacters = 8;

struct ListOverride {
    int listId = 0;
    int number = 0;
};

struct FieldFrame {
    std::string instruction;
    // Found at the field's first result, so that many results do not each read the instruction.
    std::optional<std::int32_t> link; // index into the reader's links; -1 for no hyperlink
};

ListKind listKindOfLevelFormat(int format) {
    switch (format) {
    case kLevelDecimal:
        return ListKind::Decimal;
    case kLevelUpperRoman:
        return ListKind::UpperRoman;
    case kLevelLowerRoman:
        return ListKind::LowerRoman;
    case kLevelUpperLetter:
        return ListKind::UpperLetter;
    case kLevelLowerLetter:
        return ListKind::LowerLetter;
    case kLevelBullet:
        return ListKind::Bullet;
    case kLevelNone:
        return ListKind::None;
    default:
        return ListKind::Decimal;
    }
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool startsWithWordIgnoringCase(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if ((text[i] | 0x20) != (word[i] | 0x20)) {
            return false;
        }
    }
    return text.size() == word.size() || text[word.size()] == ' ' || text[word.size()] == '"';
}

// The arguments of a field instruction: quoted ones lose their quotes and their \\ and \"
// escapes, as the field syntax has it.
struct FieldArgument {
    std::string text;
    bool quoted = false;

    bool isSwitch(std::string_view name) const { return !quoted && text == name; }
};

std::vector<FieldArgument> fieldArguments(std::string_view text) {
    std::vector<FieldArgument> arguments;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n') {
            ++pos;
            continue;
        }
        FieldArgument argument;
        argument.quoted = text[pos] == '"';
        if (argument.quoted) {
            ++pos;
            while (pos < text.size() && text[pos] != '"') {
                if (text[pos] == '\\' && pos + 1 < text.size()) {
                    ++pos;
                }
                argument.text += text[pos++];
            }
            ++pos;
        } else {
            while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t') {
                argument.text += text[pos++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

// The target of a HYPERLINK field ("url", or "#place" for \l "place"); empty for other fields.
std::string hyperlinkTarget(std::string_view instruction) {
    instruction = trimmed(instruction);
    constexpr std::string_view kHyperlink = "HYPERLINK";
    if (!startsWithWordIgnoringCase(instruction, kHyperlink)) {
        return {};
    }
    std::vector<FieldArgument> arguments = fieldArguments(instruction.substr(kHyperlink.size()));
    std::string address;
    std::optional<std::string> place;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const FieldArgument& argument = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (argument.isSwitch("\\l") && hasValue) {
            place = arguments[++i].text;
        } else if ((argument.isSwitch("\\o") || argument.isSwitch("\\t")) && hasValue) {
            ++i;
        } else if ((argument.quoted || !argument.text.starts_with("\\")) && address.empty()) {
            address = argument.text;
        }
    }
    return place ? address + "#" + *place : address;
}

// Far beyond any real font's name; the writer looks a run's font up by its name, so a longer one
// would cost its length for every run.
constexpr std::size_t kMaxFontNameBytes = 255;

// At most maxBytes of UTF-8 text, never splitting a character.
std::string cutToCharacters(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) {
        return std::string(utf8);
    }
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(utf8.substr(0, end));
}

// A border line named without its width is a thin one.
constexpr int kDefaultBorderTwips = 15;
constexpr int kMaxBorderTwips = 255;
// Far beyond what word processors allow (63); a row of more cells is read as one of these many
// defined ones, the rest with default widths.
constexpr std::size_t kMaxCellsPerRow = 1000;
// The width a cell gets when its row defines none for it.
constexpr int kDefaultCellTwips = 1440;

// The items of a list being read, moved into a vector of their number: the model's vectors take
// one allocation each, however many the list took as it grew. The list is left empty, its room
// kept for the next one.
template <class T> std::vector<T> takeExactly(std::vector<T>& growing) {
    std::vector<T> items;
    items.reserve(growing.size());
    std::move(growing.begin(), growing.end(), std::back_inserter(items));
    growing.clear();
    return items;
}

std::int32_t clampedTwips(std::int32_t value) {
    constexpr std::int32_t kLimit = 31680 * 10; // far beyond any page, well inside int
    return std::clamp(value, -kLimit, kLimit);
}

class Parser : RtfTokenHandler<Parser> {
    friend class RtfTokenHandler<Parser>;

public:
    Parser(std::string_view input, ReadOptions options) : m_tokenizer(input), m_options(options) {}

    ReadResult run();

private:
    void takeText(std::string_view text);
    void takeHexBytes(std::string_view escapes);
    void takeByte(unsigned char byte);
    void handleBinary(std::string_view bytes);
    // Always inline: every control word comes this way, and the compiler would leave it out of
    // line as the reader grows.
    [[gnu::always_inline]] void handleControlWord(const RtfToken& token);
    void handleControlSymbol(char symbol);
    bool handleDestination(Keyword keyword);
    void handleCharacterFormat(Keyword keyword, const RtfToken& token);
    void handleParagraphFormat(Keyword keyword, const RtfToken& token);
    void handleTableWord(Keyword keyword, const RtfToken& token);
    void handleListTableWord(Keyword keyword, const RtfToken& token);
    void handleRowWord(Keyword keyword, const RtfToken& token);
    void handlePictureWord(Keyword keyword, const RtfToken& token);
    void handleUnicode(std::int32_t value);

    void pushGroup();
    void popGroup();
    void endDestination(Destination ended);
    void skipGroup();

    void appendText(std::string_view utf8);
    void appendCodePoint(char32_t codePoint);
    void flushBytes();
    void flushLoneSurrogate();
    int currentCodePage() const;
    std::string& runText();
    void closeRun();
    CharFormat resolve(const CharState& chars) const;
    void endParagraph();
    // The paragraph goes to the cell open at the level (0: the document).
    void endParagraphAt(std::size_t level);
    void endCell(std::size_t level);
    void endRow(std::size_t level);
    std::vector<Paragraph>& blocksAt(std::size_t level);
    void closeTablesDeeperThan(std::size_t level);
    void closeCell(OpenTable& open);
    void finishRow(OpenTable& open, std::size_t level);
    void checkMerges(const std::vector<TableRow>& rows, TableRow& row);
    std::size_t tableLevelOf(const ParagraphState& paragraph) const {
        return std::min<std::size_t>(paragraph.tableLevel, kMaxTableDepth);
    }
    std::size_t cellLevel() const { return std::max<std::size_t>(m_state.paragraph.tableLevel, 1); }
    RowDefinition& definition() { return m_rowDefinitions[m_definitionLevel]; }
    Border* definedBorder();
    // A picture makes its paragraph one even when it is left out (by the options, or for its
    // format, or cut short), so that a read with pictures and one without give the same lines.
    bool paragraphHasContent() const {
        return !m_inlines.empty() || m_runOpen || m_paragraphHasPicture;
    }
    void resolveList(const ParagraphState& state, Paragraph& paragraph);
    int listIdOf(int fileList, const Paragraph& paragraph);
    std::string bulletText(const std::u32string& text, std::int32_t font) const;
    std::string levelText(std::u32string_view units, std::int32_t font) const;
    void setNumberTexts(const LevelDefinition& level, int ownLevel, Paragraph& paragraph) const;

    std::int32_t fieldLink(FieldFrame& field);
    void fontTableText(std::string_view text);
    void finishFontEntry();
    int fontEntryCodePage() const;
    void colorTableText(std::string_view text);
    void pictureHex(std::string& data, std::string_view text);
    void finishPicture();

    RtfTokenizer m_tokenizer;
    ReadOptions m_options;
    ReadResult m_result;

    GroupState m_state;
    GroupStack<GroupState> m_groups;
    bool m_rootClosed = false;
    Utf16Joiner m_unicode;

    int m_documentCodePage = kCodePageAnsi;
    int m_defaultFont = 0;
    std::unordered_map<int, FontInfo> m_fonts;
    FontEntry m_fontEntry;
    bool m_fontEntryOpen = false;
    std::vector<std::optional<Color>> m_colors;
    Color m_color;
    bool m_colorHasValue = false;
    std::vector<ListDefinition> m_lists;
    std::unordered_map<int, std::size_t> m_listById;
    std::vector<ListOverride> m_listOverrides;
    std::unordered_map<int, int> m_listIdByOverride;
    std::vector<ReadList> m_readLists;
    std::unordered_map<int, std::vector<std::size_t>> m_readListsOf;
    int m_oldLists = 0;
    ListKind m_oldListKind = ListKind::None;
    bool m_oldListBullet = false;
    std::int32_t m_oldListFont = -1;
    std::int32_t m_oldListStart = 1;
    std::uint8_t m_oldListLevel = 0;
    std::u32string m_oldListText;
    // The bullet of the old-style list item the paragraph is (set when its \pn group ends).
    std::u32string m_oldBullet;
    std::int32_t m_oldBulletFont = -1;
    bool m_previousWasOldItem = false;
    std::u32string m_capturedText;

    // The tables open, by level less one: the first m_openTables.
    std::array<OpenTable, kMaxTableDepth> m_tables;
    std::size_t m_openTables = 0;
    // Indexed by table level less one; the last entry takes the rows nested too deep to keep.
    std::array<RowDefinition, kMaxTableDepth + 1> m_rowDefinitions;
    std::size_t m_definitionLevel = 0;
    BorderSide m_borderSide = BorderSide::None;
    std::vector<FieldFrame> m_fields;
    std::vector<SharedText> m_links;

    std::string m_pendingBytes;
    // The paragraph's content so far, but for the run still open, whose text grows in m_runText:
    // each gets its own allocation only once it is whole.
    std::vector<Inline> m_inlines;
    bool m_paragraphHasPicture = false;
    bool m_runOpen = false;
    CharState m_runChars;
    CharFormat m_runFormat;
    std::string m_runText;

    Picture m_picture;
    // The GIF of the next picture, read from our destination just before it.
    std::string m_animation;
    bool m_pictureSupported = false;
    int m_pictureNibble = -1;
};

ReadResult Parser::run() {
    while (!m_rootClosed) {
        RtfToken token = m_tokenizer.next();
        if (token.kind == RtfToken::Kind::End) {
            break;
        }
        handle(token);
    }
    flushBytes();
    flushLoneSurrogate();
    if (paragraphHasContent()) {
        endParagraph();
    }
    closeTablesDeeperThan(0);
    if (m_groups.depth() > 0 || m_tokenizer.truncated()) {
        m_result.status = ReadStatus::Truncated;
    } else if (!m_tokenizer.firstProblem().empty()) {
        m_result.status = ReadStatus::Damaged;
    }
    m_result.message = readProblemMessage(m_groups.depth(), m_tokenizer.firstProblem());
    return std::move(m_result);
}

void Parser::takeText(std::string_view text) {
    switch (m_state.destination) {
    case Destination::Body:
    case Destination::FieldInstruction:
        flushLoneSurrogate();
        m_pendingBytes += text;
        break;
    case Destination::FontTable:
        fontTableText(text);
        break;
    case Destination::ColorTable:
        colorTableText(text);
        break;
    case Destination::Picture:
        pictureHex(m_picture.data, text);
        break;
    case Destination::Animation:
        pictureHex(m_animation, text);
        break;
    case Destination::LevelText:
    case Destination::OldListBulletText:
        for (char c : text) {
            takeByte(static_cast<unsigned char>(c));
        }
        break;
    default:
        break;
    }
}

void Parser::takeHexBytes(std::string_view escapes) {
    if (m_state.destination == Destination::Body ||
        m_state.destination == Destination::FieldInstruction) {
        appendHexBytes(escapes, m_pendingBytes, [this] { flushLoneSurrogate(); });
        return;
    }
    for (std::size_t i = 0; i < escapes.size() / 4; ++i) {
        takeByte(hexByteAt(escapes, i));
    }
}

// A zero byte is no character of any code page, and writers pad with it; in a list level's text
// it stands for the outermost level's number.
void Parser::takeByte(unsigned char byte) {
    char c = static_cast<char>(byte);
    switch (m_state.destination) {
    case Destination::Body:
    case Destination::FieldInstruction:
        if (byte != 0) {
            flushLoneSurrogate();
            m_pendingBytes += c;
        }
        break;
    case Destination::FontTable:
        if (byte != 0) {
            fontTableText(std::string_view(&c, 1));
        }
        break;
    case Destination::LevelText:
    case Destination::OldListBulletText:
        if (m_capturedText.size() <= kMaxBulletCharacters) {
            m_capturedText.push_back(kByteUnit + byte);
        }
        break;
    default:
        break;
    }
}

void Parser::handleBinary(std::string_view bytes) {
    if (m_state.destination == Destination::Picture) {
        m_picture.data += bytes;
    }
}

void Parser::handleControlSymbol(char symbol) {
    if (symbol == '*') {
        m_starred = true;
        return;
    }
    m_starred = false;
    switch (symbol) {
    case '~':
        appendCodePoint(0x00A0);
        break;
    case '_':
        appendCodePoint(0x2011);
        break;
    default:
        break; // \- (optional hyphen), \| and \: (formula and index marks)
    }
}

inline void Parser::handleControlWord(const RtfToken& token) {
    Keyword keyword = lookupKeyword(token);
    if (keyword != Keyword::UnicodeChar && keyword != Keyword::UnicodeSkip) {
        flushLoneSurrogate();
    }
    bool starred = m_starred;
    m_starred = false;
    if (m_state.destination == Destination::Picture) {
        // A read that leaves pictures out passes over the whole picture group, so nothing in a
        // picture but its own words may count: no other word there changes text or tables.
        if (starred) {
            skipGroup();
        } else {
            handlePictureWord(keyword, token);
        }
        return;
    }
    if (handleDestination(keyword)) {
        return;
    }
    if (starred) {
        skipGroup();
        return;
    }
    std::int32_t value = token.parameter;
    if (int codePage = documentCodePageOf(keyword, value)) {
        m_documentCodePage = codePage;
        return;
    }
    switch (keyword) {
    case Keyword::DefaultFont:
        m_defaultFont = value;
        break;
    case Keyword::UnicodeChar:
        handleUnicode(value);
        break;
    case Keyword::UnicodeSkip:
        m_state.unicodeSkip = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        break;
    case Keyword::Paragraph:
        if (m_state.destination == Destination::Body) {
            endParagraph();
        }
        break;
    case Keyword::Cell:
        if (m_state.destination == Destination::Body) {
            endCell(cellLevel());
        }
        break;
    case Keyword::Row:
        if (m_state.destination == Destination::Body ||
            m_state.destination == Destination::NestedTableProperties) {
            endRow(cellLevel());
        }
        break;
    case Keyword::SectionBreak:
    case Keyword::PageBreak:
        if (m_state.destination == Destination::Body && paragraphHasContent()) {
            endParagraph();
        }
        break;
    case Keyword::LineBreak:
        appendText("\n");
        break;
    case Keyword::Tab:
        appendText("\t");
        break;
    default:
        if (char32_t named = namedCharacter(keyword)) {
            appendCodePoint(named);
            break;
        }
        handleCharacterFormat(keyword, token);
        handleParagraphFormat(keyword, token);
        handleListTableWord(keyword, token);
        handleRowWord(keyword, token);
        break;
    }
}

// Starts the destination a word names; false when the word names none.
bool Parser::handleDestination(Keyword keyword) {
    switch (keyword) {
    case Keyword::SkippedDestination:
        skipGroup();
        return true;
    case Keyword::FontTable:
        m_state.destination = Destination::FontTable;
        return true;
    case Keyword::ColorTable:
        m_state.destination = Destination::ColorTable;
        return true;
    case Keyword::ListTable:
        m_state.destination = Destination::ListTable;
        return true;
    case Keyword::ListOverrideTable:
        m_state.destination = Destination::ListOverrideTable;
        return true;
    case Keyword::ShapePicture:
        return true;
    case Keyword::Animation:
        if (m_options.pictures == PictureData::Omit || m_state.destination != Destination::Body) {
            skipGroup();
            return true;
        }
        m_state.destination = Destination::Animation;
        m_animation.clear();
        m_pictureNibble = -1;
        return true;
    case Keyword::Object:
        m_result.droppedObjects = true;
        return false;
    case Keyword::Picture:
        if (m_state.destination == Destination::Body) {
            m_paragraphHasPicture = true;
        }
        if (m_options.pictures == PictureData::Omit || m_state.destination != Destination::Body) {
            skipGroup();
            return true;
        }
        m_state.destination = Destination::Picture;
        m_picture = Picture{};
        m_pictureSupported = false;
        m_pictureNibble = -1;
        return true;
    case Keyword::OldList:
        m_state.destination = Destination::OldList;
        m_oldListKind = ListKind::Decimal;
        m_oldListBullet = false;
        m_oldListFont = -1;
        m_oldListText.clear();
        m_oldListStart = 1;
        m_oldListLevel = 0;
        return true;
    case Keyword::OldListBulletText:
    case Keyword::LevelText: {
        Destination within =
            keyword == Keyword::LevelText ? Destination::ListTable : Destination::OldList;
        if (m_state.destination != within) {
            skipGroup();
            return true;
        }
        m_state.destination =
            keyword == Keyword::LevelText ? Destination::LevelText : Destination::OldListBulletText;
        m_capturedText.clear();
        return true;
    }
    case Keyword::NestedTableProperties:
        if (m_state.destination != Destination::Body) {
            skipGroup();
            return true;
        }
        m_state.destination = Destination::NestedTableProperties;
        return true;
    case Keyword::Field:
        m_fields.emplace_back();
        m_state.openFields = static_cast<std::uint32_t>(m_fields.size());
        m_state.destination = Destination::Field;
        return true;
    case Keyword::FieldInstruction:
        if (m_state.destination != Destination::Field) {
            skipGroup();
            return true;
        }
        m_state.destination = Destination::FieldInstruction;
        return true;
    case Keyword::FieldResult:
        if (m_state.destination != Destination::Field) {
            skipGroup();
            return true;
        }
        m_state.destination = Destination::Body;
        if (std::int32_t link = fieldLink(m_fields.back()); link >= 0) {
            m_state.chars.link = link;
        } else {
            m_result.droppedFields = true;
        }
        return true;
    default:
        return false;
    }
}

void Parser::handleCharacterFormat(Keyword keyword, const RtfToken& token) {
    bool on = !token.hasParameter || token.parameter != 0;
    auto setFlag = [&](std::uint8_t flag, bool value) {
        m_state.chars.flags = static_cast<std::uint8_t>(value ? (m_state.chars.flags | flag)
                                                              : (m_state.chars.flags & ~flag));
    };
    auto tableIndex = [&] {
        return static_cast<std::uint16_t>(std::clamp(token.parameter, 0, 0xFFFF));
    };
    CharState& chars = m_state.chars;
    if (keyword >= Keyword::AssociatedBold && keyword <= Keyword::AssociatedFont) {
        // A run has one font, that of its Latin text: the East Asian one (\dbch\af) is left out.
        bool eastAsianFont = keyword == Keyword::AssociatedFont && (chars.flags & kDoubleByte) != 0;
        if ((chars.flags & (kRightToLeft | kHighAnsi)) != 0 || eastAsianFont ||
            m_state.destination == Destination::FontTable) {
            return;
        }
        keyword = regularOfAssociated(keyword);
    }
    switch (keyword) {
    case Keyword::Plain: {
        std::int32_t link = chars.link;
        chars = CharState{};
        chars.link = link;
        break;
    }
    case Keyword::Font:
        if (m_state.destination == Destination::FontTable) {
            finishFontEntry();
            m_fontEntry = FontEntry{};
            m_fontEntry.number = token.parameter;
            m_fontEntryOpen = true;
        } else {
            chars.font = std::max(token.parameter, 0);
        }
        break;
    case Keyword::FontCharset:
        m_fontEntry.charset = token.parameter;
        break;
    case Keyword::FontCodePage:
        m_fontEntry.codePage = token.parameter;
        break;
    case Keyword::Red:
        m_color.red = static_cast<std::uint8_t>(std::clamp(token.parameter, 0, 255));
        m_colorHasValue = true;
        break;
    case Keyword::Green:
        m_color.green = static_cast<std::uint8_t>(std::clamp(token.parameter, 0, 255));
        m_colorHasValue = true;
        break;
    case Keyword::Blue:
        m_color.blue = static_cast<std::uint8_t>(std::clamp(token.parameter, 0, 255));
        m_colorHasValue = true;
        break;
    case Keyword::Bold:
        setFlag(kBold, on);
        break;
    case Keyword::Italic:
        setFlag(kItalic, on);
        break;
    case Keyword::Underline:
        setFlag(kUnderline, on);
        break;
    case Keyword::UnderlineNone:
        setFlag(kUnderline, false);
        break;
    case Keyword::Strike:
        setFlag(kStrike, on);
        break;
    case Keyword::Hidden:
        setFlag(kHidden, on);
        break;
    case Keyword::FontSize:
        chars.sizeHalfPoints = static_cast<std::int16_t>(
            token.parameter > 0 ? std::min(token.parameter, 32767) : kDefaultFontSizeHalfPoints);
        break;
    case Keyword::RightToLeftText:
        setFlag(kRightToLeft, true);
        break;
    case Keyword::LeftToRightText:
        setFlag(kRightToLeft, false);
        break;
    case Keyword::HighAnsiText:
        setFlag(kHighAnsi, true);
        setFlag(kDoubleByte, false);
        break;
    case Keyword::DoubleByteText:
        setFlag(kHighAnsi, false);
        setFlag(kDoubleByte, true);
        break;
    case Keyword::LowAnsiText:
        setFlag(kHighAnsi | kDoubleByte, false);
        break;
    case Keyword::ForegroundColor:
        chars.color = tableIndex();
        break;
    case Keyword::BackgroundColor:
        chars.background = tableIndex();
        break;
    default:
        break;
    }
}

void Parser::handleParagraphFormat(Keyword keyword, const RtfToken& token) {
    ParagraphState& paragraph = m_state.paragraph;
    switch (keyword) {
    case Keyword::ParagraphDefault:
        paragraph = ParagraphState{};
        break;
    case Keyword::AlignLeft:
        paragraph.alignment = Alignment::Left;
        break;
    case Keyword::AlignCenter:
        paragraph.alignment = Alignment::Center;
        break;
    case Keyword::AlignRight:
        paragraph.alignment = Alignment::Right;
        break;
    case Keyword::AlignJustify:
        paragraph.alignment = Alignment::Justify;
        break;
    case Keyword::LeftIndent:
        paragraph.leftIndent = clampedTwips(token.parameter);
        break;
    case Keyword::RightIndent:
        paragraph.rightIndent = clampedTwips(token.parameter);
        break;
    case Keyword::FirstLineIndent:
        paragraph.firstLineIndent = clampedTwips(token.parameter);
        break;
    case Keyword::ListNumber:
        if (m_state.destination == Destination::ListOverrideTable) {
            if (!m_listOverrides.empty()) {
                m_listOverrides.back().number = token.parameter;
                m_listIdByOverride[token.parameter] = m_listOverrides.back().listId;
            }
        } else if (m_state.destination == Destination::Body) {
            paragraph.listOverride = token.parameter;
        }
        break;
    case Keyword::ListLevelNumber:
        paragraph.listLevel =
            static_cast<std::uint8_t>(std::clamp(token.parameter, 0, kMaxListLevel));
        break;
    case Keyword::OldListBullet:
        m_oldListBullet = true;
        break;
    case Keyword::OldListBody:
        m_oldListBullet = false;
        break;
    case Keyword::OldListContinue:
        m_oldListKind = ListKind::None;
        break;
    case Keyword::OldListDecimal:
        m_oldListKind = ListKind::Decimal;
        break;
    case Keyword::OldListUpperLetter:
        m_oldListKind = ListKind::UpperLetter;
        break;
    case Keyword::OldListLowerLetter:
        m_oldListKind = ListKind::LowerLetter;
        break;
    case Keyword::OldListUpperRoman:
        m_oldListKind = ListKind::UpperRoman;
        break;
    case Keyword::OldListLowerRoman:
        m_oldListKind = ListKind::LowerRoman;
        break;
    case Keyword::OldListLevel:
        m_oldListBullet = false;
        m_oldListLevel =
            static_cast<std::uint8_t>(std::clamp(token.parameter - 1, 0, kMaxListLevel));
        break;
    case Keyword::OldListStart:
        m_oldListStart = std::clamp(token.parameter, 0, 32767);
        break;
    case Keyword::OldListFont:
        m_oldListFont = token.parameter;
        break;
    case Keyword::InTable:
        paragraph.tableLevel = std::max<std::uint8_t>(paragraph.tableLevel, 1);
        break;
    case Keyword::TableLevel:
        paragraph.tableLevel = static_cast<std::uint8_t>(std::clamp(token.parameter, 0, 255));
        break;
    default:
        break;
    }
}

void Parser::handleListTableWord(Keyword keyword, const RtfToken& token) {
    bool inLevel = m_state.destination == Destination::ListTable && !m_lists.empty() &&
                   !m_lists.back().levels.empty();
    switch (keyword) {
    case Keyword::List:
        if (m_state.destination == Destination::ListTable) {
            m_lists.emplace_back();
        }
        break;
    case Keyword::ListLevel:
        if (m_state.destination == Destination::ListTable && !m_lists.empty() &&
            m_lists.back().levels.size() <= kMaxListLevel) {
            m_lists.back().levels.emplace_back();
        }
        break;
    case Keyword::LevelNumberFormat:
        if (inLevel) {
            m_lists.back().levels.back().kind = listKindOfLevelFormat(token.parameter);
        }
        break;
    case Keyword::LevelStartAt:
        if (inLevel) {
            m_lists.back().levels.back().start = std::clamp(token.parameter, 0, 32767);
        }
        break;
    case Keyword::Font:
        if (inLevel) {
            m_lists.back().levels.back().font = token.parameter;
        }
        break;
    case Keyword::ListOverride:
        if (m_state.destination == Destination::ListOverrideTable) {
            m_listOverrides.emplace_back();
        }
        break;
    case Keyword::ListId:
        if (m_state.destination == Destination::ListTable && !m_lists.empty()) {
            m_lists.back().id = token.parameter;
            m_listById[token.parameter] = m_lists.size() - 1;
        } else if (m_state.destination == Destination::ListOverrideTable &&
                   !m_listOverrides.empty()) {
            ListOverride& entry = m_listOverrides.back();
            entry.listId = token.parameter;
            if (entry.number != 0) {
                m_listIdByOverride[entry.number] = entry.listId;
            }
        }
        break;
    default:
        break;
    }
}

void Parser::handleRowWord(Keyword keyword, const RtfToken& token) {
    if (m_state.destination != Destination::Body &&
        m_state.destination != Destination::NestedTableProperties) {
        return;
    }
    std::int32_t value = token.parameter;
    auto colorAt = [&](std::int32_t index) -> std::optional<Color> {
        return index > 0 && static_cast<std::size_t>(index) < m_colors.size()
                   ? m_colors[static_cast<std::size_t>(index)]
                   : std::nullopt;
    };
    TableRow& row = definition().row;
    TableCell& cell = definition().cell;
    switch (keyword) {
    case Keyword::RowDefaults: {
        // A nested row is defined just before its end mark, in the level of its paragraphs.
        std::size_t level = m_state.destination == Destination::NestedTableProperties
                                ? std::max<std::size_t>(m_state.paragraph.tableLevel, 2)
                                : 1;
        m_definitionLevel = std::min<std::size_t>(level, kMaxTableDepth + 1) - 1;
        definition() = RowDefinition{};
        m_borderSide = BorderSide::None;
        break;
    }
    case Keyword::RowHeight:
        row.height = clampedTwips(value);
        break;
    case Keyword::RowLeftEdge:
        row.leftEdge = clampedTwips(value);
        break;
    case Keyword::RowCellGap:
        row.cellGap = clampedTwips(value);
        break;
    case Keyword::RowAlignLeft:
        row.alignment = Alignment::Left;
        break;
    case Keyword::RowAlignCenter:
        row.alignment = Alignment::Center;
        break;
    case Keyword::RowAlignRight:
        row.alignment = Alignment::Right;
        break;
    case Keyword::CellMergeFirst:
        cell.horizontalMerge = CellMerge::First;
        break;
    case Keyword::CellMergeContinue:
        cell.horizontalMerge = CellMerge::Continue;
        break;
    case Keyword::CellVerticalFirst:
        cell.verticalMerge = CellMerge::First;
        break;
    case Keyword::CellVerticalContinue:
        cell.verticalMerge = CellMerge::Continue;
        break;
    case Keyword::CellBorderTop:
        m_borderSide = BorderSide::Top;
        break;
    case Keyword::CellBorderLeft:
        m_borderSide = BorderSide::Left;
        break;
    case Keyword::CellBorderBottom:
        m_borderSide = BorderSide::Bottom;
        break;
    case Keyword::CellBorderRight:
        m_borderSide = BorderSide::Right;
        break;
    case Keyword::OtherBorder:
        m_borderSide = BorderSide::None;
        break;
    case Keyword::BorderLine:
        if (Border* border = definedBorder(); border && border->width == 0) {
            border->width = kDefaultBorderTwips;
        }
        break;
    case Keyword::BorderNone:
        if (Border* border = definedBorder()) {
            *border = Border{};
        }
        break;
    case Keyword::BorderWidth:
        if (Border* border = definedBorder()) {
            border->width = std::clamp(value, 1, kMaxBorderTwips);
        }
        break;
    case Keyword::BorderColor:
        if (Border* border = definedBorder()) {
            border->color = colorAt(value);
        }
        break;
    case Keyword::CellShading:
        cell.shading = colorAt(value);
        break;
    case Keyword::CellBoundary:
        if (row.cells.size() < kMaxCellsPerRow) {
            cell.rightBoundary = clampedTwips(value);
            // A side without a line has no colour to keep.
            for (Border* border : {&cell.top, &cell.left, &cell.bottom, &cell.right}) {
                if (border->width == 0) {
                    *border = Border{};
                }
            }
            row.cells.push_back(std::move(cell));
        }
        cell = TableCell{};
        m_borderSide = BorderSide::None;
        break;
    default:
        break;
    }
}

Border* Parser::definedBorder() {
    TableCell& cell = definition().cell;
    switch (m_borderSide) {
    case BorderSide::Top:
        return &cell.top;
    case BorderSide::Left:
        return &cell.left;
    case BorderSide::Bottom:
        return &cell.bottom;
    case BorderSide::Right:
        return &cell.right;
    case BorderSide::None:
        break;
    }
    return nullptr;
}

void Parser::handlePictureWord(Keyword keyword, const RtfToken& token) {
    auto setFormat = [&](PictureFormat format) {
        m_picture.format = format;
        m_picture.metafileMapMode = Picture{}.metafileMapMode;
        m_pictureSupported = true;
    };
    switch (keyword) {
    case Keyword::PngBlip:
        setFormat(PictureFormat::Png);
        break;
    case Keyword::JpegBlip:
        setFormat(PictureFormat::Jpeg);
        break;
    case Keyword::EmfBlip:
        setFormat(PictureFormat::Emf);
        break;
    case Keyword::DeviceIndependentBitmap:
        setFormat(PictureFormat::Bmp);
        break;
    case Keyword::WindowsMetafile:
        setFormat(PictureFormat::Wmf);
        if (token.hasParameter) {
            m_picture.metafileMapMode = token.parameter;
        }
        break;
    case Keyword::UnsupportedPicture:
        m_pictureSupported = false;
        break;
    case Keyword::PictureWidth:
        m_picture.width = token.parameter;
        break;
    case Keyword::PictureHeight:
        m_picture.height = token.parameter;
        break;
    case Keyword::PictureGoalWidth:
        m_picture.goalWidth = token.parameter;
        break;
    case Keyword::PictureGoalHeight:
        m_picture.goalHeight = token.parameter;
        break;
    case Keyword::PictureScaleX:
        m_picture.scaleX = token.parameter;
        break;
    case Keyword::PictureScaleY:
        m_picture.scaleY = token.parameter;
        break;
    default:
        break;
    }
}

void Parser::handleUnicode(std::int32_t value) {
    m_skipRemaining = m_state.unicodeSkip;
    m_unicode.take(unicodeUnitOf(value), [this](char32_t c) { appendCodePoint(c); });
}

void Parser::pushGroup() {
    m_groups.push(m_state);
    if (m_state.destination == Destination::Picture) {
        // Picture data holds no groups; one inside a picture holds its properties.
        skipGroup();
    }
}

void Parser::popGroup() {
    Destination ended = m_state.destination;
    if (!m_groups.pop(m_state)) {
        m_rootClosed = true;
        return;
    }
    if (m_state.openFields < m_fields.size()) {
        m_fields.resize(m_state.openFields);
    }
    if (ended != m_state.destination) {
        endDestination(ended);
    }
    if (m_groups.depth() == 0) {
        m_rootClosed = true;
    }
}

void Parser::endDestination(Destination ended) {
    switch (ended) {
    case Destination::FontTable:
        finishFontEntry();
        break;
    case Destination::Picture:
        finishPicture();
        break;
    case Destination::OldList:
        m_state.paragraph.oldList = m_oldListBullet ? ListKind::Bullet : m_oldListKind;
        m_state.paragraph.oldListStart = m_oldListStart;
        m_state.paragraph.oldListLevel = m_oldListLevel;
        m_oldBullet = m_oldListText;
        m_oldBulletFont = m_oldListFont;
        break;
    case Destination::OldListBulletText:
        m_oldListText = m_capturedText;
        break;
    case Destination::LevelText:
        if (!m_lists.empty() && !m_lists.back().levels.empty()) {
            m_lists.back().levels.back().text = m_capturedText;
        }
        break;
    default:
        break;
    }
}

// Passes over the rest of the current group, whatever it holds, and closes it.
void Parser::skipGroup() {
    std::size_t depth = 1;
    for (;;) {
        RtfToken token = m_tokenizer.next();
        if (token.kind == RtfToken::Kind::End) {
            return;
        }
        if (token.kind == RtfToken::Kind::GroupStart) {
            ++depth;
        } else if (token.kind == RtfToken::Kind::GroupEnd && --depth == 0) {
            break;
        }
    }
    m_skipRemaining = 0;
    popGroup();
}

void Parser::appendText(std::string_view utf8) {
    flushBytes();
    if (m_state.destination == Destination::Body) {
        runText() += utf8;
    } else if (m_state.destination == Destination::FieldInstruction) {
        m_fields.back().instruction += utf8;
    }
}

void Parser::appendCodePoint(char32_t codePoint) {
    if (m_state.destination == Destination::LevelText ||
        m_state.destination == Destination::OldListBulletText) {
        if (m_capturedText.size() <= kMaxBulletCharacters) {
            m_capturedText.push_back(codePoint);
        }
        return;
    }
    char bytes[kMaxUtf8Bytes];
    std::string_view utf8(bytes, encodeUtf8(codePoint, bytes));
    if (m_state.destination == Destination::FontTable) {
        if (m_fontEntryOpen) {
            appendDecoded(m_fontEntry.pendingBytes, fontEntryCodePage(), m_fontEntry.name);
            m_fontEntry.pendingBytes.clear();
            m_fontEntry.name += utf8;
        }
        return;
    }
    appendText(utf8);
}

void Parser::flushBytes() {
    if (m_pendingBytes.empty()) {
        return;
    }
    int codePage = currentCodePage();
    if (m_state.destination == Destination::Body) {
        appendDecoded(m_pendingBytes, codePage, runText());
    } else if (m_state.destination == Destination::FieldInstruction) {
        appendDecoded(m_pendingBytes, codePage, m_fields.back().instruction);
    }
    m_pendingBytes.clear();
}

void Parser::flushLoneSurrogate() {
    m_unicode.flush([this](char32_t c) { appendCodePoint(c); });
}

int Parser::currentCodePage() const {
    int font = m_state.chars.font < 0 ? m_defaultFont : m_state.chars.font;
    auto found = m_fonts.find(font);
    if (found == m_fonts.end() || found->second.codePage == 0) {
        return m_documentCodePage;
    }
    return found->second.codePage;
}

// The text of the open run, which a change of the state that changes the format closes.
std::string& Parser::runText() {
    if (m_runOpen && m_runChars == m_state.chars) {
        return m_runText;
    }
    CharFormat format = resolve(m_state.chars);
    m_runChars = m_state.chars;
    if (m_runOpen && format == m_runFormat) {
        return m_runText;
    }
    closeRun();
    m_runFormat = std::move(format);
    m_runOpen = true;
    return m_runText;
}

void Parser::closeRun() {
    if (!m_runOpen) {
        return;
    }
    auto& run = std::get<TextRun>(m_inlines.emplace_back(std::in_place_type<TextRun>));
    run.format = std::move(m_runFormat);
    run.text = m_runText;
    m_runText.clear();
    m_runOpen = false;
}

CharFormat Parser::resolve(const CharState& chars) const {
    CharFormat format;
    auto font = m_fonts.find(chars.font < 0 ? m_defaultFont : chars.font);
    if (font != m_fonts.end()) {
        format.font = font->second.name;
    }
    format.sizeHalfPoints = chars.sizeHalfPoints;
    format.bold = (chars.flags & kBold) != 0;
    format.italic = (chars.flags & kItalic) != 0;
    format.underline = (chars.flags & kUnderline) != 0;
    format.strikeThrough = (chars.flags & kStrike) != 0;
    format.hidden = (chars.flags & kHidden) != 0;
    auto colorAt = [&](std::uint16_t index) -> std::optional<Color> {
        return index < m_colors.size() ? m_colors[index] : std::nullopt;
    };
    format.color = colorAt(chars.color);
    format.background = colorAt(chars.background);
    if (chars.link >= 0) {
        format.link = m_links[static_cast<std::size_t>(chars.link)];
    }
    return format;
}

// Lists are numbered 1 and up in the order they first appear, whatever the file calls them.
int Parser::listIdOf(int fileList, const Paragraph& paragraph) {
    auto level = static_cast<std::size_t>(paragraph.listLevel);
    ItemStyle style{paragraph.list, paragraph.listStart, paragraph.listBullet,
                    paragraph.listNumberPrefix, paragraph.listNumberSuffix};
    // The lists of one file's list, latest first; as many as its items show different styles.
    std::vector<std::size_t>& lists = m_readListsOf[fileList];
    auto fits = [&](std::size_t index) {
        const ReadList& list = m_readLists[index];
        return !list.levels[level] || *list.levels[level] == style;
    };
    auto found = std::find_if(lists.rbegin(), lists.rend(), fits);
    std::size_t index = 0;
    if (found == lists.rend()) {
        index = m_readLists.size();
        m_readLists.push_back({fileList, {}});
        lists.push_back(index);
    } else {
        index = *found;
    }
    m_readLists[index].levels[level] = style;
    return static_cast<int>(index) + 1;
}

void Parser::resolveList(const ParagraphState& state, Paragraph& paragraph) {
    bool oldItem = state.listOverride == 0 && state.oldList != ListKind::None;
    if (state.listOverride != 0) {
        paragraph.listLevel = state.listLevel;
        auto entry = m_listIdByOverride.find(state.listOverride);
        auto list =
            entry == m_listIdByOverride.end() ? m_listById.end() : m_listById.find(entry->second);
        if (list != m_listById.end() && !m_lists[list->second].levels.empty()) {
            const std::vector<LevelDefinition>& levels = m_lists[list->second].levels;
            const LevelDefinition& level =
                levels[std::min<std::size_t>(state.listLevel, levels.size() - 1)];
            paragraph.list = level.kind;
            paragraph.listStart = level.start;
            if (level.kind == ListKind::Bullet) {
                paragraph.listBullet = bulletText(level.text, level.font);
            } else {
                setNumberTexts(level, state.listLevel, paragraph);
            }
        } else {
            // A list the file's tables do not describe still shows as a list.
            paragraph.list = state.oldList != ListKind::None ? state.oldList : ListKind::Bullet;
        }
        if (paragraph.list == ListKind::None) {
            paragraph.listLevel = 0;
            paragraph.listStart = 1;
            paragraph.listBullet.clear();
        } else {
            paragraph.listId = listIdOf(state.listOverride, paragraph);
        }
    } else if (oldItem) {
        // Old-style items make one list while they follow each other.
        paragraph.list = state.oldList;
        paragraph.listLevel = state.oldListLevel;
        paragraph.listStart = state.oldListStart;
        if (state.oldList == ListKind::Bullet) {
            paragraph.listBullet = bulletText(m_oldBullet, m_oldBulletFont);
            // The middle dot of a bullet font read as text is the round bullet.
            if (paragraph.listBullet == "\u00B7") {
                paragraph.listBullet.clear();
            }
        }
        if (!m_previousWasOldItem) {
            ++m_oldLists;
        }
        paragraph.listId = listIdOf(-m_oldLists, paragraph);
    }
    m_previousWasOldItem = oldItem;
}

// A list level's text without the count of its units that it starts with (when it does), which
// also cuts off what follows them.
std::u32string_view withoutCount(std::u32string_view units) {
    if (!units.empty() && units.front() >= kByteUnit && units.front() - kByteUnit < 0x20) {
        return units.substr(1, units.front() - kByteUnit);
    }
    // As many characters as a text with its count keeps: the writer writes the count, and the
    // text must read back alike.
    return units.substr(0, kMaxBulletCharacters);
}

// A numbered level's text is the count of its units, then characters with the levels' numbers
// among them as the bytes 0 to 8. What stands before and after the level's own number is kept,
// with the numbers of the levels just above it that stand before it each followed by one joint
// (as in "1.1."); when other numbers stand before those, only what follows the own number is.
void Parser::setNumberTexts(const LevelDefinition& level, int ownLevel,
                            Paragraph& paragraph) const {
    std::u32string_view units = withoutCount(level.text);
    auto isNumber = [](char32_t unit) {
        return unit >= kByteUnit && unit - kByteUnit <= static_cast<char32_t>(kMaxListLevel);
    };
    std::size_t own = units.find(kByteUnit + static_cast<char32_t>(ownLevel));
    if (own == std::u32string_view::npos) {
        return;
    }
    std::u32string_view after = units.substr(own + 1);
    after =
        after.substr(0, static_cast<std::size_t>(
                            std::find_if(after.begin(), after.end(), isNumber) - after.begin()));
    paragraph.listNumberSuffix = levelText(after, level.font);
    std::size_t first = own;
    int outer = 0;
    std::u32string_view joint;
    while (outer < ownLevel) {
        std::size_t number = first;
        while (number > 0 && !isNumber(units[number - 1])) {
            --number;
        }
        const auto above = kByteUnit + static_cast<char32_t>(ownLevel - outer - 1);
        if (number == 0 || units[number - 1] != above) {
            break;
        }
        std::u32string_view between = units.substr(number, first - number);
        if (outer > 0 && between != joint) {
            break;
        }
        joint = between;
        first = number - 1;
        ++outer;
    }
    std::u32string_view before = units.substr(0, first);
    if (std::any_of(before.begin(), before.end(), isNumber)) {
        paragraph.listNumberPrefix.clear();
        return;
    }
    paragraph.listNumberPrefix = levelText(before, level.font);
    paragraph.listOuterNumbers = outer;
    paragraph.listNumberJoint = levelText(joint, level.font);
}

// A bullet's text as UTF-8: the characters a list level's text (its first unit is the count of
// characters that follow) or an old-style bullet holds. Empty for the round bullet.
std::string Parser::bulletText(const std::u32string& text, std::int32_t font) const {
    std::u32string_view units = withoutCount(text);
    // Without its count a text may hold one unit more than a level's: a bullet is never longer
    // than a level can write back.
    std::string out = levelText(units.substr(0, kMaxBulletCharacters), font);
    return out == "\u2022" ? std::string() : out;
}

// Characters of a list level's text as UTF-8, up to a ';', control characters left out: bytes
// decode together in the font's code page (so that a double-byte character stays one), and
// symbol fonts' bytes and their private code points (U+F0xx) become the characters they show.
std::string Parser::levelText(std::u32string_view units, std::int32_t font) const {
    auto found = m_fonts.find(font);
    bool symbol = found != m_fonts.end() && found->second.symbol;
    int codePage = found == m_fonts.end() || found->second.codePage == 0 ? m_documentCodePage
                                                                         : found->second.codePage;
    std::string out;
    std::string bytes;
    // A code page may decode bytes into control characters, which a level's text never holds.
    auto flush = [&] {
        std::string decoded;
        appendDecoded(bytes, codePage, decoded);
        std::copy_if(decoded.begin(), decoded.end(), std::back_inserter(out),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
        bytes.clear();
    };
    for (char32_t unit : units) {
        if (unit == kByteUnit + ';') {
            break;
        }
        if (unit >= kByteUnit) {
            auto byte = static_cast<unsigned char>(unit - kByteUnit);
            if (symbol) {
                appendUtf8(out, symbolBullet(byte));
            } else if (byte >= 0x20) {
                bytes.push_back(static_cast<char>(byte));
            }
            continue;
        }
        flush();
        if (unit >= 0xF000 && unit <= 0xF0FF) {
            appendUtf8(out, symbolBullet(static_cast<unsigned char>(unit & 0xFF)));
        } else if (unit >= 0x20) {
            appendUtf8(out, unit);
        }
    }
    flush();
    return out;
}

void Parser::endParagraph() {
    endParagraphAt(tableLevelOf(m_state.paragraph));
}

void Parser::endParagraphAt(std::size_t level) {
    closeRun();
    const ParagraphState& state = m_state.paragraph;
    Paragraph& paragraph = blocksAt(level).emplace_back();
    paragraph.alignment = state.alignment;
    paragraph.leftIndent = state.leftIndent;
    paragraph.rightIndent = state.rightIndent;
    paragraph.firstLineIndent = state.firstLineIndent;
    paragraph.content = takeExactly(m_inlines);
    resolveList(state, paragraph);
    m_paragraphHasPicture = false;
}

void Parser::endCell(std::size_t level) {
    if (level > kMaxTableDepth) {
        endParagraph();
        return;
    }
    endParagraphAt(level);
    closeCell(m_tables[level - 1]);
}

// Every cell ends with a paragraph, the one its end mark closes.
void Parser::closeCell(OpenTable& open) {
    if (open.blocks.empty() || open.blocks.back().isTable()) {
        open.blocks.emplace_back();
    }
    if (open.blocks.size() < open.blocks.capacity()) {
        open.blocks.shrink_to_fit();
    }
    open.cells.emplace_back().paragraphs = std::move(open.blocks);
    open.blocks.clear();
}

void Parser::endRow(std::size_t level) {
    if (level > kMaxTableDepth) {
        ++m_result.unkeptTableRows;
        if (paragraphHasContent()) {
            endParagraph();
        }
        return;
    }
    if (paragraphHasContent()) {
        endCell(level); // text after the last cell mark is a cell of its own
    }
    closeTablesDeeperThan(level);
    if (m_openTables == level) {
        finishRow(m_tables[level - 1], level);
    }
}

// The document's blocks at level 0, else those of the cell open at the level: tables deeper
// than it are closed, and tables are opened down to it.
std::vector<Paragraph>& Parser::blocksAt(std::size_t level) {
    closeTablesDeeperThan(level);
    m_openTables = std::max(m_openTables, level);
    return level == 0 ? m_result.document.paragraphs : m_tables[level - 1].blocks;
}

// Tables close when a paragraph of a lower level comes, or the file ends. A row or cell left
// without its end mark closes with them, so that no text is lost.
void Parser::closeTablesDeeperThan(std::size_t level) {
    while (m_openTables > level) {
        OpenTable& closing = m_tables[m_openTables - 1];
        finishRow(closing, m_openTables);
        Table table;
        table.rows = takeExactly(closing.rows);
        --m_openTables;
        if (table.rows.empty()) {
            continue;
        }
        Paragraph block;
        block.table.push_back(std::move(table));
        (m_openTables == 0 ? m_result.document.paragraphs : m_tables[m_openTables - 1].blocks)
            .push_back(std::move(block));
    }
}

// The row's cells take the properties of the row's definition, the last one given for its
// level, in order; cells beyond the definition get a default width.
void Parser::finishRow(OpenTable& open, std::size_t level) {
    if (!open.blocks.empty()) {
        closeCell(open);
    }
    if (open.cells.empty()) {
        return;
    }
    const TableRow& defined = m_rowDefinitions[level - 1].row;
    std::vector<TableCell>& cells = open.cells;
    // LibreOffice ends a row holding a nested table with one cell mark too many: an empty cell
    // beyond the defined ones is no cell.
    while (!defined.cells.empty() && cells.size() > defined.cells.size() &&
           cells.back().paragraphs.size() == 1 && cells.back().paragraphs.back().content.empty() &&
           !cells.back().paragraphs.back().isTable()) {
        cells.pop_back();
    }
    TableRow row;
    row.cells = takeExactly(cells);
    row.height = defined.height;
    row.alignment = defined.alignment;
    row.leftEdge = defined.leftEdge;
    row.cellGap = defined.cellGap;
    int boundary = row.leftEdge;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        TableCell& cell = row.cells[i];
        if (i < defined.cells.size()) {
            std::vector<Paragraph> blocks = std::move(cell.paragraphs);
            cell = defined.cells[i];
            cell.paragraphs = std::move(blocks);
        } else {
            cell.rightBoundary = clampedTwips(boundary + kDefaultCellTwips);
        }
        boundary = cell.rightBoundary;
    }
    checkMerges(open.rows, row);
    open.rows.push_back(std::move(row));
}

// A cell merged into a cell left of it or above it that is not there is read unmerged.
void Parser::checkMerges(const std::vector<TableRow>& rows, TableRow& row) {
    bool unkept = false;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        TableCell& cell = row.cells[i];
        if (cell.horizontalMerge == CellMerge::Continue &&
            (i == 0 || row.cells[i - 1].horizontalMerge == CellMerge::None)) {
            cell.horizontalMerge = CellMerge::None;
            unkept = true;
        }
        if (cell.verticalMerge != CellMerge::Continue) {
            continue;
        }
        bool above = false;
        if (!rows.empty()) {
            for (const TableCell& upper : rows.back().cells) {
                above = above || (upper.rightBoundary == cell.rightBoundary &&
                                  upper.verticalMerge != CellMerge::None);
            }
        }
        if (!above) {
            cell.verticalMerge = CellMerge::None;
            unkept = true;
        }
    }
    if (unkept) {
        ++m_result.unkeptTableRows;
    }
}

std::int32_t Parser::fieldLink(FieldFrame& field) {
    if (!field.link) {
        field.link = -1;
        if (std::string target = hyperlinkTarget(field.instruction); !target.empty()) {
            m_links.push_back(std::move(target));
            field.link = static_cast<std::int32_t>(m_links.size() - 1);
        }
    }
    return *field.link;
}

void Parser::fontTableText(std::string_view text) {
    if (!m_fontEntryOpen) {
        return;
    }
    for (char c : text) {
        if (c == ';') {
            finishFontEntry();
            return;
        }
        m_fontEntry.pendingBytes += c;
    }
}

void Parser::finishFontEntry() {
    if (!m_fontEntryOpen) {
        return;
    }
    m_fontEntryOpen = false;
    appendDecoded(m_fontEntry.pendingBytes, fontEntryCodePage(), m_fontEntry.name);
    int ownCodePage =
        m_fontEntry.codePage > 0 ? m_fontEntry.codePage : codePageOfCharset(m_fontEntry.charset);
    std::string& name = m_fontEntry.name;
    // A code page can decode a name's bytes into control characters or into the ';' that ends an
    // entry of the table (EBCDIC's '^'): no name keeps them, or it would not read back as written.
    std::erase_if(name, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == ';'; });
    // Trimmed after the cut too, as a cut can end in a blank that a second read would trim.
    std::string cut = cutToCharacters(trimmed(name), kMaxFontNameBytes);
    m_fonts[m_fontEntry.number] = {std::string(trimmed(cut)), ownCodePage,
                                   m_fontEntry.charset == kCharsetSymbol};
}

int Parser::fontEntryCodePage() const {
    if (m_fontEntry.codePage > 0) {
        return m_fontEntry.codePage;
    }
    int codePage = codePageOfCharset(m_fontEntry.charset);
    return codePage > 0 ? codePage : m_documentCodePage;
}

void Parser::colorTableText(std::string_view text) {
    for (char c : text) {
        if (c != ';') {
            continue;
        }
        m_colors.push_back(m_colorHasValue ? std::optional<Color>(m_color) : std::nullopt);
        m_color = Color{};
        m_colorHasValue = false;
    }
}

// The digits are read through locals: the bytes written could, for the compiler, be any of the
// parser's members, which it would load again after each one.
void Parser::pictureHex(std::string& data, std::string_view text) {
    const std::size_t start = data.size();
    data.resize(start + text.size() / 2 + 1);
    char* const first = data.data() + start;
    char* out = first;
    const char* in = text.data();
    const char* const end = in + text.size();
    int nibble = m_pictureNibble;
    while (in != end) {
        // Pictures are mostly unbroken pairs of digits: take two at a time while they last.
        if (nibble < 0) {
            decodeHexBlocks(in, end, out);
            while (end - in >= 2) {
                int high = hexDigitValue(in[0]);
                int low = hexDigitValue(in[1]);
                if ((high | low) < 0) {
                    break;
                }
                *out++ = static_cast<char>(high * 16 + low);
                in += 2;
            }
            if (in == end) {
                break;
            }
        }
        int digit = hexDigitValue(*in++);
        if (digit < 0) {
            continue;
        }
        if (nibble < 0) {
            nibble = digit;
        } else {
            *out++ = static_cast<char>(nibble * 16 + digit);
            nibble = -1;
        }
    }
    m_pictureNibble = nibble;
    data.resize(start + static_cast<std::size_t>(out - first));
}

void Parser::finishPicture() {
    std::string animation = std::move(m_animation);
    m_animation.clear();
    if (!m_pictureSupported || m_picture.data.empty()) {
        ++m_result.omittedPictures;
        return;
    }
    if (m_picture.format == PictureFormat::Png) {
        m_picture.animation = std::move(animation);
    }
    closeRun();
    m_inlines.emplace_back(std::move(m_picture));
    m_picture = Picture{};
}

} // namespace

ReadResult RtfReader::read(std::string_view bytes) const {
    if (!hasRtfSignature(bytes)) {
        ReadResult result;
        result.source = SourceFormat::PlainText;
        result.document = documentFromPlainText(bytes);
        return result;
    }
    return Parser(bytes, m_options).run();
}

} // namespace tarnel::richtext
