#include "ops/point_restore.h"

#include "ops/folder_undo.h"
#include "ops/index_bookkeeping.h"
#include "ops/operation_messages.h"
#include "ops/operation_result.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using store::AttachmentRecord;
using store::CategoryRecord;
using store::CategoryStore;
using store::PointRecord;
using store::StoreKind;
namespace point = store::point;

bool listHolds(CategoryRecord& category, std::string_view name) {
    for (const auto& p : category.owner->pointsOf(category).records()) {
        if (store::equalIgnoringAsciiCase(p->name(), name)) {
            return true;
        }
    }
    return false;
}

// What the restore changed, in the order it changed it, so that it can be taken back.
class PointMove {
public:
    PointMove(OperationContext& context, CategoryRecord& from, CategoryRecord& to)
        : m_context(context), m_from(from), m_to(to), m_tags(context.base.tags()),
          m_folders(context.fileSystem) {}

    int run(const PointRecord& point, const std::string& newName);

private:
    int moveFiles(const PointRecord& point, const std::string& newName);
    void moveAttachments(long long pointId, CategoryRecord& from, CategoryRecord& to);
    void rejoinTags(PointRecord& record);
    int save();
    void undo();

    OperationContext& m_context;
    CategoryRecord& m_from;
    CategoryRecord& m_to;
    TagChanges m_tags;
    FolderUndo m_folders;
    fs::path m_oldPath;
    fs::path m_newPath;
    fs::path m_oldComment;
    fs::path m_newComment;
    bool m_contentMoved = false;
    bool m_commentMoved = false;
    bool m_attachmentsMoved = false;
    long long m_pointId = 0;
    std::unique_ptr<PointRecord> m_old;
    PointRecord* m_new = nullptr;
};

int PointMove::moveFiles(const PointRecord& point, const std::string& newName) {
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    m_oldPath = m_from.owner->contentPathOf(m_from, point);
    m_newPath = m_to.owner->folderOf(m_to) / newName;
    if (fileSystem.exists(m_oldPath)) {
        if (fileSystem.exists(m_newPath) ||
            m_folders.createDirectories(m_newPath.parent_path()) != 0 ||
            fileSystem.moveTree(m_oldPath, m_newPath) != 0) {
            m_folders.undo();
            return store::kFolderMoveFailed;
        }
        m_contentMoved = true;
    }
    m_oldComment = m_context.base.layout().commentFile(point.id, point.name());
    m_newComment = m_context.base.layout().commentFile(point.id, newName);
    if (point.values.integer(point::kHasComment) != 0 && m_oldComment != m_newComment &&
        fileSystem.exists(m_oldComment)) {
        if (fileSystem.rename(m_oldComment, m_newComment) != 0) {
            undo();
            return kRenameFailed;
        }
        m_commentMoved = true;
    }
    return store::kOk;
}

void PointMove::moveAttachments(long long pointId, CategoryRecord& from, CategoryRecord& to) {
    store::AttachmentList& source = from.owner->attachmentsOf(from);
    store::AttachmentList& target = to.owner->attachmentsOf(to);
    std::vector<const AttachmentRecord*> moving;
    for (const auto& attachment : source.records()) {
        if (attachment->values.integer(store::attachment::kPoint) == pointId) {
            moving.push_back(attachment.get());
        }
    }
    for (const AttachmentRecord* attachment : moving) {
        target.add(source.take(attachment));
    }
}

void PointMove::rejoinTags(PointRecord& record) {
    std::string list(record.values.value(point::kTagsId));
    record.values.clear(point::kTagsId);
    for (long long tagId : store::idsOfList(list)) {
        store::TagRecord* tag = m_context.base.tags().find(tagId);
        if (!tag || tag->id == 0) {
            continue;
        }
        m_tags.remember(*tag);
        tag->values.setInteger(store::tag::kPointNum,
                               tag->values.integer(store::tag::kPointNum) + 1);
        tag->values.setValue(store::tag::kClass,
                             store::listWith(tag->values.value(store::tag::kClass), m_to.id));
        record.values.setValue(point::kTagsId,
                               store::listWith(record.values.value(point::kTagsId), tagId));
        m_context.sink().notify(
            {store::change::kPointAddedToTag, m_to.owner->kind(), record.id, tagId});
    }
    m_tags.notifyChanged(m_context);
}

