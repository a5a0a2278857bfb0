#include "platform/ini.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnel::platform {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class IniFileTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return m_dir / "tarnel.ini"; }
    IniFile ini() const { return IniFile(file()); }
    std::string read(std::string_view section, std::string_view key, std::size_t buffer = 256) {
        return ini().readString(section, key, "<default>", buffer);
    }

    TempDir m_dir;
};

TEST_F(IniFileTest, ReadsLikeTheProfileFunctions) {
    writeBytes(file(), "; a comment\r\n"
                       "[Data]\r\n"
                       "  data_path  =  /home/u/kb  \r\n"
                       "Quoted=\"  spaced  \"\r\n"
                       "Single='x'\r\n"
                       "Empty=\r\n"
                       "Dup=first\r\n"
                       "dup=second\r\n"
                       " [ Other ] \r\n"
                       "Data_Path=other\r\n"
                       "[DATA]\r\n"
                       "Late=hidden by the first DATA section\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"DATA", "Data_Path", "/home/u/kb"},
        {" data ", " DATA_PATH ", "/home/u/kb"},
        {"DATA", "Quoted", "  spaced  "},
        {"DATA", "Single", "x"},
        {"DATA", "Empty", ""},
        {"DATA", "DUP", "first"},
        {"other", "data_path", "other"},
        {"DATA", "Missing", "<default>"},
        {"Nowhere", "Data_Path", "<default>"},
        {"DATA", "Late", "<default>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.section, c.key), c.expected) << c.section << "/" << c.key;
        const std::string_view key = c.key;
        EXPECT_EQ(ini().readStrings(c.section, std::span(&key, 1), "<default>", 256),
                  std::vector<std::string>{c.expected})
            << c.section << "/" << c.key;
    }
    const std::string_view keys[] = {"Dup", "quoted", "Missing"};
    EXPECT_EQ(ini().readStrings("DATA", keys, "<default>", 4),
              (std::vector<std::string>{"fir", "  s", "<de"}));
    EXPECT_TRUE(ini().hasKey("data", "empty"));
    EXPECT_FALSE(ini().hasKey("data", "missing"));
}

TEST_F(IniFileTest, MissingFileGivesDefaults) {
    EXPECT_EQ(read("DATA", "Data_Path"), "<default>");
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(IniFileTest, ValuesAreGb18030AndCutToTheBufferOnCharacterBoundaries) {
    // "数据" is CA FD BE DD in GB18030.
    writeBytes(file(), "[DATA]\nName=\xCA\xFD\xBE\xDD\nAscii=abcdef\n");
    EXPECT_EQ(read("DATA", "Name"), "数据");
    EXPECT_EQ(read("DATA", "Name", 4), "数");
    EXPECT_EQ(read("DATA", "Name", 3), "数");
    EXPECT_EQ(read("DATA", "Name", 2), "");
    EXPECT_EQ(read("DATA", "Ascii", 4), "abc");
}

TEST_F(IniFileTest, WritingCreatesAnOwnerOnlyFile) {
    ASSERT_EQ(ini().writeString("DATA", "Data_Path", "/kb"), 0);
    ASSERT_EQ(ini().writeString("DATA", "DATABASE_TYPE", "0"), 0);
    ASSERT_EQ(ini().writeString("SKIN", "SkinPath", "蓝色"), 0);
    EXPECT_EQ(readBytes(file()), "[DATA]\nData_Path=/kb\nDATABASE_TYPE=0\n"
                                 "[SKIN]\nSkinPath=\xC0\xB6\xC9\xAB\n");
    struct stat st {};
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, WritingKeepsEveryOtherLineAndTheLineEnding) {
    const std::string before = "; kept comment\r\n"
                               "[DATA]\r\n"
                               "data_path = old\r\n"
                               "Other=1\r\n"
                               "\r\n"
                               "[SKIN]\r\n"
                               "SkinPath=blue";
    writeBytes(file(), before);
    ASSERT_EQ(ini().writeString("Data", "DATA_PATH", "new"), 0);
    EXPECT_EQ(readBytes(file()), "; kept comment\r\n"
                                 "[DATA]\r\n"
                                 "DATA_PATH=new\r\n"
                                 "Other=1\r\n"
                                 "\r\n"
                                 "[SKIN]\r\n"
                                 "SkinPath=blue");

    // A new key goes after the section's last line, before the blank line that ends it.
    ASSERT_EQ(ini().writeString("DATA", "DATABASE_TYPE", "2"), 0);
    ASSERT_EQ(ini().writeString("SKIN", "Extra", "x"), 0);
    ASSERT_EQ(ini().writeString("NEW", "Key", "v"), 0);
    EXPECT_EQ(readBytes(file()), "; kept comment\r\n"
                                 "[DATA]\r\n"
                                 "DATA_PATH=new\r\n"
                                 "Other=1\r\n"
                                 "DATABASE_TYPE=2\r\n"
                                 "\r\n"
                                 "[SKIN]\r\n"
                                 "SkinPath=blue\r\n"
                                 "Extra=x\r\n"
                                 "[NEW]\r\n"
                                 "Key=v\r\n");
}

TEST_F(IniFileTest, RefusesTextThatWouldChangeOtherKeys) {
    const std::string before = "[DATA]\nData_Path=/kb\n";
    writeBytes(file(), before);
    EXPECT_EQ(ini().writeString("DATA", "Data_Path", "/x\nDATABASE_TYPE=1"), EINVAL);
    EXPECT_EQ(ini().writeString("DATA", "a=b", "1"), EINVAL);
    EXPECT_EQ(ini().writeString("DA]TA", "k", "1"), EINVAL);
    EXPECT_EQ(ini().writeString("DATA", " ", "1"), EINVAL);
    EXPECT_EQ(readBytes(file()), before);
}

// A file system whose every replacement of a file fails as on a full disk.
class FullDisk : public FileSystem {
public:
    int writeFileAtomic(const std::filesystem::path&, std::string_view, Access) const override {
        return ENOSPC;
    }
};

TEST_F(IniFileTest, AFailedWriteIsReportedAndLeavesTheFile) {
    const std::string before = "[DATA]\nData_Path=/kb\n";
    writeBytes(file(), before);
    FullDisk fullDisk;
    EXPECT_EQ(IniFile(file(), fullDisk).writeString("DATA", "Data_Path", "/other"), ENOSPC);
    EXPECT_EQ(readBytes(file()), before);
}

TEST_F(IniFileTest, AnIndependentReaderReadsWhatWeWrite) {
    const std::pair<const char*, const char*> keys[] = {
        {"Data_Path", "/home/用户/知识库"}, {"DATABASE_TYPE", "0"}, {"PWD", "p@ss w0rd;#"}};
    for (const auto& [key, value] : keys) {
        ASSERT_EQ(ini().writeString("DATA", key, value), 0);
    }
    ASSERT_EQ(ini().writeString("SKIN", "SkinPath", "默认"), 0);
    const char* script = "import configparser, sys\n"
                         "c = configparser.ConfigParser(interpolation=None)\n"
                         "c.optionxform = str\n"
                         "c.read(sys.argv[1], encoding='gb18030')\n"
                         "for s in c.sections():\n"
                         "    for k, v in c.items(s):\n"
                         "        sys.stdout.write(s + '/' + k + '=' + v + '\\n')\n";
    auto result = test::runProcess("/usr/bin/python3", {"-c", script, file().string()}, {}, {},
                                   {{"PYTHONIOENCODING", "utf-8"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "DATA/Data_Path=/home/用户/知识库\n"
                          "DATA/DATABASE_TYPE=0\n"
                          "DATA/PWD=p@ss w0rd;#\n"
                          "SKIN/SkinPath=默认\n");
}

TEST(ProfileIntTest, ReadsAsAtoiDoes) {
    const std::pair<const char*, int> cases[] = {
        {"42", 42},
        {"  7", 7},
        {"-3", -3},
        {"+5", 5},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(profileInt(text), value) << text;
    }
}

} // namespace
} // namespace tarnel::platform
