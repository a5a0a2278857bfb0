#include "ops/attachment_editing.h"

#include "ops/attachment_messages.h"
#include "ops/file_copy.h"
#include "ops/import_messages.h"
#include "ops/point_messages.h"
#include "store/attribute_tables.h"

#include <system_error>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using store::AttachmentList;
using store::AttachmentRecord;
using store::CategoryRecord;
using store::PointRecord;
namespace point = store::point;
namespace attachment = store::attachment;

void addToAppendNum(PointRecord& record, long long delta) {
    long long count = record.values.integer(point::kAppendNum) + delta;
    record.values.setInteger(point::kAppendNum, count > 0 ? count : 0);
}

bool hasAttachmentNamed(const std::vector<AttachmentRecord*>& attachments, std::string_view name) {
    for (const AttachmentRecord* a : attachments) {
        if (store::equalIgnoringAsciiCase(a->name(), name)) {
            return true;
        }
    }
    return false;
}

int saveListsOf(OperationContext& context, CategoryRecord& category) {
    int rc = context.base.savePoints(category);
    if (rc == kOk) {
        rc = context.base.saveAttachments(category);
    }
    return rc;
}

// Puts a record taken out of the list back at its former position, so that the list saves to
// the bytes it had.
void reinsert(AttachmentList& list, std::unique_ptr<AttachmentRecord> record, std::size_t index) {
    std::vector<std::unique_ptr<AttachmentRecord>> tail;
    while (list.size() > index) {
        tail.push_back(list.take(list.records().back().get()));
    }
    list.add(std::move(record));
    for (auto it = tail.rbegin(); it != tail.rend(); ++it) {
        list.add(std::move(*it));
    }
}

bool samePath(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

} // namespace

std::string message::saveFilterFor(std::string_view name) {
    std::string extension = store::lowerExtension(name);
    if (extension.empty()) {
        return "文件(*.*)|*.*||";
    }
    std::string ext(name.substr(name.size() - extension.size() + 1));
    return "文件(*." + ext + ")|*." + ext + "||";
}

std::vector<AttachmentRecord*> attachmentsOfPoint(CategoryRecord& category,
                                                  const PointRecord& point) {
    std::vector<AttachmentRecord*> out;
    for (const auto& a : category.owner->attachmentsOf(category).records()) {
        if (a->values.integer(attachment::kPoint) == point.id) {
            out.push_back(a.get());
        }
    }
    return out;
}

fs::path attachmentFile(const OperationContext& context, const AttachmentRecord& attachment) {
    return store::attachmentPath(context.base.layout(), attachment);
}

OperationResult addAttachments(OperationContext& context, CategoryRecord& category,
                               const PointRecord& point,
                               const std::vector<AttachmentInput>& files) {
    if (!context.base.usesLocalFiles()) {
        return {kNeedsSharedService};
    }
    PointRecord* record = category.owner->pointsOf(category).find(point.id);
    if (!record) {
        return {store::kNoRecord};
    }
    AttachmentList& list = category.owner->attachmentsOf(category);
    std::vector<AttachmentRecord*> present = attachmentsOfPoint(category, *record);
    std::vector<AttachmentRecord*> added;
    std::vector<fs::path> copies;
    FolderUndo folders(context.fileSystem);
    std::string appendBefore(record->values.value(point::kAppendNum));
    int lastRefusal = kOk;
    for (const AttachmentInput& input : files) {
        std::string name = input.file.filename().string();
        if (hasAttachmentNamed(present, name)) {
            context.prompt.show(message::formatted(message::kDuplicateAttachment, {name}),
                                MessageIcon::Information);
            lastRefusal = kNameTaken;
            continue;
        }
        std::unique_ptr<AttachmentRecord> made = newAttachmentRecord(context, record->id, input);
        if (!made) {
            context.prompt.show(message::formatted(message::kFileInfoFailed, {input.file.string()}),
                                MessageIcon::Warning);
            lastRefusal = kWriteFailed;
            continue;
        }
        if (!input.linked) {
            if (int err =
                    copyAttachmentIn(context, folders, *made, input.file, Placement::Replace)) {
                context.prompt.show(message::formatted(message::kAttachmentCopyFailed, {name}) +
                                        "\n" + platform::errorText(err),
                                    MessageIcon::Warning);
                lastRefusal = kWriteFailed;
                continue;
            }
            copies.push_back(attachmentFile(context, *made));
        }
        present.push_back(made.get());
        added.push_back(made.get());
        list.add(std::move(made));
        addToAppendNum(*record, 1);
    }
    if (added.empty()) {
        folders.undo();
        return {lastRefusal};
    }
    int rc = saveListsOf(context, category);
    if (rc == kOk) {
        rc = context.base.saveCounters();
    }
    if (rc != kOk) {
        for (AttachmentRecord* a : added) {
            list.take(a);
        }
        record->values.setValue(point::kAppendNum, appendBefore);
        for (const fs::path& copy : copies) {
            context.fileSystem.removeFile(copy);
        }
        folders.undo();
        saveListsOf(context, category);
        context.prompt.show(std::string(message::kAddAttachmentFailed), MessageIcon::Error);
        return {rc};
    }
    for (const AttachmentRecord* a : added) {
        context.sink().notify(
            {store::change::kAttachmentAdded, category.owner->kind(), a->id, record->id});
    }
    return {kOk, Field::None, added.back()->id};
}

