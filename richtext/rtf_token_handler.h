#pragma once

#include "richtext/rtf_tokenizer.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnel::richtext {

// What a read of rich text that ended with groups still open or met damage says about it, as
// the reader and the text extractor both give it; empty when neither happened.
inline std::string readProblemMessage(std::size_t openGroups, const std::string& firstProblem) {
    std::string message;
    if (openGroups > 0) {
        message = "the file ends inside " + std::to_string(openGroups) + " open group" +
                  (openGroups == 1 ? "" : "s");
    }
    if (!firstProblem.empty()) {
        message += message.empty() ? firstProblem : "; " + firstProblem;
    }
    return message;
}

// Appends the values of the \'hh in escapes to out, but for zeros, which are no character of any
// code page (writers pad with them); beforeFirst runs before the first byte appended, if any.
template <class BeforeFirst>
void appendHexBytes(std::string_view escapes, std::string& out, BeforeFirst beforeFirst) {
    const std::size_t count = escapes.size() / 4;
    std::size_t i = 0;
    while (i < count && hexByteAt(escapes, i) == 0) {
        ++i;
    }
    if (i == count) {
        return;
    }
    beforeFirst();
    // Room for every byte at once: a word in another script is a run of dozens.
    std::size_t size = out.size();
    out.resize(size + (count - i));
    for (; i < count; ++i) {
        if (const unsigned char byte = hexByteAt(escapes, i); byte != 0) {
            out[size++] = static_cast<char>(byte);
        }
    }
    out.resize(size);
}

// How the reader and the text extractor take each token: the fallback of a \uN is skipped, bytes
// (\'hh and the escaped \\, { and }, which may be the trail byte of a double-byte character) join
// the pending text, every other token first flushes it, and a group boundary ends a waiting
// surrogate. Derived (a friend of this base) provides takeText (literal text after the skipped
// fallback), takeHexBytes (the \'hh of a HexBytes token after the skipped fallback), takeByte,
// flushBytes, flushLoneSurrogate, pushGroup, popGroup, handleControlWord, handleControlSymbol
// and handleBinary.
template <class Derived> class RtfTokenHandler {
protected:
    void handle(const RtfToken& token) {
        using Kind = RtfToken::Kind;
        Derived& self = static_cast<Derived&>(*this);
        if (token.kind == Kind::Text) {
            handleText(token.text);
            return;
        }
        if (token.kind == Kind::HexBytes) {
            handleHexBytes(token.text);
            return;
        }
        bool escapedByte = token.kind == Kind::ControlSymbol &&
                           (token.symbol == '\\' || token.symbol == '{' || token.symbol == '}');
        if (token.kind == Kind::BadHex || escapedByte) {
            if (m_skipRemaining > 0) {
                --m_skipRemaining;
                return;
            }
            m_starred = false;
            self.takeByte(escapedByte ? static_cast<unsigned char>(token.symbol) : token.byte);
            return;
        }
        self.flushBytes();
        if (token.kind == Kind::GroupStart || token.kind == Kind::GroupEnd) {
            m_skipRemaining = 0;
            self.flushLoneSurrogate();
            if (token.kind == Kind::GroupStart) {
                self.pushGroup();
            } else {
                self.popGroup();
            }
            return;
        }
        if (m_skipRemaining > 0) {
            --m_skipRemaining;
            return;
        }
        switch (token.kind) {
        case Kind::ControlWord:
            self.handleControlWord(token);
            break;
        case Kind::ControlSymbol:
            self.handleControlSymbol(token.symbol);
            break;
        case Kind::Binary:
            self.handleBinary(token.text);
            break;
        default:
            break;
        }
    }

    // The \uN fallback still to pass over, counted in characters and tokens.
    int m_skipRemaining = 0;
    // A \* came before the next control word.
    bool m_starred = false;

private:
    // Each byte is one the fallback of a \uN may pass over.
    void handleHexBytes(std::string_view escapes) {
        const std::size_t count = escapes.size() / 4;
        std::size_t i = std::min(count, static_cast<std::size_t>(m_skipRemaining));
        m_skipRemaining -= static_cast<int>(i);
        if (i == count) {
            return;
        }
        m_starred = false;
        static_cast<Derived&>(*this).takeHexBytes(escapes.substr(4 * i));
    }

    void handleText(std::string_view text) {
        if (m_skipRemaining > 0) {
            std::size_t skipped = std::min(text.size(), static_cast<std::size_t>(m_skipRemaining));
            m_skipRemaining -= static_cast<int>(skipped);
            text.remove_prefix(skipped);
        }
        if (text.empty()) {
            return;
        }
        m_starred = false;
        static_cast<Derived&>(*this).takeText(text);
    }
};

} // namespace tarnel::richtext
