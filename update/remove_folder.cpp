#include "update/remove_folder.h"

namespace tarnel::update {

void removeFolder(const std::filesystem::path& folder, const platform::FileSystem& fileSystem) {
    // The file-system layer removes a link as a link and never descends into one.
    fileSystem.removeAll(folder);
}

} // namespace tarnel::update
