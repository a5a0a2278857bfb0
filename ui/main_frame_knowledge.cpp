// The frame's import, export and search: the search pane, the controllers behind the category
// and tag menus, and drops of files on the floating window and the knowledge tree.
#include "ui/category_commands.h"
#include "ui/file_chooser.h"
#include "ui/knowledge_transfer.h"
#include "ui/knowledge_tree_model.h"
#include "ui/knowledge_tree_view.h"
#include "ui/main_frame.h"
#include "ui/search_controller.h"
#include "ui/search_pane.h"
#include "ui/search_result_window.h"

namespace tarnel::ui {

using store::CategoryRecord;

void CMainFrame::createSearchPane() {
    m_searchPane = new CSearchPane(m_panes);
    m_searchPane->setImageList(&m_imageList);
    connect(this, &CMainFrame::skinChanged, m_searchPane, &CSearchPane::applySkin);
    m_searchPane->setSearch([this](const ops::SearchPaneInput& input) {
        if (m_searches) {
            m_searches->searchFromPane(input);
        }
    });
    addWorkspacePane(WorkspacePane::Search, m_searchPane, "查    询");
}

void CMainFrame::setFileChooser(FileChooser& chooser) {
    m_fileChooser = &chooser;
    if (m_transfer) {
        m_transfer->setChooser(chooser);
    }
}

void CMainFrame::startKnowledgeCommands() {
    if (!m_fileChooser) {
        m_dialogChooser = std::make_unique<DialogFileChooser>();
        m_fileChooser = m_dialogChooser.get();
    }
    m_transfer =
        std::make_unique<KnowledgeTransfer>(*m_context, m_dispatcher, *m_fileChooser, this);
    m_transfer->setExpand([this](CategoryRecord& parent) {
        m_tree->expand(parent.id > 0 ? m_treeModel->indexOf(store::StoreKind::Category, parent.id)
                                     : m_treeModel->categoryRootIndex());
    });
    CSearchResultView::Services results{
        m_context.get(),
        &m_dispatcher,
        m_services.opener,
        [this](int icon) { return typeIcon(icon); },
        [this](CategoryRecord& owner, const store::PointRecord& p) { openPoint(owner, p); },
        m_pointCommands.get(),
        readingAreaTools(),
        &m_skinColours.list,
        &m_pictures};
    m_searches = std::make_unique<SearchController>(
        *m_context, m_settings, std::move(results),
        [this](std::unique_ptr<CSearchResultView> window) {
            return static_cast<CSearchResultView*>(addWindow(std::move(window)));
        },
        this);
    KnowledgeTransfer& transfer = *m_transfer;
    m_commands->setTransferHooks(CategoryCommands::TransferHooks{
        [&transfer](CategoryRecord& c) { transfer.importDocuments(c); },
        [&transfer](CategoryRecord& c) { transfer.importFolder(c); },
        [&transfer](CategoryRecord& c) { transfer.linkFolder(c); },
        [&transfer](CategoryRecord& c) { transfer.exportCategory(c); },
        [this](CategoryRecord& c) { m_searches->quickFind(c); }});
    m_searchPane->setBase(m_base.get());
    m_tree->setFileDropHandler([this](const std::vector<std::filesystem::path>& files,
                                      long long category) { filesDropped(files, category); });
    if (m_float) {
        m_float->setDropHandler(
            [this](const std::vector<std::filesystem::path>& files) { filesDropped(files, 0); });
    }
}

// The searches still running end before the base they read goes.
void CMainFrame::stopKnowledgeCommands() {
    m_searchPane->setBase(nullptr);
    m_tree->setFileDropHandler({});
    if (m_float) {
        m_float->setDropHandler({});
    }
    m_searches.reset();
    m_transfer.reset();
}

// The tray menu, a second start and the frame's messages still reach the frame while a progress
// dialog is up; none of them may take the base from under its worker.
bool CMainFrame::transferRunning() {
    if (!m_transfer || !m_transfer->working()) {
        return false;
    }
    m_activePrompt->show(KnowledgeTransfer::kStillWorking, app::MessageIcon::Information);
    return true;
}

// The main window comes up first, so that the target dialog is seen over it.
void CMainFrame::filesDropped(const std::vector<std::filesystem::path>& files, long long category) {
    if (!m_transfer) {
        return;
    }
    showMain();
    m_transfer->importDropped(files, category);
}

void CMainFrame::quickFindTag(store::TagRecord& tag) {
    if (m_searches) {
        m_searches->quickFind(tag);
    }
}

void CMainFrame::exportTagWithProgress(store::TagRecord& tag) {
    if (m_transfer) {
        m_transfer->exportTag(tag);
    }
}

void CMainFrame::searchPaneChange(const store::ChangeNotification& notification) {
    m_searchPane->applyChange(notification);
}

} // namespace tarnel::ui
