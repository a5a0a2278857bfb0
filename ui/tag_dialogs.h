#pragma once

#include "ops/operation_result.h"
#include "ops/tag_editing.h"
#include "store/tag_store.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;

// The dialogs of the tag commands. Each one's OK hands its fields to the operation; a refused
// field keeps the dialog open with that field focused, success closes it.
namespace tarnel::ui {

class TagTreeChooser;

// "新建子级标签" / "新建同级标签": name, parent drop-down (with "顶级标签"), stars 0 to 5, memo.
class CTagAddDialog : public QDialog {
    Q_OBJECT

public:
    using Submit =
        std::function<ops::OperationResult(store::TagRecord* parent, const ops::TagInput& input)>;

    CTagAddDialog(const QString& title, store::TagStore& tags, store::TagRecord* parent,
                  Submit submit, QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    QLineEdit* m_name;
    TagTreeChooser* m_parent;
    QSpinBox* m_stars;
    QPlainTextEdit* m_memo;
};

// "属性": name, dates and point count (read only), stars and memo.
class CTagPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    using Submit = std::function<ops::OperationResult(const ops::TagInput&)>;

    CTagPropertiesDialog(const store::TagRecord& tag, Submit submit, QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    QLineEdit* m_name;
    QSpinBox* m_stars;
    QPlainTextEdit* m_memo;
};

// "移动标签": the target drop-down, the current parent chosen at first.
class CTagMoveDialog : public QDialog {
    Q_OBJECT

public:
    using Submit = std::function<ops::OperationResult(store::TagRecord& target)>;

    CTagMoveDialog(store::TagStore& tags, const store::TagRecord& tag, Submit submit,
                   QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    TagTreeChooser* m_target;
};

} // namespace tarnel::ui
