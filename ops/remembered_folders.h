#pragma once

#include <filesystem>
#include <map>

namespace tarnel::ops {

// The folder browsers of "导入文件夹", "新建关联分类" and the exports each start at the folder that
// same command chose last, for the life of the process (empty at first). Held by the data
// manager; user-interface thread only.
enum class FolderCommand { ImportFolder, LinkFolder, ExportCategory, ExportTag };

class RememberedFolders {
public:
    std::filesystem::path lastChosen(FolderCommand command) const {
        auto it = m_chosen.find(command);
        return it == m_chosen.end() ? std::filesystem::path() : it->second;
    }
    void remember(FolderCommand command, const std::filesystem::path& folder) {
        if (!folder.empty()) {
            m_chosen[command] = folder;
        }
    }

private:
    std::map<FolderCommand, std::filesystem::path> m_chosen;
};

} // namespace tarnel::ops
