#include "ops/file_copy.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace tarnel::ops {

namespace fs = std::filesystem;
using Type = platform::FileSystem::EntryInfo::Type;

namespace {

// A temporary copy left by a crash is in the way of this one: it goes, and the copy is made again.
int copyToTemporary(const platform::FileSystem& fileSystem, const fs::path& from,
                    const fs::path& temporary, Flush flush) {
    auto copy = [&] {
        return flush == Flush::EachFile ? fileSystem.copyFile(from, temporary)
                                        : fileSystem.copyFileUnflushed(from, temporary);
    };
    int err = copy();
    if (err == EEXIST && fileSystem.removeFile(temporary) == 0) {
        err = copy();
    }
    return err;
}

int renameIntoPlace(const platform::FileSystem& fileSystem, const fs::path& temporary,
                    const fs::path& to, Placement placement, Flush flush) {
    if (placement == Placement::Replace) {
        return fileSystem.rename(temporary, to);
    }
    return flush == Flush::EachFile ? fileSystem.renameNoReplace(temporary, to)
                                    : fileSystem.renameNoReplaceUnflushed(temporary, to);
}

} // namespace

int copyIntoPlace(const platform::FileSystem& fileSystem, const fs::path& from, const fs::path& to,
                  Placement placement, Flush flush) {
    if (placement == Placement::NeverReplace && fileSystem.exists(to)) {
        return EEXIST;
    }
    fs::path temporary = hiddenSibling(to, ".tarnel-part");
    int err = copyToTemporary(fileSystem, from, temporary, flush);
    if (err == 0) {
        err = renameIntoPlace(fileSystem, temporary, to, placement, flush);
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
                      const fs::path& target, const std::function<bool()>& cancelled) {
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
        if (info.type != Type::Directory && cancelled()) {
            return ECANCELED;
        }
        int rc = info.type == Type::Directory
                     ? copyTreeReplacing(fileSystem, source, target / entry.name, cancelled)
                     : copyIntoPlace(fileSystem, source, target / entry.name, Placement::Replace,
                                     Flush::Later);
        if (rc != 0) {
            return rc;
        }
    }
    return 0;
}

} // namespace tarnel::ops
