#pragma once

#include "richtext/rtf_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnel::richtext {

// A control word's first 16 letters as two little-endian integers, zero past the word's end: the
// keyword table's hash and, for a word of at most 16 letters, its whole comparison. The tokenizer
// packs it from the bytes it looks through to find the word's end.
struct PackedName {
    std::uint64_t low = 0;
    std::uint64_t high = 0;

    bool operator==(const PackedName&) const = default;
};

inline constexpr PackedName packedLetters(std::string_view word) {
    PackedName packed;
    for (std::size_t i = 0; i < word.size() && i < 16; ++i) {
        std::uint64_t& half = i < 8 ? packed.low : packed.high;
        half |= std::uint64_t{static_cast<unsigned char>(word[i])} << (8 * (i % 8));
    }
    return packed;
}

struct RtfToken {
    enum class Kind {
        GroupStart,
        GroupEnd,
        // name holds the word without its backslash; parameter is 0 when hasParameter is false.
        ControlWord,
        // symbol holds the character after the backslash (\* \~ \- \_ \{ \} \\ ...).
        ControlSymbol,
        // One or more \'hh in a row (a word in another script is a run of them): text holds
        // them, four characters each, and hexByteAt gives their values.
        HexBytes,
        // A \' without two hexadecimal digits: byte holds '?', which stands for it.
        BadHex,
        // Literal text between control items, without the line breaks the format ignores.
        Text,
        // The bytes that follow \binN.
        Binary,
        End,
    };

    Kind kind = Kind::End;
    std::string_view name;
    PackedName packedName;
    std::string_view text;
    std::int32_t parameter = 0;
    bool hasParameter = false;
    char symbol = 0;
    unsigned char byte = 0;
    // Where the token starts in the input.
    std::size_t offset = 0;
};

// The value of the index-th \'hh of a HexBytes token's text.
inline unsigned char hexByteAt(std::string_view escapes, std::size_t index) {
    const char* escape = escapes.data() + 4 * index;
    return static_cast<unsigned char>(hexDigitValue(escape[2]) * 16 + hexDigitValue(escape[3]));
}

// Splits rich-text bytes into tokens, one at a time, without recursion or allocation; the views in
// a token point into the input, which must outlive the tokenizer. It never fails: damage is noted
// (firstProblem) and tokenizing goes on, and the end of the input yields End for ever after.
class RtfTokenizer {
public:
    // The input may be a piece of a file that starts at firstOffset there: firstProblem names
    // the offset in the file (the tokens' offsets stay those in the input).
    explicit RtfTokenizer(std::string_view input, std::size_t firstOffset = 0)
        : m_input(input), m_firstOffset(firstOffset) {}

    // Always inline, so that the reader's and the extractor's loops take groups and text without a
    // call (the compiler would leave it out of line in a reader grown long enough).
    [[gnu::always_inline]] RtfToken next() {
        while (m_pos < m_input.size() && isIgnorable(m_input[m_pos])) {
            ++m_pos;
        }
        RtfToken token;
        token.offset = m_pos;
        if (m_pos >= m_input.size()) {
            return token;
        }
        std::size_t start = m_pos;
        switch (m_input[m_pos]) {
        case '{':
            ++m_pos;
            token.kind = RtfToken::Kind::GroupStart;
            return token;
        case '}':
            ++m_pos;
            token.kind = RtfToken::Kind::GroupEnd;
            return token;
        case '\\':
            // Control words and well-formed \'hh are most of a file's tokens: they skip the checks
            // for the rarer kinds.
            if (start + 1 < m_input.size() && isLetter(m_input[start + 1])) {
                return readControlWord(start);
            }
            if (isHexEscape(start)) {
                return readHexBytes(start);
            }
            return readControl(start);
        default:
            return readText(start);
        }
    }

    // Tokenizes no further than end, where the input is to be taken as ending (what follows is
    // not ready yet); never before what has been tokenized.
    void stopAt(std::size_t end) { m_input = m_input.substr(0, std::max(end, m_pos)); }

    // True when the input ended inside a control word's data (a \binN or \' cut short).
    bool truncated() const { return m_truncated; }
    // Empty when no damage was met; else a description of the first damage, with its offset.
    const std::string& firstProblem() const { return m_firstProblem; }
    // Where the first damage lies in the input; the input's size when none was met.
    std::size_t firstProblemOffset() const {
        return m_firstProblem.empty() ? m_input.size() : m_problemOffset;
    }

private:
    // Whether a whole \'hh starts at pos.
    bool isHexEscape(std::size_t pos) const {
        return pos + 3 < m_input.size() && m_input[pos] == '\\' && m_input[pos + 1] == '\'' &&
               hexDigitValue(m_input[pos + 2]) >= 0 && hexDigitValue(m_input[pos + 3]) >= 0;
    }
    [[gnu::always_inline]] RtfToken readHexBytes(std::size_t start) {
        std::size_t end = start + 4;
        while (isHexEscape(end)) {
            end += 4;
        }
        return spanToken(RtfToken::Kind::HexBytes, start, end);
    }
    // A token whose text is the input from start to end, where the next one starts.
    RtfToken spanToken(RtfToken::Kind kind, std::size_t start, std::size_t end) {
        m_pos = end;
        RtfToken token;
        token.kind = kind;
        token.offset = start;
        token.text = m_input.substr(start, end - start);
        return token;
    }
    static constexpr bool isLetter(char c) {
        return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
    }
    // CR, LF and NUL are no part of the text: writers wrap lines freely and some pad files with
    // zero bytes.
    static constexpr bool isIgnorable(char c) { return c == '\r' || c == '\n' || c == '\0'; }

    static const char* endOfLetters(const char* name, const char* end, PackedName& packed);
    RtfToken readControl(std::size_t start);
    RtfToken readControlWord(std::size_t start);
    RtfToken readText(std::size_t start);
    void noteProblem(std::size_t offset, std::string_view what);

    std::string_view m_input;
    std::size_t m_firstOffset = 0;
    std::size_t m_pos = 0;
    bool m_truncated = false;
    std::string m_firstProblem;
    std::size_t m_problemOffset = 0;
};

} // namespace tarnel::richtext
