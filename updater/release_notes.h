#pragma once

#include <string_view>

class QTextDocument;

namespace tarnel::updater {

// Fills the document with the release notes, read as rich text (plain text when they are not):
// paragraphs with their alignment and indents, runs with their character formats, PNG and JPEG
// pictures. Links of the file and web addresses in the text ("http://", "https://", "www.")
// become anchors.
void fillReleaseNotes(QTextDocument& document, std::string_view bytes);

} // namespace tarnel::updater
