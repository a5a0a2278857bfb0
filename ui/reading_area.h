#pragma once

#include "ops/operation_context.h"
#include "platform/background_release.h"
#include "richtext/document.h"
#include "store/knowledge_store.h"
#include "ui/rich_text_editor.h"

#include <QString>
#include <QWidget>
#include <string>

class QBoxLayout;
class QLabel;

namespace tarnel::ui {

// The texts the reading area shows and asks.
namespace reading {
inline constexpr const char* kSaveQuestion = "知识点“%1”的内容已经修改，是否保存？";
inline constexpr const char* kCommentSaveQuestion = "知识点“%1”的批注已经修改，是否保存？";
inline constexpr const char* kReadOnlyNotice =
    "此知识点的文件已损坏或不完整，只能阅读，不能保存（保存会用读到的部分替换原文件）。";
inline constexpr const char* kLossQuestion =
    "此知识点含有本程序无法保留的内容（%1），保存后这些内容将会丢失。\n\n确定要保存吗？";
// The kinds of content named in the question, joined by "、"; the table rows, whose own text
// holds a comma, come last.
inline constexpr const char* kLostPictures = "%1 张图片";
inline constexpr const char* kLostObjects = "嵌入对象";
inline constexpr const char* kLostFields = "域";
inline constexpr const char* kLostTableRows = "%1 行表格的结构，其中的文字会保留";
inline constexpr const char* kReadFailed = "读取知识点失败\n错误原因:%1";
} // namespace reading

// The reading area (`CReadingArea`): a point's content in a rich-text editor, with a place for
// the reading area toolbar above or below it. It reads the content file through the rich-text
// bridge, tells whether the content was edited, and saves through savePointContent (Ctrl+S or
// the save prompt). Content the reader found truncated or damaged is shown read-only with a
// notice, since a save would replace the file with the part that was read; content the model
// cannot keep is saved only after the user agreed to lose it. The same area edits a point's comment
// (saved through the comment operation) and, bound to no point, a new point's content or comment
// in the add-point form, which takes the rich text and saves it itself. User-interface thread
// only; the context outlives the area.
class CReadingArea : public QWidget {
    Q_OBJECT

public:
    enum class ToolBarEdge { Top, Bottom };
    // What the area edits: a point's content file, its comment file, or text of a point not saved
    // yet (the add-point form's pages).
    enum class Subject { Content, Comment, NewPoint };

    explicit CReadingArea(ops::OperationContext& context, QWidget* parent = nullptr);

    // Shows the point's content; false (after a message) when the file could not be read.
    bool openPoint(store::CategoryRecord& category, const store::PointRecord& point);
    // Shows the point's comment (empty when it has none); false (after a message) when the file
    // exists and could not be read.
    bool openComment(store::CategoryRecord& category, const store::PointRecord& point);
    Subject subject() const { return m_subject; }
    long long pointId() const { return m_pointId; }
    std::string pointName() const { return m_pointName; }

    // A notification about the shown point (changed, or added where it moved); the area takes its
    // name from the record, so that a point renamed while open is asked about by its new name.
    bool followsPoint(const store::ChangeNotification& notification) const;
    void applyChange(const store::ChangeNotification& notification);
    // The point was deleted, recycled, or its category went, since the area opened it.
    bool pointGone() const { return m_pointGone; }

    // The editor the toolbar's tools act on.
    CRichTextEditor* editor() const { return m_editor; }
    // Puts the toolbar at the edge; the area takes the widget as its child.
    void setToolBar(QWidget* toolBar, ToolBarEdge edge);
    QWidget* toolBar() const { return m_toolBar; }
    ToolBarEdge toolBarEdge() const { return m_toolBarEdge; }

    // A view of the point for reading only (the information pane's "正文"): nothing can be edited
    // or saved, whatever the content.
    void setViewOnly(bool viewOnly);
    bool isModified() const;
    bool isReadOnly() const { return m_readOnly; }
    // Neither damaged nor a view for reading only: the save and cancel tools have a use.
    bool canSave() const { return !m_readOnly && !m_viewOnly; }
    // No text, no picture and no hidden text.
    bool isEmpty() const;
    // The writer's bytes of what the editor holds now.
    std::string richText() const;

    // Saves the content or the comment; false when nothing was saved (read-only, declined or
    // failed). Edits stay in the editor whatever happens. An empty comment editor writes no comment
    // file where none is. A new point's area saves nothing: it asks for the form's save.
    bool save();
    // Shows the stored content again, dropping the edits.
    void revert();
    // "Save changes?": Yes saves, No drops the edits, Cancel keeps them; false for Cancel and for
    // a save that did not happen.
    bool runSavePrompt();

signals:
    void modifiedChanged(bool modified);
    void saved();
    // Ctrl+S or the save tool in an area of a new point.
    void saveRequested();
    // Other content was shown, or the view became one for reading only (or no longer is).
    void displayChanged();

private:
    void show(const std::string& bytes);
    // Shows the stored content.
    void display();
    bool agreeToLoss();
    // The model of what was stored goes to edited.
    bool store(richtext::Document& edited);
    void keepStored(richtext::Document document);
    bool storeComment(const std::string& bytes);
    void trackPoint(const store::ChangeNotification& notification);

    ops::OperationContext& m_context;
    QBoxLayout* m_layout;
    QLabel* m_notice;
    CRichTextEditor* m_editor;
    QWidget* m_toolBar = nullptr;
    ToolBarEdge m_toolBarEdge = ToolBarEdge::Top;
    Subject m_subject = Subject::NewPoint;
    long long m_pointId = 0;
    long long m_categoryId = 0;
    std::string m_pointName;
    bool m_pointGone = false;
    bool m_commentExists = false;
    // The content as it was read or last saved, and what the model could not keep of the file it
    // was read from; revert shows both again.
    richtext::Document m_stored;
    QString m_storedUnkept;
    platform::BackgroundRelease m_released;
    bool m_readOnly = false;
    bool m_viewOnly = false;
    // What the model could not keep of the stored content, for the question; empty when nothing
    // or once the user agreed to lose it.
    QString m_unkept;
};

} // namespace tarnel::ui
