#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "ops/remembered_folders.h"
#include "store/category_store.h"
#include "store/tag_store.h"
#include "ui/change_dispatcher.h"
#include "ui/file_chooser.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <vector>

class QMimeData;
class QWidget;

namespace tarnel::ui {

class CWorkProgressDialog;

// The import and export commands of the window: "导入文档", "导入文件夹", "新建关联分类",
// "导出分类", "导出标签" and files dropped on the window. Folder walks and export copies run on a
// worker thread behind the modal progress dialog; the stores are touched only by that worker
// while the dialog is up, and the operation's final messages come through the frame's Prompt once
// the worker has ended. Each folder browser starts at the folder its command chose last in this
// run. User-interface thread only; everything given outlives it.
class KnowledgeTransfer {
public:
    static constexpr const char* kAllFilesFilter = "所有类型 (*.*)|*.*||";
    static constexpr const char* kNotLocalFiles =
        "只能导入本机上的文件，拖放的内容不是本地文件，没有导入!";
    static constexpr const char* kDropTargetTitle = "请选择导入的目标分类";
    static constexpr const char* kStillWorking = "正在导入或导出，请等它完成或取消后再试。";

    // Shown for each progress dialog before its work starts; tests watch the work through it.
    using DialogShown = std::function<void(CWorkProgressDialog&)>;

    KnowledgeTransfer(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                      FileChooser& chooser, QWidget* owner);

    void setChooser(FileChooser& chooser) { m_chooser = &chooser; }
    void setDialogShown(DialogShown shown) { m_dialogShown = std::move(shown); }
    // The parent's tree item is expanded after a folder import or link.
    void setExpand(std::function<void(store::CategoryRecord&)> expand) {
        m_expand = std::move(expand);
    }

    void importDocuments(store::CategoryRecord& category);
    void importFolder(store::CategoryRecord& parent);
    void linkFolder(store::CategoryRecord& parent);
    void exportCategory(store::CategoryRecord& category);
    void exportTag(store::TagRecord& tag);

    // Files dropped on the floating window or the tree (localFilesOf the drop): the target-category
    // dialog, starting at the category of startId (the top for none), and then "导入文档" of the
    // files into the chosen category. No files (the drop held a web link, text, or anything but
    // local files) is refused with kNotLocalFiles and nothing is imported. Run it after the drop
    // event has returned: the dialog is modal.
    void importDropped(const std::vector<std::filesystem::path>& files, long long startId);
    // The local files of a drop; empty when anything in it is not a local file.
    static std::vector<std::filesystem::path> localFilesOf(const QMimeData& data);

    const ops::RememberedFolders& remembered() const { return m_folders; }
    // True while a progress dialog's worker owns the stores: nothing may close or replace the
    // base until it has ended.
    bool working() const { return m_working > 0; }

private:
    ops::OperationResult run(const std::function<ops::OperationResult()>& operation);
    // run behind the progress dialog, with working() true meanwhile.
    ops::OperationResult runBehind(CWorkProgressDialog& dialog,
                                   const std::function<ops::OperationResult()>& operation);
    std::optional<std::filesystem::path> chooseFolder(ops::FolderCommand command,
                                                      std::string_view title);
    void importFiles(store::CategoryRecord& category,
                     const std::vector<std::filesystem::path>& files);
    store::CategoryRecord* chooseDropTarget(long long startId);
    void walkFolder(store::CategoryRecord& parent, bool link);

    ops::OperationContext& m_context;
    ChangeDispatcher& m_dispatcher;
    FileChooser* m_chooser;
    QWidget* m_owner;
    ops::RememberedFolders m_folders;
    DialogShown m_dialogShown;
    int m_working = 0;
    std::function<void(store::CategoryRecord&)> m_expand;
};

} // namespace tarnel::ui
