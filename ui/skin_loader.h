#pragma once

#include "platform/file_system.h"
#include "ui/main_image_list.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin_picture_table.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace LUSTRA {
class CImageMgr;
}

namespace tarnel::ui {

// What one load of a skin did.
struct SkinLoadResult {
    // False after any failure; every failed picture then shows the built-in one.
    bool ok = true;
    // The message naming the first failure, empty when there was none.
    std::string message;
    // The skin's colours: its base colour and its list and reading colours.
    skin::SkinColours colours;
};

// Loads one skin folder into the image manager, the main image list and the skin picture table,
// in this order: the colours, "skin.xml", the icons, the pictures. Every load starts from the
// built-in copy of the default skin (a folder laid out as a skin folder, normally the program's
// resources), so a skin looks the same whatever was loaded before it, and anything a skin lacks
// or cannot give shows the built-in picture or icon instead. Paths resolve against the program
// directory, never the current directory. User-interface thread only.
class SkinLoader {
public:
    static constexpr const char* kBuiltInRoot = ":/skin/default";

    static constexpr const char* kPictureFailed =
        "加载图片:%1 失败!标识:%2\n\n已改用默认皮肤的图片,请检查此文件!";
    static constexpr const char* kSkinXmlFailed =
        "读取皮肤文件:%1 失败(第%2行)!\n\n已改用默认皮肤的图片,请检查此文件!";
    static constexpr const char* kSkinMissing = "皮肤不存在:%1\n\n已改用默认皮肤!";
    // The key a picture of "skin.xml" is named by in a message.
    static constexpr const char* kSkinXmlPictureKey = "bitmap";

    struct Targets {
        LUSTRA::CImageMgr& images;
        MainImageList& icons;
        SkinPictureTable& pictures;
    };

    // fileSystem must outlive the loader; it must answer paths inside builtInRoot (see
    // ResourceFileSystem for the resources). The loader reads each description file once in its
    // life: make one for each load.
    SkinLoader(const platform::FileSystem& fileSystem, std::filesystem::path programDirectory,
               std::filesystem::path builtInRoot = kBuiltInRoot);
    ~SkinLoader();

    // skinPath as SkinPath holds it ("skin/NAME", "\" read as "/"; empty means "skin/default").
    // A path naming no folder loads "skin/default" with a message; a missing "skin/default" loads
    // the built-in copy silently.
    SkinLoadResult load(std::string_view skinPath, Targets targets) const;

private:
    struct Source;
    struct BuiltIn;
    class ReadOnce;

    Source locate(std::string_view skinPath, SkinLoadResult& result) const;
    const BuiltIn& builtIn() const;
    // The bitmaps of "skin.xml", each path resolved to the file it names.
    std::vector<skin::SkinBitmap> resolved(const Source& source, skin::SkinXml xml) const;
    void registerBitmaps(const std::vector<skin::SkinBitmap>& bitmaps, LUSTRA::CImageMgr& images,
                         SkinLoadResult* result) const;
    void loadIcons(const Source& source, const skin::SkinImageNames& names,
                   MainImageList& icons) const;
    void loadPictures(const Source& source, const skin::SkinImageNames& names, Targets targets,
                      SkinLoadResult& result) const;
    std::filesystem::path resolveXmlPath(const Source& source, std::string_view path) const;

    std::unique_ptr<ReadOnce> m_readOnce;
    const platform::FileSystem& m_fileSystem;
    std::filesystem::path m_programDirectory;
    std::filesystem::path m_builtInRoot;
};

} // namespace tarnel::ui
