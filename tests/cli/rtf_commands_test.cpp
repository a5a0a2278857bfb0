#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "richtext/rtf_reader.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

fs::path gbkFixture() {
    const char* root = std::getenv("TARNEL_TEST_SOURCE_DIR");
    return fs::path(root != nullptr ? root : ".") / "tests/richtext/fixtures/richedit_gbk.rtf";
}

constexpr const char* kGbkFixtureText = "标题\n红色 italic 下划线\n项目\n第二项\n丂 乗 ☃最后\n";

class RtfCommandsTest : public ::testing::Test {
protected:
    test::TempDir program;
    test::TempDir files;

    CliRun run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--program-dir", program.path().string()});
        std::ostringstream out;
        std::ostringstream err;
        int code = runCommandLine(args, out, err, nullptr);
        return {code, out.str(), err.str()};
    }

    std::string file(const std::string& name, std::string_view bytes) {
        test::writeBytes(files / name, bytes);
        return (files / name).string();
    }
};

TEST_F(RtfCommandsTest, TextOfAChineseFilePrintsEveryLine) {
    CliRun result = run({"rtf-text", gbkFixture().string()});
    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.out, kGbkFixtureText);
    EXPECT_EQ(result.err, "");
}

TEST_F(RtfCommandsTest, TextEndsItsLastLine) {
    EXPECT_EQ(run({"rtf-text", file("a.rtf", "{\\rtf1 a\\par b}")}).out, "a\nb\n");
    EXPECT_EQ(run({"rtf-text", file("plain.txt", "\xC4\xE3\r\nb")}).out, "你\nb\n");
    EXPECT_EQ(run({"rtf-text", file("empty.rtf", "{\\rtf1 }")}).out, "");
}

TEST_F(RtfCommandsTest, TextAsJson) {
    std::string path = file("a.rtf", "{\\rtf1 \\'c4\\'e3\\par \"b\"}");
    CliRun result = run({"--json", "rtf-text", path});
    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.out,
              "{\"file\":\"" + path +
                  "\",\"status\":\"complete\",\"message\":\"\",\"text\":\"Äã\\n\\\"b\\\"\"}\n");
}

TEST_F(RtfCommandsTest, TruncatedFileGivesWhatCouldBeReadAndWarns) {
    std::string path = file("cut.rtf", "{\\rtf1 abc\\par de");
    CliRun result = run({"rtf-text", path});
    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.out, "abc\nde\n");
    EXPECT_EQ(result.err,
              "warning: " + path + " is truncated: the file ends inside 1 open group\n");

    CliRun json = run({"--json", "rtf-text", path});
    EXPECT_EQ(json.out, "{\"file\":\"" + path +
                            "\",\"status\":\"truncated\",\"message\":\"the file ends inside 1 open "
                            "group\",\"text\":\"abc\\nde\"}\n");
}

TEST_F(RtfCommandsTest, MissingFileFails) {
    std::string path = (files / "none.rtf").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"rtf-text", path},
          std::vector<std::string>{"--json", "rtf-text", path},
          std::vector<std::string>{"rtf-roundtrip", path, (files / "out.rtf").string()}}) {
        CliRun result = run(args);
        EXPECT_EQ(result.exitCode, kExitFailed);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "error: cannot read " + path + ": No such file or directory\n");
    }
    EXPECT_FALSE(fs::exists(files / "out.rtf"));
}

TEST_F(RtfCommandsTest, UsageErrors) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"rtf-text"}, std::vector<std::string>{"rtf-text", "a", "b"},
          std::vector<std::string>{"rtf-text", "--pictures", "a"},
          std::vector<std::string>{"rtf-roundtrip", "a"},
          std::vector<std::string>{"rtf-roundtrip", "a", "b", "c"}}) {
        CliRun result = run(args);
        EXPECT_EQ(result.exitCode, kExitUsage) << args.size();
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("error: ", 0), 0u) << result.err;
    }
}

