#include "store/id_counters.h"
#include "store/record.h"
#include "store/result_codes.h"
#include "store/table_file.h"
#include "tests/store/store_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tarnel::store {
namespace {

using test::scrambledRow;
using test::scrambledTable;

// kms.ids with version 210 and the counters 3, 12, 0, 5, 7, worked out byte by byte.
const std::string
    kTwoRowIds("\x00\x27"
               "\x2b\x38\x2f\x2e\x34\x32\x33\x55\x3e\x31\x3c\x2e\x2e\x55\x2d\x32\x34\x33\x29\x55"
               "\x29\x3c\x3a\x2e\x55\x3e\x32\x30\x30\x38\x33\x29\x55\x3c\x2d\x2d\x38\x33\x39"
               "\x00"
               "\x00\x0e"
               "\x6f\x6c\x6d\x55\x6e\x55\x6c\x6f\x55\x6d\x55\x68\x55\x6a"
               "\x00",
               59);

std::vector<std::vector<std::string>> parsed(std::string_view bytes, int& rc) {
    std::vector<std::vector<std::string>> rows;
    rc = parseTable(bytes, [&](std::size_t, RawRow row) {
        rows.emplace_back();
        for (std::string_view value : row) {
            rows.back().push_back(decodeValue(value));
        }
    });
    return rows;
}

TEST(TableFileTest, WritesTheCountersFileByteForByte) {
    test::TempDir dir;
    IdCounters counters(platform::realFileSystem(), dir / "kms.ids");
    counters.raise(IdKind::Category, 3);
    counters.raise(IdKind::Point, 12);
    counters.raise(IdKind::Comment, 5);
    counters.raise(IdKind::Attachment, 7);
    ASSERT_EQ(counters.save(), kOk);
    EXPECT_EQ(test::readBytes(dir / "kms.ids"), kTwoRowIds);
}

TEST(TableFileTest, ReadsTheHandWrittenCountersFile) {
    int rc = 0;
    auto rows = parsed(kTwoRowIds, rc);
    ASSERT_EQ(rc, kOk);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"version", "class", "point", "tags", "comment", "append"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"210", "3", "12", "0", "5", "7"}));
}

struct ParseCase {
    const char* what;
    std::string bytes;
    int result;
    std::size_t rows;
};

class ParseTableTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTableTest, GivesTheResultAndVisitsOnlySoundFiles) {
    int rc = 0;
    auto rows = parsed(GetParam().bytes, rc);
    EXPECT_EQ(rc, GetParam().result);
    EXPECT_EQ(rows.size(), GetParam().rows);
}

const std::string kHeaderAndRow = scrambledTable({{"id", "name"}, {"1", "a"}});

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseTableTest,
    ::testing::Values(
        ParseCase{"empty file", "", kOk, 0}, ParseCase{"header and row", kHeaderAndRow, kOk, 2},
        ParseCase{"zero lengths between rows are skipped",
                  scrambledRow({"id", "name"}) + std::string(3, '\0') + scrambledRow({"1", "a"}),
                  kOk, 2},
        ParseCase{"cut short inside the last row", test::cutShort(kHeaderAndRow, 2), kDamagedFile,
                  0},
        ParseCase{"trailing zero missing", test::cutShort(kHeaderAndRow, 1), kDamagedFile, 0},
        ParseCase{"a lone length byte", kHeaderAndRow + "\x01", kDamagedFile, 0},
        ParseCase{"one value more than the header",
                  scrambledTable({{"id", "name"}, {"1", "a"}, {"2", "b", "x"}}), kDamagedFile, 0},
        ParseCase{"one value fewer than the header", scrambledTable({{"id", "name"}, {"1"}}),
                  kDamagedFile, 0},
        ParseCase{"length larger than the file", std::string("\xff\xff\x10\x00", 4), kDamagedFile,
                  0}),
    [](const auto& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        }
        return name;
    });

TEST(TableFileTest, EmptyValuesBetweenSeparatorsReadAsEmpty) {
    int rc = 0;
    auto rows = parsed(scrambledTable({{"a", "b", "c"}, {"", "x", ""}}), rc);
    ASSERT_EQ(rc, kOk);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"", "x", ""}));
}

TEST(TableFileTest, TextIsGb18030OnDiskAndUtf8InMemory) {
    // "分类" in GB18030 is B7 D6 C0 E0.
    std::string bytes = scrambledTable({{"name"}, {"\xB7\xD6\xC0\xE0"}});
    int rc = 0;
    auto rows = parsed(bytes, rc);
    ASSERT_EQ(rc, kOk);
    EXPECT_EQ(rows[1][0], "分类");

    std::string written;
    std::vector<std::string_view> header{"name"}, value{"分类"};
    ASSERT_EQ(appendRow(header, written), kOk);
    ASSERT_EQ(appendRow(value, written), kOk);
    EXPECT_EQ(written, bytes);
}

