#include "ops/point_editing.h"
#include "ops/point_removal.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/scoped_environment.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

namespace fs = std::filesystem;
using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::CategoryRecord;
using store::PointRecord;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
namespace point = store::point;
namespace tag = store::tag;

class PointRemovalTest : public test::OpsTest {
protected:
    test::TempDir outside;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", (outside / "data").string()};
    platform::Trash trash{fileSystem};
    CategoryRecord* a = nullptr;
    CategoryRecord* c = nullptr;
    store::TagRecord* t = nullptr;
    const PointRecord* note = nullptr;

    // A with note.rtf (tag T, a comment, a backup and a linked attachment), C beside A.
    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        c = makeCategory(categories().root(), "C");
        t = makeTag("T");
        test::writeBytes(outside / "copy.doc", "copy");
        test::writeBytes(outside / "link.doc", "link");
        note = addTaggedNote(*a, "note");
        sink.clear();
        prompt.clear();
    }

    const PointRecord* addTaggedNote(CategoryRecord& category, const std::string& title) {
        PointInput input;
        input.title = title;
        input.content = "body";
        input.comment = "comment";
        input.tags = {t->id};
        input.attachments = {{outside / "copy.doc", false}, {outside / "link.doc", true}};
        OperationResult result = addPoint(context, &category, input);
        EXPECT_TRUE(result.ok());
        return category.owner->pointsOf(category).find(result.id);
    }

    CategoryRecord* makeLinked(const fs::path& folder) {
        auto linked = std::make_unique<CategoryRecord>();
        linked->values.setValue(store::category::kName, "L");
        linked->values.setValue(store::category::kRelationPath, folder.string());
        linked->values.setInteger(store::category::kState, 1);
        CategoryRecord* raw = linked.get();
        EXPECT_EQ(categories().add(std::move(linked), categories().root()), 0);
        EXPECT_EQ(base.saveAll(), 0);
        return raw;
    }

    Snapshot everything() {
        Snapshot all = snapshotOf(data());
        for (const auto& [path, bytes] : snapshotOf(outside.path())) {
            all["outside/" + path] = bytes;
        }
        return all;
    }
};

TEST_F(PointRemovalTest, ARecycledPointLeavesItsTagsButKeepsItsFilesAndTagList) {
    prompt.script({Answer::Yes});
    ASSERT_TRUE(deletePoint(context, trash, *a, *note).ok());
    EXPECT_THAT(prompt.events(), ElementsAre(asked("确实要把知识点 “note.rtf” 放入回收站吗？",
                                                   MessageIcon::Question, Buttons::YesNo)));
    EXPECT_EQ(test::readBytes(recycleFolder("1_note.rtf")), "body");
    EXPECT_FALSE(fs::exists(resource("A/note.rtf")));
    EXPECT_EQ(test::readBytes(dir / "Comment" / "1_note.rtf.rtf"), "comment");
    EXPECT_EQ(rowOf("0.cps", 1),
              (std::vector<std::string>{"1", "0", "note.rtf", "1", ";1;", "0", "4", "2", "1",
                                        test::kNow, "", test::kNow, "", "", "\\A"}));
    EXPECT_EQ(rowOf("0.cas", 1)[2], "copy.doc");
    EXPECT_EQ(rowOf("0.cas", 2)[2], "link.doc");
    EXPECT_FALSE(fs::exists(indexFile("1.cps")));
    EXPECT_FALSE(fs::exists(indexFile("1.cas")));
    EXPECT_EQ(rowOf("kms.tags", t->id)[4], ";");
    EXPECT_EQ(rowOf("kms.tags", t->id)[5], "0");
    EXPECT_EQ(rowOf("kms.cls", a->id)[4], "0");

    const PointRecord& recycled = *recycle().pointsOf(*recycle().root()).find(1);
    ASSERT_TRUE(restoreRecycledPoint(context, *recycle().root(), recycled, nullptr).ok());
    EXPECT_EQ(test::readBytes(resource("A/note.rtf")), "body");
    EXPECT_EQ(rowOf("1.cps", 1),
              (std::vector<std::string>{"1", "1", "note.rtf", "1", ";1;", "0", "4", "2", "1",
                                        test::kNow, "", "", "", "", ""}));
    EXPECT_EQ(rowOf("kms.tags", t->id)[4], ";1;");
    EXPECT_EQ(rowOf("kms.tags", t->id)[5], "1");
    EXPECT_FALSE(fs::exists(indexFile("0.cps")));
    EXPECT_EQ(rowOf("1.cas", 2)[2], "link.doc");
}

