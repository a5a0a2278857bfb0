#include "ops/category_move.h"

#include "ops/operation_messages.h"
#include "ops/subtree_move.h"

namespace tarnel::ops {
namespace {

using app::MessageIcon;
using store::CategoryRecord;
using store::CategoryStore;

bool holdsName(CategoryRecord& target, std::string_view name) {
    for (const CategoryRecord* child : target.owner->children(&target)) {
        if (store::equalIgnoringAsciiCase(child->name(), name)) {
            return true;
        }
    }
    return target.owner->nameExistsUnder(target, name);
}

bool isPlaceable(const CategoryRecord& category, const CategoryRecord& target) {
    return &target != &category && &target != category.parent &&
           !store::RecordTree<CategoryRecord>::isInSubtree(&target, &category) &&
           !CategoryStore::isLinked(category) && !CategoryStore::isLinked(target);
}

std::string moveQuestion(const CategoryRecord& category, const CategoryRecord& target) {
    if (!target.parent) {
        return message::formatted(message::kMoveToTopQuestion, {category.name()});
    }
    return message::formatted(message::kMoveToCategoryQuestion, {category.name(), target.name()});
}

OperationResult failed(OperationContext& context, int code) {
    context.prompt.show(std::string(message::kMoveFailed), MessageIcon::Error);
    return {code, Field::Target};
}

} // namespace

OperationResult moveCategory(OperationContext& context, CategoryRecord& category,
                             CategoryRecord& target, MoveWay way) {
    CategoryStore& categories = context.base.categories();
    bool sameBase = categories.contains(&category) && categories.contains(&target);
    if (!sameBase || !category.parent) {
        return {kNotMovable, Field::Target};
    }
    if (way == MoveWay::Dialog && &target == category.parent) {
        return {kOk, Field::None, category.id};
    }
    if (!isPlaceable(category, target)) {
        return way == MoveWay::Dialog ? failed(context, kNotMovable)
                                      : OperationResult{kNotMovable, Field::Target};
    }
    if (holdsName(target, category.name())) {
        context.prompt.show(std::string(message::kTargetHasCategory), MessageIcon::Error);
        return {kNameTaken, Field::Target};
    }
    if (way == MoveWay::DragAndDrop &&
        context.prompt.ask(moveQuestion(category, target), MessageIcon::Question,
                           app::Buttons::YesNo) != app::Answer::Yes) {
        return {kDeclined};
    }
    if (int rc = moveSubtree(context, category, target)) {
        return failed(context, rc);
    }
    context.sink().notify(
        {store::change::kCategoryMoved, store::StoreKind::Category, category.id, 0});
    return {kOk, Field::None, category.id};
}

} // namespace tarnel::ops
