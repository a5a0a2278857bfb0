#include "ops/file_copy.h"

#include "ops/parallel_copies.h"

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

namespace {

// The folders are walked on the calling thread while their files are copied on a few others.
class TreeCopy {
public:
    TreeCopy(const platform::FileSystem& fileSystem, const std::function<bool()>& cancelled)
        : m_fileSystem(fileSystem), m_cancelled(cancelled),
          m_copies(fileSystem, Placement::Replace) {}

    // 0 or the errno that stopped the walk; the copies asked for may still be running.
    int walk(const fs::path& from, const fs::path& target);

    // Waits for the copies still running. The first failed copy counts before whatever stopped the
    // walk after it was asked for.
    int finish(int walkResult) {
        while (m_copies.uncollected() > 0) {
            remember(m_copies.collectOldest());
        }
        return m_copyFailure != 0 ? m_copyFailure : walkResult;
    }

private:
    int copy(const fs::path& from, const fs::path& to) {
        m_copies.submit(from, to);
        return m_copies.uncollected() < ParallelCopies::kInFlight
                   ? 0
                   : remember(m_copies.collectOldest());
    }
    int remember(int err) {
        if (m_copyFailure == 0) {
            m_copyFailure = err;
        }
        return err;
    }

    const platform::FileSystem& m_fileSystem;
    const std::function<bool()>& m_cancelled;
    ParallelCopies m_copies;
    int m_copyFailure = 0;
};

int TreeCopy::walk(const fs::path& from, const fs::path& target) {
    if (int err = m_fileSystem.createDirectories(target)) {
        return err;
    }
    int err = 0;
    std::vector<platform::FileSystem::Entry> entries = m_fileSystem.listDirectory(from, err);
    if (err != 0) {
        return err;
    }
    for (const auto& entry : entries) {
        platform::FileSystem::EntryInfo info;
        fs::path source = from / entry.name;
        if (int rc = m_fileSystem.entryInfo(source, info)) {
            return rc;
        }
        if (info.type == Type::Symlink &&
            (m_fileSystem.entryInfo(source, info, platform::FileSystem::Links::Followed) != 0 ||
             info.type == Type::Directory)) {
            continue;
        }
        if (info.type != Type::Directory && m_cancelled()) {
            return ECANCELED;
        }
        int rc = info.type == Type::Directory ? walk(source, target / entry.name)
                                              : copy(source, target / entry.name);
        if (rc != 0) {
            return rc;
        }
    }
    return 0;
}

} // namespace

int copyTreeReplacing(const platform::FileSystem& fileSystem, const fs::path& from,
                      const fs::path& target, const std::function<bool()>& cancelled) {
    TreeCopy copy(fileSystem, cancelled);
    return copy.finish(copy.walk(from, target));
}

} // namespace tarnel::ops
