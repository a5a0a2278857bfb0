#include "ops/point_removal.h"

#include "ops/category_restore.h"
#include "ops/point_messages.h"
#include "ops/point_move.h"
#include "ops/point_restore.h"
#include "ops/point_tags.h"
#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::MessageIcon;
using store::CategoryRecord;
using store::CategoryStore;
using store::PointRecord;
using store::StoreKind;
namespace point = store::point;

OperationResult failedWith(OperationContext& context, std::string_view text, int code,
                           Field field = Field::None) {
    context.prompt.show(std::string(text), MessageIcon::Error);
    return {code, field};
}

bool targetHoldsName(CategoryRecord& target, std::string_view name) {
    for (const CategoryRecord* child : target.owner->children(&target)) {
        if (store::equalIgnoringAsciiCase(child->name(), name)) {
            return true;
        }
    }
    for (const auto& p : target.owner->pointsOf(target).records()) {
        if (store::equalIgnoringAsciiCase(p->name(), name)) {
            return true;
        }
    }
    return target.owner->nameExistsUnder(target, name);
}

// Where a recycled category stood: its top's `original_local` and the names from the top down.
std::string formerPathOfRecycled(const CategoryRecord& category) {
    std::vector<const CategoryRecord*> chain;
    for (const CategoryRecord* c = &category; c && c->parent; c = c->parent) {
        chain.push_back(c);
    }
    if (chain.empty()) {
        return "\\";
    }
    std::string path(chain.back()->values.value(store::category::kOriginalLocal));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.ends_with('\\')) {
            path += '\\';
        }
        path += (*it)->name();
    }
    return path;
}

bool confirmed(OperationContext& context, const std::string& question) {
    return context.prompt.ask(question, MessageIcon::Question, app::Buttons::YesNo) == Answer::Yes;
}

} // namespace

OperationResult movePoint(OperationContext& context, CategoryRecord& from, const PointRecord& point,
                          CategoryRecord& target) {
    if (!context.base.categories().contains(&from) || CategoryStore::isLinked(from)) {
        return {kNotMovable, Field::Target};
    }
    fs::path content = from.owner->contentPathOf(from, point);
    if (point.values.integer(point::kState) == 0 || !context.fileSystem.exists(content)) {
        context.prompt.show(message::formatted(message::kContentMissing, {content.string()}),
                            MessageIcon::Warning);
        return {kContentMissing};
    }
    if (&target == &from) {
        return {kOk, Field::None, point.id};
    }
    if (!context.base.categories().contains(&target) || !target.parent ||
        CategoryStore::isLinked(target)) {
        return failedWith(context, message::kPointMoveFailed, kNotMovable, Field::Target);
    }
    if (targetHoldsName(target, point.name())) {
        return failedWith(context, message::kTargetNameExistsMove, kNameTaken, Field::Target);
    }
    long long id = point.id;
    if (int rc = movePointTo(context, from, point, target, std::string(point.name()))) {
        return failedWith(context, message::kPointMoveFailed, rc, Field::Target);
    }
    return {kOk, Field::None, id};
}

int recyclePoint(OperationContext& context, CategoryRecord& category, const PointRecord& point) {
    if (!context.base.categories().contains(&category) || CategoryStore::isLinked(category)) {
        return kNotMovable;
    }
    return movePointTo(context, category, point, *context.base.recycle().root(),
                       std::string(point.name()));
}

int PointRemoval::detach(CategoryRecord& category, const PointRecord& point) {
    CategoryStore& store = *category.owner;
    PointRecord* record = store.pointsOf(category).find(point.id);
    if (!record) {
        return store::kNoRecord;
    }
    m_category = &category;
    fs::path content = store.contentPathOf(category, *record);
    if (CategoryStore::isLinked(category)) {
        m_toTrash = content;
    } else {
        m_files.push_back(content);
    }
    if (store.pointsCountInTags()) {
        leaveTags(m_context, category, *record, m_tags);
    }
    if (record->values.integer(point::kHasComment) != 0) {
        m_files.push_back(m_context.base.layout().commentFile(record->id, record->name()));
    }
    m_attachments = takeAttachments(store.attachmentsOf(category), record->id);
    for (const auto& attachment : m_attachments.records) {
        if (!attachment->isLinked()) {
            m_files.push_back(
                m_context.base.layout().attachmentCopy(attachment->id, attachment->name()));
        }
    }
    m_attachmentsChanged = !m_attachments.records.empty();
    m_position = store.pointsOf(category).positionOf(record);
    m_point = takePoint(m_context, category, *record);
    return kOk;
}

