#pragma once

#include <QMenu>
#include <functional>

namespace tarnel::ui {

class CReadingBackground;

// The menu of the background tool ("backgroundMenu"): "设置背景颜色" opens the colour popup,
// "设置背景图片" a file dialog, "默认图片背景" lists the pictures of the program directory's
// Background folder and "图片显示模式" the three layouts, the current one checked.
class CBackgroundMenu : public QMenu {
    Q_OBJECT

public:
    static constexpr const char* kColour = "设置背景颜色";
    static constexpr const char* kDefaultColourEntry = "默认背景颜色";
    static constexpr const char* kPicture = "设置背景图片";
    static constexpr const char* kDefaultPictures = "默认图片背景";
    static constexpr const char* kLayouts = "图片显示模式";
    static constexpr const char* kPictureTitle = "选择背景图片,以及图片显示模式";
    static constexpr const char* kPictureFilter = "图片 (*.jpg *.gif *.bmp *.wmf)";
    static constexpr const char* kLayoutNames[] = {"居中", "平铺", "拉伸"};

    CBackgroundMenu(CReadingBackground& background, QWidget* parent);

    // Shows the menu at the global position and does what the user chose; popupAt places the
    // colour popup of the size it is given.
    void run(QPoint at, const std::function<QPoint(QSize)>& popupAt);

private:
    void choosePicture();

    CReadingBackground& m_background;
    QAction* m_colour;
    QAction* m_picture;
};

} // namespace tarnel::ui
