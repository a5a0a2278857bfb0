#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::store {

// Results of loading a markup document.
inline constexpr int kMarkupOk = 0;
inline constexpr int kMarkupFileMissing = 1;
inline constexpr int kMarkupCannotOpen = 2;
inline constexpr int kMarkupReadError = 3;
inline constexpr int kMarkupMalformed = 4;

struct MarkupAttribute {
    std::string name;
    std::string value;
};

// One element of a markup document. Names, texts and values are UTF-8; texts and values have
// their entities decoded. An element belongs to its document and lives as long as it is loaded.
class MarkupElement {
public:
    const std::string& name() const { return m_name; }
    // Empty when the element has no text.
    const std::string& text() const { return m_text; }
    // Sorted by name, byte-wise; of two attributes with one name the first written comes first.
    const std::vector<MarkupAttribute>& attributes() const { return m_attributes; }
    // The enclosing element, nullptr for a top-level element.
    const MarkupElement* parent() const { return m_parent; }
    int depth() const { return m_depth; }
    int childCount() const { return m_childCount; }

private:
    friend class MarkupDocument;

    std::string m_name;
    std::string m_text;
    std::vector<MarkupAttribute> m_attributes;
    MarkupElement* m_parent = nullptr;
    int m_depth = 0;
    int m_childCount = 0;
    std::size_t m_index = 0;
};

// A forgiving, line-oriented reader of the element-and-attribute markup the program writes for
// itself (the skin description). It keeps every element in document order and an index by name;
// it never writes. The file is read in pieces of at most 1023 bytes, each ending at a line end or
// on a character boundary; a tag may run over several pieces, which are joined with nothing
// between them. Without a declaration naming "utf-8" the bytes are GB18030. Not thread-safe; the
// file system must outlive the document.
class MarkupDocument {
public:
    explicit MarkupDocument(const platform::FileSystem& fileSystem = platform::realFileSystem());
    MarkupDocument(const MarkupDocument&) = delete;
    MarkupDocument& operator=(const MarkupDocument&) = delete;

    // Empties the document and resets the encoding to "gb2312".
    void clear();

    // Reads the file: kMarkupOk, kMarkupFileMissing, kMarkupCannotOpen, kMarkupReadError or
    // kMarkupMalformed. On a failure the document is left empty.
    int loadFile(const std::filesystem::path& path);
    // Reads a document held in memory: kMarkupOk or kMarkupMalformed.
    int loadBytes(std::string_view bytes);

    // The 1-based line on which the last load found the document malformed (an element left open
    // is found on the last line), 0 after a load without that failure.
    int failureLine() const { return m_failureLine; }

    // The declaration's encoding, lower-cased; "gb2312" when there was none.
    const std::string& encoding() const { return m_encoding; }
    // True when the declaration named exactly "utf-8".
    bool isUtf8() const { return m_utf8; }

    std::size_t size() const { return m_elements.size(); }
    const MarkupElement& element(std::size_t index) const { return *m_elements[index]; }

    // Appends to out, in document order, every element of that name whose parent is parentFilter
    // (any parent when parentFilter is nullptr) and whose depth is depthFilter (any when -1).
    void findElements(std::string_view name, const MarkupElement* parentFilter, int depthFilter,
                      std::vector<const MarkupElement*>& out) const;

    // The first attribute of that name (exact comparison), nullptr when absent.
    static const MarkupAttribute* attributeOf(const MarkupElement& element, std::string_view name);

    // The element's position in document order, -1 when it is not an element of this document.
    int indexOf(const MarkupElement& element) const;

    // Appends the elements inside the given one in document order: all levels, or only its own
    // children when allLevels is false.
    void descendantsOf(const MarkupElement& element, bool allLevels,
                       std::vector<const MarkupElement*>& out) const;

private:
    class Reader;

    const platform::FileSystem* m_fileSystem;
    std::string m_encoding;
    bool m_utf8 = false;
    int m_failureLine = 0;
    std::vector<std::unique_ptr<MarkupElement>> m_elements;
    std::map<std::string, std::vector<std::size_t>, std::less<>> m_byName;
};

} // namespace tarnel::store
