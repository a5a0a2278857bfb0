#include "ops/attachment_editing.h"
#include "ops/comment_editing.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

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
constexpr store::StoreKind kCat = store::StoreKind::Category;

class RecordingOpener : public platform::Opener {
public:
    int openFile(const fs::path& file) const override {
        opened.push_back(file);
        return 0;
    }
    mutable std::vector<fs::path> opened;
};

class AttachmentTest : public test::OpsTest {
protected:
    store::CategoryRecord* a = nullptr;
    store::PointRecord* p = nullptr;
    store::PointRecord* q = nullptr;
    test::TempDir outside;

    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        p = makePoint(*a, "会议.rtf");
        q = makePoint(*a, "other.rtf");
        test::writeBytes(outside / "plan.doc", "plan!");
        test::writeBytes(outside / "链接.bin", "0123456789");
        sink.clear();
    }

    OperationResult attach(store::PointRecord* point, std::vector<AttachmentInput> files) {
        return addAttachments(context, *a, *point, files);
    }
    store::AttachmentRecord* attachment(long long id) {
        return categories().attachmentsOf(*a).find(id);
    }
    // Everything in the base but the counters, which stay raised after a failure.
    Snapshot stateWithoutCounters() {
        Snapshot s = snapshotOf(data());
        s.erase("Index/kms.ids");
        return s;
    }
};

TEST_F(AttachmentTest, BothModesAreRecordedAndADuplicateNameIsRefusedInEitherMode) {
    OperationResult added =
        attach(p, {{outside / "plan.doc", false}, {outside / "链接.bin", true}});
    ASSERT_TRUE(added.ok());
    EXPECT_EQ(added.id, 2);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(test::readBytes(dir / "Append" / "1_plan.doc"), "plan!");
    EXPECT_FALSE(fs::exists(dir / "Append" / "2_链接.bin"));
    EXPECT_EQ(test::tableRows(indexFile("1.cas")),
              (test::Rows{{"id", "point", "name", "append_size", "is_linked", "link_path", "state",
                           "create_date", "modify_date"},
                          {"1", "1", "plan.doc", "5", "0", "", "1", test::kNow, ""},
                          {"2", "1", "链接.bin", "10", "1", (outside / "链接.bin").string(), "1",
                           test::kNow, ""}}));
    EXPECT_EQ(rowOf("1.cps", p->id)[7], "2");
    EXPECT_EQ(test::tableRows(indexFile("kms.ids"))[1][5], "2");
    EXPECT_THAT(sink.received(), ElementsAre(ChangeNotification{3, kCat, 1, p->id},
                                             ChangeNotification{3, kCat, 2, p->id}));

    sink.clear();
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(attach(p, {{outside / "PLAN.DOC", true}}).code, kNameTaken);
    EXPECT_THAT(prompt.events(),
                ElementsAre(shown("文件“PLAN.DOC”已经存在相同名称的附件，无法添加！",
                                  MessageIcon::Information)));
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_TRUE(sink.received().empty());

    // Another point of the category may carry the same name: its copy has its own id.
    ASSERT_TRUE(attach(q, {{outside / "plan.doc", false}}).ok());
    EXPECT_EQ(test::readBytes(dir / "Append" / "3_plan.doc"), "plan!");
    EXPECT_EQ(attachmentsOfPoint(*a, *q).size(), 1u);
}

