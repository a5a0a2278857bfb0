#pragma once

#include "platform/file_system.h"
#include "ui/skin/skin_catalog.h"

#include <QFrame>
#include <QImage>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;

namespace tarnel::ui {

// The preview of the chosen skin: its picture inside the frame, 2 pixels in from the left, right
// and bottom and 8 from the top, at its natural size, cut to the width and centred vertically
// when it is lower than the area.
class SkinPreview : public QFrame {
    Q_OBJECT

public:
    static constexpr int kInset = 2;
    static constexpr int kTopInset = 8;

    explicit SkinPreview(QWidget* parent = nullptr);
    void setPicture(QImage picture);
    // Where the picture goes, in the widget's coordinates (before the cut to the area).
    QRect pictureRect() const;
    QRect area() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

// The skin page of the options dialog (`CSkinPage`): the installed skins by name, the chosen
// one's author and date in dark blue and its preview. It lists the skins when it is made and
// selects the current one; the previews go with the page.
class CSkinPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLabelRed = 0;
    static constexpr int kLabelGreen = 0;
    static constexpr int kLabelBlue = 168;

    CSkinPage(const std::filesystem::path& programDirectory, const std::string& currentSkinPath,
              const platform::FileSystem& fileSystem, QWidget* parent = nullptr);

    // The skin path of the chosen entry ("skin/FOLDER", never cut) when it names another skin
    // than the current one; none otherwise.
    std::optional<std::string> changedSkinPath() const;
    // The chosen skin became the current one.
    void markApplied();

private:
    void showEntry(int row);

    skin::SkinCatalog m_catalog;
    std::vector<QImage> m_previews;
    std::string m_current;
    QListWidget* m_list;
    QLabel* m_author;
    QLabel* m_date;
    SkinPreview* m_preview;
};

} // namespace tarnel::ui
