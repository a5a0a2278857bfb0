#pragma once

#include "ops/attachment_files.h"
#include "ops/operation_context.h"
#include "platform/desktop_open.h"
#include "store/category_store.h"
#include "ui/change_dispatcher.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace tarnel::ui {

// The attachment pane (附件) of a point: the list with the columns "名称", "所属知识点", "大小",
// "模式", "创建日期", "修改日期" and "状态" ("文件失效" for a missing file), and the buttons
// "添加附件", "打开附件", "导出附件", "删除附件". Sizes read "%.2fKB", "%.2fMB" or "%.2fGB"; the
// state is "正常", "已签出" or "文件失效". It shows either a stored point's attachments, changed
// through the attachment operations, or the files gathered for a point the add-point form has not
// saved yet, which the form records when it saves. User-interface thread only; the context,
// dispatcher and opener outlive the pane.
class CAttachmentPane : public QWidget {
    Q_OBJECT

public:
    // The files the user chose to add and the mode chosen for all of them.
    struct Choice {
        std::vector<std::filesystem::path> files;
        bool linked = false;
    };
    // The dialogs the pane asks through; tests answer them. Empty: the file dialogs.
    struct Dialogs {
        std::function<std::optional<Choice>(QWidget* owner)> chooseFiles;
        // The target of an export of the attachment named name.
        std::function<std::optional<std::filesystem::path>(QWidget* owner, const QString& name)>
            chooseTarget;
    };

    CAttachmentPane(ops::OperationContext& context, ChangeDispatcher* dispatcher,
                    const platform::Opener& opener, QWidget* parent = nullptr);

    void setDialogs(Dialogs dialogs);

    // Shows the stored point's attachments, looked up by id whenever the pane acts.
    void showPoint(long long pointId);
    // Gathers files for a point not saved yet, named pointName in the list.
    void showNewPoint(const QString& pointName);
    // Reads the list again.
    void refresh();
    // Follows the shown point: its attachments added (3) or removed (9), its name changed (5).
    void applyChange(const store::ChangeNotification& notification);
    long long pointId() const { return m_pointId; }

    // The files gathered for the new point, in the order they were added.
    const std::vector<ops::AttachmentInput>& pending() const { return m_pending; }

    void addAttachments();
    void openSelected();
    void exportSelected();
    void deleteSelected();

private:
    struct Row {
        QString name;
        long long attachmentId = 0; // 0 for a gathered file
        std::filesystem::path file;
        long long size = 0;
        bool linked = false;
        bool checkedOut = false;
        QString created;
        QString modified;
    };
    std::vector<Row> rows();
    void fill();
    QString stateText(const Row& row) const;
    int selectedRow() const;
    void addPending(const Choice& choice);
    void updateButtons();

    ops::OperationContext& m_context;
    ChangeDispatcher* m_dispatcher;
    const platform::Opener& m_opener;
    Dialogs m_dialogs;
    QTreeWidget* m_list;
    QPushButton* m_add;
    QPushButton* m_open;
    QPushButton* m_export;
    QPushButton* m_delete;
    long long m_pointId = 0;
    QString m_pointName;
    std::vector<ops::AttachmentInput> m_pending;
    std::vector<Row> m_shown;
};

} // namespace tarnel::ui