void PointRemoval::addTouched(TouchedIndex& touched) const {
    if (m_tags.any()) {
        touched.addStore(StoreKind::Tag);
    }
    if (m_attachmentsChanged) {
        touched.addAttachments(*m_category);
    }
    touched.addPoints(*m_category);
    touched.addStore(m_category->owner->kind());
}

int PointRemoval::finish() {
    if (m_toTrash.empty() || !m_context.fileSystem.exists(m_toTrash)) {
        return kOk;
    }
    if (m_trash.trash(m_toTrash, m_trashed) != 0) {
        return kTrashFailed;
    }
    m_inTrash = true;
    return kOk;
}

void PointRemoval::commit() {
    for (const fs::path& file : m_files) {
        if (m_context.fileSystem.exists(file)) {
            m_context.fileSystem.removeFile(file);
        }
    }
    m_point.reset();
    m_attachments.records.clear();
    m_inTrash = false;
}

void PointRemoval::undo() {
    if (!m_category) {
        return;
    }
    if (m_point) {
        putPoint(m_context, *m_category, std::move(m_point), m_position);
    }
    putAttachmentsBack(m_category->owner->attachmentsOf(*m_category), m_attachments);
    m_tags.restore();
    if (m_inTrash) {
        m_trash.restore(m_trashed);
        m_inTrash = false;
    }
    m_files.clear();
}

int deletePointForGood(OperationContext& context, const platform::Trash& trash,
                       CategoryRecord& category, const PointRecord& point) {
    ChangeBatch batch(context);
    auto removal = std::make_unique<PointRemoval>(context, trash);
    if (int rc = removal->detach(category, point)) {
        return rc;
    }
    batch.add(std::move(removal), {});
    return batch.commit();
}

OperationResult deletePoint(OperationContext& context, const platform::Trash& trash,
                            CategoryRecord& category, const PointRecord& point) {
    long long id = point.id;
    if (!category.owner || !category.owner->pointsOf(category).find(id)) {
        return {store::kNoRecord};
    }
    if (CategoryStore::isLinked(category)) {
        if (!confirmed(context, std::string(message::kDeleteLinkedPointQuestion))) {
            return {kDeclined};
        }
        if (int rc = deletePointForGood(context, trash, category, point)) {
            return failedWith(context, message::kDeleteLinkedPointFailed, rc);
        }
        return {kOk, Field::None, id};
    }
    if (category.owner->kind() == StoreKind::Recycle) {
        if (!confirmed(context, std::string(message::kDeleteRecycledPointQuestion))) {
            return {kDeclined};
        }
        if (int rc = deletePointForGood(context, trash, category, point)) {
            return failedWith(context, message::kDeletePointFailed, rc);
        }
        return {kOk, Field::None, id};
    }
    if (!confirmed(context, message::formatted(message::kRecyclePointQuestion, {point.name()}))) {
        return {kDeclined};
    }
    if (int rc = recyclePoint(context, category, point)) {
        return failedWith(context, message::kDeletePointFailed, rc);
    }
    return {kOk, Field::None, id};
}

OperationResult restoreRecycledPoint(OperationContext& context, CategoryRecord& from,
                                     const PointRecord& point, CategoryRecord* target) {
    if (!context.base.recycle().contains(&from) || !from.owner->pointsOf(from).find(point.id)) {
        return {store::kNoRecord};
    }
    long long id = point.id;
    std::vector<CategoryRecord*> created;
    if (!target) {
        std::string location(point.values.value(point::kOriginalLocal));
        if (location.empty()) {
            location = formerPathOfRecycled(from);
        }
        int rc = findOrCreateLocation(context, location, target, created);
        if (rc == kOk && !created.empty()) {
            rc = context.base.saveCounters();
        }
        if (rc != kOk) {
            removeCreatedLocation(context, created);
            return {rc, Field::Target};
        }
    }
    if (!context.base.categories().contains(target) || !target->parent ||
        CategoryStore::isLinked(*target)) {
        removeCreatedLocation(context, created);
        return {kNotMovable, Field::Target};
    }
    int rc = restorePoint(context, from, point, *target);
    if (rc != kOk) {
        removeCreatedLocation(context, created);
        return {rc, Field::Target};
    }
    return {kOk, Field::None, id};
}

} // namespace tarnel::ops
