#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::platform {

// An exclusive lock on a file, held until the object goes (see FileSystem::tryLock).
class FileLock {
public:
    FileLock() = default;
    explicit FileLock(int fd) : m_fd(fd) {}
    FileLock(FileLock&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Every call the system makes to the file system goes through this interface, so that tests can
// run on temporary folders and inject a full disk or a failed rename by overriding one method.
// Results are 0 for success or the errno value of the failure. Calls may be made from any thread;
// the real implementation keeps no state.
class FileSystem {
public:
    enum class Access { Shared, OwnerOnly };

    struct Entry {
        std::string name;
        bool isDirectory = false;
    };

    // What a folder walk needs of one entry.
    struct EntryInfo {
        enum class Type { File, Directory, Symlink, Other };
        Type type = Type::Other;
        std::uint64_t size = 0;
        std::time_t created = 0; // birth time where the file system keeps one, else the earlier
                                 // of the last status change and the last write
        std::time_t modified = 0;
    };
    enum class Links { NotFollowed, Followed };

    // What tells a file's state apart from any later one without reading it: a write, a
    // truncation or a replacement changes the inode, the size or a time stamp.
    struct FileIdentity {
        std::uint64_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;

        bool operator==(const FileIdentity&) const = default;
    };
    struct CopiedSource {
        FileIdentity identity;
        // The source's time stamps lie well before its open (by the new file's clock): a change
        // after the open cannot keep them, however coarse the file system's clock. A file changed
        // just before the open may be changed again without its identity showing it.
        bool settled = false;
    };

    virtual ~FileSystem() = default;

    virtual bool exists(const std::filesystem::path& path) const;
    virtual bool isDirectory(const std::filesystem::path& path) const;
    virtual bool isRegularFile(const std::filesystem::path& path) const;
    virtual std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) const;
    // The identity of the file a path leads to. 0 or errno.
    virtual int fileIdentity(const std::filesystem::path& path, FileIdentity& identity) const;
    // The entry itself (a symbolic link reports Symlink) or, with Links::Followed, what it points
    // to. 0 or errno (ELOOP for a link loop).
    virtual int entryInfo(const std::filesystem::path& path, EntryInfo& info,
                          Links links = Links::NotFollowed) const;

    // Reads the whole file into out (emptied first; empty again after a failure).
    virtual int readFile(const std::filesystem::path& path, std::string& out) const;

    // Reads the file from the start in pieces of at most kReadChunkBytes, handing each to the
    // consumer with the file's size as it was at the open; stops early when the consumer returns
    // false, which is success. A folder is EISDIR.
    static constexpr std::size_t kReadChunkBytes = 65536;
    using ChunkConsumer = std::function<bool(std::string_view chunk, std::uint64_t fileSize)>;
    virtual int readChunks(const std::filesystem::path& path, const ChunkConsumer& consume) const;

    // Replaces the file atomically: the data goes to a temporary file in the same folder, which is
    // flushed to disk and renamed over the old file. On failure the old file is untouched and the
    // temporary file is gone. A new file gets the access given; an existing one keeps its mode.
    virtual int writeFileAtomic(const std::filesystem::path& path, std::string_view data,
                                Access access = Access::Shared) const;
    // The same for data made while it is written (a large note's rich text, which then never
    // stands whole in memory): produce hands the pieces to its argument in order. They are
    // gathered and written on a thread of their own while the next are made, each megabyte
    // started on its way to disk once written, so the flush at the end waits for little more than
    // the last. After a write failed nothing more is written, and the old file stays.
    using PieceConsumer = std::function<void(std::string_view piece)>;
    using PieceProducer = std::function<void(const PieceConsumer& write)>;
    virtual int writeFileAtomicInPieces(const std::filesystem::path& path,
                                        const PieceProducer& produce,
                                        Access access = Access::Shared) const;

    // The first half of writeFileAtomic for files put in place together: the data goes to a
    // temporary file beside path (named in staged) and is not flushed. After one flushFileSystem
    // for the whole batch, rename puts each in place and a second flushFileSystem makes the renames
    // last: two flushes for the batch instead of two for each file. A new file gets the access
    // given; an existing one keeps its mode. On failure nothing is left.
    virtual int stageReplacement(const std::filesystem::path& path, std::string_view data,
                                 std::filesystem::path& staged,
                                 Access access = Access::Shared) const;

    // Writes a new file (EEXIST when the path is taken) and starts writing it to disk without
    // waiting for it; syncFiles then makes it durable. Many files written this way share the
    // disk's flushes instead of waiting for one each. On failure the file is gone.
    virtual int writeNewFile(const std::filesystem::path& path, std::string_view data) const;
    // The same for a copy of an existing file, made in one pass through a buffer: each piece read
    // is handed to consume, written, read back from the new file and compared with what was read
    // (EIO on a difference). source receives the source file as it stood at the open. Its write to
    // disk is not started: a large copy is best handed to a WriteBackQueue.
    virtual int copyNewFile(const std::filesystem::path& from, const std::filesystem::path& to,
                            const PieceConsumer& consume, CopiedSource& source) const;
    // Makes the files (folders may be among them) and every folder made for them under root
    // survive a crash: each file's data is written out and waited for, then the file system that
    // holds root is flushed once (syncfs), with one flush of the disk's cache for the whole batch
    // instead of one per file. That flush writes whatever else is pending on the file system.
    virtual int syncFiles(const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& root) const;
    // The first half of syncFiles for one file: its data written out and waited for, neither its
    // metadata nor the disk's cache flushed. 0 or errno.
    virtual int writeBackFile(const std::filesystem::path& file) const;

    // Creates one folder; an existing folder is success.
    virtual int createDirectory(const std::filesystem::path& path) const;
    virtual int createDirectories(const std::filesystem::path& path) const;
    virtual int removeFile(const std::filesystem::path& path) const;
    // Removes a file or a folder with everything in it; a missing path is success.
    virtual int removeAll(const std::filesystem::path& path) const;
    virtual int rename(const std::filesystem::path& from, const std::filesystem::path& to) const;
    // Copies the bytes into a new file (EEXIST when to exists), streaming, flushed to disk; a
    // failed copy leaves no file at to.
    virtual int copyFile(const std::filesystem::path& from, const std::filesystem::path& to) const;
    // The same without the flush, and without starting the write to disk, for a batch of many
    // files (a folder import) that ends with one flushFileSystem instead of a flush per file.
    virtual int copyFileUnflushed(const std::filesystem::path& from,
                                  const std::filesystem::path& to) const;
    // Flushes everything written to the file system that holds path (syncfs). 0 or errno.
    virtual int flushFileSystem(const std::filesystem::path& path) const;
    // Renames a file or folder but never replaces: EEXIST when the target exists. Both folders
    // are flushed afterwards, so that the rename survives a crash.
    virtual int renameNoReplace(const std::filesystem::path& from,
                                const std::filesystem::path& to) const;
    // The same without the folder flushes, for a batch that ends with one flushFileSystem.
    virtual int renameNoReplaceUnflushed(const std::filesystem::path& from,
                                         const std::filesystem::path& to) const;
    // The bytes an unprivileged user may still write on the file system that holds path.
    virtual std::optional<std::uint64_t> freeSpace(const std::filesystem::path& path) const;
    // Takes an exclusive advisory lock on the file (created when missing) without waiting:
    // EWOULDBLOCK while another process or object holds it. The lock goes with the object.
    virtual int tryLock(const std::filesystem::path& path, FileLock& lock) const;

    // Moves a file or folder to a path that does not exist yet. Across file systems it copies,
    // verifies every file's size, then deletes the source; a failure half way removes the partial
    // copy and leaves the source complete.
    virtual int moveTree(const std::filesystem::path& from, const std::filesystem::path& to) const;

    // The entries of a folder, sorted by name; err receives 0 or the failure.
    virtual std::vector<Entry> listDirectory(const std::filesystem::path& path, int& err) const;

    virtual std::filesystem::path currentDirectory() const;
    // The system's temporary folder ($TMPDIR, else /tmp).
    virtual std::filesystem::path tempDirectory() const;
};

// The process-wide real file system.
const FileSystem& realFileSystem();

// A short human-readable text for an errno value.
std::string errorText(int err);

} // namespace tarnel::platform
