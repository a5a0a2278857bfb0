#pragma once

#include "ops/index_bookkeeping.h"
#include "ops/operation_context.h"
#include "store/category_store.h"
#include "store/tag_store.h"

#include <vector>

// The two-way bookkeeping between a point's `tags_id` and its tags' `point_num` and `class`.
namespace tarnel::ops {

// The point's tags as its `tags_id` names them: every id above 0 that names a tag of the store
// (not the root), in list order, each once.
std::vector<long long> tagsOf(const store::TagStore& tags, const store::PointRecord& point);

// Sets the tags of a point of category (the point may not have entered the list yet). Each old
// tag not in newTags: `point_num` down, the category out of its `class` when no other point of
// the category still carries it, notifications 33 and 35. Each new tag not in oldTags:
// `point_num` up, the category into its `class`, 33 and 34. `tags_id` is then written from
// newTags (unknown ids and the root dropped), or left empty. Every tag touched is remembered in
// changes; true when any tag changed. Saves nothing.
bool setPointTags(OperationContext& context, store::CategoryRecord& category,
                  store::PointRecord& point, const std::vector<long long>& newTags,
                  TagChanges& changes);

// The point leaves every tag it carries, as setPointTags with no tags, but keeps its `tags_id`
// (a recycled point keeps it for its restore).
bool leaveTags(OperationContext& context, store::CategoryRecord& category,
               store::PointRecord& point, TagChanges& changes);

} // namespace tarnel::ops
