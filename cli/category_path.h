#pragma once

#include "store/knowledge_store.h"

#include <string>
#include <string_view>

namespace tarnel::cli {

// The category a command line names: "/" the category root, "#ID" a category of either store,
// "recycle:" followed by names the recycle tree (alone: the recycle root), else names from the
// top of the category tree joined by "/". Null when nothing matches.
store::CategoryRecord* resolveCategory(store::KnowledgeStore& base, std::string_view text);

// The path resolveCategory reads back: names from the top joined by "/" ("/" for the root), with
// "recycle:" before those of the recycle tree.
std::string categoryPathOf(const store::CategoryRecord& category);

} // namespace tarnel::cli
