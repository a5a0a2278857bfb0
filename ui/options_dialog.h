#pragma once

#include "app/prompt.h"
#include "app/settings.h"
#include "platform/file_system.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tarnel::ui {

class CSkinPage;
class CToolbarPage;

// The options dialog: the workspace page (the workspace flags, the tab position, the content
// search's document types and the start-up choices), the point-list page, the skin page and the
// reading area's toolbar page. Keys
// whose views are not part of the program yet (MODIFY_TAB_NAME, POINT_SORT_TYPE,
// DBCLICK_TAB_WINDOW) keep the values read from the file. OK takes the fields into the settings,
// writes them (the full write, then the point-list write) and closes; a write that fails is
// reported, and the settings in memory hold the choices either way. Apply does the same without
// closing. Another skin chosen becomes SkinPath and is loaded (reloadSkin) before the settings are
// written. A changed tool list replaces toolbar.cfg whole, then every reading area's toolbar is
// rebuilt (hint 2032); a failed write is reported and the list holds for the run.
class OptionsDialog : public QDialog {
    Q_OBJECT

public:
    OptionsDialog(app::Settings& settings, const platform::FileSystem& fileSystem,
                  app::Prompt& prompt, std::function<void()> reloadSkin = {},
                  QWidget* parent = nullptr);

    void accept() override;
    void apply();

private:
    QCheckBox* flag(const char* objectName, const char* text, bool value);
    void applyReadingTools();

    app::Settings& m_settings;
    const platform::FileSystem& m_fileSystem;
    app::Prompt& m_prompt;
    QCheckBox* m_showPointNum;
    QCheckBox* m_showTotalPointNum;
    QCheckBox* m_modifyClassName;
    QComboBox* m_tabAlign;
    QLineEdit* m_searchDocType;
    QCheckBox* m_autoHomepage;
    QCheckBox* m_autoExpandClass;
    QComboBox* m_closeTipSelection;
    QCheckBox* m_showFlayWnd;
    QCheckBox* m_showGrid;
    QCheckBox* m_showContentTip;
    QCheckBox* m_colorGrad;
    CSkinPage* m_skinPage;
    CToolbarPage* m_toolbarPage;
    std::function<void()> m_reloadSkin;
};

} // namespace tarnel::ui
