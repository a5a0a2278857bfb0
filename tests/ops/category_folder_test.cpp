#include "ops/category_folder.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

class RecordingOpener : public platform::Opener {
public:
    int openFolder(const std::filesystem::path& folder) const override {
        opened.push_back(folder);
        return result;
    }
    mutable std::vector<std::filesystem::path> opened;
    int result = 0;
};

class CategoryFolderTest : public test::OpsTest {};

TEST_F(CategoryFolderTest, OpensTheFolderOnlyWhenItExists) {
    store::CategoryRecord* a = makeCategory(categories().root(), "A");
    RecordingOpener opener;
    EXPECT_TRUE(openCategoryFolder(context, opener, *a).ok());
    opener.result = EIO;
    EXPECT_EQ(openCategoryFolder(context, opener, *a).code, kOpenFailed);
    std::filesystem::remove_all(resource("A"));
    EXPECT_EQ(openCategoryFolder(context, opener, *a).code, kFolderMissing);
    EXPECT_THAT(opener.opened, ::testing::ElementsAre(resource("A"), resource("A")));
    EXPECT_TRUE(prompt.events().empty());
}

} // namespace
} // namespace tarnel::ops
