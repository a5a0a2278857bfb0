#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "platform/desktop_trash.h"
#include "store/category_store.h"
#include "store/tag_store.h"

#include <vector>

// "删除选中的对象" and "移动选中的对象": several categories, points and tags selected together.
namespace tarnel::ops {

struct SelectedItem {
    store::CategoryRecord* category = nullptr; // the category itself, or the point's category
    const store::PointRecord* point = nullptr; // set for a point
    store::TagRecord* tag = nullptr;           // set for a tag

    static SelectedItem ofCategory(store::CategoryRecord& c) { return {&c, nullptr, nullptr}; }
    static SelectedItem ofPoint(store::CategoryRecord& c, const store::PointRecord& p) {
        return {&c, &p, nullptr};
    }
    static SelectedItem ofTag(store::TagRecord& t) { return {nullptr, nullptr, &t}; }
};

// The items that count: a category, point or tag whose category or tag (or an ancestor of it)
// is itself selected is left out, as is an item named twice.
std::vector<SelectedItem> itemsToHandle(const std::vector<SelectedItem>& selected);

// Asks "确实要将这 %d 项放入回收站吗？" with the number selected; on Yes, without further
// questions: every category is recycled (a linked one unlinked), every point recycled (one of a
// linked category deleted for good, its file to the desktop's Trash), then every tag deleted
// with its sub-tags; the tag store and the point lists the tags touched are saved once. The
// first failure stops the rest with its message; what was done until then stays.
OperationResult deleteSeveral(OperationContext& context, const platform::Trash& trash,
                              const std::vector<SelectedItem>& selected);

// Moves every category and point under categoryTarget and every tag under tagTarget (either may
// be null when no item needs it), without the name collision test; an item whose target is
// itself, its current parent or inside its own subtree stays. The tag store is saved once. The
// first failure stops the rest with its message.
OperationResult moveSeveral(OperationContext& context, const std::vector<SelectedItem>& selected,
                            store::CategoryRecord* categoryTarget, store::TagRecord* tagTarget);

} // namespace tarnel::ops
