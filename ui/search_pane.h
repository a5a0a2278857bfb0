#pragma once

#include "ops/search_pane.h"
#include "store/knowledge_store.h"

#include <QSet>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarnel::ui {

// The workspace pane "查    询": the query, the ticks "标题" and "内容", ignore case, split words,
// and a category tree and a tag tree with a check box per item. The search button hands what
// the user left (only the ticked items, a ticked parent not bringing its children) to the search.
// The trees are built again from the base whenever its categories or tags change, keeping the
// ticks of the items still there. User-interface thread only; the base outlives the pane.
class CSearchPane : public QWidget {
    Q_OBJECT

public:
    using Search = std::function<void(const ops::SearchPaneInput& input)>;

    explicit CSearchPane(QWidget* parent = nullptr);

    // Null while no base is open.
    void setBase(store::KnowledgeStore* base);
    void setSearch(Search search) { m_search = std::move(search); }
    // After a change notification: the trees follow a change of categories or tags.
    void applyChange(const store::ChangeNotification& notification);

    // What the pane holds now.
    ops::SearchPaneInput input() const;

    QLineEdit* query() const { return m_query; }
    QTreeWidget* categoryTree() const { return m_categories; }
    QTreeWidget* tagTree() const { return m_tags; }
    QPushButton* searchButton() const { return m_button; }

private:
    void rebuild();
    void fillCategories(QTreeWidgetItem* item, const store::CategoryRecord& parent,
                        const QSet<long long>& ticked);
    void fillTags(QTreeWidgetItem* item, const store::TagRecord* parent,
                  const QSet<long long>& ticked);

    store::KnowledgeStore* m_base = nullptr;
    Search m_search;
    QLineEdit* m_query;
    QCheckBox* m_byTitle;
    QCheckBox* m_byContent;
    QCheckBox* m_ignoreCase;
    QCheckBox* m_splitWords;
    QTreeWidget* m_categories;
    QTreeWidget* m_tags;
    QPushButton* m_button;
};

} // namespace tarnel::ui
