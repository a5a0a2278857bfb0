#include "ui/reading_area.h"

#include "ops/point_content.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "ui/rich_text_bridge.h"

#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QTextEdit>
#include <QVBoxLayout>

namespace tarnel::ui {
namespace {

QString text(const std::string& value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

std::string utf8(const QString& value) {
    return value.toUtf8().toStdString();
}

} // namespace

CReadingArea::CReadingArea(ops::OperationContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_layout(new QVBoxLayout(this)),
      m_notice(new QLabel(this)), m_editor(new QTextEdit(this)) {
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
    m_editor->setAcceptRichText(false);
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
    m_pointId = point.id;
    m_pointName = std::string(point.name());
    show(bytes);
    return true;
}

bool CReadingArea::followsPoint(const store::ChangeNotification& notification) const {
    return notification.id == m_pointId && (notification.code == store::change::kPointChanged ||
                                            notification.code == store::change::kPointAdded);
}

void CReadingArea::applyChange(const store::ChangeNotification& notification) {
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
    m_storedBytes = bytes;
    m_readOnly = read.status != richtext::ReadStatus::Complete;
    m_unkeptPictures = read.omittedPictures;
    m_unkeptTableRows = read.unkeptTableRows;
    toQt(read.document, *m_editor->document());
    m_editor->moveCursor(QTextCursor::Start);
    m_editor->setReadOnly(m_readOnly);
    m_notice->setVisible(m_readOnly);
    if (m_readOnly) {
        m_notice->setText(QString::fromUtf8(reading::kReadOnlyNotice) + "\n" + text(read.message));
    }
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

bool CReadingArea::isModified() const {
    return m_editor->document()->isModified();
}

bool CReadingArea::agreeToLoss() {
    QStringList losses;
    if (m_unkeptPictures > 0) {
        losses << QString::fromUtf8(reading::kLossPictures).arg(m_unkeptPictures);
    }
    if (m_unkeptTableRows > 0) {
        losses << QString::fromUtf8(reading::kLossTableRows).arg(m_unkeptTableRows);
    }
    if (losses.isEmpty()) {
        return true;
    }
    QString question = QString::fromUtf8(reading::kLossQuestion)
                           .arg(losses.join(QString::fromUtf8(reading::kLossSeparator)));
    if (m_context.prompt.ask(utf8(question), app::MessageIcon::Question, app::Buttons::YesNo) !=
        app::Answer::Yes) {
        return false;
    }
    m_unkeptPictures = 0;
    m_unkeptTableRows = 0;
    return true;
}

bool CReadingArea::save() {
    if (m_readOnly || m_pointId == 0 || !agreeToLoss()) {
        return false;
    }
    std::string bytes = richtext::RtfWriter().write(fromQt(*m_editor->document()));
    if (!ops::savePointContent(m_context, m_pointId, bytes).ok()) {
        return false;
    }
    m_storedBytes = std::move(bytes);
    m_editor->document()->setModified(false);
    emit saved();
    return true;
}

void CReadingArea::revert() {
    show(m_storedBytes);
}

bool CReadingArea::runSavePrompt() {
    if (!isModified()) {
        return true;
    }
    QString question = QString::fromUtf8(reading::kSaveQuestion).arg(text(m_pointName));
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

} // namespace tarnel::ui
