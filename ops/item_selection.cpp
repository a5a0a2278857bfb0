#include "ops/item_selection.h"

#include "ops/category_removal.h"
#include "ops/point_messages.h"
#include "ops/point_move.h"
#include "ops/point_removal.h"
#include "ops/subtree_move.h"
#include "ops/tag_messages.h"
#include "ops/tag_points.h"

#include <algorithm>

namespace tarnel::ops {
namespace {

using app::MessageIcon;
using store::CategoryRecord;
using store::CategoryStore;
using store::StoreKind;
using store::TagRecord;

bool categorySelected(const std::vector<SelectedItem>& selected, const CategoryRecord* c) {
    return std::any_of(selected.begin(), selected.end(),
                       [&](const SelectedItem& item) { return !item.point && item.category == c; });
}

bool tagSelected(const std::vector<SelectedItem>& selected, const TagRecord* t) {
    return std::any_of(selected.begin(), selected.end(),
                       [&](const SelectedItem& item) { return item.tag == t; });
}

bool coveredByAncestor(const std::vector<SelectedItem>& selected, const SelectedItem& item) {
    if (item.tag) {
        for (const TagRecord* t = item.tag->parent; t; t = t->parent) {
            if (tagSelected(selected, t)) {
                return true;
            }
        }
        return false;
    }
    const CategoryRecord* first = item.point ? item.category : item.category->parent;
    for (const CategoryRecord* c = first; c; c = c->parent) {
        if (categorySelected(selected, c)) {
            return true;
        }
    }
    return false;
}

bool sameItem(const SelectedItem& a, const SelectedItem& b) {
    return a.category == b.category && a.point == b.point && a.tag == b.tag;
}

OperationResult failed(OperationContext& context, std::string_view text, int code) {
    context.prompt.show(std::string(text), MessageIcon::Error);
    return {code};
}

// A linked category unlinked without question or message.
int unlink(OperationContext& context, CategoryRecord& category) {
    SubtreeRemoval removal(context);
    if (int rc = removal.detach(category)) {
        return rc;
    }
    int rc = context.base.saveStore(StoreKind::Category);
    if (rc == kOk && removal.tagsChanged()) {
        rc = context.base.saveStore(StoreKind::Tag);
    }
    if (rc != kOk) {
        removal.undo();
        context.base.saveStore(StoreKind::Category);
        context.base.saveStore(StoreKind::Tag);
        return rc;
    }
    removal.commit();
    return kOk;
}

int removeCategory(OperationContext& context, CategoryRecord& category) {
    if (CategoryStore::isLinked(category)) {
        return unlink(context, category);
    }
    return moveSubtree(context, category, *context.base.recycle().root());
}

int removePoint(OperationContext& context, const platform::Trash& trash, CategoryRecord& category,
                const store::PointRecord& point) {
    if (CategoryStore::isLinked(category) || category.owner->kind() == StoreKind::Recycle) {
        return deletePointForGood(context, trash, category, point);
    }
    return recyclePoint(context, category, point);
}

int saveTagDeletes(OperationContext& context, const std::vector<CategoryRecord*>& touched) {
    int rc = kOk;
    for (CategoryRecord* category : touched) {
        if (int saved = context.base.savePoints(*category); saved != kOk && rc == kOk) {
            rc = saved;
        }
    }
    int saved = context.base.saveStore(StoreKind::Tag);
    return rc != kOk ? rc : saved;
}

bool categoryPlaceable(const CategoryRecord& category, const CategoryRecord& target) {
    return &target != &category && &target != category.parent &&
           !store::RecordTree<CategoryRecord>::isInSubtree(&target, &category) &&
           !CategoryStore::isLinked(category) && !CategoryStore::isLinked(target);
}

} // namespace

std::vector<SelectedItem> itemsToHandle(const std::vector<SelectedItem>& selected) {
    std::vector<SelectedItem> kept;
    for (const SelectedItem& item : selected) {
        if ((!item.category && !item.tag) || coveredByAncestor(selected, item)) {
            continue;
        }
        if (std::none_of(kept.begin(), kept.end(),
                         [&](const SelectedItem& k) { return sameItem(k, item); })) {
            kept.push_back(item);
        }
    }
    return kept;
}

OperationResult deleteSeveral(OperationContext& context, const platform::Trash& trash,
                              const std::vector<SelectedItem>& selected) {
    std::string question =
        message::formatted(message::kDeleteSeveralQuestion, {std::to_string(selected.size())});
    if (context.prompt.ask(question, MessageIcon::Question, app::Buttons::YesNo) !=
        app::Answer::Yes) {
        return {kDeclined};
    }
    std::vector<SelectedItem> items = itemsToHandle(selected);
    for (const SelectedItem& item : items) {
        if (!item.point && item.category) {
            if (int rc = removeCategory(context, *item.category)) {
                return failed(context, message::kRecycleFailed, rc);
            }
        }
    }
    for (const SelectedItem& item : items) {
        if (item.point) {
            if (int rc = removePoint(context, trash, *item.category, *item.point)) {
                return failed(context, message::kDeletePointFailed, rc);
            }
        }
    }
    std::vector<CategoryRecord*> touched;
    bool anyTag = false;
    for (const SelectedItem& item : items) {
        if (item.tag && detachTag(context, *item.tag, touched) == kOk) {
            anyTag = true;
        }
    }
    if (anyTag) {
        if (int rc = saveTagDeletes(context, touched)) {
            return {rc};
        }
    }
    return {kOk};
}

OperationResult moveSeveral(OperationContext& context, const std::vector<SelectedItem>& selected,
                            CategoryRecord* categoryTarget, TagRecord* tagTarget) {
    std::vector<SelectedItem> items = itemsToHandle(selected);
    CategoryStore& categories = context.base.categories();
    for (const SelectedItem& item : items) {
        if (item.point || !item.category) {
            continue;
        }
        if (!categoryTarget || !categories.contains(categoryTarget) ||
            !categories.contains(item.category) ||
            !categoryPlaceable(*item.category, *categoryTarget)) {
            continue;
        }
        if (int rc = moveSubtree(context, *item.category, *categoryTarget)) {
            return failed(context, message::kMoveFailed, rc);
        }
        context.sink().notify(
            {store::change::kCategoryMoved, StoreKind::Category, item.category->id, 0});
    }
    for (const SelectedItem& item : items) {
        if (!item.point || !categoryTarget || item.category == categoryTarget) {
            continue;
        }
        if (!categories.contains(item.category) || CategoryStore::isLinked(*item.category) ||
            !categories.contains(categoryTarget) || !categoryTarget->parent ||
            CategoryStore::isLinked(*categoryTarget)) {
            return failed(context, message::kPointMoveFailed, kNotMovable);
        }
        if (int rc = movePointTo(context, *item.category, *item.point, *categoryTarget,
                                 std::string(item.point->name()))) {
            return failed(context, message::kPointMoveFailed, rc);
        }
    }
    store::TagStore& tags = context.base.tags();
    struct TagPlace {
        TagRecord* tag;
        TagRecord* parent;
        std::size_t position;
    };
    std::vector<TagPlace> moved;
    for (const SelectedItem& item : items) {
        if (!item.tag || !tagTarget || !tags.contains(tagTarget) || item.tag == tagTarget ||
            item.tag->parent == tagTarget ||
            store::RecordTree<TagRecord>::isInSubtree(tagTarget, item.tag)) {
            continue;
        }
        std::vector<TagRecord*> siblings = tags.children(item.tag->parent);
        std::size_t position = static_cast<std::size_t>(
            std::find(siblings.begin(), siblings.end(), item.tag) - siblings.begin());
        TagRecord* parent = item.tag->parent;
        if (int rc = tags.moveUnder(item.tag, tagTarget)) {
            return failed(context, message::kMoveTagFailed, rc);
        }
        moved.push_back({item.tag, parent, position});
    }
    if (moved.empty()) {
        return {kOk};
    }
    if (int rc = context.base.saveStore(StoreKind::Tag)) {
        // Back to their places, the last moved first, so that each finds its siblings as it left.
        for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
            tags.moveUnder(it->tag, it->parent);
            for (std::size_t at = tags.children(it->parent).size() - 1; at > it->position; --at) {
                tags.moveUp(it->tag);
            }
        }
        return failed(context, message::kMoveTagFailed, rc);
    }
    return {kOk};
}

} // namespace tarnel::ops
