#pragma once

#include "lustra/image_info.h"
#include "ops/search_pane.h"
#include "store/knowledge_store.h"

#include <QImage>
#include <QSet>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace LUSTRA {
class CListBoxExt;
struct ST_LISTBOX_ITEM;
} // namespace LUSTRA

namespace tarnel::ui {

class MainImageList;

// The workspace pane "查    询": the query, the ticks "标题" and "内容", ignore case, split words,
// and a category tree and a tag tree (tree lists with a check box per item, the skin's folder and
// tag icons). The search button hands what the user left (only the ticked items, a ticked parent
// not bringing its children) to the search. The trees are built again from the base whenever its
// categories or tags change, keeping the ticks and the collapsed branches of the items still
// there. User-interface thread only; the base and the image list outlive the pane.
class CSearchPane : public QWidget {
    Q_OBJECT

public:
    using Search = std::function<void(const ops::SearchPaneInput& input)>;

    explicit CSearchPane(QWidget* parent = nullptr);
    ~CSearchPane() override;

    // Null while no base is open.
    void setBase(store::KnowledgeStore* base);
    void setSearch(Search search) { m_search = std::move(search); }
    // The icons of the items; without a list the items show none.
    void setImageList(const MainImageList* images);
    // After a skin change: the items show the new icons.
    void applySkin();
    // After a change notification: the trees follow a change of categories or tags.
    void applyChange(const store::ChangeNotification& notification);

    // What the pane holds now.
    ops::SearchPaneInput input() const;

    QLineEdit* query() const { return m_query; }
    LUSTRA::CListBoxExt* categoryTree() const { return m_categoryTree.list; }
    LUSTRA::CListBoxExt* tagTree() const { return m_tagTree.list; }
    QPushButton* searchButton() const { return m_button; }

protected:
    bool event(QEvent* event) override;

private:
    // One icon the items point to; refreshed in place when the skin changes.
    struct ItemIcon {
        QImage picture;
        LUSTRA::ST_IMG_INFO info;
    };
    enum IconSlot { FolderOpen, FolderClosed, Tag, IconSlots };
    // What a rebuild keeps of the items that are still there.
    struct Kept {
        QSet<long long> ticked;
        QSet<long long> collapsed;
    };
    struct Tree {
        LUSTRA::CListBoxExt* list;
        std::vector<long long> ids; // every item, in tree order
    };

    void rebuild();
    static Kept keptOf(const Tree& tree);
    static void clear(Tree& tree);
    void fillCategories(const store::CategoryRecord& parent, const Kept& kept);
    void fillTags(const store::TagRecord* parent, const Kept& kept);
    void addItem(Tree& tree, long long id, long long parentId, std::string_view name,
                 IconSlot expanded, IconSlot collapsed, const Kept& kept);
    static std::vector<long long> tickedIds(const Tree& tree);

    store::KnowledgeStore* m_base = nullptr;
    const MainImageList* m_images = nullptr;
    Search m_search;
    std::array<ItemIcon, IconSlots> m_icons;
    QLineEdit* m_query;
    QCheckBox* m_byTitle;
    QCheckBox* m_byContent;
    QCheckBox* m_ignoreCase;
    QCheckBox* m_splitWords;
    Tree m_categoryTree;
    Tree m_tagTree;
    QPushButton* m_button;
};

} // namespace tarnel::ui
