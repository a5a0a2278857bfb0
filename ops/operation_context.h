#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"
#include "platform/text_format.h"
#include "store/knowledge_store.h"

#include <functional>
#include <string>

namespace tarnel::ops {

// What every operation works on: the open knowledge base (whose sink receives the change
// notifications), the file system it was opened with, the user's Prompt and the clock that dates
// new and recycled records. All references must outlive the call. User-interface thread only.
struct OperationContext {
    store::KnowledgeStore& base;
    const platform::FileSystem& fileSystem;
    app::Prompt& prompt;
    std::function<std::string()> now = platform::currentDateTime;

    store::ChangeSink& sink() const { return base.sink(); }
};

} // namespace tarnel::ops
