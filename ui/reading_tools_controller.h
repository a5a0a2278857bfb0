#pragma once

#include "app/prompt.h"
#include "platform/file_system.h"
#include "ui/find_dialog.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QTextCharFormat;

namespace tarnel::ui {

class CFormatBrush;
class CReadingArea;
class CReadingBackground;
class CReadingToolbar;
class CRichTextEditor;

// The texts of the reading area's tools.
namespace tools {
inline constexpr const char* kRevertQuestion = "确认撤销修改吗?";
inline constexpr const char* kAutomatic = "自动";
inline constexpr const char* kNoBackground = "取消字体背景颜色";
inline constexpr const char* kPrintJob = "图象打印";
inline constexpr const char* kDockTop = "停靠顶端";
inline constexpr const char* kDockBottom = "停靠底端";
inline constexpr const char* kInsertPictureTitle = "插入图片";
} // namespace tools

// What the tools need of the program around the reading area.
struct ReadingToolServices {
    app::Prompt& prompt;
    const platform::FileSystem& fileSystem;
    CReadingBackground& background;
    // Switches the main window between the maximised reading mode and the normal one; true when
    // it is maximised now.
    std::function<bool()> toggleReadingMode;
};

// Makes the toolbar's tools act on the reading area's editor: saving and reverting, the
// clipboard, character and paragraph formats, pictures, the background, wrapping, printing,
// docking, the reading mode and the search. Save and cancel follow the editor's modified state.
// Tools that change the content do nothing on a read-only display. It lives as long as the
// reading area, its parent.
class CReadingToolsController : public QObject {
    Q_OBJECT

public:
    CReadingToolsController(CReadingArea& area, CReadingToolbar& toolbar,
                            ReadingToolServices services, bool wordWrap);
    ~CReadingToolsController() override;

    // What the toolbar reports; public so that a menu or a key may run a tool, too.
    void runTool(int kind);

    // The selection's (or the typing format's) state for tools 6 to 8: true when all of its text
    // carries the effect, so that the tool takes it away.
    bool selectionCarries(int kind) const;

    CFindDialog* findDialog() const { return m_findDialog; }
    CFormatBrush& formatBrush() { return *m_brush; }

private:
    CRichTextEditor& editor() const;
    bool changesContent(int kind) const;
    void revert();
    void toggleEffect(int kind);
    void chooseFont();
    void chooseColour(int kind);
    void clearColour(int property);
    void insertPicture();
    void chooseBackground();
    void setWordWrap(bool wrap);
    void print();
    void chooseDock();
    void align(int kind);
    void toggleBullet();
    void toggleBrush();
    void find();
    void findAgain(bool backward);
    void mergeFormat(const QTextCharFormat& format);
    QPoint popupAt(int kind, QSize size) const;

    CReadingArea& m_area;
    CReadingToolbar& m_toolbar;
    ReadingToolServices m_services;
    std::unique_ptr<TextFinder> m_finder;
    QPointer<CFindDialog> m_findDialog;
    CFormatBrush* m_brush;
};

} // namespace tarnel::ui
