#include "ui/add_point_form.h"

#include "ops/point_editing.h"
#include "ui/attachment_pane.h"
#include "ui/category_chooser.h"
#include "ui/page_host.h"
#include "ui/reading_area.h"
#include "ui/tag_chooser.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnel::ui {
namespace {

namespace change = store::change;

bool changesCategories(int code) {
    return code == change::kCategoryAdded || code == change::kCategoryChanged ||
           code == change::kCategoryRemoved || code == change::kCategoryMoved;
}

bool changesTags(int code) {
    return code >= change::kTagAdded && code <= change::kTagChanged;
}

} // namespace

CAddPointFormView::CAddPointFormView(Services services, store::CategoryRecord* category,
                                     long long tagId, QWidget* parent)
    : CAddPointFormView(std::move(services), category, tagId, std::nullopt, parent) {}

CAddPointFormView::CAddPointFormView(Services services, WebPointPage page, QWidget* parent)
    : CAddPointFormView(std::move(services), nullptr, 0, std::move(page), parent) {}

CAddPointFormView::CAddPointFormView(Services services, store::CategoryRecord* category,
                                     long long tagId, std::optional<WebPointPage> page,
                                     QWidget* parent)
    : QWidget(parent), m_services(std::move(services)), m_context(*m_services.context),
      m_title(new QLineEdit(this)),
      m_category(new CategoryChooser(m_context.base.categories(), this)),
      m_stars(new QComboBox(this)), m_pages(new QTabWidget(this)), m_webPage(std::move(page)),
      m_comment(new CReadingArea(m_context, this)),
      m_attachments(
          new CAttachmentPane(m_context, m_services.dispatcher, *m_services.opener, this)),
      m_save(new QPushButton("保存", this)), m_cancel(new QPushButton("取消", this)) {
    setObjectName("addPointForm");
    m_title->setObjectName("addPointTitle");
    m_category->setObjectName("addPointCategory");
    m_category->select(category);
    m_stars->setObjectName("addPointStars");
    for (const std::string& entry : ops::starMenuEntries(m_services.maxStarNum)) {
        m_stars->addItem(QString::fromStdString(entry));
    }
    auto* tagRow = new QHBoxLayout;
    for (int i = 0; i < kTagChoosers; ++i) {
        auto* chooser = new TagChooser(m_context.base.tags(), this);
        chooser->setObjectName(QStringLiteral("addPointTag%1").arg(i + 1));
        chooser->setAccessibleName(QStringLiteral("所属标签%1").arg(i + 1));
        tagRow->addWidget(chooser, 1);
        m_tags.push_back(chooser);
    }
    m_tags.front()->select(tagId);

    auto* fields = new QFormLayout;
    fields->addRow("标题:", m_title);
    fields->addRow("所属分类:", m_category);
    fields->addRow("所属标签:", tagRow);
    fields->addRow("星级:", m_stars);

    m_pages->setObjectName("addPointPages");
    if (m_webPage) {
        m_title->setText(m_webPage->title);
        m_pageHost = new CPageHost(m_webPage->view, m_webPage->owner, this);
        m_pageHost->setAccessibleName("网页正文");
        m_pages->addTab(m_pageHost, "正文");
    } else {
        m_content = new CReadingArea(m_context, this);
        m_content->setObjectName("addPointContent");
        connect(m_content, &CReadingArea::saveRequested, this, [this] { save(); });
        m_pages->addTab(m_content, "正文");
    }
    m_comment->setObjectName("addPointComment");
    m_comment->editor()->setAccessibleName("知识点批注");
    m_pages->addTab(m_comment, "批注");
    m_pages->addTab(m_attachments, "附件");
    m_attachments->showNewPoint(QString::fromUtf8(kName));
    if (m_services.readingTools) {
        if (m_content) {
            equipReadingArea(*m_content, *m_services.readingTools);
        }
        equipReadingArea(*m_comment, *m_services.readingTools);
    }

    m_save->setObjectName("addPointSave");
    m_cancel->setObjectName("addPointCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, [this] { save(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancel(); });
    connect(m_comment, &CReadingArea::saveRequested, this, [this] { save(); });
    connect(m_title, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_attachments->showNewPoint(text.trimmed().isEmpty() ? QString::fromUtf8(kName)
                                                             : text.trimmed());
    });
}

std::vector<long long> CAddPointFormView::chosenTags() const {
    std::vector<long long> tags;
    for (const TagChooser* chooser : m_tags) {
        long long id = chooser->chosen();
        if (id != 0 && std::find(tags.begin(), tags.end(), id) == tags.end()) {
            tags.push_back(id);
        }
    }
    return tags;
}

ops::PointInput CAddPointFormView::input() const {
    ops::PointInput input;
    input.title = m_title->text().toStdString();
    input.starNum = std::max(0, m_stars->currentIndex());
    input.tags = chosenTags();
    if (m_webPage) {
        input.type = ops::PointType::Web;
        input.archive = m_webPage->writer;
    } else {
        input.content = m_content->richText();
    }
    // An empty comment page is no comment: the writer's header alone would set has_comment.
    if (!m_comment->isEmpty()) {
        input.comment = m_comment->richText();
    }
    input.attachments = m_attachments->pending();
    return input;
}

bool CAddPointFormView::save() {
    if (m_closing || m_saving) {
        return false;
    }
    QPointer<CAddPointFormView> alive(this);
    m_saving = true;
    ops::OperationResult result;
    {
        ChangeDispatcher::Guard guard(*m_services.dispatcher);
        result = ops::addPoint(m_context, m_category->chosen(), input());
    }
    // The program may have closed the form while the page was being saved.
    if (!alive) {
        return result.ok();
    }
    m_saving = false;
    if (!result.ok()) {
        if (result.field == ops::Field::Name) {
            m_title->setFocus();
            m_title->selectAll();
        } else if (result.field == ops::Field::Parent) {
            m_category->setFocus();
        }
        return false;
    }
    closeLater();
    return true;
}

bool CAddPointFormView::cancel() {
    if (m_closing || m_context.prompt.ask(kCancelQuestion, app::MessageIcon::Question,
                                          app::Buttons::YesNo) != app::Answer::Yes) {
        m_title->setFocus();
        return false;
    }
    closeLater();
    return true;
}

// The form goes once the button's slot has returned.
void CAddPointFormView::closeLater() {
    m_closing = true;
    QTimer::singleShot(0, this, [this] {
        if (m_services.close) {
            m_services.close(this);
        }
    });
}

// The drop-downs follow the trees, keeping what was chosen when it is still there.
void CAddPointFormView::applyChange(const store::ChangeNotification& notification) {
    if (changesTags(notification.code)) {
        for (TagChooser* chooser : m_tags) {
            chooser->rebuild();
        }
    }
    if (notification.store != store::StoreKind::Category || !changesCategories(notification.code)) {
        return;
    }
    store::CategoryRecord* chosen = m_category->chosen();
    auto* rebuilt = new CategoryChooser(m_context.base.categories(), this);
    rebuilt->setObjectName(m_category->objectName());
    rebuilt->select(chosen);
    if (auto* fields = qobject_cast<QFormLayout*>(layout()->itemAt(0)->layout())) {
        delete fields->replaceWidget(m_category, rebuilt);
    }
    delete m_category;
    m_category = rebuilt;
}

} // namespace tarnel::ui
