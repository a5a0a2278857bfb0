#pragma once

#include "store/result_codes.h"
#include "store/table_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::store {

inline constexpr std::size_t kMaxAttributes = 15;

// A record's attribute values in UTF-8, addressed by the attribute index of its kind. Absent and
// empty are the same thing (both are written as an empty value). The values are kept back to back
// in one buffer, because a large base holds hundreds of thousands of point records.
//
// A record read from a file with columns its kind does not know also keeps those columns' values,
// as they stood in the file, each under its column's name, so that a save writes them back
// unchanged wherever the record is saved (see addColumnsForUnknownValues). They sit behind the
// attribute values in the same buffer: a record without them costs nothing more.
class Record {
public:
    Record() = default;
    explicit Record(std::size_t attributeCount);

    std::size_t attributeCount() const { return m_count; }

    // The value, or an empty view when absent or when the index is outside the kind's table.
    std::string_view value(int index) const;
    bool has(int index) const { return !value(index).empty(); }
    // Ignored for an index outside the kind's table.
    void setValue(int index, std::string_view value);
    void clear(int index) { setValue(index, {}); }

    // The decimal value read like the older programs did (leading blanks, sign, digits up to the
    // first other character); fallback when the value is absent or holds no digits.
    long long integer(int index, long long fallback = 0) const;
    void setInteger(int index, long long value);

    // Replaces every value at once, in attribute order (a record read from a file), and drops the
    // unknown columns' values; values past the kind's table are ignored.
    void assign(std::span<const std::string_view> values);

    // The unknown columns' values: "name\bvalue\bname\bvalue..." with 0x08 between the pieces,
    // names in UTF-8, values raw. Empty when the record holds none.
    std::string_view unknownValues() const;
    void setUnknownValues(std::string_view pairs);

private:
    std::uint32_t attributesEnd() const { return m_count == 0 ? 0 : m_ends[m_count - 1]; }

    std::string m_text;
    std::array<std::uint32_t, kMaxAttributes> m_ends{};
    std::uint8_t m_count = 0;
};

// A column of a file whose name no attribute of the kind has (or a second column of a name).
struct UnknownColumn {
    std::size_t column = 0;
    std::string name;
};

// For each attribute of a kind, its column in a file, or -1; and the file's other columns.
struct ColumnMap {
    std::array<int, kMaxAttributes> columns{};
    std::size_t headerSize = 0;
    std::vector<UnknownColumn> unknown; // in column order

    bool hasColumn(int attribute) const { return columns[attribute] >= 0; }
};

// Maps the header row's names onto the attribute names (exact, byte-wise comparison).
ColumnMap mapColumns(std::span<const std::string> header, std::span<const std::string_view> names);

// The column names of a file's header row, in UTF-8.
std::vector<std::string> decodedHeader(RawRow row);

// The header of a new file: every attribute name in table order.
std::vector<std::string> headerOf(std::span<const std::string_view> names);

// Fills a record of attributeCount attributes from a row of the file, with the values of the
// unknown columns when one of them is not empty.
Record recordFromRow(RawRow row, const ColumnMap& map, std::size_t attributeCount);

// Appends the record as a row with as many values as the header; attributes without a column are
// not written; an unknown column gets the record's raw value of that name (for the n-th column of
// a name, the n-th value of that name), else it is written empty. Same results as appendRow.
int appendRecord(const Record& record, const ColumnMap& map, std::string& out);

// Before a save: a record that came from another file (a category moved between the category
// store and the recycle bin) may hold a non-empty unknown value whose column this file lacks. The
// column is then appended to the header, so that the value is written rather than lost; the file's
// other rows get an empty value there.
void addColumnsForUnknownValues(const Record& record, std::vector<std::string>& header,
                                ColumnMap& map);

// Appends the header row. Same results as appendRow.
int appendHeader(std::span<const std::string> header, std::string& out);

// Encodes a whole table file: the header row, then the values of rows[first...] (each row a
// pointer-like holder of a node with a member values). Columns for unknown values are added to
// the header first, as addColumnsForUnknownValues says. Same results as appendRow.
template <class Rows>
int encodeTable(const Rows& rows, std::size_t first, std::vector<std::string>& header,
                ColumnMap& map, std::string& out) {
    for (std::size_t i = first; i < rows.size(); ++i) {
        addColumnsForUnknownValues(rows[i]->values, header, map);
    }
    int rc = appendHeader(header, out);
    for (std::size_t i = first; rc == kOk && i < rows.size(); ++i) {
        rc = appendRecord(rows[i]->values, map, out);
    }
    return rc;
}

// Decimal text of an integer ("%ld").
std::string decimal(long long value);

// The integer of a decimal text, read like Record::integer.
long long parseInteger(std::string_view text, long long fallback = 0);

} // namespace tarnel::store
