#pragma once

#include <QDialog>

namespace tarnel::updater {

// "关于 UpdateTarnel": the program's name and version, and OK.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    static constexpr const char* kTitle = "关于 UpdateTarnel";
    static constexpr const char* kVersionText = "UpdateTarnel 1.2 版";
};

} // namespace tarnel::updater
