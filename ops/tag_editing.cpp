#include "ops/tag_editing.h"

#include "ops/name_rule.h"
#include "ops/tag_messages.h"
#include "store/attribute_tables.h"

#include <memory>

namespace tarnel::ops {
namespace {

using app::MessageIcon;
using store::TagRecord;
using store::TagStore;
namespace tag = store::tag;
namespace change = store::change;

OperationResult refuse(OperationContext& context, std::string_view text, int code, Field field) {
    context.prompt.show(std::string(text), MessageIcon::Error);
    return {code, field};
}

void notify(OperationContext& context, int code, const TagRecord& record) {
    context.sink().notify({code, store::StoreKind::Tag, record.id, 0});
}

bool siblingNamed(const TagStore& tags, const TagRecord& parent, std::string_view name,
                  const TagRecord* except = nullptr) {
    for (const TagRecord* child : tags.children(&parent)) {
        if (child != except && store::equalIgnoringAsciiCase(child->name(), name)) {
            return true;
        }
    }
    return false;
}

// Writes the changed values, saves, and puts them back when the save fails.
OperationResult saveChanged(OperationContext& context, TagRecord& record, store::Record before) {
    if (int rc = context.base.saveStore(store::StoreKind::Tag)) {
        record.values = std::move(before);
        return {rc};
    }
    notify(context, change::kTagChanged, record);
    return {kOk, Field::None, record.id};
}

// Whether a new name passes the sibling test: a change of letter case alone always does.
bool nameFree(const TagStore& tags, const TagRecord& record, std::string_view name) {
    return store::equalIgnoringAsciiCase(record.name(), name) ||
           !siblingNamed(tags, *record.parent, name, &record);
}

int positionAmongSiblings(const TagStore& tags, const TagRecord& record) {
    int index = 0;
    for (const TagRecord* child : tags.children(record.parent)) {
        if (child == &record) {
            return index;
        }
        ++index;
    }
    return index;
}

} // namespace

TagRecord* initialTagParent(TagRecord& selected, Level level) {
    return level == Level::Child ? &selected : selected.parent;
}

OperationResult addTag(OperationContext& context, TagRecord* parent, const TagInput& input) {
    std::string name = trimBlanks(input.name);
    if (name.empty()) {
        return refuse(context, message::kTagNameEmpty, kInvalidName, Field::Name);
    }
    TagStore& tags = context.base.tags();
    if (!parent || !tags.contains(parent)) {
        return refuse(context, message::kChooseTagParent, kNoParentChosen, Field::Parent);
    }
    if (siblingNamed(tags, *parent, name)) {
        return refuse(context, message::kTagNameExists, kNameTaken, Field::Name);
    }
    auto record = std::make_unique<TagRecord>();
    record->values.setValue(tag::kName, name);
    record->values.setInteger(tag::kStarNum, input.starNum);
    record->values.setValue(tag::kCreateDate, context.now());
    record->values.setValue(tag::kMemo, input.memo);
    TagRecord* added = record.get();
    int rc = tags.add(std::move(record), parent);
    if (rc == kOk) {
        rc = context.base.saveCounters();
        if (rc == kOk) {
            rc = context.base.saveStore(store::StoreKind::Tag);
        }
        if (rc != kOk) {
            // The counter stays raised: an id is never given out twice.
            tags.detach(added);
            context.base.saveStore(store::StoreKind::Tag);
        }
    }
    if (rc != kOk) {
        return refuse(context, message::kAddTagFailed, rc, Field::None);
    }
    notify(context, change::kTagAdded, *added);
    return {kOk, Field::None, added->id};
}

OperationResult renameTag(OperationContext& context, TagRecord& record, std::string_view text) {
    std::string name = trimBlanks(text);
    if (name.empty()) {
        return refuse(context, message::kNameEmpty, kInvalidName, Field::Name);
    }
    if (!record.parent) {
        return {store::kNotAllowed, Field::Name};
    }
    if (name == record.name()) {
        return {kOk, Field::None, record.id};
    }
    if (!nameFree(context.base.tags(), record, name)) {
        return refuse(context, message::kTagNameExists, kNameTaken, Field::Name);
    }
    store::Record before = record.values;
    record.values.setValue(tag::kName, name);
    return saveChanged(context, record, std::move(before));
}

OperationResult setTagProperties(OperationContext& context, TagRecord& record,
                                 const TagInput& properties) {
    std::string name = trimBlanks(properties.name);
    if (name.empty()) {
        return refuse(context, message::kTagPropertiesNameEmpty, kInvalidName, Field::Name);
    }
    if (!record.parent) {
        return {store::kNotAllowed, Field::Name};
    }
    bool renames = name != record.name();
    if (renames && !nameFree(context.base.tags(), record, name)) {
        return refuse(context, message::kTagNameExists, kNameTaken, Field::Name);
    }
    bool starChanges = properties.starNum != record.values.integer(tag::kStarNum);
    bool memoChanges = properties.memo != record.values.value(tag::kMemo);
    if (!renames && !starChanges && !memoChanges) {
        return {kOk, Field::None, record.id};
    }
    store::Record before = record.values;
    if (renames) {
        record.values.setValue(tag::kName, name);
    }
    if (starChanges) {
        record.values.setInteger(tag::kStarNum, properties.starNum);
    }
    if (memoChanges) {
        record.values.setValue(tag::kMemo, properties.memo);
    }
    return saveChanged(context, record, std::move(before));
}

OperationResult setTagColor(OperationContext& context, TagRecord& record, ColorRole role,
                            long long color) {
    if (!record.parent) {
        return {store::kNotAllowed};
    }
    store::Record before = record.values;
    int attribute = role == ColorRole::Fore ? tag::kForeColor : tag::kBackColor;
    if (color == kDefaultColor) {
        record.values.clear(attribute);
    } else {
        record.values.setInteger(attribute, color);
    }
    return saveChanged(context, record, std::move(before));
}

OperationResult moveTag(OperationContext& context, TagRecord& record, TagRecord& target,
                        MoveWay way) {
    TagStore& tags = context.base.tags();
    if (!tags.contains(&record) || !tags.contains(&target) || !record.parent) {
        return {kNotMovable, Field::Target};
    }
    if (way == MoveWay::Dialog && &target == record.parent) {
        return {kOk, Field::None, record.id};
    }
    auto failed = [&](int code) {
        return way == MoveWay::Dialog
                   ? refuse(context, message::kMoveTagFailed, code, Field::Target)
                   : OperationResult{code, Field::Target};
    };
    if (&target == record.parent || store::RecordTree<TagRecord>::isInSubtree(&target, &record)) {
        return failed(kNotMovable);
    }
    if (siblingNamed(tags, target, record.name())) {
        return refuse(context, message::kTargetHasCategory, kNameTaken, Field::Target);
    }
    if (way == MoveWay::DragAndDrop) {
        std::string question =
            target.parent
                ? message::formatted(message::kMoveTagQuestion, {record.name(), target.name()})
                : message::formatted(message::kMoveTagToTopQuestion, {record.name()});
        if (context.prompt.ask(question, MessageIcon::Question, app::Buttons::YesNo) !=
            app::Answer::Yes) {
            return {kDeclined};
        }
    }
    TagRecord* oldParent = record.parent;
    int oldPosition = positionAmongSiblings(tags, record);
    if (int rc = tags.moveUnder(&record, &target)) {
        return failed(rc);
    }
    if (int rc = context.base.saveStore(store::StoreKind::Tag)) {
        tags.moveUnder(&record, oldParent);
        for (int steps = static_cast<int>(tags.children(oldParent).size()) - 1 - oldPosition;
             steps > 0; --steps) {
            tags.moveUp(&record);
        }
        notify(context, change::kTagMoved, record);
        return failed(rc);
    }
    return {kOk, Field::None, record.id};
}

} // namespace tarnel::ops
