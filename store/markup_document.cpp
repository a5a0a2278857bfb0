#include "store/markup_document.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cerrno>
#include <optional>

namespace tarnel::store {
namespace {

constexpr std::size_t kPieceBytes = 1023;
constexpr std::string_view kDefaultEncoding = "gb2312";

// The ampersand comes last, so that an escaped entity ("&amp;lt;") stays as written once.
constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
    {"&gt;", ">"}, {"&lt;", "<"}, {"&apos;", "'"}, {"&quot;", "\""}, {"&amp;", "&"}};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view withoutTrailing(std::string_view text, std::string_view characters) {
    std::size_t end = text.find_last_not_of(characters);
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t at = text.find(from);
    if (at == std::string::npos) {
        return;
    }
    std::string out;
    std::size_t done = 0;
    for (; at != std::string::npos; at = text.find(from, done)) {
        out.append(text, done, at - done);
        out.append(to);
        done = at + from.size();
    }
    out.append(text, done);
    text = std::move(out);
}

std::string decodedEntities(std::string_view raw) {
    std::string text(raw);
    if (text.find('&') != std::string::npos) {
        for (const auto& [entity, character] : kEntities) {
            replaceAll(text, entity, character);
        }
    }
    return text;
}

// The longest prefix of at most maxBytes bytes of UTF-8 that does not end inside a sequence.
std::size_t utf8Cut(std::string_view bytes, std::size_t maxBytes) {
    std::size_t cut = maxBytes;
    for (int back = 0; back < 3 && cut > 0; ++back) {
        if ((static_cast<unsigned char>(bytes[cut]) & 0xC0) != 0x80) {
            break;
        }
        --cut;
    }
    return cut == 0 ? maxBytes : cut;
}

} // namespace

// One pass over the bytes of a document. Every piece is decoded to UTF-8 before it is scanned,
// so names, texts and values are UTF-8 from the start.
class MarkupDocument::Reader {
public:
    explicit Reader(MarkupDocument& document) : m_document(document) {}

    int read(std::string_view bytes) {
        std::size_t line = 1;
        while (!bytes.empty()) {
            std::size_t length = nextPieceLength(bytes);
            std::string_view piece = bytes.substr(0, length);
            bytes.remove_prefix(length);
            m_line = static_cast<int>(line);
            if (!readPiece(piece)) {
                return kMarkupMalformed;
            }
            if (piece.back() == '\n') {
                ++line;
            }
        }
        if (m_current != nullptr || m_inTag) {
            m_document.m_failureLine = m_line;
            return kMarkupMalformed;
        }
        return kMarkupOk;
    }

private:
    // A piece ends after its line feed, or after at most 1023 bytes cut back to the last whole
    // character of the encoding in force.
    std::size_t nextPieceLength(std::string_view bytes) const {
        std::size_t lineEnd = bytes.find('\n');
        if (lineEnd != std::string_view::npos && lineEnd < kPieceBytes) {
            return lineEnd + 1;
        }
        if (bytes.size() <= kPieceBytes) {
            return bytes.size();
        }
        if (m_document.m_utf8) {
            return utf8Cut(bytes, kPieceBytes);
        }
        std::size_t cut = platform::cutGb(bytes, kPieceBytes).size();
        return cut == 0 ? kPieceBytes : cut;
    }

    bool readPiece(std::string_view raw) {
        if (!m_declarationSeen && raw.find("<?") != std::string_view::npos) {
            return readDeclaration(raw);
        }
        std::string piece = m_document.m_utf8 ? platform::validUtf8(raw) : platform::gbToUtf8(raw);
        return scan(piece, 0);
    }

    // The declaration names the encoding of everything after it. Without an encoding the
    // document keeps the default one and reading goes on.
    bool readDeclaration(std::string_view raw) {
        m_declarationSeen = true;
        std::string lower(raw);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        constexpr std::string_view kKey = "encoding=\"";
        std::size_t key = lower.find(kKey);
        if (key != std::string::npos) {
            std::size_t begin = key + kKey.size();
            std::size_t end = lower.find('"', begin);
            if (end != std::string::npos) {
                m_document.m_encoding =
                    platform::gbToUtf8(std::string_view(lower).substr(begin, end - begin));
                m_document.m_utf8 = m_document.m_encoding == "utf-8";
            }
        }
        // What follows the declaration on its line is read like any other text.
        std::size_t close = raw.find("?>", raw.find("<?"));
        if (close == std::string_view::npos) {
            return true;
        }
        std::string_view rest = raw.substr(close + 2);
        std::string piece =
            m_document.m_utf8 ? platform::validUtf8(rest) : platform::gbToUtf8(rest);
        return scan(piece, 0);
    }

