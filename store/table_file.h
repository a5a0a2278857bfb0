#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::store {

class StagedSaves;

// The values of one row as they stand in the file (GB18030, already unscrambled). The views are
// valid only during the visitor call.
using RawRow = std::span<const std::string_view>;

// Called for every row in file order, the header row first (rowIndex 0).
using RowVisitor = std::function<void(std::size_t rowIndex, RawRow values)>;

// Parses the bytes of a whole table file. Rows are visited only when the whole file is sound, so
// a damaged file (17: a row runs past the end, or a row has another number of values than the
// header) visits nothing. An empty input is a table without rows (0, nothing visited).
int parseTable(std::string_view fileBytes, const RowVisitor& visit);

// A value of the file turned into UTF-8.
std::string decodeValue(std::string_view fileValue);

// How a value to be written is held: UTF-8 text, written in GB18030, or bytes kept exactly as
// they stood in a file, written unchanged.
enum class ValueForm { Text, Raw };

struct RowValue {
    std::string_view bytes;
    ValueForm form = ValueForm::Text;
};

// Appends one encoded row (length, scrambled text, terminator) to out. Refuses, leaving out
// unchanged, a value that would hold the byte 0x08 or 0 (kValueNotStorable) and a row text longer
// than the format allows (kRowTooLong).
int appendRow(std::span<const RowValue> values, std::string& out);
// The same for a row of UTF-8 texts only.
int appendRow(std::span<const std::string_view> values, std::string& out);

// One table file on disk. It remembers whether its last read failed on a file that exists
// (15, 16, 17, -1): such a file is set aside as "<name>.damaged-YYYYMMDDHHMMSS" before the next
// replace or remove, so that no save of an emptied store destroys what the user could recover.
// Not thread-safe; the file system must outlive the object.
class TableFile {
public:
    TableFile(const platform::FileSystem& fileSystem, std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    // Reads and parses the file: 0, 13 when it does not exist, 15 when it cannot be opened,
    // 16 on a read error, 17 when damaged, -1 when its size cannot be read.
    int read(const RowVisitor& visit);

    // Marks the file as damaged after a check of the caller's own (a missing `id` column).
    void markDamaged() { m_damaged = true; }
    bool damaged() const { return m_damaged; }

    // Replaces the file atomically with the encoded rows. 0, or kSaveFailed (old file untouched).
    int replace(std::string_view encodedRows);
    // The same, staged in saves to be put in place with the others staged there.
    int replace(std::string_view encodedRows, StagedSaves& saves);

    // Deletes the file; a missing file is success. 0 or kSaveFailed.
    int remove();

    // Where a damaged file was set aside by the last replace or remove, empty if none.
    const std::filesystem::path& setAside() const { return m_setAside; }

private:
    int setDamagedFileAside();

    const platform::FileSystem* m_fileSystem;
    std::filesystem::path m_path;
    std::filesystem::path m_setAside;
    bool m_damaged = false;
};

} // namespace tarnel::store
