#pragma once

#include "app/settings.h"
#include "ops/operation_context.h"
#include "ops/search_engine.h"
#include "ops/search_pane.h"
#include "ui/background_search.h"
#include "ui/search_result_window.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tarnel::ui {

// The searches of the window: the search pane's button, "在此分类中快速查找" and
// "在此标签中快速查找". Each search opens a new result window and fills it hit by hit from a
// worker thread, so the window stays usable and a second search opens a second window. The
// engine holds the parameters between runs. Closing a result window stops its search.
// User-interface thread only; everything given outlives it, and it stops its running searches and
// waits for them when it goes.
class SearchController {
public:
    // Takes the new result window in and shows it.
    using OpenWindow = std::function<CSearchResultView*(std::unique_ptr<CSearchResultView>)>;

    SearchController(ops::OperationContext& context, const app::Settings& settings,
                     CSearchResultView::Services services, OpenWindow open, QWidget* owner);
    ~SearchController();

    // The pane's checks and messages in order, then the search over the ticked items.
    CSearchResultView* searchFromPane(const ops::SearchPaneInput& input);
    // The quick find dialog, then the search of the item and its subtree by title.
    CSearchResultView* quickFind(store::CategoryRecord& category);
    CSearchResultView* quickFind(store::TagRecord& tag);
    // Opens the result window and starts the search in it.
    CSearchResultView* run(const ops::SearchParameters& parameters, const ops::SearchScope& scope);

    ops::SearchEngine& engine() { return m_engine; }
    // The searches whose end has not reached their window yet.
    std::size_t running() const;

private:
    std::optional<std::string> askQuickFindText(const char* title);
    void dropFinished();

    ops::OperationContext& m_context;
    const app::Settings& m_settings;
    CSearchResultView::Services m_services;
    OpenWindow m_open;
    QWidget* m_owner;
    ops::SearchEngine m_engine;
    std::vector<std::unique_ptr<BackgroundSearch>> m_searches;
};

} // namespace tarnel::ui
