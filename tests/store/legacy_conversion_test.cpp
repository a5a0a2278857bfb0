#include "store/legacy_conversion.h"
#include "store/result_codes.h"
#include "tests/store/legacy_fixtures.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"

#include <csignal>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnel::store {
namespace {

namespace fs = std::filesystem;
using app::MessageIcon;
using test::olderCategory;
using test::olderFile;
using test::olderPoint;
using test::scrambledTable;
using Rows = std::vector<std::vector<std::string>>;
using Snapshot = std::map<std::string, std::string>;

constexpr std::time_t kNow = 1700000000;
const std::string kDate1 = "2009-01-02 03:04:05";
const std::string kDate2 = "2009-02-03 04:05:06";
const std::string kPointDate1 = "2009-03-04 05:06:07";
const std::string kPointDate2 = "2009-04-05 06:07:08";
// "乗" in GB18030 is 81 5C: its trail byte is a backslash, which must not become a blank.
const std::string kTrailBackslash = "\x81\x5c";
const std::string kUnchanged = "原有数据未做任何改动。";

std::string stamp() {
    std::tm local{};
    std::time_t now = kNow;
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return text;
}

const Rows kCategoryHeader = {{"id", "parent", "name", "star_num", "size", "point_num", "state",
                               "create_date", "modify_date", "memo", "fore_color", "back_color",
                               "relation_path"}};
const std::vector<std::string> kPointHeader = {
    "id",          "class",       "name",       "has_comment", "tags_id",
    "star_num",    "point_size",  "append_num", "state",       "create_date",
    "modify_date", "delete_date", "fore_color", "back_color",  "original_local"};
const std::vector<std::string> kAttachmentHeader = {"id",          "point",       "name",
                                                    "append_size", "is_linked",   "link_path",
                                                    "state",       "create_date", "modify_date"};
const std::vector<std::string> kCountersHeader = {"version", "class",   "point",
                                                  "tags",    "comment", "append"};

std::vector<std::string> categoryRow(std::string id, std::string parent, std::string name,
                                     std::string size, std::string points, std::string state,
                                     std::string relation = "") {
    return {id,     parent, name,        "", size,  points,  state,
            kDate1, kDate2, "memo" + id, "", "255", relation};
}

std::vector<std::string> pointRow(std::string id, std::string category, std::string name,
                                  std::string comment, std::string size, std::string attachments,
                                  std::string state) {
    return {id,    category,    name,        comment, "", "",   size, attachments,
            state, kPointDate1, kPointDate2, "",      "", "16", ""};
}

// One paragraph per comment, as the rich-text writer lays out a plain document; each paragraph's
// text is given as it is written (GB18030 characters as \uN and their bytes).
std::string commentRtf(const std::vector<std::string>& paragraphs);

class LegacyConversionTest : public ::testing::Test {
protected:
    test::TempDir dataDir;
    test::TempDir outside;
    test::ScriptedPrompt prompt;
    fs::path data = dataDir.path();

    void put(const std::string& relative, const std::string& bytes) {
        fs::create_directories((data / relative).parent_path());
        test::writeBytes(data / relative, bytes);
    }

    // A 201 base: sibling chain against file order, colliding names, a 0x5C trail byte, a point
    // size above 4 GiB, same-named points, a linked category, a missing content file, comments,
    // an attachment, counters above and below the ids met.
    void write201() {
        put("Index/kms.cls",
            olderFile(201, {olderCategory("2", "0", "1", "5", "A?B"),
                            olderCategory("1", "0", "0", "2", "A:B"),
                            olderCategory("3", "1", "0", "0", kTrailBackslash + "x"),
                            olderCategory("5", "0", "2", "0", "L", "1", outside.path().string())}));
        put("Index/kms.ids", olderFile(201, {{"4", "10", "1", "1"}}));
        put("Index/1.cps", olderFile(201, {olderPoint("6", "1", "note", "rtf", "5000000000"),
                                           olderPoint("7", "1", "note.rtf", "rtf", "4")}));
        put("Index/1.ccs", olderFile(201, {{"4", "6", "0", "\xBA\xC3\xC6\xC0", "d1", "d2"},
                                           {"3", "6", "0", "second", "d3", "d4"}}));
        put("Index/1.cas",
            olderFile(201, {{"2", "6", "10", "0", "a.txt", "", "t1", "t2", "t3"}}, 0xFFFFFFFFu));
        put("Index/3.cps", olderFile(201, {olderPoint("8", "3", "gone", "txt")}));
        put("Index/5.cps", olderFile(201, {olderPoint("9", "5", "doc", "txt")}));
        put("Resource/分类列表/A B/note.rtf", "hello");
        put("Append/2_a.txt", "attachment");
        test::writeBytes(outside / "doc.txt", "doc");
    }

