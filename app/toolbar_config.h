#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::app {

// One entry of the reading area's configured tool list, in toolbar order. Every field is kept as
// read, so that a kind this program does not know goes back to the file unchanged.
struct ConfiguredTool {
    std::int32_t kind = -1; // -1: a separator
    std::int32_t option = 0;
    std::int32_t visible = 1; // 0: hidden

    bool isSeparator() const { return kind == -1; }
    bool isVisible() const { return visible != 0; }
    bool operator==(const ConfiguredTool&) const = default;
};

// The option value that draws a tool's label after its picture.
inline constexpr std::int32_t kOptionShowLabel = 1;

inline constexpr std::string_view kToolbarConfigName = "toolbar.cfg";
inline constexpr std::size_t kToolbarRecordSize = 12;
inline constexpr std::string_view kToolbarReadFailed = "读取阅读区工具栏配置失败";

// The records of toolbar.cfg: 12 bytes each, little-endian kind, option, visible; a trailing
// partial record is ignored.
std::vector<ConfiguredTool> decodeToolbarConfig(std::string_view bytes);
std::string encodeToolbarConfig(const std::vector<ConfiguredTool>& tools);

// The list the shipped file holds: every kind in table order, visible, option 0, its groups
// divided by separators.
std::vector<ConfiguredTool> defaultReadingTools();

// toolbar.cfg of the program directory. User-interface thread.
class ToolbarConfigFile {
public:
    explicit ToolbarConfigFile(const std::filesystem::path& programDirectory,
                               const platform::FileSystem& fileSystem = platform::realFileSystem());

    const std::filesystem::path& path() const { return m_path; }

    // Read once at start-up. A file that cannot be read costs one message and gives no tools.
    std::vector<ConfiguredTool> load(Prompt& prompt) const;

    // Replaces the file whole and atomically. Returns 0 or the errno of the failure; the old file
    // is untouched then.
    int save(const std::vector<ConfiguredTool>& tools) const;

private:
    std::filesystem::path m_path;
    const platform::FileSystem& m_fileSystem;
};

} // namespace tarnel::app