TEST_F(AttachmentTest, AFailedCopySkipsOnlyThatFileAndAFailedSaveUndoesAll) {
    test::writeBytes(outside / "second.txt", "2");
    fileSystem.failCopiesOf = "plan.doc";
    OperationResult result = attach(p, {{outside / "plan.doc", false},
                                        {outside / "gone.txt", false},
                                        {outside / "second.txt", false}});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(prompt.events().size(), 2u);
    EXPECT_EQ(prompt.events()[0].text, "拷贝附件“plan.doc”失败!\n" + platform::errorText(ENOSPC));
    EXPECT_EQ(prompt.events()[1], shown("获取文件:" + (outside / "gone.txt").string() + "信息失败!",
                                        MessageIcon::Warning));
    EXPECT_EQ(snapshotOf(dir / "Append"), (Snapshot{{"2_second.txt", "2"}}));
    EXPECT_EQ(attachmentsOfPoint(*a, *p).size(), 1u);

    fileSystem.failCopiesOf.clear();
    prompt.clear();
    sink.clear();
    Snapshot before = stateWithoutCounters();
    fileSystem.failWritesTo = "1.cas";
    EXPECT_EQ(attach(p, {{outside / "plan.doc", false}}).code, store::kSaveFailed);
    EXPECT_THAT(prompt.events(), ElementsAre(shown("添加附件失败!", MessageIcon::Error)));
    EXPECT_EQ(stateWithoutCounters(), before);
    EXPECT_EQ(p->values.integer(store::point::kAppendNum), 1);
    EXPECT_TRUE(sink.received().empty());
}

TEST_F(AttachmentTest, ExportRefusesTheOwnFileOpenReportsAMissingOne) {
    ASSERT_TRUE(attach(p, {{outside / "plan.doc", false}, {outside / "链接.bin", true}}).ok());
    prompt.clear();
    EXPECT_EQ(exportAttachment(context, *attachment(2), outside / "链接.bin").code, kSamePath);
    test::writeBytes(outside / "out.doc", "old");
    EXPECT_TRUE(exportAttachment(context, *attachment(1), outside / "out.doc").ok());
    EXPECT_EQ(test::readBytes(outside / "out.doc"), "plan!");
    EXPECT_EQ(exportAttachment(context, *attachment(1), outside / "no" / "out.doc").code,
              kWriteFailed);
    RecordingOpener opener;
    fs::remove(outside / "链接.bin");
    EXPECT_EQ(openAttachment(context, opener, *attachment(2)).code, kContentMissing);
    EXPECT_TRUE(openAttachment(context, opener, *attachment(1)).ok());
    EXPECT_THAT(opener.opened, ElementsAre(fs::absolute(dir / "Append" / "1_plan.doc")));
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(shown("文件源和目标路径相同，复制失败!", MessageIcon::Error),
                    shown("保存成功!", MessageIcon::Information),
                    shown("保存失败!", MessageIcon::Information),
                    shown("此文档已失效,请检查!\n\n文件路径:" + (outside / "链接.bin").string(),
                          MessageIcon::Warning)));
}

TEST_F(AttachmentTest, DeleteRemovesABackupCopyKeepsALinkedFileAndUndoesAFailure) {
    ASSERT_TRUE(attach(p, {{outside / "plan.doc", false}, {outside / "链接.bin", true}}).ok());
    sink.clear();
    prompt.clear();
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::No, Answer::Yes, Answer::Yes});
    EXPECT_EQ(deleteAttachment(context, *a, *p, *attachment(1)).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);
    fileSystem.failRenamesOf = "1_plan.doc";
    EXPECT_EQ(deleteAttachment(context, *a, *p, *attachment(1)).code, kRemoveFailed);
    EXPECT_EQ(snapshotOf(data()), before);
    fileSystem.failRenamesOf.clear();
    fileSystem.failWritesTo = "1.cps";
    EXPECT_EQ(deleteAttachment(context, *a, *p, *attachment(1)).code, store::kSaveFailed);
    EXPECT_EQ(snapshotOf(data()), before);
    fileSystem.failWritesTo.clear();
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked("真的要从知识点中删除此附件吗?", MessageIcon::Question, Buttons::YesNo),
                    asked("真的要从知识点中删除此附件吗?", MessageIcon::Question, Buttons::YesNo),
                    shown("删除附件失败!", MessageIcon::Error),
                    asked("真的要从知识点中删除此附件吗?", MessageIcon::Question, Buttons::YesNo),
                    shown("删除附件失败!", MessageIcon::Error)));
    EXPECT_TRUE(sink.received().empty());

    prompt.script({Answer::Yes, Answer::Yes});
    ASSERT_TRUE(deleteAttachment(context, *a, *p, *attachment(1)).ok());
    ASSERT_TRUE(deleteAttachment(context, *a, *p, *attachment(2)).ok());
    EXPECT_TRUE(snapshotOf(dir / "Append").empty());
    EXPECT_EQ(test::readBytes(outside / "链接.bin"), "0123456789");
    EXPECT_FALSE(fs::exists(indexFile("1.cas")));
    EXPECT_EQ(rowOf("1.cps", p->id)[7], "0");
    EXPECT_THAT(sink.received(), ElementsAre(ChangeNotification{9, kCat, 1, p->id},
                                             ChangeNotification{9, kCat, 2, p->id}));
}

