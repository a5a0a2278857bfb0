#include "ui/list_find_dialog.h"

#include "ops/word_finder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnel::ui {

bool ListFinder::matches(const Query& query, int row) const {
    QAbstractItemModel* model = m_view.model();
    QString name = model->index(row, m_nameColumn).data(Qt::EditRole).toString();
    if (query.matchCase) {
        return name.contains(query.text, Qt::CaseSensitive);
    }
    return ops::WordFinder(query.text.toStdString(), ops::LetterCase::Ignore)
        .occursIn(name.toStdString());
}

int ListFinder::scan(const Query& query, int first, int last) const {
    int step = first <= last ? 1 : -1;
    for (int row = first; row != last + step; row += step) {
        if (matches(query, row)) {
            return row;
        }
    }
    return -1;
}

void ListFinder::select(int row) {
    QModelIndex index = m_view.model()->index(row, m_nameColumn);
    m_view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    m_view.scrollTo(index);
}

bool ListFinder::find(const Query& query) {
    int rows = m_view.model()->rowCount();
    int current = m_view.selectionModel()->currentIndex().row();
    bool down = query.direction == Direction::Down;
    int start = down ? current + 1 : (current < 0 ? rows - 1 : current - 1);
    int end = down ? rows - 1 : 0;
    bool wholeList = down ? start <= 0 : start >= rows - 1;
    int found = rows > 0 && (down ? start <= end : start >= end) ? scan(query, start, end) : -1;
    if (found < 0 && !wholeList) {
        app::Answer wrap =
            m_prompt.ask(down ? list_finding::kWrapToStart : list_finding::kWrapToEnd,
                         app::MessageIcon::Question, app::Buttons::YesNo);
        if (wrap != app::Answer::Yes) {
            return false;
        }
        found = down ? scan(query, 0, start - 1) : scan(query, rows - 1, start + 1);
    }
    if (found < 0) {
        m_prompt.show(list_finding::kNotFound, app::MessageIcon::Information);
        return false;
    }
    select(found);
    return true;
}

CListFindDialog::CListFindDialog(ListFinder finder, QWidget* parent)
    : QDialog(parent), m_finder(finder), m_text(new QLineEdit(this)),
      m_up(new QRadioButton("向上", this)), m_down(new QRadioButton("向下", this)),
      m_matchCase(new QCheckBox("区分大小写", this)) {
    setObjectName("listFindDialog");
    setWindowTitle("查找");
    setModal(false);
    m_text->setObjectName("findText");
    m_text->setAccessibleName("查找内容");
    m_up->setObjectName("findUp");
    m_down->setObjectName("findDown");
    m_down->setChecked(true);
    m_matchCase->setObjectName("matchCase");
    auto* next = new QPushButton("查找下一个", this);
    next->setObjectName("findNextButton");
    next->setDefault(true);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("findCancelButton");
    connect(next, &QPushButton::clicked, this, &CListFindDialog::findNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);

    auto* textRow = new QHBoxLayout;
    auto* caption = new QLabel("查找内容:", this);
    caption->setBuddy(m_text);
    textRow->addWidget(caption);
    textRow->addWidget(m_text);
    auto* direction = new QGroupBox("方向", this);
    auto* directionRow = new QHBoxLayout(direction);
    directionRow->addWidget(m_up);
    directionRow->addWidget(m_down);
    auto* options = new QHBoxLayout;
    options->addWidget(m_matchCase);
    options->addWidget(direction);
    auto* left = new QVBoxLayout;
    left->addLayout(textRow);
    left->addLayout(options);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(next);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
}

void CListFindDialog::present() {
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    m_text->selectAll();
}

void CListFindDialog::findNext() {
    if (m_text->text().isEmpty()) {
        m_text->setFocus();
        return;
    }
    m_finder.find({m_text->text(),
                   m_up->isChecked() ? ListFinder::Direction::Up : ListFinder::Direction::Down,
                   m_matchCase->isChecked()});
}

} // namespace tarnel::ui
