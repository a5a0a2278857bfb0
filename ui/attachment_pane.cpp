#include "ui/attachment_pane.h"

#include "ops/attachment_editing.h"
#include "ops/attachment_messages.h"
#include "ops/point_content.h"
#include "platform/text_format.h"
#include "store/attribute_tables.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnel::ui {
namespace {

namespace fs = std::filesystem;
namespace attachment = store::attachment;

// The `state` of an attachment checked out through the shared data service.
constexpr long long kCheckedOut = 2;
// The desktop found no program for the file; the opener reports nothing itself.
constexpr std::string_view kOpenFailedText = "无法打开附件“%s”，没有可以打开此类文件的程序!";

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// The description part of a filter written "description|patterns||"; Qt reads the patterns from
// the parentheses in it.
QString qtFilter(std::string_view filter) {
    return fromUtf8(filter.substr(0, filter.find('|')));
}

std::optional<CAttachmentPane::Choice> chooseFilesByDialog(QWidget* owner) {
    QFileDialog dialog(owner, fromUtf8(ops::message::kAddAttachmentsTitle));
    dialog.setObjectName("addAttachmentDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(qtFilter(ops::message::kAllFilesFilter));
    auto* mode = new QComboBox(&dialog);
    mode->setObjectName("attachmentMode");
    mode->addItem(fromUtf8(ops::message::kLinkModeChoice));
    mode->addItem(fromUtf8(ops::message::kBackupModeChoice));
    auto* label = new QLabel("附件模式:", &dialog);
    label->setBuddy(mode);
    mode->setAccessibleName("附件模式");
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(mode, row, 1);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    CAttachmentPane::Choice choice;
    for (const QString& file : dialog.selectedFiles()) {
        choice.files.emplace_back(file.toStdString());
    }
    choice.linked = mode->currentIndex() == 0;
    return choice;
}

std::optional<fs::path> chooseTargetByDialog(QWidget* owner, const QString& name) {
    QString target = QFileDialog::getSaveFileName(
        owner, "导出附件", name, qtFilter(ops::message::saveFilterFor(utf8(name))));
    if (target.isEmpty()) {
        return std::nullopt;
    }
    return fs::path(target.toStdString());
}

QPushButton* makeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    return button;
}

} // namespace

CAttachmentPane::CAttachmentPane(ops::OperationContext& context, ChangeDispatcher* dispatcher,
                                 const platform::Opener& opener, QWidget* parent)
    : QWidget(parent), m_context(context), m_dispatcher(dispatcher), m_opener(opener),
      m_list(new QTreeWidget(this)), m_add(makeButton("添加附件", "addAttachment", this)),
      m_open(makeButton("打开附件", "openAttachment", this)),
      m_export(makeButton("导出附件", "exportAttachment", this)),
      m_delete(makeButton("删除附件", "deleteAttachment", this)) {
    setObjectName("attachmentPane");
    m_dialogs = {chooseFilesByDialog, chooseTargetByDialog};
    m_list->setObjectName("attachmentList");
    m_list->setAccessibleName("附件列表");
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({"名称", "所属知识点", "大小", "模式", "创建日期", "修改日期", "状态"});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_add, m_open, m_export, m_delete}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(m_list, 1);
    connect(m_add, &QPushButton::clicked, this, &CAttachmentPane::addAttachments);
    connect(m_open, &QPushButton::clicked, this, &CAttachmentPane::openSelected);
    connect(m_export, &QPushButton::clicked, this, &CAttachmentPane::exportSelected);
    connect(m_delete, &QPushButton::clicked, this, &CAttachmentPane::deleteSelected);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CAttachmentPane::openSelected);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &CAttachmentPane::updateButtons);
    updateButtons();
}

void CAttachmentPane::setDialogs(Dialogs dialogs) {
    if (dialogs.chooseFiles) {
        m_dialogs.chooseFiles = std::move(dialogs.chooseFiles);
    }
    if (dialogs.chooseTarget) {
        m_dialogs.chooseTarget = std::move(dialogs.chooseTarget);
    }
}

void CAttachmentPane::showPoint(long long pointId) {
    m_pointId = pointId;
    m_pending.clear();
    fill();
}

void CAttachmentPane::showNewPoint(const QString& pointName) {
    m_pointId = 0;
    m_pointName = pointName;
    fill();
}

void CAttachmentPane::refresh() {
    fill();
}

std::vector<CAttachmentPane::Row> CAttachmentPane::rows() {
    std::vector<Row> out;
    if (m_pointId == 0) {
        for (const ops::AttachmentInput& input : m_pending) {
            std::optional<std::uint64_t> size = m_context.fileSystem.fileSize(input.file);
            out.push_back({QString::fromStdString(input.file.filename().string()),
                           0,
                           input.file,
                           size ? static_cast<long long>(*size) : 0,
                           input.linked,
                           false,
                           {},
                           {}});
        }
        return out;
    }
    ops::FoundPoint found = ops::findPoint(m_context.base, m_pointId);
    if (!found.point) {
        return out;
    }
    m_pointName = fromUtf8(found.point->name());
    for (store::AttachmentRecord* record : ops::attachmentsOfPoint(*found.category, *found.point)) {
        const store::Record& values = record->values;
        out.push_back({fromUtf8(record->name()), record->id,
                       ops::attachmentFile(m_context, *record),
                       values.integer(attachment::kAppendSize), record->isLinked(),
                       values.integer(attachment::kState) == kCheckedOut,
                       fromUtf8(values.value(attachment::kCreateDate)),
                       fromUtf8(values.value(attachment::kModifyDate))});
    }
    return out;
}

