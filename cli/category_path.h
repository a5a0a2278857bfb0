#pragma once

#include "store/knowledge_store.h"

#include <string_view>

namespace tarnel::cli {

// The category a command line names: "/" the category root, "#ID" a category of either store,
// "recycle:" followed by names the recycle tree (alone: the recycle root), else names from the
// top of the category tree joined by "/". Null when nothing matches.
store::CategoryRecord* resolveCategory(store::KnowledgeStore& base, std::string_view text);

} // namespace tarnel::cli
