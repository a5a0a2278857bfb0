#include "ui/search_pane.h"

#include "lustra/list_box_ext.h"
#include "lustra/list_box_item.h"
#include "lustra/list_box_notify_event.h"
#include "ui/main_image_list.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

namespace tarnel::ui {

using LUSTRA::CListBoxExt;
using LUSTRA::ST_LISTBOX_ITEM;
using store::CategoryRecord;
using store::TagRecord;

namespace {

constexpr int kIconSize = 16;

CListBoxExt* checkTree(const char* objectName, const char* accessibleName, QWidget* parent) {
    auto* tree = new CListBoxExt(parent);
    tree->setObjectName(objectName);
    tree->setAccessibleName(QString::fromUtf8(accessibleName));
    tree->SetShowCheckBox(true);
    return tree;
}

bool changesTrees(const store::ChangeNotification& n) {
    using namespace store::change;
    switch (n.code) {
    case kCategoryAdded:
    case kCategoryChanged:
    case kCategoryRemoved:
    case kCategoryMoved:
        return n.store == store::StoreKind::Category;
    case kTagAdded:
    case kTagMoved:
    case kTagRemoved:
    case kTagChanged:
        return true;
    default:
        return false;
    }
}

} // namespace

CSearchPane::CSearchPane(QWidget* parent)
    : QWidget(parent), m_query(new QLineEdit(this)), m_byTitle(new QCheckBox("标题", this)),
      m_byContent(new QCheckBox("内容", this)), m_ignoreCase(new QCheckBox("忽略大小写", this)),
      m_splitWords(new QCheckBox("按空格拆分关键词", this)),
      m_categoryTree{checkTree("searchCategoryTree", "查询的知识分类", this), {}},
      m_tagTree{checkTree("searchTagTree", "查询的标签", this), {}},
      m_button(new QPushButton("查询", this)) {
    setObjectName("searchPane");
    m_query->setObjectName("searchQuery");
    m_query->setAccessibleName("查询内容");
    m_byTitle->setObjectName("searchByTitle");
    m_byTitle->setChecked(true);
    m_byContent->setObjectName("searchByContent");
    m_ignoreCase->setObjectName("searchIgnoreCase");
    m_ignoreCase->setChecked(true);
    m_splitWords->setObjectName("searchSplitWords");
    m_button->setObjectName("searchButton");
    auto* queryLabel = new QLabel("查询内容:", this);
    queryLabel->setBuddy(m_query);
    auto* basis = new QHBoxLayout;
    basis->addWidget(m_byTitle);
    basis->addWidget(m_byContent);
    basis->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(queryLabel);
    layout->addWidget(m_query);
    layout->addLayout(basis);
    layout->addWidget(m_ignoreCase);
    layout->addWidget(m_splitWords);
    layout->addWidget(new QLabel("知识分类:", this));
    layout->addWidget(m_categoryTree.list, 2);
    layout->addWidget(new QLabel("标签:", this));
    layout->addWidget(m_tagTree.list, 1);
    layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_search) {
            m_search(input());
        }
    });
    connect(m_query, &QLineEdit::returnPressed, m_button, &QPushButton::click);
}

// The lists hold pointers to the icon records: they go first.
CSearchPane::~CSearchPane() {
    clear(m_categoryTree);
    clear(m_tagTree);
}

// The trees tick, expand and collapse themselves: their requests are answered "not handled",
// which a widget would not do for an event of a type it does not know.
bool CSearchPane::event(QEvent* event) {
    if (event->type() == LUSTRA::CListBoxNotifyEvent::eventType()) {
        return false;
    }
    return QWidget::event(event);
}

void CSearchPane::setBase(store::KnowledgeStore* base) {
    m_base = base;
    clear(m_categoryTree);
    clear(m_tagTree);
    rebuild();
}

void CSearchPane::setImageList(const MainImageList* images) {
    m_images = images;
    applySkin();
}

void CSearchPane::applySkin() {
    constexpr std::array<skin::IconIndex, IconSlots> kSkinIcons{
        skin::ICON_FOLDER_OPEN, skin::ICON_FOLDER_CLOSE, skin::ICON_TAG_OPEN};
    for (std::size_t slot = 0; slot < m_icons.size(); ++slot) {
        ItemIcon& icon = m_icons[slot];
        icon.picture = m_images
                           ? m_images->icon(kSkinIcons[slot]).pixmap(kIconSize, kIconSize).toImage()
                           : QImage();
        icon.info = LUSTRA::ST_IMG_INFO{};
        if (!icon.picture.isNull()) {
            icon.info.pBitmap = &icon.picture;
            icon.info.nWidth = icon.picture.width();
            icon.info.nHeight = icon.picture.height();
        }
    }
    m_categoryTree.list->viewport()->update();
    m_tagTree.list->viewport()->update();
}

