#include "update/file_record.h"

#include "platform/codepage.h"
#include "update/update_format.h"

#include <cstring>

namespace tarnel::update {
namespace {

// The text before the field's zero, or nullopt when the field has none.
std::optional<std::string_view> zeroTerminated(std::string_view bytes, std::size_t offset,
                                               std::size_t width) {
    std::string_view field = bytes.substr(offset, width);
    std::size_t zero = field.find('\0');
    if (zero == std::string_view::npos) {
        return std::nullopt;
    }
    return field.substr(0, zero);
}

std::int32_t readInt32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

void writeInt32(std::string& out, std::size_t offset, std::int32_t signedValue) {
    auto value = static_cast<std::uint32_t>(signedValue);
    for (std::size_t i = 0; i < 4; ++i) {
        out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

bool putField(std::string& out, std::size_t offset, std::size_t width, std::string_view text) {
    if (text.size() >= width || text.find('\0') != std::string_view::npos) {
        return false;
    }
    std::memcpy(out.data() + offset, text.data(), text.size());
    return true;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
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

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool isSafeTarget(std::string_view target) {
    if (target.empty() || isSeparator(target.front())) {
        return false;
    }
    if (target.size() >= 2 && isAsciiLetter(target[0]) && target[1] == ':') {
        return false;
    }
    for (char c : target) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    bool first = true;
    std::size_t start = 0;
    while (start <= target.size()) {
        std::size_t end = start;
        while (end < target.size() && !isSeparator(target[end])) {
            ++end;
        }
        std::string_view part = target.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        if (first && equalsIgnoringCase(part, kWorkFolder)) {
            return false;
        }
        first = false;
        start = end + 1;
    }
    return true;
}

bool isSafeSiteName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        if (c <= 0x20 || c >= 0x7F || std::strchr("/\\?#%", c) != nullptr) {
            return false;
        }
    }
    return true;
}

int tempNumber(std::string_view tempName) {
    if (tempName.size() <= kTempSuffix.size() || !tempName.ends_with(kTempSuffix)) {
        return 0;
    }
    std::string_view digits = tempName.substr(0, tempName.size() - kTempSuffix.size());
    if (digits.size() > 3 || digits.front() == '0') {
        return 0;
    }
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string tempNameFor(int number) {
    return std::to_string(number) + std::string(kTempSuffix);
}

std::optional<FileRecord> decodeFileRecord(std::string_view bytes, RecordOrigin origin) {
    if (bytes.size() != kRecordSize) {
        return std::nullopt;
    }
    auto site = zeroTerminated(bytes, kSiteNameOffset, kSiteNameWidth);
    auto target = zeroTerminated(bytes, kTargetOffset, kTargetWidth);
    auto temp = zeroTerminated(bytes, kTempNameOffset, kTempNameWidth);
    if (!site || !target || !temp || !isSafeSiteName(*site)) {
        return std::nullopt;
    }
    FileRecord record;
    record.siteName = std::string(*site);
    record.target = platform::gbToUtf8(*target);
    if (!isSafeTarget(record.target) || platform::utf8ToGb(record.target) != *target) {
        return std::nullopt;
    }
    if (origin == RecordOrigin::StateFile) {
        if (tempNumber(*temp) == 0) {
            return std::nullopt;
        }
        record.tempName = std::string(*temp);
    }
    record.size = readInt32(bytes, kSizeOffset);
    record.version = readInt32(bytes, kVersionOffset);
    record.keepWhole = readInt32(bytes, kKeepWholeOffset);
    if (record.size < 0) {
        return std::nullopt;
    }
    return record;
}

std::string encodeFileRecord(const FileRecord& record) {
    std::string out(kRecordSize, '\0');
    if (!putField(out, kSiteNameOffset, kSiteNameWidth, record.siteName) ||
        !putField(out, kTargetOffset, kTargetWidth, platform::utf8ToGb(record.target)) ||
        !putField(out, kTempNameOffset, kTempNameWidth, record.tempName)) {
        return {};
    }
    writeInt32(out, kSizeOffset, record.size);
    writeInt32(out, kVersionOffset, record.version);
    writeInt32(out, kKeepWholeOffset, record.keepWhole);
    return out;
}

bool sameEntry(const FileRecord& a, const FileRecord& b) {
    return a.siteName == b.siteName && a.version == b.version && a.target == b.target &&
           a.tempName == b.tempName;
}

std::filesystem::path targetPath(const std::filesystem::path& programDirectory,
                                 const FileRecord& record) {
    std::string relative = record.target;
    for (char& c : relative) {
        if (c == '\\') {
            c = '/';
        }
    }
    return programDirectory / relative;
}

bool mergesSettings(const FileRecord& record) {
    return record.keepWhole == 0 && record.target.ends_with("ini");
}

} // namespace tarnel::update
