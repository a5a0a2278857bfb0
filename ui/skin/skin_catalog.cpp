#include "ui/skin/skin_catalog.h"

#include "ui/skin/skin_folder.h"
#include "ui/skin/skin_keys.h"

#include <algorithm>

namespace tarnel::ui::skin {

SkinCatalog SkinCatalog::scan(const std::filesystem::path& programDirectory,
                              const platform::FileSystem& fileSystem) {
    SkinCatalog catalog;
    const std::filesystem::path root = programDirectory / kSkinFolder;
    int err = 0;
    for (const platform::FileSystem::Entry& entry : fileSystem.listDirectory(root, err)) {
        if (!entry.isDirectory || entry.name.starts_with('.')) {
            continue;
        }
        SkinFolder folder(root / entry.name, fileSystem);
        if (!fileSystem.isRegularFile(folder.folder() / kProfileFile)) {
            continue;
        }
        SkinProfile profile = folder.readProfile();
        std::filesystem::path preview;
        if (!profile.image.empty()) {
            preview = findIgnoringCase(fileSystem, folder.folder(), profile.image);
            if (!fileSystem.isRegularFile(preview)) {
                preview.clear();
            }
        }
        catalog.m_entries.push_back(
            {std::move(profile.name), std::move(profile.author), std::move(profile.dateTime),
             std::string(kSkinFolder) + "/" + entry.name, std::move(preview)});
    }
    std::stable_sort(
        catalog.m_entries.begin(), catalog.m_entries.end(),
        [](const SkinCatalogEntry& a, const SkinCatalogEntry& b) { return a.name < b.name; });
    return catalog;
}

int SkinCatalog::indexOf(std::string_view skinPath) const {
    const std::string wanted = withForwardSlashes(skinPath);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].skinPath == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace tarnel::ui::skin
