#include "ops/point_editing.h"
#include "ops/point_messages.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::CategoryRecord;
using store::ChangeNotification;
using store::StoreKind;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
namespace point = store::point;

constexpr StoreKind kCat = StoreKind::Category;
constexpr StoreKind kTag = StoreKind::Tag;

class RecordingOpener : public platform::Opener {
public:
    int openFolder(const fs::path& folder) const override {
        calls.push_back("folder " + folder.string());
        return 0;
    }
    int openFile(const fs::path& file) const override {
        calls.push_back("file " + file.string());
        return 0;
    }
    int showItem(const fs::path& file) const override {
        calls.push_back("show " + file.string());
        return showResult;
    }
    mutable std::vector<std::string> calls;
    int showResult = 0;
};

class PointEditingTest : public test::OpsTest {
protected:
    CategoryRecord* a = nullptr;
    test::TempDir outside;

    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        test::writeBytes(outside / "plan.doc", "plan!");
        test::writeBytes(outside / "big.bin", "0123456789");
        sink.clear();
    }

    PointInput general(const std::string& title) {
        PointInput input;
        input.title = title;
        input.content = "{\\rtf1 hi}";
        return input;
    }
};

TEST_F(PointEditingTest, AGeneralPointIsWrittenWithTagsCommentAndAttachments) {
    store::TagRecord* t1 = makeTag("T1");
    store::TagRecord* t2 = makeTag("T2");
    sink.clear();
    PointInput input = general("  会议  ");
    input.starNum = 3;
    input.tags = {t2->id, t1->id, 99};
    input.comment = "{\\rtf1 c}";
    input.attachments = {{outside / "plan.doc", false}, {outside / "big.bin", true}};
    OperationResult result = addPoint(context, a, input);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.id, 1);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(test::readBytes(resource("A/会议.rtf")), "{\\rtf1 hi}");
    EXPECT_EQ(test::readBytes(dir / "Comment" / "1_会议.rtf.rtf"), "{\\rtf1 c}");
    EXPECT_EQ(test::readBytes(dir / "Append" / "1_plan.doc"), "plan!");
    EXPECT_FALSE(fs::exists(dir / "Append" / "2_big.bin"));
    EXPECT_EQ(rowOf("1.cps", 1),
              (std::vector<std::string>{"1", "1", "会议.rtf", "1", ";2;1;", "3", "10", "2", "1",
                                        test::kNow, "", "", "", "", ""}));
    EXPECT_EQ(rowOf("1.cas", 1),
              (std::vector<std::string>{"1", "1", "plan.doc", "5", "0", "", "1", test::kNow, ""}));
    EXPECT_EQ(rowOf("1.cas", 2),
              (std::vector<std::string>{"2", "1", "big.bin", "10", "1",
                                        (outside / "big.bin").string(), "1", test::kNow, ""}));
    EXPECT_EQ(rowOf("kms.tags", t1->id)[4], ";1;");
    EXPECT_EQ(rowOf("kms.tags", t1->id)[5], "1");
    EXPECT_EQ(rowOf("kms.tags", t2->id)[4], ";1;");
    EXPECT_EQ(rowOf("kms.cls", 1)[4], "10");
    EXPECT_EQ(rowOf("kms.cls", 1)[5], "1");
    EXPECT_EQ(test::tableRows(indexFile("kms.ids"))[1],
              (std::vector<std::string>{"210", "1", "1", "2", "0", "2"}));
    EXPECT_THAT(sink.received(),
                ElementsAre(ChangeNotification{2, kCat, 1, 1}, ChangeNotification{4, kCat, 1, 0},
                            ChangeNotification{33, kTag, t2->id, 0},
                            ChangeNotification{34, kCat, 1, t2->id},
                            ChangeNotification{33, kTag, t1->id, 0},
                            ChangeNotification{34, kCat, 1, t1->id}));
}

TEST_F(PointEditingTest, AnEmptyCommentSetsNoCommentFlag) {
    ASSERT_TRUE(addPoint(context, a, general("n")).ok());
    EXPECT_EQ(rowOf("1.cps", 1)[3], "");
    EXPECT_FALSE(fs::exists(dir / "Comment" / "1_n.rtf.rtf"));
}

struct AddRefusal {
    const char* label;
    const char* title;
    bool noCategory;
    const char* message;
    int code;
};

class PointAddRefusalTest : public PointEditingTest,
                            public ::testing::WithParamInterface<AddRefusal> {};

