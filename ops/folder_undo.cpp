#include "ops/folder_undo.h"

namespace tarnel::ops {

int FolderUndo::createDirectories(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path p = folder; !p.empty() && !m_fileSystem.isDirectory(p);
         p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) {
            break;
        }
    }
    std::size_t before = m_created.size();
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (int err = m_fileSystem.createDirectory(*it)) {
            while (m_created.size() > before) {
                m_fileSystem.removeAll(m_created.back());
                m_created.pop_back();
            }
            return err;
        }
        m_created.push_back(*it);
    }
    return 0;
}

void FolderUndo::undo() {
    while (!m_created.empty()) {
        int err = 0;
        if (m_fileSystem.listDirectory(m_created.back(), err).empty() && err == 0) {
            m_fileSystem.removeAll(m_created.back());
        }
        m_created.pop_back();
    }
}

} // namespace tarnel::ops
