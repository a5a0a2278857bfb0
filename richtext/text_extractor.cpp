#include "richtext/text_extractor.h"

#include "platform/codepage.h"
#include "richtext/code_page_decoder.h"
#include "richtext/group_stack.h"
#include "richtext/rtf_format.h"
#include "richtext/rtf_keywords.h"
#include "richtext/rtf_token_handler.h"
#include "richtext/rtf_tokenizer.h"
#include "richtext/text_joiner.h"
#include "richtext/utf8.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tarnel::richtext {
namespace {

// Text is handed to the sink in pieces of about this size, so that a match ends the work soon.
constexpr std::size_t kPieceBytes = 4096;

// The text on its way to the sink.
class TextOutput {
public:
    explicit TextOutput(TextSink& sink) : m_sink(sink) {}

    bool stopped() const { return m_stopped; }
    std::string& buffer() { return m_text; }
    void append(std::string_view utf8) {
        m_text += utf8;
        flushWhenFull();
    }
    void flushWhenFull() {
        if (m_text.size() >= kPieceBytes) {
            flush();
        }
    }
    void flush() {
        if (!m_text.empty() && !m_stopped) {
            m_stopped = !m_sink.text(m_text);
        }
        m_text.clear();
    }

private:
    TextSink& m_sink;
    std::string m_text;
    bool m_stopped = false;
};

// Plain text: ASCII goes out as it comes; from the first other byte on the file is held and
// decoded at its end, because only the whole file tells UTF-8 from GB18030.
class PlainScanner {
public:
    explicit PlainScanner(TextOutput& out) : m_out(out) {}

    void feed(std::string_view bytes) {
        if (!m_held.empty()) {
            m_held += bytes;
            return;
        }
        auto firstHigh = std::find_if(bytes.begin(), bytes.end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        std::size_t ascii = static_cast<std::size_t>(firstHigh - bytes.begin());
        emit(bytes.substr(0, ascii));
        m_atStart = m_atStart && ascii == 0;
        m_held.assign(bytes.substr(ascii));
        m_out.flush();
    }

    void finish() {
        if (!m_held.empty()) {
            constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
            std::string_view held = m_held;
            if (platform::isValidUtf8(held)) {
                if (m_atStart && held.starts_with(kByteOrderMark)) {
                    held.remove_prefix(kByteOrderMark.size());
                }
                emit(held);
            } else {
                emit(platform::gbToUtf8(held));
            }
        }
        m_out.flush();
    }

private:
    // Every line break becomes '\n'; the last one of the file is held back, as a final line
    // break ends the last line and starts none. Zero bytes are no character.
    void emit(std::string_view text) {
        for (char c : text) {
            if (c == '\0') {
                continue;
            }
            bool lfAfterCr = c == '\n' && m_afterCr;
            m_afterCr = c == '\r';
            if (lfAfterCr) {
                continue;
            }
            if (m_heldBreak) {
                m_out.buffer() += '\n';
                m_heldBreak = false;
            }
            if (c == '\r' || c == '\n') {
                m_heldBreak = true;
            } else {
                m_out.buffer() += c;
            }
        }
        m_out.flushWhenFull();
    }

    TextOutput& m_out;
    std::string m_held;
    bool m_atStart = true;
    bool m_afterCr = false;
    bool m_heldBreak = false;
};

enum class Place : std::uint8_t {
    Body,
    FontTable,
    Field,
    FieldInstruction,
    NestedTableProperties,
    // Where a list level's or an old bullet's text may start; ignored like the other tables.
    ListTable,
    OldList,
    Ignored
};

constexpr std::uint8_t kHidden = 1;
constexpr std::uint8_t kRightToLeft = 2;
constexpr std::uint8_t kHighAnsi = 4;
constexpr std::uint8_t kDoubleByte = 8;

// What a group saves of the character state: only what decides the code page and visibility.
struct GroupState {
    std::int32_t font = -1; // -1: the document's default font
    std::uint8_t flags = 0;
    std::uint8_t unicodeSkip = 1;
    std::uint8_t tableLevel = 0; // as the reader has it
    Place place = Place::Body;

