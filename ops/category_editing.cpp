#include "ops/category_editing.h"

#include "ops/folder_undo.h"
#include "ops/name_rule.h"
#include "ops/operation_messages.h"

#include <memory>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using store::CategoryRecord;
namespace category = store::category;

void notifyChanged(OperationContext& context, const CategoryRecord& record, int code) {
    context.sink().notify({code, record.owner->kind(), record.id, 0});
}

int saveStoreOf(OperationContext& context, const CategoryRecord& record) {
    return context.base.saveStore(record.owner->kind());
}

// What a rename changed, so that a failed save can put it back.
struct NameChange {
    std::string oldName;
    std::string oldRelationPath;
    fs::path oldFolder;
    fs::path newFolder;
    bool folderRenamed = false;
};

fs::path renamedFolder(CategoryRecord& record, const std::string& newName) {
    if (record.isLinkedRoot()) {
        return fs::path(std::string(record.values.value(category::kRelationPath))).parent_path() /
               newName;
    }
    std::string oldName(record.name());
    record.values.setValue(category::kName, newName);
    fs::path folder = record.owner->folderOf(record);
    record.values.setValue(category::kName, oldName);
    return folder;
}

// Renames the folder when it exists, then sets the name (and a linked root's relation_path).
int applyName(OperationContext& context, CategoryRecord& record, const std::string& newName,
              NameChange& change) {
    change.oldName = record.name();
    change.oldRelationPath = record.values.value(category::kRelationPath);
    change.oldFolder = record.owner->folderOf(record);
    change.newFolder = renamedFolder(record, newName);
    if (context.fileSystem.isDirectory(change.oldFolder) && change.oldFolder != change.newFolder) {
        if (context.fileSystem.exists(change.newFolder) ||
            context.fileSystem.rename(change.oldFolder, change.newFolder) != 0) {
            return kRenameFailed;
        }
        change.folderRenamed = true;
    }
    record.values.setValue(category::kName, newName);
    if (record.isLinkedRoot()) {
        record.values.setValue(category::kRelationPath, change.newFolder.string());
    }
    return kOk;
}

void revertName(OperationContext& context, CategoryRecord& record, const NameChange& change) {
    if (change.folderRenamed) {
        context.fileSystem.rename(change.newFolder, change.oldFolder);
    }
    record.values.setValue(category::kName, change.oldName);
    record.values.setValue(category::kRelationPath, change.oldRelationPath);
}

OperationResult refuse(OperationContext& context, std::string_view text, MessageIcon icon, int code,
                       Field field) {
    context.prompt.show(std::string(text), icon);
    return {code, field};
}

bool nameChangedBeyondCase(std::string_view oldName, std::string_view newName) {
    return !store::equalIgnoringAsciiCase(oldName, newName);
}

} // namespace

CategoryRecord* initialParent(CategoryRecord& selected, Level level) {
    return level == Level::Child ? &selected : selected.parent;
}

OperationResult addCategory(OperationContext& context, CategoryRecord* parent,
                            const CategoryInput& input) {
    std::string name = trimBlanks(input.name);
    switch (nameFault(name)) {
    case NameFault::Empty:
        return refuse(context, message::kCategoryNameEmpty, MessageIcon::Error, kInvalidName,
                      Field::Name);
    case NameFault::ForbiddenCharacter:
        return refuse(context, message::kCategoryNameForbidden, MessageIcon::Error, kInvalidName,
                      Field::Name);
    case NameFault::None:
        break;
    }
    if (!parent || !parent->owner || !parent->owner->contains(parent)) {
        return refuse(context, message::kChooseParent, MessageIcon::Error, kNoParentChosen,
                      Field::Parent);
    }
    store::CategoryStore& store = *parent->owner;
    if (store.nameExistsUnder(*parent, name)) {
        return refuse(context, message::kNameExists, MessageIcon::Error, kNameTaken, Field::Name);
    }
    FolderUndo createdFolders(context.fileSystem);
    std::string parentState(parent->values.value(category::kState));
    fs::path parentFolder = store.folderOf(*parent);
    bool parentFolderMade = false;
    if (!context.fileSystem.isDirectory(parentFolder)) {
        if (context.prompt.ask(std::string(message::kCreateParentFolderQuestion),
                               MessageIcon::Question, app::Buttons::YesNo) != app::Answer::Yes) {
            return {kDeclined};
        }
        if (createdFolders.createDirectories(parentFolder) != 0) {
            return refuse(context, message::kCreateParentFolderFailed, MessageIcon::Error,
                          store::kFolderCreateFailed, Field::Parent);
        }
        parentFolderMade = parent->values.integer(category::kState) == 0;
        parent->values.setInteger(category::kState, 1);
    }
    auto record = std::make_unique<CategoryRecord>();
    record->values.setValue(category::kName, name);
    record->values.setInteger(category::kStarNum, input.starNum);
    record->values.setInteger(category::kState, 1);
    record->values.setValue(category::kCreateDate, context.now());
    record->values.setValue(category::kMemo, input.memo);
    CategoryRecord* added = record.get();
    fs::path folder = parentFolder / name;
    bool folderExisted = context.fileSystem.isDirectory(folder);
    int rc = store.add(std::move(record), parent);
    if (rc == kOk) {
        rc = context.base.saveCounters();
        if (rc == kOk) {
            rc = saveStoreOf(context, *parent);
        }
        if (rc != kOk) {
            // The counter stays raised: an id is never given out twice.
            store.detach(added);
            if (!folderExisted) {
                context.fileSystem.removeAll(folder);
            }
        }
    }
    if (rc != kOk) {
        createdFolders.undo();
        parent->values.setValue(category::kState, parentState);
        context.prompt.show(std::string(message::kAddCategoryFailed), MessageIcon::Error);
        return {rc};
    }
    if (parentFolderMade) {
        notifyChanged(context, *parent, store::change::kCategoryChanged);
    }
    notifyChanged(context, *added, store::change::kCategoryAdded);
    return {kOk, Field::None, added->id};
}

