#include "store/conversion_journal.h"
#include "store/legacy_conversion.h"
#include "store/result_codes.h"
#include "tests/store/legacy_fixtures.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_dir.h"

#include <atomic>
#include <csignal>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <set>
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
using FileIdentity = platform::FileSystem::FileIdentity;

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

TEST_F(LegacyConversionTest, Converts150BaseFromItsPerSourceFolder) {
    put("0/kms.cls", olderFile(150, {olderCategory("1", "0", "0", "0", "Docs")}));
    put("0/1.pts",
        olderFile(150, {olderPoint("7", "1", "doc", "", "4"), olderPoint("8", "1", "page", "", "5"),
                        olderPoint("9", "1", "r.txt", "txt", "6")}));
    put("0/7.pcr", "rich");
    put("0/8.mht", "web");
    put("0/r.txt", "text");
    put("0/7.pfs",
        olderFile(150, {{"3", "7", "10", "1", "x.bin", "/nonexistent/x.bin", "", "", ""}},
                  0xFFFFFFFFu));
    put("0/1.ccs", olderFile(150, {{"5", "8", "0", "c", "d", "d"}}));
    Snapshot before = snapshot();
    ConversionResult result = convert();
    ASSERT_EQ(result.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(result.tabAlignDue);
    EXPECT_EQ(result.backups, std::vector<fs::path>{data / "bak"});
    Snapshot expected;
    for (const auto& [path, bytes] : before) {
        expected["bak" + path.substr(1)] = bytes;
    }
    expected["Index"] = "<dir>";
    expected["Index/kms.ids"] = scrambledTable({kCountersHeader, {"210", "1", "9", "0", "5", "3"}});
    Rows categories = kCategoryHeader;
    categories.push_back(categoryRow("1", "0", "Docs", "15", "3", "1"));
    expected["Index/kms.cls"] = scrambledTable(categories);
    expected["Index/1.cps"] =
        scrambledTable({kPointHeader, pointRow("7", "1", "doc.rtf", "0", "4", "1", "1"),
                        pointRow("8", "1", "page.mht", "1", "5", "0", "1"),
                        pointRow("9", "1", "r.txt", "0", "6", "0", "1")});
    expected["Index/1.cas"] = scrambledTable(
        {kAttachmentHeader, {"3", "7", "x.bin", "10", "1", "/nonexistent/x.bin", "0", "", ""}});
    for (const char* folder :
         {"Resource", "Resource/分类列表", "Resource/分类列表/Docs", "Comment"}) {
        expected[folder] = "<dir>";
    }
    expected["Resource/分类列表/Docs/doc.rtf"] = "rich";
    expected["Resource/分类列表/Docs/page.mht"] = "web";
    expected["Resource/分类列表/Docs/r.txt"] = "text";
    expected["Comment/8_page.mht.rtf"] = commentRtf({" c"});
    EXPECT_EQ(test::differences(snapshot(), expected), "");
}

TEST_F(LegacyConversionTest, ConvertsMinimal121BaseAndMakesTheCategoryFolders) {
    put("Index/kms.cls", olderFile(121, {olderCategory("1", "0", "0", "0", "")}));
    Snapshot before = snapshot();
    ConversionResult result = convert();
    ASSERT_EQ(result.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(result.tabAlignDue);
    std::string backup = "Index_121_bak(" + stamp() + ")";
    Rows categories = kCategoryHeader;
    categories.push_back(categoryRow("1", "0", "\xCE\xB4\xC3\xFC\xC3\xFB", "0", "0", "1"));
    Snapshot expected = {
        {backup, "<dir>"},
        {backup + "/kms.cls", before["Index/kms.cls"]},
        {"Index", "<dir>"},
        {"Index/kms.ids", scrambledTable({kCountersHeader, {"210", "1", "0", "0", "0", "0"}})},
        {"Index/kms.cls", scrambledTable(categories)},
        {"Resource", "<dir>"},
        {"Resource/分类列表", "<dir>"},
        {"Resource/分类列表/未命名", "<dir>"},
    };
    EXPECT_EQ(test::differences(snapshot(), expected), "");
}

TEST_F(LegacyConversionTest, ACurrentBaseIsLeftAloneWithoutAMessage) {
    put("Index/kms.cls", scrambledTable({{"id", "parent", "name"}, {"1", "0", "A"}}));
    put("Index/kms.ids", scrambledTable({kCountersHeader, {"210", "1", "0", "0", "0", "0"}}));
    Snapshot before = snapshot();
    EXPECT_EQ(convert().outcome, ConversionOutcome::NothingToDo);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(test::differences(snapshot(), before), "");
    put("Index/kms.cls", "\0\0\0");
    EXPECT_EQ(convert().outcome, ConversionOutcome::NothingToDo);
    fs::remove_all(data / "Index");
    EXPECT_EQ(convert().outcome, ConversionOutcome::NothingToDo);
    EXPECT_TRUE(prompt.events().empty());
    SilentProgress progress;
    write201();
    EXPECT_EQ(
        convertOlderBase({platform::realFileSystem(), data, 1, kNow}, prompt, progress).outcome,
        ConversionOutcome::NothingToDo);
}

struct Refusal {
    std::uint32_t version;
    int code;
    std::string text; // %p stands for the file's path
};

TEST_F(LegacyConversionTest, RefusesVersionsItCannotConvertAndChangesNothing) {
    for (const Refusal& r :
         {Refusal{211, kNewerVersion,
                  "此分类文件是高版本生成的，当前版本还不能读取分析此文件!\n%p: 版本 211\n" +
                      kUnchanged},
          Refusal{205, kNotConvertible, "文件%p的版本(205)不能转换。\n" + kUnchanged},
          Refusal{110, kNotConvertible, "文件%p的版本(110)不能转换。\n" + kUnchanged},
          Refusal{115, kNotConvertible, "文件%p的版本(115)不能转换。\n" + kUnchanged}}) {
        prompt.clear();
        // The binary versions have no count: the header alone is a file of no records.
        std::string header = olderFile(r.version, {});
        put("Index/kms.cls", r.version == 110 ? header.substr(0, 8) : header);
        Snapshot before = snapshot();
        ConversionResult result = convert();
        EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
        EXPECT_EQ(result.code, r.code);
        std::string text = r.text;
        text.replace(text.find("%p"), 2, (data / "Index/kms.cls").string());
        EXPECT_EQ(prompt.events(),
                  std::vector<test::PromptEvent>{test::shown(text, MessageIcon::Error)});
        EXPECT_EQ(test::differences(snapshot(), before), "") << r.version;
    }
}

TEST_F(LegacyConversionTest, DamageOfEachKindStopsBeforeAnyWrite) {
    struct Damage {
        std::string file;
        std::string kind;
    };
    for (const Damage& d :
         {Damage{"Index/kms.cls", "分类文件"}, Damage{"Index/kms.ids", "ID索引文件"},
          Damage{"Index/1.cps", "知识点文件"}, Damage{"Index/1.ccs", "批注文件"},
          Damage{"Index/1.cas", "附件文件"}}) {
        fs::remove_all(data);
        fs::create_directories(data);
        write201();
        std::string bytes = test::readBytes(data / d.file);
        put(d.file, bytes.substr(0, bytes.size() - 1));
        Snapshot before = snapshot();
        prompt.clear();
        ConversionResult result = convert();
        EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
        EXPECT_EQ(result.code, kDamagedFile);
        ASSERT_EQ(prompt.events().size(), 1u);
        const std::string& text = prompt.events()[0].text;
        std::string head = "分析" + d.kind + "时失败!可能你的" + d.kind + "已损坏,请联系管理员\n" +
                           kSupportLine + "\n" + (data / d.file).string() + ": 第";
        EXPECT_TRUE(text.starts_with(head)) << text;
        EXPECT_TRUE(text.ends_with("): 记录超出文件末尾\n" + kUnchanged)) << text;
        EXPECT_EQ(test::differences(snapshot(), before), "") << d.file;
    }
}

TEST_F(LegacyConversionTest, AnUnopenableListStopsBeforeAnyWrite) {
    write201();
    fs::create_directories(data / "Index/1.ccs.dir");
    fs::remove(data / "Index/1.ccs");
    fs::rename(data / "Index/1.ccs.dir", data / "Index/1.ccs");
    Snapshot before = snapshot();
    ConversionResult result = convert();
    EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
    ASSERT_EQ(prompt.events().size(), 1u);
    EXPECT_TRUE(prompt.events()[0].text.starts_with(
        "打开批注文件: " + (data / "Index/1.ccs").string() + "失败!\n"))
        << prompt.events()[0].text;
    EXPECT_EQ(test::differences(snapshot(), before), "");
}

// A real file system that fails or dies at the n-th call of one sort.
class FaultyAtCall : public platform::FileSystem {
public:
    enum class Fault { None, Kill, NoSpace, NoAccess };
    FaultyAtCall(Fault fault, int at) : m_fault(fault), m_at(at) {}

    int writeFileAtomic(const fs::path& path, std::string_view data, Access access) const override {
        if (int err = hit(Fault::NoSpace, ENOSPC)) {
            return err;
        }
        return FileSystem::writeFileAtomic(path, data, access);
    }
    int writeNewFile(const fs::path& path, std::string_view data) const override {
        if (int err = hit(Fault::NoSpace, ENOSPC)) {
            return err;
        }
        return FileSystem::writeNewFile(path, data);
    }
    int copyNewFile(const fs::path& from, const fs::path& to, const PieceConsumer& consume,
                    CopiedSource& source) const override {
        if (int err = hit(Fault::NoSpace, ENOSPC)) {
            return err;
        }
        return FileSystem::copyNewFile(from, to, consume, source);
    }
    int syncFiles(const std::vector<fs::path>& files, const fs::path& root) const override {
        hit(Fault::None, 0);
        return FileSystem::syncFiles(files, root);
    }
    int copyFile(const fs::path& from, const fs::path& to) const override {
        if (int err = hit(Fault::NoSpace, ENOSPC)) {
            return err;
        }
        return FileSystem::copyFile(from, to);
    }
    int rename(const fs::path& from, const fs::path& to) const override {
        if (int err = hit(Fault::NoAccess, EACCES)) {
            return err;
        }
        return FileSystem::rename(from, to);
    }
    int renameNoReplace(const fs::path& from, const fs::path& to) const override {
        if (int err = hit(Fault::NoAccess, EACCES)) {
            return err;
        }
        return FileSystem::renameNoReplace(from, to);
    }
    int createDirectory(const fs::path& path) const override {
        hit(Fault::None, 0);
        return FileSystem::createDirectory(path);
    }
    int removeFile(const fs::path& path) const override {
        hit(Fault::None, 0);
        return FileSystem::removeFile(path);
    }
    int removeAll(const fs::path& path) const override {
        hit(Fault::None, 0);
        return FileSystem::removeAll(path);
    }
    int tryLock(const fs::path& path, platform::FileLock& lock) const override {
        hit(Fault::None, 0);
        return FileSystem::tryLock(path, lock);
    }

    int calls() const { return m_calls; }

private:
    // Every mutating call counts for Kill; the others count only the calls of their sort.
    int hit(Fault sort, int err) const {
        if (m_fault == Fault::Kill || m_fault == sort) {
            if (++m_calls == m_at) {
                if (m_fault == Fault::Kill) {
                    ::raise(SIGKILL);
                }
                return err;
            }
        }
        return 0;
    }

    Fault m_fault;
    int m_at;
    // Copies run on several threads at once.
    mutable std::atomic<int> m_calls = 0;
};

class NullPrompt : public app::Prompt {
public:
    void show(const std::string&, MessageIcon) override {}
    app::Answer ask(const std::string&, MessageIcon, app::Buttons) override {
        return app::Answer::Cancel;
    }
};

class ConversionFaultTest : public LegacyConversionTest {
protected:
    Snapshot fresh201() {
        fs::remove_all(data);
        fs::create_directories(data);
        write201();
        return snapshot();
    }

    // Runs the conversion in a child that dies at its n-th mutating call; false when the child
    // finished first.
    bool killedAt(int n) {
        pid_t pid = ::fork();
        if (pid == 0) {
            FaultyAtCall fileSystem(FaultyAtCall::Fault::Kill, n);
            NullPrompt quiet;
            SilentProgress progress;
            convertOlderBase({fileSystem, data, 0, kNow}, quiet, progress);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    bool committing() {
        std::string text;
        ConversionJournal journal;
        return platform::realFileSystem().readFile(data / ".conversion/journal", text) == 0 &&
               parseJournal(text, journal) && journal.state != JournalState::Staging;
    }

    static Snapshot withoutStaging(Snapshot files) {
        std::erase_if(files,
                      [](const auto& item) { return item.first.starts_with(".conversion"); });
        return files;
    }
};

TEST_F(ConversionFaultTest, AKillAtAnyCallLeavesTheOldFilesOrLeadsToExactlyTheNewTree) {
    Snapshot before = fresh201();
    Snapshot expected = expected201(before);
    int committed = 0;
    for (int n = 1;; ++n) {
        fresh201();
        if (!killedAt(n)) {
            EXPECT_EQ(test::differences(snapshot(), expected), "") << "finished";
            break;
        }
        if (committing()) {
            ++committed;
        } else {
            EXPECT_EQ(test::differences(withoutStaging(snapshot()), before), "")
                << "killed at call " << n;
        }
        prompt.clear();
        ConversionResult result = convert();
        ASSERT_EQ(result.outcome, ConversionOutcome::Converted)
            << "after call " << n << ": "
            << (prompt.events().empty() ? "" : prompt.events().back().text);
        EXPECT_EQ(test::differences(snapshot(), expected), "") << "after call " << n;
    }
    EXPECT_GT(committed, 3);
}

TEST_F(ConversionFaultTest, AKillInsideTheResumeIsFinishedByTheNextStart) {
    Snapshot before = fresh201();
    Snapshot expected = expected201(before);
    for (int n = 1;; ++n) {
        fresh201();
        if (!killedAt(n)) {
            break;
        }
        if (!committing()) {
            continue;
        }
        for (int m = 1;; ++m) {
            fresh201();
            ASSERT_TRUE(killedAt(n));
            bool killedAgain = killedAt(m);
            // A resume that ran to its end leaves a current base.
            EXPECT_EQ(convert().outcome,
                      killedAgain ? ConversionOutcome::Converted : ConversionOutcome::NothingToDo)
                << n << "/" << m;
            EXPECT_EQ(test::differences(snapshot(), expected), "") << n << "/" << m;
            if (!killedAgain) {
                break;
            }
        }
    }
}

TEST_F(ConversionFaultTest, AMissingStagedFileUndoesTheCommitAndRestoresTheOldFiles) {
    Snapshot before = fresh201();
    for (int n = 1;; ++n) {
        fresh201();
        ASSERT_TRUE(killedAt(n)) << "never stopped with a staged comment folder";
        if (committing() && fs::exists(data / ".conversion/Comment")) {
            break;
        }
    }
    fs::remove_all(data / ".conversion/Comment");
    ConversionResult result = convert();
    EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
    EXPECT_EQ(result.code, kConversionInterrupted);
    EXPECT_EQ(prompt.events(), std::vector<test::PromptEvent>{test::shown(
                                   "上次的数据转换被中断，原有数据已恢复。", MessageIcon::Error)});
    EXPECT_EQ(test::differences(snapshot(), before), "");
}

TEST_F(ConversionFaultTest, AFullDiskOrARefusedRenameLeavesTheOldSnapshotExactly) {
    for (FaultyAtCall::Fault fault :
         {FaultyAtCall::Fault::NoSpace, FaultyAtCall::Fault::NoAccess}) {
        Snapshot before = fresh201();
        Snapshot expected = expected201(before);
        int failures = 0;
        for (int n = 1;; ++n) {
            fresh201();
            prompt.clear();
            FaultyAtCall fileSystem(fault, n);
            ConversionResult result = convert(fileSystem);
            if (fileSystem.calls() < n) {
                EXPECT_EQ(result.outcome, ConversionOutcome::Converted);
                break;
            }
            if (result.outcome == ConversionOutcome::Converted) {
                EXPECT_EQ(test::differences(snapshot(), expected), "") << n;
                continue;
            }
            ++failures;
            EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
            EXPECT_EQ(test::differences(snapshot(), before), "") << "failed at call " << n;
            ASSERT_EQ(prompt.events().size(), 1u);
            const std::string& text = prompt.events()[0].text;
            EXPECT_TRUE(text.starts_with("数据转换失败!\n")) << text;
            EXPECT_TRUE(text.ends_with(kUnchanged)) << text;
        }
        EXPECT_GT(failures, 3);
    }
}

TEST_F(ConversionFaultTest, ShortFreeSpaceIsRefusedBeforeAnyWrite) {
    class SmallDisk : public platform::FileSystem {
    public:
        std::optional<std::uint64_t> freeSpace(const fs::path&) const override { return 1024; }
    } smallDisk;
    Snapshot before = fresh201();
    ConversionResult result = convert(smallDisk);
    EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
    EXPECT_EQ(result.code, kNoSpace);
    ASSERT_EQ(prompt.events().size(), 1u);
    EXPECT_TRUE(prompt.events()[0].text.starts_with("磁盘空间不足：需要1.00MB，可用1.00KB。\n"))
        << prompt.events()[0].text;
    EXPECT_EQ(test::differences(snapshot(), before), "");
}

TEST_F(ConversionFaultTest, ACopyThatCannotReachTheDiskFailsTheConversion) {
    class FailingDisk : public platform::FileSystem {
    public:
        int writeBackFile(const fs::path& file) const override {
            std::lock_guard lock(mutex);
            if (failed.empty()) {
                failed = file;
                return EIO;
            }
            return FileSystem::writeBackFile(file);
        }
        mutable std::mutex mutex;
        mutable fs::path failed;
    } failingDisk;
    Snapshot before = fresh201();
    ConversionResult result = convert(failingDisk);
    EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
    EXPECT_EQ(result.code, kSaveFailed);
    ASSERT_EQ(prompt.events().size(), 1u);
    EXPECT_EQ(prompt.events()[0].text, "数据转换失败!\n" + failingDisk.failed.string() + ": " +
                                           platform::errorText(EIO) + "\n" + kUnchanged);
    EXPECT_TRUE(failingDisk.failed.string().starts_with((data / ".conversion/").string()));
    EXPECT_EQ(test::differences(snapshot(), before), "");
}

TEST_F(ConversionFaultTest, ASecondConverterIsKeptOut) {
    Snapshot before = fresh201();
    fs::create_directories(data / ".conversion");
    platform::FileLock held;
    ASSERT_EQ(platform::realFileSystem().tryLock(data / ".conversion/lock", held), 0);
    Snapshot locked = snapshot();
    ConversionResult result = convert();
    EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
    EXPECT_EQ(prompt.events(), std::vector<test::PromptEvent>{
                                   test::shown("另一个数据转换正在进行。", MessageIcon::Error)});
    EXPECT_EQ(test::differences(snapshot(), locked), "");
}

TEST_F(ConversionFaultTest, AJournalThatDoesNotParseIsNeverActedOn) {
    fresh201();
    ConversionJournal journal;
    journal.state = JournalState::Committing;
    journal.steps.push_back({RenameStep::Kind::Backup, "Index", "Index_201_bak(x)"});
    std::string text = encodeJournal(journal);
    text[text.size() - 3] ^= 1;
    put(".conversion/journal", text);
    Snapshot before = snapshot();
    ConversionResult result = convert();
    EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
    EXPECT_EQ(result.code, kConversionInterrupted);
    // Only the lock file that kept other converters out while the journal was read.
    Snapshot after = snapshot();
    after.erase(".conversion/lock");
    EXPECT_EQ(test::differences(after, before), "");
}

// Reports every copied source as settled when asked, as an older base's files are; right after
// the per-source folder became "bak", overwrites the start of one backup file in place (the inode
// stays) or appends to it; notes which backup files are read.
class ChangedBackup : public platform::FileSystem {
public:
    ChangedBackup(bool settled, std::string changed, std::string bytes, bool append)
        : m_settled(settled), m_changed(std::move(changed)), m_bytes(std::move(bytes)),
          m_append(append) {}

    int copyNewFile(const fs::path& from, const fs::path& to, const PieceConsumer& consume,
                    CopiedSource& source) const override {
        int err = FileSystem::copyNewFile(from, to, consume, source);
        source.settled = source.settled || m_settled;
        return err;
    }
    int renameNoReplace(const fs::path& from, const fs::path& to) const override {
        int err = FileSystem::renameNoReplace(from, to);
        if (!err && to.filename() == "bak" && !m_changed.empty()) {
            std::fstream file(to / m_changed, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(0, m_append ? std::ios::end : std::ios::beg);
            file.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
        }
        return err;
    }
    int readChunks(const fs::path& path, const ChunkConsumer& consume) const override {
        if (path.parent_path().filename() == "bak") {
            m_read.insert(path.filename().string());
        }
        return FileSystem::readChunks(path, consume);
    }

    const std::set<std::string>& read() const { return m_read; }

private:
    bool m_settled;
    std::string m_changed;
    std::string m_bytes;
    bool m_append;
    mutable std::set<std::string> m_read;
};

class BackupCheckTest : public LegacyConversionTest {
protected:
    Snapshot write150() {
        put("0/kms.cls", olderFile(150, {olderCategory("1", "0", "0", "0", "Docs")}));
        put("0/1.pts", olderFile(150, {olderPoint("7", "1", "doc", "", "4"),
                                       olderPoint("8", "1", "page", "", "5")}));
        put("0/7.pcr", "rich");
        put("0/8.mht", "web");
        return snapshot();
    }

    void expectRestored(Snapshot before, const std::string& changed, const std::string& after) {
        ConversionResult result = convert(*m_fileSystem);
        EXPECT_EQ(result.outcome, ConversionOutcome::EndProgram);
        EXPECT_EQ(prompt.events(), std::vector<test::PromptEvent>{test::shown(
                                       "数据转换失败!\n" + (data / "bak" / changed).string() +
                                           ": 备份与原文件不一致\n" + kUnchanged,
                                       MessageIcon::Error)});
        before["0/" + changed] = after;
        EXPECT_EQ(test::differences(snapshot(), before), "");
    }

    std::unique_ptr<ChangedBackup> m_fileSystem;
};

TEST_F(BackupCheckTest, SettledCopiesAreNotReadAgainUnlessTheirIdentityChanged) {
    write150();
    m_fileSystem = std::make_unique<ChangedBackup>(true, "", "", false);
    ASSERT_EQ(convert(*m_fileSystem).outcome, ConversionOutcome::Converted);
    EXPECT_EQ(m_fileSystem->read(), (std::set<std::string>{"1.pts", "kms.cls"}));
    EXPECT_EQ(snapshot()["Resource/分类列表/Docs/doc.rtf"], "rich");

    fs::remove_all(data);
    prompt.clear();
    Snapshot before = write150();
    m_fileSystem = std::make_unique<ChangedBackup>(true, "7.pcr", "!", true);
    expectRestored(before, "7.pcr", "rich!");
}

TEST_F(BackupCheckTest, AFreshCopyIsReadAgainAndASameSizedChangeRestoresTheOldFiles) {
    Snapshot before = write150();
    m_fileSystem = std::make_unique<ChangedBackup>(false, "", "", false);
    ASSERT_EQ(convert(*m_fileSystem).outcome, ConversionOutcome::Converted);
    EXPECT_EQ(m_fileSystem->read(), (std::set<std::string>{"1.pts", "7.pcr", "8.mht", "kms.cls"}));

    fs::remove_all(data);
    prompt.clear();
    before = write150();
    m_fileSystem = std::make_unique<ChangedBackup>(false, "8.mht", "W", false);
    expectRestored(before, "8.mht", "Web");
}

TEST(ConversionJournalTest, RoundTripsAndRefusesEveryCut) {
    ConversionJournal journal;
    journal.state = JournalState::Committing;
    journal.version = 150;
    journal.tabAlignDue = true;
    journal.manifest.push_back({"0/a b%\n.txt", 12, 0x1234, std::nullopt});
    journal.manifest.push_back(
        {"0/7.pcr", 4, 0x5678, FileIdentity{99, 4, -5, 1700000000123456789}});
    journal.steps.push_back({RenameStep::Kind::Backup, "0", "bak(1)"});
    journal.steps.push_back({RenameStep::Kind::Place, ".conversion/Index", "Index"});
    std::string text = encodeJournal(journal);
    ConversionJournal back;
    ASSERT_TRUE(parseJournal(text, back));
    EXPECT_EQ(back, journal);
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        EXPECT_FALSE(parseJournal(text.substr(0, cut), back)) << cut;
    }
}

} // namespace
} // namespace tarnel::store
