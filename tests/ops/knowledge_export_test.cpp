#include "ops/attachment_messages.h"
#include "ops/favourites_tree.h"
#include "ops/knowledge_export.h"
#include "ops/tag_points.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>
#include <thread>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::Buttons;
using app::MessageIcon;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;

const std::string kTail = "                 \r\n";

class RecordingOpener : public platform::Opener {
public:
    int openFile(const fs::path& file) const override {
        opened.push_back(file);
        return 0;
    }
    mutable std::vector<fs::path> opened;
};

class ExportTest : public test::OpsTest {
protected:
    test::TempDir out;
    store::CategoryRecord* a = nullptr;
    store::CategoryRecord* b = nullptr;

    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "资料");
        b = makeCategory(a, "B");
        makePoint(*a, "one.txt", "new one");
        makePoint(*b, "deep.txt", "deep");
        test::writeBytes(resource("资料/.hidden"), "h");
        sink.clear();
    }

    static test::PromptEvent subQuestion() {
        return asked("是否同时导出子级分类?", MessageIcon::Question, Buttons::YesNoCancel);
    }
};

TEST_F(ExportTest, ACategoryWithSubLevelsReplacesAndWithoutKeepsExistingFiles) {
    Snapshot base = snapshotOf(data());
    prompt.script({Answer::Cancel, Answer::Yes});
    EXPECT_EQ(exportCategory(context, *a, out.path()).code, kDeclined);
    EXPECT_TRUE(snapshotOf(out.path()).empty());
    ASSERT_TRUE(exportCategory(context, *a, out.path()).ok());
    EXPECT_EQ(snapshotOf(out.path()), (Snapshot{{"资料", "<dir>"},
                                                {"资料/.hidden", "h"},
                                                {"资料/B", "<dir>"},
                                                {"资料/B/deep.txt", "deep"},
                                                {"资料/one.txt", "new one"}}));

    fs::path target = out / "资料";
    std::string overwrite = "目录:" + target.string() + " 已经存在，确认覆盖文件吗?";
    test::writeBytes(target / "one.txt", "mine");
    prompt.script({Answer::No, Answer::No, Answer::No, Answer::Yes, Answer::Yes, Answer::Yes});
    EXPECT_EQ(exportCategory(context, *a, out.path()).code, kDeclined);
    ASSERT_TRUE(exportCategory(context, *a, out.path()).ok());
    EXPECT_EQ(test::readBytes(target / "one.txt"), "mine");
    ASSERT_TRUE(exportCategory(context, *a, out.path()).ok());
    EXPECT_EQ(test::readBytes(target / "one.txt"), "new one");
    EXPECT_EQ(snapshotOf(data()), base);
    EXPECT_TRUE(sink.received().empty());
    EXPECT_THAT(prompt.events(),
                ElementsAre(subQuestion(), subQuestion(),
                            shown("导出成功!" + kTail, MessageIcon::Information), subQuestion(),
                            asked(overwrite, MessageIcon::Question, Buttons::YesNo), subQuestion(),
                            asked(overwrite, MessageIcon::Question, Buttons::YesNo),
                            shown("导出成功!" + kTail, MessageIcon::Information), subQuestion(),
                            asked(overwrite, MessageIcon::Question, Buttons::YesNo),
                            shown("导出成功!" + kTail, MessageIcon::Information)));
}

TEST_F(ExportTest, ACategoryIsNotExportedIntoItsOwnFolderAndAFailedCopyIsReported) {
    EXPECT_EQ(exportCategory(context, *b, resource("资料/B"), SubLevels::Include).code,
              kWriteFailed);
    EXPECT_FALSE(fs::exists(resource("资料/B/B")));
    fileSystem.failCopiesOf = "deep.txt";
    EXPECT_EQ(exportCategory(context, *b, out.path(), SubLevels::Include).code, kWriteFailed);
    EXPECT_FALSE(fs::exists(out / "B" / "deep.txt"));
    EXPECT_TRUE(snapshotOf(out / "B").empty());
    EXPECT_THAT(prompt.events(), ElementsAre(shown("导出失败!" + kTail, MessageIcon::Error),
                                             shown("导出失败!" + kTail, MessageIcon::Error)));
}

// Says yes to a cancel from the given question on, and records what the copy tells.
class CancellingProgress : public WalkProgress {
public:
    explicit CancellingProgress(int cancelFrom) : m_cancelFrom(cancelFrom) {}

    void status(const std::string& text) override {
        statuses.push_back(text);
        statusThread = std::this_thread::get_id();
    }
    void done() override { ++doneCalls; }
    bool cancelRequested() const override { return ++m_asked >= m_cancelFrom; }

