#pragma once

#include "platform/file_system.h"
#include "update/file_record.h"

#include <filesystem>
#include <vector>

namespace tarnel::update {

// A file of file records without a header: a site's list or one of the work folder's state
// files. Called from one thread at a time.
class RecordFile {
public:
    explicit RecordFile(std::filesystem::path path,
                        const platform::FileSystem& fileSystem = platform::realFileSystem());

    const std::filesystem::path& path() const { return m_path; }
    bool exists() const;

    // A state file: a missing or unreadable file is empty, a short rest is ignored and a record
    // that does not decode is dropped.
    std::vector<FileRecord> readState() const;

    // A site's list, taken whole or not at all: false (and records empty) when the file is
    // unreadable, its size is not a multiple of 148, it holds more than 999 records or any
    // record does not decode.
    bool readSiteList(std::vector<FileRecord>& records) const;

    // Adds one record at the end. The file is replaced atomically, so a crash leaves it either
    // without or with the whole record. Returns 0 or the errno of the failure.
    int append(const FileRecord& record) const;

    // Replaces the file with exactly these records (atomically). EINVAL when one does not encode.
    int rewrite(const std::vector<FileRecord>& records) const;

private:
    std::filesystem::path m_path;
    const platform::FileSystem& m_fileSystem;
};

} // namespace tarnel::update
