#include "platform/file_system.h"

#include "platform/write_behind.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <stdio.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace tarnel::platform {
namespace {

int errorOf(const std::error_code& ec) {
    return ec ? (ec.value() != 0 ? ec.value() : EIO) : 0;
}

int writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

fs::path temporarySibling(const fs::path& path) {
    static std::atomic<unsigned> counter{0};
    // Appended piece by piece: GCC 12 at -O2 takes "." + string for an overlapping copy.
    std::string name = ".";
    name += path.filename().string();
    name += ".tmp-";
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter++);
    return path.parent_path() / name;
}

// When a temporary file's bytes go to disk: all at the flush before it is closed; the same, with
// each megabyte's write to disk started as soon as it is written, so that the flush waits only
// for the last while the rest is still being made; or at a flush of the whole batch later.
enum class Flush { Now, AsWritten, Later };

// Starting a write to disk costs about as much for a few pages as for a megabyte: started for
// every small piece of a note, the starts would take longer than the flush they spare.
constexpr off_t kStartedWriteBytes = 1 << 20;

// Every piece produced, or none after the first that failed, in the open file.
int writePieces(int fd, const FileSystem::PieceProducer& produce) {
    int err = 0;
    produce([fd, &err](std::string_view piece) {
        if (!err) {
            err = writeAll(fd, piece);
        }
    });
    return err;
}

// The same on a thread of its own while the pieces after are made, each megabyte started on its
// way to disk once written.
int writeBehind(int fd, const FileSystem::PieceProducer& produce) {
    off_t written = 0;
    off_t started = 0;
    WriteBehind behind([&](std::string_view bytes) {
        if (int err = writeAll(fd, bytes)) {
            return err;
        }
        written += static_cast<off_t>(bytes.size());
        if (written - started >= kStartedWriteBytes) {
            // Only a hint: the flush that counts is the file's fsync.
            ::sync_file_range(fd, started, written - started, SYNC_FILE_RANGE_WRITE);
            started = written;
        }
        return 0;
    });
    produce([&behind](std::string_view piece) { behind.add(piece); });
    return behind.finish();
}

// Every piece produced, or none after the first that failed, in a new temporary file beside path
// with the mode path has (or the access given when it does not exist); on failure the temporary
// file is gone.
int writeTemporarySibling(const fs::path& path, const FileSystem::PieceProducer& produce,
                          FileSystem::Access access, Flush flush, fs::path& temp) {
    mode_t mode = access == FileSystem::Access::OwnerOnly ? 0600 : 0644;
    struct stat existing {};
    bool keepMode = ::stat(path.c_str(), &existing) == 0;
    if (keepMode && S_ISDIR(existing.st_mode)) {
        return EISDIR;
    }
    temp = temporarySibling(path);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        return errno;
    }
    int err = flush == Flush::AsWritten ? writeBehind(fd, produce) : writePieces(fd, produce);
    if (!err && keepMode && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        err = errno;
    }
    if (!err && flush != Flush::Later && ::fsync(fd) != 0) {
        err = errno;
    }
    if (::close(fd) != 0 && !err) {
        err = errno;
    }
    if (err) {
        ::unlink(temp.c_str());
    }
    return err;
}

// Flushing the folder makes the rename itself survive a crash.
void syncDirectory(const fs::path& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int replaceFile(const FileSystem& files, const fs::path& path,
                const FileSystem::PieceProducer& produce, FileSystem::Access access, Flush flush) {
    fs::path temp;
    int err = writeTemporarySibling(path, produce, access, flush, temp);
    if (!err) {
        err = files.rename(temp, path);
        if (err) {
            ::unlink(temp.c_str());
        }
    }
    if (!err) {
        syncDirectory(path.parent_path());
    }
    return err;
}

// Copies the rest of in to out: in the kernel, or through a buffer where it cannot. Some file
// systems report nothing to copy for a file that has bytes, so an empty first answer is checked
// by reading.
int copyDescriptor(int in, int out) {
    for (bool first = true;; first = false) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (n > 0) {
            continue;
        }
        if (n == 0) {
            if (first) {
                break;
            }
            return 0;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            return errno;
        }
        break;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0 ? 0 : errno;
        }
        if (int err = writeAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) {
            return err;
        }
    }
}

