#include "store/record.h"

#include <algorithm>
#include <cstdio>

namespace tarnel::store {
namespace {

bool isAsciiText(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

Record::Record(std::size_t attributeCount)
    : m_count(static_cast<std::uint8_t>(std::min(attributeCount, kMaxAttributes))) {}

std::string_view Record::value(int index) const {
    if (index < 0 || index >= m_count) {
        return {};
    }
    std::uint32_t begin = index == 0 ? 0 : m_ends[index - 1];
    return std::string_view(m_text).substr(begin, m_ends[index] - begin);
}

void Record::setValue(int index, std::string_view value) {
    if (index < 0 || index >= m_count) {
        return;
    }
    std::uint32_t begin = index == 0 ? 0 : m_ends[index - 1];
    std::uint32_t oldLength = m_ends[index] - begin;
    m_text.replace(begin, oldLength, value);
    auto delta = static_cast<std::int64_t>(value.size()) - oldLength;
    for (int i = index; i < m_count; ++i) {
        m_ends[i] = static_cast<std::uint32_t>(m_ends[i] + delta);
    }
}

void Record::assign(std::span<const std::string_view> values) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < m_count && i < values.size(); ++i) {
        total += values[i].size();
    }
    m_text.clear();
    m_text.reserve(total);
    for (std::size_t i = 0; i < m_count; ++i) {
        if (i < values.size()) {
            m_text += values[i];
        }
        m_ends[i] = static_cast<std::uint32_t>(m_text.size());
    }
}

long long Record::integer(int index, long long fallback) const {
    return parseInteger(value(index), fallback);
}

void Record::setInteger(int index, long long value) {
    setValue(index, decimal(value));
}

long long parseInteger(std::string_view text, long long fallback) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
        return fallback;
    }
    unsigned long long magnitude = 0;
    constexpr unsigned long long kLimit = 1ULL << 62;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude < kLimit) {
            magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
        }
    }
    magnitude = std::min(magnitude, kLimit);
    auto result = static_cast<long long>(magnitude);
    return negative ? -result : result;
}

std::string decimal(long long value) {
    char buffer[24];
    int n = std::snprintf(buffer, sizeof buffer, "%lld", value);
    return std::string(buffer, static_cast<std::size_t>(n));
}

ColumnMap mapColumns(std::span<const std::string> header, std::span<const std::string_view> names) {
    ColumnMap map;
    map.columns.fill(-1);
    map.headerSize = header.size();
    for (std::size_t column = 0; column < header.size(); ++column) {
        for (std::size_t attribute = 0; attribute < names.size(); ++attribute) {
            if (map.columns[attribute] < 0 && header[column] == names[attribute]) {
                map.columns[attribute] = static_cast<int>(column);
            }
        }
    }
    return map;
}

std::vector<std::string> headerOf(std::span<const std::string_view> names) {
    return std::vector<std::string>(names.begin(), names.end());
}

Record recordFromRow(RawRow row, const ColumnMap& map, std::size_t attributeCount) {
    std::array<std::string_view, kMaxAttributes> values{};
    // Texts outside ASCII are converted; the rest are taken as they stand in the file.
    std::array<std::string, kMaxAttributes> converted;
    for (std::size_t attribute = 0; attribute < attributeCount; ++attribute) {
        int column = map.columns[attribute];
        if (column < 0 || static_cast<std::size_t>(column) >= row.size()) {
            continue;
        }
        std::string_view value = row[column];
        if (isAsciiText(value)) {
            values[attribute] = value;
        } else {
            converted[attribute] = decodeValue(value);
            values[attribute] = converted[attribute];
        }
    }
    Record record(attributeCount);
    record.assign(std::span<const std::string_view>(values.data(), attributeCount));
    return record;
}

int appendRecord(const Record& record, const ColumnMap& map, std::string& out) {
    std::vector<std::string_view> values(map.headerSize);
    for (std::size_t attribute = 0; attribute < record.attributeCount(); ++attribute) {
        int column = map.columns[attribute];
        if (column >= 0 && static_cast<std::size_t>(column) < values.size()) {
            values[column] = record.value(static_cast<int>(attribute));
        }
    }
    return appendRow(values, out);
}

int appendHeader(std::span<const std::string> header, std::string& out) {
    std::vector<std::string_view> values(header.begin(), header.end());
    return appendRow(values, out);
}

} // namespace tarnel::store
