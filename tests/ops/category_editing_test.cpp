#include "ops/category_editing.h"
#include "ops/operation_messages.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::CategoryRecord;
using test::asked;
using test::shown;
using test::Snapshot;
using test::snapshotOf;
using ::testing::ElementsAre;
namespace category = store::category;
namespace fs = std::filesystem;

const std::vector<std::string> kHeader = {
    "id",          "parent",      "name", "star_num",   "size",       "point_num",    "state",
    "create_date", "modify_date", "memo", "fore_color", "back_color", "relation_path"};

class CategoryEditingTest : public test::OpsTest {
protected:
    CategoryRecord* a = nullptr;

    void SetUp() override {
        OpsTest::SetUp();
        a = makeCategory(categories().root(), "A");
        sink.clear();
    }
};

struct AddRefusal {
    const char* label;
    const char* name;
    bool withParent;
    std::string_view text;
    int code;
    Field field;
};

class AddRefusalTest : public CategoryEditingTest,
                       public ::testing::WithParamInterface<AddRefusal> {};

TEST_P(AddRefusalTest, RefusesWithItsMessageAndLeavesTheDiskAlone) {
    const AddRefusal& c = GetParam();
    test::writeBytes(resource("A/notes.txt"), "not indexed");
    Snapshot before = snapshotOf(data());
    OperationResult result = addCategory(context, c.withParent ? a : nullptr, {c.name, 2, ""});
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.field, c.field);
    EXPECT_THAT(prompt.events(), ElementsAre(shown(std::string(c.text), MessageIcon::Error)));
    EXPECT_TRUE(sink.received().empty());
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_EQ(categories().categoryCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, AddRefusalTest,
    ::testing::Values(
        AddRefusal{"Blank", " \t ", true, message::kCategoryNameEmpty, kInvalidName, Field::Name},
        AddRefusal{"Slash", "a/b", true, message::kCategoryNameForbidden, kInvalidName,
                   Field::Name},
        AddRefusal{"Pipe", "a|b", true, message::kCategoryNameForbidden, kInvalidName, Field::Name},
        // The name rule comes before the parent check.
        AddRefusal{"NoParent", "B", false, message::kChooseParent, kNoParentChosen, Field::Parent},
        AddRefusal{"UnindexedFile", "NOTES.TXT", true, message::kNameExists, kNameTaken,
                   Field::Name}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(CategoryEditingTest, AddsAChildWithItsFolderCountersAndNotification) {
    OperationResult result =
        addCategory(context, initialParent(*a, Level::Child), {"  Sub  ", 3, "memo text"});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.id, 2);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_TRUE(fs::is_directory(resource("A/Sub")));
    EXPECT_EQ(
        test::tableRows(indexFile("kms.cls")),
        (test::Rows{kHeader,
                    {"1", "0", "A", "0", "", "", "1", "", "", "", "", "", ""},
                    {"2", "1", "Sub", "3", "", "", "1", test::kNow, "", "memo text", "", "", ""}}));
    EXPECT_EQ(test::tableRows(indexFile("kms.ids"))[1],
              (std::vector<std::string>{"210", "2", "0", "0", "0", "0"}));
    EXPECT_THAT(sink.received(),
                ElementsAre(store::ChangeNotification{store::change::kCategoryAdded,
                                                      store::StoreKind::Category, 2, 0}));
}

TEST_F(CategoryEditingTest, SameLevelAddsUnderTheParentAndRefusesACaseVariant) {
    EXPECT_EQ(initialParent(*a, Level::Same), categories().root());
    EXPECT_EQ(addCategory(context, initialParent(*a, Level::Same), {"a", 0, ""}).code, kNameTaken);
    EXPECT_TRUE(addCategory(context, initialParent(*a, Level::Same), {"B", 0, ""}).ok());
    EXPECT_TRUE(fs::is_directory(resource("B")));
}

TEST_F(CategoryEditingTest, AMissingParentFolderIsCreatedOnlyWhenTheUserAgrees) {
    fs::remove_all(resource("A"));
    reopen();
    a = byPath("A");
    Snapshot before = snapshotOf(data());
    prompt.script({Answer::No});
    EXPECT_EQ(addCategory(context, a, {"Sub", 0, ""}).code, kDeclined);
    EXPECT_EQ(snapshotOf(data()), before);

    fileSystem.failCreatesOf = "/A";
    prompt.script({Answer::Yes});
    EXPECT_EQ(addCategory(context, a, {"Sub", 0, ""}).code, store::kFolderCreateFailed);
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_TRUE(sink.received().empty());

    fileSystem.failCreatesOf.clear();
    prompt.script({Answer::Yes});
    EXPECT_TRUE(addCategory(context, a, {"Sub", 0, ""}).ok());
    const std::string question(message::kCreateParentFolderQuestion);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(asked(question, MessageIcon::Question, Buttons::YesNo),
                    asked(question, MessageIcon::Question, Buttons::YesNo),
                    shown(std::string(message::kCreateParentFolderFailed), MessageIcon::Error),
                    asked(question, MessageIcon::Question, Buttons::YesNo)));
    EXPECT_TRUE(fs::is_directory(resource("A/Sub")));
    EXPECT_EQ(codes(), (std::vector<int>{4, 1}));
    EXPECT_EQ(a->values.integer(category::kState), 1);
}

