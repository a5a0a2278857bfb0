#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"

#include <string_view>

namespace tarnel::ops {

struct FoundPoint {
    store::CategoryRecord* category = nullptr;
    store::PointRecord* point = nullptr;
};

// Where the point with the id is now: in the category store, else in the recycle store; both null
// when no point has it. Reads the point lists it has to.
FoundPoint findPoint(store::KnowledgeStore& base, long long id);

// Saves the edited content of a general point: the bytes replace its content file atomically at
// the path the point has now (looked up by id at save time, so that a point renamed or moved
// while it was open, or one in a linked folder, is saved where it is). `point_size` becomes the
// bytes written, the `size` of its category and every ancestor changes by the difference,
// `modify_date` is now and `state` 1; the point list and the category's store are saved, then
// notification 4 for each category changed and 5 for the point. A failure shows the reason and
// leaves the file, the index and the saved index files as they were (kNoRecord when no point has
// the id, kWriteFailed when the file could not be written, or the store's save error).
OperationResult savePointContent(OperationContext& context, long long pointId,
                                 std::string_view bytes);
// The same for content made while it is written (the reading area's rich text): produce hands
// the bytes to the file in pieces, and `point_size` becomes how many there were.
OperationResult savePointContent(OperationContext& context, long long pointId,
                                 const platform::FileSystem::PieceProducer& produce);

} // namespace tarnel::ops
