#include "lustra/image_info.h"
#include "lustra/image_loader.h"
#include "lustra/image_mgr.h"
#include "lustra/string_copy.h"
#include "tests/lustra/pixel_compare.h"
#include "tests/support/temp_dir.h"

#include <QImage>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace LUSTRA {
namespace {

using tarnel::test::buildImage;
using tarnel::test::samePixels;
using tarnel::test::TempDir;
using tarnel::test::writeBytes;

std::string le32(unsigned value) {
    return {char(value & 0xff), char((value >> 8) & 0xff), char((value >> 16) & 0xff),
            char(value >> 24)};
}
std::string le16(unsigned value) {
    return {char(value & 0xff), char(value >> 8)};
}

// A 2 x 2 24-bit bitmap file: rows bottom-up, blue green red, each row padded to 4 bytes.
std::string twoByTwoBmp() {
    std::string bytes = "BM" + le32(70) + le32(0) + le32(54);
    bytes += le32(40) + le32(2) + le32(2) + le16(1) + le16(24) + le32(0) + le32(16) + le32(2835) +
             le32(2835) + le32(0) + le32(0);
    bytes += std::string("\x00\x00\xff"
                         "\x00\xff\x00"
                         "\x00\x00",
                         8); // bottom: red, green
    bytes += std::string("\xff\x00\x00"
                         "\xff\xff\xff"
                         "\x00\x00",
                         8); // top: blue, white
    return bytes;
}

QImage expectedTwoByTwo() {
    const QRgb colors[2][2] = {{0xff0000ff, 0xffffffff}, {0xffff0000, 0xff00ff00}};
    return buildImage(2, 2, [&](int x, int y) { return colors[y][x]; });
}

TEST(LoadBmpFromFileTest, ReadsABitmapFileAsPremultipliedPixels) {
    TempDir dir;
    const std::string path = (dir / "图片 two.bmp").string();
    writeBytes(path, twoByTwoBmp());
    std::unique_ptr<QImage> bitmap(LoadBmpFromFile(path.c_str()));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_TRUE(samePixels(*bitmap, expectedTwoByTwo(), "bmp_file"));
}

TEST(LoadBmpFromFileTest, UnreadableFilesGiveAnEmptyPictureNotANullPointer) {
    TempDir dir;
    QImage good(4, 4, QImage::Format_ARGB32);
    good.fill(0xff00ff00);
    const std::string pngPath = (dir / "cut.png").string();
    ASSERT_TRUE(good.save(QString::fromStdString(pngPath)));
    const std::string png = tarnel::test::readBytes(pngPath);
    writeBytes(pngPath, png.substr(0, 30));
    writeBytes(dir / "text.png", "not a picture");
    const std::string longName(600, 'n');
    const std::string paths[] = {pngPath, (dir / "text.png").string(),
                                 (dir / "missing.png").string(), (dir / longName).string(), ""};
    for (const std::string& path : paths) {
        std::unique_ptr<QImage> bitmap(LoadBmpFromFile(path.c_str()));
        ASSERT_NE(bitmap, nullptr) << path;
        EXPECT_EQ(bitmap->width(), 0) << path;
        EXPECT_EQ(bitmap->height(), 0) << path;
    }
    std::unique_ptr<QImage> none(LoadBmpFromFile(nullptr));
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->isNull());
}

TEST(LoadBmpFromFileTest, PathsAreNotCutAt511Bytes) {
    TempDir dir;
    std::filesystem::path deep = dir.path();
    while (deep.string().size() < 600) {
        deep /= std::string(60, 'd');
    }
    std::filesystem::create_directories(deep);
    writeBytes(deep / "two.bmp", twoByTwoBmp());
    std::unique_ptr<QImage> bitmap(LoadBmpFromFile((deep / "two.bmp").string().c_str()));
    EXPECT_TRUE(samePixels(*bitmap, expectedTwoByTwo(), "long_path"));
}

TEST(LoadImageFromResTest, TheFourControlPicturesAreCompiledIn) {
    for (unsigned id : {1005u, 1006u, 1007u, 1008u}) {
        std::unique_ptr<QImage> bitmap(LoadImageFromRes(id, "PNG"));
        ASSERT_NE(bitmap, nullptr) << id;
        EXPECT_EQ(bitmap->size(), QSize(16, 16)) << id;
        EXPECT_EQ(bitmap->format(), QImage::Format_ARGB32_Premultiplied) << id;
        EXPECT_EQ(qAlpha(bitmap->pixel(0, 0)), 0) << id << " has a transparent corner";
        EXPECT_EQ(qAlpha(bitmap->pixel(8, 8)), 255) << id << " is opaque at its centre";
    }
    std::unique_ptr<QImage> collapsed(LoadImageFromRes(1005, "PNG"));
    std::unique_ptr<QImage> expanded(LoadImageFromRes(1006, "PNG"));
    EXPECT_NE(collapsed->pixel(8, 6), expanded->pixel(8, 6)) << "the plus has a vertical bar";
    EXPECT_EQ(LoadImageFromRes(1009, "PNG"), nullptr);
    EXPECT_EQ(LoadImageFromRes(1005, "BMP"), nullptr);
    EXPECT_EQ(LoadImageFromRes(1005, nullptr), nullptr);
}

