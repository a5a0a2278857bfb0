#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads one file of the older index format (see legacy_format.h) from its bytes. Pure: no file
// system, no state, safe on any thread.
namespace tarnel::store {

enum class LegacyKind { Category, Counters, Point, Comment, Attachment };

// What can be done with a file of a version.
enum class LegacyVersionClass {
    Text,          // 121-201: read and converted
    Binary,        // 0, 100-110, 120: fixed-size records of unknown layout
    Higher,        // above 210: written by a newer program
    NotConvertible // every other version (among them 202-210)
};

LegacyVersionClass classifyVersion(std::uint32_t version);

// A record's fields as they stand in the file (GB18030 bytes, unscrambled), and where it starts.
struct LegacyRecord {
    std::vector<std::string> fields;
    std::size_t offset = 0;

    // The field, or an empty view when the record ends before it.
    std::string_view field(int index) const;
};

// Where and why a file is damaged (result 17). record counts from 1; 0 for the header.
struct LegacyDamage {
    std::size_t record = 0;
    std::size_t offset = 0;
    std::string reason;
};

struct LegacyFile {
    LegacyKind kind = LegacyKind::Category;
    // False for a file that does not start with the marker; then it is read as version 0.
    bool hasHeader = true;
    std::uint32_t version = 0;
    LegacyVersionClass versionClass = LegacyVersionClass::Binary;
    // Text versions: the records. Binary versions: none are read; binaryRecords counts them when
    // the record size of the kind is known.
    std::vector<LegacyRecord> records;
    std::size_t binaryRecords = 0;
    // Fields past the kind's last one, ignored.
    std::size_t extraFields = 0;
};

// The number of fields of a kind, and the field a record must reach.
int fieldCount(LegacyKind kind);
int requiredField(LegacyKind kind);

// Reads the bytes of one file. 0, or 17 (damage filled): the header cut short, a count the file
// cannot hold, a record past the end, bytes after the counted records, a record that ends before
// its required field, a number that is not one, a duplicate id. Only text versions have their
// records read; the other classes return 0 with the header alone (and binaryRecords, or 17 when
// the body is not a whole number of records of a known size). Never reserves memory by the count
// the header claims.
int readLegacyFile(LegacyKind kind, std::string_view bytes, LegacyFile& out, LegacyDamage& damage);

// Strict decimal numbers of the older files: an optional '-' (signed only), then digits only, in
// range. An empty text is no number.
bool parseLegacySigned(std::string_view text, long long& value);
bool parseLegacyUnsigned(std::string_view text, std::uint64_t& value);

} // namespace tarnel::store
