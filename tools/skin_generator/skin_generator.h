#pragma once

#include "tools/skin_generator/picture_plan.h"
#include "ui/skin/colour_scheme.h"
#include "ui/skin/skin_folder.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

namespace tarnel::skingen {

// Builds the default skin folder from its sources: the SVG drawings, "profile.ini" and
// "color.ini" (GB18030, copied as they are). It writes "profile.ini", "color.ini",
// "skin_images.ini", "skin.xml", "preview.png" and one picture per key into "images", removes
// pictures no key names any more, and writes the resource list that embeds the same files under
// "/skin/default". The same sources give the same bytes on every run.
class SkinGenerator {
public:
    SkinGenerator(QDir sources, QDir output, QString resourceList);

    // True when every file was written; otherwise every problem found is in errors (a key
    // without a drawing, a drawing no key uses, a source that does not read, a failed write).
    bool run(QStringList& errors);

private:
    void checkProfile(const ui::skin::SkinProfile& profile, QStringList& errors) const;
    std::map<std::string, QImage> paintPictures(const std::vector<PicturePlan>& plans,
                                                const ui::skin::ColourScheme& scheme,
                                                QStringList& errors) const;
    // The written pictures' paths inside the folder.
    QStringList writePictures(const std::vector<PicturePlan>& plans,
                              const std::map<std::string, QImage>& pictures,
                              QStringList& errors) const;
    bool writeResourceList(QStringList files, QStringList& errors) const;
    bool writeFile(const QString& name, const QByteArray& bytes, QStringList& errors) const;
    bool copySource(const QString& name, QStringList& errors) const;
    void checkDrawingsAreUsed(QStringList& errors) const;
    void removeStalePictures(const QStringList& written) const;
    QByteArray resourceList(const QStringList& files) const;

    QDir m_sources;
    QDir m_output;
    QString m_resourceList;
};

} // namespace tarnel::skingen