TEST(InitImageInfoTest, CoversTheWholePictureOrIsAllZeros) {
    QImage picture(7, 3, QImage::Format_ARGB32_Premultiplied);
    std::unique_ptr<ST_IMG_INFO> info(InitImageInfo(&picture));
    EXPECT_EQ(info->pBitmap, &picture);
    EXPECT_EQ(info->nLeft, 0);
    EXPECT_EQ(info->nTop, 0);
    EXPECT_EQ(info->nWidth, 7);
    EXPECT_EQ(info->nHeight, 3);
    EXPECT_EQ(info->nLeftFixed, 0);
    EXPECT_EQ(info->nRightFixed, 0);
    std::unique_ptr<ST_IMG_INFO> none(InitImageInfo(nullptr));
    EXPECT_EQ(none->pBitmap, nullptr);
    EXPECT_EQ(none->nWidth, 0);
    EXPECT_EQ(none->nHeight, 0);

    TempDir dir;
    writeBytes(dir / "two.bmp", twoByTwoBmp());
    std::unique_ptr<ST_IMG_INFO> fromFile(InitImageInfoFromFile((dir / "two.bmp").c_str()));
    std::unique_ptr<QImage> owned(fromFile->pBitmap);
    EXPECT_EQ(fromFile->nWidth, 2);
    EXPECT_EQ(fromFile->nHeight, 2);
}

TEST(CImageMgrTest, KeepsTheFirstRecordOfAnIdAndLetsTheCallerFreeTheOther) {
    CImageMgr manager;
    auto* first = new ST_IMG_INFO;
    auto* second = new ST_IMG_INFO;
    EXPECT_TRUE(manager.AddImageInfo(-1, first));
    EXPECT_FALSE(manager.AddImageInfo(-1, second));
    delete second;
    EXPECT_FALSE(manager.AddImageInfo(4, nullptr));
    EXPECT_EQ(manager.GetImgByItemID(-1), first);
    EXPECT_EQ(manager.GetImgByItemID(4), nullptr);
    EXPECT_EQ(manager.GetImgByItemID(0), nullptr);
    auto* big = new ST_IMG_INFO;
    EXPECT_TRUE(manager.AddImageInfo(2147483647, big));
    EXPECT_EQ(manager.GetImgByItemID(2147483647), big);
}

TEST(CImageMgrTest, APathIsLoadedOnceAndSharedByEveryCaller) {
    TempDir dir;
    writeBytes(dir / "two.bmp", twoByTwoBmp());
    const std::string path = (dir / "two.bmp").string();
    CImageMgr manager;
    QImage* stored = manager.AddBitmap(path.c_str());
    ASSERT_NE(stored, nullptr);
    auto* record = InitImageInfo(stored);
    ASSERT_TRUE(manager.AddImageInfo(3, record));
    writeBytes(dir / "two.bmp", "changed on disk");
    EXPECT_EQ(manager.AddBitmap(path.c_str()), stored);
    EXPECT_EQ(manager.GetImgByItemID(3)->pBitmap, stored);
    EXPECT_EQ(stored->size(), QSize(2, 2));
    EXPECT_EQ(manager.GetBitmapByPath(path.c_str()), stored);
    EXPECT_EQ(manager.GetBitmapByPath((path + "x").c_str()), nullptr);
    EXPECT_EQ(manager.GetBitmapByPath(nullptr), nullptr);
    EXPECT_EQ(manager.AddBitmap(nullptr), nullptr);

    QImage* missing = manager.AddBitmap((dir / "missing.png").c_str());
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->isNull());
    EXPECT_EQ(manager.GetBitmapByPath((dir / "missing.png").c_str()), missing);
    EXPECT_EQ(manager.GetBitmapByPath((dir / "TWO.bmp").c_str()), nullptr);
}

TEST(CImageMgrTest, TheInstanceIsCreatedOnceOrTakenFromTheProgram) {
    CImageMgr* previous = CImageMgr::m_pInstance;
    CImageMgr::m_pInstance = nullptr;
    CImageMgr* created = CImageMgr::GetInstance();
    EXPECT_NE(created, nullptr);
    EXPECT_EQ(CImageMgr::GetInstance(), created);
    delete created;
    CImageMgr own;
    CImageMgr::m_pInstance = &own;
    EXPECT_EQ(CImageMgr::GetInstance(), &own);
    CImageMgr::m_pInstance = previous;
}

TEST(MallocStringTest, CopiesReplacesAndFrees) {
    char* copy = MallocString("分类 A");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "分类 A");
    EXPECT_EQ(MallocString(nullptr), nullptr);
    char* target = MallocString("old");
    EXPECT_TRUE(MallocString("new", target));
    EXPECT_STREQ(target, "new");
    EXPECT_FALSE(MallocString(nullptr, target));
    EXPECT_EQ(target, nullptr);
    EXPECT_TRUE(MallocString("", target));
    EXPECT_STREQ(target, "");
    FreeString(target);
    EXPECT_EQ(target, nullptr);
    FreeString(target);
    FreeString(copy);
}

} // namespace
} // namespace LUSTRA
