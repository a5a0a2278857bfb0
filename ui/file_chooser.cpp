#include "ui/file_chooser.h"

#include <QFileDialog>
#include <QStringList>

namespace tarnel::ui {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString qtPatterns(const QString& patterns) {
    QStringList mapped;
    for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
        mapped << (pattern.trimmed() == "*.*" ? QStringLiteral("*") : pattern.trimmed());
    }
    return mapped.join(' ');
}

// The description without a trailing "(...)", which Qt would read as the patterns.
QString bareDescription(const QString& description) {
    QString bare = description.trimmed();
    if (bare.endsWith(')') && bare.contains('(')) {
        bare.truncate(bare.lastIndexOf('('));
    }
    return bare.trimmed();
}

} // namespace

QString qtFileFilter(std::string_view filter) {
    QStringList parts = fromUtf8(filter).split('|');
    QStringList lines;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        lines << QStringLiteral("%1 (%2)").arg(bareDescription(parts[i]), qtPatterns(parts[i + 1]));
    }
    return lines.join(";;");
}

std::vector<std::filesystem::path>
DialogFileChooser::openFiles(QWidget* owner, const QString& title, std::string_view filter) {
    std::vector<std::filesystem::path> files;
    for (const QString& file :
         QFileDialog::getOpenFileNames(owner, title, {}, qtFileFilter(filter))) {
        files.emplace_back(file.toStdString());
    }
    return files;
}

std::optional<std::filesystem::path> DialogFileChooser::folder(QWidget* owner, const QString& title,
                                                               const std::filesystem::path& start) {
    QString chosen =
        QFileDialog::getExistingDirectory(owner, title, QString::fromStdString(start.string()));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(chosen.toStdString());
}

} // namespace tarnel::ui
