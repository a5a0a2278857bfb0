#pragma once

#include "app/prompt.h"
#include "app/settings.h"
#include "platform/file_system.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>
#include <filesystem>
#include <vector>

class QPainter;
class QTextEdit;

namespace tarnel::ui {

// How a background picture is laid out: the values of DISPLAY_MODE.
enum BackgroundLayout : int { kCentred = 0, kTiled = 1, kStretched = 2 };

// A picture of the program directory's Background folder, offered by its file title.
struct BackgroundChoice {
    QString title;
    std::filesystem::path file;
};

// The background every reading area draws behind its text: a fill colour, and over it a picture
// centred, tiled or stretched. The picture, its layout and whether there is one are kept in the
// settings (BK_PIC relative to the program directory, DISPLAY_MODE, BK_MODE 1 for a picture) so
// that the next start shows it again; the colour lasts for the run. One object serves every
// reading area. User-interface thread only.
class CReadingBackground : public QObject {
    Q_OBJECT

public:
    static constexpr QColor kDefaultColour{204, 232, 207};
    static constexpr const char* kWriteFailed = "保存背景设置失败\n错误原因:%1";
    static constexpr const char* kLoadFailed = "无法显示背景图片“%1”。";

    CReadingBackground(app::Settings& settings, const platform::FileSystem& fileSystem,
                       app::Prompt& prompt, QObject* parent = nullptr);

    // The picture the settings name, when BK_MODE says there is one; one that cannot be loaded
    // leaves the editors without a background, silently, as at every start.
    void loadFromSettings();

    QColor colour() const { return m_colour; }
    const QImage& picture() const { return m_picture; }
    int layout() const { return m_layout; }
    bool isActive() const { return m_colour.isValid() || !m_picture.isNull(); }

    // A colour fill instead of the picture.
    void setColour(QColor colour);
    // False (after a message) when the file cannot be shown as a picture; nothing changes then.
    bool setPicture(const std::filesystem::path& file);
    void setLayout(int layout);

    // The pictures of the Background folder that can be offered, by title.
    std::vector<BackgroundChoice> defaultPictures() const;

    // Draws the background over the rectangle (an off-screen image first, so that a large
    // picture is never drawn in pieces).
    void paint(QPainter& painter, QRect area, QColor base) const;

    // The editor draws this background behind its text from now on.
    void attach(QTextEdit& editor);

signals:
    void changed();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void store();
    QImage loadPicture(const std::filesystem::path& file) const;

    app::Settings& m_settings;
    const platform::FileSystem& m_fileSystem;
    app::Prompt& m_prompt;
    QColor m_colour;
    QImage m_picture;
    int m_layout = kCentred;
};

// BK_PIC for a picture file: relative to the program directory, backslashes, a leading one
// ("\Background\x.jpg", "\..\pictures\x.jpg" for one outside it).
std::string backgroundSetting(const std::filesystem::path& programDirectory,
                              const std::filesystem::path& picture);

} // namespace tarnel::ui
