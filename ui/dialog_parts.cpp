#include "ui/dialog_parts.h"

#include "ui/utf8_text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

namespace tarnel::ui {

QSpinBox* starBox(QWidget* owner, const char* objectName, long long value, const QString& suffix) {
    auto* stars = new QSpinBox(owner);
    stars->setObjectName(objectName);
    stars->setRange(0, 5);
    stars->setSuffix(suffix);
    stars->setValue(static_cast<int>(std::clamp(value, 0LL, 5LL)));
    return stars;
}

QPlainTextEdit* memoBox(QWidget* owner, const char* objectName, std::string_view value) {
    auto* memo = new QPlainTextEdit(qtText(value), owner);
    memo->setObjectName(objectName);
    memo->setTabChangesFocus(true);
    return memo;
}

QLineEdit* readOnlyField(QWidget* owner, const char* objectName, const QString& value) {
    auto* field = new QLineEdit(value, owner);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    return field;
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

bool settle(QDialog& dialog, const ops::OperationResult& result, QWidget* name, QWidget* place) {
    if (result.ok()) {
        return true;
    }
    if (result.field == ops::Field::Name && name) {
        name->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(name)) {
            edit->selectAll();
        }
    } else if ((result.field == ops::Field::Parent || result.field == ops::Field::Target) &&
               place) {
        place->setFocus();
    }
    dialog.raise();
    return false;
}

} // namespace tarnel::ui
