#include "platform/file_system.h"
#include "platform/text_format.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tarnel::platform {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::vector<std::string> namesIn(const std::filesystem::path& dir) {
    int err = 0;
    std::vector<std::string> names;
    for (const auto& entry : realFileSystem().listDirectory(dir, err)) {
        names.push_back(entry.name);
    }
    return names;
}

TEST(FileSystemTest, AtomicWriteReplacesAndKeepsTheMode) {
    TempDir dir;
    const auto file = dir / "kms.cls";
    const FileSystem& fs = realFileSystem();
    ASSERT_EQ(fs.writeFileAtomic(file, "first", FileSystem::Access::OwnerOnly), 0);
    ::chmod(file.c_str(), 0640);
    ASSERT_EQ(fs.writeFileAtomic(file, "second"), 0);
    EXPECT_EQ(readBytes(file), "second");
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"kms.cls"});
}

// The rename at the end of a save fails: the old file must stand and no temporary file remain.
class FailingRename : public FileSystem {
public:
    int rename(const std::filesystem::path&, const std::filesystem::path&) const override {
        return EACCES;
    }
};

TEST(FileSystemTest, AFailedReplaceLeavesTheOldFileAlone) {
    TempDir dir;
    const auto file = dir / "kms.ids";
    writeBytes(file, "old");
    FailingRename fs;
    EXPECT_EQ(fs.writeFileAtomic(file, "new"), EACCES);
    EXPECT_EQ(readBytes(file), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"kms.ids"});
    EXPECT_EQ(fs.writeFileAtomic(dir / "missing-folder" / "x", "new"), ENOENT);
}

// Pieces are joined in order. When the disk takes no more half way (here the file size limit),
// the save fails with the reason even though a later piece is written without an error, and the
// old file stands with no temporary file beside it.
TEST(FileSystemTest, AWriteInPiecesFailsAtThePieceThatCannotBeWritten) {
    TempDir dir;
    const auto file = dir / "note.rtf";
    const FileSystem& fs = realFileSystem();
    ASSERT_EQ(fs.writeFileAtomicInPieces(file,
                                         [](const FileSystem::PieceConsumer& write) {
                                             write("{\\rtf1 ");
                                             write("");
                                             write("text}");
                                         }),
              0);
    EXPECT_EQ(readBytes(file), "{\\rtf1 text}");

    struct rlimit unlimited {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    struct rlimit limited = unlimited;
    limited.rlim_cur = 4096;
    auto handler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int err = fs.writeFileAtomicInPieces(file, [](const FileSystem::PieceConsumer& write) {
        write(std::string(3000, 'a'));
        write(std::string(3000, 'b'));
        write("");
    });
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    ::signal(SIGXFSZ, handler);
    EXPECT_EQ(err, EFBIG);
    EXPECT_EQ(readBytes(file), "{\\rtf1 text}");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"note.rtf"});
}

// A note of some megabytes in pieces of many lengths, as the rich-text writer hands them on, is
// the pieces joined exactly. When the disk takes no more a few megabytes in, long after the first
// pieces were written and with many still to come, the save fails with the reason and leaves the
// old file alone.
TEST(FileSystemTest, ALargeWriteInPiecesIsThePiecesJoinedOrFailsWhole) {
    TempDir dir;
    const auto file = dir / "note.rtf";
    const FileSystem& fs = realFileSystem();
    auto produce = [](std::string& joined) {
        return [&joined](const FileSystem::PieceConsumer& write) {
            for (std::size_t i = 0; joined.size() < (5u << 20); ++i) {
                std::string piece(1 + i * 7919 % 90000, static_cast<char>('A' + i % 58));
                joined += piece;
                write(piece);
            }
        };
    };
    std::string expected;
    ASSERT_EQ(fs.writeFileAtomicInPieces(file, produce(expected)), 0);
    EXPECT_EQ(readBytes(file), expected);

    struct rlimit unlimited {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    struct rlimit limited = unlimited;
    limited.rlim_cur = 3u << 20;
    auto handler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string refused;
    int err = fs.writeFileAtomicInPieces(file, produce(refused));
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    ::signal(SIGXFSZ, handler);
    EXPECT_EQ(err, EFBIG);
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"note.rtf"});
}

// Renames that cross file systems fail with EXDEV; a move must then copy and delete.
class OtherDevice : public FileSystem {
public:
    int rename(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        return from.filename() == to.filename() ? EXDEV : FileSystem::rename(from, to);
    }
    int copyFile(const std::filesystem::path& from,
                 const std::filesystem::path& to) const override {
        if (from.filename() == failOn) {
            return ENOSPC;
        }
        return FileSystem::copyFile(from, to);
    }
    std::string failOn;
};

