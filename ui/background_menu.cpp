#include "ui/background_menu.h"

#include "ui/colour_popup.h"
#include "ui/reading_background.h"
#include "ui/tool_menu.h"

#include <QActionGroup>
#include <QFileDialog>

namespace tarnel::ui {

CBackgroundMenu::CBackgroundMenu(CReadingBackground& background, QWidget* parent)
    : QMenu(parent), m_background(background) {
    setObjectName("backgroundMenu");
    m_colour = addAction(QString::fromUtf8(kColour));
    m_colour->setObjectName("backgroundColour");
    m_picture = addAction(QString::fromUtf8(kPicture));
    m_picture->setObjectName("backgroundPicture");

    QMenu* pictures = addMenu(QString::fromUtf8(kDefaultPictures));
    pictures->setObjectName("defaultPictures");
    for (const BackgroundChoice& choice : background.defaultPictures()) {
        QAction* action = pictures->addAction(choice.title);
        connect(action, &QAction::triggered, this,
                [this, file = choice.file] { m_background.setPicture(file); });
    }
    pictures->setEnabled(!pictures->isEmpty());

    QMenu* layouts = addMenu(QString::fromUtf8(kLayouts));
    layouts->setObjectName("backgroundLayouts");
    auto* group = new QActionGroup(layouts);
    for (int layout = kCentred; layout <= kStretched; ++layout) {
        QAction* action = layouts->addAction(QString::fromUtf8(kLayoutNames[layout]));
        action->setObjectName(QStringLiteral("backgroundLayout%1").arg(layout));
        action->setCheckable(true);
        action->setChecked(layout == background.layout());
        group->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, layout] { m_background.setLayout(layout); });
    }
}

void CBackgroundMenu::run(QPoint at, const std::function<QPoint(QSize)>& popupAt) {
    QAction* chosen = chooseFromMenu(*this, at);
    if (chosen == m_picture) {
        choosePicture();
    } else if (chosen == m_colour) {
        auto* popup = new CColourPopup(QString::fromUtf8(kDefaultColourEntry),
                                       CReadingBackground::kDefaultColour, parentWidget());
        CReadingBackground* background = &m_background;
        connect(popup, &CColourPopup::colourChosen, background,
                [background](QColor colour) { background->setColour(colour); });
        connect(popup, &CColourPopup::defaultChosen, background,
                [background] { background->setColour(CReadingBackground::kDefaultColour); });
        popup->popupAt(popupAt(popup->sizeHint()));
    }
}

void CBackgroundMenu::choosePicture() {
    QFileDialog dialog(parentWidget(), QString::fromUtf8(kPictureTitle), QString(),
                       QString::fromUtf8(kPictureFilter));
    dialog.setObjectName("backgroundPictureDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        m_background.setPicture(dialog.selectedFiles().front().toStdString());
    }
}

} // namespace tarnel::ui
