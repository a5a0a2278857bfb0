#pragma once

#include "ops/operation_context.h"
#include "platform/desktop_open.h"
#include "store/knowledge_store.h"
#include "ui/change_dispatcher.h"
#include "ui/reading_area_tools.h"

#include <QString>
#include <QTabWidget>
#include <array>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace tarnel::ui {

class CAttachmentPane;
class CReadingArea;

// The information pane below a list window's list: "属性信息" (the properties of the window's
// category or tag, or of the selected row), and for a selected knowledge point "正文" (its rich
// text, read only), "批注" (its comment, edited and saved with Ctrl+S or "保存批注"), "附件" (its
// attachment pane) and "预览" (its text or picture). Without a point the last four are disabled;
// "正文" is disabled too for a point that is no rich text or whose file is missing. The recycle
// bin's pane has "属性信息" alone. Pages load when they are first shown for a point. Change
// notifications keep every page current. "正文" and "批注" carry the reading-area toolbar when
// tools are given ("正文" without save and cancel). User-interface thread only; the context,
// dispatcher, opener and tools outlive the pane.
class CInformationPane : public QTabWidget {
    Q_OBJECT

public:
    enum class Variant { List, RecycleBin };
    enum Page { Properties = 0, Content, Comment, Attachments, Preview };

    CInformationPane(ops::OperationContext& context, ChangeDispatcher* dispatcher,
                     const platform::Opener& opener, Variant variant,
                     const ReadingAreaTools* tools = nullptr, QWidget* parent = nullptr);

    // The properties of a category (named name, for a root shown by its display name), of a tag
    // or of a point; only a point enables the point's pages.
    void showCategory(const store::CategoryRecord& category, const QString& name);
    void showTag(const store::TagRecord& tag);
    void showPoint(const store::CategoryRecord& category, const store::PointRecord& point);
    // Nothing selected and nothing to describe: every page disabled.
    void showNothing();

    // Before another row is shown: an edited comment is offered for saving. False when the user
    // cancelled, so that the list keeps the point selected.
    bool leavePoint();
    bool hasUnsavedComment() const;
    bool runSavePrompt();

    void applyChange(const store::ChangeNotification& notification);

    long long shownPointId() const { return m_shown == Shown::Point ? m_id : 0; }
    QLabel* propertyInfo() const { return m_properties; }
    CReadingArea* contentArea() const { return m_content; }
    CReadingArea* commentArea() const { return m_comment; }
    CAttachmentPane* attachmentPane() const { return m_attachments; }
    QTextBrowser* preview() const { return m_preview; }

private:
    enum class Shown { Nothing, Category, Tag, Point };

    void setPointPagesEnabled(bool enabled);
    void loadCurrentPage();
    void loadContent(store::CategoryRecord& category, const store::PointRecord& point);
    void loadComment(store::CategoryRecord& category, const store::PointRecord& point);
    void loadPreview(store::CategoryRecord& category, const store::PointRecord& point);
    void refreshProperties();
    void describeCategory(const store::CategoryRecord& category, const QString& name);
    void describeTag(const store::TagRecord& tag);
    void describePoint(const store::CategoryRecord& category, const store::PointRecord& point);
    bool concernsShown(const store::ChangeNotification& notification) const;
    void markStale();

    ops::OperationContext& m_context;
    Variant m_variant;
    QLabel* m_properties;
    CReadingArea* m_content = nullptr;
    QWidget* m_commentPage = nullptr;
    CReadingArea* m_comment = nullptr;
    QPushButton* m_saveComment = nullptr;
    CAttachmentPane* m_attachments = nullptr;
    QTextBrowser* m_preview = nullptr;

    Shown m_shown = Shown::Nothing;
    store::StoreKind m_store = store::StoreKind::Category;
    long long m_id = 0;
    long long m_categoryId = 0;
    QString m_rootName;
    // Which of the point's pages show an older state than the stores' (or another point).
    std::array<bool, 5> m_stale{};
    // The comment page saved what it shows: the notice of that save leaves it as it is.
    bool m_commentSaved = false;
};

} // namespace tarnel::ui
