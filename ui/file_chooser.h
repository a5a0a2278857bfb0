#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

class QWidget;

namespace tarnel::ui {

// The file and folder choosers behind the import and export commands, so that tests can answer
// them. User-interface thread only.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // The files picked in a multi-select open dialog; empty when cancelled. filter is in the
    // "description|patterns|...||" form the commands know (see qtFileFilter).
    virtual std::vector<std::filesystem::path> openFiles(QWidget* owner, const QString& title,
                                                         std::string_view filter) = 0;
    // A folder picked in the folder browser that starts at start; none when cancelled.
    virtual std::optional<std::filesystem::path> folder(QWidget* owner, const QString& title,
                                                        const std::filesystem::path& start) = 0;
};

// The desktop's own dialogs.
class DialogFileChooser : public FileChooser {
public:
    std::vector<std::filesystem::path> openFiles(QWidget* owner, const QString& title,
                                                 std::string_view filter) override;
    std::optional<std::filesystem::path> folder(QWidget* owner, const QString& title,
                                                const std::filesystem::path& start) override;
};

// "所有类型 (*.*)|*.*||" as a Qt name filter: one "description (patterns)" line per pair, the
// patterns taken from the pattern part. "*.*" becomes "*", since on this system a file name needs
// no dot and a file without one must still be offered.
QString qtFileFilter(std::string_view filter);

} // namespace tarnel::ui
