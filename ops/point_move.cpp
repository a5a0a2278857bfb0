#include "ops/point_move.h"

#include "ops/operation_result.h"
#include "ops/point_tags.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {

namespace fs = std::filesystem;
using store::CategoryRecord;
using store::PointRecord;
using store::StoreKind;
namespace point = store::point;

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

int PointMove::apply(const PointRecord& point, const std::string& newName) {
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
        TakenAttachments taken = takeAttachments(m_from.owner->attachmentsOf(m_from), point.id);
        store::AttachmentList& target = m_to.owner->attachmentsOf(m_to);
        for (auto& attachment : taken.records) {
            target.add(std::move(attachment));
        }
        m_attachmentPositions = taken.positions;
        m_attachmentsMoved = true;
    }
    if (m_from.owner->pointsCountInTags()) {
        PointRecord& old = *m_from.owner->pointsOf(m_from).find(point.id);
        leaveTags(m_context, m_from, old, m_tags);
    }
    m_oldPosition = m_from.owner->pointsOf(m_from).positionOf(&point);
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
    return store::kOk;
}

void PointMove::addTouched(TouchedIndex& touched) const {
    if (m_tags.any()) {
        touched.addStore(StoreKind::Tag);
    }
    if (m_attachmentsMoved) {
        touched.addAttachments(m_from);
        touched.addAttachments(m_to);
    }
    for (CategoryRecord* category : {&m_from, &m_to}) {
        touched.addPoints(*category);
        touched.addStore(category->owner->kind());
    }
}

void PointMove::undo() {
    if (m_new) {
        takePoint(m_context, m_to, *m_new);
        m_new = nullptr;
    }
    if (m_old) {
        putPoint(m_context, m_from, std::move(m_old), m_oldPosition);
    }
    m_tags.restore();
    for (auto it = m_categoriesBefore.rbegin(); it != m_categoriesBefore.rend(); ++it) {
        it->first->values = it->second;
    }
    if (m_attachmentsMoved) {
        TakenAttachments back = takeAttachments(m_to.owner->attachmentsOf(m_to), m_pointId);
        back.positions = m_attachmentPositions;
        putAttachmentsBack(m_from.owner->attachmentsOf(m_from), back);
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

int movePointTo(OperationContext& context, CategoryRecord& from, const PointRecord& point,
                CategoryRecord& to, const std::string& newName) {
    PointMove move(context, from, to);
    if (int rc = move.apply(point, newName)) {
        return rc;
    }
    return saveOrTakeBack(context, move) == store::kOk ? store::kOk : store::kSaveFailed;
}

} // namespace tarnel::ops
