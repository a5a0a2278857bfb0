#pragma once

#include "richtext/document.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tarnel::richtext {

// Writes documents as rich text for old and new readers alike: every character outside printable
// ASCII as \uN followed by its GB18030 bytes as \'hh under fonts of \fcharset134 (what the
// rich-edit control writes on a Chinese system), lists in list tables with their number text
// for old readers, tables as rows of cells (nested ones as Word writes them), hyperlinks as
// HYPERLINK fields. The same document always gives the same bytes.
class RtfWriter {
public:
    // Takes the bytes in order, a piece at a time.
    using Sink = std::function<void(std::string_view piece)>;
    // About the size of each piece but the last: a few times the processor's cache, so that the
    // bytes are handed on while still in it and a large note never stands whole in fresh memory.
    static constexpr std::size_t kPieceBytes = 64 * 1024;

    std::string write(const Document& document) const;
    // The same bytes handed to the sink in pieces; returns how many there were in all.
    std::size_t write(const Document& document, const Sink& sink) const;
};

} // namespace tarnel::richtext
