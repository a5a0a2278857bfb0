#pragma once

#include "platform/file_system.h"
#include "store/change_notification.h"
#include "store/data_layout.h"
#include "store/display_types.h"
#include "store/id_counters.h"

namespace tarnel::store {

// What every store of one knowledge base shares. Owned by KnowledgeStore, which outlives its
// stores; the stores only keep a reference.
struct StoreContext {
    const platform::FileSystem& fileSystem;
    DataLayout layout;
    IdCounters& counters;
    DisplayTypes& displayTypes;
    ChangeSink& sink;
    // False for a base held by a shared database: no local index file is read or written.
    bool localFiles = true;
};

} // namespace tarnel::store
