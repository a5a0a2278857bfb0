#include "app/toolbar_config.h"

#include "app/reading_tools.h"

#include <array>

namespace tarnel::app {
namespace {

std::int32_t readLittleEndian(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

void appendLittleEndian(std::string& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
}

// The first kind of each group of the shipped toolbar after the first group.
constexpr std::array kGroupStarts{kToolCut,  kToolBold,          kToolInsertPicture,
                                  kToolDock, kToolParaLeft,      kToolFormatBrush,
                                  kToolFind, kToolFontBackground};

bool startsGroup(int kind) {
    for (int start : kGroupStarts) {
        if (start == kind) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<ConfiguredTool> decodeToolbarConfig(std::string_view bytes) {
    std::vector<ConfiguredTool> tools;
    tools.reserve(bytes.size() / kToolbarRecordSize);
    for (std::size_t at = 0; at + kToolbarRecordSize <= bytes.size(); at += kToolbarRecordSize) {
        tools.push_back({readLittleEndian(bytes, at), readLittleEndian(bytes, at + 4),
                         readLittleEndian(bytes, at + 8)});
    }
    return tools;
}

std::string encodeToolbarConfig(const std::vector<ConfiguredTool>& tools) {
    std::string bytes;
    bytes.reserve(tools.size() * kToolbarRecordSize);
    for (const ConfiguredTool& tool : tools) {
        appendLittleEndian(bytes, tool.kind);
        appendLittleEndian(bytes, tool.option);
        appendLittleEndian(bytes, tool.visible);
    }
    return bytes;
}

std::vector<ConfiguredTool> defaultReadingTools() {
    std::vector<ConfiguredTool> tools;
    for (const ReadingToolKind& kind : kReadingToolKinds) {
        if (startsGroup(kind.kind)) {
            tools.push_back({kToolSeparator, 0, 1});
        }
        tools.push_back({kind.kind, 0, 1});
    }
    return tools;
}

ToolbarConfigFile::ToolbarConfigFile(const std::filesystem::path& programDirectory,
                                     const platform::FileSystem& fileSystem)
    : m_path(programDirectory / kToolbarConfigName), m_fileSystem(fileSystem) {}

std::vector<ConfiguredTool> ToolbarConfigFile::load(Prompt& prompt) const {
    std::string bytes;
    if (m_fileSystem.readFile(m_path, bytes) != 0) {
        prompt.show(std::string(kToolbarReadFailed), MessageIcon::Error);
        return {};
    }
    return decodeToolbarConfig(bytes);
}

int ToolbarConfigFile::save(const std::vector<ConfiguredTool>& tools) const {
    return m_fileSystem.writeFileAtomic(m_path, encodeToolbarConfig(tools));
}

} // namespace tarnel::app
