#include "ui/table_insert_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tarnel::ui {
namespace {

QSpinBox* countBox(const char* name, const char* label, int value, int maximum, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(1, maximum);
    box->setValue(value);
    box->setAccessibleName(QString::fromUtf8(label).remove(':'));
    return box;
}

} // namespace

CTableInsertDialog::CTableInsertDialog(int maxRows, int maxColumns, QWidget* parent)
    : QDialog(parent), m_rows(countBox("tableRows", kRowsLabel, kDefaultRows, maxRows, this)),
      m_columns(countBox("tableColumns", kColumnsLabel, kDefaultColumns, maxColumns, this)) {
    setObjectName("tableInsertDialog");
    setWindowTitle(QString::fromUtf8(kTitle));
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8(kRowsLabel), m_rows);
    form->addRow(QString::fromUtf8(kColumnsLabel), m_columns);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText("确定");
    ok->setObjectName("okButton");
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setText("取消");
    cancel->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int CTableInsertDialog::rows() const {
    return m_rows->value();
}

int CTableInsertDialog::columns() const {
    return m_columns->value();
}

} // namespace tarnel::ui
