#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// What kind of point a content file makes, and how the views show it, per file extension.
namespace tarnel::store {

enum class PointKind { General, Web, Document };

inline constexpr int kNoIcon = -1;

struct DisplayType {
    std::string extension; // lower case, with the dot; empty for a name without extension
    PointKind kind = PointKind::Document;
    int icon = kNoIcon; // the view's icon for files of this type; kNoIcon until one is known
};

// Looked up once per extension and kept for the life of the knowledge base. The icon lookup
// belongs to the main window, which installs it; without one every type has kNoIcon. The
// references returned stay valid for the life of the object. User-interface thread only.
class DisplayTypes {
public:
    using IconLookup = std::function<int(std::string_view extension)>;

    void setIconLookup(IconLookup lookup) { m_iconLookup = std::move(lookup); }

    // The type of a content file by the extension of its name (".rtf" general, ".mht" web,
    // anything else a document; letters compared without regard to case).
    const DisplayType& of(std::string_view fileName);

    std::size_t size() const { return m_types.size(); }

private:
    std::unordered_map<std::string, DisplayType> m_types;
    IconLookup m_iconLookup;
};

// The extension of a file name in lower case with its dot, or empty.
std::string lowerExtension(std::string_view fileName);

} // namespace tarnel::store
