#include "ui/knowledge_tree_view.h"

#include "ui/category_commands.h"
#include "ui/knowledge_transfer.h"
#include "ui/knowledge_tree_model.h"
#include "ui/tag_commands.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

namespace tarnel::ui {

using ItemKind = KnowledgeTreeModel::ItemKind;

KnowledgeTreeView::KnowledgeTreeView(QWidget* parent) : QTreeView(parent) {
    setObjectName("classTree");
    setAccessibleName("分类列表");
    setHeaderHidden(true);
    // Every item is one line beside a small icon; the view need not measure 10,000 of them.
    setUniformRowHeights(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (m_open) {
            m_open(index);
        }
    });
}

void KnowledgeTreeView::setKnowledgeModel(KnowledgeTreeModel* model) {
    m_model = model;
    setModel(model);
}

void KnowledgeTreeView::setClickEdits(bool clickEdits) {
    setEditTriggers(clickEdits
                        ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                        : QAbstractItemView::EditKeyPressed);
}

void KnowledgeTreeView::keyPressEvent(QKeyEvent* event) {
    QModelIndex index = currentIndex();
    store::CategoryRecord* category = m_model && m_model->kindOf(index) == ItemKind::Category
                                          ? m_model->categoryAt(index)
                                          : nullptr;
    if (category && m_commands && !state()) {
        if (event->key() == Qt::Key_F3) {
            m_commands->moveByDialog(*category);
            return;
        }
        if (event->key() == Qt::Key_Delete) {
            m_commands->remove(*category);
            return;
        }
    }
    store::TagRecord* tag =
        m_model && m_model->kindOf(index) == ItemKind::Tag ? m_model->tagAt(index) : nullptr;
    if (tag && m_tagCommands && !state()) {
        if (event->key() == Qt::Key_F3) {
            m_tagCommands->moveByDialog(*tag);
            return;
        }
        if (event->key() == Qt::Key_Delete) {
            m_tagCommands->remove(*tag);
            return;
        }
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && index.isValid() &&
        state() != QAbstractItemView::EditingState && m_open) {
        m_open(index);
        return;
    }
    QTreeView::keyPressEvent(event);
}

void KnowledgeTreeView::fillMenu(QMenu& menu, const QModelIndex& index) {
    if (!m_model || !index.isValid()) {
        return;
    }
    ItemKind kind = m_model->kindOf(index);
    bool ofTags = kind == ItemKind::TagRoot || kind == ItemKind::Tag;
    if (ofTags ? !m_tagCommands : !m_commands) {
        return;
    }
    switch (kind) {
    case ItemKind::CategoryRoot:
        m_commands->fillCategoryRootMenu(menu);
        break;
    case ItemKind::RecycleRoot:
        m_commands->fillRecycleRootMenu(menu);
        break;
    case ItemKind::Category:
        if (store::CategoryRecord* category = m_model->categoryAt(index)) {
            m_commands->fillCategoryMenu(menu, *category, [this](store::CategoryRecord& c) {
                editItem(m_model->indexOf(store::StoreKind::Category, c.id));
            });
        }
        break;
    case ItemKind::TagRoot:
        m_tagCommands->fillTagRootMenu(menu);
        break;
    case ItemKind::Tag:
        if (store::TagRecord* tag = m_model->tagAt(index)) {
            m_tagCommands->fillTagMenu(menu, *tag, [this](store::TagRecord& t) {
                editItem(m_model->indexOf(store::StoreKind::Tag, t.id));
            });
        }
        break;
    }
}

void KnowledgeTreeView::editItem(const QModelIndex& at) {
    setCurrentIndex(at);
    edit(at);
}

void KnowledgeTreeView::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index = indexAt(event->pos());
    if (!index.isValid()) {
        return;
    }
    setCurrentIndex(index);
    QMenu menu(this);
    menu.setObjectName("classTreeMenu");
    fillMenu(menu, index);
    if (!menu.isEmpty()) {
        menu.exec(event->globalPos());
    }
}

// A drag that did not start in this program: files from the desktop, a link or text from a browser.
bool KnowledgeTreeView::isOutsideDrop(const QDropEvent& event) const {
    return m_fileDrop && event.source() == nullptr;
}

long long KnowledgeTreeView::droppedOnCategory(const QPoint& at) const {
    QModelIndex index = indexAt(at);
    if (!m_model || m_model->kindOf(index) != ItemKind::Category) {
        return 0;
    }
    store::CategoryRecord* category = m_model->categoryAt(index);
    return category && category->owner->kind() == store::StoreKind::Category ? category->id : 0;
}

void KnowledgeTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (isOutsideDrop(*event)) {
        event->acceptProposedAction();
        return;
    }
    QTreeView::dragEnterEvent(event);
}

void KnowledgeTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (!isOutsideDrop(*event)) {
        QTreeView::dragMoveEvent(event);
        return;
    }
    if (droppedOnCategory(event->position().toPoint()) > 0) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void KnowledgeTreeView::dropEvent(QDropEvent* event) {
    if (!isOutsideDrop(*event)) {
        QTreeView::dropEvent(event);
        return;
    }
    long long category = droppedOnCategory(event->position().toPoint());
    if (category <= 0) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    std::vector<std::filesystem::path> files = KnowledgeTransfer::localFilesOf(*event->mimeData());
    QTimer::singleShot(0, this, [this, files, category] { m_fileDrop(files, category); });
}

} // namespace tarnel::ui
