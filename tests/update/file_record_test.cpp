#include "tests/support/temp_dir.h"
#include "update/file_record.h"
#include "update/record_file.h"
#include "update/update_format.h"

#include <gtest/gtest.h>

namespace tarnel::update {
namespace {

using test::TempDir;
using test::writeBytes;

std::string field(std::string_view text, std::size_t width) {
    std::string out(text);
    out.resize(width, '\0');
    return out;
}

std::string le32(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
}

std::string recordBytes(std::string_view site, std::string_view target, std::string_view temp,
                        std::uint32_t size = 1234, std::uint32_t version = 211,
                        std::uint32_t keep = 0) {
    return field(site, 64) + field(target, 64) + field(temp, 8) + le32(size) + le32(version) +
           le32(keep);
}

TEST(FileRecordTest, DecodesAndEncodesHandWrittenBytes) {
    // "皮肤\\a.ini" in GB18030: C6 A4 B7 F4 5C 61 2E 69 6E 69.
    std::string bytes =
        recordBytes("a.ini", "\xC6\xA4\xB7\xF4\\a.ini", "12.upt", 0x01020304, 0xFFFFFFFF, 7);
    ASSERT_EQ(bytes.size(), kRecordSize);
    auto record = decodeFileRecord(bytes, RecordOrigin::StateFile);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->siteName, "a.ini");
    EXPECT_EQ(record->target, "皮肤\\a.ini");
    EXPECT_EQ(record->tempName, "12.upt");
    EXPECT_EQ(record->size, 0x01020304);
    EXPECT_EQ(record->version, -1);
    EXPECT_EQ(record->keepWhole, 7);
    EXPECT_EQ(encodeFileRecord(*record), bytes);
    EXPECT_EQ(targetPath("/p", *record), std::filesystem::path("/p/皮肤/a.ini"));

    auto fromSite = decodeFileRecord(bytes, RecordOrigin::SiteList);
    ASSERT_TRUE(fromSite);
    EXPECT_EQ(fromSite->tempName, "");
}

TEST(FileRecordTest, RefusesUnsafeRecords) {
    struct Case {
        const char* why;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty target", recordBytes("a", "", "1.upt")},
        {"absolute", recordBytes("a", "/etc/passwd", "1.upt")},
        {"backslash root", recordBytes("a", "\\x", "1.upt")},
        {"drive", recordBytes("a", "C:x", "1.upt")},
        {"parent", recordBytes("a", "..\\x", "1.upt")},
        {"inner parent", recordBytes("a", "skin\\..\\..\\x", "1.upt")},
        {"slash parent", recordBytes("a", "skin/../../x", "1.upt")},
        {"dot", recordBytes("a", ".\\x", "1.upt")},
        {"empty part", recordBytes("a", "skin\\\\x", "1.upt")},
        {"trailing separator", recordBytes("a", "skin\\", "1.upt")},
        {"work folder", recordBytes("a", "updatework\\x", "1.upt")},
        {"control", recordBytes("a", "x\ny", "1.upt")},
        {"site with slash", recordBytes("a/b", "x", "1.upt")},
        {"site parent", recordBytes("..", "x", "1.upt")},
        {"site empty", recordBytes("", "x", "1.upt")},
        {"site not ascii", recordBytes("\xC6\xA4", "x", "1.upt")},
        {"temp zero", recordBytes("a", "x", "0.upt")},
        {"temp 1000", recordBytes("a", "x", "1000upt")},
        {"temp leading zero", recordBytes("a", "x", "01.upt")},
        {"temp other", recordBytes("a", "x", "1.exe")},
        {"negative size", recordBytes("a", "x", "1.upt", 0xFFFFFFFF)},
        {"site without zero",
         std::string(64, 'a') + field("x", 64) + field("1.upt", 8) + le32(1) + le32(1) + le32(0)},
        {"target without zero",
         field("a", 64) + std::string(64, 'x') + field("1.upt", 8) + le32(1) + le32(1) + le32(0)},
        {"temp without zero",
         field("a", 64) + field("x", 64) + "12345678" + le32(1) + le32(1) + le32(0)},
        {"short", recordBytes("a", "x", "1.upt").substr(0, 147)},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(decodeFileRecord(c.bytes, RecordOrigin::StateFile)) << c.why;
    }
    EXPECT_TRUE(decodeFileRecord(recordBytes("a", "x", "999.upt"), RecordOrigin::StateFile));
}

TEST(RecordFileTest, ASiteListIsTakenWholeOrNotAtAll) {
    TempDir dir;
    RecordFile list(dir / "list");
    std::vector<FileRecord> records;

    writeBytes(dir / "list", recordBytes("a", "x", "") + recordBytes("b", "y", ""));
    ASSERT_TRUE(list.readSiteList(records));
    EXPECT_EQ(records.size(), 2u);

    writeBytes(dir / "list", recordBytes("a", "x", "") + recordBytes("b", "..\\y", ""));
    EXPECT_FALSE(list.readSiteList(records));
    EXPECT_TRUE(records.empty());

    writeBytes(dir / "list", recordBytes("a", "x", "") + "rest");
    EXPECT_FALSE(list.readSiteList(records));

    std::string many;
    for (int i = 0; i < 1000; ++i) {
        many += recordBytes("a", "x", "");
    }
    writeBytes(dir / "list", many);
    EXPECT_FALSE(list.readSiteList(records));
}

TEST(RecordFileTest, AStateFileDropsBadRecordsAndAShortRest) {
    TempDir dir;
    RecordFile state(dir / "Downloadfile.fin");
    writeBytes(dir / "Downloadfile.fin", recordBytes("a", "x", "1.upt") +
                                             recordBytes("b", "/abs", "2.upt") +
                                             recordBytes("c", "z", "3.upt") + "short rest");
    auto records = state.readState();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].siteName, "a");
    EXPECT_EQ(records[1].siteName, "c");

    // Appending drops the rest first, so the new record lands on a record boundary.
    FileRecord added{"d", "w", "4.upt", 1, 2, 0};
    ASSERT_EQ(state.append(added), 0);
    EXPECT_EQ(test::readBytes(dir / "Downloadfile.fin"),
              recordBytes("a", "x", "1.upt") + recordBytes("b", "/abs", "2.upt") +
                  recordBytes("c", "z", "3.upt") + recordBytes("d", "w", "4.upt", 1, 2, 0));
    ASSERT_EQ(state.rewrite({added}), 0);
    EXPECT_EQ(test::readBytes(dir / "Downloadfile.fin"), recordBytes("d", "w", "4.upt", 1, 2, 0));
}

} // namespace
} // namespace tarnel::update
