#pragma once

#include "ops/operation_result.h"
#include "store/category_store.h"
#include "store/tag_store.h"

#include <QDialog>
#include <functional>

namespace tarnel::ui {

class CategoryChooser;
class TagTreeChooser;

// "移动知识点" and "移动选中的对象": what moves (a point's name, or how many items) and the target
// category's drop-down tree, the current category chosen at first. OK hands the target to the
// move; a refusal keeps the dialog open with the drop-down focused, success closes it.
class CPointMoveDialog : public QDialog {
    Q_OBJECT

public:
    using Submit = std::function<ops::OperationResult(store::CategoryRecord& target)>;

    CPointMoveDialog(const QString& title, const QString& moved, store::CategoryStore& categories,
                     const store::CategoryRecord* current, Submit submit, QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    CategoryChooser* m_target;
};

// The tag target of "移动选中的对象" when only tags are selected: the drop-down tree of tags with
// "顶级标签" for the root. Refusals keep it open as above.
class CTagTargetDialog : public QDialog {
    Q_OBJECT

public:
    using Submit = std::function<ops::OperationResult(store::TagRecord& target)>;

    CTagTargetDialog(const QString& moved, store::TagStore& tags, Submit submit, QWidget* owner);

    void accept() override;

private:
    Submit m_submit;
    TagTreeChooser* m_target;
};

} // namespace tarnel::ui
