#include "store/knowledge_store.h"
#include "store/result_codes.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarnel::store {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    test::writeBytes(path, bytes);
}
using test::scrambledTable;

class KnowledgeStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::FaultyFileSystem fileSystem;
    RecordingChangeSink sink;
    KnowledgeStore base{fileSystem, sink};

    fs::path index(const std::string& name) { return dir / "Index" / name; }
    fs::path resource(const std::string& relative) {
        return dir / "Resource" / "分类列表" / relative;
    }
    void write(const std::string& name, const std::vector<std::vector<std::string>>& rows) {
        fs::create_directories(dir / "Index");
        put(index(name), scrambledTable(rows));
    }
    void writeIds(const std::string& cls, const std::string& point) {
        write("kms.ids", {{"version", "class", "point", "tags", "comment", "append"},
                          {"210", cls, point, "0", point, "0"}});
    }
};

TEST_F(KnowledgeStoreTest, OpeningMakesTheFoldersAndAnEmptyBase) {
    ASSERT_EQ(base.open(dir / "data"), kOk);
    for (const char* folder : {"Resource", "Index", "Comment", "Append"}) {
        EXPECT_TRUE(fs::is_directory(dir / "data" / folder)) << folder;
    }
    EXPECT_EQ(base.report().counters, kFileMissing);
    EXPECT_EQ(base.storeVersion(), 210);
    EXPECT_EQ(base.categories().categoryCount(), 0u);
    ASSERT_EQ(base.saveAll(), kOk);
    EXPECT_TRUE(fs::exists(dir / "data" / "Index" / "kms.ids"));
    EXPECT_FALSE(fs::exists(dir / "data" / "Index" / "kms.cls"));
    EXPECT_FALSE(fs::exists(dir / "data" / "Index" / "recycle_kms.cls"));
}

TEST_F(KnowledgeStoreTest, AReadOnlyOpenCreatesNothing) {
    ASSERT_EQ(base.open(dir / "data", 0, OpenMode::ReadOnly), kOk);
    EXPECT_FALSE(fs::exists(dir / "data"));
}

TEST_F(KnowledgeStoreTest, ADamagedCountersFileEndsTheOpenAndKeepsEveryFile) {
    write("kms.ids", {{"version", "class"}, {"210", "3", "extra"}});
    write("kms.cls", {{"id", "parent", "name"}, {"3", "0", "A"}});
    std::string categoriesBefore = test::readBytes(index("kms.cls"));
    EXPECT_EQ(base.open(dir.path()), kDamagedFile);
    EXPECT_EQ(base.categories().categoryCount(), 0u);
    ASSERT_EQ(base.saveAll(), kOk);
    // Nothing of the user's is lost: both files were set aside before the empty base was saved.
    int damagedCopies = 0;
    for (const auto& entry : fs::directory_iterator(dir / "Index")) {
        std::string name = entry.path().filename().string();
        if (name.starts_with("kms.cls.damaged-")) {
            EXPECT_EQ(test::readBytes(entry.path()), categoriesBefore);
            ++damagedCopies;
        }
        damagedCopies += name.starts_with("kms.ids.damaged-") ? 1 : 0;
    }
    EXPECT_EQ(damagedCopies, 2);
}

TEST_F(KnowledgeStoreTest, AStoreThatFailsIsEmptiedAloneAndTheOpenGoesOn) {
    writeIds("2", "0");
    write("kms.cls", {{"id", "parent", "name"}, {"1", "0", "A"}});
    write("recycle_kms.cls", {{"id", "parent"}, {"2"}});
    write("kms.tags", {{"id", "parent", "name"}, {"1", "0", "T"}});
    ASSERT_EQ(base.open(dir.path()), kOk);
    EXPECT_EQ(base.report().recycle, kDamagedFile);
    EXPECT_EQ(base.categories().categoryCount(), 1u);
    EXPECT_EQ(base.recycle().categoryCount(), 0u);
    EXPECT_EQ(base.tags().tagCount(), 1u);
}

TEST_F(KnowledgeStoreTest, CountersFollowTheFilesWhenKmsIdsIsSmallerOrLost) {
    write("kms.cls", {{"id", "parent", "name"}, {"40", "0", "A"}});
    write("recycle_kms.cls", {{"id", "parent", "name"}, {"55", "0", "R"}});
    write("40.cps", {{"id", "name", "state"}, {"900", "x.rtf", "0"}});
    write("40.cas", {{"id", "point", "name"}, {"77", "900", "f"}});
    writeIds("3", "1");
    ASSERT_EQ(base.open(dir.path()), kOk);
    EXPECT_EQ(base.counters().highest(IdKind::Category), 55);
    EXPECT_EQ(base.counters().highest(IdKind::Point), 1) << "lists load on first use";

    fs::remove(index("kms.ids"));
    ASSERT_EQ(base.open(dir.path()), kOk);
    EXPECT_EQ(base.counters().next(IdKind::Category), 56);
    EXPECT_EQ(base.counters().next(IdKind::Point), 901);
    EXPECT_EQ(base.counters().next(IdKind::Comment), 901);
    EXPECT_EQ(base.counters().next(IdKind::Attachment), 78);
}

