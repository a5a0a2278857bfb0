#pragma once

#include "store/attribute_tables.h"
#include "store/display_types.h"
#include "store/record.h"
#include "store/record_list.h"

#include <span>
#include <string_view>

namespace tarnel::store {

// One knowledge point of a category's point list (attributes: point::Attribute).
struct PointRecord {
    static constexpr std::span<const std::string_view> kAttributeNames = point::kNames;
    // Rows with an id of 0 or less are ignored when a list loads.
    static constexpr bool kSkipsNonPositiveIds = true;

    Record values{point::kNames.size()};
    long long id = 0;
    // Set when the list loads or the record is added through the category store; owned by the
    // knowledge base's DisplayTypes.
    const DisplayType* displayType = nullptr;

    std::string_view name() const { return values.value(point::kName); }
};

// The point list of a category, file "<category id>.cps" in Index; loaded on first use by
// CategoryStore::pointsOf, which also applies the missing-content rule.
using PointList = RecordList<PointRecord>;

} // namespace tarnel::store
