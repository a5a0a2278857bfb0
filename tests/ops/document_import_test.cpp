#include "ops/document_import.h"
#include "platform/text_format.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

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

class DocumentImportTest : public test::OpsTest {
protected:
    test::TempDir outside;
    store::CategoryRecord* a = nullptr;

    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        test::writeBytes(outside / "报告.txt", "report");
        test::writeBytes(outside / "TAKEN.txt", "x");
        test::writeBytes(outside / "copy-fails.bin", "y");
        test::writeBytes(outside / "last.md", "# md");
        test::writeBytes(resource("A/taken.txt"), "not indexed");
        sink.clear();
    }

    std::string createdText(const fs::path& file) {
        platform::FileSystem::EntryInfo info;
        EXPECT_EQ(fileSystem.entryInfo(file, info), 0);
        return platform::formatDateTime(info.created);
    }
};

TEST_F(DocumentImportTest, EachRefusedFileIsWarnedAboutAndTheOthersAreImported) {
    fileSystem.failCopiesOf = "copy-fails";
    OperationResult result =
        importDocuments(context, *a,
                        {outside / "报告.txt", outside / "TAKEN.txt", outside / "gone.txt",
                         outside / "copy-fails.bin", outside / "last.md"});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.id, 2);
    EXPECT_THAT(prompt.events(),
                ElementsAre(shown("无法导入文件“TAKEN.txt”，已经存在此名称的分类或知识点!",
                                  MessageIcon::Warning),
                            shown("获取文件:" + (outside / "gone.txt").string() + "信息失败!",
                                  MessageIcon::Warning),
                            shown("拷贝文件“copy-fails.bin”到失败!\n" + platform::errorText(ENOSPC),
                                  MessageIcon::Warning),
                            shown("导入文档完毕!                 \r\n", MessageIcon::Information)));
    std::string created = createdText(outside / "报告.txt");
    EXPECT_EQ(
        test::tableRows(indexFile("1.cps")),
        (test::Rows{
            {"id", "class", "name", "has_comment", "tags_id", "star_num", "point_size",
             "append_num", "state", "create_date", "modify_date", "delete_date", "fore_color",
             "back_color", "original_local"},
            {"1", "1", "报告.txt", "", "", "1", "6", "", "1", created, created, "", "", "", ""},
            {"2", "1", "last.md", "", "", "1", "4", "", "1", createdText(outside / "last.md"),
             createdText(outside / "last.md"), "", "", "", ""}}));
    EXPECT_EQ(rowOf("kms.cls", 1)[4], "10");
    EXPECT_EQ(rowOf("kms.cls", 1)[5], "2");
    EXPECT_EQ(test::tableRows(indexFile("kms.ids"))[1][2], "2");
    EXPECT_EQ(
        snapshotOf(resource("A")),
        (Snapshot{{"last.md", "# md"}, {"taken.txt", "not indexed"}, {"报告.txt", "report"}}));
    EXPECT_THAT(codes(), ElementsAre(2, 4, 2, 4));
}

TEST_F(DocumentImportTest, AMissingFolderIsAskedForAndAFailedSaveTakesEverythingBack) {
    fs::remove_all(resource("A"));
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::No});
    EXPECT_EQ(importDocuments(context, *a, {outside / "报告.txt"}).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);
    prompt.script({Answer::Yes});
    fileSystem.failWritesTo = "kms.cls";
    EXPECT_EQ(importDocuments(context, *a, {outside / "报告.txt"}).code, store::kSaveFailed);
    Snapshot after = snapshotOf(data());
    after.erase("Index/kms.ids");
    before.erase("Index/kms.ids");
    EXPECT_EQ(after, before);
    EXPECT_EQ(a->size(), 0);
    EXPECT_EQ(categories().pointsOf(*a).size(), 0u);
    EXPECT_THAT(prompt.events(), ElementsAre(asked("父分类对应的文件夹不存在，是否需要自动创建?",
                                                   MessageIcon::Question, Buttons::YesNo),
                                             asked("父分类对应的文件夹不存在，是否需要自动创建?",
                                                   MessageIcon::Question, Buttons::YesNo),
                                             shown("导入文档失败!", MessageIcon::Error)));
    EXPECT_EQ(importDocuments(context, *categories().root(), {outside / "报告.txt"}).code,
              store::kNotAllowed);
}

} // namespace
} // namespace tarnel::ops
