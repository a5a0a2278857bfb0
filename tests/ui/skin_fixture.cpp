#include "tests/ui/skin_fixture.h"

#include "platform/codepage.h"
#include "tests/support/temp_dir.h"
#include "ui/skin/skin_keys.h"

#include <QIcon>
#include <QPixmap>
#include <memory>
#include <sstream>

namespace tarnel::test {

namespace fs = std::filesystem;
using namespace ui::skin;

QColor pictureColour(int seed, int slot) {
    return QColor((seed * 37) % 256, slot * 2, 255 - (seed * 11) % 128);
}

QColor iconColour(int seed, int index) {
    return QColor(255 - (seed * 37) % 256, 128 + index * 4, (seed * 11) % 128);
}

namespace {

void writeSolid(const fs::path& file, int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(QString::fromStdString(file.string()), "PNG");
}

} // namespace

void writeTestSkin(const fs::path& folder, const TestSkin& skin) {
    fs::create_directories(folder / kImagesFolder);
    const std::string skinPath =
        skin.skinPath.empty() ? "skin/" + folder.filename().string() : skin.skinPath;
    writeBytes(folder / kProfileFile,
               platform::utf8ToGb("[INTRODUCE]\r\nSKIN_NAME=" + skin.name + "\r\nSKIN_AUTHOR=作者" +
                                  std::to_string(skin.seed) +
                                  "\r\nSKIN_DATETIME=2026-01-02\r\nSKIN_IMAGE=preview.png\r\n"));
    if (skin.writeColours) {
        writeBytes(folder / kColourFile,
                   "[MAIN_COLOR]\r\nBASE_COLOR=" + std::to_string(skin.base) + "\r\n");
    }
    std::ostringstream images;
    std::ostringstream xml;
    images << "[ICON]\r\n";
    for (std::size_t i = 0; i < kIconKeys.size(); ++i) {
        std::string file = std::string(kIconKeys[i]) + ".png";
        images << kIconKeys[i] << "=" << file << "\r\n";
        writeSolid(folder / kImagesFolder / file, 16, 16,
                   iconColour(skin.seed, static_cast<int>(i)));
    }
    images << "[BITMAP]\r\n";
    xml << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<skin>\r\n";
    for (std::size_t i = 0; i < kBitmapKeys.size(); ++i) {
        std::string file = std::string(kBitmapKeys[i]) + ".png";
        images << kBitmapKeys[i] << "=" << file << "\r\n";
        xml << "<bitmap path=\"" << skinPath << "/images/" << file << "\">\r\n  <image id=\"" << i
            << "\"/>\r\n</bitmap>\r\n";
        writeSolid(folder / kImagesFolder / file, 4, 4,
                   pictureColour(skin.seed, static_cast<int>(i)));
    }
    xml << "</skin>\r\n";
    writeBytes(folder / kImagesIniFile, images.str());
    writeBytes(folder / kSkinXmlFile, xml.str());
    writeSolid(folder / "preview.png", 40, 30, pictureColour(skin.seed, 0));
}

const fs::path& sharedBuiltInSkin() {
    static const std::unique_ptr<TempDir> dir = [] {
        auto made = std::make_unique<TempDir>();
        TestSkin skin(kBuiltInSeed, "默认皮肤");
        skin.skinPath = "skin/default";
        writeTestSkin(*made / "default", skin);
        return made;
    }();
    static const fs::path root = *dir / "default";
    return root;
}

QColor iconPixel(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
}

QColor centrePixel(const QImage& picture) {
    return picture.pixelColor(picture.width() / 2, picture.height() / 2);
}

} // namespace tarnel::test