// Sixty categories, two levels deep, each with a point whose content is there, one whose
// content is missing and one already known missing, and an attachment; the recycle root keeps
// its points under "<id>_<name>".
class ManyListsTest : public KnowledgeStoreTest {
protected:
    static constexpr int kCategories = 60;
    static constexpr long long kSize = 10000;

    static int parentOf(int id) { return id <= 10 ? 0 : id % 10 + 1; }
    static std::string nameOf(int id) { return (id <= 10 ? "T" : "C") + std::to_string(id); }
    fs::path folderOf(int id) {
        fs::path top = resource(nameOf(id <= 10 ? id : parentOf(id)));
        return id <= 10 ? top : top / nameOf(id);
    }

    void SetUp() override {
        std::vector<std::vector<std::string>> rows = {{"id", "parent", "name", "size"}};
        auto addRow = [&](int id) {
            rows.push_back({std::to_string(id), std::to_string(parentOf(id)), nameOf(id),
                            std::to_string(kSize)});
        };
        for (int top = 1; top <= 10; ++top) {
            addRow(top);
            for (int id = 11; id <= kCategories; ++id) {
                if (parentOf(id) == top) {
                    addRow(id);
                }
            }
        }
        for (int id = 1; id <= kCategories; ++id) {
            put(folderOf(id) / "p1.rtf", "x");
            std::string first = std::to_string(10 * id);
            write(std::to_string(id) + ".cps", {{"id", "name", "point_size", "state"},
                                                {first + "1", "p1.rtf", "10", "1"},
                                                {first + "2", "p2.mht", "20", "1"},
                                                {first + "3", "p3.doc", "30", "0"}});
            write(std::to_string(id) + ".cas",
                  {{"id", "point", "name"}, {std::to_string(5000 + id), first + "1", "f"}});
        }
        write("kms.cls", rows);
        write("recycle_kms.cls", {{"id", "parent", "name", "size"}});
        put(dir / "Resource" / "回收站" / "9000_r.rtf", "x");
        write("0.cps", {{"id", "name", "point_size", "state"},
                        {"9000", "r.rtf", "5", "1"},
                        {"9001", "r.rtf", "7", "1"}});
        writeIds("60", "1");
    }

    static void loadOneByOne(KnowledgeStore& store) {
        for (CategoryStore* categories : {&store.categories(), &store.recycle()}) {
            for (const auto& record : categories->rows()) {
                categories->pointsOf(*record);
                categories->attachmentsOf(*record);
            }
        }
    }

    // Everything loading may change, one line per category and point.
    static std::vector<std::string> loadedState(KnowledgeStore& store) {
        std::vector<std::string> lines;
        for (CategoryStore* categories : {&store.categories(), &store.recycle()}) {
            for (const auto& record : categories->rows()) {
                lines.push_back(std::to_string(record->id) + " size " +
                                std::string(record->values.value(category::kSize)));
                PointList& points = categories->pointsOf(*record);
                for (const auto& point : points.records()) {
                    lines.push_back(std::to_string(point->id) + " state " +
                                    std::string(point->values.value(point::kState)) + " size " +
                                    std::string(point->values.value(point::kPointSize)) + " type " +
                                    point->displayType->extension);
                }
                lines.push_back(points.changed() ? "changed" : "unchanged");
                lines.push_back(std::to_string(categories->attachmentsOf(*record).size()));
            }
        }
        for (IdKind kind : {IdKind::Point, IdKind::Comment, IdKind::Attachment}) {
            lines.push_back(std::to_string(store.counters().highest(kind)));
        }
        return lines;
    }
};

TEST_F(ManyListsTest, LoadingEveryListAtOnceGivesWhatLoadingThemOneByOneGives) {
    ASSERT_EQ(base.open(dir.path()), kOk);
    EXPECT_EQ(base.loadAllLists(), 3u * kCategories + 2);

    KnowledgeStore oneByOne{fileSystem, sink};
    ASSERT_EQ(oneByOne.open(dir.path()), kOk);
    loadOneByOne(oneByOne);
    EXPECT_EQ(loadedState(base), loadedState(oneByOne));

    // A top category loses its own missing point and those of its five children.
    EXPECT_EQ(base.categories().find(1)->size(), kSize - 20 - 5 * 20);
    EXPECT_EQ(base.categories().find(11)->size(), kSize - 20);
    EXPECT_EQ(base.recycle().root()->values.value(category::kSize), "-7");
    EXPECT_EQ(base.counters().highest(IdKind::Point), 9001);
    EXPECT_EQ(base.counters().highest(IdKind::Attachment), 5000 + kCategories);
    PointList& points = base.categories().pointsOf(*base.categories().find(7));
    ASSERT_NE(points.find(702), nullptr);
    EXPECT_EQ(points.find(702)->values.value(point::kState), "0");
    EXPECT_FALSE(points.find(702)->values.has(point::kPointSize));
    EXPECT_EQ(points.find(701)->values.value(point::kState), "1");
}