TEST_F(PointRemovalTest, RestoringIntoAVanishedLocationRemakesIt) {
    CategoryRecord* b = makeCategory(a, "B");
    long long id = addTaggedNote(*b, "inner")->id;
    ASSERT_EQ(recyclePoint(context, *b, *b->points->find(id)), 0);
    categories().detach(b);
    fs::remove_all(resource("A/B"));
    ASSERT_EQ(base.saveAll(), 0);
    sink.clear();
    const PointRecord& recycled = *recycle().pointsOf(*recycle().root()).find(id);
    ASSERT_TRUE(restoreRecycledPoint(context, *recycle().root(), recycled, nullptr).ok());
    CategoryRecord* remade = byPath("A/B");
    ASSERT_NE(remade, nullptr);
    EXPECT_EQ(remade->values.integer(store::category::kStarNum), 1);
    EXPECT_EQ(test::readBytes(resource("A/B/inner.rtf")), "body");
    EXPECT_EQ(codes().front(), 1);
    EXPECT_EQ(rowOf("kms.tags", t->id)[4], ";1;" + std::to_string(remade->id) + ";");
}

TEST_F(PointRemovalTest, ADeclinedRenameLeavesNoRemadeCategoryAndKeepsTheUsersFiles) {
    CategoryRecord* b = makeCategory(a, "B");
    long long id = addTaggedNote(*b, "inner")->id;
    ASSERT_EQ(recyclePoint(context, *b, *b->points->find(id)), 0);
    categories().detach(b); // the index forgot B, its folder stays with a file of the user's
    test::writeBytes(resource("A/B/inner.rtf"), "the user's");
    ASSERT_EQ(base.saveAll(), 0);
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::No});
    const PointRecord& recycled = *recycle().pointsOf(*recycle().root()).find(id);
    EXPECT_EQ(restoreRecycledPoint(context, *recycle().root(), recycled, nullptr).code, kDeclined);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked("原位置“\\A\\B”已经存在相同名称的知识点，是否重命名为“inner(1).rtf”？",
                          MessageIcon::Question, Buttons::YesNoCancel)));
    Snapshot after = snapshotOf(data());
    after.erase("Index/kms.ids");
    before.erase("Index/kms.ids");
    EXPECT_EQ(after, before);
    EXPECT_EQ(byPath("A/B"), nullptr);
}

TEST_F(PointRemovalTest, AMoveKeepsTheIdCommentAttachmentsAndTags) {
    ASSERT_TRUE(movePoint(context, *a, *note, *c).ok());
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(test::readBytes(resource("C/note.rtf")), "body");
    EXPECT_EQ(test::readBytes(dir / "Comment" / "1_note.rtf.rtf"), "comment");
    EXPECT_EQ(rowOf("2.cps", 1)[1], "2");
    EXPECT_EQ(rowOf("2.cps", 1)[4], ";1;");
    EXPECT_EQ(rowOf("2.cas", 1)[1], "1");
    EXPECT_FALSE(fs::exists(indexFile("1.cps")));
    EXPECT_EQ(rowOf("kms.tags", t->id)[4], ";2;");
    EXPECT_EQ(rowOf("kms.tags", t->id)[5], "1");
    EXPECT_THAT(codes(), ElementsAre(33, 35, 8, 4, 33, 34, 2, 4));
}

TEST_F(PointRemovalTest, MoveRefusalsAndFailuresLeaveThePointWhereItWas) {
    test::writeBytes(resource("C/note.rtf"), "other");
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(movePoint(context, *a, *note, *c).code, kNameTaken);
    EXPECT_EQ(movePoint(context, *a, *note, *categories().root()).code, kNotMovable);
    EXPECT_EQ(snapshotOf(data()), before);
    fs::remove(resource("C/note.rtf"));
    before = snapshotOf(data());
    fileSystem.failWritesTo = "2.cps";
    EXPECT_EQ(movePoint(context, *a, *note, *c).code, store::kSaveFailed);
    fileSystem.failWritesTo.clear();
    fileSystem.failRenamesOf = "C/note.rtf";
    EXPECT_EQ(movePoint(context, *a, *note, *c).code, store::kFolderMoveFailed);
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_EQ(a->points->find(1)->values.value(point::kTagsId), ";1;");
    fs::remove(resource("A/note.rtf"));
    EXPECT_EQ(movePoint(context, *a, *note, *c).code, kContentMissing);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(shown("目标分类下已经存在此名称的分类或知识点，移动失败!", MessageIcon::Error),
                    shown("移动知识点失败!", MessageIcon::Error),
                    shown("移动知识点失败!", MessageIcon::Error),
                    shown("移动知识点失败!", MessageIcon::Error),
                    shown("此文档已失效,请检查!\n\n文件路径:" + resource("A/note.rtf").string(),
                          MessageIcon::Warning)));
}

