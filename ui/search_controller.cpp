#include "ui/search_controller.h"

#include "ops/search_messages.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnel::ui {

SearchController::SearchController(ops::OperationContext& context, const app::Settings& settings,
                                   CSearchResultView::Services services, OpenWindow open,
                                   QWidget* owner)
    : m_context(context), m_settings(settings), m_services(std::move(services)),
      m_open(std::move(open)), m_owner(owner), m_engine(context.base, context.fileSystem) {
    m_engine.setDocumentTypes(settings.searchDocType);
}

SearchController::~SearchController() = default;

std::size_t SearchController::running() const {
    return static_cast<std::size_t>(std::count_if(
        m_searches.begin(), m_searches.end(),
        [](const std::unique_ptr<BackgroundSearch>& search) { return !search->finished(); }));
}

void SearchController::dropFinished() {
    std::erase_if(m_searches, [](const std::unique_ptr<BackgroundSearch>& search) {
        return search->finished();
    });
}

CSearchResultView* SearchController::searchFromPane(const ops::SearchPaneInput& input) {
    if (!ops::checkSearchPane(m_context.prompt, input, m_engine).ok()) {
        return nullptr;
    }
    return run(m_engine.parameters(), input.ticked);
}

CSearchResultView* SearchController::quickFind(store::CategoryRecord& category) {
    long long id = category.id;
    std::optional<std::string> text = askQuickFindText(ops::message::kQuickFindInCategory.data());
    store::CategoryRecord* still = m_context.base.categories().find(id);
    if (!text || !still) {
        return nullptr;
    }
    return run(ops::quickFindParameters(*text), ops::quickFindScope(*still));
}

CSearchResultView* SearchController::quickFind(store::TagRecord& tag) {
    long long id = tag.id;
    std::optional<std::string> text = askQuickFindText(ops::message::kQuickFindInTag.data());
    store::TagRecord* still = m_context.base.tags().find(id);
    if (!text || !still) {
        return nullptr;
    }
    return run(ops::quickFindParameters(*text), ops::quickFindScope(m_context.base.tags(), *still));
}

// An empty text keeps the dialog open with the field focused.
std::optional<std::string> SearchController::askQuickFindText(const char* title) {
    QDialog dialog(m_owner);
    dialog.setObjectName("quickFindDialog");
    dialog.setWindowTitle(QString::fromUtf8(title));
    auto* label = new QLabel("查找内容:", &dialog);
    auto* field = new QLineEdit(&dialog);
    field->setObjectName("quickFindText");
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->setObjectName("dialogButtons");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (field->text().isEmpty()) {
            m_context.prompt.show(std::string(ops::message::kSearchQueryEmpty),
                                  app::MessageIcon::Information);
            field->setFocus(Qt::OtherFocusReason);
            return;
        }
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return field->text().toStdString();
}

CSearchResultView* SearchController::run(const ops::SearchParameters& parameters,
                                         const ops::SearchScope& scope) {
    if (scope.empty()) {
        return nullptr;
    }
    dropFinished();
    SearchRequest request{
        m_context.base.layout().dataDirectory(), m_settings.searchDocType, parameters, {}, {}};
    for (const store::CategoryRecord* category : scope.categories) {
        request.categories.push_back(category->id);
    }
    for (const store::TagRecord* tag : scope.tags) {
        request.tags.push_back(tag->id);
    }
    CSearchResultView* window = m_open(std::make_unique<CSearchResultView>(
        ops::searchResultTitle(parameters), m_settings, m_services));
    if (!window) {
        return nullptr;
    }
    // A window closed while its search still runs stops the search; hits still queued go nowhere.
    QPointer<CSearchResultView> shown(window);
    m_searches.push_back(std::make_unique<BackgroundSearch>(
        m_context.fileSystem, std::move(request),
        [shown](const SearchResultEntry& entry) {
            if (shown) {
                shown->addHit(entry);
            }
        },
        [shown](std::size_t hits) {
            if (shown) {
                shown->searchFinished(hits);
            }
        }));
    m_searches.back()->cancelWhenDestroyed(*window);
    return window;
}

} // namespace tarnel::ui
