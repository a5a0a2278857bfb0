#include "ui/skin_loader.h"

#include "lustra/image_mgr.h"
#include "store/markup_document.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QString>
#include <map>
#include <memory>
#include <set>

namespace tarnel::ui {

using skin::kBitmapCount;
using skin::kIconCount;

namespace {

constexpr int kIconSize = 16;

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

// The picture of a file, whatever its name says: the format is told by the bytes. A null image
// when no reader knows them or they are damaged.
QImage decodePicture(const std::filesystem::path& path) {
    QImageReader reader(qtPath(path));
    reader.setDecideFormatFromContent(true);
    QImage picture;
    if (!reader.read(&picture)) {
        return {};
    }
    return picture;
}

QIcon loadIcon(const std::filesystem::path& path) {
    QPixmap pixmap = QIcon(qtPath(path)).pixmap(kIconSize, kIconSize);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

// The picture of "skin.xml" stored under that path. A picture stored null (unreadable when it
// was first asked for) is read again, in place, since the file may have been repaired. Null
// only when no picture could be allocated; a null image when the file cannot be read.
QImage* managedPicture(LUSTRA::CImageMgr& images, const std::string& key) {
    QImage* picture = images.GetBitmapByPath(key.c_str());
    if (!picture) {
        return images.AddBitmap(key.c_str());
    }
    if (picture->isNull()) {
        QImage again = decodePicture(key);
        if (!again.isNull()) {
            *picture = again.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
    }
    return picture;
}

// An id already registered keeps its record, which takes the new fields: whoever holds the
// record draws the new picture at its next paint.
void registerCut(LUSTRA::CImageMgr& images, QImage* picture, const skin::SkinImageCut& cut) {
    LUSTRA::ST_IMG_INFO fields;
    fields.pBitmap = picture;
    fields.nLeft = cut.left;
    fields.nTop = cut.top;
    fields.nWidth = cut.width != 0 ? cut.width : picture->width();
    fields.nHeight = cut.height != 0 ? cut.height : picture->height();
    if (LUSTRA::ST_IMG_INFO* existing = images.GetImgByItemID(cut.id)) {
        *existing = fields;
        return;
    }
    auto* record = new LUSTRA::ST_IMG_INFO(fields);
    if (!images.AddImageInfo(cut.id, record)) {
        delete record;
    }
}

void noteFailure(SkinLoadResult& result, const QString& message) {
    if (result.ok) {
        result.message = message.toStdString();
    }
    result.ok = false;
}

QString pictureFailure(const std::filesystem::path& path, std::string_view key) {
    return QString::fromUtf8(SkinLoader::kPictureFailed)
        .arg(qtPath(path), QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
}

} // namespace

// The folder a load reads, and the skin path its "skin.xml" names its own pictures under.
struct SkinLoader::Source {
    skin::SkinFolder folder;
    std::string skinPath;
    bool isBuiltIn = false;
};

// The built-in copy, decoded once per run: it cannot change while the program runs.
struct SkinLoader::BuiltIn {
    std::array<QIcon, kIconCount> icons;
    std::array<QImage, kBitmapCount> pictures;
    // Its "skin.xml", the picture paths resolved.
    std::vector<skin::SkinBitmap> bitmaps;
};

// A skin's folders and files do not change while it loads, and a load asks for the same ones
// many times: the profile functions read a file afresh for every key (139 keys of
// "skin_images.ini"), and every picture's name is looked up in its folder. Each file is read
// once and each folder listed once.
class SkinLoader::ReadOnce : public platform::FileSystem {
public:
    explicit ReadOnce(const platform::FileSystem& files) : m_files(files) {}

    // Split by hand: a load asks this for every picture, and parsing the path costs more than
    // the lookup.
    bool exists(const std::filesystem::path& path) const override {
        const std::string& text = path.native();
        const std::size_t slash = text.rfind('/');
        const std::string_view name = slash == std::string::npos
                                          ? std::string_view(text)
                                          : std::string_view(text).substr(slash + 1);
        if (slash == std::string::npos || name.empty() || name == "." || name == "..") {
            return m_files.exists(path);
        }
        const Listing& listing = listingOf(text.substr(0, slash == 0 ? 1 : slash));
        return listing.err == 0 ? listing.names.contains(name) : m_files.exists(path);
    }
    bool isDirectory(const std::filesystem::path& path) const override {
        return m_files.isDirectory(path);
    }
    bool isRegularFile(const std::filesystem::path& path) const override {
        return m_files.isRegularFile(path);
    }
    std::vector<Entry> listDirectory(const std::filesystem::path& path, int& err) const override {
        const Listing& listing = listingOf(path.native());
        err = listing.err;
        return listing.entries;
    }
    int readFile(const std::filesystem::path& path, std::string& out) const override {
        auto [read, fresh] = m_reads.try_emplace(path.string());
        if (fresh) {
            read->second.err = m_files.readFile(path, read->second.bytes);
        }
        out = read->second.bytes;
        return read->second.err;
    }

private:
    struct Read {
        int err = 0;
        std::string bytes;
    };
    struct Listing {
        int err = 0;
        std::vector<Entry> entries;
        std::set<std::string, std::less<>> names;
    };

    const Listing& listingOf(const std::string& folder) const {
        auto [listing, fresh] = m_listings.try_emplace(folder);
        if (fresh) {
            listing->second.entries = m_files.listDirectory(folder, listing->second.err);
            for (const Entry& entry : listing->second.entries) {
                listing->second.names.insert(entry.name);
            }
        }
        return listing->second;
    }

    const platform::FileSystem& m_files;
    mutable std::map<std::string, Read> m_reads;
    mutable std::map<std::string, Listing> m_listings;
};

SkinLoader::SkinLoader(const platform::FileSystem& fileSystem,
                       std::filesystem::path programDirectory, std::filesystem::path builtInRoot)
    : m_readOnce(std::make_unique<ReadOnce>(fileSystem)), m_fileSystem(*m_readOnce),
      m_programDirectory(std::move(programDirectory)), m_builtInRoot(std::move(builtInRoot)) {}

SkinLoader::~SkinLoader() = default;

const SkinLoader::BuiltIn& SkinLoader::builtIn() const {
    static std::map<std::string, std::unique_ptr<BuiltIn>> decoded;
    std::unique_ptr<BuiltIn>& slot = decoded[m_builtInRoot.string()];
    if (slot) {
        return *slot;
    }
    slot = std::make_unique<BuiltIn>();
    skin::SkinFolder folder(m_builtInRoot, m_fileSystem);
    skin::SkinImageNames names = folder.readImageNames();
    for (std::size_t i = 0; i < kIconCount; ++i) {
        slot->icons[i] = loadIcon(folder.imagePath(names.icons[i]));
    }
    for (std::size_t i = 0; i < kBitmapCount; ++i) {
        slot->pictures[i] = decodePicture(folder.imagePath(names.bitmaps[i]));
    }
    const Source source{folder, std::string(skin::kDefaultSkinPath), true};
    slot->bitmaps = resolved(source, folder.readSkinXml());
    return *slot;
}

SkinLoader::Source SkinLoader::locate(std::string_view skinPath, SkinLoadResult& result) const {
    std::string wanted = skin::withForwardSlashes(skinPath);
    if (wanted.empty()) {
        wanted = skin::kDefaultSkinPath;
    }
    std::filesystem::path folder = skin::findIgnoringCase(m_fileSystem, m_programDirectory, wanted);
    if (m_fileSystem.isDirectory(folder)) {
        return {skin::SkinFolder(folder, m_fileSystem), wanted};
    }
    const std::string defaultPath(skin::kDefaultSkinPath);
    if (wanted != defaultPath) {
        noteFailure(result, QString::fromUtf8(kSkinMissing)
                                .arg(QString::fromUtf8(skinPath.data(),
                                                       static_cast<qsizetype>(skinPath.size()))));
        std::filesystem::path fallback =
            skin::findIgnoringCase(m_fileSystem, m_programDirectory, defaultPath);
        if (m_fileSystem.isDirectory(fallback)) {
            return {skin::SkinFolder(fallback, m_fileSystem), defaultPath};
        }
    }
    return {skin::SkinFolder(m_builtInRoot, m_fileSystem), defaultPath, true};
}

SkinLoadResult SkinLoader::load(std::string_view skinPath, Targets targets) const {
    SkinLoadResult result;
    const BuiltIn& original = builtIn();
    Source source = locate(skinPath, result);
    result.colours = source.folder.readColours();

    registerBitmaps(original.bitmaps, targets.images, nullptr);
    if (!source.isBuiltIn) {
        skin::SkinXml xml = source.folder.readSkinXml();
        if (xml.result == store::kMarkupOk) {
            registerBitmaps(resolved(source, std::move(xml)), targets.images, &result);
        } else if (xml.result != store::kMarkupFileMissing) {
            noteFailure(result, QString::fromUtf8(kSkinXmlFailed)
                                    .arg(qtPath(source.folder.folder() / skin::kSkinXmlFile))
                                    .arg(xml.line));
        }
    }
    skin::SkinImageNames names = source.folder.readImageNames();
    loadIcons(source, names, targets.icons);
    loadPictures(source, names, targets, result);
    return result;
}

std::vector<skin::SkinBitmap> SkinLoader::resolved(const Source& source, skin::SkinXml xml) const {
    for (skin::SkinBitmap& bitmap : xml.bitmaps) {
        bitmap.path = resolveXmlPath(source, bitmap.path).string();
    }
    return std::move(xml.bitmaps);
}

// A picture that cannot be read leaves its ids with the pictures they had (the built-in ones).
// Failures of the built-in copy itself are not the user's to fix: result is null for it.
void SkinLoader::registerBitmaps(const std::vector<skin::SkinBitmap>& bitmaps,
                                 LUSTRA::CImageMgr& images, SkinLoadResult* result) const {
    for (const skin::SkinBitmap& bitmap : bitmaps) {
        QImage* picture = managedPicture(images, bitmap.path);
        if (!picture || picture->isNull()) {
            if (result) {
                noteFailure(*result, pictureFailure(bitmap.path, kSkinXmlPictureKey));
            }
            continue;
        }
        for (const skin::SkinImageCut& cut : bitmap.cuts) {
            registerCut(images, picture, cut);
        }
    }
}

// A path of "skin.xml" is relative to the program directory; one under the skin's own path
// ("skin/NAME/…") is looked up in the folder actually read (the built-in copy reads its own), and
// a path found in neither place is tried inside the skin folder.
std::filesystem::path SkinLoader::resolveXmlPath(const Source& source,
                                                 std::string_view path) const {
    const std::filesystem::path& folder = source.folder.folder();
    if (path.starts_with('/')) {
        return path;
    }
    const std::string ownPrefix = source.skinPath + "/";
    if (startsWithIgnoringAsciiCase(path, ownPrefix)) {
        return skin::findIgnoringCase(m_fileSystem, folder, path.substr(ownPrefix.size()));
    }
    std::filesystem::path inProgram =
        skin::findIgnoringCase(m_fileSystem, m_programDirectory, path);
    if (m_fileSystem.isRegularFile(inProgram)) {
        return inProgram;
    }
    return skin::findIgnoringCase(m_fileSystem, folder, path);
}

// A missing or unreadable icon takes the built-in one, silently.
void SkinLoader::loadIcons(const Source& source, const skin::SkinImageNames& names,
                           MainImageList& icons) const {
    const BuiltIn& original = builtIn();
    if (source.isBuiltIn) {
        for (int i = 0; i < kIconCount; ++i) {
            icons.setIcon(i, original.icons[static_cast<std::size_t>(i)]);
        }
        return;
    }
    for (int i = 0; i < kIconCount; ++i) {
        const std::string& name = names.icons[static_cast<std::size_t>(i)];
        QIcon icon = name.empty() ? QIcon() : loadIcon(source.folder.imagePath(name));
        icons.setIcon(i, icon.isNull() ? original.icons[static_cast<std::size_t>(i)] : icon);
    }
}

// A picture already read for "skin.xml" under the same path is shared, not read twice.
void SkinLoader::loadPictures(const Source& source, const skin::SkinImageNames& names,
                              Targets targets, SkinLoadResult& result) const {
    const BuiltIn& original = builtIn();
    if (source.isBuiltIn) {
        for (int i = 0; i < kBitmapCount; ++i) {
            targets.pictures.setPicture(i, original.pictures[static_cast<std::size_t>(i)]);
        }
        return;
    }
    const std::filesystem::path images = source.folder.folder() / skin::kImagesFolder;
    for (int i = 0; i < kBitmapCount; ++i) {
        const std::string& name = names.bitmaps[static_cast<std::size_t>(i)];
        // A file of "skin.xml" registered under the name as written exists as written.
        std::filesystem::path path = images / name;
        const QImage* shared = targets.images.GetBitmapByPath(path.string().c_str());
        if (!shared) {
            path = source.folder.imagePath(name);
            shared = targets.images.GetBitmapByPath(path.string().c_str());
        }
        QImage picture = shared && !shared->isNull() ? *shared : decodePicture(path);
        if (picture.isNull()) {
            noteFailure(result,
                        pictureFailure(path, skin::kBitmapKeys[static_cast<std::size_t>(i)]));
            picture = original.pictures[static_cast<std::size_t>(i)];
        }
        targets.pictures.setPicture(i, picture);
    }
}

} // namespace tarnel::ui
