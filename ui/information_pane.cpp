#include "ui/information_pane.h"

#include "ops/point_content.h"
#include "ops/point_editing.h"
#include "ops/point_tags.h"
#include "platform/codepage.h"
#include "platform/text_format.h"
#include "richtext/plain_text.h"
#include "store/attribute_tables.h"
#include "ui/attachment_pane.h"
#include "ui/reading_area.h"

#include <QFile>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMimeDatabase>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tarnel::ui {

using store::CategoryRecord;
using store::PointRecord;
namespace category = store::category;
namespace point = store::point;
namespace tag = store::tag;

namespace {

// A text file's preview shows its first part; a larger one would only slow the pane down.
constexpr qint64 kPreviewBytes = 256 * 1024;
// Pictures are shown at most this wide, so that the pane never scrolls sideways for them.
constexpr int kPreviewPictureWidth = 800;

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QString propertyRow(const char* caption, const QString& value) {
    return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
        .arg(QString::fromUtf8(caption), value.toHtmlEscaped());
}

QString propertyTable(const QString& rows) {
    return QStringLiteral("<table cellspacing=\"4\">%1</table>").arg(rows);
}

QString sizeText(long long bytes) {
    return QString::fromStdString(
        platform::formatSize(static_cast<std::uint64_t>(std::max(0LL, bytes))));
}

QString tagNames(store::TagStore& tags, const PointRecord& p) {
    QStringList names;
    for (long long id : ops::tagsOf(tags, p)) {
        if (const store::TagRecord* record = tags.find(id)) {
            names << text(record->name());
        }
    }
    return names.join(QString::fromUtf8("、"));
}

// Text of unknown encoding: UTF-8 when it is valid, else the system's code page.
QString decodedText(const QByteArray& bytes) {
    std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (platform::isValidUtf8(view)) {
        return QString::fromUtf8(bytes);
    }
    return QString::fromStdString(platform::gbToUtf8(view));
}

} // namespace

CInformationPane::CInformationPane(ops::OperationContext& context, ChangeDispatcher* dispatcher,
                                   const platform::Opener& opener, Variant variant,
                                   const ReadingAreaTools* tools, QWidget* parent)
    : QTabWidget(parent), m_context(context), m_variant(variant), m_properties(new QLabel(this)) {
    setObjectName("infoTabs");
    setAccessibleName("信息");
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    m_properties->setObjectName("propertyInfo");
    m_properties->setAccessibleName("属性信息");
    m_properties->setTextFormat(Qt::RichText);
    m_properties->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_properties->setMargin(6);
    m_properties->setWordWrap(true);
    m_properties->setAutoFillBackground(true);
    m_properties->setPalette(white);
    addTab(m_properties, "属性信息");
    if (variant == Variant::RecycleBin) {
        return;
    }
    m_content = new CReadingArea(context, this);
    m_content->setObjectName("infoContent");
    m_content->setViewOnly(true);
    addTab(m_content, "正文");

    m_commentPage = new QWidget(this);
    m_commentPage->setObjectName("infoCommentPage");
    m_comment = new CReadingArea(context, m_commentPage);
    m_comment->setObjectName("infoComment");
    m_comment->editor()->setAccessibleName("知识点批注");
    m_saveComment = new QPushButton("保存批注", m_commentPage);
    m_saveComment->setObjectName("saveComment");
    m_saveComment->setEnabled(false);
    auto* commentButtons = new QHBoxLayout;
    commentButtons->addWidget(m_saveComment);
    commentButtons->addStretch(1);
    auto* commentLayout = new QVBoxLayout(m_commentPage);
    commentLayout->setContentsMargins(0, 0, 0, 0);
    commentLayout->addLayout(commentButtons);
    commentLayout->addWidget(m_comment, 1);
    addTab(m_commentPage, "批注");
    connect(m_saveComment, &QPushButton::clicked, this, [this] { m_comment->save(); });
    connect(m_comment, &CReadingArea::modifiedChanged, m_saveComment, &QWidget::setEnabled);
    connect(m_comment, &CReadingArea::saved, this, [this] { m_commentSaved = true; });

    m_attachments = new CAttachmentPane(context, dispatcher, opener, this);
    addTab(m_attachments, "附件");

    m_preview = new QTextBrowser(this);
    m_preview->setObjectName("infoPreview");
    m_preview->setAccessibleName("预览");
    m_preview->setOpenLinks(false);
    m_preview->setPalette(white);
    addTab(m_preview, "预览");
    if (tools) {
        equipReadingArea(*m_content, *tools);
        equipReadingArea(*m_comment, *tools);
    }
    connect(this, &QTabWidget::currentChanged, this, [this] { loadCurrentPage(); });
    setPointPagesEnabled(false);
}

void CInformationPane::setPointPagesEnabled(bool enabled) {
    for (int page = Content; page < count(); ++page) {
        setTabEnabled(page, enabled);
    }
}

