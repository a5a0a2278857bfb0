#include "store/display_types.h"

namespace tarnel::store {

std::string lowerExtension(std::string_view fileName) {
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string extension(fileName.substr(dot));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

const DisplayType& DisplayTypes::of(std::string_view fileName) {
    std::string extension = lowerExtension(fileName);
    auto it = m_types.find(extension);
    if (it != m_types.end()) {
        return it->second;
    }
    DisplayType type;
    type.extension = extension;
    if (extension == ".rtf") {
        type.kind = PointKind::General;
    } else if (extension == ".mht") {
        type.kind = PointKind::Web;
    }
    if (m_iconLookup) {
        type.icon = m_iconLookup(extension);
    }
    return m_types.emplace(extension, std::move(type)).first->second;
}

} // namespace tarnel::store
