#include "ui/point_list_commands.h"

#include "ops/comment_editing.h"
#include "ops/knowledge_export.h"
#include "ops/point_editing.h"
#include "ops/point_removal.h"
#include "platform/ini.h"
#include "store/attribute_tables.h"
#include "store/knowledge_store.h"
#include "ui/attachment_pane.h"
#include "ui/category_commands.h"
#include "ui/category_dialogs.h"
#include "ui/information_pane.h"
#include "ui/list_find_dialog.h"
#include "ui/point_move_dialogs.h"
#include "ui/reading_area.h"
#include "ui/tag_commands.h"

#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QShortcut>
#include <QTableView>
#include <array>
#include <utility>

namespace tarnel::ui {

using store::CategoryRecord;
using store::PointRecord;
namespace point = store::point;

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

std::string extensionOf(std::string_view name) {
    std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

long long readMaxStarNum(const app::Settings& settings, const platform::FileSystem& fileSystem) {
    if (settings.settingsFile.empty()) {
        return ops::kDefaultMaxStarNum;
    }
    platform::IniFile ini(settings.settingsFile, fileSystem);
    std::string value = ini.readString(ops::kMaxStarSection, ops::kMaxStarKey,
                                       std::to_string(ops::kDefaultMaxStarNum), 32);
    int max = platform::profileInt(value);
    return max > 0 ? max : ops::kDefaultMaxStarNum;
}

// The keys of the list, and the entries of the category and tag menus they stand for besides
// the entries that show them as their shortcut.
struct KeyEntry {
    int key;
    std::array<const char*, 3> entries;
};
constexpr std::array<KeyEntry, 4> kKeys = {{
    {Qt::Key_F2, {"renameCategory", "renameTag", nullptr}},
    {Qt::Key_F3, {"moveCategory", "moveTag", nullptr}},
    {Qt::Key_F6, {nullptr, nullptr, nullptr}},
    {Qt::Key_Delete, {"removeCategory", "removeTag", "deleteRecycledCategory"}},
}};

bool standsFor(const QAction& action, const KeyEntry& key) {
    if (action.shortcut() == QKeySequence(key.key)) {
        return true;
    }
    for (const char* name : key.entries) {
        if (name && action.objectName() == QLatin1String(name)) {
            return true;
        }
    }
    return false;
}

bool hasComment(const PointRecord& p) {
    return p.values.integer(point::kHasComment) != 0;
}

} // namespace

PointListCommands::PointListCommands(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                                     const platform::Opener& opener, const app::Settings& settings,
                                     CategoryCommands* categories, TagCommands* tags,
                                     QWidget* owner, Hooks hooks)
    : m_context(context), m_dispatcher(dispatcher), m_opener(opener), m_trash(context.fileSystem),
      m_categories(categories), m_tags(tags), m_owner(owner), m_hooks(std::move(hooks)),
      m_maxStarNum(readMaxStarNum(settings, context.fileSystem)) {}

PointListCommands::~PointListCommands() = default;

ops::OperationResult
PointListCommands::run(const std::function<ops::OperationResult()>& operation) {
    ops::OperationResult result;
    {
        ChangeDispatcher::Guard guard(m_dispatcher);
        result = operation();
    }
    if (std::optional<std::string> message = CategoryCommands::silentCodeMessage(result.code)) {
        m_context.prompt.show(*message, app::MessageIcon::Error);
    }
    return result;
}

PointListCommands::Ref PointListCommands::refOf(const ops::SelectedItem& item) {
    Ref ref;
    if (item.tag) {
        ref.tagId = item.tag->id;
        return ref;
    }
    ref.store = item.category->owner->kind();
    ref.categoryId = item.category->id;
    ref.isCategory = item.point == nullptr;
    ref.pointId = item.point ? item.point->id : 0;
    return ref;
}

std::optional<ops::SelectedItem> PointListCommands::resolve(const Ref& ref) const {
    store::KnowledgeStore& base = m_context.base;
    if (ref.tagId != 0) {
        store::TagRecord* tag = base.tags().find(ref.tagId);
        return tag ? std::optional(ops::SelectedItem::ofTag(*tag)) : std::nullopt;
    }
    CategoryRecord* category = base.store(ref.store).find(ref.categoryId);
    if (!category) {
        return std::nullopt;
    }
    if (ref.isCategory) {
        return ops::SelectedItem::ofCategory(*category);
    }
    const PointRecord* p = category->owner->pointsOf(*category).find(ref.pointId);
    return p ? std::optional(ops::SelectedItem::ofPoint(*category, *p)) : std::nullopt;
}

void PointListCommands::attach(const ListView& view) {
    QTableView* list = view.list;
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, list, [this, view](QPoint at) {
        QMenu menu(view.list);
        menu.setObjectName("pointListMenu");
        fillMenu(menu, view);
        if (!menu.isEmpty()) {
            menu.exec(view.list->viewport()->mapToGlobal(at));
        }
    });
    QObject::connect(list, &QAbstractItemView::clicked, list,
                     [this, view](const QModelIndex& index) { starClicked(view, index); });
    for (const KeyEntry& key : kKeys) {
        auto* shortcut =
            new QShortcut(QKeySequence(key.key), list, nullptr, nullptr, Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, list,
                         [this, view, k = key.key] { runKey(view, k); });
    }
    auto* find = new QShortcut(QKeySequence::Find, list, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(find, &QShortcut::activated, list,
                     [this, view] { findDialog(view)->present(); });
}

// A key runs what the menu of the selection offers for it, so that keys and menus always agree.
// The one key without an entry is Del on a linked category's point: its menu leaves deleting out,
// yet the file can still go to the desktop's Trash after its own question.
void PointListCommands::runKey(const ListView& view, int key) {
    QMenu menu(view.list);
    fillMenu(menu, view);
    for (const KeyEntry& entry : kKeys) {
        if (entry.key != key) {
            continue;
        }
        for (QAction* action : menu.actions()) {
            if (action->isEnabled() && standsFor(*action, entry)) {
                action->trigger();
                return;
            }
        }
    }
    PointListSelection selection = view.selection();
    if (key == Qt::Key_Delete && selection.kind == PointListKind::Category &&
        selection.items.size() == 1 && selection.items.front().point &&
        store::CategoryStore::isLinked(*selection.items.front().category)) {
        remove(*selection.items.front().category, *selection.items.front().point);
    }
}

void PointListCommands::starClicked(const ListView& view, const QModelIndex& index) {
    if (index.column() != view.starColumn) {
        return;
    }
    PointListSelection selection = view.selection();
    if (selection.kind == PointListKind::RecycleBin || selection.items.size() != 1 ||
        !selection.items.front().point) {
        return;
    }
    const ops::SelectedItem& item = selection.items.front();
    if (item.category->owner->kind() != store::StoreKind::Category) {
        return;
    }
    QMenu menu(view.list);
    menu.setObjectName("starMenu");
    fillStarMenu(menu, *item.category, *item.point);
    menu.exec(QCursor::pos());
}

CListFindDialog* PointListCommands::findDialog(const ListView& view) {
    auto* dialog = view.list->findChild<CListFindDialog*>(QString(), Qt::FindDirectChildrenOnly);
    if (!dialog) {
        dialog = new CListFindDialog(ListFinder(*view.list, view.nameColumn, m_context.prompt),
                                     view.list);
    }
    return dialog;
}

void PointListCommands::fillMenu(QMenu& menu, const ListView& view) {
    PointListSelection selection = view.selection();
    if (selection.items.empty()) {
        return;
    }
    if (selection.items.size() > 1) {
        fillSeveralMenu(menu, selection.items);
        return;
    }
    const ops::SelectedItem& item = selection.items.front();
    auto edit = [this, view](auto&) { editName(view); };
    if (item.tag) {
        if (m_tags) {
            m_tags->fillTagMenu(menu, *item.tag, edit);
        }
    } else if (!item.point) {
        if (!m_categories) {
            return;
        }
        if (item.category->owner->kind() == store::StoreKind::Recycle) {
            m_categories->fillRecycledCategoryMenu(menu, *item.category);
        } else {
            m_categories->fillCategoryMenu(menu, *item.category, edit);
        }
    } else if (item.category->owner->kind() == store::StoreKind::Recycle) {
        fillRecycledPointMenu(menu, item);
    } else {
        fillPointMenu(menu, view, selection.kind, selection.tagId, item);
    }
}

void PointListCommands::addPointEntry(QMenu& menu, const char* label, const char* objectName,
                                      const ops::SelectedItem& item,
                                      std::function<void(CategoryRecord&, PointRecord&)> command,
                                      int key) {
    QAction* action = menu.addAction(QString::fromUtf8(label));
    action->setObjectName(objectName);
    if (key != 0) {
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WidgetShortcut);
    }
    Ref ref = refOf(item);
    QObject::connect(action, &QAction::triggered, &menu, [this, ref, command] {
        if (std::optional<ops::SelectedItem> now = resolve(ref); now && now->point) {
            command(*now->category, const_cast<PointRecord&>(*now->point));
        }
    });
}

