#include "ops/file_copy.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace tarnel::ops {

namespace fs = std::filesystem;
using Type = platform::FileSystem::EntryInfo::Type;

int copyIntoPlace(const platform::FileSystem& fileSystem, const fs::path& from, const fs::path& to,
                  Placement placement, Flush flush) {
    if (placement == Placement::NeverReplace && fileSystem.exists(to)) {
        return EEXIST;
    }
    fs::path temporary = hiddenSibling(to, ".tarnel-part");
    if (fileSystem.exists(temporary)) {
        fileSystem.removeFile(temporary);
    }
    bool eachFile = flush == Flush::EachFile;
    int err = eachFile ? fileSystem.copyFile(from, temporary)
                       : fileSystem.copyFileUnflushed(from, temporary);
    if (err == 0) {
        err = placement == Placement::NeverReplace && eachFile
                  ? fileSystem.renameNoReplace(temporary, to)
                  : fileSystem.rename(temporary, to);
    }
    if (err != 0 && fileSystem.exists(temporary)) {
        fileSystem.removeFile(temporary);
    }
    return err;
}

fs::path hiddenSibling(const fs::path& file, std::string_view suffix) {
    std::string name(".");
    name += file.filename().string();
    name += suffix;
    return file.parent_path() / name;
}

bool isInsideFolder(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    fs::path a = fs::weakly_canonical(inner, ec);
    fs::path b = fs::weakly_canonical(outer, ec);
    auto [end, unused] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return end == b.end();
}

int copyTreeReplacing(const platform::FileSystem& fileSystem, const fs::path& from,
                      const fs::path& target) {
    if (int err = fileSystem.createDirectories(target)) {
        return err;
    }
    int err = 0;
    std::vector<platform::FileSystem::Entry> entries = fileSystem.listDirectory(from, err);
    if (err != 0) {
        return err;
    }
    for (const auto& entry : entries) {
        platform::FileSystem::EntryInfo info;
        fs::path source = from / entry.name;
        if (int rc = fileSystem.entryInfo(source, info)) {
            return rc;
        }
        if (info.type == Type::Symlink &&
            (fileSystem.entryInfo(source, info, platform::FileSystem::Links::Followed) != 0 ||
             info.type == Type::Directory)) {
            continue;
        }
        int rc = info.type == Type::Directory
                     ? copyTreeReplacing(fileSystem, source, target / entry.name)
                     : copyIntoPlace(fileSystem, source, target / entry.name, Placement::Replace,
                                     Flush::Later);
        if (rc != 0) {
            return rc;
        }
    }
    return 0;
}

} // namespace tarnel::ops