    bool scan(std::string_view piece, std::size_t pos) {
        // The element started by the last tag on this piece, whose text may follow it here.
        MarkupElement* justStarted = nullptr;
        std::size_t textBegin = 0;
        if (m_inTag) {
            std::size_t close = piece.find('>');
            if (close == std::string_view::npos) {
                m_tag.append(withoutTrailing(piece, "\r\n\t"));
                return true;
            }
            m_tag.append(piece.substr(0, close));
            m_inTag = false;
            std::optional<MarkupElement*> started = handleTag(m_tag, m_tagLine);
            if (!started) {
                return false;
            }
            justStarted = *started;
            pos = textBegin = close + 1;
        }
        while (true) {
            std::size_t open = piece.find('<', pos);
            if (open == std::string_view::npos) {
                setTextIfNone(m_current, withoutTrailing(piece.substr(pos), "\r\n"));
                return true;
            }
            std::size_t close = piece.find('>', open + 1);
            if (close == std::string_view::npos) {
                m_inTag = true;
                m_tagLine = m_line;
                m_tag.assign(withoutTrailing(piece.substr(open), "\r\n\t"));
                return true;
            }
            std::string_view tag = piece.substr(open, close - open);
            if (justStarted != nullptr && tag.starts_with("</") &&
                endTagMatches(tag, *justStarted)) {
                setTextIfNone(justStarted, piece.substr(textBegin, open - textBegin));
            }
            std::optional<MarkupElement*> started = handleTag(tag, m_line);
            if (!started) {
                return false;
            }
            justStarted = *started;
            pos = textBegin = close + 1;
        }
    }

    static void setTextIfNone(MarkupElement* element, std::string_view text) {
        if (element != nullptr && element->m_text.empty()) {
            element->m_text = decodedEntities(text);
        }
    }

    static bool endTagMatches(std::string_view tag, const MarkupElement& element) {
        return tag.substr(2).starts_with(element.m_name);
    }

    // Handles the text of one tag, "<" included: nullopt when it is malformed, else the element
    // it started and left open (nullptr for a comment, an end tag or an empty element).
    std::optional<MarkupElement*> handleTag(std::string_view tag, int line) {
        std::optional<MarkupElement*> result = tagResult(tag);
        if (!result) {
            m_document.m_failureLine = line;
        }
        return result;
    }

    std::optional<MarkupElement*> tagResult(std::string_view tag) {
        if (tag.starts_with("<!--")) {
            return nullptr;
        }
        if (tag.size() < 3) {
            return std::nullopt;
        }
        if (tag.starts_with("</")) {
            if (m_current == nullptr || !endTagMatches(tag, *m_current)) {
                return std::nullopt;
            }
            m_current = m_current->m_parent;
            return nullptr;
        }
        return startTag(tag.substr(1));
    }

