#pragma once

#include <memory>
#include <string>

namespace tarnel::richtext {

// An immutable text that its copies share: a font name or a link target that thousands of runs
// name costs its length once, so a document's size stays linear in the file it was read from.
// Compares by content. Copies may be used from different threads.
class SharedText {
public:
    SharedText() = default;
    // Implicit, so that a format's texts are set like strings.
    SharedText(std::string text)
        : m_text(text.empty() ? nullptr : std::make_shared<const std::string>(std::move(text))) {}
    SharedText(const char* text) : SharedText(std::string(text)) {}

    const std::string& str() const { return m_text ? *m_text : noText(); }
    bool empty() const { return !m_text; }

    bool operator==(const SharedText& other) const {
        return m_text == other.m_text || str() == other.str();
    }
    bool operator==(const std::string& other) const { return str() == other; }
    bool operator==(const char* other) const { return str() == other; }

private:
    static const std::string& noText() {
        static const std::string kEmpty;
        return kEmpty;
    }

    std::shared_ptr<const std::string> m_text;
};

} // namespace tarnel::richtext
