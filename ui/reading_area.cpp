#include "ui/reading_area.h"

#include "ops/comment_editing.h"
#include "ops/point_content.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "ui/rich_text_bridge.h"
#include "ui/rich_text_editor.h"

#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QTextEdit>
#include <QVBoxLayout>
#include <utility>

namespace tarnel::ui {
namespace {

QString text(const std::string& value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

std::string utf8(const QString& value) {
    return value.toUtf8().toStdString();
}

QString unkeptContent(const richtext::ReadResult& read) {
    QStringList kinds;
    if (read.omittedPictures > 0) {
        kinds << QString::fromUtf8(reading::kLostPictures).arg(read.omittedPictures);
    }
    if (read.droppedObjects) {
        kinds << QString::fromUtf8(reading::kLostObjects);
    }
    if (read.droppedFields) {
        kinds << QString::fromUtf8(reading::kLostFields);
    }
    if (read.unkeptTableRows > 0) {
        kinds << QString::fromUtf8(reading::kLostTableRows).arg(read.unkeptTableRows);
    }
    return kinds.join(QString::fromUtf8("、"));
}

} // namespace

CReadingArea::CReadingArea(ops::OperationContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_layout(new QVBoxLayout(this)),
      m_notice(new QLabel(this)), m_editor(new CRichTextEditor(this)) {
    setObjectName("readingArea");
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_notice->setObjectName("readingNotice");
    m_notice->setAccessibleName("阅读区提示");
    m_notice->setWordWrap(true);
    m_notice->setMargin(4);
    m_notice->hide();
    m_editor->setObjectName("readingEditor");
    m_editor->setAccessibleName("知识点正文");
    m_layout->addWidget(m_notice);
    m_layout->addWidget(m_editor, 1);
    connect(m_editor->document(), &QTextDocument::modificationChanged, this,
            &CReadingArea::modifiedChanged);
    auto* saveKey = new QShortcut(QKeySequence::Save, this);
    saveKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(saveKey, &QShortcut::activated, this, [this] { save(); });
}

bool CReadingArea::openPoint(store::CategoryRecord& category, const store::PointRecord& point) {
    std::string bytes;
    std::filesystem::path path = category.owner->contentPathOf(category, point);
    if (int err = m_context.fileSystem.readFile(path, bytes)) {
        m_context.prompt.show(
            utf8(QString::fromUtf8(reading::kReadFailed).arg(text(platform::errorText(err)))),
            app::MessageIcon::Error);
        return false;
    }
    m_subject = Subject::Content;
    m_pointId = point.id;
    m_categoryId = category.id;
    m_pointName = std::string(point.name());
    show(bytes);
    return true;
}

bool CReadingArea::openComment(store::CategoryRecord& category, const store::PointRecord& point) {
    std::string bytes;
    std::filesystem::path path = m_context.base.layout().commentFile(point.id, point.name());
    m_commentExists = m_context.fileSystem.exists(path);
    if (int err = m_commentExists ? m_context.fileSystem.readFile(path, bytes) : 0) {
        m_context.prompt.show(
            utf8(QString::fromUtf8(reading::kReadFailed).arg(text(platform::errorText(err)))),
            app::MessageIcon::Error);
        return false;
    }
    m_subject = Subject::Comment;
    m_pointId = point.id;
    m_categoryId = category.id;
    m_pointName = std::string(point.name());
    show(bytes);
    return true;
}

bool CReadingArea::followsPoint(const store::ChangeNotification& notification) const {
    return notification.id == m_pointId && (notification.code == store::change::kPointChanged ||
                                            notification.code == store::change::kPointAdded);
}

void CReadingArea::applyChange(const store::ChangeNotification& notification) {
    trackPoint(notification);
    if (!followsPoint(notification)) {
        return;
    }
    store::CategoryStore& store = m_context.base.store(notification.store);
    store::CategoryRecord* owner = store.find(notification.relatedId);
    if (const store::PointRecord* point =
            owner ? store.pointsOf(*owner).find(m_pointId) : nullptr) {
        m_pointName = std::string(point->name());
    }
}

void CReadingArea::show(const std::string& bytes) {
    richtext::ReadResult read = richtext::RtfReader().read(bytes);
    m_readOnly = read.status != richtext::ReadStatus::Complete;
    m_storedUnkept = unkeptContent(read);
    keepStored(std::move(read.document));
    if (m_readOnly) {
        m_notice->setText(QString::fromUtf8(reading::kReadOnlyNotice) + "\n" + text(read.message));
    }
    display();
}

void CReadingArea::display() {
    m_unkept = m_storedUnkept;
    toQt(m_stored, *m_editor->document());
    m_editor->moveCursor(QTextCursor::Start);
    m_editor->setReadOnly(m_readOnly || m_viewOnly);
    m_notice->setVisible(m_readOnly && !m_viewOnly);
    // Building the document may report a change on the way that the final reset does not take
    // back; whoever follows the modified state hears the state the shown content has.
    emit modifiedChanged(isModified());
    emit displayChanged();
}

void CReadingArea::setToolBar(QWidget* toolBar, ToolBarEdge edge) {
    if (m_toolBar && m_toolBar != toolBar) {
        m_layout->removeWidget(m_toolBar);
        delete m_toolBar;
    }
    m_toolBar = toolBar;
    m_toolBarEdge = edge;
    if (!toolBar) {
        return;
    }
    m_layout->removeWidget(toolBar);
    toolBar->setParent(this);
    m_layout->insertWidget(edge == ToolBarEdge::Top ? 0 : m_layout->count(), toolBar);
    toolBar->show();
}

void CReadingArea::setViewOnly(bool viewOnly) {
    m_viewOnly = viewOnly;
    m_editor->setReadOnly(m_readOnly || m_viewOnly);
    m_notice->setVisible(m_readOnly && !m_viewOnly);
    emit displayChanged();
}

bool CReadingArea::isModified() const {
    return m_editor->document()->isModified();
}

bool CReadingArea::agreeToLoss() {
    if (m_unkept.isEmpty()) {
        return true;
    }
    QString question = QString::fromUtf8(reading::kLossQuestion).arg(m_unkept);
    if (m_context.prompt.ask(utf8(question), app::MessageIcon::Question, app::Buttons::YesNo) !=
        app::Answer::Yes) {
        return false;
    }
    m_unkept.clear();
    return true;
}

bool CReadingArea::isEmpty() const {
    return m_editor->document()->isEmpty();
}

std::string CReadingArea::richText() const {
    return richtext::RtfWriter().write(fromQt(*m_editor->document()));
}

bool CReadingArea::save() {
    if (m_subject == Subject::NewPoint) {
        emit saveRequested();
        return false;
    }
    if (m_readOnly || m_viewOnly || !agreeToLoss()) {
        return false;
    }
    richtext::Document edited;
    if (!store(edited)) {
        return false;
    }
    keepStored(std::move(edited));
    m_storedUnkept.clear();
    m_editor->document()->setModified(false);
    emit saved();
    return true;
}

// The model replaced is as large as the note: it is given back while the user goes on.
void CReadingArea::keepStored(richtext::Document document) {
    m_released.release(std::exchange(m_stored, std::move(document)));
}

void CReadingArea::revert() {
    display();
}

bool CReadingArea::runSavePrompt() {
    if (!isModified()) {
        return true;
    }
    QString question =
        QString::fromUtf8(m_subject == Subject::Comment ? reading::kCommentSaveQuestion
                                                        : reading::kSaveQuestion)
            .arg(text(m_pointName));
    switch (m_context.prompt.ask(utf8(question), app::MessageIcon::Question,
                                 app::Buttons::YesNoCancel)) {
    case app::Answer::Yes:
        return save();
    case app::Answer::No:
        revert();
        return true;
    default:
        return false;
    }
}

// A note's content is written while the editor's document is still being read back into the
// model, which it then holds.
bool CReadingArea::store(richtext::Document& edited) {
    const QTextDocument& shown = *m_editor->document();
    if (m_subject == Subject::Comment) {
        edited = fromQt(shown);
        return storeComment(richtext::RtfWriter().write(edited));
    }
    return ops::savePointContent(m_context, m_pointId,
                                 [&](const platform::FileSystem::PieceConsumer& write) {
                                     edited = writtenFromQt(shown, write);
                                 })
        .ok();
}

// The comment operation sets has_comment for any bytes written, and the writer writes a header
// even for an empty document: an emptied editor of a point without a comment writes nothing.
bool CReadingArea::storeComment(const std::string& bytes) {
    if (isEmpty() && !m_commentExists) {
        return true;
    }
    ops::FoundPoint found = ops::findPoint(m_context.base, m_pointId);
    if (!found.point) {
        return false;
    }
    if (!ops::writeComment(m_context, *found.category, *found.point, bytes).ok()) {
        return false;
    }
    m_commentExists = true;
    return true;
}

// A point moved to another category comes back (2) after it left its list (8); one recycled comes
// back in the recycle store, where it is no longer a point to edit.
void CReadingArea::trackPoint(const store::ChangeNotification& notification) {
    using store::change::kCategoryRemoved;
    using store::change::kPointAdded;
    using store::change::kPointRemoved;
    if (m_pointId == 0) {
        return;
    }
    if (notification.id == m_pointId && notification.code == kPointRemoved) {
        m_pointGone = true;
    } else if (notification.id == m_pointId && notification.code == kPointAdded) {
        m_pointGone = notification.store == store::StoreKind::Recycle;
        m_categoryId = notification.relatedId;
    } else if (notification.code == kCategoryRemoved && notification.id == m_categoryId &&
               notification.store != store::StoreKind::Recycle) {
        m_pointGone = true;
    }
}

} // namespace tarnel::ui