    bool operator==(const GroupState&) const = default;
};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// How much of the input can be tokenized before the next bytes come: all of it, unless it ends
// inside a control word, a control symbol or a \'hh, which then waits for the next bytes. (A \bin
// cut short, and binary data, whose backslashes this cannot tell from escapes, are taken up by
// the scan.)
std::size_t readyEnd(std::string_view input) {
    std::size_t slash = input.rfind('\\');
    if (slash == std::string_view::npos) {
        return input.size();
    }
    std::size_t run = 1;
    while (run <= slash && input[slash - run] == '\\') {
        ++run;
    }
    if (run % 2 == 0) {
        return input.size(); // the last backslash is the second of an escaped one
    }
    std::size_t pos = slash + 1;
    if (pos == input.size()) {
        return slash;
    }
    if (input[pos] == '\'') {
        return pos + 2 < input.size() ? input.size() : slash;
    }
    if (!isLetter(input[pos])) {
        return input.size();
    }
    while (pos < input.size() && (isLetter(input[pos]) ||
                                  (input[pos] >= '0' && input[pos] <= '9') || input[pos] == '-')) {
        ++pos;
    }
    return pos < input.size() ? input.size() : slash;
}

// Where pending bytes of any supported code page can be cut: after an ASCII byte that follows
// another one (a lone ASCII byte may be the second byte of a four-byte GB18030 character).
std::size_t characterBoundary(std::string_view bytes) {
    for (std::size_t end = bytes.size(); end >= 2; --end) {
        if (static_cast<unsigned char>(bytes[end - 1]) < 0x80 &&
            static_cast<unsigned char>(bytes[end - 2]) < 0x80) {
            return end;
        }
    }
    return 0;
}

// Where the reader puts a paragraph: what is open of the tables it is reading, level by level.
struct OpenTable {
    bool cellHasBlocks = false;
    bool rowHasCells = false;
    bool tableHasRows = false;
};

// Rich text, token by token through the reader's tokenizer and keyword table, keeping the state
// of the reader that decides which bytes are visible text and how they decode, and where its
// paragraphs go in tables.
class RtfScanner : RtfTokenHandler<RtfScanner> {
    friend class RtfTokenHandler<RtfScanner>;

public:
    explicit RtfScanner(TextOutput& out) : m_out(out), m_joiner(out.buffer()) {}

    bool done() const { return m_rootClosed || m_out.stopped(); }

    void feed(std::string_view bytes) {
        if (done()) {
            return;
        }
        if (m_carry.empty()) {
            m_carry.assign(bytes.substr(scanReady(bytes)));
        } else {
            m_carry += bytes;
            m_carry.erase(0, scanReady(m_carry));
        }
        m_out.flush();
    }

    ReadStatus finish() {
        if (!done()) {
            scan(m_carry, true, m_offset);
        }
        m_carry.clear();
        if (!m_out.stopped()) {
            flushBytes();
            flushLoneSurrogate();
            if (m_paragraphHasContent) {
                endParagraph();
            }
            closeTablesDeeperThan(0);
            m_joiner.finish();
            m_out.flush();
        }
        // Binary data cut short by the end of the file is the damage the reader meets last.
        const std::string& problem =
            m_problem.empty() && m_binaryLeft > 0 ? m_binaryProblem : m_problem;
        m_message = readProblemMessage(m_groups.depth(), problem);
        if (m_groups.depth() > 0 || m_truncated || m_binaryLeft > 0) {
            return ReadStatus::Truncated;
        }
        return m_problem.empty() ? ReadStatus::Complete : ReadStatus::Damaged;
    }

    const std::string& message() const { return m_message; }

private:
    // Reads the input as far as it is ready; returns how much was read.
    std::size_t scanReady(std::string_view input) {
        std::size_t pos = 0;
        while (!done()) {
            std::size_t skipped = std::min<std::size_t>(m_binaryLeft, input.size() - pos);
            m_binaryLeft -= skipped;
            pos += skipped;
            std::size_t end = pos + readyEnd(input.substr(pos));
            if (end == pos) {
                break;
            }
            pos += scan(input.substr(pos, end - pos), false, m_offset + pos);
            if (m_binaryLeft == 0) {
                break;
            }
        }
        if (m_pendingBytes.size() >= kPieceBytes) {
            flushBytesUpTo(characterBoundary(m_pendingBytes));
        }
        m_offset += pos;
        return pos;
    }

