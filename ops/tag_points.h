#pragma once

#include "ops/change_batch.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/category_store.h"
#include "store/tag_store.h"

#include <string>
#include <utility>
#include <vector>

// The points of a tag: listing them, taking one out of a tag, setting the tags of several points
// and deleting a tag with its sub-tags.
namespace tarnel::ops {

struct TagPoint {
    store::CategoryRecord* category = nullptr;
    store::PointRecord* point = nullptr;
};

// The points of the tag: for every category of its `class` list (in list order) each point
// whose `tags_id` names the tag. When the count differs from `point_num`, `point_num` is set to
// it, the tag store saved and 33 sent (saveResult holds that save's result).
struct TagListing {
    std::vector<TagPoint> points;
    int saveResult = kOk;
};
TagListing listTagPoints(OperationContext& context, store::TagRecord& tag);

// The same points without the repair of `point_num`, for readers such as search that never
// change the stores.
std::vector<TagPoint> pointsOfTag(store::KnowledgeStore& base, const store::TagRecord& tag);

// Asks "确定要从标签 ‘%s’ 中移除知识点 ‘%s’ 吗？"; on Yes sets the point's tags to its tags without
// this one, saves the point list and the tag store, notifies 5.
OperationResult removePointFromTag(OperationContext& context, store::TagRecord& tag,
                                   store::CategoryRecord& category,
                                   const store::PointRecord& point);

// Sets the same tags on each point (33, 34 and 35 as setPointTags says, then 5 per point); saves
// each touched point list once and the tag store once. A failed save undoes every change.
OperationResult setTagsOfPoints(OperationContext& context, const std::vector<TagPoint>& points,
                                const std::vector<long long>& tags);

// Asks "确定要删除标签“%s”吗？" (OK/Cancel). On OK, for the tag and every sub-tag: 32, its
// points lose its id (5 for each point); every touched point list is saved once, the run leaves
// the tag store, the store is saved and "删除标签“%s”成功!" reported. The points stay in their
// categories. A failed save undoes the delete.
OperationResult deleteTag(OperationContext& context, store::TagRecord& tag);

// The delete of a tag with its sub-tags without question and message, applied to memory and
// saved apart (the delete of several items saves once for all): for each tag 32, its points lose
// its id (5 for each point); the run leaves the tag store. It touches the point lists of those
// points, then the tag store; undo() puts the run and the points' tag lists back.
class TagRemoval final : public ReversibleChange {
public:
    explicit TagRemoval(OperationContext& context) : m_context(context) {}

    // 23 for the tag root or a tag of no store.
    int detach(store::TagRecord& tag);
    void addTouched(TouchedIndex& touched) const override;
    void undo() override;

private:
    OperationContext& m_context;
    std::vector<store::CategoryRecord*> m_touched;
    // Each point's `tags_id` before the first change, to put back newest first.
    std::vector<std::pair<store::PointRecord*, std::string>> m_listsBefore;
    store::TagRecord* m_parent = nullptr;
    int m_position = store::kLastChild;
    store::TagStore::Rows m_run;
};

} // namespace tarnel::ops