TEST(TableFileTest, RefusesValuesTheFormatCannotCarry) {
    std::string out = "kept";
    for (std::string_view bad : {std::string_view("a\x08"
                                                  "b"),
                                 std::string_view("a\0b", 3)}) {
        std::vector<std::string_view> row{"1", bad};
        EXPECT_EQ(appendRow(row, out), kValueNotStorable);
        EXPECT_EQ(out, "kept");
    }
}

TEST(TableFileTest, RefusesRowsLongerThanTheLengthBytesCanSay) {
    std::string longest(65535, 'x');
    std::string out;
    std::vector<std::string_view> fits{longest};
    ASSERT_EQ(appendRow(fits, out), kOk);
    EXPECT_EQ(out.substr(0, 2), "\xff\xff");
    EXPECT_EQ(out.size(), 65535u + 3);

    std::string tooLong(32768, 'x');
    std::vector<std::string_view> over{tooLong, tooLong};
    std::string refused;
    EXPECT_EQ(appendRow(over, refused), kRowTooLong);
    EXPECT_TRUE(refused.empty());
}

TEST(TableFileTest, ReadResultsFollowTheFileLayer) {
    test::TempDir dir;
    test::FaultyFileSystem fileSystem;
    test::writeBytes(dir / "t", kHeaderAndRow);
    auto ignore = [](std::size_t, RawRow) {};

    EXPECT_EQ(TableFile(fileSystem, dir / "missing").read(ignore), kFileMissing);
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(TableFile(fileSystem, dir / "folder").read(ignore), kFailure);
    fileSystem.failReadsOf = "t";
    fileSystem.readError = EIO;
    EXPECT_EQ(TableFile(fileSystem, dir / "t").read(ignore), kReadError);
    fileSystem.readError = EACCES;
    EXPECT_EQ(TableFile(fileSystem, dir / "t").read(ignore), kCannotOpen);
}

TEST(TableFileTest, ADamagedFileIsSetAsideBeforeItIsReplaced) {
    test::TempDir dir;
    std::string damaged = test::cutShort(kHeaderAndRow, 1);
    test::writeBytes(dir / "kms.cls", damaged);
    TableFile file(platform::realFileSystem(), dir / "kms.cls");
    ASSERT_EQ(file.read([](std::size_t, RawRow) {}), kDamagedFile);

    ASSERT_EQ(file.replace(kHeaderAndRow), kOk);
    EXPECT_EQ(test::readBytes(dir / "kms.cls"), kHeaderAndRow);
    ASSERT_FALSE(file.setAside().empty());
    EXPECT_EQ(file.setAside().parent_path(), dir.path());
    EXPECT_TRUE(file.setAside().filename().string().starts_with("kms.cls.damaged-"));
    EXPECT_EQ(test::readBytes(file.setAside()), damaged);

    // Only once: the next save replaces the new file as usual.
    ASSERT_EQ(file.replace(kHeaderAndRow), kOk);
    EXPECT_TRUE(file.setAside().empty());
}

TEST(TableFileTest, ADamagedFileIsSetAsideInsteadOfDeleted) {
    test::TempDir dir;
    test::writeBytes(dir / "kms.tags", std::string("\x00\x05", 2));
    TableFile file(platform::realFileSystem(), dir / "kms.tags");
    ASSERT_EQ(file.read([](std::size_t, RawRow) {}), kDamagedFile);
    ASSERT_EQ(file.remove(), kOk);
    EXPECT_FALSE(std::filesystem::exists(dir / "kms.tags"));
    EXPECT_EQ(test::readBytes(file.setAside()), std::string("\x00\x05", 2));
}

TEST(TableFileTest, AFailedReplaceLeavesTheOldFileAndSaysSo) {
    test::TempDir dir;
    test::FaultyFileSystem fileSystem;
    test::writeBytes(dir / "kms.cls", kHeaderAndRow);
    fileSystem.failWritesTo = "kms.cls";
    TableFile file(fileSystem, dir / "kms.cls");
    EXPECT_EQ(file.replace("other"), kSaveFailed);
    EXPECT_EQ(test::readBytes(dir / "kms.cls"), kHeaderAndRow);
    fileSystem.failRemovesOf = "kms.cls";
    EXPECT_EQ(file.remove(), kSaveFailed);
    EXPECT_TRUE(std::filesystem::exists(dir / "kms.cls"));
}

TEST(RecordTest, IntegersReadLikeTheOlderPrograms) {
    EXPECT_EQ(parseInteger("42"), 42);
    EXPECT_EQ(parseInteger(" -7x"), -7);
    EXPECT_EQ(parseInteger("", -1), -1);
    EXPECT_EQ(parseInteger("abc", 5), 5);
}

TEST(RecordTest, ValuesStayApartWhenRewritten) {
    Record record(4);
    record.setValue(2, "two");
    record.setValue(0, "zero");
    record.setValue(2, "2");
    record.setValue(3, "three");
    record.setValue(9, "ignored");
    EXPECT_EQ(record.value(0), "zero");
    EXPECT_EQ(record.value(1), "");
    EXPECT_EQ(record.value(2), "2");
    EXPECT_EQ(record.value(3), "three");
    EXPECT_EQ(record.value(9), "");
}

} // namespace
} // namespace tarnel::store
