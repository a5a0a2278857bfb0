#include "ui/tree_chooser.h"

#include "ui/utf8_text.h"

#include <QStandardItemModel>
#include <QTreeView>

namespace tarnel::ui {
namespace {

constexpr int kIdRole = Qt::UserRole + 1;

} // namespace

TreeChooser::TreeChooser(const QString& topEntry, const char* treeName,
                         const QString& treeAccessibleName, QWidget* parent)
    : QComboBox(parent), m_model(new QStandardItemModel(this)), m_view(new QTreeView(this)) {
    auto* top = new QStandardItem(topEntry);
    top->setData(0LL, kIdRole);
    top->setEditable(false);
    m_model->appendRow(top);
    m_items[0] = top;
    m_view->setHeaderHidden(true);
    m_view->setObjectName(treeName);
    m_view->setAccessibleName(treeAccessibleName);
}

void TreeChooser::addEntry(long long id, long long parentId, std::string_view name) {
    auto* item = new QStandardItem(qtText(name));
    item->setData(id, kIdRole);
    item->setEditable(false);
    auto parent = m_items.find(parentId);
    (parent != m_items.end() ? parent->second : m_items[0])->appendRow(item);
    m_items[id] = item;
}

void TreeChooser::finishEntries() {
    setModel(m_model);
    setView(m_view);
    m_view->expandAll();
    setCurrentIndex(-1);
}

void TreeChooser::selectId(std::optional<long long> id) {
    auto found = id ? m_items.find(*id) : m_items.end();
    if (found == m_items.end()) {
        setCurrentIndex(-1);
        return;
    }
    // A combo box selects rows of its root: select within the item's parent, then show all.
    QModelIndex index = found->second->index();
    setRootModelIndex(index.parent());
    setCurrentIndex(index.row());
    setRootModelIndex(QModelIndex());
    m_view->setCurrentIndex(index);
}

std::optional<long long> TreeChooser::chosenId() const {
    QModelIndex index = m_view->currentIndex();
    if (currentIndex() < 0 || !index.isValid()) {
        return std::nullopt;
    }
    return index.data(kIdRole).toLongLong();
}

} // namespace tarnel::ui
