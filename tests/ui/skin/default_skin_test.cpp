#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tools/skin_generator/picture_plan.h"
#include "ui/skin/default_skin_resource.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin/skin_keys.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace tarnel::ui::skin {
namespace {

namespace fs = std::filesystem;

const fs::path kProgramDir = TARNEL_PROGRAM_DIR;
const fs::path kSkinDir = kProgramDir / "skin/default";
const fs::path kSources = TARNEL_DEFAULT_SKIN_SOURCES;

QImage pictureOf(std::string_view key) {
    QImageReader reader(QString::fromStdString((kSkinDir / "images" / key).string() + ".png"));
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

std::map<std::string, QImage> allPictures() {
    std::map<std::string, QImage> pictures;
    for (std::string_view key : kIconKeys) {
        pictures.emplace(key, pictureOf(key));
    }
    for (std::string_view key : kBitmapKeys) {
        pictures.emplace(key, pictureOf(key));
    }
    return pictures;
}

QSize expectedSize(std::string_view key) {
    if (key.starts_with("IMG_MIN") || key.starts_with("IMG_MAX_F") || key == "IMG_MAX" ||
        key.starts_with("IMG_CLOSE")) {
        return {24, 20};
    }
    if (key == "IMG_EXPAND" || key == "IMG_COLLAPSE") {
        return {9, 9};
    }
    if (key.starts_with("IMG_CHECK_")) {
        return {13, 13};
    }
    if (key == "IMG_BIG_WARNING_TIP") {
        return {32, 32};
    }
    if (key.starts_with("IMG_READ_PANE_")) {
        return {16, 24};
    }
    return {16, 16};
}

bool oneColour(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(0, 0)) {
                return false;
            }
        }
    }
    return true;
}

bool grey(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel)) {
                return false;
            }
        }
    }
    return true;
}

bool declaredAlias(const std::string& a, const std::string& b) {
    for (const skingen::Alias& alias : skingen::declaredAliases()) {
        if ((alias.key == a && alias.drawnAs == b) || (alias.key == b && alias.drawnAs == a)) {
            return true;
        }
    }
    return false;
}

// Every file below the folder, by its path relative to it.
std::map<std::string, std::string> filesBelow(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.emplace(fs::relative(entry.path(), folder).generic_string(),
                          test::readBytes(entry.path()));
        }
    }
    return files;
}

// The chunk types of a PNG file, each once, in the order they first appear.
std::string pngChunks(const std::string& png) {
    std::string types;
    for (std::size_t at = 8; at + 8 <= png.size();) {
        auto byte = [&](std::size_t i) { return static_cast<unsigned char>(png[at + i]); };
        std::size_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        std::string type = png.substr(at + 4, 4) + " ";
        if (types.find(type) == std::string::npos) {
            types += type;
        }
        at += 12 + length;
    }
    return types;
}

test::ProcessResult generate(const fs::path& sources, const fs::path& output) {
    return test::runProcess(
        TARNEL_SKIN_GENERATOR, {sources.string(), output.string(), (output / "skin.qrc").string()},
        {}, {}, {{"QT_QPA_PLATFORM", "offscreen"}, {"ASAN_OPTIONS", "detect_leaks=0"}});
}

TEST(DefaultSkinTest, TheBuiltFolderReadsWhole) {
    SkinDescription skin = SkinFolder(kSkinDir).read();
    EXPECT_EQ(skin.profile.name, "默认皮肤");
    EXPECT_FALSE(skin.profile.author.empty());
    EXPECT_FALSE(skin.profile.dateTime.empty());
    EXPECT_EQ(skin.profile.image, "preview.png");
    EXPECT_FALSE(QImage(QString::fromStdString((kSkinDir / "preview.png").string())).isNull());
    EXPECT_EQ(skin.colours.base, kDefaultBaseColour);
    EXPECT_EQ(skin.colours.list, kDefaultListColours);
    for (std::size_t i = 0; i < kIconCount; ++i) {
        EXPECT_EQ(skin.images.icons[i], std::string(kIconKeys[i]) + ".png");
    }
    ASSERT_EQ(skin.xml.result, 0);
    ASSERT_EQ(skin.xml.bitmaps.size(), std::size_t{kBitmapCount});
    for (std::size_t id = 0; id < kBitmapCount; ++id) {
        std::string file = std::string(kBitmapKeys[id]) + ".png";
        EXPECT_EQ(skin.images.bitmaps[id], file);
        const SkinBitmap& bitmap = skin.xml.bitmaps[id];
        EXPECT_EQ(bitmap.path, "skin/default/images/" + file);
        EXPECT_TRUE(fs::exists(kProgramDir / bitmap.path)) << bitmap.path;
        ASSERT_EQ(bitmap.cuts.size(), 1u);
        EXPECT_EQ(bitmap.cuts[0].id, static_cast<int>(id));
        EXPECT_EQ(bitmap.cuts[0].width, 0);
    }
}