TEST_F(CategoryEditingTest, AFailedSaveUndoesTheAdd) {
    for (const char* file : {"kms.ids", "kms.cls"}) {
        SCOPED_TRACE(file);
        fileSystem.failWritesTo = file;
        Snapshot before = snapshotOf(data());
        prompt.clear();
        EXPECT_EQ(addCategory(context, a, {"Sub", 0, ""}).code, store::kSaveFailed);
        EXPECT_THAT(prompt.events(), ElementsAre(shown(std::string(message::kAddCategoryFailed),
                                                       MessageIcon::Error)));
        EXPECT_EQ(categories().categoryCount(), 1u);
        Snapshot after = snapshotOf(data());
        // Only the raised counter may reach the disk: ids are never given out twice.
        after.erase("Index/kms.ids");
        before.erase("Index/kms.ids");
        EXPECT_EQ(after, before);
    }
}

TEST_F(CategoryEditingTest, ALetterCaseRenameSkipsTheCollisionTest) {
    CategoryRecord* abc = makeCategory(a, "abc");
    sink.clear();
    ASSERT_TRUE(renameCategory(context, *abc, "ABC").ok());
    EXPECT_TRUE(fs::is_directory(resource("A/ABC")));
    EXPECT_FALSE(fs::exists(resource("A/abc")));
    EXPECT_EQ(test::tableRows(indexFile("kms.cls"))[2][2], "ABC");
    EXPECT_EQ(codes(), (std::vector<int>{4}));
    EXPECT_TRUE(prompt.events().empty());
}

TEST_F(CategoryEditingTest, RenameRefusalsAndFailuresLeaveEverythingAsItStood) {
    CategoryRecord* b = makeCategory(categories().root(), "B");
    sink.clear();
    Snapshot before = snapshotOf(data());
    EXPECT_EQ(renameCategory(context, *b, " ").code, kInvalidName);
    EXPECT_EQ(renameCategory(context, *b, "x:y").code, kInvalidName);
    EXPECT_EQ(renameCategory(context, *b, "x:y", RenameWording::List).code, kInvalidName);
    EXPECT_EQ(renameCategory(context, *b, "a").code, kNameTaken);
    EXPECT_TRUE(renameCategory(context, *b, "B").ok());
    fileSystem.failRenamesOf = "/B";
    EXPECT_EQ(renameCategory(context, *b, "C").code, kRenameFailed);
    fileSystem.failRenamesOf.clear();
    fileSystem.failWritesTo = "kms.cls";
    EXPECT_EQ(renameCategory(context, *b, "C", RenameWording::List).code, store::kSaveFailed);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(shown(std::string(message::kNameEmpty), MessageIcon::Error),
                    shown(std::string(message::kCategoryNameForbidden), MessageIcon::Information),
                    shown(std::string(message::kListNameForbidden), MessageIcon::Information),
                    shown(std::string(message::kNameExists), MessageIcon::Error),
                    shown(std::string(message::kFolderRenameFailed), MessageIcon::Error),
                    shown(std::string(message::kListRenameFailed), MessageIcon::Error)));
    EXPECT_EQ(b->name(), "B");
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_TRUE(sink.received().empty());
}