// A point of a linked category is its folder's file: it neither moves, nor goes into the recycle
// bin, nor leaves a tag from here. Deleting belongs to a point listed under its category.
void PointListCommands::fillPointMenu(QMenu& menu, const ListView& view, PointListKind kind,
                                      long long tagId, const ops::SelectedItem& item) {
    bool linked = store::CategoryStore::isLinked(*item.category);
    bool underTag = tagId != 0;
    bool underCategory =
        kind == PointListKind::Category || (kind == PointListKind::SearchResult && !underTag);
    addPointEntry(menu, "阅读/编辑知识点", "readPoint", item,
                  [this](CategoryRecord& c, PointRecord& p) {
                      if (m_hooks.open) {
                          m_hooks.open(c, p);
                      }
                  });
    menu.addSeparator();
    addPointEntry(
        menu, "重命名标题", "renamePoint", item,
        [this, view](CategoryRecord&, PointRecord&) { editName(view); }, Qt::Key_F2);
    if (!linked) {
        addPointEntry(
            menu, "移动知识点", "movePoint", item,
            [this](CategoryRecord& c, PointRecord& p) { move(c, p); }, Qt::Key_F3);
    }
    addPointEntry(
        menu, "导出知识点", "exportPoint", item,
        [this](CategoryRecord& c, PointRecord& p) { exportPoint(c, p); }, Qt::Key_F6);
    addPointEntry(menu, "导出批注", "exportComment", item,
                  [this](CategoryRecord& c, PointRecord& p) { exportComment(c, p); });
    menu.actions().back()->setEnabled(hasComment(*item.point));
    if (!linked && underCategory) {
        addPointEntry(
            menu, "删除知识点", "deletePoint", item,
            [this](CategoryRecord& c, PointRecord& p) { remove(c, p); }, Qt::Key_Delete);
    }
    if (!linked && underTag && m_tags) {
        addPointEntry(menu, "从标签中移除", "removeFromTag", item,
                      [this, tagId](CategoryRecord& c, PointRecord& p) {
                          if (store::TagRecord* tag = m_context.base.tags().find(tagId)) {
                              m_tags->removePointFromTag(*tag, c, p);
                          }
                      });
    }
    menu.addSeparator();
    if (m_tags) {
        addPointEntry(menu, "设置知识点标签", "setPointTags", item,
                      [this](CategoryRecord& c, PointRecord& p) {
                          m_tags->setTags({{&c, &p}});
                      });
    }
    addPointEntry(menu, "设置字体颜色", "setForeColor", item,
                  [this](CategoryRecord& c, PointRecord& p) {
                      setColor(c, p, ops::ColorRole::Fore, QCursor::pos());
                  });
    addPointEntry(menu, "设置背景颜色", "setBackColor", item,
                  [this](CategoryRecord& c, PointRecord& p) {
                      setColor(c, p, ops::ColorRole::Back, QCursor::pos());
                  });
    menu.addSeparator();
    addPointEntry(
        menu, "添加/编辑批注", "editComment", item,
        [this, view](CategoryRecord&, PointRecord&) { showPage(view, CInformationPane::Comment); });
    addPointEntry(menu, "删除批注", "deleteComment", item,
                  [this](CategoryRecord& c, PointRecord& p) { deleteComment(c, p); });
    menu.actions().back()->setEnabled(hasComment(*item.point));
    addPointEntry(menu, "添加附件", "addAttachment", item,
                  [this, view](CategoryRecord&, PointRecord&) {
                      showPage(view, CInformationPane::Attachments);
                  });
    menu.addSeparator();
    addPointEntry(menu, "打开知识点所在的文件夹", "openPointFolder", item,
                  [this](CategoryRecord& c, PointRecord& p) { openFolder(c, p); });
}

