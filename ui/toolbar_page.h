#pragma once

#include "app/toolbar_config.h"
#include "lustra/image_mgr.h"

#include <QWidget>
#include <vector>

class QComboBox;
class QListWidget;
class QPushButton;

namespace tarnel::ui {

// The reading-area page of the options dialog: the configured tools in toolbar order, each with
// its normal picture when shown and its disabled one when hidden. For the chosen entry: the
// separator button (remove a separator; insert a visible separator after a tool), the option
// drop-down and the show/hide button (both disabled for a separator), and move up and down. The
// page edits a copy; the dialog takes tools() on OK.
class CToolbarPage : public QWidget {
    Q_OBJECT

public:
    CToolbarPage(std::vector<app::ConfiguredTool> tools,
                 LUSTRA::CImageMgr& images = *LUSTRA::CImageMgr::GetInstance(),
                 QWidget* parent = nullptr);

    const std::vector<app::ConfiguredTool>& tools() const { return m_tools; }

private:
    void fillList(int selected);
    void showEntry(int row);
    void toggleSeparator();
    void toggleVisible();
    void chooseOption(int option);
    void move(int step);
    QIcon iconFor(const app::ConfiguredTool& tool) const;

    std::vector<app::ConfiguredTool> m_tools;
    LUSTRA::CImageMgr& m_images;
    QListWidget* m_list;
    QPushButton* m_separator;
    QComboBox* m_option;
    QPushButton* m_visible;
    QPushButton* m_up;
    QPushButton* m_down;
};

} // namespace tarnel::ui
