#include "store/staged_saves.h"

namespace tarnel::store {

namespace fs = std::filesystem;

StagedSaves::~StagedSaves() {
    for (const auto& [place, staged] : m_staged) {
        m_fileSystem.removeFile(staged);
    }
}

int StagedSaves::stage(const fs::path& path, std::string_view bytes) {
    fs::path staged;
    int err = m_fileSystem.stageReplacement(path, bytes, staged);
    if (err == 0) {
        m_staged.emplace_back(path, std::move(staged));
    }
    return err;
}

int StagedSaves::commit(const fs::path& written, fs::path& failed) {
    int first = 0;
    auto keep = [&](int err, const fs::path& path) {
        if (err != 0 && first == 0) {
            first = err;
            failed = path;
        }
    };
    if (!written.empty()) {
        keep(m_fileSystem.flushFileSystem(written), written);
    }
    if (m_staged.empty()) {
        return first;
    }
    fs::path folder = m_staged.front().first.parent_path();
    keep(m_fileSystem.flushFileSystem(folder), folder);
    for (const auto& [place, staged] : m_staged) {
        int err = m_fileSystem.rename(staged, place);
        if (err != 0) {
            m_fileSystem.removeFile(staged);
        }
        keep(err, place);
    }
    m_staged.clear();
    keep(m_fileSystem.flushFileSystem(folder), folder);
    return first;
}

} // namespace tarnel::store
