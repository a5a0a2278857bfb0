#include "ops/subtree_move.h"

#include "ops/folder_undo.h"
#include "ops/index_bookkeeping.h"
#include "store/attribute_tables.h"
#include "store/data_layout.h"

namespace tarnel::ops {

namespace fs = std::filesystem;
using store::CategoryRecord;
using store::CategoryStore;
using store::StoreKind;
namespace category = store::category;
namespace change = store::change;

// Where the top goes and how it stood, to undo the move.
struct Relocation {
    explicit Relocation(const platform::FileSystem& fileSystem) : createdFolders(fileSystem) {}

    FolderUndo createdFolders;
    CategoryStore* source = nullptr;
    CategoryRecord* oldParent = nullptr;
    int oldPosition = store::kLastChild;
    bool tagsChanged = false;
};

namespace {

fs::path targetFolder(const CategoryRecord& top, const CategoryRecord& newParent) {
    const CategoryStore& target = *newParent.owner;
    bool recycledTop = target.kind() == StoreKind::Recycle && newParent.parent == nullptr;
    return target.folderOf(newParent) /
           (recycledTop ? store::idPrefixedName(top.id, top.name()) : std::string(top.name()));
}

// The folder of each record of the subtree below newFolder, the top first.
std::vector<fs::path> subtreeFolders(const std::vector<CategoryRecord*>& subtree,
                                     const fs::path& newFolder) {
    std::vector<fs::path> folders;
    for (const CategoryRecord* r : subtree) {
        std::vector<std::string> names;
        for (const CategoryRecord* p = r; p != subtree.front(); p = p->parent) {
            names.emplace_back(p->name());
        }
        fs::path folder = newFolder;
        for (auto it = names.rbegin(); it != names.rend(); ++it) {
            folder /= *it;
        }
        folders.push_back(folder);
    }
    return folders;
}

// Moves the folders; every folder of the subtree exists at the new place afterwards, so that no
// record can fail to enter the target store.
int moveFolders(OperationContext& context, const std::vector<CategoryRecord*>& subtree,
                const fs::path& oldFolder, const fs::path& newFolder, FolderUndo& created) {
    const platform::FileSystem& fileSystem = context.fileSystem;
    bool moved = false;
    if (oldFolder != newFolder && fileSystem.exists(oldFolder)) {
        if (fileSystem.exists(newFolder) ||
            created.createDirectories(newFolder.parent_path()) != 0 ||
            fileSystem.moveTree(oldFolder, newFolder) != 0) {
            created.undo();
            return store::kFolderMoveFailed;
        }
        moved = true;
    }
    for (const fs::path& folder : subtreeFolders(subtree, newFolder)) {
        if (created.createDirectories(folder) != 0) {
            created.undo();
            if (moved) {
                fileSystem.moveTree(newFolder, oldFolder);
            }
            return store::kFolderMoveFailed;
        }
    }
    return store::kOk;
}

int relocate(OperationContext& context, CategoryRecord& top, CategoryRecord& newParent, int n,
             const store::Record& topValues, Relocation& relocation) {
    CategoryStore& source = *top.owner;
    CategoryStore& target = *newParent.owner;
    std::vector<CategoryRecord*> subtree = source.subtree(&top);
    // The lists are read while the folders still stand where the index says, so that no point
    // looks missing.
    for (CategoryRecord* r : subtree) {
        source.pointsOf(*r);
        source.attachmentsOf(*r);
    }
    if (int rc = moveFolders(context, subtree, source.folderOf(top), targetFolder(top, newParent),
                             relocation.createdFolders)) {
        return rc;
    }
    relocation.source = &source;
    relocation.oldParent = top.parent;
    relocation.oldPosition = siblingIndex(top);
    CategoryStore::Rows block = source.detach(&top);
    for (const auto& r : block) {
        context.sink().notify({change::kCategoryRemoved, source.kind(), r->id, 0});
    }
    if (source.kind() != target.kind()) {
        TagChanges tagChanges(context.base.tags());
        bool leaving = target.kind() == StoreKind::Recycle;
        changeTagMemberships(context, subtree, leaving ? Membership::Leaving : Membership::Joining,
                             leaving ? source.kind() : target.kind(), tagChanges);
        tagChanges.notifyChanged(context);
        relocation.tagsChanged = tagChanges.any();
    }
    top.values = topValues;
    if (int rc = insertBlock(context, target, std::move(block), newParent, n)) {
        return rc;
    }
    for (CategoryRecord* r : subtree) {
        r->values.setInteger(category::kState, 1);
    }
    context.sink().notify({change::kCategoryAdded, target.kind(), top.id, 0});
    return store::kOk;
}

} // namespace

SubtreeMove::SubtreeMove(OperationContext& context) : m_context(context) {}

SubtreeMove::~SubtreeMove() = default;

int SubtreeMove::apply(CategoryRecord& top, CategoryRecord& newParent) {
    CategoryStore* source = top.owner;
    if (!source || !source->contains(&top) || !top.parent) {
        return store::kNoRecord;
    }
    CategoryStore* target = newParent.owner;
    if (!target || !target->contains(&newParent)) {
        return store::kNoNewParent;
    }
    if (source == target && store::RecordTree<CategoryRecord>::isInSubtree(&newParent, &top)) {
        return store::kNotAllowed;
    }
    store::Record moved = top.values;
    if (target->kind() == StoreKind::Recycle) {
        moved.setValue(category::kDeleteDate, m_context.now());
        moved.setValue(category::kOriginalLocal, CategoryStore::formerLocationPath(*top.parent));
    } else {
        moved.clear(category::kDeleteDate);
        moved.clear(category::kOriginalLocal);
    }
    m_before = top.values;
    m_source = source->kind();
    m_target = target->kind();
    m_there = std::make_unique<Relocation>(m_context.fileSystem);
    if (int rc = relocate(m_context, top, newParent, store::kLastChild, moved, *m_there)) {
        m_there.reset();
        return rc;
    }
    m_top = &top;
    return store::kOk;
}

void SubtreeMove::addTouched(TouchedIndex& touched) const {
    if (m_there && m_there->tagsChanged) {
        touched.addStore(StoreKind::Tag);
    }
    touched.addStore(m_target);
    if (m_source != m_target) {
        touched.addStore(m_source);
    }
}

void SubtreeMove::undo() {
    if (!m_top) {
        return;
    }
    Relocation back(m_context.fileSystem);
    relocate(m_context, *m_top, *m_there->oldParent, m_there->oldPosition, m_before, back);
    m_there->createdFolders.undo();
    m_top = nullptr;
}

int moveSubtree(OperationContext& context, CategoryRecord& top, CategoryRecord& newParent) {
    SubtreeMove move(context);
    if (int rc = move.apply(top, newParent)) {
        return rc;
    }
    return saveOrTakeBack(context, move) == store::kOk ? store::kOk : store::kSaveFailed;
}

} // namespace tarnel::ops
