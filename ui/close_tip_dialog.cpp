#include "ui/close_tip_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnel::ui {

CloseTipDialog::CloseTipDialog(QWidget* parent)
    : QDialog(parent), m_hide(new QRadioButton("最小化到系统托盘，不退出程序", this)),
      m_exit(new QRadioButton("退出程序", this)), m_remember(new QCheckBox("记住我的选择", this)) {
    setObjectName("closeTipDialog");
    setWindowTitle("关闭提示");
    m_hide->setObjectName("hideToTray");
    m_exit->setObjectName("exitProgram");
    m_remember->setObjectName("rememberChoice");
    m_hide->setChecked(true);
    auto* question = new QLabel("您点击了关闭按钮，您希望：", this);
    question->setObjectName("closeTipQuestion");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("dialogButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(m_hide);
    layout->addWidget(m_exit);
    layout->addSpacing(8);
    layout->addWidget(m_remember);
    layout->addWidget(buttons);
}

CloseTipDialog::Choice CloseTipDialog::choice() const {
    return m_exit->isChecked() ? Choice::Exit : Choice::Hide;
}

bool CloseTipDialog::remember() const {
    return m_remember->isChecked();
}

} // namespace tarnel::ui
