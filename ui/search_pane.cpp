#include "ui/search_pane.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnel::ui {

using store::CategoryRecord;
using store::TagRecord;

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QTreeWidget* checkTree(const char* objectName, const char* accessibleName, QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(objectName);
    tree->setAccessibleName(QString::fromUtf8(accessibleName));
    tree->setHeaderHidden(true);
    QPalette white = tree->palette();
    white.setColor(QPalette::Base, Qt::white);
    tree->setPalette(white);
    return tree;
}

QTreeWidgetItem* checkItem(QTreeWidgetItem* parent, QTreeWidget* tree, const QString& label,
                           long long id, const QSet<long long>& ticked) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    item->setText(0, label);
    item->setData(0, kIdRole, id);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, ticked.contains(id) ? Qt::Checked : Qt::Unchecked);
    return item;
}

// The ids of the ticked items, in tree order.
std::vector<long long> tickedIds(const QTreeWidget& tree) {
    std::vector<long long> ids;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it) {
        if ((*it)->checkState(0) == Qt::Checked) {
            ids.push_back((*it)->data(0, kIdRole).toLongLong());
        }
    }
    return ids;
}

QSet<long long> tickedSet(const QTreeWidget& tree) {
    QSet<long long> set;
    for (long long id : tickedIds(tree)) {
        set.insert(id);
    }
    return set;
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
      m_categories(checkTree("searchCategoryTree", "查询的知识分类", this)),
      m_tags(checkTree("searchTagTree", "查询的标签", this)),
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
    layout->addWidget(m_categories, 2);
    layout->addWidget(new QLabel("标签:", this));
    layout->addWidget(m_tags, 1);
    layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_search) {
            m_search(input());
        }
    });
    connect(m_query, &QLineEdit::returnPressed, m_button, &QPushButton::click);
}

void CSearchPane::setBase(store::KnowledgeStore* base) {
    m_base = base;
    m_categories->clear();
    m_tags->clear();
    rebuild();
}

void CSearchPane::applyChange(const store::ChangeNotification& notification) {
    if (changesTrees(notification)) {
        rebuild();
    }
}

void CSearchPane::rebuild() {
    QSet<long long> categories = tickedSet(*m_categories);
    QSet<long long> tags = tickedSet(*m_tags);
    m_categories->clear();
    m_tags->clear();
    if (!m_base) {
        return;
    }
    for (CategoryRecord* top : m_base->categories().children(m_base->categories().root())) {
        fillCategories(checkItem(nullptr, m_categories, text(top->name()), top->id, categories),
                       *top, categories);
    }
    for (TagRecord* top : m_base->tags().children(m_base->tags().root())) {
        fillTags(checkItem(nullptr, m_tags, text(top->name()), top->id, tags), top, tags);
    }
    m_categories->expandAll();
    m_tags->expandAll();
}

void CSearchPane::fillCategories(QTreeWidgetItem* item, const CategoryRecord& parent,
                                 const QSet<long long>& ticked) {
    for (CategoryRecord* child : m_base->categories().children(&parent)) {
        fillCategories(checkItem(item, m_categories, text(child->name()), child->id, ticked),
                       *child, ticked);
    }
}

void CSearchPane::fillTags(QTreeWidgetItem* item, const TagRecord* parent,
                           const QSet<long long>& ticked) {
    for (TagRecord* child : m_base->tags().children(parent)) {
        fillTags(checkItem(item, m_tags, text(child->name()), child->id, ticked), child, ticked);
    }
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
    for (long long id : tickedIds(*m_categories)) {
        if (CategoryRecord* category = m_base->categories().find(id)) {
            input.ticked.categories.push_back(category);
        }
    }
    for (long long id : tickedIds(*m_tags)) {
        if (TagRecord* tag = m_base->tags().find(id)) {
            input.ticked.tags.push_back(tag);
        }
    }
    return input;
}

} // namespace tarnel::ui