    // The input starts at firstOffset in the file. Returns how much of it was read: all of it,
    // unless binary data ends in a backslash that made its end look ready (the data of \bin1\\a
    // is a backslash, and \a a control word the next bytes may go on), then as far as what
    // follows the data is ready.
    std::size_t scan(std::string_view input, bool last, std::size_t firstOffset) {
        RtfTokenizer tokenizer(input, firstOffset);
        std::size_t cutBinaryAt = std::numeric_limits<std::size_t>::max();
        std::size_t ready = input.size();
        while (!done()) {
            RtfToken token = tokenizer.next();
            if (token.kind == RtfToken::Kind::End) {
                break;
            }
            if (token.kind == RtfToken::Kind::Binary && !last) {
                std::size_t announced = token.parameter > 0 ? token.parameter : 0;
                if (announced > token.text.size()) {
                    // The rest of the binary data comes with the next bytes.
                    m_binaryLeft = announced - token.text.size();
                    cutBinaryAt = token.offset;
                } else {
                    auto after = static_cast<std::size_t>(token.text.data() + token.text.size() -
                                                          input.data());
                    ready = after + readyEnd(input.substr(after));
                    tokenizer.stopAt(ready);
                }
            }
            if (m_skipDepth > 0) {
                skipToken(token.kind);
            } else {
                handle(token);
            }
        }
        m_truncated = m_truncated || (last && tokenizer.truncated());
        if (m_problem.empty() && !tokenizer.firstProblem().empty()) {
            (tokenizer.firstProblemOffset() == cutBinaryAt ? m_binaryProblem : m_problem) =
                tokenizer.firstProblem();
        }
        return ready;
    }

    void skipToken(RtfToken::Kind kind) {
        if (kind == RtfToken::Kind::GroupStart) {
            ++m_skipDepth;
        } else if (kind == RtfToken::Kind::GroupEnd && --m_skipDepth == 0) {
            m_skipRemaining = 0;
            popGroup();
        }
    }

    void takeText(std::string_view text) {
        if (m_state.place == Place::Body) {
            flushLoneSurrogate();
            m_pendingBytes += text;
        } else if (m_state.place == Place::FontTable && m_entryOpen &&
                   text.find(';') != std::string_view::npos) {
            finishFontEntry();
        }
    }

    // Most of the bytes of text in other scripts come as \'hh: they go to the pending bytes
    // without the copy of a stretch of text.
    void takeHexBytes(std::string_view escapes) {
        if (m_state.place == Place::Body) {
            appendHexBytes(escapes, m_pendingBytes, [this] { flushLoneSurrogate(); });
            return;
        }
        for (std::size_t i = 0; i < escapes.size() / 4; ++i) {
            takeByte(hexByteAt(escapes, i));
        }
    }

    void takeByte(unsigned char byte) {
        if (byte == 0) {
            return;
        }
        if (m_state.place == Place::Body) {
            flushLoneSurrogate();
            m_pendingBytes.push_back(static_cast<char>(byte));
            return;
        }
        char c = static_cast<char>(byte);
        takeText(std::string_view(&c, 1));
    }

    void handleBinary(std::string_view) {}

    void handleControlSymbol(char symbol) {
        if (symbol == '*') {
            m_starred = true;
            return;
        }
        m_starred = false;
        if (symbol == '~') {
            appendCodePoint(0x00A0);
        } else if (symbol == '_') {
            appendCodePoint(0x2011);
        }
    }

    void handleControlWord(const RtfToken& token) {
        Keyword keyword = lookupKeyword(token);
        if (keyword != Keyword::UnicodeChar && keyword != Keyword::UnicodeSkip) {
            flushLoneSurrogate();
        }
        bool starred = m_starred;
        m_starred = false;
        if (handleDestination(keyword)) {
            return;
        }
        if (starred) {
            skipGroup();
            return;
        }
        handleWord(keyword, token);
    }