    std::vector<std::string> statuses;
    std::thread::id statusThread;
    int doneCalls = 0;

private:
    int m_cancelFrom;
    mutable int m_asked = 0;
};

TEST_F(ExportTest, ACategoryCopiesOnAWorkerThreadThatACancelStopsBeforeTheNextFile) {
    CancellingProgress whole(100);
    ExportProgress copying{whole};
    ASSERT_TRUE(exportCategory(context, *a, out.path(), SubLevels::Include, &copying).ok());
    EXPECT_THAT(whole.statuses, ElementsAre("正在导出分类..."));
    EXPECT_NE(whole.statusThread, std::this_thread::get_id());
    EXPECT_EQ(whole.doneCalls, 1);
    EXPECT_EQ(test::readBytes(out / "资料" / "B" / "deep.txt"), "deep");

    test::TempDir second;
    CancellingProgress halfWay(2); // after ".hidden", before "B/deep.txt"
    ExportProgress stopping{halfWay};
    EXPECT_EQ(exportCategory(context, *a, second.path(), SubLevels::Include, &stopping).code,
              kWalkCancelled);
    EXPECT_EQ(halfWay.doneCalls, 1);
    EXPECT_EQ(snapshotOf(second.path()),
              (Snapshot{{"资料", "<dir>"}, {"资料/.hidden", "h"}, {"资料/B", "<dir>"}}));

    CancellingProgress atOnce(1);
    ExportProgress refused{atOnce};
    prompt.script({Answer::Yes});
    EXPECT_EQ(exportCategory(context, *a, second.path(), SubLevels::Exclude, &refused).code,
              kWalkCancelled);
    EXPECT_FALSE(fs::exists(second / "资料" / "one.txt"));
    EXPECT_THAT(prompt.events(), ElementsAre(shown("导出成功!" + kTail, MessageIcon::Information),
                                             asked("目录:" + (second / "资料").string() +
                                                       " 已经存在，确认覆盖文件吗?",
                                                   MessageIcon::Question, Buttons::YesNo)));
}

TEST_F(ExportTest, SubTagsLandSideBySideUnderSafeFolderNames) {
    store::TagRecord* g = makeTag("..");
    store::TagRecord* s1 = makeTag("a/b", g);
    store::TagRecord* s2 = makeTag("S2", s1);
    store::TagRecord* s3 = makeTag("S3", g);
    store::PointRecord* one = categories().pointsOf(*a).records().front().get();
    store::PointRecord* deep = categories().pointsOf(*b).records().front().get();
    ASSERT_TRUE(setTagsOfPoints(context, {{a, one}}, {g->id, s2->id}).ok());
    ASSERT_TRUE(setTagsOfPoints(context, {{b, deep}}, {s1->id, s3->id}).ok());
    fs::create_directories(out / "__" / "S3");
    prompt.clear();
    prompt.script({Answer::Yes, Answer::Yes});
    ASSERT_TRUE(exportTag(context, *g, out.path()).ok());
    EXPECT_EQ(snapshotOf(out.path()), (Snapshot{{"__", "<dir>"},
                                                {"__/one.txt", "new one"},
                                                {"__/a_b", "<dir>"},
                                                {"__/a_b/deep.txt", "deep"},
                                                {"__/S2", "<dir>"},
                                                {"__/S2/one.txt", "new one"},
                                                {"__/S3", "<dir>"}}));
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked("是否同时导出子级标签?", MessageIcon::Question, Buttons::YesNoCancel),
                    asked("目录“" + (out / "__").string() + "”已经存在，确认覆盖文件吗？",
                          MessageIcon::Question, Buttons::YesNo),
                    shown("导出成功!" + kTail, MessageIcon::Information)));
    EXPECT_EQ(tagFolderName("."), "_");
    EXPECT_EQ(tagFolderName(""), "_");
    EXPECT_EQ(tagFolderName(std::string("x\0y", 3)), "x_y");
    EXPECT_EQ(tagFolderName("...名"), "...名");
}