void CSearchPane::applyChange(const store::ChangeNotification& notification) {
    if (changesTrees(notification)) {
        rebuild();
    }
}

CSearchPane::Kept CSearchPane::keptOf(const Tree& tree) {
    Kept kept;
    for (long long id : tree.ids) {
        const ST_LISTBOX_ITEM* item = tree.list->GetItemByItemID(static_cast<long>(id));
        if (item && item->bChecked) {
            kept.ticked.insert(id);
        }
        if (item && item->bHasChild && !item->bExpanded) {
            kept.collapsed.insert(id);
        }
    }
    return kept;
}

void CSearchPane::clear(Tree& tree) {
    tree.list->ReleaseItem();
    tree.ids.clear();
}

void CSearchPane::rebuild() {
    const Kept categories = keptOf(m_categoryTree);
    const Kept tags = keptOf(m_tagTree);
    clear(m_categoryTree);
    clear(m_tagTree);
    if (!m_base) {
        return;
    }
    fillCategories(*m_base->categories().root(), categories);
    fillTags(m_base->tags().root(), tags);
}

void CSearchPane::fillCategories(const CategoryRecord& parent, const Kept& kept) {
    for (CategoryRecord* child : m_base->categories().children(&parent)) {
        // A category without sub-categories has nothing to open: its folder stays closed, as in
        // the knowledge tree.
        bool leaf = m_base->categories().children(child).empty();
        addItem(m_categoryTree, child->id, parent.id, child->name(),
                leaf ? FolderClosed : FolderOpen, FolderClosed, kept);
        fillCategories(*child, kept);
    }
}

void CSearchPane::fillTags(const TagRecord* parent, const Kept& kept) {
    for (TagRecord* child : m_base->tags().children(parent)) {
        addItem(m_tagTree, child->id, parent->id, child->name(), Tag, Tag, kept);
        fillTags(child, kept);
    }
}

// Parents come before their children; the root's children are the top-level items. A branch
// starts expanded unless the user had collapsed it.
void CSearchPane::addItem(Tree& tree, long long id, long long parentId, std::string_view name,
                          IconSlot expanded, IconSlot collapsed, const Kept& kept) {
    ST_LISTBOX_ITEM item;
    item.nItemID = static_cast<long>(id);
    item.pParent = parentId > 0 ? tree.list->GetItemByItemID(static_cast<long>(parentId)) : nullptr;
    item.pImgExpand = &m_icons[expanded].info;
    item.pImgCollapse = &m_icons[collapsed].info;
    item.bCanHaveChild = true;
    item.bExpanded = !kept.collapsed.contains(id);
    item.bCheckable = true;
    item.bChecked = kept.ticked.contains(id);
    tree.list->AddItem(item, std::string(name).c_str());
    tree.ids.push_back(id);
}

std::vector<long long> CSearchPane::tickedIds(const Tree& tree) {
    std::vector<long long> ids;
    for (long long id : tree.ids) {
        const ST_LISTBOX_ITEM* item = tree.list->GetItemByItemID(static_cast<long>(id));
        if (item && item->bChecked) {
            ids.push_back(id);
        }
    }
    return ids;
}

ops::SearchPaneInput CSearchPane::input() const {
    ops::SearchPaneInput input;
    input.query = m_query->text().toStdString();
    input.byTitle = m_byTitle->isChecked();
    input.byContent = m_byContent->isChecked();
    input.ignoreCase = m_ignoreCase->isChecked();
    input.splitWords = m_splitWords->isChecked();
    if (!m_base) {
        return input;
    }
    for (long long id : tickedIds(m_categoryTree)) {
        if (CategoryRecord* category = m_base->categories().find(id)) {
            input.ticked.categories.push_back(category);
        }
    }
    for (long long id : tickedIds(m_tagTree)) {
        if (TagRecord* tag = m_base->tags().find(id)) {
            input.ticked.tags.push_back(tag);
        }
    }
    return input;
}

} // namespace tarnel::ui