    bool handleDestination(Keyword keyword) {
        switch (keyword) {
        case Keyword::SkippedDestination:
            skipGroup();
            return true;
        case Keyword::FontTable:
            m_state.place = Place::FontTable;
            return true;
        case Keyword::ColorTable:
        case Keyword::ListOverrideTable:
            m_state.place = Place::Ignored;
            return true;
        case Keyword::ListTable:
            m_state.place = Place::ListTable;
            return true;
        case Keyword::OldList:
            m_state.place = Place::OldList;
            return true;
        // The reader takes a bullet's text for its label, with the control words in it: the words
        // count here too (a charset among them changes the body's), the text does not.
        case Keyword::LevelText:
        case Keyword::OldListBulletText:
            if (m_state.place ==
                (keyword == Keyword::LevelText ? Place::ListTable : Place::OldList)) {
                m_state.place = Place::Ignored;
            } else {
                skipGroup();
            }
            return true;
        case Keyword::ShapePicture:
            return true;
        case Keyword::Animation:
            skipGroup();
            return true;
        case Keyword::NestedTableProperties:
            if (m_state.place == Place::Body) {
                m_state.place = Place::NestedTableProperties;
            } else {
                skipGroup();
            }
            return true;
        case Keyword::Picture:
            // A picture makes its paragraph a line of its own, as the reader has it.
            if (m_state.place == Place::Body) {
                m_paragraphHasContent = true;
            }
            skipGroup();
            return true;
        case Keyword::Field:
            m_state.place = Place::Field;
            return true;
        case Keyword::FieldInstruction:
        case Keyword::FieldResult:
            if (m_state.place != Place::Field) {
                skipGroup();
            } else {
                m_state.place =
                    keyword == Keyword::FieldResult ? Place::Body : Place::FieldInstruction;
            }
            return true;
        default:
            return false;
        }
    }

    void handleWord(Keyword keyword, const RtfToken& token) {
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
            if (m_state.place == Place::Body) {
                endParagraph();
            }
            break;
        case Keyword::Cell:
            if (m_state.place == Place::Body) {
                endCell(cellLevel());
            }
            break;
        case Keyword::Row:
            if (m_state.place == Place::Body || m_state.place == Place::NestedTableProperties) {
                endRow(cellLevel());
            }
            break;
        case Keyword::SectionBreak:
        case Keyword::PageBreak:
            if (m_state.place == Place::Body && m_paragraphHasContent) {
                endParagraph();
            }
            break;
        case Keyword::ParagraphDefault:
            m_state.tableLevel = 0;
            break;
        case Keyword::InTable:
            m_state.tableLevel = std::max<std::uint8_t>(m_state.tableLevel, 1);
            break;
        case Keyword::TableLevel:
            m_state.tableLevel = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
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
            } else {
                handleCharacterWord(keyword, token);
            }
            break;
        }
    }

    void setFlag(std::uint8_t flag, bool on) {
        m_state.flags =
            static_cast<std::uint8_t>(on ? (m_state.flags | flag) : (m_state.flags & ~flag));
    }

    void handleCharacterWord(Keyword keyword, const RtfToken& token) {
        if (keyword == Keyword::AssociatedFont) {
            // The associated font stands for the font only for low-ANSI, left-to-right text.
            if ((m_state.flags & (kRightToLeft | kHighAnsi | kDoubleByte)) != 0 ||
                m_state.place == Place::FontTable) {
                return;
            }
            keyword = regularOfAssociated(keyword);
        }
        switch (keyword) {
        case Keyword::Plain:
            m_state.font = -1;
            m_state.flags = 0;
            break;
        case Keyword::Font:
            if (m_state.place == Place::FontTable) {
                finishFontEntry();
                m_entryOpen = true;
                m_entryNumber = token.parameter;
                m_entryCharset = kCharsetDefault;
                m_entryCodePage = 0;
            } else {
                m_state.font = std::max(token.parameter, 0);
            }
            break;
        case Keyword::FontCharset:
            m_entryCharset = token.parameter;
            break;
        case Keyword::FontCodePage:
            m_entryCodePage = token.parameter;
            break;
        case Keyword::Hidden:
            setFlag(kHidden, !token.hasParameter || token.parameter != 0);
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
        default:
            break;
        }
    }

