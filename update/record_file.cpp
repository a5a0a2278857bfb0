#include "update/record_file.h"

#include "update/update_format.h"

#include <cerrno>
#include <string>
#include <utility>

namespace tarnel::update {

RecordFile::RecordFile(std::filesystem::path path, const platform::FileSystem& fileSystem)
    : m_path(std::move(path)), m_fileSystem(fileSystem) {}

bool RecordFile::exists() const {
    return m_fileSystem.exists(m_path);
}

std::vector<FileRecord> RecordFile::readState() const {
    std::vector<FileRecord> records;
    std::string data;
    if (m_fileSystem.readFile(m_path, data) != 0) {
        return records;
    }
    std::string_view bytes = data;
    for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
        if (auto record =
                decodeFileRecord(bytes.substr(at, kRecordSize), RecordOrigin::StateFile)) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

bool RecordFile::readSiteList(std::vector<FileRecord>& records) const {
    records.clear();
    std::string data;
    if (m_fileSystem.readFile(m_path, data) != 0 || data.size() % kRecordSize != 0 ||
        data.size() / kRecordSize > static_cast<std::size_t>(kMaxEntries)) {
        return false;
    }
    std::string_view bytes = data;
    for (std::size_t at = 0; at < bytes.size(); at += kRecordSize) {
        auto record = decodeFileRecord(bytes.substr(at, kRecordSize), RecordOrigin::SiteList);
        if (!record) {
            records.clear();
            return false;
        }
        records.push_back(std::move(*record));
    }
    return true;
}

int RecordFile::append(const FileRecord& record) const {
    std::string encoded = encodeFileRecord(record);
    if (encoded.empty()) {
        return EINVAL;
    }
    std::string data;
    int err = m_fileSystem.readFile(m_path, data);
    if (err != 0 && err != ENOENT) {
        return err;
    }
    // A short rest left by an older writer would shift every record that follows it.
    data.resize(data.size() - data.size() % kRecordSize);
    return m_fileSystem.writeFileAtomic(m_path, data + encoded);
}

int RecordFile::rewrite(const std::vector<FileRecord>& records) const {
    std::string data;
    data.reserve(records.size() * kRecordSize);
    for (const auto& record : records) {
        std::string encoded = encodeFileRecord(record);
        if (encoded.empty()) {
            return EINVAL;
        }
        data += encoded;
    }
    return m_fileSystem.writeFileAtomic(m_path, data);
}

} // namespace tarnel::update
