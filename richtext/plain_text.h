#pragma once

#include "richtext/document.h"
#include "richtext/rtf_reader.h"

#include <string>
#include <string_view>

namespace tarnel::richtext {

// Decodes the bytes of a plain-text file as the rich-edit control does: UTF-8 when they are valid
// UTF-8 (a leading byte-order mark dropped), else GB18030.
std::string decodePlainText(std::string_view bytes);

// A plain-text file as a document: one paragraph per line (CR LF, CR or LF ends a line; a final
// line break adds no empty paragraph), in the default format; zero bytes are left out.
Document documentFromPlainText(std::string_view bytes);

// The visible text of a document: paragraphs as lines joined by '\n' (a line break inside a
// paragraph is '\n' too), tabs kept; a table row as one line with its cells separated by a tab
// (see TextJoiner); pictures and hidden text left out.
std::string documentText(const Document& document);

struct PlainTextResult {
    std::string text;
    SourceFormat source = SourceFormat::Rtf;
    ReadStatus status = ReadStatus::Complete;
    std::string message;
};

// The visible text of a rich-text or plain-text file's bytes, for content search and previews.
// A damaged or truncated file gives the text that could be read, with the status saying so.
PlainTextResult extractPlainText(std::string_view bytes);

} // namespace tarnel::richtext
