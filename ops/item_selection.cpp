#include "ops/item_selection.h"

#include "ops/category_removal.h"
#include "ops/change_batch.h"
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

// A linked category is unlinked without question or message, any other recycled.
int removeCategory(OperationContext& context, CategoryRecord& category, ChangeBatch& batch) {
    if (CategoryStore::isLinked(category)) {
        auto removal = std::make_unique<SubtreeRemoval>(context);
        if (int rc = removal->detach(category)) {
            return rc;
        }
        batch.add(std::move(removal), message::kRecycleFailed);
        return kOk;
    }
    auto move = std::make_unique<SubtreeMove>(context);
    if (int rc = move->apply(category, *context.base.recycle().root())) {
        return rc;
    }
    batch.add(std::move(move), message::kRecycleFailed);
    return kOk;
}

// A point of a linked category or of the recycle bin is deleted for good, any other recycled.
int removePoint(OperationContext& context, const platform::Trash& trash, CategoryRecord& category,
                const store::PointRecord& point, ChangeBatch& batch) {
    if (CategoryStore::isLinked(category) || category.owner->kind() == StoreKind::Recycle) {
        auto removal = std::make_unique<PointRemoval>(context, trash);
        if (int rc = removal->detach(category, point)) {
            return rc;
        }
        batch.add(std::move(removal), message::kDeletePointFailed);
        return kOk;
    }
    if (!context.base.categories().contains(&category)) {
        return kNotMovable;
    }
    auto move = std::make_unique<PointMove>(context, category, *context.base.recycle().root());
    if (int rc = move->apply(point, std::string(point.name()))) {
        return rc;
    }
    batch.add(std::move(move), message::kDeletePointFailed);
    return kOk;
}

// A tag moved under a new parent, taken back to its old place among its siblings.
class TagMove final : public ReversibleChange {
public:
    TagMove(store::TagStore& tags, TagRecord& tag) : m_tags(tags), m_tag(tag) {}

    int apply(TagRecord& newParent) {
        std::vector<TagRecord*> siblings = m_tags.children(m_tag.parent);
        m_position = static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), &m_tag) -
                                              siblings.begin());
        m_parent = m_tag.parent;
        return m_tags.moveUnder(&m_tag, &newParent);
    }
    void addTouched(TouchedIndex& touched) const override { touched.addStore(StoreKind::Tag); }
    void undo() override {
        m_tags.moveUnder(&m_tag, m_parent);
        for (std::size_t at = m_tags.children(m_parent).size() - 1; at > m_position; --at) {
            m_tags.moveUp(&m_tag);
        }
    }

private:
    store::TagStore& m_tags;
    TagRecord& m_tag;
    TagRecord* m_parent = nullptr;
    std::size_t m_position = 0;
};

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
    ChangeBatch batch(context);
    for (const SelectedItem& item : items) {
        if (!item.point && item.category) {
            if (int rc = removeCategory(context, *item.category, batch)) {
                return {batch.abandon(message::kRecycleFailed, rc)};
            }
        }
    }
    for (const SelectedItem& item : items) {
        if (item.point) {
            if (int rc = removePoint(context, trash, *item.category, *item.point, batch)) {
                return {batch.abandon(message::kDeletePointFailed, rc)};
            }
        }
    }
    for (const SelectedItem& item : items) {
        if (!item.tag) {
            continue;
        }
        auto removal = std::make_unique<TagRemoval>(context);
        if (removal->detach(*item.tag) == kOk) {
            batch.add(std::move(removal), message::kDeleteTagFailed);
        }
    }
    return {batch.commit()};
}

OperationResult moveSeveral(OperationContext& context, const std::vector<SelectedItem>& selected,
                            CategoryRecord* categoryTarget, TagRecord* tagTarget) {
    std::vector<SelectedItem> items = itemsToHandle(selected);
    CategoryStore& categories = context.base.categories();
    ChangeBatch batch(context);
    for (const SelectedItem& item : items) {
        if (item.point || !item.category) {
            continue;
        }
        if (!categoryTarget || !categories.contains(categoryTarget) ||
            !categories.contains(item.category) ||
            !categoryPlaceable(*item.category, *categoryTarget)) {
            continue;
        }
        auto move = std::make_unique<SubtreeMove>(context);
        if (int rc = move->apply(*item.category, *categoryTarget)) {
            return {batch.abandon(message::kMoveFailed, rc)};
        }
        batch.add(std::move(move), message::kMoveFailed);
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
            return {batch.abandon(message::kPointMoveFailed, kNotMovable)};
        }
        auto move = std::make_unique<PointMove>(context, *item.category, *categoryTarget);
        if (int rc = move->apply(*item.point, std::string(item.point->name()))) {
            return {batch.abandon(message::kPointMoveFailed, rc)};
        }
        batch.add(std::move(move), message::kPointMoveFailed);
    }
    store::TagStore& tags = context.base.tags();
    for (const SelectedItem& item : items) {
        if (!item.tag || !tagTarget || !tags.contains(tagTarget) || item.tag == tagTarget ||
            item.tag->parent == tagTarget ||
            store::RecordTree<TagRecord>::isInSubtree(tagTarget, item.tag)) {
            continue;
        }
        auto move = std::make_unique<TagMove>(tags, *item.tag);
        if (int rc = move->apply(*tagTarget)) {
            return {batch.abandon(message::kMoveTagFailed, rc)};
        }
        batch.add(std::move(move), message::kMoveTagFailed);
    }
    return {batch.commit()};
}

} // namespace tarnel::ops
