#include "update/work_folder.h"

#include "update/remove_folder.h"
#include "update/update_format.h"

#include <string>

namespace tarnel::update {

WorkFolder::WorkFolder(const std::filesystem::path& programDirectory)
    : m_path(programDirectory / kWorkFolder) {}

std::filesystem::path WorkFolder::toFetch() const {
    return m_path / kToFetchFile;
}

std::filesystem::path WorkFolder::fetched() const {
    return m_path / kFetchedFile;
}

std::filesystem::path WorkFolder::moved() const {
    return m_path / kMovedFile;
}

std::filesystem::path WorkFolder::versionFile() const {
    return m_path / kLocalVersionFile;
}

std::filesystem::path WorkFolder::fileList(int version) const {
    return m_path / ("file_list_" + std::to_string(version) + ".fls");
}

std::filesystem::path WorkFolder::releaseNotes(int version) const {
    return m_path / ("soft_memo_" + std::to_string(version) + ".rtf");
}

std::filesystem::path WorkFolder::tempFile(std::string_view tempName) const {
    return m_path / tempName;
}

void WorkFolder::cleanUp(const platform::FileSystem& fileSystem) const {
    fileSystem.removeFile(moved());
    fileSystem.removeFile(fetched());
    fileSystem.removeFile(toFetch());
    removeFolder(m_path, fileSystem);
}

} // namespace tarnel::update
