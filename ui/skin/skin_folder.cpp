#include "ui/skin/skin_folder.h"

#include "platform/ini.h"
#include "store/markup_document.h"

#include <algorithm>
#include <span>

namespace tarnel::ui::skin {
namespace {

constexpr SkinColour kChannelMask = 0xFFFFFF;

SkinColour colourOf(std::string_view value) {
    return static_cast<SkinColour>(platform::profileInt(value)) & kChannelMask;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// An attribute read with atoi; the fallback when it is absent.
int intAttribute(const store::MarkupElement& element, std::string_view name, int fallback) {
    const store::MarkupAttribute* attribute = store::MarkupDocument::attributeOf(element, name);
    return attribute == nullptr ? fallback : platform::profileInt(attribute->value);
}

} // namespace

std::string withForwardSlashes(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::filesystem::path findIgnoringCase(const platform::FileSystem& fileSystem,
                                       const std::filesystem::path& base,
                                       std::string_view relativePath) {
    std::filesystem::path asWritten = base / relativePath;
    if (fileSystem.exists(asWritten)) {
        return asWritten;
    }
    std::filesystem::path found = base;
    for (const std::filesystem::path& part : std::filesystem::path(relativePath)) {
        std::string name = part.string();
        if (fileSystem.exists(found / name) || name == "." || name == "..") {
            found /= name;
            continue;
        }
        int err = 0;
        std::vector<platform::FileSystem::Entry> entries = fileSystem.listDirectory(found, err);
        auto match = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
            return equalIgnoringAsciiCase(entry.name, name);
        });
        if (err != 0 || match == entries.end()) {
            return asWritten;
        }
        found /= match->name;
    }
    return found;
}

SkinFolder::SkinFolder(std::filesystem::path folder, const platform::FileSystem& fileSystem)
    : m_folder(std::move(folder)), m_fileSystem(&fileSystem) {}

SkinProfile SkinFolder::readProfile() const {
    platform::IniFile ini(file(kProfileFile), *m_fileSystem);
    auto text = [&](std::string_view key, std::size_t buffer) {
        return ini.readString(kIntroduceSection, key, "", buffer);
    };
    return {text(kSkinNameKey, kProfileTextBuffer), text(kSkinAuthorKey, kProfileTextBuffer),
            text(kSkinDateTimeKey, kProfileTextBuffer),
            withForwardSlashes(text(kSkinImageKey, kSkinImageBuffer))};
}

SkinColours SkinFolder::readColours() const {
    platform::IniFile ini(file(kColourFile), *m_fileSystem);
    SkinColours colours;
    std::string base = ini.readString(kMainColourSection, kBaseColourKey, "", kBaseColourBuffer);
    if (!base.empty()) {
        colours.base = colourOf(base);
    }
    for (std::size_t i = 0; i < kListColourKeys.size(); ++i) {
        std::string value = ini.readString(kListColourKeys[i].section, kListColourKeys[i].key, "",
                                           kListColourBuffer);
        if (!value.empty()) {
            colours.list.values[i] = colourOf(value);
        }
    }
    return colours;
}

SkinImageNames SkinFolder::readImageNames() const {
    platform::IniFile ini(file(kImagesIniFile), *m_fileSystem);
    SkinImageNames names;
    auto read = [&](std::string_view section, std::span<const std::string_view> keys,
                    std::span<std::string> into) {
        std::vector<std::string> values = ini.readStrings(section, keys, "", kImageFileBuffer);
        for (std::size_t i = 0; i < values.size(); ++i) {
            into[i] = withForwardSlashes(values[i]);
        }
    };
    read(kIconSection, kIconKeys, names.icons);
    read(kBitmapSection, kBitmapKeys, names.bitmaps);
    return names;
}

SkinXml SkinFolder::readSkinXml() const {
    store::MarkupDocument document(*m_fileSystem);
    SkinXml xml;
    xml.result = document.loadFile(file(kSkinXmlFile));
    xml.line = document.failureLine();
    std::vector<const store::MarkupElement*> bitmaps;
    document.findElements(kBitmapElement, nullptr, -1, bitmaps);
    for (const store::MarkupElement* bitmap : bitmaps) {
        const store::MarkupAttribute* path =
            store::MarkupDocument::attributeOf(*bitmap, kPathAttribute);
        if (path == nullptr) {
            continue;
        }
        SkinBitmap& entry = xml.bitmaps.emplace_back();
        entry.path = withForwardSlashes(path->value);
        std::vector<const store::MarkupElement*> children;
        document.descendantsOf(*bitmap, false, children);
        for (const store::MarkupElement* child : children) {
            entry.cuts.push_back(
                {intAttribute(*child, kIdAttribute, -1), intAttribute(*child, kLeftAttribute, 0),
                 intAttribute(*child, kTopAttribute, 0), intAttribute(*child, kWidthAttribute, 0),
                 intAttribute(*child, kHeightAttribute, 0)});
        }
    }
    return xml;
}

SkinDescription SkinFolder::read() const {
    return {readProfile(), readColours(), readImageNames(), readSkinXml()};
}

int SkinFolder::writeListColours(const ListColours& colours) const {
    platform::IniFile ini(file(kColourFile), *m_fileSystem);
    for (std::size_t i = 0; i < kListColourKeys.size(); ++i) {
        int err = ini.writeString(kListColourKeys[i].section, kListColourKeys[i].key,
                                  std::to_string(colours.values[i]));
        if (err != 0) {
            return err;
        }
    }
    return 0;
}

std::filesystem::path SkinFolder::imagePath(std::string_view fileName) const {
    return findIgnoringCase(*m_fileSystem, m_folder / kImagesFolder, fileName);
}

} // namespace tarnel::ui::skin
