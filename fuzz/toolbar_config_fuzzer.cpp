// Reads toolbar.cfg bytes: no input may crash or read past the tool table, and whole records
// must go back to the file byte for byte.
#include "app/reading_tools.h"
#include "app/toolbar_config.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<tarnel::app::ConfiguredTool> tools = tarnel::app::decodeToolbarConfig(bytes);
    for (const tarnel::app::ConfiguredTool& tool : tools) {
        if (const tarnel::app::ReadingToolKind* kind =
                tarnel::app::findReadingToolKind(tool.kind)) {
            if (kind->kind != tool.kind) {
                std::abort();
            }
        }
    }
    const std::size_t whole = size - size % tarnel::app::kToolbarRecordSize;
    if (tarnel::app::encodeToolbarConfig(tools) != bytes.substr(0, whole)) {
        std::abort();
    }
    return 0;
}
