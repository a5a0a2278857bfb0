#include "app/reading_tools.h"
#include "app/toolbar_config.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tarnel::app {
namespace {

using test::readBytes;
using test::ScriptedPrompt;
using test::shown;
using test::TempDir;
using test::writeBytes;

// The real file system whose renames fail, as on a folder that refuses replacing its files.
class RefusingRenames : public platform::FileSystem {
public:
    int rename(const std::filesystem::path&, const std::filesystem::path&) const override {
        return EACCES;
    }
};

// Save (visible), a separator, bold hidden with its label, then kind 1000 of a newer program.
const std::string kGolden("\x00\x00\x00\x00"
                          "\x00\x00\x00\x00"
                          "\x01\x00\x00\x00"
                          "\xFF\xFF\xFF\xFF"
                          "\x00\x00\x00\x00"
                          "\x01\x00\x00\x00"
                          "\x06\x00\x00\x00"
                          "\x01\x00\x00\x00"
                          "\x00\x00\x00\x00"
                          "\xE8\x03\x00\x00"
                          "\x02\x00\x00\x00"
                          "\x01\x00\x00\x00",
                          48);
const std::vector<ConfiguredTool> kGoldenTools{
    {kToolSave, 0, 1}, {kToolSeparator, 0, 1}, {kToolBold, 1, 0}, {1000, 2, 1}};

TEST(ToolbarConfigTest, RecordsAreTwelveLittleEndianBytesBothWays) {
    EXPECT_EQ(decodeToolbarConfig(kGolden), kGoldenTools);
    EXPECT_EQ(encodeToolbarConfig(kGoldenTools), kGolden);
    EXPECT_TRUE(decodeToolbarConfig("").empty());
}

TEST(ToolbarConfigTest, ATrailingPartialRecordIsIgnored) {
    const std::vector<ConfiguredTool> read = decodeToolbarConfig(kGolden + std::string(11, '\x07'));
    EXPECT_EQ(read, kGoldenTools);
    EXPECT_TRUE(decodeToolbarConfig(kGolden.substr(0, 11)).empty());
}

TEST(ToolbarConfigTest, OnlyKindsOfTheTableAreFound) {
    EXPECT_EQ(findReadingToolKind(kToolFontBackground)->name, "字体背景颜色");
    EXPECT_EQ(findReadingToolKind(kToolSeparator)->image, -1);
    for (int kind : {-2, 26, 1000, INT32_MIN}) {
        EXPECT_EQ(findReadingToolKind(kind), nullptr) << kind;
    }
}

TEST(ToolbarConfigTest, TheShippedFileHoldsWhatTheWriterWritesForTheDefaultList) {
    const char* root = std::getenv("TARNEL_TEST_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    std::vector<ConfiguredTool> tools = defaultReadingTools();
    EXPECT_EQ(readBytes(std::filesystem::path(root) / "resources" / "toolbar.cfg"),
              encodeToolbarConfig(tools));
    EXPECT_FALSE(tools.front().isSeparator() || tools.back().isSeparator());
    std::erase_if(tools, [](const ConfiguredTool& tool) { return tool.isSeparator(); });
    ASSERT_EQ(tools.size(), std::size_t{kReadingToolKindCount});
    for (int kind = 0; kind < kReadingToolKindCount; ++kind) {
        EXPECT_EQ(tools[static_cast<std::size_t>(kind)], (ConfiguredTool{kind, 0, 1}));
    }
}

class ToolbarConfigFileTest : public ::testing::Test {
protected:
    TempDir m_program;
    ScriptedPrompt m_prompt;
};

TEST_F(ToolbarConfigFileTest, AMissingFileCostsOneMessageAndGivesNoTools) {
    ToolbarConfigFile file(m_program.path());
    EXPECT_TRUE(file.load(m_prompt).empty());
    EXPECT_EQ(m_prompt.events(),
              (std::vector{shown("读取阅读区工具栏配置失败", MessageIcon::Error)}));
}

TEST_F(ToolbarConfigFileTest, TheFileIsReadAndReplacedWhole) {
    writeBytes(m_program / "toolbar.cfg", kGolden + "\x01\x02");
    ToolbarConfigFile file(m_program.path());
    std::vector<ConfiguredTool> tools = file.load(m_prompt);
    EXPECT_EQ(tools, kGoldenTools);
    tools.erase(tools.begin());
    ASSERT_EQ(file.save(tools), 0);
    EXPECT_EQ(readBytes(file.path()), kGolden.substr(12, 36));
    EXPECT_TRUE(m_prompt.events().empty());
}

TEST_F(ToolbarConfigFileTest, AFailedRenameLeavesTheOldFileAlone) {
    writeBytes(m_program / "toolbar.cfg", kGolden);
    RefusingRenames refusing;
    ToolbarConfigFile file(m_program.path(), refusing);
    EXPECT_EQ(file.save({{kToolCut, 0, 1}}), EACCES);
    EXPECT_EQ(readBytes(file.path()), kGolden);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_program.path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace tarnel::app
