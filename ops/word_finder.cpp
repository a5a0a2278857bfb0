#include "ops/word_finder.h"

#include <cstring>

namespace tarnel::ops {

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

WordFinder::WordFinder(std::string word, LetterCase letterCase)
    : m_word(std::move(word)), m_folded(m_word), m_case(letterCase) {
    for (char& c : m_folded) {
        c = foldAscii(c);
    }
    for (int byte = 0; byte < 256; ++byte) {
        char c = static_cast<char>(byte);
        m_compareAs[byte] =
            static_cast<unsigned char>(letterCase == LetterCase::Ignore ? foldAscii(c) : c);
    }
}

// Titles are short: a plain loop over them beats the set-up of memchr and memcmp per candidate.
constexpr std::size_t kShortText = 64;

std::size_t WordFinder::find(std::string_view text) const {
    if (m_word.empty()) {
        return 0;
    }
    if (text.size() <= kShortText) {
        return findInShort(text);
    }
    return m_case == LetterCase::Match ? text.find(m_word) : findIgnoringCase(text);
}

std::size_t WordFinder::findInShort(std::string_view text) const {
    const std::size_t length = m_folded.size();
    if (text.size() < length) {
        return std::string_view::npos;
    }
    const std::string& word = m_case == LetterCase::Match ? m_word : m_folded;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const auto first = static_cast<unsigned char>(word[0]);
    const auto last = static_cast<unsigned char>(word[length - 1]);
    for (std::size_t at = 0; at + length <= text.size(); ++at) {
        if (m_compareAs[bytes[at]] != first || m_compareAs[bytes[at + length - 1]] != last) {
            continue;
        }
        std::size_t i = 1;
        while (i + 1 < length &&
               m_compareAs[bytes[at + i]] == static_cast<unsigned char>(word[i])) {
            ++i;
        }
        if (i + 1 >= length) {
            return at;
        }
    }
    return std::string_view::npos;
}

// Candidates are found by memchr on both forms of the first byte, then the rest is compared
// folded: titles and texts are scanned at memory speed, not byte by byte.
std::size_t WordFinder::findIgnoringCase(std::string_view text) const {
    const std::size_t length = m_folded.size();
    if (text.size() < length) {
        return std::string_view::npos;
    }
    const char lower = m_folded[0];
    const char upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - 'a' + 'A') : lower;
    const char* begin = text.data();
    const char* last = begin + (text.size() - length); // the last place a match can start
    const char* nextLower = begin;
    const char* nextUpper = lower == upper ? nullptr : begin;
    auto next = [last](const char* from, char c) -> const char* {
        if (from == nullptr || from > last) {
            return nullptr;
        }
        return static_cast<const char*>(
            std::memchr(from, c, static_cast<std::size_t>(last - from) + 1));
    };
    nextLower = next(nextLower, lower);
    nextUpper = next(nextUpper, upper);
    while (nextLower != nullptr || nextUpper != nullptr) {
        bool lowerFirst = nextUpper == nullptr || (nextLower != nullptr && nextLower < nextUpper);
        const char* at = lowerFirst ? nextLower : nextUpper;
        std::size_t i = 1;
        while (i < length && foldAscii(at[i]) == m_folded[i]) {
            ++i;
        }
        if (i == length) {
            return static_cast<std::size_t>(at - begin);
        }
        if (lowerFirst) {
            nextLower = next(at + 1, lower);
        } else {
            nextUpper = next(at + 1, upper);
        }
    }
    return std::string_view::npos;
}

} // namespace tarnel::ops
