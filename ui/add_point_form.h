#pragma once

#include "ops/operation_context.h"
#include "ops/point_editing.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"
#include "ui/change_dispatcher.h"
#include "ui/frame_window.h"
#include "ui/reading_area_tools.h"
#include "ui/web_point_page.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tarnel::ui {

class CAttachmentPane;
class CPageHost;
class CReadingArea;
class CategoryChooser;
class TagChooser;

// The add-point form (`CAddPointFormView`, window kind 8): the title, the category drop-down,
// three tag drop-downs, the star rating and the pages "正文", "批注" and "附件". "保存" adds the
// point through the add-point operation and closes the form; a refused field keeps the form open
// with that field focused. "取消" asks "你真的取消添加知识点吗?" and Yes closes it. The form of a
// web point shows its window's page on "正文" and saves it through the page's writer, with the
// comment and attachments as a general point has them. User-interface thread only; the context,
// dispatcher and opener outlive the form.
class CAddPointFormView : public QWidget, public FrameWindow {
    Q_OBJECT

public:
    static constexpr int kTagChoosers = 3;
    static constexpr const char* kName = "新建知识点";
    static constexpr const char* kCancelQuestion = "你真的取消添加知识点吗?";

    struct Services {
        ops::OperationContext* context = nullptr;
        ChangeDispatcher* dispatcher = nullptr;
        const platform::Opener* opener = nullptr;
        // Takes the form out of the window area; called after the slot that asked returned.
        std::function<void(CAddPointFormView*)> close;
        // What the "正文" and "批注" pages get their reading-area toolbar from; none: no toolbar.
        std::optional<ReadingAreaTools> readingTools;
        long long maxStarNum = ops::kDefaultMaxStarNum;
    };

    // The form with the category (or none) and the tag (0: none) chosen.
    CAddPointFormView(Services services, store::CategoryRecord* category, long long tagId,
                      QWidget* parent = nullptr);
    // The form of a web point of the page, titled as the page, no category chosen.
    CAddPointFormView(Services services, WebPointPage page, QWidget* parent = nullptr);

    WindowKind kind() const override { return WindowKind::NewPoint; }
    std::string name() const override { return kName; }
    QWidget* lowerPane() override { return this; }
    bool isUnsavedNewPoint() const override { return true; }
    void applyChange(const store::ChangeNotification& notification) override;

    // Null on the form of a web point, whose "正文" is its page.
    CReadingArea* contentArea() const { return m_content; }
    CPageHost* pageHost() const { return m_pageHost; }
    CReadingArea* commentArea() const { return m_comment; }
    CAttachmentPane* attachmentPane() const { return m_attachments; }

    // The save button: true when the point was added (the form then closes).
    bool save();
    // The cancel button's question; true when the form closes.
    bool cancel();

private:
    CAddPointFormView(Services services, store::CategoryRecord* category, long long tagId,
                      std::optional<WebPointPage> page, QWidget* parent);
    std::vector<long long> chosenTags() const;
    ops::PointInput input() const;
    void closeLater();

    Services m_services;
    ops::OperationContext& m_context;
    QLineEdit* m_title;
    CategoryChooser* m_category;
    std::vector<TagChooser*> m_tags;
    QComboBox* m_stars;
    QTabWidget* m_pages;
    std::optional<WebPointPage> m_webPage;
    CReadingArea* m_content = nullptr;
    CPageHost* m_pageHost = nullptr;
    CReadingArea* m_comment;
    CAttachmentPane* m_attachments;
    QPushButton* m_save;
    QPushButton* m_cancel;
    bool m_closing = false;
    // A web page is saved by the engine while the event loop runs: no second save meanwhile.
    bool m_saving = false;
};

} // namespace tarnel::ui