TEST(FileSystemTest, MoveAcrossFileSystemsCopiesThenDeletes) {
    TempDir dir;
    const auto source = dir / "Resource" / "Notes";
    std::filesystem::create_directories(source / "Sub");
    writeBytes(source / "a.rtf", "{\\rtf1 a}");
    writeBytes(source / "Sub" / "b.txt", "bb");
    std::filesystem::create_directories(dir / "Target");
    OtherDevice fs;

    ASSERT_EQ(fs.moveTree(source, dir / "Target" / "Notes"), 0);
    EXPECT_FALSE(std::filesystem::exists(source));
    EXPECT_EQ(readBytes(dir / "Target" / "Notes" / "a.rtf"), "{\\rtf1 a}");
    EXPECT_EQ(readBytes(dir / "Target" / "Notes" / "Sub" / "b.txt"), "bb");
}

TEST(FileSystemTest, AMoveThatFailsHalfWayLeavesTheSourceComplete) {
    TempDir dir;
    const auto source = dir / "Notes";
    std::filesystem::create_directories(source);
    writeBytes(source / "a.rtf", "a");
    writeBytes(source / "z.rtf", "z");
    std::filesystem::create_directories(dir / "Target");
    OtherDevice fs;
    fs.failOn = "z.rtf";

    EXPECT_EQ(fs.moveTree(source, dir / "Target" / "Notes"), ENOSPC);
    EXPECT_EQ(readBytes(source / "a.rtf"), "a");
    EXPECT_EQ(readBytes(source / "z.rtf"), "z");
    EXPECT_FALSE(std::filesystem::exists(dir / "Target" / "Notes"));
    EXPECT_EQ(fs.moveTree(source, dir / "Target"), EEXIST);
}

TEST(TextFormatTest, FixedFormats) {
    EXPECT_EQ(formatVersion(210), "2.1.0");
    EXPECT_EQ(formatVersion(99), "9.9");
    EXPECT_EQ(formatSize(512), "0.50KB");
    EXPECT_EQ(formatSize(1024 * 1024), "1.00MB");
    EXPECT_EQ(formatSize(3ull * 1024 * 1024 * 1024 / 2), "1.50GB");
    std::string now = currentDateTime();
    ASSERT_EQ(now.size(), 19u);
    EXPECT_EQ(now[4], '-');
    EXPECT_EQ(now[10], ' ');
    EXPECT_EQ(now[13], ':');
}

TEST(FileSystemTest, RenameNoReplaceNeverReplaces) {
    TempDir dir;
    const FileSystem& fs = realFileSystem();
    writeBytes(dir / "a", "a");
    writeBytes(dir / "b", "b");
    EXPECT_EQ(fs.renameNoReplace(dir / "a", dir / "b"), EEXIST);
    EXPECT_EQ(readBytes(dir / "b"), "b");
    EXPECT_EQ(fs.renameNoReplace(dir / "a", dir / "c"), 0);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(fs.renameNoReplace(dir / "a", dir / "d"), ENOENT);
}

// A name is taken by whatever entry holds it, a link that leads nowhere too.
TEST(FileSystemTest, ANameExistsWhateverEntryHoldsIt) {
    TempDir dir;
    const FileSystem& fs = realFileSystem();
    writeBytes(dir / "file", "x");
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink(dir / "gone", dir / "dangling");
    EXPECT_TRUE(fs.exists(dir / "file"));
    EXPECT_TRUE(fs.exists(dir / "folder"));
    EXPECT_TRUE(fs.exists(dir / "dangling"));
    EXPECT_FALSE(fs.exists(dir / "gone"));
    EXPECT_FALSE(fs.exists(dir / "file" / "below"));
}

