#pragma once

#include "richtext/document.h"

#include <string>

namespace tarnel::richtext {

// Writes documents as rich text for old and new readers alike: every character outside printable
// ASCII as \uN followed by its GB18030 bytes as \'hh under fonts of \fcharset134 (what the
// rich-edit control writes on a Chinese system), lists in list tables with their number text
// for old readers, tables as rows of cells (nested ones as Word writes them), hyperlinks as
// HYPERLINK fields. The same document always gives the same bytes.
class RtfWriter {
public:
    std::string write(const Document& document) const;
};

} // namespace tarnel::richtext
