#include "ops/category_removal.h"

#include "ops/operation_messages.h"
#include "ops/subtree_move.h"
#include "store/attribute_tables.h"
#include "store/data_layout.h"

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::MessageIcon;
using store::CategoryRecord;
using store::CategoryStore;
using store::StoreKind;
namespace change = store::change;

bool confirmed(OperationContext& context, std::string text) {
    return context.prompt.ask(text, MessageIcon::Question, app::Buttons::OkCancel) == Answer::Ok;
}

int saveRemoval(OperationContext& context, StoreKind kind, bool tagsChanged) {
    int rc = context.base.saveStore(kind);
    if (rc == store::kOk && tagsChanged) {
        rc = context.base.saveStore(StoreKind::Tag);
    }
    return rc;
}

fs::path asideName(const fs::path& folder, long long id) {
    return folder.parent_path() / (".tarnel-deleting-" + store::decimal(id));
}

} // namespace

int SubtreeRemoval::detach(CategoryRecord& top) {
    m_store = top.owner;
    if (!m_store || !m_store->contains(&top) || !top.parent) {
        return store::kNoRecord;
    }
    std::vector<CategoryRecord*> subtree = m_store->subtree(&top);
    for (CategoryRecord* c : subtree) {
        m_store->pointsOf(*c);
        m_store->attachmentsOf(*c);
    }
    const platform::FileSystem& fileSystem = m_context.fileSystem;
    fs::path folder = m_store->folderOf(top);
    if (!CategoryStore::isLinked(top) && fileSystem.exists(folder)) {
        fs::path aside = asideName(folder, top.id);
        if (fileSystem.exists(aside) || fileSystem.rename(folder, aside) != 0) {
            return store::kFolderRemoveFailed;
        }
        m_folder = folder;
        m_aside = aside;
    }
    store::TagStore& tags = m_context.base.tags();
    m_tags = std::make_unique<TagChanges>(tags);
    for (CategoryRecord* c : subtree) {
        if (m_store->pointsCountInTags()) {
            changeTagMemberships(m_context, {c}, Membership::Leaving, m_store->kind(), *m_tags);
        }
        std::vector<fs::path> files = m_context.base.filesOwnedBy(*c);
        m_files.insert(m_files.end(), files.begin(), files.end());
        for (const auto& tag : tags.rows()) {
            std::string_view list = tag->values.value(store::tag::kClass);
            if (tag->id != 0 && store::listContains(list, c->id)) {
                m_tags->remember(*tag);
                tag->values.setValue(store::tag::kClass, store::listWithout(list, c->id));
                m_context.sink().notify({change::kTagChanged, StoreKind::Tag, tag->id, 0});
            }
        }
        m_context.sink().notify({change::kCategoryRemoved, m_store->kind(), c->id, 0});
    }
    m_parent = top.parent;
    m_position = siblingIndex(top);
    m_block = m_store->detach(&top);
    return store::kOk;
}

void SubtreeRemoval::addTouched(TouchedIndex& touched) const {
    touched.addStore(m_store->kind());
    if (tagsChanged()) {
        touched.addStore(StoreKind::Tag);
    }
}

void SubtreeRemoval::commit() {
    for (const fs::path& file : m_files) {
        if (m_context.fileSystem.exists(file)) {
            m_context.fileSystem.removeFile(file);
        }
    }
    if (!m_aside.empty()) {
        m_context.fileSystem.removeAll(m_aside);
    }
    m_block.clear();
}

void SubtreeRemoval::undo() {
    if (!m_aside.empty()) {
        m_context.fileSystem.rename(m_aside, m_folder);
    }
    if (m_tags) {
        m_tags->restore();
    }
    if (!m_block.empty()) {
        long long id = m_block.front()->id;
        insertBlock(m_context, *m_store, std::move(m_block), *m_parent, m_position);
        m_context.sink().notify({change::kCategoryAdded, m_store->kind(), id, 0});
    }
}

OperationResult recycleCategory(OperationContext& context, CategoryRecord& category) {
    if (CategoryStore::isLinked(category)) {
        return deleteCategory(context, category);
    }
    if (!context.base.categories().contains(&category) || !category.parent) {
        return {kNotMovable};
    }
    std::string question = message::formatted(message::kRecycleQuestion, {category.name()});
    if (context.prompt.ask(question, MessageIcon::Question, app::Buttons::YesNo) != Answer::Yes) {
        return {kDeclined};
    }
    if (int rc = moveSubtree(context, category, *context.base.recycle().root())) {
        context.prompt.show(std::string(message::kRecycleFailed), MessageIcon::Error);
        return {rc};
    }
    return {kOk, Field::None, category.id};
}