TEST_P(PointAddRefusalTest, RefusesWithItsMessageAndChangesNothing) {
    test::writeBytes(resource("A/taken.rtf"), "not indexed");
    Snapshot before = snapshotOf(data());
    const AddRefusal& c = GetParam();
    OperationResult result = addPoint(context, c.noCategory ? nullptr : a, general(c.title));
    EXPECT_EQ(result.code, c.code);
    EXPECT_THAT(prompt.events(), ElementsAre(shown(c.message, MessageIcon::Error)));
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_TRUE(sink.received().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, PointAddRefusalTest,
    ::testing::Values(
        AddRefusal{"NoCategory", "x", true, "请选择有效的分类!", kNoParentChosen},
        AddRefusal{"Blank", "  ", false, "请填写有效标题!", kInvalidName},
        AddRefusal{"Colon", "a:b", false, "标题中不可以包含\\/:*?\"<>|字符!", kInvalidName},
        AddRefusal{"UnindexedFile", "TAKEN", false,
                   "目标分类下已经存在此名称的分类或知识点，请输入其他名称!", kNameTaken}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PointEditingTest, AMissingFolderIsMadeOnlyWhenTheUserAgrees) {
    fs::remove_all(resource("A"));
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::No});
    EXPECT_EQ(addPoint(context, a, general("n")).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);
    prompt.script({Answer::Yes});
    ASSERT_TRUE(addPoint(context, a, general("n")).ok());
    EXPECT_THAT(prompt.events(), ElementsAre(asked("父分类对应的文件夹不存在，是否需要自动创建?",
                                                   MessageIcon::Question, Buttons::YesNo),
                                             asked("父分类对应的文件夹不存在，是否需要自动创建?",
                                                   MessageIcon::Question, Buttons::YesNo)));
    EXPECT_EQ(test::readBytes(resource("A/n.rtf")), "{\\rtf1 hi}");
}

TEST_F(PointEditingTest, AFailureTakesEveryFileAndRecordAwayAgain) {
    store::TagRecord* tag = makeTag("T");
    PointInput input = general("n");
    input.tags = {tag->id};
    input.comment = "c";
    input.attachments = {{outside / "plan.doc", false}, {outside / "big.bin", false}};
    Snapshot before = snapshotOf(data());
    fileSystem.failCopiesOf = "big.bin";
    EXPECT_EQ(addPoint(context, a, input).code, kWriteFailed);
    fileSystem.failCopiesOf.clear();
    fileSystem.failWritesTo = "1.cas";
    EXPECT_EQ(addPoint(context, a, input).code, store::kSaveFailed);
    EXPECT_THAT(prompt.events(), ElementsAre(shown("添加知识点失败!", MessageIcon::Error),
                                             shown("添加知识点失败!", MessageIcon::Error)));
    Snapshot after = snapshotOf(data());
    after.erase("Index/kms.ids"); // the counters stay raised: an id is never given twice
    before.erase("Index/kms.ids");
    EXPECT_EQ(after, before);
    EXPECT_EQ(categories().pointsOf(*a).size(), 0u);
    EXPECT_EQ(tag->values.integer(store::tag::kPointNum), 0);
    EXPECT_EQ(a->size(), 0);
}

TEST_F(PointEditingTest, AWebPointIsSavedByTheArchiveWriterOrRemovedWhenItFails) {
    PointInput web;
    web.type = PointType::Web;
    web.title = "页面";
    web.archive = [](const fs::path& path, std::string& reason) {
        test::writeBytes(path, "partial");
        reason = "磁盘已满";
        return 28;
    };
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(addPoint(context, a, web).code, kWriteFailed);
    EXPECT_EQ(snapshotOf(data()), before);
    web.archive = [](const fs::path& path, std::string&) {
        test::writeBytes(path, "MIME-Version: 1.0");
        return 0;
    };
    ASSERT_TRUE(addPoint(context, a, web).ok());
    EXPECT_THAT(prompt.events(),
                ElementsAre(shown("保存网页失败\n错误原因:磁盘已满", MessageIcon::Information),
                            shown("已经成功保存网页到分类:“A”!", MessageIcon::Information)));
    EXPECT_EQ(test::readBytes(resource("A/页面.mht")), "MIME-Version: 1.0");
    EXPECT_EQ(rowOf("1.cps", 1)[6], "17");
}

TEST_F(PointEditingTest, RenameMovesTheContentAndCommentFiles) {
    PointInput input = general("Note");
    input.comment = "c";
    ASSERT_TRUE(addPoint(context, a, input).ok());
    const store::PointRecord& note = *categories().pointsOf(*a).find(1);
    sink.clear();
    ASSERT_TRUE(renamePoint(context, *a, note, " note.rtf ").ok()); // letter case only
    ASSERT_TRUE(renamePoint(context, *a, note, "note.rtf").ok());   // unchanged
    ASSERT_TRUE(renamePoint(context, *a, note, "记录.txt").ok());
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(test::readBytes(resource("A/记录.txt")), "{\\rtf1 hi}");
    EXPECT_FALSE(fs::exists(resource("A/Note.rtf")));
    EXPECT_EQ(test::readBytes(dir / "Comment" / "1_记录.txt.rtf"), "c");
    EXPECT_EQ(rowOf("1.cps", 1)[2], "记录.txt");
    EXPECT_EQ(note.displayType->kind, store::PointKind::Document);
    EXPECT_THAT(codes(), ElementsAre(5, 5));
}

