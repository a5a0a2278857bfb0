#pragma once

#include "app/program_version.h"
#include "platform/file_system.h"
#include "store/attribute_tables.h"
#include "store/record.h"
#include "store/table_file.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

// The highest identifiers given out and the store version, file kms.ids.
namespace tarnel::store {

enum class IdKind { Category = 0, Point, Tag, Comment, Attachment };

class IdCounters {
public:
    IdCounters(const platform::FileSystem& fileSystem, std::filesystem::path file);

    // 0, 13 when the file is missing (fresh counters), or the table file's error; on any error
    // the counters are fresh (version 210, every counter 0).
    int load();

    // Writes the header row and the value row; the file is always written, never deleted.
    // 0 or the table file's error (kSaveFailed, kValueNotStorable, kRowTooLong).
    int save();

    // Fresh counters: header only, version 210, every counter 0.
    void reset();

    int version() const { return m_version; }
    void setVersion(int version) { m_version = version; }

    long long highest(IdKind kind) const { return m_highest[static_cast<int>(kind)]; }
    // Raises the counter to id when id is larger; never lowers it.
    void raise(IdKind kind, long long id);
    // Gives out highest + 1 and keeps it as the new highest.
    long long next(IdKind kind);

    TableFile& file() { return m_file; }

private:
    TableFile m_file;
    std::vector<std::string> m_header;
    // The value row as read, so that the values of columns other than the six survive a save.
    Record m_valueRow{counters::kNames.size()};
    int m_version = app::kStoreVersion;
    std::array<long long, 5> m_highest{};
};

} // namespace tarnel::store