TEST_F(KnowledgeStoreTest, CountersReadWhateverTheColumnOrder) {
    write("kms.ids", {{"append", "point", "version"}, {"9", "4", "200"}});
    ASSERT_EQ(base.open(dir.path()), kOk);
    EXPECT_EQ(base.storeVersion(), 200);
    EXPECT_EQ(base.counters().highest(IdKind::Attachment), 9);
    EXPECT_EQ(base.counters().highest(IdKind::Point), 4);
    EXPECT_EQ(base.counters().highest(IdKind::Tag), 0);
}

TEST_F(KnowledgeStoreTest, ASharedDatabaseLeavesTheLocalFilesAlone) {
    write("kms.cls", {{"id", "parent", "name"}, {"1", "0", "A"}});
    std::string before = test::readBytes(index("kms.cls"));
    write("0.cps", {{"id", "name", "state"}, {"4", "x", "0"}});
    ASSERT_EQ(base.open(dir.path(), 1), kOk);
    EXPECT_EQ(base.categories().categoryCount(), 0u);
    EXPECT_EQ(base.recycle().pointsOf(*base.recycle().root()).size(), 0u);
    EXPECT_EQ(base.recycle().save(), kOk);
    int writes = fileSystem.writes;
    EXPECT_EQ(base.saveAll(), kOk);
    EXPECT_EQ(fileSystem.writes, writes);
    EXPECT_EQ(test::readBytes(index("kms.cls")), before);
    EXPECT_FALSE(fs::exists(dir / "Resource"));
}

TEST_F(KnowledgeStoreTest, ASaveThatCannotWriteTheIndexSaysSo) {
    ASSERT_EQ(base.open(dir.path()), kOk);
    fileSystem.failWritesTo = "Index";
    EXPECT_EQ(base.saveCounters(), kSaveFailed);
    EXPECT_EQ(base.saveAll(), kSaveFailed);
    EXPECT_FALSE(fs::exists(index("kms.ids")));
}

TEST_F(KnowledgeStoreTest, ARealReadOnlyIndexFolderFailsTheSave) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    KnowledgeStore real(platform::realFileSystem(), sink);
    ASSERT_EQ(real.open(dir.path()), kOk);
    fs::permissions(dir / "Index", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(real.saveCounters(), kSaveFailed);
}

TEST_F(KnowledgeStoreTest, RemovingACategoryTakesItsFilesTagsAndCounts) {
    writeIds("3", "12");
    write("kms.cls", {{"id", "parent", "name", "size"},
                      {"1", "0", "Top", "70"},
                      {"2", "1", "Gone", "70"},
                      {"3", "2", "Inner", "20"}});
    write("kms.tags",
          {{"id", "parent", "name", "class", "point_num"}, {"1", "0", "T", ";2;3;5;", "3"}});
    write("2.cps", {{"id", "name", "has_comment", "tags_id", "point_size", "state"},
                    {"10", "a.rtf", "1", ";1;", "50", "1"}});
    write("3.cps", {{"id", "name", "has_comment", "tags_id", "point_size", "state"},
                    {"11", "b.rtf", "0", ";1;", "20", "1"}});
    write("3.cas", {{"id", "point", "name", "is_linked", "link_path"},
                    {"5", "11", "copy.bin", "0", ""},
                    {"6", "11", "linked.bin", "1", (dir / "outside.bin").string()}});
    put(resource("Top/Gone/a.rtf"), "a");
    put(resource("Top/Gone/Inner/b.rtf"), "b");
    put(dir / "Comment" / "10_a.rtf.rtf", "c");
    put(dir / "Append" / "5_copy.bin", "x");
    put(dir / "outside.bin", "kept");
    ASSERT_EQ(base.open(dir.path()), kOk);
    sink.clear();

    bool tagsChanged = false;
    ASSERT_EQ(base.removeCategory(base.categories().find(2), &tagsChanged), kOk);
    EXPECT_TRUE(tagsChanged);
    EXPECT_FALSE(fs::exists(resource("Top/Gone")));
    EXPECT_TRUE(fs::is_directory(resource("Top")));
    for (const char* gone : {"2.cps", "3.cps", "3.cas"}) {
        EXPECT_FALSE(fs::exists(index(gone))) << gone;
    }
    EXPECT_FALSE(fs::exists(dir / "Comment" / "10_a.rtf.rtf"));
    EXPECT_FALSE(fs::exists(dir / "Append" / "5_copy.bin"));
    EXPECT_EQ(test::readBytes(dir / "outside.bin"), "kept");
    TagRecord* tag = base.tags().find(1);
    EXPECT_EQ(tag->values.value(tag::kPointNum), "1");
    EXPECT_EQ(tag->values.value(tag::kClass), ";5;");
    CategoryRecord* top = base.categories().find(1);
    EXPECT_EQ(top->size(), 0);
    EXPECT_EQ(top->descendantCount, 0);
    EXPECT_EQ(base.categories().find(3), nullptr);
    using N = ChangeNotification;
    EXPECT_THAT(
        sink.received(),
        ::testing::ElementsAre(N{35, StoreKind::Category, 10, 1}, N{33, StoreKind::Tag, 1, 0},
                               N{7, StoreKind::Category, 2, 0}, N{35, StoreKind::Category, 11, 1},
                               N{33, StoreKind::Tag, 1, 0}, N{7, StoreKind::Category, 3, 0},
                               N{4, StoreKind::Category, 1, 0}, N{4, StoreKind::Category, 0, 0}));
    // Identifiers are never given out again.
    EXPECT_EQ(base.counters().next(IdKind::Category), 4);
}

