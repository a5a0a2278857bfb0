#pragma once

#include "store/attribute_tables.h"
#include "store/data_layout.h"
#include "store/record.h"
#include "store/record_list.h"

#include <filesystem>
#include <span>
#include <string_view>

namespace tarnel::store {

// One attachment of a point (attributes: attachment::Attribute).
struct AttachmentRecord {
    static constexpr std::span<const std::string_view> kAttributeNames = attachment::kNames;
    static constexpr bool kSkipsNonPositiveIds = false;

    Record values{attachment::kNames.size()};
    long long id = 0;

    std::string_view name() const { return values.value(attachment::kName); }
    bool isLinked() const { return values.integer(attachment::kIsLinked) != 0; }
};

// The attachment list of a category, file "<category id>.cas" in Index; loaded on first use by
// CategoryStore::attachmentsOf.
using AttachmentList = RecordList<AttachmentRecord>;

// Where the attachment's file is: its `link_path` in link mode, else its copy
// Append/<id>_<name>.
inline std::filesystem::path attachmentPath(const DataLayout& layout,
                                            const AttachmentRecord& attachment) {
    if (attachment.isLinked()) {
        return std::string(attachment.values.value(attachment::kLinkPath));
    }
    return layout.attachmentCopy(attachment.id, attachment.name());
}

} // namespace tarnel::store
