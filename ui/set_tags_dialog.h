#pragma once

#include "ops/operation_context.h"
#include "ops/tag_points.h"
#include "ui/change_dispatcher.h"

#include <QDialog>
#include <vector>

namespace tarnel::ui {

class TagChooser;

// "设置知识点标签" (one point) and "设置标签" (several): a column of tag drop-downs, each starting
// with "---请选择所属标签---". For one point the drop-downs show its tags; there are always at
// least three and one more than the tags it carries, so that a tag can be added. OK sets the
// chosen tags (each once, in drop-down order) on every point through the operation, inside a
// change guard, and closes the dialog on success. User-interface thread only; the context and
// dispatcher outlive the dialog, and the points stay while it is open (it is modal).
class CSetTagsDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinimumChoosers = 3;

    CSetTagsDialog(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                   std::vector<ops::TagPoint> points, QWidget* owner);

    // The chosen tags, each once, in drop-down order.
    std::vector<long long> chosenTags() const;
    const std::vector<TagChooser*>& choosers() const { return m_choosers; }

    void accept() override;

private:
    ops::OperationContext& m_context;
    ChangeDispatcher& m_dispatcher;
    std::vector<ops::TagPoint> m_points;
    std::vector<TagChooser*> m_choosers;
};

} // namespace tarnel::ui