    void handleUnicode(std::int32_t value) {
        m_skipRemaining = m_state.unicodeSkip;
        m_unicode.take(unicodeUnitOf(value), [this](char32_t c) { appendCodePoint(c); });
    }

    void pushGroup() { m_groups.push(m_state); }

    void popGroup() {
        Place ended = m_state.place;
        if (!m_groups.pop(m_state)) {
            m_rootClosed = true;
            return;
        }
        if (ended == Place::FontTable && m_state.place != Place::FontTable) {
            finishFontEntry();
        }
        if (m_groups.depth() == 0) {
            m_rootClosed = true;
        }
    }

    // The rest of the current group is passed over; its end closes the group.
    void skipGroup() { m_skipDepth = 1; }

    bool visible() const { return m_state.place == Place::Body && (m_state.flags & kHidden) == 0; }

    // Visible text starts with the separators of the paragraphs, cells and rows ended before it.
    // While a table is open, a paragraph's text waits for its end: only then is it known whether
    // the paragraph closes tables, whose separators come before it.
    std::string& visibleBuffer() {
        return m_tables.empty() ? m_joiner.takeSeparators() : m_heldParagraph;
    }

    void appendText(std::string_view utf8) {
        if (bodyTextComes()) {
            visibleBuffer() += utf8;
            m_out.flushWhenFull();
        }
    }

    void appendCodePoint(char32_t codePoint) {
        if (bodyTextComes()) {
            appendUtf8(visibleBuffer(), codePoint);
            m_out.flushWhenFull();
        }
    }

    // Text in the body makes its paragraph one; true when the text is also visible.
    bool bodyTextComes() {
        if (m_state.place != Place::Body) {
            return false;
        }
        m_paragraphHasContent = true;
        return visible();
    }

    void flushBytes() { flushBytesUpTo(m_pendingBytes.size()); }

    void flushBytesUpTo(std::size_t end) {
        if (end == 0) {
            return;
        }
        m_paragraphHasContent = true;
        if (visible()) {
            appendDecoded(std::string_view(m_pendingBytes).substr(0, end), currentCodePage(),
                          visibleBuffer());
            m_out.flushWhenFull();
        }
        m_pendingBytes.erase(0, end);
    }

    void flushLoneSurrogate() {
        m_unicode.flush([this](char32_t c) { appendCodePoint(c); });
    }

    std::size_t cellLevel() const { return std::max<std::size_t>(m_state.tableLevel, 1); }

    void endParagraph() {
        endParagraphAt(std::min<std::size_t>(m_state.tableLevel, kMaxTableDepth));
    }

    void endParagraphAt(std::size_t level) {
        closeTablesDeeperThan(level);
        while (m_tables.size() < level) {
            m_tables.emplace_back();
        }
        if (level > 0) {
            m_tables[level - 1].cellHasBlocks = true;
        }
        m_joiner.text(m_heldParagraph);
        m_heldParagraph.clear();
        m_joiner.endParagraph(level);
        m_paragraphHasContent = false;
    }

    void endCell(std::size_t level) {
        if (level > kMaxTableDepth) {
            endParagraph();
            return;
        }
        endParagraphAt(level);
        m_tables[level - 1].cellHasBlocks = false;
        m_tables[level - 1].rowHasCells = true;
        m_joiner.endCell(level);
    }

    void endRow(std::size_t level) {
        if (level > kMaxTableDepth) {
            if (m_paragraphHasContent) {
                endParagraph();
            }
            return;
        }
        if (m_paragraphHasContent) {
            endCell(level);
        }
        closeTablesDeeperThan(level);
        if (m_tables.size() == level) {
            finishRow(level);
        }
    }

    void finishRow(std::size_t level) {
        OpenTable& open = m_tables[level - 1];
        if (open.cellHasBlocks) {
            open.cellHasBlocks = false;
            open.rowHasCells = true;
            m_joiner.endCell(level);
        }
        if (open.rowHasCells) {
            open.rowHasCells = false;
            open.tableHasRows = true;
            m_joiner.endRow(level);
        }
    }

    void closeTablesDeeperThan(std::size_t level) {
        while (m_tables.size() > level) {
            finishRow(m_tables.size());
            bool hasRows = m_tables.back().tableHasRows;
            m_tables.pop_back();
            if (hasRows && !m_tables.empty()) {
                m_tables.back().cellHasBlocks = true;
            }
        }
    }