// When a new file's bytes go to disk: flushed before it is closed, started now for a syncFiles
// soon after, or left to the kernel until a flushFileSystem at the end of a batch (starting
// write-back for each of thousands of files makes a busy disk's queue the copy's pace).
enum class WriteBack { Now, Started, Later };

// Makes a new file at path (open for reading too) and fills it; the file is gone again on
// failure.
int fillNewFile(const fs::path& path, WriteBack writeBack, const std::function<int(int)>& fill) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return errno;
    }
    int err = fill(fd);
    if (!err && writeBack == WriteBack::Now && ::fsync(fd) != 0) {
        err = errno;
    }
    if (!err && writeBack == WriteBack::Started) {
        // Only a hint: the flush that counts is syncFiles'.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    if (::close(fd) != 0 && !err) {
        err = errno;
    }
    if (err) {
        ::unlink(path.c_str());
    }
    return err;
}

int copyNew(const fs::path& from, const fs::path& to, WriteBack writeBack) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return errno;
    }
    struct stat st {};
    int err = ::fstat(in, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (!err) {
        err = fillNewFile(to, writeBack, [in](int out) { return copyDescriptor(in, out); });
    }
    ::close(in);
    return err;
}

// More than the coarsest clock of a common file system (two seconds on FAT): time stamps that lie
// this far before an open cannot be kept by a change after it.
constexpr std::int64_t kSettledNs = 3'000'000'000;

std::int64_t nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileSystem::FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_ino),
            st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0, nanoseconds(st.st_mtim),
            nanoseconds(st.st_ctim)};
}

int readExactly(int fd, char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        ssize_t n = ::pread(fd, data, size, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0 ? EIO : errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return 0;
}

// Copies the rest of in to out piece by piece: each is handed to consume, written and read back
// while it is still in the processor's cache.
int copyVerified(int in, int out, const FileSystem::PieceConsumer& consume) {
    std::vector<char> piece(FileSystem::kReadChunkBytes);
    std::vector<char> back(piece.size());
    off_t offset = 0;
    for (;;) {
        ssize_t n = ::read(in, piece.data(), piece.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0 ? 0 : errno;
        }
        auto size = static_cast<std::size_t>(n);
        std::string_view read(piece.data(), size);
        consume(read);
        if (int err = writeAll(out, read)) {
            return err;
        }
        if (int err = readExactly(out, back.data(), size, offset)) {
            return err;
        }
        if (std::memcmp(back.data(), piece.data(), size) != 0) {
            return EIO;
        }
        offset += n;
    }
}

// Writes the file's data out and waits for it, reporting a failed write of this file; neither
// its metadata nor the disk's cache is flushed (one syncfs does that for a whole batch).
int awaitWriteBack(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    struct stat st {};
    int err = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (!err && S_ISREG(st.st_mode) &&
        ::sync_file_range(fd, 0, 0,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER) != 0) {
        err = errno;
    }
    ::close(fd);
    return err;
}

int copyTree(const FileSystem& fileSystem, const fs::path& from, const fs::path& to) {
    if (!fileSystem.isDirectory(from)) {
        return fileSystem.copyFile(from, to);
    }
    if (int err = fileSystem.createDirectory(to)) {
        return err;
    }
    int err = 0;
    for (const auto& entry : fileSystem.listDirectory(from, err)) {
        if (int rc = copyTree(fileSystem, from / entry.name, to / entry.name)) {
            return rc;
        }
    }
    return err;
}

bool sameContentSizes(const FileSystem& fileSystem, const fs::path& a, const fs::path& b) {
    if (!fileSystem.isDirectory(a)) {
        return fileSystem.fileSize(a) == fileSystem.fileSize(b);
    }
    int errA = 0;
    int errB = 0;
    auto entriesA = fileSystem.listDirectory(a, errA);
    auto entriesB = fileSystem.listDirectory(b, errB);
    if (errA || errB || entriesA.size() != entriesB.size()) {
        return false;
    }
    for (std::size_t i = 0; i < entriesA.size(); ++i) {
        if (entriesA[i].name != entriesB[i].name ||
            !sameContentSizes(fileSystem, a / entriesA[i].name, b / entriesB[i].name)) {
            return false;
        }
    }
    return true;
}

} // namespace