TEST(DefaultSkinTest, EveryPictureHasItsSizeAndItsOwnLook) {
    std::map<std::string, QImage> pictures = allPictures();
    for (const auto& [key, picture] : pictures) {
        ASSERT_FALSE(picture.isNull()) << key;
        EXPECT_EQ(picture.size(), expectedSize(key)) << key;
        EXPECT_FALSE(oneColour(picture)) << key;
        for (const auto& [other, otherPicture] : pictures) {
            if (other < key && picture == otherPicture) {
                EXPECT_TRUE(declaredAlias(key, other)) << key << " looks like " << other;
            }
        }
    }
    for (const skingen::Alias& alias : skingen::declaredAliases()) {
        EXPECT_EQ(pictures.at(std::string(alias.key)), pictures.at(std::string(alias.drawnAs)));
    }
    for (std::string_view key : kBitmapKeys) {
        std::string name(key);
        if (name.ends_with("_DIS")) {
            const QImage& base = pictures.at(name.substr(0, name.size() - 4));
            EXPECT_NE(pictures.at(name), base) << key;
            EXPECT_TRUE(grey(pictures.at(name))) << key;
            EXPECT_FALSE(grey(base)) << key;
        }
        if (name.ends_with("_FOCUS") && name != "IMG_READ_PANE_FOCUS") {
            EXPECT_NE(pictures.at(name), pictures.at(name.substr(0, name.size() - 6))) << key;
        }
    }
}

TEST(DefaultSkinTest, TheGeneratorWritesTheSameBytesEachRunAndRefusesAKeyWithoutDrawing) {
    test::TempDir first;
    test::TempDir second;
    ASSERT_EQ(generate(kSources, first.path()).exitCode, 0);
    ASSERT_EQ(generate(kSources, second.path()).exitCode, 0);
    fs::remove(first / "skin.qrc");
    fs::remove(second / "skin.qrc");
    std::map<std::string, std::string> files = filesBelow(first.path());
    EXPECT_EQ(files.size(), 5u + kIconCount + kBitmapCount);
    EXPECT_TRUE(files == filesBelow(second.path()));
    EXPECT_TRUE(files == filesBelow(kSkinDir));
    for (const auto& [name, bytes] : files) {
        if (name.ends_with(".png")) {
            EXPECT_EQ(pngChunks(bytes), "IHDR pHYs IDAT IEND ")
                << name << ": no time, text or gamma";
        }
    }

    test::TempDir sources;
    fs::copy(kSources, sources.path());
    fs::remove(sources / "img_cut.svg");
    test::writeBytes(sources / "img_unused.svg", test::readBytes(kSources / "img_save.svg"));
    test::ProcessResult refused = generate(sources.path(), second.path());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("IMG_CUT: no drawing"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("IMG_CUT_DIS: no drawing"), std::string::npos);
    EXPECT_NE(refused.err.find("img_unused.svg is the drawing of no key"), std::string::npos);
    EXPECT_TRUE(files == filesBelow(second.path())) << "a refused run leaves the folder alone";
}

TEST(DefaultSkinTest, TheBuiltInCopyHoldsTheFolder) {
    initDefaultSkinResource();
    std::map<std::string, std::string> resources;
    QDirIterator it(":/skin/default", QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        resources.emplace(
            file.fileName().mid(QStringLiteral(":/skin/default/").size()).toStdString(),
            file.readAll().toStdString());
    }
    EXPECT_TRUE(resources == filesBelow(kSkinDir));
    EXPECT_EQ(resources.size(), 5u + kIconCount + kBitmapCount);
}

} // namespace
} // namespace tarnel::ui::skin