    void finishFontEntry() {
        if (!m_entryOpen) {
            return;
        }
        m_entryOpen = false;
        m_fontCodePages[m_entryNumber] =
            m_entryCodePage > 0 ? m_entryCodePage : codePageOfCharset(m_entryCharset);
    }

    int currentCodePage() const {
        int font = m_state.font < 0 ? m_defaultFont : m_state.font;
        auto found = m_fontCodePages.find(font);
        return found == m_fontCodePages.end() || found->second == 0 ? m_documentCodePage
                                                                    : found->second;
    }

    TextOutput& m_out;
    std::string m_carry;
    // Where the bytes not yet scanned start in the file.
    std::size_t m_offset = 0;
    std::size_t m_binaryLeft = 0;
    bool m_truncated = false;
    // The first damage met, as the reader describes it; that of binary data the bytes so far cut
    // short, which is damage only if the file ends before the rest of the data.
    std::string m_problem;
    std::string m_binaryProblem;
    std::string m_message;

    GroupState m_state;
    GroupStack<GroupState> m_groups;
    std::size_t m_skipDepth = 0;
    bool m_rootClosed = false;
    Utf16Joiner m_unicode;
    std::string m_pendingBytes;
    TextJoiner m_joiner;
    std::vector<OpenTable> m_tables;
    std::string m_heldParagraph;
    bool m_paragraphHasContent = false;

    int m_documentCodePage = kCodePageAnsi;
    int m_defaultFont = 0;
    std::unordered_map<int, int> m_fontCodePages;
    bool m_entryOpen = false;
    int m_entryNumber = 0;
    int m_entryCharset = kCharsetDefault;
    int m_entryCodePage = 0;
};

} // namespace

struct TextExtractor::State {
    explicit State(TextSink& sink) : out(sink) {}

    TextOutput out;
    // The first bytes, until they tell rich text from plain text.
    std::string head;
    std::optional<RtfScanner> rtf;
    std::optional<PlainScanner> plain;

    // The file's first bytes (as many as the signature, unless the file is shorter) choose the
    // scanner, which takes them.
    void choose(std::string_view first) {
        if (hasRtfSignature(first)) {
            rtf.emplace(out);
            rtf->feed(first);
        } else {
            plain.emplace(out);
            plain->feed(first);
        }
    }

    void chooseByHead() {
        choose(head);
        head.clear();
    }
};

TextExtractor::TextExtractor(TextSink& sink) : m_state(std::make_unique<State>(sink)) {}

TextExtractor::~TextExtractor() = default;

bool TextExtractor::feed(std::string_view bytes) {
    State& s = *m_state;
    if (s.rtf) {
        s.rtf->feed(bytes);
    } else if (s.plain) {
        s.plain->feed(bytes);
    } else if (s.head.empty() && bytes.size() >= kRtfSignature.size()) {
        s.choose(bytes);
    } else {
        s.head += bytes;
        if (s.head.size() >= kRtfSignature.size()) {
            s.chooseByHead();
        }
    }
    return !(s.out.stopped() || (s.rtf && s.rtf->done()));
}

ReadStatus TextExtractor::finish() {
    State& s = *m_state;
    if (!s.rtf && !s.plain) {
        s.chooseByHead();
    }
    if (s.rtf) {
        return s.rtf->finish();
    }
    s.plain->finish();
    return ReadStatus::Complete;
}

SourceFormat TextExtractor::source() const {
    return m_state->rtf ? SourceFormat::Rtf : SourceFormat::PlainText;
}

std::string TextExtractor::message() const {
    return m_state->rtf ? m_state->rtf->message() : std::string();
}

FileText extractFileText(const platform::FileSystem& fileSystem, const std::filesystem::path& file,
                         TextSink& sink) {
    TextExtractor extractor(sink);
    FileText result;
    result.error = fileSystem.readChunks(file, [&extractor](std::string_view chunk, std::uint64_t) {
        return extractor.feed(chunk);
    });
    result.status = extractor.finish();
    result.source = extractor.source();
    return result;
}

} // namespace tarnel::richtext
