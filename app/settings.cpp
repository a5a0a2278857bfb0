#include "app/settings.h"

#include <algorithm>

namespace tarnel::app {

int tabAlignmentFlag(int tabPosition) {
    switch (tabPosition) {
    case 1:
        return 2;
    case 2:
        return 4;
    default:
        return 1;
    }
}

std::filesystem::path backgroundPicturePath(const Settings& settings) {
    std::string relative = settings.bkPic;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return settings.programDirectory.string() + relative;
}

std::string searchDocTypeForFile(const std::string& inMemory) {
    std::string_view text = inMemory;
    if (!text.empty() && text.front() == ',') {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.back() == ',') {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string searchDocTypeInMemory(const std::string& fromFile) {
    std::string lower = fromFile;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return "," + lower + ",";
}

} // namespace tarnel::app
