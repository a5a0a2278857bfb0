#include "update/settings_merge.h"

#include <gtest/gtest.h>

namespace tarnel::update {
namespace {

TEST(SettingsMergeTest, NewKeysInNewOrderWithTheUsersValuesAndKeys) {
    std::string longValue(300, 'v');
    std::string shipped = "; shipped settings\r\n"
                          "[DATA]\r\n"
                          "Data_Path=\r\n"
                          "\r\n"
                          "DATABASE_TYPE = 0\r\n"
                          "[SOFT_INFORMATION]\r\n"
                          "SOFT_VERSION=211\r\n";
    std::string user = "[data]\n"
                       "data_path=" +
                       longValue +
                       "\n"
                       "database_type=\n"
                       "ACCESS_PASSWORD=secret\n"
                       "[SOFT_INFORMATION]\n"
                       "SOFT_VERSION=210\n"
                       "UPDATE_SITE=https://updates.example.org\n"
                       "[SKIN]\n"
                       "SKIN_PATH=blue\n";
    EXPECT_EQ(mergedSettings(shipped, user), "[DATA]\n"
                                             "Data_Path=" +
                                                 longValue +
                                                 "\n"
                                                 "DATABASE_TYPE = 0\n"
                                                 "ACCESS_PASSWORD=secret\n"
                                                 "[SOFT_INFORMATION]\n"
                                                 "SOFT_VERSION=210\n"
                                                 "UPDATE_SITE=https://updates.example.org\n"
                                                 "[SKIN]\n"
                                                 "SKIN_PATH=blue\n");
}

TEST(SettingsMergeTest, WithoutAUserFileTheNewFileLosesOnlyBlankAndCommentLines) {
    EXPECT_EQ(mergedSettings("[A]\r\n;c\r\n  k = v  \r\n\r\n", ""), "[A]\n  k = v  \n");
}

} // namespace
} // namespace tarnel::update
