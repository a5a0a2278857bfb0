#pragma once

#include "platform/file_system.h"
#include "ui/skin/skin_keys.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::ui::skin {

// A colour as the skin files write it: red in the low byte, then green, then blue.
using SkinColour = std::uint32_t;

// The seven list and reading colours, in the order of kListColourKeys.
struct ListColours {
    std::array<SkinColour, 7> values{};

    SkinColour singleRowBackground() const { return values[0]; }
    SkinColour doubleRowBackground() const { return values[1]; }
    SkinColour categoryText() const { return values[2]; }
    SkinColour pointText() const { return values[3]; }
    SkinColour selectedText() const { return values[4]; }
    SkinColour selectedBackground() const { return values[5]; }
    SkinColour readingBackground() const { return values[6]; }

    bool operator==(const ListColours&) const = default;
};

// The default skin's list colours: dark text on light rows. A key missing from a skin's
// "color.ini" (or empty there) takes these, so that no list is ever drawn black on black.
inline constexpr ListColours kDefaultListColours{
    {16777215, 16643827, 8388608, 0, 16777215, 13395507, 16777215}};

// "profile.ini": what the chooser shows. Texts are UTF-8, cut as the file's buffers cut them.
struct SkinProfile {
    std::string name;
    std::string author;
    std::string dateTime;
    // The preview picture, relative to the skin folder ("\" read as "/"); empty when none.
    std::string image;
};

// "color.ini"
struct SkinColours {
    SkinColour base = kDefaultBaseColour;
    ListColours list = kDefaultListColours;
};

// "skin_images.ini": file names inside the "images" folder ("\" read as "/"); empty when the key
// is missing.
struct SkinImageNames {
    std::array<std::string, kIconCount> icons;
    std::array<std::string, kBitmapCount> bitmaps;
};

// One image cut from a picture of "skin.xml"; a width or height of 0 means the picture's own.
struct SkinImageCut {
    int id = -1;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// One "bitmap" element of "skin.xml" and the images cut from it.
struct SkinBitmap {
    // The picture file as written, "\" read as "/"; relative to the program directory.
    std::string path;
    std::vector<SkinImageCut> cuts;
};

// "skin.xml": result is the markup document's (0 read, 1 missing, 2 to 4 unreadable) and line
// the line of a malformed file.
struct SkinXml {
    int result = 0;
    int line = 0;
    std::vector<SkinBitmap> bitmaps;
};

// All four description files of a skin folder.
struct SkinDescription {
    SkinProfile profile;
    SkinColours colours;
    SkinImageNames images;
    SkinXml xml;
};

// One skin folder on disk ("skin/NAME" of the program directory). It reads the four description
// files into plain values and writes the list colours back; it knows nothing of pictures. Every
// call reads the files afresh. The file system must outlive the object.
class SkinFolder {
public:
    explicit SkinFolder(std::filesystem::path folder,
                        const platform::FileSystem& fileSystem = platform::realFileSystem());

    const std::filesystem::path& folder() const { return m_folder; }

    SkinProfile readProfile() const;
    // A missing file or key gives the defaults; an empty BASE_COLOR gives 15780020, an empty
    // list colour the default skin's; a written "0" stays 0.
    SkinColours readColours() const;
    SkinImageNames readImageNames() const;
    SkinXml readSkinXml() const;
    SkinDescription read() const;

    // Writes the seven list and reading colours into "color.ini" in decimal, keeping every other
    // line. 0 or the errno of the first failed write.
    int writeListColours(const ListColours& colours) const;

    // The file of that name in the "images" folder: as written when it exists, else the entry
    // that matches it without regard to ASCII case; the name as written when none does.
    std::filesystem::path imagePath(std::string_view fileName) const;

private:
    std::filesystem::path file(std::string_view name) const { return m_folder / name; }

    std::filesystem::path m_folder;
    const platform::FileSystem* m_fileSystem;
};

// A path read from a skin file or from SkinPath, with every "\" turned into "/".
std::string withForwardSlashes(std::string_view path);

// The relative path resolved inside the base folder: each part as written when it exists, else
// the entry of that folder that equals it without regard to ASCII case; the path as written when
// some part matches nothing.
std::filesystem::path findIgnoringCase(const platform::FileSystem& fileSystem,
                                       const std::filesystem::path& base,
                                       std::string_view relativePath);

} // namespace tarnel::ui::skin
