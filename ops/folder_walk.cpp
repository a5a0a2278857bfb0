#include "ops/folder_walk.h"

#include "ops/document_import.h"
#include "ops/file_copy.h"
#include "ops/import_messages.h"
#include "store/attribute_tables.h"

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
    walkFolder(top, source);
    m_progress.done();
    return m_report;
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
    if (points.size() != pointsBefore || points.changed()) {
        if (int rc = m_context.base.savePoints(category)) {
            return stop(rc, message::formatted(message::kWalkAddFailed, {category.name()}));
        }
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
    store::CategoryStore& store = *category.owner;
    std::unique_ptr<store::PointRecord> record =
        importedPoint(category, name, size, created, modified);
    fs::path target = store.contentPathOf(category, *record);
    if (m_mode == WalkMode::Import) {
        if (int err = copyIntoPlace(m_context.fileSystem, path, target, Placement::NeverReplace)) {
            return stop(kWriteFailed, message::formatted(message::kWalkCopyFailed, {name}) + "\n" +
                                          path.string() + ": " + platform::errorText(err));
        }
    }
    record->id = m_context.base.counters().next(store::IdKind::Point);
    record->values.setInteger(point::kId, record->id);
    if (int rc = store.addPoint(category, std::move(record))) {
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
