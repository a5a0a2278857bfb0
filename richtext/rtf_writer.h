#pragma once

#include "richtext/document.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// Writes a document while its top-level blocks are still being made: each block handed over is
// written, on a thread of its own, while the next ones are made, and the bytes, the same the
// writer gives for the whole document, go to the sink once the last is in (the header names
// every font, colour and list of the document, so it is written last and sent first, and the
// body waits in memory until then). Should a block name a list level whose style only a later
// item gives, the whole document is written again at the end. The blocks are made in place in
// the vector given, which must have room reserved for every one of them, so that a block handed
// over never moves; the document finished is the one that vector belongs to.
class RtfStreamWriter {
public:
    using Sink = RtfWriter::Sink;

    explicit RtfStreamWriter(const std::vector<Paragraph>& blocks);
    ~RtfStreamWriter();
    RtfStreamWriter(const RtfStreamWriter&) = delete;
    RtfStreamWriter& operator=(const RtfStreamWriter&) = delete;

    // The first count blocks are complete and stay as they are until finish.
    void ready(std::size_t count);
    // Every block is in: writes the document through the sink; returns how many bytes there were.
    std::size_t finish(const Document& document, const Sink& sink);

private:
    struct Stream;
    void stop();

    std::unique_ptr<Stream> m_stream;
};

} // namespace tarnel::richtext
