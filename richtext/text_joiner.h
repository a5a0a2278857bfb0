#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnel::richtext {

// Joins the visible text of a document's blocks the way search and previews read it: paragraphs
// as lines, a table row as one line with its cells separated by a tab, the paragraphs of a cell
// and the rows and cells of tables nested in it separated by a space. The separators wait until
// text follows, so that the document text and the text extracted from a file's stream, which
// both feed one joiner the same marks, come out alike: a paragraph end adds a line break outside
// tables and a space inside, a cell end turns the separators of its row so far into a tab, a row
// end into a line break, and the last line break of the document is no part of its text.
class TextJoiner {
public:
    explicit TextJoiner(std::string& out) : m_out(out) {}

    // Text of the paragraph being read.
    void text(std::string_view utf8) {
        if (!utf8.empty()) {
            takeSeparators() += utf8;
        }
    }
    // The string to append visible text to, after the separators that wait for it.
    std::string& takeSeparators() {
        if (!m_pending.empty()) {
            m_out += m_pending;
            m_pending.clear();
        }
        return m_out;
    }
    // The tableLevel is that of the cell the mark ends (0 outside tables).
    void endParagraph(std::size_t tableLevel) {
        if (tableLevel == 0) {
            m_pending += '\n';
        } else if (m_pending.empty()) {
            m_pending += ' ';
        }
    }
    void endCell(std::size_t tableLevel) {
        endParagraph(tableLevel);
        if (tableLevel == 1) {
            trimBlanks();
            m_pending += '\t';
        }
    }
    void endRow(std::size_t tableLevel) {
        if (tableLevel == 1) {
            trimBlanks();
            m_pending += '\n';
        } else if (m_pending.empty()) {
            m_pending += ' ';
        }
    }
    // The document has ended: what waits goes out but for the last line break.
    void finish() {
        if (!m_pending.empty() && m_pending.back() == '\n') {
            m_pending.pop_back();
        }
        takeSeparators();
    }

private:
    void trimBlanks() {
        while (!m_pending.empty() && (m_pending.back() == ' ' || m_pending.back() == '\t')) {
            m_pending.pop_back();
        }
    }

    std::string& m_out;
    std::string m_pending;
};

} // namespace tarnel::richtext
