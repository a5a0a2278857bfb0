#include "store/data_layout.h"

#include "store/record.h"

namespace tarnel::store {

std::string idPrefixedName(long long id, std::string_view name) {
    std::string out = decimal(id);
    out += '_';
    out += name;
    return out;
}

std::filesystem::path DataLayout::pointListFile(long long categoryId) const {
    return indexFolder() / (decimal(categoryId) + ".cps");
}

std::filesystem::path DataLayout::attachmentListFile(long long categoryId) const {
    return indexFolder() / (decimal(categoryId) + ".cas");
}

std::filesystem::path DataLayout::commentFile(long long pointId, std::string_view pointName) const {
    return commentFolder() / (idPrefixedName(pointId, pointName) + ".rtf");
}

std::filesystem::path DataLayout::attachmentCopy(long long attachmentId,
                                                 std::string_view name) const {
    return appendFolder() / idPrefixedName(attachmentId, name);
}

} // namespace tarnel::store
