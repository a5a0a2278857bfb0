#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnel::richtext {

struct RtfToken {
    enum class Kind {
        GroupStart,
        GroupEnd,
        // name holds the word without its backslash; parameter is 0 when hasParameter is false.
        ControlWord,
        // symbol holds the character after the backslash (\* \~ \- \_ \{ \} \\ ...).
        ControlSymbol,
        // \'hh: byte holds the value.
        HexByte,
        // Literal text between control items, without the line breaks the format ignores.
        Text,
        // The bytes that follow \binN.
        Binary,
        End,
    };

    Kind kind = Kind::End;
    std::string_view name;
    std::string_view text;
    std::int32_t parameter = 0;
    bool hasParameter = false;
    char symbol = 0;
    unsigned char byte = 0;
    // Where the token starts in the input.
    std::size_t offset = 0;
};

// Splits rich-text bytes into tokens, one at a time, without recursion or allocation; the views in
// a token point into the input, which must outlive the tokenizer. It never fails: damage is noted
// (firstProblem) and tokenizing goes on, and the end of the input yields End for ever after.
class RtfTokenizer {
public:
    // The input may be a piece of a file that starts at firstOffset there: firstProblem names
    // the offset in the file (the tokens' offsets stay those in the input).
    explicit RtfTokenizer(std::string_view input, std::size_t firstOffset = 0)
        : m_input(input), m_firstOffset(firstOffset) {}

    RtfToken next();

    // True when the input ended inside a control word's data (a \binN or \' cut short).
    bool truncated() const { return m_truncated; }
    // Empty when no damage was met; else a description of the first damage, with its offset.
    const std::string& firstProblem() const { return m_firstProblem; }
    // Where the first damage lies in the input; the input's size when none was met.
    std::size_t firstProblemOffset() const {
        return m_firstProblem.empty() ? m_input.size() : m_problemOffset;
    }

private:
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
