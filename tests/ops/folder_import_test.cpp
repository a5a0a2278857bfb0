#include "ops/folder_import.h"
#include "tests/ops/ops_fixture.h"

#include <condition_variable>
#include <gmock/gmock.h>
#include <mutex>
#include <thread>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::ChangeNotification;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
using ::testing::StartsWith;

// Statuses in order, and the thread each came on.
class RecordingProgress : public WalkProgress {
public:
    void status(const std::string& text) override {
        statuses.push_back(text);
        threads.push_back(std::this_thread::get_id());
        if (onStatus) {
            onStatus(text);
        }
    }
    void done() override { ++doneCalls; }

    std::vector<std::string> statuses;
    std::vector<std::thread::id> threads;
    std::function<void(const std::string&)> onStatus;
    int doneCalls = 0;
};

// A folder that cannot be read and a file that vanishes between the listing and its status,
// whatever the user running the tests may read.
class WalkFileSystem : public test::OpsFileSystem {
public:
    std::string unreadable;
    std::string vanishing;

    std::vector<Entry> listDirectory(const fs::path& path, int& err) const override {
        if (!unreadable.empty() && path.filename() == unreadable) {
            err = EACCES;
            return {};
        }
        return OpsFileSystem::listDirectory(path, err);
    }
    int entryInfo(const fs::path& path, EntryInfo& info, Links links) const override {
        if (!vanishing.empty() && path.filename() == vanishing) {
            return ENOENT;
        }
        return OpsFileSystem::entryInfo(path, info, links);
    }
};

class FolderImportTest : public test::OpsTest {
protected:
    test::TempDir outside;
    fs::path source;
    RecordingProgress progress;
    RememberedFolders remembered;
    WalkFileSystem walkFileSystem;
    OperationContext walkContext{base, walkFileSystem, prompt,
                                 [] { return std::string(test::kNow); }};

    void SetUp() override {
        OpsTest::SetUp();
        source = outside / "源 src";
        fs::create_directories(source / "子" / "孙");
        fs::create_directories(source / ".git");
        test::writeBytes(source / "a.txt", "a");
        test::writeBytes(source / "中文.doc", "中文");
        test::writeBytes(source / ".hidden", "h");
        test::writeBytes(source / ".git" / "x", "x");
        test::writeBytes(source / "子" / "b.txt", "bb");
        test::writeBytes(source / "子" / "孙" / "c.txt", "ccc");
        fs::create_directory_symlink(source, source / "子" / "loop");
        fs::create_symlink(source / "a.txt", source / "link.txt");
    }

    FolderSource choice(const fs::path& folder) {
        return {folder, progress, runOnWorkerThread, &remembered};
    }
    std::string loopSkipped() const {
        return "以下条目没有导入:\n" + (source / "子" / "loop").string() +
               ": 指向文件夹的符号链接, 不跟随";
    }
    std::vector<std::string> names(long long categoryId) {
        std::vector<std::string> out;
        for (const auto& p : categories().pointsOf(*categories().find(categoryId)).records()) {
            out.emplace_back(p->name());
        }
        return out;
    }
};

TEST_F(FolderImportTest, AFolderTreeIsCopiedInOnAWorkerThreadWithoutHiddenNamesOrLinkedFolders) {
    prompt.script({Answer::Yes});
    OperationResult result =
        importFolder(context, *categories().root(), choice(source), std::nullopt);
    ASSERT_TRUE(result.ok()) << result.code;
    EXPECT_EQ(result.id, 1);
    ASSERT_EQ(prompt.events().size(), 3u);
    EXPECT_EQ(prompt.events()[0],
              asked("是否包含子目录?", MessageIcon::Question, Buttons::YesNoCancel));
    EXPECT_EQ(prompt.events()[1], shown(loopSkipped(), MessageIcon::Warning));
    EXPECT_THAT(prompt.events()[2].text, StartsWith("导入文件夹成功! 耗时"));
    EXPECT_THAT(prompt.events()[2].text, ::testing::EndsWith("秒                 \r\n"));
    EXPECT_EQ(snapshotOf(resource("源 src")), (Snapshot{{"a.txt", "a"},
                                                        {"link.txt", "a"},
                                                        {"中文.doc", "中文"},
                                                        {"子", "<dir>"},
                                                        {"子/b.txt", "bb"},
                                                        {"子/孙", "<dir>"},
                                                        {"子/孙/c.txt", "ccc"}}));
    EXPECT_EQ(rowOf("kms.cls", 1), (std::vector<std::string>{"1", "0", "源 src", "1", "13", "3",
                                                             "1", test::kNow, "", "", "", "", ""}));
    EXPECT_EQ(rowOf("kms.cls", 2), (std::vector<std::string>{"2", "1", "子", "1", "5", "1", "1",
                                                             test::kNow, "", "", "", "", ""}));
    EXPECT_EQ(rowOf("kms.cls", 3)[4], "3");
    EXPECT_EQ(names(1), (std::vector<std::string>{"a.txt", "link.txt", "中文.doc"}));
    EXPECT_EQ(rowOf("3.cps", 5)[2], "c.txt");
    EXPECT_EQ(test::tableRows(indexFile("kms.ids"))[1],
              (std::vector<std::string>{"210", "3", "5", "0", "0", "0"}));
    EXPECT_THAT(sink.received(),
                ElementsAre(ChangeNotification{1, store::StoreKind::Category, 1, 0}));
    EXPECT_EQ(progress.statuses,
              (std::vector<std::string>{"正在导入目录:源 src...", "正在导入目录:子...",
                                        "正在导入目录:孙..."}));
    EXPECT_NE(progress.threads[0], std::this_thread::get_id());
    EXPECT_EQ(progress.doneCalls, 1);
    EXPECT_EQ(remembered.lastChosen(FolderCommand::ImportFolder), source);
}

