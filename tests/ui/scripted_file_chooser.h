#pragma once

#include "ui/file_chooser.h"

#include <QString>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarnel::test {

namespace fs = std::filesystem;

// Answers the file dialogs from a script and records their titles and start folders.
class ScriptedChooser : public ui::FileChooser {
public:
    std::vector<fs::path> openFiles(QWidget*, const QString& title, std::string_view) override {
        titles.push_back(title.toStdString());
        return files;
    }
    std::optional<fs::path> folder(QWidget*, const QString& title, const fs::path& start) override {
        titles.push_back(title.toStdString());
        starts.push_back(start);
        if (folders.empty()) {
            return std::nullopt;
        }
        fs::path next = folders.front();
        folders.pop_front();
        return next;
    }
    std::vector<fs::path> files;
    std::deque<fs::path> folders;
    std::vector<std::string> titles;
    std::vector<fs::path> starts;
};

} // namespace tarnel::test
