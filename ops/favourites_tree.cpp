#include "ops/favourites_tree.h"

#include "ops/import_messages.h"
#include "platform/ini.h"
#include "store/display_types.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using Type = platform::FileSystem::EntryInfo::Type;

constexpr std::size_t kUrlBuffer = 261;

void walk(const platform::FileSystem& fileSystem, const fs::path& folder, FavouriteItem& into,
          std::string& error) {
    int err = 0;
    std::vector<platform::FileSystem::Entry> entries = fileSystem.listDirectory(folder, err);
    if (err != 0) {
        std::string text = platform::errorText(err);
        error = text.empty() ? std::string(message::kUnknownError) : text;
        return;
    }
    for (const auto& entry : entries) {
        fs::path path = folder / entry.name;
        platform::FileSystem::EntryInfo info;
        if (fileSystem.entryInfo(path, info) != 0) {
            continue;
        }
        if (info.type == Type::Directory) {
            FavouriteItem child{entry.name, "", true, {}};
            walk(fileSystem, path, child, error);
            into.children.push_back(std::move(child));
            if (!error.empty()) {
                return;
            }
        } else if (store::lowerExtension(entry.name) == ".url") {
            platform::IniFile file(path, fileSystem);
            std::string url = file.readString("InternetShortcut", "URL", "", kUrlBuffer);
            into.children.push_back(
                {entry.name.substr(0, entry.name.size() - 4), std::move(url), false, {}});
        }
    }
}

} // namespace

FavouritesTree readFavourites(const platform::FileSystem& fileSystem, const fs::path& folder) {
    FavouritesTree tree;
    tree.root = {std::string(message::kFavouritesRoot), "", true, {}};
    if (fileSystem.isDirectory(folder)) {
        walk(fileSystem, folder, tree.root, tree.error);
    }
    return tree;
}

} // namespace tarnel::ops
