#include "update/settings_merge.h"

#include <algorithm>
#include <vector>

namespace tarnel::update {
namespace {

struct UserKey {
    std::string name;
    std::string line;
    std::string value;
};

struct UserSection {
    std::string name;
    std::string header;
    std::vector<UserKey> keys;
};

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        out.push_back(line);
        if (nl == std::string_view::npos) {
            break;
        }
        text.remove_prefix(nl + 1);
    }
    return out;
}

std::string_view trimmedOf(std::string_view s, std::string_view blanks) {
    std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

std::string_view spacesTrimmed(std::string_view s) {
    return trimmedOf(s, " ");
}

std::string folded(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

bool isSectionLine(std::string_view trimmed) {
    return trimmed.find('[') != std::string_view::npos &&
           trimmed.find(']') != std::string_view::npos;
}

std::string sectionNameOf(std::string_view trimmed) {
    std::size_t first = trimmed.find_first_not_of('[');
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = trimmed.find_last_not_of(']');
    return folded(trimmedOf(trimmed.substr(first, last - first + 1), " \t"));
}

std::string keyNameOf(std::string_view line) {
    return folded(trimmedOf(line.substr(0, line.find('=')), " \t"));
}

// The user's file as the profile functions see it: the first section of a name holds, and in
// it the first key of a name.
std::vector<UserSection> userSections(std::string_view text) {
    std::vector<UserSection> sections;
    UserSection* current = nullptr;
    for (std::string_view line : lines(text)) {
        std::string_view trimmed = trimmedOf(line, " \t");
        if (!trimmed.empty() && trimmed.front() == '[') {
            std::string name = sectionNameOf(trimmed);
            auto found = std::find_if(sections.begin(), sections.end(),
                                      [&](const UserSection& s) { return s.name == name; });
            current = nullptr;
            if (found == sections.end()) {
                sections.push_back({name, std::string(trimmed), {}});
                current = &sections.back();
            }
            continue;
        }
        std::size_t eq = line.find('=');
        if (current == nullptr || eq == std::string_view::npos || trimmed.front() == ';') {
            continue;
        }
        std::string key = keyNameOf(line);
        bool known = std::any_of(current->keys.begin(), current->keys.end(),
                                 [&](const UserKey& k) { return k.name == key; });
        if (!key.empty() && !known) {
            current->keys.push_back(
                {key, std::string(trimmed), std::string(trimmedOf(line.substr(eq + 1), " \t"))});
        }
    }
    return sections;
}

UserSection* findSection(std::vector<UserSection>& sections, const std::string& name) {
    auto found = std::find_if(sections.begin(), sections.end(),
                              [&](const UserSection& s) { return s.name == name; });
    return found == sections.end() ? nullptr : &*found;
}

} // namespace

std::string mergedSettings(std::string_view newText, std::string_view userText) {
    std::vector<UserSection> user = userSections(userText);
    std::vector<std::string> seenSections;
    std::vector<std::string> seenKeys;
    UserSection* current = nullptr;
    std::string out;

    auto closeSection = [&] {
        if (current != nullptr) {
            for (const auto& key : current->keys) {
                if (std::find(seenKeys.begin(), seenKeys.end(), key.name) == seenKeys.end()) {
                    out.append(key.line).append("\n");
                }
            }
        }
        seenKeys.clear();
    };

    for (std::string_view line : lines(newText)) {
        std::string_view trimmed = spacesTrimmed(line);
        if (isSectionLine(trimmed)) {
            closeSection();
            std::string name = sectionNameOf(trimmed);
            bool repeated =
                std::find(seenSections.begin(), seenSections.end(), name) != seenSections.end();
            seenSections.push_back(name);
            current = repeated ? nullptr : findSection(user, name);
            out.append(line).append("\n");
            continue;
        }
        if (trimmed.find('=') == std::string_view::npos) {
            continue;
        }
        std::string key = keyNameOf(line);
        seenKeys.push_back(key);
        const UserKey* mine = nullptr;
        if (current != nullptr) {
            for (const auto& candidate : current->keys) {
                if (candidate.name == key) {
                    mine = &candidate;
                    break;
                }
            }
        }
        if (mine != nullptr && !mine->value.empty()) {
            out.append(spacesTrimmed(line.substr(0, line.find('=')))).append("=");
            out.append(mine->value).append("\n");
        } else {
            out.append(line).append("\n");
        }
    }
    closeSection();

    for (const auto& section : user) {
        if (std::find(seenSections.begin(), seenSections.end(), section.name) !=
            seenSections.end()) {
            continue;
        }
        out.append(section.header).append("\n");
        for (const auto& key : section.keys) {
            out.append(key.line).append("\n");
        }
    }
    return out;
}

int mergeSettingsFile(const std::filesystem::path& newFile,
                      const std::filesystem::path& existingFile,
                      const platform::FileSystem& fileSystem) {
    std::string newText;
    std::string userText;
    if (int err = fileSystem.readFile(newFile, newText)) {
        return err;
    }
    if (int err = fileSystem.readFile(existingFile, userText)) {
        return err;
    }
    return fileSystem.writeFileAtomic(newFile, mergedSettings(newText, userText));
}

} // namespace tarnel::update
