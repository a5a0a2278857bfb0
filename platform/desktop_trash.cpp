#include "platform/desktop_trash.h"

#include "platform/file_uri.h"
#include "platform/user_folders.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel::platform {
namespace {

namespace fs = std::filesystem;

constexpr int kMostNameTries = 100000;

std::optional<struct stat> statusOf(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return status;
}

// The device of the path, or of its nearest ancestor that exists.
dev_t deviceOfNearest(fs::path path) {
    for (;;) {
        if (auto status = statusOf(path)) {
            return status->st_dev;
        }
        if (path == path.parent_path()) {
            return 0;
        }
        path = path.parent_path();
    }
}

// The mount point the path lies on: the highest folder above it on the same device.
fs::path topDirectoryOf(const fs::path& absolutePath, dev_t device) {
    fs::path top = absolutePath.parent_path();
    for (fs::path p = top; p != p.parent_path();) {
        p = p.parent_path();
        auto status = statusOf(p);
        if (!status || status->st_dev != device) {
            break;
        }
        top = p;
    }
    return top;
}

std::string userId() {
    return std::to_string(static_cast<unsigned long>(::getuid()));
}

std::string deletionDate(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[32];
    std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return std::string(text, length);
}

std::string candidateName(const fs::path& name, int n) {
    if (n == 1) {
        return name.string();
    }
    return name.stem().string() + "." + std::to_string(n) + name.extension().string();
}

// Creates the info file only when no file of that name exists: the name is then ours.
int reserveInfo(const fs::path& info, const std::string& text) {
    int fd = ::open(info.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno;
    }
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            int err = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(info.c_str());
            return err;
        }
        written += static_cast<std::size_t>(n);
    }
    int err = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && err == 0) {
        err = errno;
    }
    if (err != 0) {
        ::unlink(info.c_str());
    }
    return err;
}

} // namespace

fs::path homeTrashFolder() {
    return userDataHome() / "Trash";
}

std::string trashInfoText(const fs::path& absolutePath, std::time_t deletion) {
    return "[Trash Info]\nPath=" + percentEncodedPath(absolutePath) +
           "\nDeletionDate=" + deletionDate(deletion) + "\n";
}

Trash::Trash(const FileSystem& fileSystem, Clock now)
    : m_fileSystem(fileSystem), m_now(now ? std::move(now) : [] { return std::time(nullptr); }) {}

fs::path Trash::trashFolderFor(const fs::path& absolutePath) const {
    fs::path home = homeTrashFolder();
    auto status = statusOf(absolutePath);
    dev_t device = status ? status->st_dev : deviceOfNearest(absolutePath);
    if (device == deviceOfNearest(home)) {
        return home;
    }
    fs::path top = topDirectoryOf(absolutePath, device);
    fs::path shared = top / ".Trash";
    auto sharedStatus = statusOf(shared);
    if (sharedStatus && S_ISDIR(sharedStatus->st_mode) && (sharedStatus->st_mode & S_ISVTX)) {
        return shared / userId();
    }
    return top / (".Trash-" + userId());
}

int Trash::prepareFolders(const fs::path& trash) const {
    auto status = statusOf(trash);
    if (status && (!S_ISDIR(status->st_mode) || status->st_uid != ::getuid())) {
        return EPERM; // a link or someone else's folder: never trash into it
    }
    if (!status) {
        if (int err = m_fileSystem.createDirectories(trash)) {
            return err;
        }
        ::chmod(trash.c_str(), 0700);
    }
    for (const char* sub : {"files", "info"}) {
        if (int err = m_fileSystem.createDirectory(trash / sub)) {
            return err;
        }
    }
    return 0;
}

int Trash::trash(const fs::path& path, TrashedItem& item) const {
    fs::path absolute = fs::absolute(path).lexically_normal();
    if (!statusOf(absolute) || !absolute.has_filename()) {
        return ENOENT;
    }
    fs::path trash = trashFolderFor(absolute);
    if (int err = prepareFolders(trash)) {
        return err;
    }
    std::string text = trashInfoText(absolute, m_now());
    for (int n = 1; n <= kMostNameTries; ++n) {
        std::string name = candidateName(absolute.filename(), n);
        fs::path file = trash / "files" / name;
        fs::path info = trash / "info" / (name + ".trashinfo");
        if (statusOf(file)) {
            continue;
        }
        int err = reserveInfo(info, text);
        if (err == EEXIST) {
            continue;
        }
        if (err != 0) {
            return err;
        }
        if (int moved = m_fileSystem.rename(absolute, file)) {
            m_fileSystem.removeFile(info);
            return moved;
        }
        item = {absolute, file, info};
        return 0;
    }
    return EEXIST;
}

int Trash::restore(const TrashedItem& item) const {
    if (statusOf(item.original)) {
        return EEXIST;
    }
    if (int err = m_fileSystem.rename(item.file, item.original)) {
        return err;
    }
    return m_fileSystem.removeFile(item.info);
}

} // namespace tarnel::platform