void CInformationPane::markStale() {
    m_stale.fill(true);
}

void CInformationPane::showCategory(const CategoryRecord& record, const QString& name) {
    m_shown = Shown::Category;
    m_store = record.owner->kind();
    m_id = record.id;
    m_rootName = name;
    describeCategory(record, name);
    setCurrentIndex(Properties);
    setTabEnabled(Properties, true);
    setPointPagesEnabled(false);
}

void CInformationPane::showTag(const store::TagRecord& record) {
    m_shown = Shown::Tag;
    m_store = store::StoreKind::Tag;
    m_id = record.id;
    describeTag(record);
    setCurrentIndex(Properties);
    setTabEnabled(Properties, true);
    setPointPagesEnabled(false);
}

void CInformationPane::showPoint(const CategoryRecord& owner, const PointRecord& p) {
    bool same = m_shown == Shown::Point && m_id == p.id;
    m_shown = Shown::Point;
    m_store = owner.owner->kind();
    m_id = p.id;
    m_categoryId = owner.id;
    describePoint(owner, p);
    setTabEnabled(Properties, true);
    if (m_variant == Variant::RecycleBin) {
        return;
    }
    if (!same) {
        markStale();
        m_commentSaved = false;
    }
    setPointPagesEnabled(true);
    bool readable = ops::viewOf(p.name()) == ops::PointView::Reading &&
                    m_context.fileSystem.isRegularFile(owner.owner->contentPathOf(owner, p));
    setTabEnabled(Content, readable);
    if (!isTabEnabled(currentIndex())) {
        setCurrentIndex(Properties);
    }
    loadCurrentPage();
}

void CInformationPane::showNothing() {
    m_shown = Shown::Nothing;
    m_id = 0;
    m_properties->clear();
    setPointPagesEnabled(false);
    setTabEnabled(Properties, false);
}

bool CInformationPane::hasUnsavedComment() const {
    return m_comment && m_comment->isModified();
}

bool CInformationPane::runSavePrompt() {
    return !hasUnsavedComment() || m_comment->runSavePrompt();
}

bool CInformationPane::leavePoint() {
    if (!hasUnsavedComment()) {
        return true;
    }
    setCurrentWidget(m_commentPage);
    return m_comment->runSavePrompt();
}

void CInformationPane::loadCurrentPage() {
    int page = currentIndex();
    if (m_shown != Shown::Point || page == Properties || page < 0 ||
        !m_stale[static_cast<std::size_t>(page)]) {
        return;
    }
    ops::FoundPoint found = ops::findPoint(m_context.base, m_id);
    if (!found.point) {
        return;
    }
    m_stale[static_cast<std::size_t>(page)] = false;
    switch (page) {
    case Content:
        loadContent(*found.category, *found.point);
        break;
    case Comment:
        loadComment(*found.category, *found.point);
        break;
    case Attachments:
        m_attachments->showPoint(m_id);
        break;
    case Preview:
        loadPreview(*found.category, *found.point);
        break;
    default:
        break;
    }
}

void CInformationPane::loadContent(CategoryRecord& owner, const PointRecord& p) {
    if (!m_content->openPoint(owner, p)) {
        setTabEnabled(Content, false);
        setCurrentIndex(Properties);
    }
}

void CInformationPane::loadComment(CategoryRecord& owner, const PointRecord& p) {
    if (!m_comment->openComment(owner, p)) {
        setCurrentIndex(Properties);
    }
    m_saveComment->setEnabled(false);
}

// Rich text shows its plain text, a picture itself, any other text its first part; a document
// that cannot be shown says so and how to open it.
void CInformationPane::loadPreview(CategoryRecord& owner, const PointRecord& p) {
    std::filesystem::path path = owner.owner->contentPathOf(owner, p);
    QString file = QString::fromStdString(path.string());
    m_preview->clear();
    if (!m_context.fileSystem.isRegularFile(path)) {
        m_preview->setHtml(
            QStringLiteral("<p><b>文件已失效</b></p><p>%1</p>").arg(file.toHtmlEscaped()));
        return;
    }
    QImageReader picture(file);
    if (picture.canRead()) {
        QImage image = picture.read();
        if (image.width() > kPreviewPictureWidth) {
            image = image.scaledToWidth(kPreviewPictureWidth, Qt::SmoothTransformation);
        }
        QUrl name(QStringLiteral("preview:picture"));
        m_preview->document()->addResource(QTextDocument::ImageResource, name, image);
        m_preview->setHtml(QStringLiteral("<img src=\"%1\">").arg(name.toString()));
        return;
    }
    QFile source(file);
    QMimeType type = QMimeDatabase().mimeTypeForFile(file);
    bool rich = ops::viewOf(p.name()) == ops::PointView::Reading;
    if (!rich && !type.inherits("text/plain")) {
        m_preview->setHtml(
            QStringLiteral(
                "<p>%1</"
                "p><p>此类型的文档不能在这里预览，请双击列表中的知识点，用桌面的默认程序打开。</p>")
                .arg(type.comment().toHtmlEscaped()));
        return;
    }
    if (!source.open(QIODevice::ReadOnly)) {
        m_preview->setPlainText(source.errorString());
        return;
    }
    if (rich) {
        QByteArray bytes = source.readAll();
        m_preview->setPlainText(QString::fromStdString(
            richtext::extractPlainText(std::string_view(bytes.constData(), bytes.size())).text));
        return;
    }
    m_preview->setPlainText(decodedText(source.read(kPreviewBytes)));
}