TEST_F(PointEditingTest, RenameRefusalsAndFailuresChangeNothing) {
    ASSERT_TRUE(addPoint(context, a, general("n")).ok());
    const store::PointRecord& n = *categories().pointsOf(*a).find(1);
    test::writeBytes(resource("A/other"), "");
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(renamePoint(context, *a, n, "").code, kInvalidName);
    EXPECT_EQ(renamePoint(context, *a, n, "a|b").code, kInvalidName);
    EXPECT_EQ(renamePoint(context, *a, n, "OTHER").code, kNameTaken);
    fileSystem.failRenamesOf = "n.rtf";
    EXPECT_EQ(renamePoint(context, *a, n, "m.rtf").code, kRenameFailed);
    fileSystem.failRenamesOf.clear();
    fileSystem.failWritesTo = "1.cps";
    EXPECT_EQ(renamePoint(context, *a, n, "m.rtf").code, store::kSaveFailed);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(shown("名称不可为空!", MessageIcon::Error),
                    shown("名称中不可以包含\\/:*?\"<>|字符!", MessageIcon::Information),
                    shown("已经存在此名称的分类或知识点，请输入其他名称!", MessageIcon::Error),
                    shown("重命名知识点失败!", MessageIcon::Error),
                    shown("重命名知识点失败!", MessageIcon::Error)));
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_EQ(n.name(), "n.rtf");
}

TEST_F(PointEditingTest, StarsAndColoursAreWrittenToTheList) {
    ASSERT_TRUE(addPoint(context, a, general("n")).ok());
    const store::PointRecord& n = *categories().pointsOf(*a).find(1);
    sink.clear();
    EXPECT_THAT(starMenuEntries(kDefaultMaxStarNum),
                ElementsAre("0星级", "1星级", "2星级", "3星级", "4星级", "5星级"));
    EXPECT_EQ(setPointStar(context, *a, n, 6).code, kOutOfRange);
    EXPECT_EQ(setPointStar(context, *a, n, -1).code, kOutOfRange);
    ASSERT_TRUE(setPointStar(context, *a, n, 7, 9).ok());
    ASSERT_TRUE(setPointColor(context, *a, n, ColorRole::Fore, 255).ok());
    ASSERT_TRUE(setPointColor(context, *a, n, ColorRole::Back, 65280).ok());
    ASSERT_TRUE(setPointColor(context, *a, n, ColorRole::Fore, kDefaultColor).ok());
    std::vector<std::string> row = rowOf("1.cps", 1);
    EXPECT_EQ(row[5], "7");
    EXPECT_EQ(row[12], "");
    EXPECT_EQ(row[13], "65280");
    EXPECT_THAT(codes(), ElementsAre(5, 5, 5, 5));
}

TEST(PointViewTest, TheExtensionDecidesTheView) {
    struct Case {
        const char* name;
        PointView view;
    };
    for (Case c :
         {Case{"a.rtf", PointView::Reading}, Case{"a.RtF", PointView::Reading},
          Case{"b.mht", PointView::Web}, Case{"c.HTM", PointView::Web},
          Case{"d.html", PointView::Web}, Case{"e.doc", PointView::DesktopProgram},
          Case{"rtf", PointView::DesktopProgram}, Case{"f.rtf.txt", PointView::DesktopProgram}}) {
        EXPECT_EQ(viewOf(c.name), c.view) << c.name;
    }
}

TEST_F(PointEditingTest, DocumentsOpenWithTheDesktopAndFoldersShowTheFile) {
    const store::PointRecord& doc = *makePoint(*a, "plan.doc", "d");
    const store::PointRecord& rtf = *makePoint(*a, "n.rtf", "r");
    RecordingOpener opener;
    PointOpening reading = openPoint(context, opener, *a, rtf);
    EXPECT_TRUE(reading.result.ok());
    EXPECT_EQ(reading.view, PointView::Reading);
    EXPECT_TRUE(openPoint(context, opener, *a, doc).result.ok());
    ASSERT_TRUE(showPointInFolder(context, opener, *a, doc).ok());
    opener.showResult = ENOENT;
    ASSERT_TRUE(showPointInFolder(context, opener, *a, doc).ok());
    fs::remove(resource("A/plan.doc"));
    ASSERT_TRUE(showPointInFolder(context, opener, *a, doc).ok());
    EXPECT_EQ(openPoint(context, opener, *a, doc).result.code, kContentMissing);
    std::string path = resource("A/plan.doc").string();
    EXPECT_THAT(opener.calls, ElementsAre("file " + path, "show " + path, "show " + path,
                                          "folder " + resource("A").string(),
                                          "folder " + resource("A").string()));
    EXPECT_THAT(prompt.events(), ElementsAre(shown("此文档已失效,请检查!\n\n文件路径:" + path,
                                                   MessageIcon::Warning)));
}

} // namespace
} // namespace tarnel::ops