    std::optional<MarkupElement*> startTag(std::string_view body) {
        auto element = std::make_unique<MarkupElement>();
        std::size_t nameEnd = std::min(body.find_first_of(" \t"), body.size());
        std::string_view name = body.substr(0, nameEnd);
        bool empty = false;
        if (name.ends_with('/')) {
            name.remove_suffix(1);
            empty = true;
        }
        if (name.empty() || name.find_first_of("=\"<>") != std::string_view::npos) {
            return std::nullopt;
        }
        element->m_name = name;
        std::size_t pos = nameEnd;
        while (!empty) {
            while (pos < body.size() && isBlank(body[pos])) {
                ++pos;
            }
            if (pos >= body.size()) {
                break;
            }
            if (body[pos] == '/') {
                empty = true;
                break;
            }
            std::size_t equals = body.find('=', pos);
            if (equals == std::string_view::npos) {
                return std::nullopt;
            }
            std::size_t open = body.find('"', equals + 1);
            std::size_t close = open == std::string_view::npos ? open : body.find('"', open + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            element->m_attributes.push_back(
                {std::string(withoutTrailing(body.substr(pos, equals - pos), " \t")),
                 decodedEntities(body.substr(open + 1, close - open - 1))});
            pos = close + 1;
        }
        return addElement(std::move(element), empty);
    }

    MarkupElement* addElement(std::unique_ptr<MarkupElement> element, bool empty) {
        std::stable_sort(
            element->m_attributes.begin(), element->m_attributes.end(),
            [](const MarkupAttribute& a, const MarkupAttribute& b) { return a.name < b.name; });
        element->m_parent = m_current;
        if (m_current != nullptr) {
            element->m_depth = m_current->m_depth + 1;
            ++m_current->m_childCount;
        }
        element->m_index = m_document.m_elements.size();
        m_document.m_byName[element->m_name].push_back(element->m_index);
        MarkupElement* added = element.get();
        m_document.m_elements.push_back(std::move(element));
        if (empty) {
            return nullptr;
        }
        m_current = added;
        return added;
    }

    MarkupDocument& m_document;
    MarkupElement* m_current = nullptr;
    bool m_declarationSeen = false;
    bool m_inTag = false;
    std::string m_tag;
    int m_tagLine = 0;
    int m_line = 0;
};

MarkupDocument::MarkupDocument(const platform::FileSystem& fileSystem)
    : m_fileSystem(&fileSystem), m_encoding(kDefaultEncoding) {}

void MarkupDocument::clear() {
    m_elements.clear();
    m_byName.clear();
    m_encoding = kDefaultEncoding;
    m_utf8 = false;
}

int MarkupDocument::loadFile(const std::filesystem::path& path) {
    clear();
    m_failureLine = 0;
    if (!m_fileSystem->exists(path)) {
        return kMarkupFileMissing;
    }
    std::string bytes;
    int err = m_fileSystem->readFile(path, bytes);
    if (err == ENOENT) {
        return kMarkupFileMissing;
    }
    if (err == EACCES || err == EPERM || err == EISDIR) {
        return kMarkupCannotOpen;
    }
    if (err != 0) {
        return kMarkupReadError;
    }
    return loadBytes(bytes);
}

int MarkupDocument::loadBytes(std::string_view bytes) {
    clear();
    m_failureLine = 0;
    int result = Reader(*this).read(bytes);
    if (result != kMarkupOk) {
        clear();
    }
    return result;
}

void MarkupDocument::findElements(std::string_view name, const MarkupElement* parentFilter,
                                  int depthFilter, std::vector<const MarkupElement*>& out) const {
    auto found = m_byName.find(name);
    if (found == m_byName.end()) {
        return;
    }
    for (std::size_t index : found->second) {
        const MarkupElement& element = *m_elements[index];
        if ((parentFilter == nullptr || element.m_parent == parentFilter) &&
            (depthFilter == -1 || element.m_depth == depthFilter)) {
            out.push_back(&element);
        }
    }
}

const MarkupAttribute* MarkupDocument::attributeOf(const MarkupElement& element,
                                                   std::string_view name) {
    auto found = std::lower_bound(element.m_attributes.begin(), element.m_attributes.end(), name,
                                  [](const MarkupAttribute& attribute, std::string_view key) {
                                      return attribute.name < key;
                                  });
    if (found == element.m_attributes.end() || found->name != name) {
        return nullptr;
    }
    return &*found;
}

int MarkupDocument::indexOf(const MarkupElement& element) const {
    if (element.m_index >= m_elements.size() || m_elements[element.m_index].get() != &element) {
        return -1;
    }
    return static_cast<int>(element.m_index);
}

void MarkupDocument::descendantsOf(const MarkupElement& element, bool allLevels,
                                   std::vector<const MarkupElement*>& out) const {
    int index = indexOf(element);
    if (index < 0) {
        return;
    }
    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < m_elements.size(); ++i) {
        const MarkupElement& next = *m_elements[i];
        if (next.m_depth <= element.m_depth) {
            break;
        }
        if (allLevels || next.m_parent == &element) {
            out.push_back(&next);
        }
    }
}

} // namespace tarnel::store