    Snapshot expected201(const Snapshot& before) {
        Snapshot after;
        std::string backup = "Index_201_bak(" + stamp() + ")";
        for (const auto& [path, bytes] : before) {
            if (path == "Index") {
                after[backup] = bytes;
            } else if (path.starts_with("Index/")) {
                after[backup + path.substr(5)] = bytes;
            } else {
                after[path] = bytes;
            }
        }
        after["Index"] = "<dir>";
        after["Index/kms.ids"] =
            scrambledTable({kCountersHeader, {"210", "5", "10", "0", "4", "2"}});
        Rows categories = kCategoryHeader;
        categories.push_back(categoryRow("1", "0", "A B", "5000000004", "2", "1"));
        categories.push_back(categoryRow("3", "1", kTrailBackslash + "x", "0", "1", "0"));
        categories.push_back(categoryRow("2", "0", "A B(1)", "0", "0", "0"));
        categories.push_back(categoryRow("5", "0", "L", "3", "1", "1", outside.path().string()));
        after["Index/kms.cls"] = scrambledTable(categories);
        after["Index/1.cps"] = scrambledTable(
            {kPointHeader, pointRow("6", "1", "note.rtf", "1", "5000000000", "1", "1"),
             pointRow("7", "1", "note(1).rtf", "0", "4", "0", "1")});
        after["Index/3.cps"] =
            scrambledTable({kPointHeader, pointRow("8", "3", "gone.txt", "0", "", "0", "0")});
        after["Index/5.cps"] =
            scrambledTable({kPointHeader, pointRow("9", "5", "doc.txt", "0", "3", "0", "1")});
        after["Index/1.cas"] =
            scrambledTable({kAttachmentHeader, {"2", "6", "a.txt", "10", "0", "", "1", "", ""}});
        after["Comment"] = "<dir>";
        // "好评": U+597D (22909) is BA C3, U+8BC4 (-29756 as a signed 16-bit value) is C6 C0.
        after["Comment/6_note.rtf.rtf"] =
            commentRtf({"\\uc2\\u22909\\'ba\\'c3\\u-29756\\'c6\\'c0", " second"});
        after["Resource/分类列表/A B/note(1).rtf"] = "hello";
        return after;
    }

    ConversionResult convert(const platform::FileSystem& fileSystem = platform::realFileSystem()) {
        SilentProgress progress;
        return convertOlderBase({fileSystem, data, 0, kNow}, prompt, progress);
    }

    Snapshot snapshot() { return test::snapshotOf(data); }
};

std::string commentRtf(const std::vector<std::string>& paragraphs) {
    std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134;}}\r\n"
                      "\\uc1\r\n";
    for (const std::string& paragraph : paragraphs) {
        out += "\\pard{\\dbch\\af0\\loch\\f0\\fs24" + paragraph + "}\\par\r\n";
    }
    return out + "}";
}

TEST_F(LegacyConversionTest, Converts201BaseToExactlyTheExpectedFiles) {
    write201();
    Snapshot before = snapshot();
    ConversionResult result = convert();
    ASSERT_EQ(result.outcome, ConversionOutcome::Converted) << prompt.events().size();
    EXPECT_FALSE(result.tabAlignDue);
    std::string backup = (data / ("Index_201_bak(" + stamp() + ")")).string();
    EXPECT_EQ(result.backups, std::vector<fs::path>{backup});
    EXPECT_EQ(prompt.events(),
              std::vector<test::PromptEvent>{test::shown(
                  "数据转换成功，旧数据源备份到:" + backup + "!\n", MessageIcon::Information)});
    Snapshot after = snapshot();
    Snapshot expected = expected201(before);
    for (const auto& [path, bytes] : expected) {
        EXPECT_EQ(after[path], bytes) << path;
    }
    EXPECT_EQ(after.size(), expected.size());
    for (const auto& [path, bytes] : after) {
        EXPECT_TRUE(expected.contains(path)) << path << "\n" << ::testing::PrintToString(bytes);
    }
}

} // namespace
} // namespace tarnel::store