TEST_F(FolderImportTest, RefusalsAndAnswersComeInOrderAndChangeNothing) {
    makeCategory(categories().root(), "源 src");
    store::CategoryRecord* top = makeCategory(categories().root(), "top");
    sink.clear();
    Snapshot before = snapshotOf(data());
    store::CategoryRecord& root = *categories().root();
    EXPECT_EQ(importFolder(context, root, choice(""), true).code, kDeclined);
    EXPECT_EQ(importFolder(context, root, choice(outside / "nothing"), true).code, kSourceMissing);
    EXPECT_EQ(importFolder(context, *top, choice(resource("top") / ""), true).code,
              store::kNotAllowed);
    EXPECT_EQ(importFolder(context, *top, choice(data()), true).code, store::kNotAllowed);
    EXPECT_EQ(importFolder(context, root, choice(source), true).code, kNameTaken);
    prompt.script({Answer::Cancel});
    EXPECT_EQ(importFolder(context, *top, choice(source), std::nullopt).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_TRUE(sink.received().empty());
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(
            shown("文件夹“" + (outside / "nothing").string() + "”不存在!", MessageIcon::Error),
            shown("导入的文件夹路径和分类对应的文件夹路径相同，不可以导入!", MessageIcon::Error),
            shown("导入的文件夹路径和分类对应的文件夹路径相同，不可以导入!", MessageIcon::Error),
            shown("分类下已经存在此名称的分类或知识点, 导入失败!", MessageIcon::Error),
            asked("是否包含子目录?", MessageIcon::Question, Buttons::YesNoCancel)));

    prompt.clear();
    prompt.script({Answer::No});
    ASSERT_TRUE(importFolder(context, *top, choice(source), std::nullopt).ok());
    EXPECT_EQ(snapshotOf(resource("top/源 src")),
              (Snapshot{{"a.txt", "a"}, {"link.txt", "a"}, {"中文.doc", "中文"}}));
    EXPECT_EQ(prompt.events().size(), 2u);
}

TEST_F(FolderImportTest, TheFirstFailedCopyStopsTheWalkAndWhatWasAddedIsSaved) {
    // Files after the failed one are copied while it fails; none of them may stay.
    for (int i = 0; i < 40; ++i) {
        test::writeBytes(source / ("中文后" + std::to_string(i) + ".txt"), "x");
    }
    fileSystem.failCopiesOf = "中文.doc";
    OperationResult result = importFolder(context, *categories().root(), choice(source), true);
    EXPECT_EQ(result.code, kWriteFailed);
    EXPECT_EQ(prompt.events().back(),
              shown("拷贝文件:中文.doc到失败!\n" + (source / "中文.doc").string() + ": " +
                        platform::errorText(ENOSPC),
                    MessageIcon::Warning));
    EXPECT_EQ(snapshotOf(resource("源 src")), (Snapshot{{"a.txt", "a"}, {"link.txt", "a"}}));
    EXPECT_EQ(test::tableRows(indexFile("1.cps")).size(), 3u);
    EXPECT_EQ(rowOf("kms.cls", 1)[5], "2");
    EXPECT_EQ(categories().categoryCount(), 1u);
    EXPECT_THAT(codes(), ElementsAre(1));
}

// The lists are staged together and put in place after one flush: one that cannot be written is
// named, the others still reach their place, and nothing staged stays in the index folder.
TEST_F(FolderImportTest, AListThatCannotBeSavedIsNamedAndTheOthersAreSavedWithoutLeftovers) {
    fileSystem.failWritesTo = "2.cps";
    OperationResult result = importFolder(context, *categories().root(), choice(source), true);
    EXPECT_EQ(result.code, store::kSaveFailed);
    EXPECT_EQ(prompt.events().back(), shown("添加“子”失败!", MessageIcon::Warning));
    EXPECT_EQ(test::tableRows(indexFile("1.cps")).size(), 4u);
    EXPECT_FALSE(fs::exists(indexFile("2.cps")));
    EXPECT_EQ(rowOf("3.cps", 5)[2], "c.txt");
    for (const auto& entry : fs::directory_iterator(dir / "Index")) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
}

