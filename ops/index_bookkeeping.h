#pragma once

#include "ops/operation_context.h"
#include "store/category_store.h"
#include "store/tag_store.h"

#include <map>
#include <memory>
#include <vector>

// The counts, sizes and tag memberships that follow categories and points when they move between
// places, shared by the move, recycle, restore and delete operations. Nothing here saves.
namespace tarnel::ops {

// The position of the record among its parent's children, for putting it back there.
int siblingIndex(const store::CategoryRecord& record);

// Puts a block taken out of a store (a top record and its subtree in tree order, parents intact)
// under parent at insertion position n, record by record, and raises the `size` of the parent
// and its ancestors by the top's `size` (notification 4 for each). Every folder of the block must
// exist. 0 or the store's error.
int insertBlock(OperationContext& context, store::CategoryStore& target,
                store::CategoryStore::Rows block, store::CategoryRecord& parent, int n);

// Every tag's values before the operation first touched it, so that a failure can put them back.
class TagChanges {
public:
    explicit TagChanges(store::TagStore& tags) : m_tags(tags) {}

    void remember(store::TagRecord& tag);
    bool any() const { return !m_before.empty(); }
    // Notification 33 for each tag touched.
    void notifyChanged(OperationContext& context) const;
    void restore();

private:
    store::TagStore& m_tags;
    std::map<long long, store::Record> m_before;
};

// The points of the categories leave (Leaving) or rejoin (Joining) the tags of their own tag
// lists: `point_num` down or up, the category out of or into the tag's `class` list,
// notification 35 or 34 for each pair, reported for the points' store pointStore. The points' tag
// lists stay as they are.
enum class Membership { Leaving, Joining };
void changeTagMemberships(OperationContext& context,
                          const std::vector<store::CategoryRecord*>& categories,
                          Membership membership, store::StoreKind pointStore, TagChanges& changes);

// A point leaves or joins a list: notification 8 or 2, the category's `point_num` down or up,
// `point_size` off or onto the `size` of the category and its ancestors above the root
// (notification 4 for each).
std::unique_ptr<store::PointRecord> takePoint(OperationContext& context,
                                              store::CategoryRecord& category,
                                              const store::PointRecord& point);
int putPoint(OperationContext& context, store::CategoryRecord& category,
             std::unique_ptr<store::PointRecord> point, std::size_t position = store::kListEnd);

// The attachment records of a point taken out of a list, with the positions they stood at.
struct TakenAttachments {
    std::vector<std::unique_ptr<store::AttachmentRecord>> records;
    std::vector<std::size_t> positions; // ascending
};
TakenAttachments takeAttachments(store::AttachmentList& list, long long pointId);
// Puts them back where they stood, so that the list reads as before.
void putAttachmentsBack(store::AttachmentList& list, TakenAttachments& taken);

} // namespace tarnel::ops
