#pragma once

#include "ops/category_editing.h"
#include "ops/operation_result.h"
#include "store/category_store.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;

// The dialogs of the category commands. Each one's OK hands its fields to the operation; a
// refused field keeps the dialog open with that field focused, success closes it.
namespace tarnel::ui {

class CategoryChooser;

// "新建子级分类" / "新建同级分类": name, parent drop-down, stars 0 to 5, memo.
class CategoryAddDialog : public QDialog {
    Q_OBJECT

public:
    using Submit = std::function<ops::OperationResult(store::CategoryRecord* parent,
                                                      const ops::CategoryInput& input)>;

    CategoryAddDialog(const QString& title, store::CategoryStore& categories,
                      store::CategoryRecord* parent, Submit submit, QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    QLineEdit* m_name;
    CategoryChooser* m_parent;
    QSpinBox* m_stars;
    QPlainTextEdit* m_memo;
};

// "属性": name, dates and point count (read only), memo and stars.
class CategoryPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    using Submit = std::function<ops::OperationResult(const ops::CategoryProperties&)>;

    CategoryPropertiesDialog(const store::CategoryRecord& category, Submit submit, QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    QLineEdit* m_name;
    QSpinBox* m_stars;
    QPlainTextEdit* m_memo;
};

// "移动分类": the target drop-down, the current parent chosen at first.
class CategoryMoveDialog : public QDialog {
    Q_OBJECT

public:
    using Submit = std::function<ops::OperationResult(store::CategoryRecord& target)>;

    CategoryMoveDialog(store::CategoryStore& categories, const store::CategoryRecord& category,
                       Submit submit, QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    CategoryChooser* m_target;
};

// The colour pop-up of "设置字体颜色" / "设置背景颜色": a grid of colours, the default colour and
// "更多颜色" (the colour dialog). Returns the stored colour (ops::kDefaultColor for the default)
// or nothing when the user chose nothing.
std::optional<long long> chooseColor(const QString& title, QWidget* owner, const QPoint& at);

} // namespace tarnel::ui
