#include "ui/tag_window.h"

#include "ui/information_pane.h"
#include "ui/skin_palette.h"
#include "ui/star_delegate.h"
#include "ui/tag_commands.h"
#include "ui/tag_point_list_model.h"

#include <QHeaderView>
#include <QMenu>
#include <QShortcut>

namespace tarnel::ui {

using store::TagRecord;

CTagWindowView::CTagWindowView(long long tagId, const app::Settings& settings, Services services)
    : m_id(tagId), m_settings(settings), m_services(std::move(services)), m_model(nullptr),
      m_list(new QTableView),
      m_info(new CInformationPane(*m_services.context, m_services.dispatcher, *m_services.opener,
                                  CInformationPane::Variant::List,
                                  m_services.readingTools ? &*m_services.readingTools : nullptr)) {
    {
        ChangeDispatcher::Guard guard(*m_services.dispatcher);
        m_model = new TagPointListModel(*m_services.context, tagId, this);
    }
    m_model->setIcons(m_services.icons);
    m_model->setImages(m_services.images);
    if (m_services.commands) {
        m_model->setRenameHandler([this](TagRecord& record, const std::string& name) {
            m_services.commands->rename(record, name);
        });
    }
    m_list->setObjectName("pointList");
    m_list->setAccessibleName("知识点列表");
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    if (m_services.pictures) {
        m_list->setItemDelegateForColumn(m_model->positionOf(PointListModel::Stars),
                                         new StarDelegate(*m_services.pictures, m_list));
    }
    m_list->setColumnWidth(m_model->positionOf(PointListModel::Name), 240);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette white = m_list->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::AlternateBase, QColor(235, 243, 252));
    m_list->setPalette(white);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CTagWindowView::showMenu);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &CTagWindowView::openRow);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* open = new QShortcut(QKeySequence(key), m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, this, [this] {
            if (m_list->currentIndex().isValid()) {
                openRow(m_list->currentIndex());
            }
        });
    }
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CTagWindowView::rowChanged);
    applySettings();
    applySkin();
    showProperties();
}

CTagWindowView::~CTagWindowView() {
    delete m_list.data();
    delete m_info.data();
}

TagRecord* CTagWindowView::tag() const {
    return m_services.context->base.tags().find(m_id);
}

std::string CTagWindowView::name() const {
    TagRecord* record = tag();
    return record ? std::string(record->name()) : std::string();
}

QWidget* CTagWindowView::lowerPane() {
    return m_info;
}

bool CTagWindowView::objectGone() const {
    return tag() == nullptr;
}

bool CTagWindowView::hasUnsavedContent() const {
    return m_info && m_info->hasUnsavedComment();
}

bool CTagWindowView::runSavePrompt() {
    return !m_info || m_info->runSavePrompt();
}

void CTagWindowView::applySettings() {
    m_list->setShowGrid(m_settings.showGrid);
    m_list->setAlternatingRowColors(m_settings.colorGrad);
}

void CTagWindowView::applySkin() {
    if (!m_services.colours) {
        return;
    }
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Highlight, qColorOf(m_services.colours->selectedBackground()));
    palette.setColor(QPalette::HighlightedText, qColorOf(m_services.colours->selectedText()));
    m_list->setPalette(palette);
    m_list->viewport()->update();
}

void CTagWindowView::applyChange(const store::ChangeNotification& notification) {
    m_model->applyChange(notification);
    m_info->applyChange(notification);
    if (notification.store == store::StoreKind::Tag &&
        (notification.id == m_id || m_model->tagAt(m_list->currentIndex().row()))) {
        showProperties();
    }
}

void CTagWindowView::rowChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (m_keepingRow) {
        return;
    }
    if (previous.isValid() && current.row() != previous.row() && !m_info->leavePoint()) {
        m_keepingRow = true;
        m_list->selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
        m_keepingRow = false;
        return;
    }
    showProperties();
}

// The selected row's properties, or the tag's own when no row is selected.
void CTagWindowView::showProperties() {
    int row = m_list->selectionModel()->currentIndex().row();
    if (TagRecord* sub = m_model->tagAt(row)) {
        m_info->showTag(*sub);
    } else if (ops::TagPoint found = m_model->pointAt(row); found.point) {
        m_info->showPoint(*found.category, *found.point);
    } else if (TagRecord* own = tag()) {
        m_info->showTag(*own);
    }
}

void CTagWindowView::editRow(const TagRecord& sub) {
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (m_model->tagAt(r) == &sub) {
            QModelIndex name = m_model->index(r, m_model->positionOf(PointListModel::Name));
            m_list->setCurrentIndex(name);
            m_list->edit(name);
            return;
        }
    }
}

void CTagWindowView::fillMenu(QMenu& menu, int row) {
    if (TagRecord* sub = m_model->tagAt(row); sub && m_services.commands) {
        m_services.commands->fillTagMenu(menu, *sub, [this](TagRecord& t) { editRow(t); });
    } else if (ops::TagPoint found = m_model->pointAt(row); found.point) {
        fillPointMenu(menu, found);
    }
}

// A point's commands here are those that belong to its place under the tag.
void CTagWindowView::fillPointMenu(QMenu& menu, const ops::TagPoint& found) {
    long long pointId = found.point->id;
    long long categoryId = found.category->id;
    auto still = [this, pointId, categoryId]() -> ops::TagPoint {
        store::CategoryRecord* owner = m_services.context->base.categories().find(categoryId);
        store::PointRecord* p = owner ? owner->owner->pointsOf(*owner).find(pointId) : nullptr;
        return p ? ops::TagPoint{owner, p} : ops::TagPoint{};
    };
    QAction* read = menu.addAction("阅读/编辑知识点");
    read->setObjectName("readPoint");
    connect(read, &QAction::triggered, this, [this, still] {
        if (ops::TagPoint now = still(); now.point && m_services.openPoint) {
            m_services.openPoint(*now.category, *now.point);
        }
    });
    if (!m_services.commands) {
        return;
    }
    menu.addSeparator();
    QAction* remove = menu.addAction("从标签中移除");
    remove->setObjectName("removeFromTag");
    connect(remove, &QAction::triggered, this, [this, still] {
        TagRecord* own = tag();
        if (ops::TagPoint now = still(); now.point && own) {
            m_services.commands->removePointFromTag(*own, *now.category, *now.point);
        }
    });
    QAction* setTags = menu.addAction("设置知识点标签");
    setTags->setObjectName("setPointTags");
    connect(setTags, &QAction::triggered, this, [this, still] {
        if (ops::TagPoint now = still(); now.point) {
            m_services.commands->setTags({now});
        }
    });
}

void CTagWindowView::showMenu(const QPoint& at) {
    QModelIndex index = m_list->indexAt(at);
    if (!index.isValid()) {
        return;
    }
    QMenu menu(m_list);
    menu.setObjectName("tagListMenu");
    fillMenu(menu, index.row());
    if (!menu.isEmpty()) {
        menu.exec(m_list->viewport()->mapToGlobal(at));
    }
}

void CTagWindowView::openRow(const QModelIndex& index) {
    if (TagRecord* sub = m_model->tagAt(index.row())) {
        if (m_services.openTag) {
            m_services.openTag(*sub);
        }
        return;
    }
    if (ops::TagPoint found = m_model->pointAt(index.row()); found.point && m_services.openPoint) {
        m_services.openPoint(*found.category, *found.point);
    }
}

} // namespace tarnel::ui
