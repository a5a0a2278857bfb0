#include "ui/resource_file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace tarnel::ui {
namespace {

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

bool isResourcePath(const std::filesystem::path& path) {
    return path.native().starts_with(':');
}

bool ResourceFileSystem::exists(const std::filesystem::path& path) const {
    return isResourcePath(path) ? QFileInfo::exists(qtPath(path)) : m_files.exists(path);
}

bool ResourceFileSystem::isDirectory(const std::filesystem::path& path) const {
    return isResourcePath(path) ? QFileInfo(qtPath(path)).isDir() : m_files.isDirectory(path);
}

bool ResourceFileSystem::isRegularFile(const std::filesystem::path& path) const {
    return isResourcePath(path) ? QFileInfo(qtPath(path)).isFile() : m_files.isRegularFile(path);
}

int ResourceFileSystem::readFile(const std::filesystem::path& path, std::string& out) const {
    if (!isResourcePath(path)) {
        return m_files.readFile(path, out);
    }
    out.clear();
    QFile file(qtPath(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return ENOENT;
    }
    QByteArray bytes = file.readAll();
    out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return 0;
}

std::vector<platform::FileSystem::Entry>
ResourceFileSystem::listDirectory(const std::filesystem::path& path, int& err) const {
    if (!isResourcePath(path)) {
        return m_files.listDirectory(path, err);
    }
    std::vector<Entry> entries;
    QDir folder(qtPath(path));
    err = folder.exists() ? 0 : ENOENT;
    for (const QFileInfo& info :
         folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        entries.push_back({info.fileName().toStdString(), info.isDir()});
    }
    return entries;
}

} // namespace tarnel::ui
