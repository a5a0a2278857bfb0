#include "richtext/plain_text.h"

#include "platform/codepage.h"

namespace tarnel::richtext {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

Paragraph paragraphOf(std::string_view line) {
    Paragraph paragraph;
    if (!line.empty()) {
        paragraph.content.emplace_back(TextRun{{}, std::string(line)});
    }
    return paragraph;
}

} // namespace

std::string decodePlainText(std::string_view bytes) {
    if (platform::isValidUtf8(bytes)) {
        if (bytes.starts_with(kUtf8ByteOrderMark)) {
            bytes.remove_prefix(kUtf8ByteOrderMark.size());
        }
        return std::string(bytes);
    }
    return platform::gbToUtf8(bytes);
}

Document documentFromPlainText(std::string_view bytes) {
    std::string text = decodePlainText(bytes);
    // A zero byte is no character a document can hold.
    std::erase(text, '\0');
    Document document;
    std::string_view rest = text;
    while (!rest.empty()) {
        std::size_t end = rest.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            document.paragraphs.push_back(paragraphOf(rest));
            break;
        }
        document.paragraphs.push_back(paragraphOf(rest.substr(0, end)));
        std::size_t breakLength = rest.substr(end, 2) == "\r\n" ? 2 : 1;
        rest.remove_prefix(end + breakLength);
    }
    return document;
}

std::string documentText(const Document& document) {
    std::string text;
    bool first = true;
    for (const Paragraph& paragraph : document.paragraphs) {
        if (!first) {
            text += '\n';
        }
        first = false;
        for (const Inline& item : paragraph.content) {
            const TextRun* run = std::get_if<TextRun>(&item);
            if (run != nullptr && !run->format.hidden) {
                text += run->text;
            }
        }
    }
    return text;
}

PlainTextResult extractPlainText(std::string_view bytes) {
    ReadResult read = RtfReader(ReadOptions{PictureData::Omit}).read(bytes);
    PlainTextResult result;
    result.text = documentText(read.document);
    result.source = read.source;
    result.status = read.status;
    result.message = std::move(read.message);
    return result;
}

} // namespace tarnel::richtext