void PointListCommands::fillRecycledPointMenu(QMenu& menu, const ops::SelectedItem& item) {
    addPointEntry(menu, "还原", "restorePoint", item,
                  [this](CategoryRecord& c, PointRecord& p) { restore(c, p); });
    addPointEntry(
        menu, "删除", "deleteRecycledPoint", item,
        [this](CategoryRecord& c, PointRecord& p) { remove(c, p); }, Qt::Key_Delete);
    addPointEntry(
        menu, "导出知识点", "exportPoint", item,
        [this](CategoryRecord& c, PointRecord& p) { exportPoint(c, p); }, Qt::Key_F6);
    addPointEntry(menu, "打开知识点所在的文件夹", "openPointFolder", item,
                  [this](CategoryRecord& c, PointRecord& p) { openFolder(c, p); });
}

void PointListCommands::fillSeveralMenu(QMenu& menu, const std::vector<ops::SelectedItem>& items) {
    std::vector<Ref> refs;
    bool anyPoint = false;
    for (const ops::SelectedItem& item : items) {
        refs.push_back(refOf(item));
        anyPoint = anyPoint || item.point;
    }
    auto resolved = [this, refs] {
        std::vector<ops::SelectedItem> now;
        for (const Ref& ref : refs) {
            if (std::optional<ops::SelectedItem> item = resolve(ref)) {
                now.push_back(*item);
            }
        }
        return now;
    };
    auto entry = [&menu](const char* label, const char* objectName, int key,
                         std::function<void()> command) {
        QAction* action = menu.addAction(QString::fromUtf8(label));
        action->setObjectName(objectName);
        if (key != 0) {
            action->setShortcut(QKeySequence(key));
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        QObject::connect(action, &QAction::triggered, &menu, std::move(command));
        return action;
    };
    QAction* setTags = entry("设置标签", "setSelectedTags", 0, [this, resolved] {
        std::vector<ops::TagPoint> points;
        for (const ops::SelectedItem& item : resolved()) {
            if (item.point) {
                points.push_back({item.category, const_cast<PointRecord*>(item.point)});
            }
        }
        m_tags->setTags(points);
    });
    setTags->setEnabled(anyPoint && m_tags);
    entry("移动选中的对象", "moveSelected", Qt::Key_F3,
          [this, resolved] { moveSeveral(resolved()); });
    entry("删除选中的对象", "deleteSelected", Qt::Key_Delete,
          [this, resolved] { deleteSeveral(resolved()); });
}

void PointListCommands::fillStarMenu(QMenu& menu, const CategoryRecord& category,
                                     const PointRecord& p) {
    long long current = p.values.integer(point::kStarNum);
    Ref ref = refOf(ops::SelectedItem::ofPoint(const_cast<CategoryRecord&>(category), p));
    long long stars = 0;
    for (const std::string& label : ops::starMenuEntries(m_maxStarNum)) {
        QAction* action = menu.addAction(text(label));
        action->setObjectName(QStringLiteral("star%1").arg(stars));
        action->setCheckable(true);
        action->setChecked(stars == current);
        QObject::connect(action, &QAction::triggered, &menu, [this, ref, stars] {
            if (std::optional<ops::SelectedItem> now = resolve(ref); now && now->point) {
                setStar(*now->category, *now->point, stars);
            }
        });
        ++stars;
    }
}

void PointListCommands::editName(const ListView& view) {
    int row = view.list->currentIndex().row();
    if (row < 0) {
        return;
    }
    QModelIndex name = view.list->model()->index(row, view.nameColumn);
    view.list->setCurrentIndex(name);
    view.list->edit(name);
}

// The comment and attachment pages act on the point the pane shows, the current row's.
void PointListCommands::showPage(const ListView& view, int page) {
    CInformationPane* info = view.information ? view.information() : nullptr;
    if (!info || info->shownPointId() == 0 || !info->isTabEnabled(page)) {
        return;
    }
    info->setCurrentIndex(page);
    if (page == CInformationPane::Comment) {
        info->commentArea()->setFocus();
    } else if (page == CInformationPane::Attachments) {
        info->attachmentPane()->addAttachments();
    }
}

void PointListCommands::rename(CategoryRecord& category, const PointRecord& p,
                               const std::string& name) {
    run([&] { return ops::renamePoint(m_context, category, p, name); });
}

void PointListCommands::move(CategoryRecord& category, const PointRecord& p) {
    // The move onto its own category changes nothing, yet refuses a point whose file is gone.
    if (!run([&] { return ops::movePoint(m_context, category, p, category); }).ok()) {
        return;
    }
    Ref ref = refOf(ops::SelectedItem::ofPoint(category, p));
    CPointMoveDialog dialog(
        "移动知识点", text(p.name()), m_context.base.categories(), &category,
        [this, ref](CategoryRecord& target) {
            std::optional<ops::SelectedItem> now = resolve(ref);
            if (!now || !now->point) {
                return ops::OperationResult{store::kNoRecord};
            }
            return run(
                [&] { return ops::movePoint(m_context, *now->category, *now->point, target); });
        },
        m_owner);
    dialog.exec();
}

std::optional<std::filesystem::path> PointListCommands::chooseTarget(const QString& title,
                                                                     const QString& name,
                                                                     const QString& extension) {
    if (m_chooseTarget) {
        return m_chooseTarget(m_owner, title, name, extension);
    }
    QFileDialog dialog(m_owner, title, name);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(extension.isEmpty() ? QStringLiteral("所有类型 (*.*)")
                                             : QStringLiteral("文件(*.%1)").arg(extension));
    dialog.setDefaultSuffix(extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

void PointListCommands::exportPoint(CategoryRecord& category, const PointRecord& p) {
    long long id = p.id;
    store::StoreKind kind = category.owner->kind();
    long long categoryId = category.id;
    std::optional<std::filesystem::path> target =
        chooseTarget("导出知识点", text(ops::pointExportName(p)), text(extensionOf(p.name())));
    std::optional<ops::SelectedItem> now = resolve({kind, categoryId, id, 0, false});
    if (target && now && now->point) {
        run([&] {
            return ops::exportPoint(m_context, m_opener, *now->category, *now->point, *target);
        });
    }
}

void PointListCommands::exportComment(CategoryRecord& category, const PointRecord& p) {
    Ref ref = refOf(ops::SelectedItem::ofPoint(category, p));
    std::optional<std::filesystem::path> target =
        chooseTarget("导出批注", text(ops::commentExportName(p)), QStringLiteral("rtf"));
    std::optional<ops::SelectedItem> now = resolve(ref);
    if (target && now && now->point) {
        run([&] { return ops::exportComment(m_context, m_opener, *now->point, *target); });
    }
}

void PointListCommands::remove(CategoryRecord& category, const PointRecord& p) {
    run([&] { return ops::deletePoint(m_context, m_trash, category, p); });
}

void PointListCommands::restore(CategoryRecord& category, const PointRecord& p) {
    run([&] { return ops::restoreRecycledPoint(m_context, category, p, nullptr); });
}

void PointListCommands::setColor(CategoryRecord& category, const PointRecord& p,
                                 ops::ColorRole role, const QPoint& at) {
    Ref ref = refOf(ops::SelectedItem::ofPoint(category, p));
    QString title = role == ops::ColorRole::Fore ? "设置字体颜色" : "设置背景颜色";
    std::optional<long long> color = chooseColor(title, m_owner, at);
    std::optional<ops::SelectedItem> now = resolve(ref);
    if (color && now && now->point) {
        run([&] {
            return ops::setPointColor(m_context, *now->category, *now->point, role, *color);
        });
    }
}

void PointListCommands::deleteComment(CategoryRecord& category, const PointRecord& p) {
    run([&] { return ops::deleteComment(m_context, category, p); });
}

void PointListCommands::openFolder(CategoryRecord& category, const PointRecord& p) {
    run([&] { return ops::showPointInFolder(m_context, m_opener, category, p); });
}

void PointListCommands::setStar(CategoryRecord& category, const PointRecord& p, long long stars) {
    run([&] { return ops::setPointStar(m_context, category, p, stars, m_maxStarNum); });
}

// Only tags go under a tag; categories and points, or a mix, under a category.
void PointListCommands::moveSeveral(const std::vector<ops::SelectedItem>& selected) {
    std::vector<ops::SelectedItem> items = ops::itemsToHandle(selected);
    if (items.empty()) {
        return;
    }
    std::vector<Ref> refs;
    for (const ops::SelectedItem& item : items) {
        refs.push_back(refOf(item));
    }
    auto resolved = [this, refs] {
        std::vector<ops::SelectedItem> now;
        for (const Ref& ref : refs) {
            if (std::optional<ops::SelectedItem> item = resolve(ref)) {
                now.push_back(*item);
            }
        }
        return now;
    };
    QString moved = QStringLiteral("%1 项").arg(items.size());
    bool onlyTags = std::all_of(items.begin(), items.end(),
                                [](const ops::SelectedItem& item) { return item.tag; });
    if (onlyTags) {
        CTagTargetDialog dialog(
            moved, m_context.base.tags(),
            [this, resolved](store::TagRecord& target) {
                return run(
                    [&] { return ops::moveSeveral(m_context, resolved(), nullptr, &target); });
            },
            m_owner);
        dialog.exec();
        return;
    }
    const ops::SelectedItem& first = items.front();
    const CategoryRecord* current = first.category && !first.point && first.category->parent
                                        ? first.category->parent
                                        : first.category;
    CPointMoveDialog dialog(
        "移动选中的对象", moved, m_context.base.categories(), current,
        [this, resolved](CategoryRecord& target) {
            return run([&] { return ops::moveSeveral(m_context, resolved(), &target, nullptr); });
        },
        m_owner);
    dialog.exec();
}

void PointListCommands::deleteSeveral(const std::vector<ops::SelectedItem>& items) {
    if (!items.empty()) {
        run([&] { return ops::deleteSeveral(m_context, m_trash, items); });
    }
}

} // namespace tarnel::ui