void CInformationPane::describeCategory(const CategoryRecord& record, const QString& name) {
    QString rows;
    rows += propertyRow("名称:", name);
    rows += propertyRow("创建日期:", text(record.values.value(category::kCreateDate)));
    rows += propertyRow("修改日期:", text(record.values.value(category::kModifyDate)));
    rows += propertyRow("知识点数:", QString::number(record.values.integer(category::kPointNum)));
    rows += propertyRow("星级:", QString::number(record.values.integer(category::kStarNum)));
    rows += propertyRow("备注:", text(record.values.value(category::kMemo)));
    m_properties->setText(propertyTable(rows));
}

void CInformationPane::describeTag(const store::TagRecord& record) {
    QString rows;
    rows += propertyRow("名称:", text(record.name()));
    rows += propertyRow("创建日期:", text(record.values.value(tag::kCreateDate)));
    rows += propertyRow("修改日期:", text(record.values.value(tag::kModifyDate)));
    rows += propertyRow("知识点数:", QString::number(record.values.integer(tag::kPointNum)));
    rows += propertyRow("星级:", QString::number(record.values.integer(tag::kStarNum)));
    rows += propertyRow("备注:", text(record.values.value(tag::kMemo)));
    m_properties->setText(propertyTable(rows));
}

void CInformationPane::describePoint(const CategoryRecord& owner, const PointRecord& p) {
    const store::Record& values = p.values;
    QString place = owner.id == 0 ? text(owner.owner->displayName()) : text(owner.name());
    QString rows;
    rows += propertyRow("名称:", text(p.name()));
    rows += propertyRow("所属分类:", place);
    rows += propertyRow("所属标签:", tagNames(m_context.base.tags(), p));
    rows += propertyRow("大小:", sizeText(values.integer(point::kPointSize)));
    rows += propertyRow("附件数:", QString::number(values.integer(point::kAppendNum)));
    rows += propertyRow("批注:", values.integer(point::kHasComment) != 0 ? "有批注" : "无");
    rows += propertyRow("创建日期:", text(values.value(point::kCreateDate)));
    rows += propertyRow("修改日期:", text(values.value(point::kModifyDate)));
    rows += propertyRow("星级:", QString::number(values.integer(point::kStarNum)));
    m_properties->setText(propertyTable(rows));
}

void CInformationPane::refreshProperties() {
    switch (m_shown) {
    case Shown::Category:
        if (const CategoryRecord* record = m_context.base.store(m_store).find(m_id)) {
            describeCategory(*record, m_id == 0 ? m_rootName : text(record->name()));
        }
        break;
    case Shown::Tag:
        if (const store::TagRecord* record = m_context.base.tags().find(m_id)) {
            describeTag(*record);
        }
        break;
    case Shown::Point: {
        ops::FoundPoint found = ops::findPoint(m_context.base, m_id);
        if (found.point) {
            describePoint(*found.category, *found.point);
        }
        break;
    }
    case Shown::Nothing:
        break;
    }
}

bool CInformationPane::concernsShown(const store::ChangeNotification& n) const {
    using namespace store::change;
    switch (m_shown) {
    case Shown::Category:
        return n.store == m_store && (n.id == m_id || n.relatedId == m_id);
    case Shown::Tag:
        return n.store == store::StoreKind::Tag ? n.id == m_id : n.relatedId == m_id;
    case Shown::Point:
        return (n.code == kPointChanged || n.code == kPointAdded) && n.id == m_id;
    case Shown::Nothing:
        return false;
    }
    return false;
}

// The comment page keeps what the user is typing; the other pages read the stores again, the
// one in front at once.
void CInformationPane::applyChange(const store::ChangeNotification& notification) {
    if (m_attachments) {
        m_attachments->applyChange(notification);
    }
    if (!concernsShown(notification)) {
        return;
    }
    refreshProperties();
    if (m_shown != Shown::Point || m_variant == Variant::RecycleBin) {
        return;
    }
    m_stale[Content] = true;
    m_stale[Preview] = true;
    m_stale[Comment] = !hasUnsavedComment() && !m_commentSaved;
    m_commentSaved = false;
    loadCurrentPage();
}

} // namespace tarnel::ui