OperationResult renameCategory(OperationContext& context, CategoryRecord& category,
                               std::string_view text, RenameWording wording) {
    std::string name = trimBlanks(text);
    switch (nameFault(name)) {
    case NameFault::Empty:
        return refuse(context, message::kNameEmpty, MessageIcon::Error, kInvalidName, Field::Name);
    case NameFault::ForbiddenCharacter:
        return refuse(context,
                      wording == RenameWording::Tree ? message::kCategoryNameForbidden
                                                     : message::kListNameForbidden,
                      MessageIcon::Information, kInvalidName, Field::Name);
    case NameFault::None:
        break;
    }
    if (name == category.name()) {
        return {kOk, Field::None, category.id};
    }
    if (!category.parent) {
        return {store::kNotAllowed, Field::Name};
    }
    if (nameChangedBeyondCase(category.name(), name) &&
        category.owner->nameExistsUnder(*category.parent, name)) {
        return refuse(context, message::kNameExists, MessageIcon::Error, kNameTaken, Field::Name);
    }
    std::string_view failure =
        wording == RenameWording::Tree ? message::kFolderRenameFailed : message::kListRenameFailed;
    NameChange change;
    int rc = applyName(context, category, name, change);
    if (rc == kOk) {
        rc = saveStoreOf(context, category);
        if (rc != kOk) {
            revertName(context, category, change);
        }
    }
    if (rc != kOk) {
        return refuse(context, failure, MessageIcon::Error, rc, Field::Name);
    }
    notifyChanged(context, category, store::change::kCategoryChanged);
    return {kOk, Field::None, category.id};
}

OperationResult setCategoryProperties(OperationContext& context, CategoryRecord& category,
                                      const CategoryProperties& properties) {
    std::string name = trimBlanks(properties.name);
    switch (nameFault(name)) {
    case NameFault::Empty:
        return refuse(context, message::kCategoryNameEmpty, MessageIcon::Error, kInvalidName,
                      Field::Name);
    case NameFault::ForbiddenCharacter:
        return refuse(context, message::kCategoryNameForbidden, MessageIcon::Information,
                      kInvalidName, Field::Name);
    case NameFault::None:
        break;
    }
    bool renames = name != category.name() && category.parent;
    bool starChanges = properties.starNum != category.values.integer(category::kStarNum);
    bool memoChanges = properties.memo != category.values.value(category::kMemo);
    if (!renames && !starChanges && !memoChanges) {
        return {kOk, Field::None, category.id};
    }
    store::Record before = category.values;
    NameChange change;
    int rc = renames ? applyName(context, category, name, change) : kOk;
    if (rc == kOk) {
        if (starChanges) {
            category.values.setInteger(category::kStarNum, properties.starNum);
        }
        if (memoChanges) {
            category.values.setValue(category::kMemo, properties.memo);
        }
        rc = saveStoreOf(context, category);
        if (rc != kOk) {
            category.values = before;
            if (renames) {
                revertName(context, category, change);
            }
        }
    }
    if (rc != kOk) {
        return refuse(context, message::kPropertiesRenameFailed, MessageIcon::Error, rc,
                      Field::Name);
    }
    notifyChanged(context, category, store::change::kCategoryChanged);
    return {kOk, Field::None, category.id};
}

OperationResult setCategoryColor(OperationContext& context, CategoryRecord& category,
                                 ColorRole role, long long color) {
    int attribute = role == ColorRole::Fore ? category::kForeColor : category::kBackColor;
    std::string before(category.values.value(attribute));
    if (color == kDefaultColor) {
        category.values.clear(attribute);
    } else {
        category.values.setInteger(attribute, color);
    }
    int rc = saveStoreOf(context, category);
    if (rc != kOk) {
        category.values.setValue(attribute, before);
        return {rc};
    }
    notifyChanged(context, category, store::change::kCategoryChanged);
    return {kOk, Field::None, category.id};
}

} // namespace tarnel::ops
