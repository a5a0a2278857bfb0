#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnel::ops {

enum class LetterCase { Match, Ignore };

// Finds a word in UTF-8 texts: byte for byte, or with each ASCII letter matching either of its
// cases (no other letter folds, so a Chinese word matches only byte for byte). Working on UTF-8,
// a match never starts or ends inside a character. Callable from any thread.
class WordFinder {
public:
    WordFinder(std::string word, LetterCase letterCase);

    const std::string& word() const { return m_word; }
    // An empty word occurs in every text.
    bool occursIn(std::string_view text) const { return find(text) != std::string_view::npos; }
    // Where the word first occurs in the text; npos when it does not.
    std::size_t find(std::string_view text) const;

private:
    std::size_t findIgnoringCase(std::string_view text) const;
    std::size_t findInShort(std::string_view text) const;

    std::string m_word;
    std::string m_folded; // lower case, for the case-blind compare
    LetterCase m_case;
    // What each byte compares as: itself, or folded when case is ignored.
    std::array<unsigned char, 256> m_compareAs{};
};

// ASCII letters in lower case, every other byte as it is.
char foldAscii(char c);

} // namespace tarnel::ops