void CAttachmentPane::fill() {
    int kept = selectedRow();
    m_shown = rows();
    m_list->clear();
    for (const Row& row : m_shown) {
        auto* item = new QTreeWidgetItem(
            m_list,
            {row.name, m_pointName,
             QString::fromStdString(
                 platform::formatSize(static_cast<std::uint64_t>(std::max(0LL, row.size)))),
             fromUtf8(row.linked ? ops::message::kLinkModeChoice : ops::message::kBackupModeChoice),
             row.created, row.modified, stateText(row)});
        item->setToolTip(0, QString::fromStdString(row.file.string()));
    }
    if (!m_shown.empty()) {
        int at = std::clamp(kept, 0, static_cast<int>(m_shown.size()) - 1);
        m_list->setCurrentItem(m_list->topLevelItem(at));
    }
    updateButtons();
}

QString CAttachmentPane::stateText(const Row& row) const {
    if (!m_context.fileSystem.isRegularFile(row.file)) {
        return fromUtf8(ops::message::kAttachmentMissingText);
    }
    return row.checkedOut ? QString("已签出") : QString("正常");
}

void CAttachmentPane::applyChange(const store::ChangeNotification& notification) {
    using namespace store::change;
    if (m_pointId == 0) {
        return;
    }
    bool ofAttachment =
        (notification.code == kAttachmentAdded || notification.code == kAttachmentRemoved) &&
        notification.relatedId == m_pointId;
    bool ofPoint = notification.code == kPointChanged && notification.id == m_pointId;
    if (ofAttachment || ofPoint) {
        fill();
    }
}

int CAttachmentPane::selectedRow() const {
    QTreeWidgetItem* item = m_list->currentItem();
    return item ? m_list->indexOfTopLevelItem(item) : -1;
}

void CAttachmentPane::updateButtons() {
    bool selected = selectedRow() >= 0;
    m_open->setEnabled(selected);
    m_export->setEnabled(selected && m_pointId != 0);
    m_delete->setEnabled(selected);
}

void CAttachmentPane::addPending(const Choice& choice) {
    for (const fs::path& file : choice.files) {
        std::string name = file.filename().string();
        bool taken = std::any_of(m_pending.begin(), m_pending.end(), [&](const auto& input) {
            return store::equalIgnoringAsciiCase(input.file.filename().string(), name);
        });
        if (taken) {
            m_context.prompt.show(
                ops::message::formatted(ops::message::kDuplicateAttachment, {name}),
                app::MessageIcon::Information);
            continue;
        }
        m_pending.push_back({file, choice.linked});
    }
}

void CAttachmentPane::addAttachments() {
    std::optional<Choice> choice = m_dialogs.chooseFiles(this);
    if (!choice || choice->files.empty()) {
        return;
    }
    if (m_pointId == 0) {
        addPending(*choice);
    } else if (ops::FoundPoint found = ops::findPoint(m_context.base, m_pointId); found.point) {
        std::vector<ops::AttachmentInput> inputs;
        for (const fs::path& file : choice->files) {
            inputs.push_back({file, choice->linked});
        }
        std::optional<ChangeDispatcher::Guard> guard;
        if (m_dispatcher) {
            guard.emplace(*m_dispatcher);
        }
        ops::addAttachments(m_context, *found.category, *found.point, inputs);
    }
    fill();
}

void CAttachmentPane::openSelected() {
    int at = selectedRow();
    if (at < 0) {
        return;
    }
    const Row& row = m_shown[static_cast<std::size_t>(at)];
    if (row.attachmentId == 0) {
        m_opener.openFile(fs::absolute(row.file));
        return;
    }
    ops::FoundPoint found = ops::findPoint(m_context.base, m_pointId);
    if (!found.point) {
        return;
    }
    if (store::AttachmentRecord* record =
            found.category->owner->attachmentsOf(*found.category).find(row.attachmentId)) {
        if (ops::openAttachment(m_context, m_opener, *record).code == ops::kOpenFailed) {
            m_context.prompt.show(
                ops::message::formatted(kOpenFailedText, {std::string(record->name())}),
                app::MessageIcon::Error);
        }
    }
}

void CAttachmentPane::exportSelected() {
    int at = selectedRow();
    if (at < 0 || m_pointId == 0) {
        return;
    }
    long long id = m_shown[static_cast<std::size_t>(at)].attachmentId;
    std::optional<fs::path> target =
        m_dialogs.chooseTarget(this, m_shown[static_cast<std::size_t>(at)].name);
    ops::FoundPoint found = ops::findPoint(m_context.base, m_pointId);
    if (!target || !found.point) {
        return;
    }
    if (store::AttachmentRecord* record =
            found.category->owner->attachmentsOf(*found.category).find(id)) {
        ops::exportAttachment(m_context, *record, *target);
    }
}

void CAttachmentPane::deleteSelected() {
    int at = selectedRow();
    if (at < 0) {
        return;
    }
    if (m_pointId == 0) {
        if (m_context.prompt.ask(std::string(ops::message::kDeleteAttachmentQuestion),
                                 app::MessageIcon::Question,
                                 app::Buttons::YesNo) == app::Answer::Yes) {
            m_pending.erase(m_pending.begin() + at);
            fill();
        }
        return;
    }
    long long id = m_shown[static_cast<std::size_t>(at)].attachmentId;
    ops::FoundPoint found = ops::findPoint(m_context.base, m_pointId);
    store::AttachmentRecord* record =
        found.point ? found.category->owner->attachmentsOf(*found.category).find(id) : nullptr;
    if (record) {
        std::optional<ChangeDispatcher::Guard> guard;
        if (m_dispatcher) {
            guard.emplace(*m_dispatcher);
        }
        ops::deleteAttachment(m_context, *found.category, *found.point, *record);
    }
    fill();
}

} // namespace tarnel::ui
