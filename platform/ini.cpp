#include "platform/ini.h"

#include "platform/codepage.h"

#include <cerrno>
#include <climits>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace tarnel::platform {
namespace {

// One line of the raw file: its bytes without the terminator, and the terminator itself.
struct Line {
    std::string_view text;
    std::string_view end;
};

std::vector<Line> splitLines(std::string_view data) {
    std::vector<Line> lines;
    while (!data.empty()) {
        std::size_t nl = data.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back({data, {}});
            break;
        }
        std::size_t textEnd = nl > 0 && data[nl - 1] == '\r' ? nl - 1 : nl;
        lines.push_back({data.substr(0, textEnd), data.substr(textEnd, nl + 1 - textEnd)});
        data.remove_prefix(nl + 1);
    }
    return lines;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names are compared as text, not as raw GB18030 bytes: a trail byte may be an ASCII letter.
bool sameName(std::string_view rawGbName, std::string_view utf8Name) {
    std::string a = gbToUtf8(trimmed(rawGbName));
    std::string_view b = trimmed(utf8Name);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string_view> sectionName(std::string_view line) {
    line = trimmed(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    std::size_t close = line.find(']');
    return close == std::string_view::npos ? line : line.substr(0, close);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return KeyLine{trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1))};
}

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a key stands in the file: the index of its section's header line, of the key's own line
// and of the section's last non-blank line; -1 for what is missing.
struct Location {
    long section = -1;
    long key = -1;
    long lastContent = -1;
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto index = static_cast<long>(i);
        if (auto name = sectionName(lines[i].text)) {
            if (inSection) {
                break;
            }
            inSection = sameName(*name, section);
            if (inSection) {
                where.section = index;
                where.lastContent = index;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!trimmed(lines[i].text).empty()) {
            where.lastContent = index;
        }
        if (auto kv = keyLine(lines[i].text); kv && sameName(kv->key, key)) {
            where.key = index;
            break;
        }
    }
    return where;
}

std::string_view lineEndingOf(const std::vector<Line>& lines) {
    for (const auto& line : lines) {
        if (!line.end.empty()) {
            return line.end;
        }
    }
    return "\n";
}

// A name as sameName compares it: trimmed, ASCII letters in lower case.
std::string foldedName(std::string_view utf8Name) {
    std::string folded(trimmed(utf8Name));
    for (char& c : folded) {
        c = asciiLower(c);
    }
    return folded;
}

bool holdsLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

IniFile::IniFile(std::filesystem::path path, const FileSystem& fileSystem)
    : m_path(std::move(path)), m_fileSystem(fileSystem) {}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t bufferSize) const {
    std::string data;
    std::string_view found = {};
    bool haveValue = false;
    if (m_fileSystem.readFile(m_path, data) == 0) {
        auto lines = splitLines(data);
        Location where = locate(lines, section, key);
        if (where.key >= 0) {
            found = unquoted(keyLine(lines[static_cast<std::size_t>(where.key)].text)->value);
            haveValue = true;
        }
    }
    std::size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
    if (!haveValue) {
        return cutUtf8ToGbBytes(defaultValue, limit);
    }
    return gbToUtf8(cutGb(found, limit));
}

std::vector<std::string> IniFile::readStrings(std::string_view section,
                                              std::span<const std::string_view> keys,
                                              std::string_view defaultValue,
                                              std::size_t bufferSize) const {
    std::string data;
    // The first key of each name in the first section of that name, as locate finds it.
    std::map<std::string, std::string_view> values;
    if (m_fileSystem.readFile(m_path, data) == 0) {
        bool inSection = false;
        for (const Line& line : splitLines(data)) {
            if (auto name = sectionName(line.text)) {
                if (inSection) {
                    break;
                }
                inSection = sameName(*name, section);
                continue;
            }
            if (auto kv = keyLine(line.text); inSection && kv) {
                values.try_emplace(foldedName(gbToUtf8(kv->key)), unquoted(kv->value));
            }
        }
    }
    std::size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
    std::vector<std::string> out;
    out.reserve(keys.size());
    for (std::string_view key : keys) {
        auto found = values.find(foldedName(key));
        out.push_back(found == values.end() ? cutUtf8ToGbBytes(defaultValue, limit)
                                            : gbToUtf8(cutGb(found->second, limit)));
    }
    return out;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const {
    std::string data;
    if (m_fileSystem.readFile(m_path, data) != 0) {
        return false;
    }
    return locate(splitLines(data), section, key).key >= 0;
}

int IniFile::writeString(std::string_view section, std::string_view key,
                         std::string_view value) const {
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        trimmed(key).empty()) {
        return EINVAL;
    }
    std::string data;
    int readErr = m_fileSystem.readFile(m_path, data);
    if (readErr != 0 && readErr != ENOENT) {
        return readErr;
    }
    auto lines = splitLines(data);
    std::string_view eol = lineEndingOf(lines);
    Location where = locate(lines, section, key);
    std::string keyText = utf8ToGb(trimmed(key)) + "=" + utf8ToGb(value);

    bool appendSection = where.section < 0;
    std::string out;
    out.reserve(data.size() + keyText.size() + section.size() + 8);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto index = static_cast<long>(i);
        bool insertAfter = where.key < 0 && index == where.lastContent;
        std::string_view end = lines[i].end;
        // The last line may lack its terminator; it gets one only when something follows it.
        if (end.empty() && (insertAfter || appendSection)) {
            end = eol;
        }
        out.append(index == where.key ? std::string_view(keyText) : lines[i].text);
        out.append(end);
        if (insertAfter) {
            out.append(keyText).append(eol);
        }
    }
    if (appendSection) {
        out.append("[").append(utf8ToGb(trimmed(section))).append("]").append(eol);
        out.append(keyText).append(eol);
    }
    return m_fileSystem.writeFileAtomic(m_path, out, FileSystem::Access::OwnerOnly);
}

int profileInt(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    long long result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10 + (value[i] - '0');
        if (result > static_cast<long long>(INT_MAX) + 1) {
            result = static_cast<long long>(INT_MAX) + 1;
        }
    }
    result = negative ? -result : result;
    if (result > INT_MAX) {
        return INT_MAX;
    }
    return result < INT_MIN ? INT_MIN : static_cast<int>(result);
}

} // namespace tarnel::platform
