#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"

#include <QDialog>
#include <QString>
#include <filesystem>

class QComboBox;
class QLineEdit;

namespace tarnel::ui {

// "收藏": the name of the favourite (the page's title to start with) and its folder, the
// favourites folder or one of its sub-folders. OK writes the .url file and closes; a failure is
// told through the prompt and the dialog stays open. User-interface thread only.
class CFavouriteDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kTopFolder = "收藏夹";
    static constexpr const char* kWriteFailed = "添加到收藏夹失败!";

    CFavouriteDialog(const QString& title, const QString& url, std::filesystem::path favourites,
                     app::Prompt& prompt, QWidget* parent = nullptr,
                     const platform::FileSystem& fileSystem = platform::realFileSystem());

    // The file written once the dialog was accepted.
    const std::filesystem::path& written() const { return m_written; }

    void accept() override;

private:
    QString m_url;
    std::filesystem::path m_favourites;
    app::Prompt& m_prompt;
    const platform::FileSystem& m_fileSystem;
    QLineEdit* m_name;
    QComboBox* m_folder;
    std::filesystem::path m_written;
};

} // namespace tarnel::ui
