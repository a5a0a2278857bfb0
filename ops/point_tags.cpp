#include "ops/point_tags.h"

#include "store/attribute_tables.h"

#include <algorithm>

namespace tarnel::ops {
namespace {

namespace point = store::point;
namespace tag = store::tag;
namespace change = store::change;
using store::CategoryRecord;
using store::PointRecord;
using store::TagRecord;

bool holds(const std::vector<long long>& ids, long long id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool anotherPointCarries(CategoryRecord& category, const PointRecord& point, long long tagId) {
    for (const auto& other : category.owner->pointsOf(category).records()) {
        if (other.get() != &point && other->id != point.id &&
            store::listContains(other->values.value(point::kTagsId), tagId)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<long long> tagsOf(const store::TagStore& tags, const PointRecord& point) {
    std::vector<long long> out;
    for (long long id : store::idsOfList(point.values.value(point::kTagsId))) {
        if (tags.find(id) && !holds(out, id)) {
            out.push_back(id);
        }
    }
    return out;
}

bool setPointTags(OperationContext& context, CategoryRecord& category, PointRecord& point,
                  const std::vector<long long>& newTags, TagChanges& changes) {
    store::TagStore& tags = context.base.tags();
    store::StoreKind pointStore = category.owner->kind();
    std::vector<long long> oldTags = tagsOf(tags, point);
    point.values.clear(point::kTagsId);
    bool changed = false;
    for (long long id : oldTags) {
        if (holds(newTags, id)) {
            continue;
        }
        TagRecord& old = *tags.find(id);
        changes.remember(old);
        long long count = old.values.integer(tag::kPointNum);
        old.values.setInteger(tag::kPointNum, count > 0 ? count - 1 : 0);
        if (!anotherPointCarries(category, point, id)) {
            old.values.setValue(tag::kClass,
                                store::listWithout(old.values.value(tag::kClass), category.id));
        }
        context.sink().notify({change::kTagChanged, store::StoreKind::Tag, id, 0});
        context.sink().notify({change::kPointRemovedFromTag, pointStore, point.id, id});
        changed = true;
    }
    std::string list;
    for (long long id : newTags) {
        TagRecord* added = tags.find(id);
        if (!added || id == 0 || store::listContains(list, id)) {
            continue;
        }
        list = store::listWith(list, id);
        if (holds(oldTags, id)) {
            continue;
        }
        changes.remember(*added);
        added->values.setInteger(tag::kPointNum, added->values.integer(tag::kPointNum) + 1);
        added->values.setValue(tag::kClass,
                               store::listWith(added->values.value(tag::kClass), category.id));
        context.sink().notify({change::kTagChanged, store::StoreKind::Tag, id, 0});
        context.sink().notify({change::kPointAddedToTag, pointStore, point.id, id});
        changed = true;
    }
    point.values.setValue(point::kTagsId, list);
    return changed;
}

bool leaveTags(OperationContext& context, CategoryRecord& category, PointRecord& point,
               TagChanges& changes) {
    std::string kept(point.values.value(point::kTagsId));
    bool changed = setPointTags(context, category, point, {}, changes);
    point.values.setValue(point::kTagsId, kept);
    return changed;
}

} // namespace tarnel::ops
