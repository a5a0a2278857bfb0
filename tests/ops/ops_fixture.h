#pragma once

#include "ops/operation_context.h"
#include "store/knowledge_store.h"
#include "store/table_file.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tarnel::test {

namespace fs = std::filesystem;

// The real file system with failures switched on by a piece of the path.
class OpsFileSystem : public platform::FileSystem {
public:
    std::string failWritesTo;          // writeFileAtomic, writeFileAtomicInPieces, stageReplacement
    std::string failRenamesOf;         // rename, either path
    std::string failCreatesOf;         // createDirectory
    std::string failRemovesOf;         // removeFile, removeAll
    std::string failCopiesOf;          // copyFile, copyFileUnflushed
    bool renameCrossesDevices = false; // every folder rename fails with EXDEV
    // How often each file of the Index folder was written or removed, by name.
    mutable std::map<std::string, int> indexWrites;

    int writeFileAtomic(const fs::path& path, std::string_view data, Access access) const override {
        countIndexWrite(path);
        return matches(path, failWritesTo) ? ENOSPC
                                           : FileSystem::writeFileAtomic(path, data, access);
    }
    int stageReplacement(const fs::path& path, std::string_view data, fs::path& staged,
                         Access access) const override {
        countIndexWrite(path);
        return matches(path, failWritesTo)
                   ? ENOSPC
                   : FileSystem::stageReplacement(path, data, staged, access);
    }
    int writeFileAtomicInPieces(const fs::path& path, const PieceProducer& produce,
                                Access access) const override {
        countIndexWrite(path);
        return matches(path, failWritesTo)
                   ? ENOSPC
                   : FileSystem::writeFileAtomicInPieces(path, produce, access);
    }
    int rename(const fs::path& from, const fs::path& to) const override {
        if (matches(from, failRenamesOf) || matches(to, failRenamesOf)) {
            return EACCES;
        }
        if (renameCrossesDevices && isDirectory(from)) {
            return EXDEV;
        }
        return FileSystem::rename(from, to);
    }
    int createDirectory(const fs::path& path) const override {
        return matches(path, failCreatesOf) ? EACCES : FileSystem::createDirectory(path);
    }
    int createDirectories(const fs::path& path) const override {
        return matches(path, failCreatesOf) ? EACCES : FileSystem::createDirectories(path);
    }
    int removeFile(const fs::path& path) const override {
        countIndexWrite(path);
        return matches(path, failRemovesOf) ? EACCES : FileSystem::removeFile(path);
    }
    int removeAll(const fs::path& path) const override {
        return matches(path, failRemovesOf) ? EACCES : FileSystem::removeAll(path);
    }
    int copyFile(const fs::path& from, const fs::path& to) const override {
        return matches(from, failCopiesOf) ? ENOSPC : FileSystem::copyFile(from, to);
    }
    int copyFileUnflushed(const fs::path& from, const fs::path& to) const override {
        return matches(from, failCopiesOf) ? ENOSPC : FileSystem::copyFileUnflushed(from, to);
    }

private:
    // Files are removed on the copying threads too.
    void countIndexWrite(const fs::path& path) const {
        if (path.parent_path().filename() == "Index") {
            std::lock_guard lock(m_indexWritesMutex);
            ++indexWrites[path.filename().string()];
        }
    }
    mutable std::mutex m_indexWritesMutex;
    static bool matches(const fs::path& path, const std::string& piece) {
        return !piece.empty() && path.string().find(piece) != std::string::npos;
    }
};

// Every file and folder under a root with its bytes ("<dir>" for a folder).
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshotOf(const fs::path& root);

// The rows of a table file decoded to UTF-8, header first; empty when the file is missing.
using Rows = std::vector<std::vector<std::string>>;
Rows tableRows(const fs::path& file);

inline constexpr const char* kNow = "2024-05-06 07:08:09";

// A knowledge base in a fresh folder, opened through OpsFileSystem, with a scripted prompt and a
// recording sink.
class OpsTest : public ::testing::Test {
protected:
    TempDir dir;
    OpsFileSystem fileSystem;
    store::RecordingChangeSink sink;
    ScriptedPrompt prompt;
    store::KnowledgeStore base{fileSystem, sink};
    ops::OperationContext context{base, fileSystem, prompt, [] { return std::string(kNow); }};

    void SetUp() override;

    fs::path data() const { return dir.path(); }
    fs::path resource(const std::string& relative) const;
    fs::path recycleFolder(const std::string& relative) const;
    fs::path indexFile(const std::string& name) const { return dir / "Index" / name; }

    store::CategoryStore& categories() { return base.categories(); }
    store::CategoryStore& recycle() { return base.recycle(); }

    // A category made through the store, its folder made, the store saved; nothing reported.
    store::CategoryRecord* makeCategory(store::CategoryRecord* parent, const std::string& name);
    // A point of the category with a content file of the given bytes; the list is saved.
    store::PointRecord* makePoint(store::CategoryRecord& category, const std::string& name,
                                  const std::string& bytes = "content");
    // A tag made through the tag store under parent (null: the tag root); the store is saved.
    store::TagRecord* makeTag(const std::string& name, store::TagRecord* parent = nullptr);
    // Saves everything and reopens the base from disk; the prompt and the sink are cleared.
    void reopen();

    store::CategoryRecord* byPath(const std::string& names);
    std::vector<int> codes() const;
    // The decoded value row of the record with that id (column 0) in a table file; empty when
    // there is none.
    std::vector<std::string> rowOf(const std::string& indexName, long long id);
};

} // namespace tarnel::test
