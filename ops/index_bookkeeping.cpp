#include "ops/index_bookkeeping.h"

#include "store/attribute_tables.h"

namespace tarnel::ops {
namespace {

using store::CategoryRecord;
namespace category = store::category;
namespace change = store::change;

void notify(OperationContext& context, int code, const CategoryRecord& record) {
    context.sink().notify({code, record.owner->kind(), record.id, 0});
}

void addToSizes(OperationContext& context, CategoryRecord& from, long long delta) {
    for (CategoryRecord* r = &from; r && r->id > 0; r = r->parent) {
        r->values.setInteger(category::kSize, r->size() + delta);
        notify(context, change::kCategoryChanged, *r);
    }
}

void addToPointNum(CategoryRecord& category, long long delta) {
    long long count = category.values.integer(category::kPointNum) + delta;
    category.values.setInteger(category::kPointNum, count > 0 ? count : 0);
}

} // namespace

int siblingIndex(const CategoryRecord& record) {
    int index = 0;
    for (const CategoryRecord* child : record.owner->children(record.parent)) {
        if (child == &record) {
            return index;
        }
        ++index;
    }
    return store::kLastChild;
}

int insertBlock(OperationContext& context, store::CategoryStore& target,
                store::CategoryStore::Rows block, CategoryRecord& parent, int n) {
    if (block.empty()) {
        return store::kNoRecord;
    }
    CategoryRecord* top = block.front().get();
    long long size = top->size();
    for (auto& record : block) {
        CategoryRecord* under = record.get() == top ? &parent : record->parent;
        int at = record.get() == top ? n : store::kLastChild;
        if (int rc = target.add(std::move(record), under, at)) {
            return rc;
        }
    }
    for (CategoryRecord* p = &parent; p; p = p->parent) {
        p->values.setInteger(category::kSize, p->size() + size);
        notify(context, change::kCategoryChanged, *p);
    }
    return store::kOk;
}

void TagChanges::remember(store::TagRecord& tag) {
    m_before.try_emplace(tag.id, tag.values);
}

void TagChanges::notifyChanged(OperationContext& context) const {
    for (const auto& [id, values] : m_before) {
        context.sink().notify({change::kTagChanged, store::StoreKind::Tag, id, 0});
    }
}

void TagChanges::restore() {
    for (const auto& [id, values] : m_before) {
        if (store::TagRecord* tag = m_tags.find(id)) {
            tag->values = values;
        }
    }
}

void changeTagMemberships(OperationContext& context, const std::vector<CategoryRecord*>& categories,
                          Membership membership, store::StoreKind pointStore, TagChanges& changes) {
    store::TagStore& tags = context.base.tags();
    for (CategoryRecord* c : categories) {
        for (const auto& point : c->owner->pointsOf(*c).records()) {
            for (long long tagId : store::idsOfList(point->values.value(store::point::kTagsId))) {
                store::TagRecord* tag = tags.find(tagId);
                if (!tag || tag->id == 0) {
                    continue;
                }
                changes.remember(*tag);
                std::string_view list = tag->values.value(store::tag::kClass);
                if (membership == Membership::Leaving) {
                    tag->values.setValue(store::tag::kClass, store::listWithout(list, c->id));
                    tags.pointLeft(*tag, point->id, pointStore);
                } else {
                    tag->values.setValue(store::tag::kClass, store::listWith(list, c->id));
                    tag->values.setInteger(store::tag::kPointNum,
                                           tag->values.integer(store::tag::kPointNum) + 1);
                    context.sink().notify(
                        {change::kPointAddedToTag, pointStore, point->id, tag->id});
                }
            }
        }
    }
}

std::unique_ptr<store::PointRecord> takePoint(OperationContext& context, CategoryRecord& category,
                                              const store::PointRecord& point) {
    std::unique_ptr<store::PointRecord> taken = category.owner->pointsOf(category).take(&point);
    if (!taken) {
        return taken;
    }
    context.sink().notify({change::kPointRemoved, category.owner->kind(), taken->id, category.id});
    addToPointNum(category, -1);
    addToSizes(context, category, -taken->values.integer(store::point::kPointSize));
    return taken;
}

int putPoint(OperationContext& context, CategoryRecord& category,
             std::unique_ptr<store::PointRecord> point, std::size_t position) {
    long long id = point->id;
    long long size = point->values.integer(store::point::kPointSize);
    if (int rc = category.owner->addPoint(category, std::move(point), position)) {
        return rc;
    }
    addToPointNum(category, 1);
    context.sink().notify({change::kPointAdded, category.owner->kind(), id, category.id});
    addToSizes(context, category, size);
    return store::kOk;
}

TakenAttachments takeAttachments(store::AttachmentList& list, long long pointId) {
    TakenAttachments taken;
    std::vector<const store::AttachmentRecord*> owned;
    for (std::size_t at = 0; at < list.records().size(); ++at) {
        const store::AttachmentRecord* attachment = list.records()[at].get();
        if (attachment->values.integer(store::attachment::kPoint) == pointId) {
            owned.push_back(attachment);
            taken.positions.push_back(at);
        }
    }
    for (const store::AttachmentRecord* attachment : owned) {
        taken.records.push_back(list.take(attachment));
    }
    return taken;
}

void putAttachmentsBack(store::AttachmentList& list, TakenAttachments& taken) {
    for (std::size_t i = 0; i < taken.records.size(); ++i) {
        list.add(std::move(taken.records[i]), taken.positions[i]);
    }
    taken.records.clear();
    taken.positions.clear();
}

} // namespace tarnel::ops
