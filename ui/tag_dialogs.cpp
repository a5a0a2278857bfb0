#include "ui/tag_dialogs.h"

#include "store/attribute_tables.h"
#include "ui/tag_tree_chooser.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnel::ui {
namespace {

namespace tag = store::tag;

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

std::string utf8(const QString& value) {
    return value.toUtf8().toStdString();
}

QSpinBox* starBox(QWidget* owner, long long value) {
    auto* stars = new QSpinBox(owner);
    stars->setObjectName("tagStars");
    stars->setRange(0, 5);
    stars->setSuffix("星级");
    stars->setValue(static_cast<int>(std::clamp(value, 0LL, 5LL)));
    return stars;
}

QPlainTextEdit* memoBox(QWidget* owner, std::string_view value) {
    auto* memo = new QPlainTextEdit(text(value), owner);
    memo->setObjectName("tagMemo");
    memo->setTabChangesFocus(true);
    return memo;
}

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName("dialogButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QLabel* buddyLabel(const QString& caption, QWidget* field, QWidget* owner) {
    auto* label = new QLabel(caption, owner);
    label->setBuddy(field);
    field->setAccessibleName(QString(caption).remove(':'));
    return label;
}

QLineEdit* nameBox(QWidget* owner, std::string_view value) {
    auto* name = new QLineEdit(text(value), owner);
    name->setObjectName("tagName");
    return name;
}

// Keeps the dialog open on a refusal and puts the focus where the user must correct it.
bool settle(QDialog& dialog, const ops::OperationResult& result, QLineEdit* name, QWidget* place) {
    if (result.ok()) {
        return true;
    }
    if (result.field == ops::Field::Name && name) {
        name->setFocus();
        name->selectAll();
    } else if ((result.field == ops::Field::Parent || result.field == ops::Field::Target) &&
               place) {
        place->setFocus();
    }
    dialog.raise();
    return false;
}

} // namespace

CTagAddDialog::CTagAddDialog(const QString& title, store::TagStore& tags, store::TagRecord* parent,
                             Submit submit, QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_name(nameBox(this, {})),
      m_parent(new TagTreeChooser(tags, this)), m_stars(starBox(this, 0)),
      m_memo(memoBox(this, {})) {
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
    ops::TagInput input{utf8(m_name->text()), m_stars->value(), utf8(m_memo->toPlainText())};
    if (settle(*this, m_submit(m_parent->chosen(), input), m_name, m_parent)) {
        QDialog::accept();
    }
}

CTagPropertiesDialog::CTagPropertiesDialog(const store::TagRecord& record, Submit submit,
                                           QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_name(nameBox(this, record.name())),
      m_stars(starBox(this, record.values.integer(tag::kStarNum))),
      m_memo(memoBox(this, record.values.value(tag::kMemo))) {
    setObjectName("tagPropertiesDialog");
    setWindowTitle("属性");
    auto readOnly = [this](const char* objectName, const QString& value) {
        auto* field = new QLineEdit(value, this);
        field->setObjectName(objectName);
        field->setReadOnly(true);
        return field;
    };
    QLineEdit* created = readOnly("tagCreateDate", text(record.values.value(tag::kCreateDate)));
    QLineEdit* modified = readOnly("tagModifyDate", text(record.values.value(tag::kModifyDate)));
    QLineEdit* points =
        readOnly("tagPointNum", QString::number(record.values.integer(tag::kPointNum)));
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
    ops::TagInput properties{utf8(m_name->text()), m_stars->value(), utf8(m_memo->toPlainText())};
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
    auto* moved = new QLabel(text(record.name()), this);
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
