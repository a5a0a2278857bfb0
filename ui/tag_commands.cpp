#include "ui/tag_commands.h"

#include "ops/import_messages.h"
#include "ops/knowledge_export.h"
#include "ops/tag_editing.h"
#include "ui/category_commands.h"
#include "ui/category_dialogs.h"
#include "ui/set_tags_dialog.h"
#include "ui/tag_dialogs.h"

#include <QCursor>
#include <QFileDialog>
#include <QMenu>

namespace tarnel::ui {

using store::TagRecord;

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::filesystem::path> browseFolder(QWidget* owner,
                                                  const std::filesystem::path& start) {
    QString folder = QFileDialog::getExistingDirectory(
        owner, fromUtf8(ops::message::kExportCategoryBrowserTitle),
        QString::fromStdString(start.string()));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(folder.toStdString());
}

} // namespace

TagCommands::TagCommands(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                         QWidget* owner, Hooks hooks)
    : m_context(context), m_dispatcher(dispatcher), m_owner(owner), m_hooks(std::move(hooks)),
      m_chooseFolder(browseFolder) {}

ops::OperationResult TagCommands::run(const std::function<ops::OperationResult()>& operation) {
    ops::OperationResult result;
    {
        ChangeDispatcher::Guard guard(m_dispatcher);
        result = operation();
    }
    if (std::optional<std::string> text = CategoryCommands::silentCodeMessage(result.code)) {
        m_context.prompt.show(*text, app::MessageIcon::Error);
    }
    return result;
}

void TagCommands::add(TagRecord& selected, ops::Level level) {
    TagRecord* parent = ops::initialTagParent(selected, level);
    QString title = level == ops::Level::Child ? "新建子级标签" : "新建同级标签";
    CTagAddDialog dialog(
        title, m_context.base.tags(), parent,
        [this](TagRecord* chosen, const ops::TagInput& input) {
            return run([&] { return ops::addTag(m_context, chosen, input); });
        },
        m_owner);
    dialog.exec();
}

void TagCommands::rename(TagRecord& tag, const std::string& text) {
    run([&] { return ops::renameTag(m_context, tag, text); });
}

void TagCommands::properties(TagRecord& tag) {
    CTagPropertiesDialog dialog(
        tag,
        [this, &tag](const ops::TagInput& properties) {
            return run([&] { return ops::setTagProperties(m_context, tag, properties); });
        },
        m_owner);
    dialog.exec();
}

void TagCommands::moveByDialog(TagRecord& tag) {
    CTagMoveDialog dialog(
        m_context.base.tags(), tag,
        [this, &tag](TagRecord& target) {
            return run([&] { return ops::moveTag(m_context, tag, target, ops::MoveWay::Dialog); });
        },
        m_owner);
    dialog.exec();
}

void TagCommands::moveByDrop(TagRecord& tag, TagRecord& target) {
    long long id = tag.id;
    ops::OperationResult result =
        run([&] { return ops::moveTag(m_context, tag, target, ops::MoveWay::DragAndDrop); });
    if (result.ok() && m_hooks.select) {
        if (TagRecord* moved = m_context.base.tags().find(id)) {
            m_hooks.select(*moved);
        }
    }
}

void TagCommands::remove(TagRecord& tag) {
    run([&] { return ops::deleteTag(m_context, tag); });
}

void TagCommands::setColor(TagRecord& tag, ops::ColorRole role, const QPoint& at) {
    QString title = role == ops::ColorRole::Fore ? "设置字体颜色" : "设置背景颜色";
    long long id = tag.id;
    std::optional<long long> color = chooseColor(title, m_owner, at);
    TagRecord* still = m_context.base.tags().find(id);
    if (color && still) {
        run([&] { return ops::setTagColor(m_context, *still, role, *color); });
    }
}

void TagCommands::exportTag(TagRecord& tag) {
    if (m_hooks.exportTag) {
        m_hooks.exportTag(tag);
    } else {
        exportHere(tag);
    }
}

