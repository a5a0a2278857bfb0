#include "richtext/rtf_tokenizer.h"

#include "richtext/rtf_format.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnel::richtext {
namespace {

// Bytes that end a stretch of literal text. CR, LF and NUL are not text in the format: writers
// wrap lines freely and some pad files with zero bytes.
constexpr std::array<bool, 256> kEndsText = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {'{', '}', '\\', '\r', '\n', '\0'}) {
        table[c] = true;
    }
    return table;
}();

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compared by its letters: a comparison with a string would call memcmp for every word.
bool isBinaryWord(std::string_view name) {
    return name.size() == 3 && name[0] == 'b' && name[1] == 'i' && name[2] == 'n';
}

// Where the literal text from pos ends: pictures' hexadecimal digits and long paragraphs come in
// stretches of hundreds of bytes, looked through sixteen at a time.
std::size_t endOfText(std::string_view input, std::size_t pos) {
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (pos + 16 <= input.size()) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(input.data() + pos));
        const __m128i braces =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, open), _mm_cmpeq_epi8(chunk, close));
        const __m128i breaks =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, carriageReturn), _mm_cmpeq_epi8(chunk, lineFeed));
        const __m128i others =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, backslash), _mm_cmpeq_epi8(chunk, zero));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(braces, breaks), others));
        if (mask != 0) {
            return pos + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
        pos += 16;
    }
#endif
    while (pos < input.size() && !kEndsText[static_cast<unsigned char>(input[pos])]) {
        ++pos;
    }
    return pos;
}

// Reads the digits from p on (at least one) into value, at most the largest int32; returns where
// they end. A parameter of up to seven digits followed by another byte, which is nearly every one,
// is read from one 8-byte load without a branch per digit.
const char* readDigits(const char* p, const char* end, std::int64_t& value) {
    if (end - p >= 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, p, sizeof bytes);
        // A byte is a digit when subtracting '0' leaves at most 9: no bit above the lowest four,
        // and adding 6 carries none into the fifth.
        const std::uint64_t digits = bytes - 0x3030303030303030u;
        const std::uint64_t notDigit =
            (digits | (digits + 0x0606060606060606u)) & 0xF0F0F0F0F0F0F0F0u;
        const unsigned count =
            notDigit == 0 ? 8 : static_cast<unsigned>(__builtin_ctzll(notDigit)) / 8;
        if (count < 8) {
            // The digits move to the top bytes, zeros before them, and three multiplications
            // join pairs, fours and eights.
            std::uint64_t v = digits << (8 * (8 - count));
            v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
            v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
            v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
            value = static_cast<std::int64_t>(v);
            return p + count;
        }
    }
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    value = 0;
    do {
        value = std::min(value * 10 + (*p - '0'), kLimit);
        ++p;
    } while (p != end && isDigit(*p));
    return p;
}

} // namespace

RtfToken RtfTokenizer::readText(std::size_t start) {
    return spanToken(RtfToken::Kind::Text, start, endOfText(m_input, start));
}

// Where the control word's letters from name on end, with the first 16 of them packed: sixteen
// bytes are looked through at once, so that words of every length take the same steps.
const char* RtfTokenizer::endOfLetters(const char* name, const char* end, PackedName& packed) {
#if defined(__SSE2__)
    if (end - name >= 16) {
        // Sixteen bytes of 0xFF then sixteen of zero: the mask that keeps a word's first letters.
        alignas(16) static constexpr std::array<unsigned char, 32> kKeep = [] {
            std::array<unsigned char, 32> keep{};
            for (std::size_t i = 0; i < 16; ++i) {
                keep[i] = 0xFF;
            }
            return keep;
        }();
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(name));
        // Letters are the bytes from 'a' to 'z' once the case bit is set; the bytes from 0x80 on
        // compare as negative.
        const __m128i folded = _mm_or_si128(chunk, _mm_set1_epi8(0x20));
        const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                              _mm_cmplt_epi8(folded, _mm_set1_epi8('z' + 1)));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(letters));
        const unsigned length = static_cast<unsigned>(__builtin_ctz(~mask));
        const __m128i keep =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep.data() + 16 - length));
        alignas(16) std::uint64_t halves[2];
        _mm_store_si128(reinterpret_cast<__m128i*>(halves), _mm_and_si128(chunk, keep));
        packed = {halves[0], halves[1]};
        const char* p = name + length;
        while (p != end && isLetter(*p)) {
            ++p;
        }
        return p;
    }
#endif
    const char* p = name;
    while (p != end && isLetter(*p)) {
        ++p;
    }
    packed = packedLetters(std::string_view(name, static_cast<std::size_t>(p - name)));
    return p;
}

RtfToken RtfTokenizer::readControl(std::size_t start) {
    RtfToken token;
    token.offset = start;
    std::size_t after = start + 1;
    if (after >= m_input.size()) {
        m_pos = after;
        m_truncated = true;
        noteProblem(start, "the file ends after a backslash");
        return token;
    }
    char c = m_input[after];
    if (isLetter(c)) {
        return readControlWord(start);
    }
    if (c == '\'') {
        // A well-formed \'hh takes the tokenizer's quick way: here it is cut short or damaged.
        if (after + 2 >= m_input.size()) {
            m_truncated = true;
        }
        noteProblem(start, "\\' is not followed by two hexadecimal digits");
        m_pos = after + 1;
        token.kind = RtfToken::Kind::BadHex;
        token.byte = '?';
        return token;
    }
    m_pos = after + 1;
    if (c == '\r' || c == '\n') {
        // A backslash before a line break is a paragraph mark in older writers' output.
        token.kind = RtfToken::Kind::ControlWord;
        token.name = "par";
        token.packedName = packedLetters(token.name);
        return token;
    }
    token.kind = RtfToken::Kind::ControlSymbol;
    token.symbol = c;
    return token;
}

// The word is read through pointers into the input: the compiler keeps them in registers, where
// it would load the input's bounds again for every letter.
RtfToken RtfTokenizer::readControlWord(std::size_t start) {
    RtfToken token;
    token.kind = RtfToken::Kind::ControlWord;
    token.offset = start;
    const char* const begin = m_input.data();
    const char* const end = begin + m_input.size();
    const char* const name = begin + start + 1;
    const char* p = endOfLetters(name, end, token.packedName);
    token.name = std::string_view(name, static_cast<std::size_t>(p - name));
    bool negative = p != end && *p == '-' && p + 1 != end && isDigit(p[1]);
    if (negative) {
        ++p;
    }
    std::int64_t value = 0;
    if (p != end && isDigit(*p)) {
        token.hasParameter = true;
        p = readDigits(p, end, value);
    }
    token.parameter = static_cast<std::int32_t>(negative ? -value : value);
    if (p != end && *p == ' ') {
        ++p;
    }
    m_pos = static_cast<std::size_t>(p - begin);
    if (isBinaryWord(token.name) && token.hasParameter) {
        std::size_t length = token.parameter > 0 ? static_cast<std::size_t>(token.parameter) : 0;
        if (length > m_input.size() - m_pos) {
            m_truncated = true;
            noteProblem(start, "\\bin announces more bytes than the file holds");
            length = m_input.size() - m_pos;
        }
        token.kind = RtfToken::Kind::Binary;
        token.text = m_input.substr(m_pos, length);
        m_pos += length;
    }
    return token;
}

void RtfTokenizer::noteProblem(std::size_t offset, std::string_view what) {
    if (m_firstProblem.empty()) {
        m_problemOffset = offset;
        m_firstProblem =
            "byte " + std::to_string(m_firstOffset + offset) + ": " + std::string(what);
    }
}

} // namespace tarnel::richtext