// The points are copied on several threads: of two points of one name the first listed lands, as
// copying one after the other would have it, and a failed copy fails the export.
TEST_F(ExportTest, OfPointsOfOneNameInATagTheFirstListedLandsAndAFailedCopyFailsTheExport) {
    store::CategoryRecord* c = makeCategory(categories().root(), "别处");
    makePoint(*c, "one.txt", "other one");
    store::TagRecord* t = makeTag("同名");
    store::PointRecord* one = categories().pointsOf(*a).records().front().get();
    store::PointRecord* other = categories().pointsOf(*c).records().front().get();
    store::PointRecord* deep = categories().pointsOf(*b).records().front().get();
    ASSERT_TRUE(setTagsOfPoints(context, {{c, other}, {a, one}, {b, deep}}, {t->id}).ok());
    TagPoint first = listTagPoints(context, *t).points.front();
    std::string landed =
        test::readBytes(first.category->owner->contentPathOf(*first.category, *first.point));
    prompt.clear();
    ASSERT_TRUE(exportTag(context, *t, out.path()).ok());
    EXPECT_EQ(snapshotOf(out.path()),
              (Snapshot{{"同名", "<dir>"}, {"同名/deep.txt", "deep"}, {"同名/one.txt", landed}}));

    test::TempDir second;
    fileSystem.failCopiesOf = "deep.txt";
    EXPECT_EQ(exportTag(context, *t, second.path()).code, kWriteFailed);
    EXPECT_FALSE(fs::exists(second / "同名" / "deep.txt"));
    EXPECT_THAT(prompt.events(), ElementsAre(shown("导出成功!" + kTail, MessageIcon::Information),
                                             shown("导出失败!" + kTail, MessageIcon::Error)));
}

TEST_F(ExportTest, APointIsCopiedOverAnExistingFileAndOfferedToOpen) {
    store::PointRecord* one = categories().pointsOf(*a).records().front().get();
    EXPECT_EQ(pointExportName(*one), "one");
    EXPECT_EQ(message::saveFilterFor("one.txt"), "文件(*.txt)|*.txt||");
    EXPECT_EQ(message::saveFilterFor("README"), "文件(*.*)|*.*||");
    test::writeBytes(out / "one.txt", "old");
    RecordingOpener opener;
    prompt.script({Answer::Yes});
    ASSERT_TRUE(exportPoint(context, opener, *a, *one, out / "one.txt").ok());
    EXPECT_EQ(test::readBytes(out / "one.txt"), "new one");
    EXPECT_THAT(opener.opened, ElementsAre(fs::absolute(out / "one.txt")));
    EXPECT_EQ(exportPoint(context, opener, *a, *one, out / "none" / "x.txt").code, kWriteFailed);
    EXPECT_THAT(prompt.events(), ElementsAre(asked("保存成功!\n\n需要现在打开吗?",
                                                   MessageIcon::Information, Buttons::YesNo),
                                             shown("保存失败!", MessageIcon::Information)));
}

TEST(FavouritesTreeTest, FoldersAndUrlFilesBecomeTheTreeAndALoopIsNotFollowed) {
    test::TempDir dir;
    fs::create_directories(dir / "工具");
    test::writeBytes(dir / "新闻.url", "[InternetShortcut]\r\nURL=https://news.example/\r\n");
    test::writeBytes(dir / "工具" / "Search.URL",
                     "[other]\nURL=no\n[internetshortcut]\n url = s \n");
    test::writeBytes(dir / "工具" / "notes.txt", "x");
    fs::create_directory_symlink(dir.path(), dir / "工具" / "loop");
    fs::create_directories(dir / "空");
    FavouritesTree tree = readFavourites(platform::realFileSystem(), dir.path());
    EXPECT_EQ(tree.error, "");
    ASSERT_EQ(tree.root.label, "IE收藏夹");
    ASSERT_EQ(tree.root.children.size(), 3u);
    const FavouriteItem& tools = tree.root.children[0];
    EXPECT_EQ(tools.label, "工具");
    ASSERT_EQ(tools.children.size(), 1u);
    EXPECT_EQ(tools.children[0].label, "Search");
    EXPECT_EQ(tools.children[0].url, "s");
    EXPECT_EQ(tree.root.children[1].label, "新闻");
    EXPECT_EQ(tree.root.children[1].url, "https://news.example/");
    EXPECT_TRUE(tree.root.children[2].isFolder);
    EXPECT_TRUE(readFavourites(platform::realFileSystem(), dir / "missing").root.children.empty());

    class Unreadable : public platform::FileSystem {
    public:
        std::vector<Entry> listDirectory(const fs::path& path, int& err) const override {
            if (path.filename() == "工具") {
                err = EACCES;
                return {};
            }
            return FileSystem::listDirectory(path, err);
        }
    } unreadable;
    FavouritesTree partial = readFavourites(unreadable, dir.path());
    EXPECT_EQ(partial.error, platform::errorText(EACCES));
    ASSERT_EQ(partial.root.children.size(), 1u);
    EXPECT_EQ(partial.root.children[0].label, "工具");
}

} // namespace
} // namespace tarnel::ops
