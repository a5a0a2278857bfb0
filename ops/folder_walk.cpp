#include "ops/folder_walk.h"

#include "ops/document_import.h"
#include "ops/file_copy.h"
#include "ops/import_messages.h"
#include "store/attribute_tables.h"
#include "store/staged_saves.h"

#include <thread>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using store::CategoryRecord;
using EntryInfo = platform::FileSystem::EntryInfo;
using Links = platform::FileSystem::Links;
namespace category = store::category;
namespace point = store::point;

// A table file cannot carry every control character, and a name with a line break is no name a
// user can read back.
bool hasControlCharacter(std::string_view name) {
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f) {
            return true;
        }
    }
    return false;
}

} // namespace

void runOnWorkerThread(const std::function<void()>& work) {
    std::thread worker(work);
    worker.join();
}

WalkReport FolderWalk::run(CategoryRecord& top, const fs::path& source) {
    m_report = {};
    m_touched.clear();
    if (m_mode == WalkMode::Import) {
        m_copies = std::make_unique<ParallelCopies>(m_context.fileSystem, Placement::NeverReplace);
    }
    walkFolder(top, source);
    m_copies.reset();
    saveTouchedLists(m_mode == WalkMode::Import ? top.owner->folderOf(top) : fs::path());
    m_progress.done();
    return m_report;
}

// The copies in copied (none when empty) are flushed with the lists, before any list that names
// them is put in place, instead of a flush for each file.
void FolderWalk::saveTouchedLists(const fs::path& copied) {
    store::StagedSaves saves(m_context.fileSystem);
    std::vector<int> results;
    results.reserve(m_touched.size());
    for (store::CategoryRecord* record : m_touched) {
        results.push_back(m_context.base.savePoints(*record, &saves));
    }
    fs::path failed;
    if (int err = saves.commit(copied, failed); err && m_report.code == kOk) {
        stop(kWriteFailed, failed.string() + ": " + platform::errorText(err));
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i] != kOk && m_report.code == kOk) {
            stop(results[i], message::formatted(message::kWalkAddFailed, {m_touched[i]->name()}));
        }
    }
}

bool FolderWalk::stop(int code, std::string failure) {
    m_report.code = code;
    m_report.failure = std::move(failure);
    return false;
}

void FolderWalk::skip(const fs::path& path, const std::string& reason) {
    m_report.skipped.push_back(path.string() + ": " + reason);
}

bool FolderWalk::walkFolder(CategoryRecord& category, const fs::path& source) {
    m_progress.status(message::formatted(m_mode == WalkMode::Import ? message::kWalkImportStatus
                                                                    : message::kWalkLinkStatus,
                                         {category.name()}));
    int err = 0;
    std::vector<platform::FileSystem::Entry> entries =
        m_context.fileSystem.listDirectory(source, err);
    if (err != 0) {
        skip(source, platform::errorText(err));
    }
    store::PointList& points = category.owner->pointsOf(category);
    std::size_t pointsBefore = points.size();
    bool going = true;
    for (const auto& entry : entries) {
        if (entry.name.starts_with('.')) {
            continue;
        }
        if (m_progress.cancelRequested()) {
            m_report.code = kWalkCancelled;
            m_report.stoppedBefore = (source / entry.name).string();
            going = false;
            break;
        }
        if (!walkEntry(category, source / entry.name, entry.name)) {
            going = false;
            break;
        }
    }
    // The folder's points are all in its list before it is looked at, and before a cancel is
    // reported: every entry before the one it stopped at is in.
    if (!addAllCopied()) {
        going = false;
    }
    if (points.size() != pointsBefore || points.changed()) {
        m_touched.push_back(&category);
    }
    return going;
}

