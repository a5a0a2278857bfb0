#include "ui/tag_dialogs.h"

#include "store/attribute_tables.h"
#include "ui/dialog_parts.h"
#include "ui/tag_tree_chooser.h"
#include "ui/utf8_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tarnel::ui {
namespace {

namespace tag = store::tag;

QLineEdit* nameBox(QWidget* owner, std::string_view value) {
    auto* name = new QLineEdit(qtText(value), owner);
    name->setObjectName("tagName");
    return name;
}

} // namespace

CTagAddDialog::CTagAddDialog(const QString& title, store::TagStore& tags, store::TagRecord* parent,
                             Submit submit, QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_name(nameBox(this, {})),
      m_parent(new TagTreeChooser(tags, this)), m_stars(starBox(this, "tagStars", 0, "星级")),
      m_memo(memoBox(this, "tagMemo", {})) {
    setObjectName("tagAddDialog");
    setWindowTitle(title);
    m_parent->setObjectName("tagParent");
    m_parent->select(parent);
    auto* form = new QFormLayout;
    form->addRow(buddyLabel("标签名称:", m_name, this), m_name);
    form->addRow(buddyLabel("所属标签:", m_parent, this), m_parent);
    form->addRow(buddyLabel("星级:", m_stars, this), m_stars);
    form->addRow(buddyLabel("备注:", m_memo, this), m_memo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
    m_name->setFocus();
}

void CTagAddDialog::accept() {
    ops::TagInput input{utf8Text(m_name->text()), m_stars->value(),
                        utf8Text(m_memo->toPlainText())};
    if (settle(*this, m_submit(m_parent->chosen(), input), m_name, m_parent)) {
        QDialog::accept();
    }
}

CTagPropertiesDialog::CTagPropertiesDialog(const store::TagRecord& record, Submit submit,
                                           QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_name(nameBox(this, record.name())),
      m_stars(starBox(this, "tagStars", record.values.integer(tag::kStarNum), "星级")),
      m_memo(memoBox(this, "tagMemo", record.values.value(tag::kMemo))) {
    setObjectName("tagPropertiesDialog");
    setWindowTitle("属性");
    QLineEdit* created =
        readOnlyField(this, "tagCreateDate", qtText(record.values.value(tag::kCreateDate)));
    QLineEdit* modified =
        readOnlyField(this, "tagModifyDate", qtText(record.values.value(tag::kModifyDate)));
    QLineEdit* points =
        readOnlyField(this, "tagPointNum", QString::number(record.values.integer(tag::kPointNum)));
    auto* form = new QFormLayout;
    form->addRow(buddyLabel("标签名称:", m_name, this), m_name);
    form->addRow(buddyLabel("创建日期:", created, this), created);
    form->addRow(buddyLabel("修改日期:", modified, this), modified);
    form->addRow(buddyLabel("知识点数:", points, this), points);
    form->addRow(buddyLabel("星级:", m_stars, this), m_stars);
    form->addRow(buddyLabel("备注:", m_memo, this), m_memo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

void CTagPropertiesDialog::accept() {
    ops::TagInput properties{utf8Text(m_name->text()), m_stars->value(),
                             utf8Text(m_memo->toPlainText())};
    if (settle(*this, m_submit(properties), m_name, nullptr)) {
        QDialog::accept();
    }
}

CTagMoveDialog::CTagMoveDialog(store::TagStore& tags, const store::TagRecord& record, Submit submit,
                               QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_target(new TagTreeChooser(tags, this)) {
    setObjectName("tagMoveDialog");
    setWindowTitle("移动标签");
    m_target->setObjectName("tagTarget");
    m_target->select(record.parent);
    auto* form = new QFormLayout;
    auto* moved = new QLabel(qtText(record.name()), this);
    moved->setObjectName("movedTag");
    moved->setAccessibleName("标签");
    form->addRow(new QLabel("标签:", this), moved);
    form->addRow(buddyLabel("目标标签:", m_target, this), m_target);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

void CTagMoveDialog::accept() {
    store::TagRecord* target = m_target->chosen();
    if (!target) {
        m_target->setFocus();
        return;
    }
    if (settle(*this, m_submit(*target), nullptr, m_target)) {
        QDialog::accept();
    }
}

} // namespace tarnel::ui