TEST_F(RtfCommandsTest, RoundtripReadsBackToTheSameDocument) {
    std::string in = gbkFixture().string();
    std::string out = (files / "out.rtf").string();
    CliRun result = run({"rtf-roundtrip", in, out});
    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    richtext::ReadResult original = richtext::RtfReader().read(test::readBytes(in));
    richtext::ReadResult again = richtext::RtfReader().read(test::readBytes(out));
    EXPECT_EQ(again.status, richtext::ReadStatus::Complete);
    EXPECT_TRUE(again.document == original.document);
    EXPECT_EQ(run({"rtf-text", out}).out, kGbkFixtureText);
}

TEST_F(RtfCommandsTest, RoundtripAsJson) {
    std::string in = file("a.rtf", "{\\rtf1 a\\par b}");
    std::string out = (files / "out.rtf").string();
    CliRun result = run({"--json", "rtf-roundtrip", in, out});
    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.out, "{\"in\":\"" + in + "\",\"out\":\"" + out +
                              "\",\"status\":\"complete\",\"message\":\"\",\"paragraphs\":2,"
                              "\"omitted_pictures\":0,\"bytes\":" +
                              std::to_string(fs::file_size(out)) + "}\n");
}

TEST_F(RtfCommandsTest, RoundtripOfAPartlyReadFileWritesWhatWasReadElsewhere) {
    std::string in = file("cut.rtf", "{\\rtf1 abc\\par de");
    std::string out = (files / "out.rtf").string();
    CliRun result = run({"rtf-roundtrip", in, out});
    EXPECT_EQ(result.exitCode, kExitSuccess);
    EXPECT_EQ(result.err, "warning: " + in + " is truncated: the file ends inside 1 open group\n");
    EXPECT_EQ(run({"rtf-text", out}).out, "abc\nde\n");
}

TEST_F(RtfCommandsTest, RoundtripOverItselfOnlyWhenNothingKnownIsLost) {
    std::string complete = file("complete.rtf", "{\\rtf1 a\\par b}");
    EXPECT_EQ(run({"rtf-roundtrip", complete, complete}).exitCode, kExitSuccess);
    EXPECT_EQ(run({"rtf-text", complete}).out, "a\nb\n");
    EXPECT_NE(test::readBytes(complete), "{\\rtf1 a\\par b}");

    const std::string cutBytes = "{\\rtf1 abc\\par de";
    std::string cut = file("cut.rtf", cutBytes);
    CliRun refused = run({"rtf-roundtrip", cut, (files / "." / "cut.rtf").string()});
    EXPECT_EQ(refused.exitCode, kExitFailed);
    EXPECT_EQ(refused.err, "error: will not write " + cut +
                               " over itself: it is truncated and only part of it was read\n");
    EXPECT_EQ(test::readBytes(cut), cutBytes);

    const std::string macPictureBytes = "{\\rtf1 a{\\pict\\macpict 0011}}";
    std::string macPicture = file("mac.rtf", macPictureBytes);
    CliRun kept = run({"rtf-roundtrip", macPicture, macPicture});
    EXPECT_EQ(kept.exitCode, kExitFailed);
    EXPECT_EQ(kept.err, "error: will not write " + macPicture +
                            " over itself: 1 picture(s) in formats the document cannot hold "
                            "would be lost\n");
    EXPECT_EQ(test::readBytes(macPicture), macPictureBytes);
}

TEST_F(RtfCommandsTest, RoundtripThatCannotWriteFails) {
    std::string in = file("a.rtf", "{\\rtf1 a}");
    std::string out = (files / "missing" / "out.rtf").string();
    CliRun result = run({"rtf-roundtrip", in, out});
    EXPECT_EQ(result.exitCode, kExitFailed);
    EXPECT_EQ(result.err.rfind("error: cannot write " + out + ": ", 0), 0u) << result.err;
}

} // namespace
} // namespace tarnel::cli
