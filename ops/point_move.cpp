#include "ops/point_move.h"

#include "ops/folder_undo.h"
#include "ops/index_bookkeeping.h"
#include "ops/operation_result.h"
#include "ops/point_tags.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using store::AttachmentRecord;
using store::CategoryRecord;
using store::PointRecord;
using store::StoreKind;
namespace point = store::point;

// What the move changed, in the order it changed it, so that it can be taken back.
class PointMove {
public:
    PointMove(OperationContext& context, CategoryRecord& from, CategoryRecord& to)
        : m_context(context), m_from(from), m_to(to), m_tags(context.base.tags()),
          m_folders(context.fileSystem) {}

    int run(const PointRecord& point, const std::string& newName);

private:
    int moveFiles(const PointRecord& point, const PointRecord& moved);
    void moveAttachments(long long pointId, CategoryRecord& from, CategoryRecord& to);
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
    // The categories whose counts and sizes the move changes, as they were written.
    std::vector<std::pair<CategoryRecord*, store::Record>> m_categoriesBefore;
    std::unique_ptr<PointRecord> m_old;
    PointRecord* m_new = nullptr;
};

int PointMove::moveFiles(const PointRecord& point, const PointRecord& moved) {
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    m_oldPath = m_from.owner->contentPathOf(m_from, point);
    m_newPath = m_to.owner->contentPathOf(m_to, moved);
    if (fileSystem.exists(m_oldPath) && m_oldPath != m_newPath) {
        if (fileSystem.exists(m_newPath) ||
            m_folders.createDirectories(m_newPath.parent_path()) != 0 ||
            fileSystem.moveTree(m_oldPath, m_newPath) != 0) {
            m_folders.undo();
            return store::kFolderMoveFailed;
        }
        m_contentMoved = true;
    }
    m_oldComment = m_context.base.layout().commentFile(point.id, point.name());
    m_newComment = m_context.base.layout().commentFile(point.id, moved.name());
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

int PointMove::run(const PointRecord& point, const std::string& newName) {
    if (!m_to.owner || m_to.owner->pointsOf(m_to).holding() == store::ListHolding::Nothing) {
        return store::kNotAllowed;
    }
    m_pointId = point.id;
    for (CategoryRecord* side : {&m_from, &m_to}) {
        for (CategoryRecord* c = side; c; c = c->parent) {
            m_categoriesBefore.emplace_back(c, c->values);
        }
    }
    auto record = std::make_unique<PointRecord>();
    record->id = point.id;
    record->values = point.values;
    record->values.setInteger(point::kClass, m_to.id);
    record->values.setValue(point::kName, newName);
    if (m_to.owner->kind() == StoreKind::Recycle) {
        if (m_from.owner->kind() != StoreKind::Recycle) {
            record->values.setValue(point::kDeleteDate, m_context.now());
            record->values.setValue(point::kOriginalLocal,
                                    store::CategoryStore::formerLocationPath(m_from));
        }
    } else {
        record->values.clear(point::kDeleteDate);
        record->values.clear(point::kOriginalLocal);
    }
    if (int rc = moveFiles(point, *record)) {
        return rc;
    }
    if (point.values.integer(point::kAppendNum) > 0) {
        moveAttachments(point.id, m_from, m_to);
        m_attachmentsMoved = true;
    }
    if (m_from.owner->pointsCountInTags()) {
        PointRecord& old = *m_from.owner->pointsOf(m_from).find(point.id);
        leaveTags(m_context, m_from, old, m_tags);
    }
    m_old = takePoint(m_context, m_from, point);
    if (m_to.owner->pointsCountInTags()) {
        std::vector<long long> tags = tagsOf(m_context.base.tags(), *record);
        record->values.clear(point::kTagsId);
        setPointTags(m_context, m_to, *record, tags, m_tags);
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
    for (auto it = m_categoriesBefore.rbegin(); it != m_categoriesBefore.rend(); ++it) {
        it->first->values = it->second;
    }
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

int movePointTo(OperationContext& context, CategoryRecord& from, const PointRecord& point,
                CategoryRecord& to, const std::string& newName) {
    PointMove move(context, from, to);
    return move.run(point, newName);
}

} // namespace tarnel::ops
