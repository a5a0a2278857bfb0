#include "updater/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnel::updater {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDialog");
    setWindowTitle(QString::fromUtf8(kTitle));
    setAccessibleName(windowTitle());
    auto* text = new QLabel(QString::fromUtf8(kVersionText));
    text->setObjectName("aboutVersion");
    text->setAccessibleName(text->text());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setObjectName("aboutButtons");
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName("aboutOk");
    ok->setText(QString::fromUtf8("确定"));
    ok->setAccessibleName(ok->text());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

} // namespace tarnel::updater
