#include "ui/point_move_dialogs.h"

#include "ui/category_chooser.h"
#include "ui/tag_tree_chooser.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnel::ui {
namespace {

// The form of both dialogs: what moves above the target drop-down, then OK and Cancel.
void layOut(QDialog& dialog, const QString& movedCaption, const QString& moved,
            const QString& targetCaption, QWidget* target) {
    auto* form = new QFormLayout;
    auto* what = new QLabel(moved, &dialog);
    what->setObjectName("movedItems");
    what->setAccessibleName(QString(movedCaption).remove(':'));
    form->addRow(new QLabel(movedCaption, &dialog), what);
    auto* caption = new QLabel(targetCaption, &dialog);
    caption->setBuddy(target);
    target->setAccessibleName(QString(targetCaption).remove(':'));
    form->addRow(caption, target);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->setObjectName("dialogButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

// A refused target keeps the dialog up with the drop-down focused for another choice.
bool settled(QDialog& dialog, const ops::OperationResult& result, QWidget* target) {
    if (result.ok()) {
        return true;
    }
    target->setFocus();
    dialog.raise();
    return false;
}

} // namespace

CPointMoveDialog::CPointMoveDialog(const QString& title, const QString& moved,
                                   store::CategoryStore& categories,
                                   const store::CategoryRecord* current, Submit submit,
                                   QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_target(new CategoryChooser(categories, this)) {
    setObjectName("pointMoveDialog");
    setWindowTitle(title);
    m_target->setObjectName("pointTarget");
    m_target->select(current);
    layOut(*this, "移动对象:", moved, "目标分类:", m_target);
}

void CPointMoveDialog::accept() {
    store::CategoryRecord* target = m_target->chosen();
    if (!target) {
        m_target->setFocus();
        return;
    }
    if (settled(*this, m_submit(*target), m_target)) {
        QDialog::accept();
    }
}

CTagTargetDialog::CTagTargetDialog(const QString& moved, store::TagStore& tags, Submit submit,
                                   QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_target(new TagTreeChooser(tags, this)) {
    setObjectName("tagTargetDialog");
    setWindowTitle("移动选中的对象");
    m_target->setObjectName("tagTarget");
    m_target->select(tags.root());
    layOut(*this, "移动对象:", moved, "目标标签:", m_target);
}

void CTagTargetDialog::accept() {
    store::TagRecord* target = m_target->chosen();
    if (!target) {
        m_target->setFocus();
        return;
    }
    if (settled(*this, m_submit(*target), m_target)) {
        QDialog::accept();
    }
}

} // namespace tarnel::ui