TEST(FileSystemTest, NewFilesAreWrittenOrCopiedOnlyWhereNothingStands) {
    TempDir dir;
    const FileSystem& fs = realFileSystem();
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7 % 253);
    }
    ASSERT_EQ(fs.writeNewFile(dir / "a.rtf", big), 0);
    EXPECT_EQ(fs.writeNewFile(dir / "a.rtf", "other"), EEXIST);
    std::string seen;
    auto see = [&seen](std::string_view piece) { seen.append(piece); };
    FileSystem::CopiedSource source;
    ASSERT_EQ(fs.copyNewFile(dir / "a.rtf", dir / "sub.rtf", see, source), 0);
    EXPECT_EQ(seen, big);
    FileSystem::FileIdentity identity;
    ASSERT_EQ(fs.fileIdentity(dir / "a.rtf", identity), 0);
    EXPECT_EQ(source.identity, identity);
    EXPECT_EQ(identity.size, big.size());
    // Written a moment ago: a change now might keep its time stamps.
    EXPECT_FALSE(source.settled);
    EXPECT_EQ(fs.copyNewFile(dir / "sub.rtf", dir / "a.rtf", see, source), EEXIST);
    EXPECT_EQ(fs.copyNewFile(dir / "missing", dir / "b.rtf", see, source), ENOENT);
    EXPECT_EQ(fs.copyNewFile(dir.path(), dir / "c.rtf", see, source), EISDIR);
    EXPECT_EQ(readBytes(dir / "a.rtf"), big);
    EXPECT_EQ(readBytes(dir / "sub.rtf"), big);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.rtf", "sub.rtf"}));
    std::filesystem::create_directories(dir / "x/y");
    ASSERT_EQ(fs.writeNewFile(dir / "x/y/n.rtf", "n"), 0);
    EXPECT_EQ(fs.syncFiles({dir / "x/y/n.rtf", dir / "a.rtf", dir / "x"}, dir.path()), 0);
    EXPECT_EQ(fs.syncFiles({dir / "gone.rtf"}, dir.path()), ENOENT);
}

TEST(FileSystemTest, ALockKeepsASecondHolderOutUntilItGoes) {
    TempDir dir;
    const FileSystem& fs = realFileSystem();
    FileLock first;
    ASSERT_EQ(fs.tryLock(dir / "lock", first), 0);
    EXPECT_TRUE(first.held());
    FileLock second;
    EXPECT_EQ(fs.tryLock(dir / "lock", second), EWOULDBLOCK);
    EXPECT_FALSE(second.held());
    first = FileLock();
    EXPECT_EQ(fs.tryLock(dir / "lock", second), 0);
    EXPECT_TRUE(fs.freeSpace(dir.path()).has_value());
}

} // namespace
} // namespace tarnel::platform

namespace tarnel::platform {
namespace {

TEST(FileSystemEntryInfoTest, SizesBeyond4GiBLinksAndLoopsAreReportedAsTheyAre) {
    test::TempDir dir;
    const FileSystem& fileSystem = realFileSystem();
    test::writeBytes(dir / "big", "");
    std::filesystem::resize_file(dir / "big", (5ull << 30) + 7); // sparse
    std::filesystem::create_symlink(dir / "loop-a", dir / "loop-b");
    std::filesystem::create_symlink(dir / "loop-b", dir / "loop-a");
    std::filesystem::create_directory_symlink(dir.path(), dir / "self");
    FileSystem::EntryInfo info;
    ASSERT_EQ(fileSystem.entryInfo(dir / "big", info), 0);
    EXPECT_EQ(info.type, FileSystem::EntryInfo::Type::File);
    EXPECT_EQ(info.size, (5ull << 30) + 7);
    EXPECT_GT(info.created, 0);
    EXPECT_GE(info.modified, info.created - 1);
    ASSERT_EQ(fileSystem.entryInfo(dir / "self", info), 0);
    EXPECT_EQ(info.type, FileSystem::EntryInfo::Type::Symlink);
    ASSERT_EQ(fileSystem.entryInfo(dir / "self", info, FileSystem::Links::Followed), 0);
    EXPECT_EQ(info.type, FileSystem::EntryInfo::Type::Directory);
    EXPECT_EQ(fileSystem.entryInfo(dir / "loop-a", info, FileSystem::Links::Followed), ELOOP);
    EXPECT_EQ(fileSystem.entryInfo(dir / "missing", info), ENOENT);
}

TEST(FileSystemCopyTest, ACopyStreamsTheBytesAndNeverReplaces) {
    test::TempDir dir;
    const FileSystem& fileSystem = realFileSystem();
    std::string bytes(3 << 20, 'x');
    bytes[12345] = 'y';
    test::writeBytes(dir / "from", bytes);
    ASSERT_EQ(fileSystem.copyFile(dir / "from", dir / "to"), 0);
    EXPECT_EQ(test::readBytes(dir / "to"), bytes);
    EXPECT_EQ(fileSystem.copyFile(dir / "from", dir / "to"), EEXIST);
    EXPECT_EQ(fileSystem.copyFile(dir.path(), dir / "dir-copy"), EISDIR);
    EXPECT_FALSE(std::filesystem::exists(dir / "dir-copy"));
}

} // namespace
} // namespace tarnel::platform