TEST_F(CategoryEditingTest, RenamingALinkedRootRenamesTheUsersFolder) {
    test::TempDir own;
    fs::create_directories(own / "Docs" / "inner");
    test::writeBytes(own / "Docs" / "file.txt", "mine");
    auto linked = std::make_unique<CategoryRecord>();
    linked->values.setValue(category::kName, "Docs");
    linked->values.setValue(category::kRelationPath, (own / "Docs").string());
    CategoryRecord* docs = linked.get();
    ASSERT_EQ(categories().add(std::move(linked), categories().root()), 0);
    CategoryRecord* inner = makeCategory(docs, "inner");
    ASSERT_TRUE(renameCategory(context, *docs, "Papers").ok());
    EXPECT_EQ(docs->values.value(category::kRelationPath), (own / "Papers").string());
    EXPECT_EQ(test::readBytes(own / "Papers" / "file.txt"), "mine");
    EXPECT_EQ(categories().folderOf(*inner), own / "Papers" / "inner");
    EXPECT_FALSE(fs::exists(resource("Papers")));
}

TEST_F(CategoryEditingTest, PropertiesSaveOnlyWhatChanged) {
    Snapshot before = snapshotOf(data());
    EXPECT_TRUE(setCategoryProperties(context, *a, {"A", 0, ""}).ok());
    EXPECT_EQ(snapshotOf(data()), before);
    EXPECT_TRUE(sink.received().empty());

    ASSERT_TRUE(setCategoryProperties(context, *a, {" A2 ", 4, "note"}).ok());
    EXPECT_EQ(
        test::tableRows(indexFile("kms.cls"))[1],
        (std::vector<std::string>{"1", "0", "A2", "4", "", "", "1", "", "", "note", "", "", ""}));
    EXPECT_TRUE(fs::is_directory(resource("A2")));
    EXPECT_EQ(codes(), (std::vector<int>{4}));

    fileSystem.failRenamesOf = "A2";
    before = snapshotOf(data());
    OperationResult failed = setCategoryProperties(context, *a, {"A3", 5, "other"});
    EXPECT_EQ(failed.code, kRenameFailed);
    EXPECT_EQ(failed.field, Field::Name);
    EXPECT_THAT(prompt.events(), ElementsAre(shown(std::string(message::kPropertiesRenameFailed),
                                                   MessageIcon::Error)));
    EXPECT_EQ(a->values.integer(category::kStarNum), 4);
    EXPECT_EQ(snapshotOf(data()), before);
}

TEST_F(CategoryEditingTest, ColoursAreWrittenAndCleared) {
    ASSERT_TRUE(setCategoryColor(context, *a, ColorRole::Fore, 255).ok());
    ASSERT_TRUE(setCategoryColor(context, *a, ColorRole::Back, 65280).ok());
    EXPECT_EQ(test::tableRows(indexFile("kms.cls"))[1][10], "255");
    EXPECT_EQ(test::tableRows(indexFile("kms.cls"))[1][11], "65280");
    ASSERT_TRUE(setCategoryColor(context, *a, ColorRole::Fore, kDefaultColor).ok());
    EXPECT_EQ(test::tableRows(indexFile("kms.cls"))[1][10], "");
    EXPECT_EQ(codes(), (std::vector<int>{4, 4, 4}));

    fileSystem.failWritesTo = "kms.cls";
    EXPECT_EQ(setCategoryColor(context, *a, ColorRole::Back, 1).code, store::kSaveFailed);
    EXPECT_EQ(a->values.value(category::kBackColor), "65280");
}

} // namespace
} // namespace tarnel::ops