// The entry itself, so that a link leading nowhere exists too: it takes the name. One lstat; a
// path it cannot reach could not be reached by following links either.
bool FileSystem::exists(const fs::path& path) const {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool FileSystem::isDirectory(const fs::path& path) const {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool FileSystem::isRegularFile(const fs::path& path) const {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::optional<std::uint64_t> FileSystem::fileSize(const fs::path& path) const {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return size;
}

int FileSystem::fileIdentity(const fs::path& path, FileIdentity& identity) const {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno;
    }
    identity = identityOf(st);
    return 0;
}

int FileSystem::readFile(const fs::path& path, std::string& out) const {
    out.clear();
    int err = readChunks(path, [&out](std::string_view chunk, std::uint64_t size) {
        if (out.empty() && size > 0) {
            out.reserve(static_cast<std::size_t>(size));
        }
        out.append(chunk);
        return true;
    });
    if (err) {
        out.clear();
    }
    return err;
}

int FileSystem::readChunks(const fs::path& path, const ChunkConsumer& consume) const {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    std::uint64_t size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    char buffer[kReadChunkBytes];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int err = errno;
            ::close(fd);
            return err;
        }
        if (n == 0 || !consume(std::string_view(buffer, static_cast<std::size_t>(n)), size)) {
            break;
        }
    }
    ::close(fd);
    return 0;
}

int FileSystem::writeFileAtomic(const fs::path& path, std::string_view data, Access access) const {
    return replaceFile(
        *this, path, [data](const PieceConsumer& write) { write(data); }, access, Flush::Now);
}

int FileSystem::writeFileAtomicInPieces(const fs::path& path, const PieceProducer& produce,
                                        Access access) const {
    return replaceFile(*this, path, produce, access, Flush::AsWritten);
}

int FileSystem::stageReplacement(const fs::path& path, std::string_view data, fs::path& staged,
                                 Access access) const {
    return writeTemporarySibling(
        path, [data](const PieceConsumer& write) { write(data); }, access, Flush::Later, staged);
}

int FileSystem::writeNewFile(const fs::path& path, std::string_view data) const {
    return fillNewFile(path, WriteBack::Started, [data](int fd) { return writeAll(fd, data); });
}

int FileSystem::copyNewFile(const fs::path& from, const fs::path& to, const PieceConsumer& consume,
                            CopiedSource& source) const {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return errno;
    }
    struct stat st {};
    int err = ::fstat(in, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (!err) {
        source.identity = identityOf(st);
        err = fillNewFile(to, WriteBack::Later, [&](int out) {
            struct stat made {};
            if (::fstat(out, &made) != 0) {
                return errno;
            }
            std::int64_t latest = std::max(source.identity.modifiedNs, source.identity.changedNs);
            source.settled = latest + kSettledNs < nanoseconds(made.st_ctim);
            return copyVerified(in, out, consume);
        });
    }
    ::close(in);
    return err;
}

int FileSystem::syncFiles(const std::vector<fs::path>& files, const fs::path& root) const {
    for (const fs::path& file : files) {
        if (int err = awaitWriteBack(file)) {
            return err;
        }
    }
    return flushFileSystem(root);
}

int FileSystem::writeBackFile(const fs::path& file) const {
    return awaitWriteBack(file);
}

