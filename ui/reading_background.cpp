#include "ui/reading_background.h"

#include "app/settings_file.h"

#include <QEvent>
#include <QPainter>
#include <QTextEdit>
#include <algorithm>

namespace tarnel::ui {
namespace {

constexpr const char* kPictureTypes[] = {"JPG", "BMP", "GIF", "WMF"};

QString fromPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

bool isBackgroundType(const std::filesystem::path& file) {
    const std::string extension = fromPath(file.extension()).mid(1).toUpper().toStdString();
    return std::any_of(std::begin(kPictureTypes), std::end(kPictureTypes),
                       [&](const char* type) { return extension == type; });
}

} // namespace

std::string backgroundSetting(const std::filesystem::path& programDirectory,
                              const std::filesystem::path& picture) {
    std::filesystem::path relative =
        picture.lexically_normal().lexically_relative(programDirectory.lexically_normal());
    std::string text = "\\" + relative.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

CReadingBackground::CReadingBackground(app::Settings& settings,
                                       const platform::FileSystem& fileSystem, app::Prompt& prompt,
                                       QObject* parent)
    : QObject(parent), m_settings(settings), m_fileSystem(fileSystem), m_prompt(prompt) {}

void CReadingBackground::loadFromSettings() {
    m_layout = std::clamp(m_settings.displayMode, static_cast<int>(kCentred),
                          static_cast<int>(kStretched));
    m_picture =
        m_settings.bkMode == 1 ? loadPicture(app::backgroundPicturePath(m_settings)) : QImage();
    emit changed();
}

QImage CReadingBackground::loadPicture(const std::filesystem::path& file) const {
    std::string bytes;
    QImage image;
    if (m_fileSystem.readFile(file, bytes) == 0) {
        image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                           static_cast<int>(bytes.size()));
    }
    return image;
}

void CReadingBackground::setColour(QColor colour) {
    m_colour = colour;
    m_picture = QImage();
    m_settings.bkMode = 0;
    store();
    emit changed();
}

bool CReadingBackground::setPicture(const std::filesystem::path& file) {
    QImage image = loadPicture(file);
    if (image.isNull()) {
        m_prompt.show(QString::fromUtf8(kLoadFailed).arg(fromPath(file)).toStdString(),
                      app::MessageIcon::Error);
        return false;
    }
    m_picture = std::move(image);
    m_settings.bkMode = 1;
    m_settings.bkPic = backgroundSetting(m_settings.programDirectory, file);
    store();
    emit changed();
    return true;
}

void CReadingBackground::setLayout(int layout) {
    m_layout = layout;
    m_settings.displayMode = layout;
    store();
    emit changed();
}

void CReadingBackground::store() {
    if (int err = app::SettingsFile(m_fileSystem).writeEditor(m_settings)) {
        m_prompt.show(QString::fromUtf8(kWriteFailed)
                          .arg(QString::fromStdString(platform::errorText(err)))
                          .toStdString(),
                      app::MessageIcon::Error);
    }
}

std::vector<BackgroundChoice> CReadingBackground::defaultPictures() const {
    const std::filesystem::path folder = m_settings.programDirectory / "Background";
    int err = 0;
    std::vector<BackgroundChoice> choices;
    for (const platform::FileSystem::Entry& entry : m_fileSystem.listDirectory(folder, err)) {
        const std::filesystem::path file = folder / entry.name;
        if (!entry.isDirectory && isBackgroundType(file)) {
            choices.push_back({fromPath(file.stem()), file});
        }
    }
    std::sort(choices.begin(), choices.end(),
              [](const auto& a, const auto& b) { return a.file.filename() < b.file.filename(); });
    return choices;
}

void CReadingBackground::paint(QPainter& painter, QRect area, QColor base) const {
    QImage canvas(area.size(), QImage::Format_RGB32);
    canvas.fill(m_colour.isValid() ? m_colour : base);
    if (!m_picture.isNull()) {
        QPainter onCanvas(&canvas);
        const QRect whole(QPoint(0, 0), area.size());
        switch (m_layout) {
        case kTiled:
            onCanvas.drawTiledPixmap(whole, QPixmap::fromImage(m_picture));
            break;
        case kStretched:
            onCanvas.drawImage(whole, m_picture);
            break;
        default: {
            QRect centred(QPoint(0, 0), m_picture.size());
            centred.moveCenter(whole.center());
            onCanvas.drawImage(centred.topLeft(), m_picture);
        }
        }
    }
    painter.drawImage(area.topLeft(), canvas);
}

void CReadingBackground::attach(QTextEdit& editor) {
    QWidget* viewport = editor.viewport();
    viewport->installEventFilter(this);
    viewport->setAutoFillBackground(false);
    connect(this, &CReadingBackground::changed, viewport, qOverload<>(&QWidget::update));
}

// The background goes down before the editor draws its text over it.
bool CReadingBackground::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        auto* viewport = static_cast<QWidget*>(watched);
        QPainter painter(viewport);
        paint(painter, viewport->rect(), viewport->palette().color(QPalette::Base));
    }
    return false;
}

} // namespace tarnel::ui
