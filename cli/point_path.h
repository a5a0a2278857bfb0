#pragma once

#include "store/knowledge_store.h"

#include <string>
#include <string_view>

namespace tarnel::cli {

struct PointRef {
    store::CategoryRecord* category = nullptr;
    store::PointRecord* point = nullptr;

    explicit operator bool() const { return point != nullptr; }
};

// The point a command line names: "@ID" a point of the category store, "recycle:@ID" one of the
// recycle bin, else a category path (see resolveCategory), "/" and the point's file name (the
// same letters first, else without regard to case). Empty when nothing matches.
PointRef resolvePoint(store::KnowledgeStore& base, std::string_view text);

// The tag a command line names: "#ID", "/" the tag root, else names from the tag root joined by
// "/". Null when nothing matches.
store::TagRecord* resolveTag(store::KnowledgeStore& base, std::string_view text);

// "CAT/NAME" as resolvePoint reads it ("recycle:" first for the recycle tree's points).
std::string pointPathOf(const store::CategoryRecord& category, const store::PointRecord& point);
// The tag's names from the tag root joined by "/"; "/" for the root.
std::string tagPathOf(const store::TagRecord& tag);

} // namespace tarnel::cli