TEST_F(PointRemovalTest, ALinkedPointGoesToTheDesktopTrashWithoutItsCommentAndCopies) {
    fs::create_directories(outside / "own");
    CategoryRecord* l = makeLinked(outside / "own");
    const PointRecord* linkedNote = addTaggedNote(*l, "doc");
    long long id = linkedNote->id;
    Snapshot data0 = snapshotOf(data());
    Snapshot own0 = snapshotOf(outside / "own");

    fileSystem.failRenamesOf = "Trash";
    prompt.script({Answer::Yes});
    EXPECT_EQ(deletePoint(context, trash, *l, *linkedNote).code, kTrashFailed);
    fileSystem.failRenamesOf.clear();
    fileSystem.failWritesTo = "kms.cls";
    prompt.script({Answer::Yes});
    EXPECT_EQ(deletePoint(context, trash, *l, *linkedNote).code, store::kSaveFailed);
    EXPECT_EQ(snapshotOf(data()), data0);
    EXPECT_EQ(snapshotOf(outside / "own"), own0);
    EXPECT_TRUE(fs::is_empty(outside / "data" / "Trash" / "info"));
    fileSystem.failWritesTo.clear();

    prompt.script({Answer::Yes});
    ASSERT_TRUE(deletePoint(context, trash, *l, *l->points->find(id)).ok());
    EXPECT_EQ(test::readBytes(outside / "data" / "Trash" / "files" / "doc.rtf"), "body");
    EXPECT_TRUE(fs::exists(outside / "data" / "Trash" / "info" / "doc.rtf.trashinfo"));
    EXPECT_FALSE(fs::exists(outside / "own" / "doc.rtf"));
    EXPECT_FALSE(fs::exists(dir / "Comment" / ("2_doc.rtf.rtf")));
    EXPECT_FALSE(fs::exists(dir / "Append" / "3_copy.doc"));
    EXPECT_EQ(test::readBytes(outside / "link.doc"), "link");
    EXPECT_FALSE(fs::exists(indexFile(std::to_string(l->id) + ".cps")));
    EXPECT_EQ(rowOf("kms.tags", t->id)[5], "1");
    EXPECT_EQ(rowOf("kms.tags", t->id)[4], ";1;");
    const std::string question = "确定要删除此关联知识点吗？\n\n（注：文件删除后将会放到系统回收站"
                                 "中，且批注跟附件不可恢复）！";
    EXPECT_THAT(prompt.events(),
                ElementsAre(asked(question, MessageIcon::Question, Buttons::YesNo),
                            shown("删除知识点失败", MessageIcon::Error),
                            asked(question, MessageIcon::Question, Buttons::YesNo),
                            shown("删除知识点失败", MessageIcon::Error),
                            asked(question, MessageIcon::Question, Buttons::YesNo)));
}

TEST_F(PointRemovalTest, ARecycledPointIsDeletedForGoodWithItsFiles) {
    ASSERT_EQ(recyclePoint(context, *a, *note), 0);
    CategoryRecord& bin = *recycle().root();
    prompt.script({Answer::No, Answer::Yes});
    EXPECT_EQ(deletePoint(context, trash, bin, *bin.points->find(1)).code, kDeclined);
    ASSERT_TRUE(deletePoint(context, trash, bin, *bin.points->find(1)).ok());
    EXPECT_EQ(prompt.events().back(),
              asked("真的要删除此知识点吗？\n\n此操作会同时删除知识点所带的批注和备份模式的附件！",
                    MessageIcon::Question, Buttons::YesNo));
    EXPECT_FALSE(fs::exists(recycleFolder("1_note.rtf")));
    EXPECT_FALSE(fs::exists(dir / "Comment" / "1_note.rtf.rtf"));
    EXPECT_FALSE(fs::exists(dir / "Append" / "1_copy.doc"));
    EXPECT_FALSE(fs::exists(indexFile("0.cps")));
    EXPECT_FALSE(fs::exists(indexFile("0.cas")));
    EXPECT_EQ(test::readBytes(outside / "link.doc"), "link");
    EXPECT_EQ(rowOf("kms.tags", t->id)[5], "0");
}

} // namespace
} // namespace tarnel::ops