OperationResult openAttachment(OperationContext& context, const platform::Opener& opener,
                               const AttachmentRecord& attachment) {
    fs::path file = attachmentFile(context, attachment);
    if (!context.fileSystem.isRegularFile(file)) {
        context.prompt.show(message::formatted(message::kContentMissing, {file.string()}),
                            MessageIcon::Warning);
        return {kContentMissing};
    }
    if (opener.openFile(fs::absolute(file)) != 0) {
        return {kOpenFailed};
    }
    return {kOk, Field::None, attachment.id};
}

OperationResult exportAttachment(OperationContext& context, const AttachmentRecord& attachment,
                                 const fs::path& target) {
    fs::path file = attachmentFile(context, attachment);
    if (samePath(file, target)) {
        context.prompt.show(std::string(message::kSamePathRefused), MessageIcon::Error);
        return {kSamePath};
    }
    if (copyIntoPlace(context.fileSystem, file, target, Placement::Replace) != 0) {
        context.prompt.show(std::string(message::kSaveFailedText), MessageIcon::Information);
        return {kWriteFailed};
    }
    context.prompt.show(std::string(message::kSaved), MessageIcon::Information);
    return {kOk, Field::None, attachment.id};
}

OperationResult deleteAttachment(OperationContext& context, CategoryRecord& category,
                                 const PointRecord& point, const AttachmentRecord& attachment) {
    if (!context.base.usesLocalFiles()) {
        return {kNeedsSharedService};
    }
    PointRecord* record = category.owner->pointsOf(category).find(point.id);
    AttachmentList& list = category.owner->attachmentsOf(category);
    AttachmentRecord* target = list.find(attachment.id);
    if (!record || !target) {
        return {store::kNoRecord};
    }
    if (context.prompt.ask(std::string(message::kDeleteAttachmentQuestion), MessageIcon::Question,
                           app::Buttons::YesNo) != app::Answer::Yes) {
        return {kDeclined};
    }
    const platform::FileSystem& fileSystem = context.fileSystem;
    fs::path copy = attachmentFile(context, *target);
    fs::path aside = hiddenSibling(copy, ".tarnel-gone");
    bool setAside = false;
    if (!target->isLinked() && fileSystem.exists(copy)) {
        if (fileSystem.rename(copy, aside) != 0) {
            context.prompt.show(std::string(message::kDeleteAttachmentFailed), MessageIcon::Error);
            return {kRemoveFailed};
        }
        setAside = true;
    }
    std::size_t index = 0;
    while (list.records()[index].get() != target) {
        ++index;
    }
    long long id = target->id;
    std::string appendBefore(record->values.value(point::kAppendNum));
    std::unique_ptr<AttachmentRecord> taken = list.take(target);
    addToAppendNum(*record, -1);
    if (int rc = saveListsOf(context, category)) {
        reinsert(list, std::move(taken), index);
        record->values.setValue(point::kAppendNum, appendBefore);
        saveListsOf(context, category);
        if (setAside) {
            fileSystem.rename(aside, copy);
        }
        context.prompt.show(std::string(message::kDeleteAttachmentFailed), MessageIcon::Error);
        return {rc};
    }
    context.sink().notify(
        {store::change::kAttachmentRemoved, category.owner->kind(), id, record->id});
    if (setAside) {
        fileSystem.removeFile(aside);
    }
    return {kOk, Field::None, id};
}

} // namespace tarnel::ops
