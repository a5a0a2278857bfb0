#include "richtext/plain_text.h"

#include "platform/codepage.h"
#include "richtext/text_extractor.h"
#include "richtext/text_joiner.h"

#include <span>

namespace tarnel::richtext {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

class CollectedText : public TextSink {
public:
    explicit CollectedText(std::string& out) : m_out(out) {}

    bool text(std::string_view utf8) override {
        m_out += utf8;
        return true;
    }

private:
    std::string& m_out;
};

Paragraph paragraphOf(std::string_view line) {
    Paragraph paragraph;
    if (!line.empty()) {
        paragraph.content.emplace_back(TextRun{{}, std::string(line)});
    }
    return paragraph;
}

void joinRuns(const Paragraph& paragraph, TextJoiner& joiner) {
    for (const Inline& item : paragraph.content) {
        const TextRun* run = std::get_if<TextRun>(&item);
        if (run != nullptr && !run->format.hidden) {
            joiner.text(run->text);
        }
    }
}

// The marks a reader of the blocks' rich text meets, in its order.
void joinBlocks(std::span<const Paragraph> blocks, std::size_t tableLevel, TextJoiner& joiner);

void joinTable(const Table& table, std::size_t level, TextJoiner& joiner) {
    for (const TableRow& row : table.rows) {
        for (const TableCell& cell : row.cells) {
            // A cell's last block is the paragraph its end mark closes.
            std::span<const Paragraph> blocks = cell.paragraphs;
            bool endsWithParagraph = !blocks.empty() && !blocks.back().isTable();
            joinBlocks(endsWithParagraph ? blocks.first(blocks.size() - 1) : blocks, level, joiner);
            if (endsWithParagraph) {
                joinRuns(blocks.back(), joiner);
            }
            joiner.endCell(level);
        }
        joiner.endRow(level);
    }
}

void joinBlocks(std::span<const Paragraph> blocks, std::size_t tableLevel, TextJoiner& joiner) {
    for (const Paragraph& paragraph : blocks) {
        for (const Table& table : paragraph.table) {
            joinTable(table, tableLevel + 1, joiner);
        }
        if (!paragraph.isTable()) {
            joinRuns(paragraph, joiner);
            joiner.endParagraph(tableLevel);
        }
    }
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
    TextJoiner joiner(text);
    joinBlocks(document.paragraphs, 0, joiner);
    joiner.finish();
    return text;
}

// The text extractor gives the text of the document the reader would read, without the model.
PlainTextResult extractPlainText(std::string_view bytes) {
    PlainTextResult result;
    CollectedText collected(result.text);
    TextExtractor extractor(collected);
    extractor.feed(bytes);
    result.status = extractor.finish();
    result.source = extractor.source();
    result.message = extractor.message();
    return result;
}

} // namespace tarnel::richtext