OperationResult deleteCategory(OperationContext& context, CategoryRecord& category) {
    bool linked = CategoryStore::isLinked(category);
    std::string name(category.name());
    std::string question =
        message::formatted(linked ? message::kUnlinkQuestion : message::kDeleteQuestion, {name});
    if (!category.owner || !category.parent) {
        return {store::kNoRecord};
    }
    if (!confirmed(context, question)) {
        return {kDeclined};
    }
    SubtreeRemoval removal(context);
    int rc = removal.detach(category);
    if (rc == store::kOk) {
        rc = saveOrTakeBack(context, removal);
    }
    if (rc != store::kOk) {
        context.prompt.show(std::string(message::kRecycleFailed), MessageIcon::Error);
        return {rc};
    }
    removal.commit();
    context.prompt.show(message::formatted(linked ? message::kUnlinked : message::kDeleted, {name}),
                        MessageIcon::Information);
    return {kOk};
}

int deleteRecycledCategory(OperationContext& context, CategoryRecord& category) {
    SubtreeRemoval removal(context);
    if (int rc = removal.detach(category)) {
        return rc;
    }
    if (int rc = saveOrTakeBack(context, removal)) {
        return rc;
    }
    removal.commit();
    return store::kOk;
}

namespace {

// The recycled points of the recycle root, deleted for good; their files go after the list that
// named them was saved.
int deleteRecycledPoints(OperationContext& context) {
    CategoryStore& recycle = context.base.recycle();
    CategoryRecord& root = *recycle.root();
    store::PointList& points = recycle.pointsOf(root);
    store::AttachmentList& attachments = recycle.attachmentsOf(root);
    std::vector<fs::path> files;
    std::vector<std::unique_ptr<store::PointRecord>> taken;
    while (points.size() > 0) {
        const store::PointRecord& point = *points.records().front();
        files.push_back(recycle.contentPathOf(root, point));
        if (point.values.integer(store::point::kHasComment) != 0) {
            files.push_back(context.base.layout().commentFile(point.id, point.name()));
        }
        taken.push_back(takePoint(context, root, point));
    }
    if (int rc = context.base.savePoints(root)) {
        for (auto& point : taken) {
            putPoint(context, root, std::move(point));
        }
        return rc;
    }
    std::vector<const store::AttachmentRecord*> orphans;
    for (const auto& attachment : attachments.records()) {
        if (!attachment->isLinked()) {
            files.push_back(
                context.base.layout().attachmentCopy(attachment->id, attachment->name()));
        }
        orphans.push_back(attachment.get());
    }
    for (const store::AttachmentRecord* attachment : orphans) {
        attachments.take(attachment);
    }
    int rc = context.base.saveAttachments(root);
    for (const fs::path& file : files) {
        if (context.fileSystem.exists(file)) {
            context.fileSystem.removeFile(file);
        }
    }
    return rc;
}

} // namespace

OperationResult emptyRecycleBin(OperationContext& context) {
    if (!confirmed(context, std::string(message::kEmptyRecycleQuestion))) {
        return {kDeclined};
    }
    if (int rc = deleteRecycledPoints(context)) {
        return {rc};
    }
    CategoryStore& recycle = context.base.recycle();
    std::vector<std::unique_ptr<SubtreeRemoval>> removals;
    int rc = store::kOk;
    for (CategoryRecord* top : recycle.children(recycle.root())) {
        auto removal = std::make_unique<SubtreeRemoval>(context);
        rc = removal->detach(*top);
        if (rc != store::kOk) {
            break;
        }
        removals.push_back(std::move(removal));
    }
    bool tagsChanged = false;
    for (const auto& removal : removals) {
        tagsChanged = tagsChanged || removal->tagsChanged();
    }
    if (rc == store::kOk) {
        rc = saveRemoval(context, StoreKind::Recycle, tagsChanged);
    }
    if (rc != store::kOk) {
        for (auto it = removals.rbegin(); it != removals.rend(); ++it) {
            (*it)->undo();
        }
        saveRemoval(context, StoreKind::Recycle, tagsChanged);
        return {rc};
    }
    for (const auto& removal : removals) {
        removal->commit();
    }
    return {kOk};
}

} // namespace tarnel::ops