// The sub-level question comes before the folder browser, so that Cancel costs no browsing.
void TagCommands::exportHere(TagRecord& tag) {
    ops::SubLevels subLevels = ops::SubLevels::Include;
    if (tag.childCount > 0) {
        switch (m_context.prompt.ask(std::string(ops::message::kExportSubTagsQuestion),
                                     app::MessageIcon::Question, app::Buttons::YesNoCancel)) {
        case app::Answer::Yes:
            break;
        case app::Answer::No:
            subLevels = ops::SubLevels::Exclude;
            break;
        default:
            return;
        }
    }
    long long id = tag.id;
    std::optional<std::filesystem::path> folder =
        m_chooseFolder(m_owner, m_folders.lastChosen(ops::FolderCommand::ExportTag));
    TagRecord* still = m_context.base.tags().find(id);
    if (!folder || !still) {
        return;
    }
    m_folders.remember(ops::FolderCommand::ExportTag, *folder);
    run([&] { return ops::exportTag(m_context, *still, *folder, subLevels); });
}

void TagCommands::removePointFromTag(TagRecord& tag, store::CategoryRecord& category,
                                     const store::PointRecord& point) {
    run([&] { return ops::removePointFromTag(m_context, tag, category, point); });
}

void TagCommands::setTags(const std::vector<ops::TagPoint>& points) {
    if (points.empty()) {
        return;
    }
    CSetTagsDialog dialog(m_context, m_dispatcher, points, m_owner);
    dialog.exec();
}

void TagCommands::addEntry(QMenu& menu, const char* text, const char* objectName,
                           const TagRecord& record, std::function<void(TagRecord&)> command) {
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setObjectName(objectName);
    long long id = record.id;
    QObject::connect(action, &QAction::triggered, &menu, [this, id, command] {
        if (TagRecord* current = m_context.base.tags().find(id)) {
            command(*current);
        }
    });
}

void TagCommands::fillTagMenu(QMenu& menu, TagRecord& tag,
                              std::function<void(TagRecord&)> editName) {
    addEntry(menu, "打开", "openTag", tag, [this](TagRecord& t) {
        if (m_hooks.open) {
            m_hooks.open(t);
        }
    });
    if (m_hooks.newPoint) {
        addEntry(menu, "新建知识点", "newPoint", tag, m_hooks.newPoint);
    }
    menu.addSeparator();
    addEntry(menu, "新建子级标签", "addChildTag", tag,
             [this](TagRecord& t) { add(t, ops::Level::Child); });
    addEntry(menu, "新建同级标签", "addSiblingTag", tag,
             [this](TagRecord& t) { add(t, ops::Level::Same); });
    menu.addSeparator();
    addEntry(menu, "删除标签", "removeTag", tag, [this](TagRecord& t) { remove(t); });
    addEntry(menu, "移动标签", "moveTag", tag, [this](TagRecord& t) { moveByDialog(t); });
    addEntry(menu, "重命名标签", "renameTag", tag, std::move(editName));
    menu.addSeparator();
    addEntry(menu, "设置字体颜色", "setForeColor", tag,
             [this](TagRecord& t) { setColor(t, ops::ColorRole::Fore, QCursor::pos()); });
    addEntry(menu, "设置背景颜色", "setBackColor", tag,
             [this](TagRecord& t) { setColor(t, ops::ColorRole::Back, QCursor::pos()); });
    menu.addSeparator();
    if (m_hooks.quickFind) {
        addEntry(menu, "在此标签中快速查找", "quickFindInTag", tag, m_hooks.quickFind);
    }
    addEntry(menu, "导出标签", "exportTag", tag, [this](TagRecord& t) { exportTag(t); });
    menu.addSeparator();
    addEntry(menu, "属性", "tagProperties", tag, [this](TagRecord& t) { properties(t); });
}

void TagCommands::fillTagRootMenu(QMenu& menu) {
    addEntry(menu, "新建子级标签", "addChildTag", *m_context.base.tags().root(),
             [this](TagRecord& t) { add(t, ops::Level::Child); });
}

} // namespace tarnel::ui
