#include "ops/tag_points.h"

#include "ops/index_bookkeeping.h"
#include "ops/point_tags.h"
#include "ops/tag_messages.h"
#include "store/attribute_tables.h"

#include <algorithm>

namespace tarnel::ops {
namespace {

using app::MessageIcon;
using store::CategoryRecord;
using store::PointRecord;
using store::StoreKind;
using store::TagRecord;
namespace point = store::point;
namespace tag = store::tag;
namespace change = store::change;

// The `tags_id` of each point changed, to put back.
using TagListsBefore = std::vector<std::pair<PointRecord*, std::string>>;

void addOnce(std::vector<CategoryRecord*>& categories, CategoryRecord* category) {
    if (std::find(categories.begin(), categories.end(), category) == categories.end()) {
        categories.push_back(category);
    }
}

int saveLists(OperationContext& context, const std::vector<CategoryRecord*>& categories) {
    for (CategoryRecord* category : categories) {
        if (int rc = context.base.savePoints(*category)) {
            return rc;
        }
    }
    return kOk;
}

void notifyPointChanged(OperationContext& context, const TagPoint& entry) {
    context.sink().notify({change::kPointChanged, entry.category->owner->kind(), entry.point->id,
                           entry.category->id});
}

// Newest first, so that a point changed twice ends with its first value.
void restoreLists(const TagListsBefore& before) {
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        it->first->values.setValue(point::kTagsId, it->second);
    }
}

int siblingPosition(const store::TagStore& tags, const TagRecord& record) {
    int index = 0;
    for (const TagRecord* child : tags.children(record.parent)) {
        if (child == &record) {
            return index;
        }
        ++index;
    }
    return store::kLastChild;
}

} // namespace

std::vector<TagPoint> pointsOfTag(store::KnowledgeStore& base, const TagRecord& record) {
    std::vector<TagPoint> found;
    store::CategoryStore& categories = base.categories();
    for (long long id : store::idsOfList(record.values.value(tag::kClass))) {
        CategoryRecord* category = categories.find(id);
        if (!category || !category->parent) {
            continue;
        }
        for (const auto& p : categories.pointsOf(*category).records()) {
            if (store::listContains(p->values.value(point::kTagsId), record.id)) {
                found.push_back({category, p.get()});
            }
        }
    }
    return found;
}

TagListing listTagPoints(OperationContext& context, TagRecord& record) {
    TagListing listing;
    listing.points = pointsOfTag(context.base, record);
    long long count = static_cast<long long>(listing.points.size());
    if (record.parent && count != record.values.integer(tag::kPointNum)) {
        record.values.setInteger(tag::kPointNum, count);
        listing.saveResult = context.base.saveStore(StoreKind::Tag);
        context.sink().notify({change::kTagChanged, StoreKind::Tag, record.id, 0});
    }
    return listing;
}

OperationResult setTagsOfPoints(OperationContext& context, const std::vector<TagPoint>& points,
                                const std::vector<long long>& tags) {
    TagChanges changes(context.base.tags());
    TagListsBefore before;
    std::vector<CategoryRecord*> touched;
    for (const TagPoint& entry : points) {
        before.emplace_back(entry.point, std::string(entry.point->values.value(point::kTagsId)));
        setPointTags(context, *entry.category, *entry.point, tags, changes);
        addOnce(touched, entry.category);
    }
    int rc = saveLists(context, touched);
    if (rc == kOk && changes.any()) {
        rc = context.base.saveStore(StoreKind::Tag);
    }
    if (rc != kOk) {
        restoreLists(before);
        changes.restore();
        saveLists(context, touched);
        context.base.saveStore(StoreKind::Tag);
        return {rc};
    }
    for (const TagPoint& entry : points) {
        notifyPointChanged(context, entry);
    }
    return {kOk};
}

OperationResult removePointFromTag(OperationContext& context, TagRecord& record,
                                   CategoryRecord& category, const PointRecord& point) {
    PointRecord* editable = category.owner->pointsOf(category).find(point.id);
    if (!editable || !record.parent) {
        return {store::kNoRecord};
    }
    std::string question =
        message::formatted(message::kRemoveFromTagQuestion, {record.name(), point.name()});
    if (context.prompt.ask(question, MessageIcon::Question, app::Buttons::YesNo) !=
        app::Answer::Yes) {
        return {kDeclined};
    }
    std::vector<long long> rest = tagsOf(context.base.tags(), *editable);
    rest.erase(std::remove(rest.begin(), rest.end(), record.id), rest.end());
    OperationResult result = setTagsOfPoints(context, {{&category, editable}}, rest);
    result.id = point.id;
    return result;
}

int TagRemoval::detach(TagRecord& top) {
    store::TagStore& tags = m_context.base.tags();
    if (!tags.contains(&top) || !top.parent) {
        return store::kNoRecord;
    }
    for (TagRecord* record : tags.subtree(&top)) {
        m_context.sink().notify({change::kTagRemoved, StoreKind::Tag, record->id, 0});
        for (const TagPoint& entry : pointsOfTag(m_context.base, *record)) {
            std::string_view list = entry.point->values.value(point::kTagsId);
            m_listsBefore.emplace_back(entry.point, std::string(list));
            std::string rest = store::listWithout(list, record->id);
            entry.point->values.setValue(point::kTagsId,
                                         store::idsOfList(rest).empty() ? "" : rest);
            notifyPointChanged(m_context, entry);
            addOnce(m_touched, entry.category);
        }
    }
    m_parent = top.parent;
    m_position = siblingPosition(tags, top);
    m_run = tags.detach(&top);
    return kOk;
}

void TagRemoval::addTouched(TouchedIndex& touched) const {
    for (CategoryRecord* category : m_touched) {
        touched.addPoints(*category);
    }
    touched.addStore(StoreKind::Tag);
}

void TagRemoval::undo() {
    store::TagStore& tags = m_context.base.tags();
    TagRecord* top = m_run.empty() ? nullptr : m_run.front().get();
    for (auto& record : m_run) {
        bool isTop = record.get() == top;
        TagRecord* parent = isTop ? m_parent : record->parent;
        tags.add(std::move(record), parent, isTop ? m_position : store::kLastChild);
    }
    m_run.clear();
    restoreLists(m_listsBefore);
    m_listsBefore.clear();
}

OperationResult deleteTag(OperationContext& context, TagRecord& record) {
    if (!context.base.tags().contains(&record) || !record.parent) {
        return {store::kNoRecord};
    }
    std::string name(record.name());
    if (context.prompt.ask(message::formatted(message::kDeleteTagQuestion, {name}),
                           MessageIcon::Question, app::Buttons::OkCancel) != app::Answer::Ok) {
        return {kDeclined};
    }
    TagRemoval removal(context);
    if (int rc = removal.detach(record)) {
        return {rc};
    }
    if (int rc = saveOrTakeBack(context, removal)) {
        return {rc};
    }
    context.prompt.show(message::formatted(message::kTagDeleted, {name}), MessageIcon::Information);
    return {kOk};
}

} // namespace tarnel::ops
