#include "ops/document_import.h"

#include "ops/category_folder.h"
#include "ops/file_copy.h"
#include "ops/import_messages.h"
#include "ops/index_bookkeeping.h"
#include "platform/text_format.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using store::CategoryRecord;
using store::PointRecord;
namespace point = store::point;
using Type = platform::FileSystem::EntryInfo::Type;

// Everything one import added, so that a failed save can take it away again.
class DocumentImport {
public:
    DocumentImport(OperationContext& context, CategoryRecord& category)
        : m_context(context), m_category(category), m_folders(context.fileSystem) {
        for (CategoryRecord* c = &category; c; c = c->parent) {
            m_before.emplace_back(c, c->values);
        }
    }

    OperationResult run(const std::vector<fs::path>& files);

private:
    int importOne(const fs::path& file);
    void warn(std::string text) { m_context.prompt.show(text, MessageIcon::Warning); }
    int save();
    void undo();

    OperationContext& m_context;
    CategoryRecord& m_category;
    FolderUndo m_folders;
    std::vector<std::pair<CategoryRecord*, store::Record>> m_before;
    std::vector<fs::path> m_copies;
    std::vector<PointRecord*> m_added;
};

int DocumentImport::importOne(const fs::path& file) {
    store::CategoryStore& store = *m_category.owner;
    std::string name = file.filename().string();
    if (store.nameExistsUnder(m_category, name)) {
        warn(message::formatted(message::kImportNameTaken, {name}));
        return kNameTaken;
    }
    platform::FileSystem::EntryInfo info;
    if (m_context.fileSystem.entryInfo(file, info, platform::FileSystem::Links::Followed) != 0 ||
        info.type != Type::File) {
        warn(message::formatted(message::kFileInfoFailed, {file.string()}));
        return kContentMissing;
    }
    std::unique_ptr<PointRecord> record =
        importedPoint(m_category, name, info.size, info.created, info.created);
    fs::path target = store.contentPathOf(m_category, *record);
    if (int err = copyIntoPlace(m_context.fileSystem, file, target, Placement::NeverReplace)) {
        warn(message::formatted(message::kImportCopyFailed, {name}) + "\n" +
             platform::errorText(err));
        return kWriteFailed;
    }
    record->id = m_context.base.counters().next(store::IdKind::Point);
    record->values.setInteger(point::kId, record->id);
    PointRecord* raw = record.get();
    if (int rc = putPoint(m_context, m_category, std::move(record))) {
        m_context.fileSystem.removeFile(target);
        return rc;
    }
    m_copies.push_back(target);
    m_added.push_back(raw);
    return kOk;
}

int DocumentImport::save() {
    int rc = m_context.base.savePoints(m_category);
    if (rc == kOk) {
        rc = m_context.base.saveStore(m_category.owner->kind());
    }
    if (rc == kOk) {
        rc = m_context.base.saveCounters();
    }
    return rc;
}

void DocumentImport::undo() {
    for (PointRecord* added : m_added) {
        takePoint(m_context, m_category, *added);
    }
    for (const fs::path& copy : m_copies) {
        m_context.fileSystem.removeFile(copy);
    }
    m_folders.undo();
    for (auto& [record, values] : m_before) {
        record->values = values;
    }
}

OperationResult DocumentImport::run(const std::vector<fs::path>& files) {
    if (int rc = ensureCategoryFolder(m_context, m_category, m_folders)) {
        return {rc};
    }
    int lastRefusal = kOk;
    for (const fs::path& file : files) {
        if (int rc = importOne(file)) {
            lastRefusal = rc;
        }
    }
    if (m_added.empty()) {
        m_folders.undo();
        return {lastRefusal};
    }
    if (int rc = save()) {
        undo();
        save();
        m_context.prompt.show(std::string(message::kImportFilesFailed), MessageIcon::Error);
        return {rc};
    }
    m_context.prompt.show(std::string(message::kImportFilesDone) +
                              std::string(message::kReportTail),
                          MessageIcon::Information);
    return {kOk, Field::None, m_added.back()->id};
}

} // namespace

std::unique_ptr<PointRecord> importedPoint(const CategoryRecord& category, std::string_view name,
                                           std::uint64_t size, std::time_t created,
                                           std::time_t modified) {
    auto record = std::make_unique<PointRecord>();
    record->values.setValue(point::kName, name);
    record->values.setInteger(point::kClass, category.id);
    record->values.setInteger(point::kStarNum, 1);
    record->values.setValue(point::kPointSize, std::to_string(size));
    record->values.setInteger(point::kState, 1);
    record->values.setValue(point::kCreateDate, platform::formatDateTime(created));
    record->values.setValue(point::kModifyDate, platform::formatDateTime(modified));
    return record;
}

std::string importDocumentsTitle(const CategoryRecord& category) {
    return message::formatted(message::kImportFilesTitle, {category.name()});
}

OperationResult importDocuments(OperationContext& context, CategoryRecord& category,
                                const std::vector<fs::path>& files) {
    if (category.id <= 0 || !context.base.categories().contains(&category)) {
        return {store::kNotAllowed};
    }
    DocumentImport import(context, category);
    return import.run(files);
}

} // namespace tarnel::ops
