#include "store/legacy_reader.h"
#include "store/result_codes.h"
#include "tests/store/legacy_fixtures.h"
#include "tests/store/store_fixtures.h"

#include <gtest/gtest.h>

namespace tarnel::store {
namespace {

using test::le32;
using test::olderFile;
using test::olderRecord;

const std::vector<std::string> kCategoryOne = test::olderCategory("1", "0", "0", "0", "A");

TEST(LegacyReaderTest, ReadsTextRecordsWithOffsetsAndDropsTheClosingSeparator) {
    std::string bytes =
        olderFile(201, {kCategoryOne, test::olderCategory("2", "1", "0", "0", "B")});
    LegacyFile file;
    LegacyDamage damage;
    ASSERT_EQ(readLegacyFile(LegacyKind::Category, bytes, file, damage), kOk) << damage.reason;
    EXPECT_TRUE(file.hasHeader);
    EXPECT_EQ(file.version, 201u);
    EXPECT_EQ(file.versionClass, LegacyVersionClass::Text);
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.records[0].fields, kCategoryOne);
    EXPECT_EQ(file.records[0].offset, 12u);
    EXPECT_EQ(file.records[1].offset, 12u + olderRecord(kCategoryOne).size());
    EXPECT_EQ(file.records[1].field(7), "B");
    EXPECT_EQ(file.extraFields, 0u);
}

TEST(LegacyReaderTest, MissingTrailingFieldsAreAbsentAndExtrasAreCounted) {
    std::vector<std::string> shortPoint = {"5", "1", "0", "3", "1", "2", "note"};
    std::vector<std::string> longPoint = test::olderPoint("6", "1", "b", "rtf");
    longPoint.push_back("x");
    longPoint.push_back("y");
    LegacyFile file;
    LegacyDamage damage;
    ASSERT_EQ(
        readLegacyFile(LegacyKind::Point, olderFile(150, {shortPoint, longPoint}), file, damage),
        kOk)
        << damage.reason;
    EXPECT_EQ(file.records[0].field(6), "note");
    EXPECT_EQ(file.records[0].field(7), "");
    EXPECT_EQ(file.records[1].fields.size(), 18u);
    EXPECT_EQ(file.extraFields, 2u);
}

TEST(LegacyReaderTest, AttachmentListsCarryTheirOwnMarker) {
    std::vector<std::string> attachment = {"2", "5", "10", "0", "a.txt", "", "", "", ""};
    LegacyFile file;
    LegacyDamage damage;
    ASSERT_EQ(readLegacyFile(LegacyKind::Attachment, olderFile(201, {attachment}, 0xFFFFFFFFu),
                             file, damage),
              kOk);
    EXPECT_EQ(file.records.size(), 1u);
    // The marker of the other kinds is no attachment list: version 0 without header.
    ASSERT_EQ(readLegacyFile(LegacyKind::Attachment, olderFile(201, {attachment}), file, damage),
              kOk);
    EXPECT_FALSE(file.hasHeader);
    EXPECT_EQ(file.versionClass, LegacyVersionClass::Binary);
}

struct VersionCase {
    std::uint32_t version;
    LegacyVersionClass expected;
};

TEST(LegacyReaderTest, ClassifiesEveryVersionRange) {
    for (VersionCase c : {VersionCase{0, LegacyVersionClass::Binary},
                          {100, LegacyVersionClass::Binary},
                          {110, LegacyVersionClass::Binary},
                          {115, LegacyVersionClass::NotConvertible},
                          {120, LegacyVersionClass::Binary},
                          {121, LegacyVersionClass::Text},
                          {150, LegacyVersionClass::Text},
                          {201, LegacyVersionClass::Text},
                          {202, LegacyVersionClass::NotConvertible},
                          {205, LegacyVersionClass::NotConvertible},
                          {210, LegacyVersionClass::NotConvertible},
                          {211, LegacyVersionClass::Higher}}) {
        EXPECT_EQ(classifyVersion(c.version), c.expected) << c.version;
    }
}

TEST(LegacyReaderTest, BinaryVersionsCountWholeRecordsOfTheTableSize) {
    LegacyFile file;
    LegacyDamage damage;
    std::string header = le32(0) + le32(110);
    ASSERT_EQ(
        readLegacyFile(LegacyKind::Category, header + std::string(2 * 1176, 'x'), file, damage),
        kOk);
    EXPECT_EQ(file.binaryRecords, 2u);
    EXPECT_TRUE(file.records.empty());
    EXPECT_EQ(
        readLegacyFile(LegacyKind::Point, le32(0) + le32(0) + std::string(671, 'x'), file, damage),
        kDamagedFile);
    EXPECT_EQ(damage.record, 1u);
}

struct DamageCase {
    const char* what;
    std::string bytes;
    std::size_t record;
    std::size_t offset;
    std::string reason;
};

std::vector<DamageCase> damageCases() {
    std::string one = olderRecord(kCategoryOne);
    std::string two = olderRecord(test::olderCategory("2", "0", "0", "0", "B"));
    std::string dup = olderRecord(test::olderCategory("1", "0", "0", "0", "C"));
    std::vector<std::string> noName = {"3", "0", "0", "0", "0", "0", "0"};
    std::vector<std::string> badNumber = kCategoryOne;
    badNumber[5] = "12a";
    std::vector<std::string> signedSize = kCategoryOne;
    signedSize[5] = "-3";
    std::string head = le32(0) + le32(201);
    return {
        {"version cut", le32(0) + "\xC9", 0, 4, "文件头不完整"},
        {"count cut", head + "\x01", 0, 8, "文件头不完整"},
        {"count too large", head + le32(100) + one, 0, 8, "记录数(100)超出文件所能容纳"},
        {"record past the end", head + le32(2) + one + two.substr(0, 5), 2, 12 + one.size(),
         "记录超出文件末尾"},
        {"length past the end", head + le32(2) + one + two.substr(0, 1) + "xx", 2, 12 + one.size(),
         "记录超出文件末尾"},
        {"bytes after the records", head + le32(1) + one + std::string(1, '\0'), 2, 12 + one.size(),
         "记录之后还有多余的字节"},
        {"duplicate id", head + le32(2) + one + dup, 2, 12 + one.size(), "重复的ID 1"},
        {"record without its name", head + le32(1) + olderRecord(noName), 1, 12, "记录缺少字段"},
        {"not a number", head + le32(1) + olderRecord(badNumber), 1, 12, "字段6不是数字"},
        {"sign on an unsigned size", head + le32(1) + olderRecord(signedSize), 1, 12,
         "字段6不是数字"},
    };
}

TEST(LegacyReaderTest, DamageNamesRecordOffsetAndReason) {
    for (const DamageCase& c : damageCases()) {
        LegacyFile file;
        LegacyDamage damage;
        EXPECT_EQ(readLegacyFile(LegacyKind::Category, c.bytes, file, damage), kDamagedFile)
            << c.what;
        EXPECT_EQ(damage.record, c.record) << c.what;
        EXPECT_EQ(damage.offset, c.offset) << c.what;
        EXPECT_EQ(damage.reason, c.reason) << c.what;
    }
}

TEST(LegacyReaderTest, EveryCutOfEveryKindIsDamage) {
    struct Kind {
        LegacyKind kind;
        std::string bytes;
    };
    std::vector<Kind> kinds = {
        {LegacyKind::Category, olderFile(201, {kCategoryOne})},
        {LegacyKind::Counters, olderFile(201, {{"3", "10", "4", "2"}})},
        {LegacyKind::Point, olderFile(150, {test::olderPoint("5", "1", "a", "rtf")})},
        {LegacyKind::Comment, olderFile(201, {{"4", "5", "0", "好", "d1", "d2"}})},
        {LegacyKind::Attachment,
         olderFile(201, {{"2", "5", "10", "0", "a.txt", "", "", "", ""}}, 0xFFFFFFFFu)},
    };
    for (const Kind& k : kinds) {
        LegacyFile file;
        LegacyDamage damage;
        ASSERT_EQ(readLegacyFile(k.kind, k.bytes, file, damage), kOk);
        // Below four bytes the marker is not there: a file without header, not damage.
        for (std::size_t cut = 4; cut < k.bytes.size(); ++cut) {
            EXPECT_EQ(readLegacyFile(k.kind, k.bytes.substr(0, cut), file, damage), kDamagedFile)
                << static_cast<int>(k.kind) << " cut at " << cut;
            EXPECT_TRUE(file.records.empty() || cut >= 12);
        }
    }
}

TEST(LegacyReaderTest, StrictNumbers) {
    long long value = 0;
    std::uint64_t size = 0;
    EXPECT_TRUE(parseLegacySigned("-1", value));
    EXPECT_EQ(value, -1);
    EXPECT_TRUE(parseLegacyUnsigned("5000000000", size));
    EXPECT_EQ(size, 5000000000ull);
    for (const char* bad : {"", "-", "+1", " 1", "1 ", "0x1", "99999999999999999999"}) {
        EXPECT_FALSE(parseLegacySigned(bad, value)) << bad;
    }
    EXPECT_FALSE(parseLegacyUnsigned("-1", size));
}

} // namespace
} // namespace tarnel::store