int PointMove::run(const PointRecord& point, const std::string& newName) {
    m_pointId = point.id;
    if (int rc = moveFiles(point, newName)) {
        return rc;
    }
    auto record = std::make_unique<PointRecord>();
    record->id = point.id;
    record->values = point.values;
    record->values.setInteger(point::kClass, m_to.id);
    record->values.setValue(point::kName, newName);
    if (m_to.owner->kind() != StoreKind::Recycle) {
        record->values.clear(point::kDeleteDate);
        record->values.clear(point::kOriginalLocal);
    }
    if (point.values.integer(point::kAppendNum) > 0) {
        moveAttachments(point.id, m_from, m_to);
        m_attachmentsMoved = true;
    }
    m_old = takePoint(m_context, m_from, point);
    if (m_to.owner->kind() != StoreKind::Recycle) {
        rejoinTags(*record);
    }
    m_new = record.get();
    if (int rc = putPoint(m_context, m_to, std::move(record))) {
        m_new = nullptr;
        undo();
        return rc;
    }
    if (save() != store::kOk) {
        undo();
        save();
        return store::kSaveFailed;
    }
    return store::kOk;
}

int PointMove::save() {
    store::KnowledgeStore& base = m_context.base;
    int rc = m_tags.any() ? base.saveStore(StoreKind::Tag) : store::kOk;
    if (rc == store::kOk && m_attachmentsMoved) {
        rc = base.saveAttachments(m_from);
        if (rc == store::kOk) {
            rc = base.saveAttachments(m_to);
        }
    }
    for (CategoryRecord* category : {&m_from, &m_to}) {
        if (rc == store::kOk) {
            rc = base.savePoints(*category);
        }
        if (rc == store::kOk) {
            rc = base.saveStore(category->owner->kind());
        }
    }
    return rc;
}

void PointMove::undo() {
    if (m_new) {
        takePoint(m_context, m_to, *m_new);
        m_new = nullptr;
    }
    if (m_old) {
        putPoint(m_context, m_from, std::move(m_old));
    }
    m_tags.restore();
    if (m_attachmentsMoved) {
        moveAttachments(m_pointId, m_to, m_from);
    }
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    if (m_commentMoved) {
        fileSystem.rename(m_newComment, m_oldComment);
    }
    if (m_contentMoved) {
        fileSystem.moveTree(m_newPath, m_oldPath);
    }
    m_folders.undo();
}

} // namespace

std::string freePointName(std::string_view name,
                          const std::function<bool(const std::string&)>& taken) {
    std::size_t dot = name.rfind('.');
    for (long long n = 1;; ++n) {
        std::string candidate = dot == std::string_view::npos
                                    ? std::string(name) + "(" + store::decimal(n) + ")"
                                    : std::string(name.substr(0, dot)) + "(" + store::decimal(n) +
                                          ")." + std::string(name.substr(dot + 1));
        if (!taken(candidate)) {
            return candidate;
        }
    }
}

std::string formerLocationOf(const PointRecord& point, const CategoryRecord& target) {
    std::string_view stored = point.values.value(point::kOriginalLocal);
    return stored.empty() ? CategoryStore::formerLocationPath(target) : std::string(stored);
}

int restorePoint(OperationContext& context, CategoryRecord& from, const PointRecord& point,
                 CategoryRecord& target) {
    if (!target.owner || (target.owner->kind() == StoreKind::Category && !target.parent)) {
        return store::kNotAllowed;
    }
    fs::path folder = target.owner->folderOf(target);
    auto taken = [&](const std::string& name) {
        return listHolds(target, name) || context.fileSystem.exists(folder / name);
    };
    std::string name(point.name());
    if (taken(name)) {
        std::string freeName = freePointName(name, taken);
        std::string question = message::formatted(message::kPointRenameQuestion,
                                                  {formerLocationOf(point, target), freeName});
        switch (
            context.prompt.ask(question, app::MessageIcon::Question, app::Buttons::YesNoCancel)) {
        case app::Answer::Yes:
            name = freeName;
            break;
        case app::Answer::Cancel:
            return kCancelled;
        default:
            return kDeclined;
        }
    }
    PointMove move(context, from, target);
    return move.run(point, name);
}

} // namespace tarnel::ops
