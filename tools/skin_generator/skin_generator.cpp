#include "tools/skin_generator/skin_generator.h"

#include "tools/skin_generator/picture_painter.h"
#include "tools/skin_generator/picture_plan.h"
#include "tools/skin_generator/png_bytes.h"
#include "tools/skin_generator/preview_painter.h"
#include "ui/skin/skin_folder.h"
#include "ui/skin/skin_keys.h"

#include <QFile>
#include <QSaveFile>
#include <map>
#include <set>

namespace tarnel::skingen {
namespace {

namespace skin = tarnel::ui::skin;

constexpr const char* kEol = "\r\n";
constexpr const char* kPreviewFile = "preview.png";

QString qtext(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray bytesOf(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString pictureFile(const std::string& key) {
    return QString::fromStdString(key) + ".png";
}

QString imagesEntry(const QString& file) {
    return qtext(skin::kImagesFolder) + "/" + file;
}

// "skin_images.ini": every key names its picture in the "images" folder.
QByteArray imageNames(const std::vector<PicturePlan>& plans) {
    QByteArray ini;
    auto section = [&](std::string_view name, std::size_t first, std::size_t count) {
        ini += "[" + bytesOf(name) + "]" + kEol;
        for (std::size_t i = first; i < first + count; ++i) {
            ini += QByteArray::fromStdString(plans[i].key) + "=" +
                   pictureFile(plans[i].key).toUtf8() + kEol;
        }
    };
    section(skin::kIconSection, 0, skin::kIconCount);
    section(skin::kBitmapSection, skin::kIconCount, skin::kBitmapCount);
    return ini;
}

// "skin.xml": one picture per image id, the whole picture, paths from the program directory.
QByteArray skinXml() {
    QByteArray xml = QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>") + kEol;
    xml += QByteArray("<skin>") + kEol;
    for (std::size_t id = 0; id < skin::kBitmapKeys.size(); ++id) {
        QString path = qtext(skin::kDefaultSkinPath) + "/" +
                       imagesEntry(pictureFile(std::string(skin::kBitmapKeys[id])));
        xml += "\t<" + bytesOf(skin::kBitmapElement) + " " + bytesOf(skin::kPathAttribute) + "=\"" +
               path.toUtf8() + "\">" + kEol;
        xml += "\t\t<image " + bytesOf(skin::kIdAttribute) + "=\"" +
               QByteArray::number(static_cast<int>(id)) + "\"/>" + kEol;
        xml += "\t</" + bytesOf(skin::kBitmapElement) + ">" + kEol;
    }
    xml += QByteArray("</skin>") + kEol;
    return xml;
}

QByteArray escaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

void addIf(bool written, const QString& name, QStringList& files) {
    if (written) {
        files << name;
    }
}

} // namespace

SkinGenerator::SkinGenerator(QDir sources, QDir output, QString resourceList)
    : m_sources(std::move(sources)), m_output(std::move(output)),
      m_resourceList(std::move(resourceList)) {}

bool SkinGenerator::run(QStringList& errors) {
    skin::SkinFolder source(m_sources.path().toStdString());
    checkProfile(source.readProfile(), errors);
    skin::SkinColours colours = source.readColours();
    skin::ColourScheme scheme(colours.base);
    std::vector<PicturePlan> plans = picturePlans();
    std::map<std::string, QImage> pictures = paintPictures(plans, scheme, errors);
    checkDrawingsAreUsed(errors);
    if (!errors.isEmpty()) {
        return false;
    }
    if (!m_output.mkpath(qtext(skin::kImagesFolder))) {
        errors << QStringLiteral("cannot create %1").arg(m_output.filePath("images"));
        return false;
    }
    QStringList files = writePictures(plans, pictures, errors);
    for (std::string_view name : {skin::kProfileFile, skin::kColourFile}) {
        addIf(copySource(qtext(name), errors), qtext(name), files);
    }
    auto add = [&](const QString& name, const QByteArray& bytes) {
        addIf(writeFile(name, bytes, errors), name, files);
    };
    add(qtext(skin::kImagesIniFile), imageNames(plans));
    add(qtext(skin::kSkinXmlFile), skinXml());
    add(kPreviewFile, pngBytes(paintPreview(pictures, scheme, colours.list)));
    return errors.isEmpty() && writeResourceList(files, errors);
}

void SkinGenerator::checkProfile(const skin::SkinProfile& profile, QStringList& errors) const {
    if (profile.name.empty() || profile.image != kPreviewFile) {
        errors << QStringLiteral("%1 must name the skin and its preview %2")
                      .arg(m_sources.filePath(qtext(skin::kProfileFile)), kPreviewFile);
    }
}

std::map<std::string, QImage> SkinGenerator::paintPictures(const std::vector<PicturePlan>& plans,
                                                           const skin::ColourScheme& scheme,
                                                           QStringList& errors) const {
    PicturePainter painter(m_sources, scheme);
    std::map<std::string, QImage> pictures;
    for (const PicturePlan& plan : plans) {
        QString error;
        QImage picture = painter.paint(plan, error);
        if (picture.isNull()) {
            errors << QStringLiteral("%1: %2").arg(QString::fromStdString(plan.key), error);
            continue;
        }
        pictures.emplace(plan.key, std::move(picture));
    }
    return pictures;
}

QStringList SkinGenerator::writePictures(const std::vector<PicturePlan>& plans,
                                         const std::map<std::string, QImage>& pictures,
                                         QStringList& errors) const {
    QStringList entries;
    QStringList written;
    for (const PicturePlan& plan : plans) {
        QString entry = imagesEntry(pictureFile(plan.key));
        if (writeFile(entry, pngBytes(pictures.at(plan.key)), errors)) {
            written << pictureFile(plan.key);
            entries << entry;
        }
    }
    removeStalePictures(written);
    return entries;
}

bool SkinGenerator::writeResourceList(QStringList files, QStringList& errors) const {
    files.sort();
    QSaveFile list(m_resourceList);
    if (!list.open(QIODevice::WriteOnly) || list.write(resourceList(files)) < 0 || !list.commit()) {
        errors << QStringLiteral("cannot write %1").arg(m_resourceList);
        return false;
    }
    return true;
}

bool SkinGenerator::writeFile(const QString& name, const QByteArray& bytes,
                              QStringList& errors) const {
    QSaveFile file(m_output.filePath(name));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 ||
        !file.commit()) {
        errors << QStringLiteral("cannot write %1").arg(m_output.filePath(name));
        return false;
    }
    return true;
}

bool SkinGenerator::copySource(const QString& name, QStringList& errors) const {
    QFile source(m_sources.filePath(name));
    if (!source.open(QIODevice::ReadOnly)) {
        errors << QStringLiteral("cannot read %1").arg(source.fileName());
        return false;
    }
    return writeFile(name, source.readAll(), errors);
}

void SkinGenerator::checkDrawingsAreUsed(QStringList& errors) const {
    std::set<QString> used;
    for (const PicturePlan& plan : picturePlans()) {
        used.insert(QString::fromStdString(plan.drawing));
    }
    for (const QString& drawing : m_sources.entryList({"*.svg"}, QDir::Files, QDir::Name)) {
        if (used.count(drawing) == 0) {
            errors << QStringLiteral("%1 is the drawing of no key").arg(drawing);
        }
    }
}

void SkinGenerator::removeStalePictures(const QStringList& written) const {
    QDir images(m_output.filePath(qtext(skin::kImagesFolder)));
    for (const QString& file : images.entryList(QDir::Files)) {
        if (!written.contains(file)) {
            images.remove(file);
        }
    }
}

QByteArray SkinGenerator::resourceList(const QStringList& files) const {
    QByteArray qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n"
                     "    <qresource prefix=\"/skin/default\">\n";
    for (const QString& file : files) {
        qrc += "        <file alias=\"" + escaped(file) + "\">" +
               escaped(m_output.absoluteFilePath(file)) + "</file>\n";
    }
    qrc += "    </qresource>\n</RCC>\n";
    return qrc;
}

} // namespace tarnel::skingen