int FileSystem::createDirectory(const fs::path& path) const {
    if (::mkdir(path.c_str(), 0755) == 0) {
        return 0;
    }
    int err = errno;
    return err == EEXIST && isDirectory(path) ? 0 : err;
}

int FileSystem::createDirectories(const fs::path& path) const {
    if (path.empty() || isDirectory(path)) {
        return 0;
    }
    fs::path parent = path.parent_path();
    if (parent != path) {
        if (int err = createDirectories(parent)) {
            return err;
        }
    }
    return createDirectory(path);
}

int FileSystem::removeFile(const fs::path& path) const {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int FileSystem::removeAll(const fs::path& path) const {
    std::error_code ec;
    fs::remove_all(path, ec);
    return errorOf(ec);
}

int FileSystem::rename(const fs::path& from, const fs::path& to) const {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int FileSystem::copyFile(const fs::path& from, const fs::path& to) const {
    return copyNew(from, to, WriteBack::Now);
}

int FileSystem::copyFileUnflushed(const fs::path& from, const fs::path& to) const {
    return copyNew(from, to, WriteBack::Later);
}

int FileSystem::flushFileSystem(const fs::path& path) const {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int err = ::syncfs(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

int FileSystem::entryInfo(const fs::path& path, EntryInfo& info, Links links) const {
    struct statx st {};
    int flags = links == Links::Followed ? 0 : AT_SYMLINK_NOFOLLOW;
    if (::statx(AT_FDCWD, path.c_str(), flags, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) {
        return errno;
    }
    mode_t type = st.stx_mode & S_IFMT;
    info.type = type == S_IFREG   ? EntryInfo::Type::File
                : type == S_IFDIR ? EntryInfo::Type::Directory
                : type == S_IFLNK ? EntryInfo::Type::Symlink
                                  : EntryInfo::Type::Other;
    info.size = st.stx_size;
    info.modified = static_cast<std::time_t>(st.stx_mtime.tv_sec);
    info.created =
        (st.stx_mask & STATX_BTIME)
            ? static_cast<std::time_t>(st.stx_btime.tv_sec)
            : static_cast<std::time_t>(std::min(st.stx_ctime.tv_sec, st.stx_mtime.tv_sec));
    return 0;
}

int FileSystem::renameNoReplace(const fs::path& from, const fs::path& to) const {
    if (int err = renameNoReplaceUnflushed(from, to)) {
        return err;
    }
    syncDirectory(from.parent_path());
    syncDirectory(to.parent_path());
    return 0;
}

int FileSystem::renameNoReplaceUnflushed(const fs::path& from, const fs::path& to) const {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0
                                                                                            : errno;
}

std::optional<std::uint64_t> FileSystem::freeSpace(const fs::path& path) const {
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

int FileSystem::tryLock(const fs::path& path, FileLock& lock) const {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err;
    }
    lock = FileLock(fd);
    return 0;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

int FileSystem::moveTree(const fs::path& from, const fs::path& to) const {
    if (!exists(from)) {
        return ENOENT;
    }
    if (exists(to)) {
        return EEXIST;
    }
    int err = rename(from, to);
    if (err != EXDEV) {
        return err;
    }
    err = copyTree(*this, from, to);
    if (!err && !sameContentSizes(*this, from, to)) {
        err = EIO;
    }
    if (err) {
        removeAll(to);
        return err;
    }
    return removeAll(from);
}

std::vector<FileSystem::Entry> FileSystem::listDirectory(const fs::path& path, int& err) const {
    std::vector<Entry> entries;
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        entries.push_back({it->path().filename().string(), it->is_directory(typeEc)});
    }
    err = errorOf(ec);
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

fs::path FileSystem::currentDirectory() const {
    std::error_code ec;
    return fs::current_path(ec);
}

fs::path FileSystem::tempDirectory() const {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? fs::path(dir) : fs::path("/tmp");
}

const FileSystem& realFileSystem() {
    static const FileSystem instance;
    return instance;
}

std::string errorText(int err) {
    return std::strerror(err);
}

} // namespace tarnel::platform
