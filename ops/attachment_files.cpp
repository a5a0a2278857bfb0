#include "ops/attachment_files.h"

#include "store/attribute_tables.h"

namespace tarnel::ops {

namespace fs = std::filesystem;
namespace attachment = store::attachment;

std::unique_ptr<store::AttachmentRecord>
newAttachmentRecord(OperationContext& context, long long pointId, const AttachmentInput& input) {
    std::optional<std::uint64_t> size = context.fileSystem.fileSize(input.file);
    std::string name = input.file.filename().string();
    if (!size || name.empty()) {
        return nullptr;
    }
    auto record = std::make_unique<store::AttachmentRecord>();
    record->id = context.base.counters().next(store::IdKind::Attachment);
    record->values.setInteger(attachment::kId, record->id);
    record->values.setInteger(attachment::kPoint, pointId);
    record->values.setValue(attachment::kName, name);
    record->values.setValue(attachment::kAppendSize, std::to_string(*size));
    record->values.setInteger(attachment::kIsLinked, input.linked ? 1 : 0);
    if (input.linked) {
        record->values.setValue(attachment::kLinkPath, fs::absolute(input.file).string());
    }
    record->values.setInteger(attachment::kState, 1);
    record->values.setValue(attachment::kCreateDate, context.now());
    return record;
}

int copyAttachmentIn(OperationContext& context, FolderUndo& folders,
                     const store::AttachmentRecord& record, const fs::path& source,
                     Placement placement) {
    fs::path copy = context.base.layout().attachmentCopy(record.id, record.name());
    if (int err = folders.createDirectories(copy.parent_path())) {
        return err;
    }
    return copyIntoPlace(context.fileSystem, source, copy, placement);
}

} // namespace tarnel::ops