TEST_F(FolderImportTest, AWalkCancelledHalfWayFromAnotherThreadSavesWhatItAddedAndSaysWhere) {
    std::mutex mutex;
    std::condition_variable changed;
    bool reachedSub = false;
    bool cancelled = false;
    progress.onStatus = [&](const std::string& text) {
        if (text != "正在导入目录:子...") {
            return;
        }
        std::unique_lock lock(mutex);
        reachedSub = true;
        changed.notify_all();
        changed.wait(lock, [&] { return cancelled; });
    };
    WalkRunner cancelHalfWay = [&](const std::function<void()>& work) {
        std::thread worker(work);
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return reachedSub; });
            progress.requestCancel();
            cancelled = true;
            changed.notify_all();
        }
        worker.join();
    };
    FolderSource cancelling{source, progress, cancelHalfWay, nullptr};
    OperationResult result = importFolder(context, *categories().root(), cancelling, true);
    EXPECT_EQ(result.code, kWalkCancelled);
    EXPECT_EQ(prompt.events().back(), shown("已取消: 已添加2个分类和3个知识点, 停在“" +
                                                (source / "子" / "b.txt").string() + "”之前。",
                                            MessageIcon::Information));
    EXPECT_EQ(snapshotOf(resource("源 src")),
              (Snapshot{{"a.txt", "a"}, {"link.txt", "a"}, {"中文.doc", "中文"}, {"子", "<dir>"}}));
    EXPECT_EQ(test::tableRows(indexFile("kms.cls")).size(), 3u);
    EXPECT_EQ(test::tableRows(indexFile("1.cps")).size(), 4u);
    reopen();
    EXPECT_EQ(categories().categoryCount(), 2u);
}

TEST_F(FolderImportTest, ALinkedFolderCopiesNothingRecordsFullSizesAndSkipsWhatItCannotRead) {
    {
        test::writeBytes(source / "big.iso", "");
        fs::resize_file(source / "big.iso", 5ull << 30); // sparse: no blocks are written
    }
    fs::create_directories(source / "locked");
    test::writeBytes(source / "locked" / "secret.txt", "s");
    walkFileSystem.unreadable = "locked";
    walkFileSystem.vanishing = "中文.doc";
    OperationResult result = linkFolder(walkContext, *categories().root(), choice(source));
    ASSERT_TRUE(result.ok()) << result.code;
    Snapshot resourceFolder = snapshotOf(dir / "Resource");
    EXPECT_EQ(resourceFolder.count("分类列表/源 src"), 0u);
    EXPECT_EQ(rowOf("kms.cls", 1)[12], source.string());
    EXPECT_EQ(rowOf("1.cps", 2)[2], "big.iso");
    EXPECT_EQ(rowOf("1.cps", 2)[6], "5368709120");
    EXPECT_EQ(rowOf("kms.cls", 1)[4], std::to_string((5ull << 30) + 1 + 1 + 2 + 3));
    EXPECT_EQ(test::readBytes(source / "a.txt"), "a");
    ASSERT_EQ(prompt.events().size(), 2u);
    EXPECT_EQ(prompt.events()[0].text,
              ("以下条目没有导入:\n" + (source / "locked").string() + ": " +
               platform::errorText(EACCES) + "\n" + (source / "中文.doc").string() + ": " +
               platform::errorText(ENOENT) + "\n" + (source / "子" / "loop").string() +
               ": 指向文件夹的符号链接, 不跟随"));
    EXPECT_THAT(prompt.events()[1].text, StartsWith("关联文件夹成功! 耗时"));
    EXPECT_EQ(progress.statuses[0], "正在关联目录:源 src...");
    EXPECT_EQ(remembered.lastChosen(FolderCommand::LinkFolder), source);

    prompt.clear();
    store::CategoryRecord* linked = categories().find(1);
    EXPECT_EQ(linkFolder(walkContext, *linked, choice(outside.path())).code, store::kNotAllowed);
    EXPECT_EQ(linkFolder(walkContext, *categories().root(), choice(dir / "Index")).code,
              store::kNotAllowed);
    EXPECT_EQ(linkFolder(walkContext, *categories().root(), choice(source)).code, kNameTaken);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(shown("不能关联知识库自己的文件夹!", MessageIcon::Error),
                    shown("分类下已经存在此名称的分类或知识点, 关联失败!", MessageIcon::Error)));
}

} // namespace
} // namespace tarnel::ops
