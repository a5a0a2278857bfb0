#include "store/record.h"

#include "store/table_format.h"

#include <algorithm>
#include <cstdio>

namespace tarnel::store {
namespace {

struct UnknownValue {
    std::string_view name;
    std::string_view value;
};

std::vector<UnknownValue> unknownValuesOf(const Record& record) {
    std::vector<UnknownValue> held;
    std::string_view rest = record.unknownValues();
    while (!rest.empty()) {
        std::size_t nameEnd = rest.find(table_format::kValueSeparator);
        if (nameEnd == std::string_view::npos) {
            break;
        }
        std::string_view name = rest.substr(0, nameEnd);
        rest.remove_prefix(nameEnd + 1);
        std::size_t valueEnd = rest.find(table_format::kValueSeparator);
        held.push_back({name, rest.substr(0, valueEnd)});
        rest.remove_prefix(valueEnd == std::string_view::npos ? rest.size() : valueEnd + 1);
    }
    return held;
}

// How many columns before the given one carry the same name.
std::size_t occurrenceOf(const std::vector<UnknownColumn>& columns, std::size_t index) {
    return static_cast<std::size_t>(
        std::count_if(columns.begin(), columns.begin() + static_cast<std::ptrdiff_t>(index),
                      [&](const UnknownColumn& c) { return c.name == columns[index].name; }));
}

std::string_view heldValue(const std::vector<UnknownValue>& held, std::string_view name,
                           std::size_t occurrence) {
    for (const UnknownValue& value : held) {
        if (value.name == name && occurrence-- == 0) {
            return value.value;
        }
    }
    return {};
}

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

std::string_view Record::unknownValues() const {
    return std::string_view(m_text).substr(attributesEnd());
}

void Record::setUnknownValues(std::string_view pairs) {
    m_text.resize(attributesEnd());
    m_text += pairs;
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
        bool known = false;
        for (std::size_t attribute = 0; attribute < names.size() && !known; ++attribute) {
            if (map.columns[attribute] < 0 && header[column] == names[attribute]) {
                map.columns[attribute] = static_cast<int>(column);
                known = true;
            }
        }
        if (!known) {
            map.unknown.push_back({column, header[column]});
        }
    }
    return map;
}

std::vector<std::string> decodedHeader(RawRow row) {
    std::vector<std::string> header;
    header.reserve(row.size());
    for (std::string_view name : row) {
        header.push_back(decodeValue(name));
    }
    return header;
}

std::vector<std::string> headerOf(std::span<const std::string_view> names) {
    return std::vector<std::string>(names.begin(), names.end());
}

namespace {

void keepUnknownValues(RawRow row, const ColumnMap& map, Record& record) {
    std::string pairs;
    bool anyValue = false;
    for (const UnknownColumn& column : map.unknown) {
        std::string_view value = column.column < row.size() ? row[column.column] : "";
        anyValue = anyValue || !value.empty();
        if (!pairs.empty()) {
            pairs += table_format::kValueSeparator;
        }
        pairs += column.name;
        pairs += table_format::kValueSeparator;
        pairs += value;
    }
    if (anyValue) {
        record.setUnknownValues(pairs);
    }
}

} // namespace

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
    keepUnknownValues(row, map, record);
    return record;
}

int appendRecord(const Record& record, const ColumnMap& map, std::string& out) {
    std::vector<RowValue> values(map.headerSize);
    for (std::size_t attribute = 0; attribute < record.attributeCount(); ++attribute) {
        int column = map.columns[attribute];
        if (column >= 0 && static_cast<std::size_t>(column) < values.size()) {
            values[column].bytes = record.value(static_cast<int>(attribute));
        }
    }
    if (!map.unknown.empty() && !record.unknownValues().empty()) {
        std::vector<UnknownValue> held = unknownValuesOf(record);
        for (std::size_t i = 0; i < map.unknown.size(); ++i) {
            const UnknownColumn& column = map.unknown[i];
            if (column.column < values.size()) {
                values[column.column] = {heldValue(held, column.name, occurrenceOf(map.unknown, i)),
                                         ValueForm::Raw};
            }
        }
    }
    return appendRow(values, out);
}

void addColumnsForUnknownValues(const Record& record, std::vector<std::string>& header,
                                ColumnMap& map) {
    if (record.unknownValues().empty()) {
        return;
    }
    std::vector<UnknownValue> held = unknownValuesOf(record);
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i].value.empty()) {
            continue;
        }
        auto sameName = [&](std::string_view name) { return name == held[i].name; };
        auto occurrence = static_cast<std::size_t>(
            std::count_if(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(i),
                          [&](const UnknownValue& value) { return sameName(value.name); }));
        auto columnsNamed = static_cast<std::size_t>(
            std::count_if(map.unknown.begin(), map.unknown.end(),
                          [&](const UnknownColumn& column) { return sameName(column.name); }));
        for (; columnsNamed <= occurrence; ++columnsNamed) {
            header.emplace_back(held[i].name);
            map.unknown.push_back({header.size() - 1, std::string(held[i].name)});
        }
    }
    map.headerSize = header.size();
}

int appendHeader(std::span<const std::string> header, std::string& out) {
    std::vector<std::string_view> values(header.begin(), header.end());
    return appendRow(values, out);
}

} // namespace tarnel::store