TEST_F(AttachmentTest, TheSharedModeLeavesAddAndDeleteToTheService) {
    store::KnowledgeStore shared(fileSystem, sink);
    ASSERT_EQ(shared.open(dir.path(), 1), 0);
    OperationContext sharedContext{shared, fileSystem, prompt};
    store::PointRecord none;
    store::AttachmentRecord noAttachment;
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(addAttachments(sharedContext, *shared.categories().root(), none,
                             {{outside / "plan.doc", false}})
                  .code,
              kNeedsSharedService);
    EXPECT_EQ(deleteAttachment(sharedContext, *shared.categories().root(), none, noAttachment).code,
              kNeedsSharedService);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(snapshotOf(data()), before);
}

TEST_F(AttachmentTest, ACommentIsWrittenDeletedAndExported) {
    fs::path file = dir / "Comment" / "1_会议.rtf.rtf";
    ASSERT_TRUE(writeComment(context, *a, *p, "").ok());
    EXPECT_EQ(rowOf("1.cps", p->id)[3], "");
    ASSERT_TRUE(writeComment(context, *a, *p, "{\\rtf1 c}").ok());
    EXPECT_EQ(test::readBytes(file), "{\\rtf1 c}");
    EXPECT_EQ(rowOf("1.cps", p->id)[3], "1");
    fileSystem.failWritesTo = "1.cps";
    EXPECT_EQ(writeComment(context, *a, *p, "{\\rtf1 new}").code, store::kSaveFailed);
    EXPECT_EQ(test::readBytes(file), "{\\rtf1 c}");
    fileSystem.failWritesTo.clear();

    EXPECT_EQ(commentExportName(*p), "会议.rtf的批注文档");
    RecordingOpener opener;
    prompt.script({Answer::Yes, Answer::No, Answer::Yes});
    ASSERT_TRUE(exportComment(context, opener, *p, outside / "c.rtf").ok());
    EXPECT_EQ(test::readBytes(outside / "c.rtf"), "{\\rtf1 c}");
    EXPECT_THAT(opener.opened, ElementsAre(fs::absolute(outside / "c.rtf")));
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(deleteComment(context, *a, *p).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);
    ASSERT_TRUE(deleteComment(context, *a, *p).ok());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(rowOf("1.cps", p->id)[3], "");
    EXPECT_EQ(exportComment(context, opener, *p, outside / "d.rtf").code, kWriteFailed);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(shown("保存批注失败!", MessageIcon::Error),
                    asked("保存成功!\n\n需要现在打开吗?", MessageIcon::Information, Buttons::YesNo),
                    asked("真的要删除此批注吗?", MessageIcon::Question, Buttons::YesNo),
                    asked("真的要删除此批注吗?", MessageIcon::Question, Buttons::YesNo),
                    shown("保存失败!", MessageIcon::Information)));
    EXPECT_THAT(codes(), ElementsAre(5, 5, 5));
}

} // namespace
} // namespace tarnel::ops