bool FolderWalk::walkEntry(CategoryRecord& category, const fs::path& path,
                           const std::string& name) {
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    EntryInfo info;
    if (int err = fileSystem.entryInfo(path, info)) {
        skip(path, platform::errorText(err));
        return true;
    }
    if (hasControlCharacter(name)) {
        skip(path, std::string(message::kSkippedName));
        return true;
    }
    if (info.type == EntryInfo::Type::Symlink) {
        if (int err = fileSystem.entryInfo(path, info, Links::Followed)) {
            skip(path, platform::errorText(err));
            return true;
        }
        if (info.type == EntryInfo::Type::Directory) {
            skip(path, std::string(message::kSkippedLinkedFolder));
            return true;
        }
    }
    if (info.type == EntryInfo::Type::Directory) {
        if (!m_subfolders) {
            return true;
        }
        // The points before the folder come first, as the walk met them.
        if (!addAllCopied()) {
            return false;
        }
        CategoryRecord* child = addCategory(category, name);
        return child && walkFolder(*child, path);
    }
    if (info.type != EntryInfo::Type::File) {
        skip(path, platform::errorText(ENODEV));
        return true;
    }
    return addFile(category, path, name, info.size, info.created, info.modified);
}

bool FolderWalk::addFile(CategoryRecord& category, const fs::path& path, const std::string& name,
                         std::uint64_t size, std::time_t created, std::time_t modified) {
    std::unique_ptr<store::PointRecord> record =
        importedPoint(category, name, size, created, modified);
    fs::path target = category.owner->contentPathOf(category, *record);
    if (m_mode == WalkMode::Link) {
        return addPoint(category, std::move(record), target, name, size);
    }
    m_copies->submit(path, target);
    m_copying.push_back({&category, std::move(record), path, target, name, size});
    return m_copying.size() < ParallelCopies::kInFlight || addOldestCopied();
}

bool FolderWalk::addOldestCopied() {
    int err = m_copies->collectOldest();
    CopyingPoint copied = std::move(m_copying.front());
    m_copying.pop_front();
    bool added = err == 0
                     ? addPoint(*copied.category, std::move(copied.record), copied.target,
                                copied.name, copied.size)
                     : stop(kWriteFailed,
                            message::formatted(message::kWalkCopyFailed, {copied.name}) + "\n" +
                                copied.source.string() + ": " + platform::errorText(err));
    if (!added) {
        removeUncollectedCopies();
    }
    return added;
}

bool FolderWalk::addAllCopied() {
    while (!m_copying.empty()) {
        if (!addOldestCopied()) {
            return false;
        }
    }
    return true;
}

// The walk stopped at an earlier file: no point will name these copies.
void FolderWalk::removeUncollectedCopies() {
    while (!m_copying.empty()) {
        if (m_copies->collectOldest() == 0) {
            m_context.fileSystem.removeFile(m_copying.front().target);
        }
        m_copying.pop_front();
    }
}

bool FolderWalk::addPoint(CategoryRecord& category, std::unique_ptr<store::PointRecord> record,
                          const fs::path& target, const std::string& name, std::uint64_t size) {
    record->id = m_context.base.counters().next(store::IdKind::Point);
    record->values.setInteger(point::kId, record->id);
    if (int rc = category.owner->addPoint(category, std::move(record))) {
        if (m_mode == WalkMode::Import) {
            m_context.fileSystem.removeFile(target);
        }
        return stop(rc, message::formatted(message::kWalkAddFailed, {name}));
    }
    category.values.setInteger(category::kPointNum,
                               category.values.integer(category::kPointNum) + 1);
    for (CategoryRecord* r = &category; r && r->id > 0; r = r->parent) {
        r->values.setInteger(category::kSize, r->size() + static_cast<long long>(size));
    }
    ++m_report.pointsAdded;
    return true;
}

CategoryRecord* FolderWalk::addCategory(CategoryRecord& parent, const std::string& name) {
    auto record = std::make_unique<CategoryRecord>();
    record->values.setValue(category::kName, name);
    record->values.setInteger(category::kStarNum, 1);
    record->values.setInteger(category::kState, 1);
    record->values.setValue(category::kCreateDate, m_context.now());
    CategoryRecord* raw = record.get();
    if (int rc = parent.owner->add(std::move(record), &parent)) {
        stop(rc, message::formatted(message::kWalkAddFailed, {name}));
        return nullptr;
    }
    ++m_report.categoriesAdded;
    return raw;
}

} // namespace tarnel::ops
