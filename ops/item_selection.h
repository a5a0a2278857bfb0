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
// linked category or of the recycle bin deleted for good), then every tag deleted with its
// sub-tags. All or nothing: each index file touched (the stores, every point and attachment
// list) is written once at the end, then the files of linked points go to the desktop's Trash,
// then the files deleted for good go; notifications follow only when all of it succeeded. A
// failure at any step takes every item back, writes the files back as they were and shows the
// message of the first item concerned ("删除分类失败!", "删除知识点失败！", "删除标签失败!").
OperationResult deleteSeveral(OperationContext& context, const platform::Trash& trash,
                              const std::vector<SelectedItem>& selected);

// Moves every category and point under categoryTarget and every tag under tagTarget (either may
// be null when no item needs it), without the name collision test; a category or tag whose target
// is itself, its current parent or inside its own subtree stays. All or nothing as deleteSeveral:
// each touched store and list is written once at the end; a point that cannot move or any failure
// takes every item back with the message of the item concerned ("移动分类失败!", "移动知识点失败!",
// "移动标签失败!").
OperationResult moveSeveral(OperationContext& context, const std::vector<SelectedItem>& selected,
                            store::CategoryRecord* categoryTarget, store::TagRecord* tagTarget);

} // namespace tarnel::ops