TEST_F(KnowledgeStoreTest, RemovingARecycledCategoryLeavesTheTagsItsPointsAlreadyLeft) {
    writeIds("4", "10");
    write("recycle_kms.cls", {{"id", "parent", "name"}, {"4", "0", "R"}});
    write("4.cps", {{"id", "class", "name", "tags_id"}, {"10", "4", "a.rtf", ";1;"}});
    write("kms.tags",
          {{"id", "parent", "name", "point_num", "class"}, {"1", "0", "T", "1", ";5;"}});
    ASSERT_EQ(base.open(dir.path()), kOk);
    sink.clear();

    bool tagsChanged = true;
    ASSERT_EQ(base.removeCategory(base.recycle().find(4), &tagsChanged), kOk);
    EXPECT_FALSE(tagsChanged);
    EXPECT_FALSE(fs::exists(index("4.cps")));
    TagRecord* tag = base.tags().find(1);
    EXPECT_EQ(tag->values.value(tag::kPointNum), "1");
    EXPECT_EQ(tag->values.value(tag::kClass), ";5;");
    using N = ChangeNotification;
    EXPECT_THAT(sink.received(), ::testing::ElementsAre(N{7, StoreKind::Recycle, 4, 0},
                                                        N{4, StoreKind::Recycle, 0, 0}));
}

TEST_F(KnowledgeStoreTest, RemovingALinkedCategoryLeavesTheUsersFolder) {
    fs::path own = dir / "mine";
    put(own / "doc.txt", "mine");
    writeIds("1", "0");
    write("kms.cls", {{"id", "parent", "name", "relation_path"}, {"1", "0", "mine", own.string()}});
    ASSERT_EQ(base.open(dir.path()), kOk);
    ASSERT_EQ(base.removeCategory(base.categories().find(1)), kOk);
    EXPECT_EQ(test::readBytes(own / "doc.txt"), "mine");
    EXPECT_EQ(base.categories().categoryCount(), 0u);
}

TEST_F(KnowledgeStoreTest, ACategoryNamedLikeAParentFolderDeletesNothing) {
    writeIds("2", "0");
    write("kms.cls", {{"id", "parent", "name"}, {"1", "0", "A"}, {"2", "1", ".."}});
    put(resource("A/keep.txt"), "keep");
    ASSERT_EQ(base.open(dir.path()), kOk);
    EXPECT_EQ(base.removeCategory(base.categories().find(2)), kNotAllowed);
    EXPECT_EQ(base.categories().moveUnder(base.categories().find(2), base.categories().root()),
              kNotAllowed);
    EXPECT_EQ(test::readBytes(resource("A/keep.txt")), "keep");
    EXPECT_EQ(base.categories().categoryCount(), 2u);
}

TEST_F(KnowledgeStoreTest, AFolderThatCannotBeDeletedStopsTheRemove) {
    writeIds("1", "0");
    write("kms.cls", {{"id", "parent", "name"}, {"1", "0", "A"}});
    fs::create_directories(resource("A"));
    ASSERT_EQ(base.open(dir.path()), kOk);
    fileSystem.failRemovesOf = "Resource";
    EXPECT_EQ(base.removeCategory(base.categories().find(1)), kFolderRemoveFailed);
    EXPECT_EQ(base.categories().categoryCount(), 1u);
    EXPECT_EQ(base.removeCategory(nullptr), kMissingRecord);
    EXPECT_EQ(base.removeCategory(base.categories().root()), kNoRecord);
}

} // namespace
} // namespace tarnel::store
