#include "ui/background_search.h"

#include "store/knowledge_store.h"

#include <QMetaObject>

namespace tarnel::ui {
namespace {

// Passes each hit on by id to the receiver's thread.
class HitRelay : public ops::SearchHitSink {
public:
    HitRelay(QObject& relay, const BackgroundSearch::HitReceiver& hit)
        : m_relay(relay), m_hit(hit) {}

    void hit(const ops::SearchHit& hit) override {
        SearchResultEntry entry{hit.route, hit.listId, hit.category->id, hit.point->id};
        const BackgroundSearch::HitReceiver* deliver = &m_hit;
        QMetaObject::invokeMethod(
            &m_relay, [deliver, entry] { (*deliver)(entry); }, Qt::QueuedConnection);
    }

private:
    QObject& m_relay;
    const BackgroundSearch::HitReceiver& m_hit;
};

} // namespace

BackgroundSearch::BackgroundSearch(const platform::FileSystem& fileSystem, SearchRequest request,
                                   HitReceiver hit, EndReceiver end)
    : m_fileSystem(fileSystem), m_request(std::move(request)), m_hit(std::move(hit)),
      m_end(std::move(end)), m_worker([this] { search(); }) {}

BackgroundSearch::~BackgroundSearch() {
    cancel();
    m_worker.join();
}

void BackgroundSearch::cancelWhenDestroyed(QObject& watched) {
    QObject::connect(&watched, &QObject::destroyed, &m_relay, [this] { cancel(); });
}

void BackgroundSearch::search() {
    store::NullChangeSink sink;
    store::KnowledgeStore copy(m_fileSystem, sink);
    std::size_t hits = 0;
    if (!m_cancel &&
        copy.open(m_request.dataDirectory, 0, store::OpenMode::ReadOnly) == store::kOk) {
        ops::SearchScope scope;
        for (long long id : m_request.categories) {
            if (store::CategoryRecord* category = copy.categories().find(id)) {
                scope.categories.push_back(category);
            }
        }
        for (long long id : m_request.tags) {
            if (store::TagRecord* tag = copy.tags().find(id)) {
                scope.tags.push_back(tag);
            }
        }
        ops::SearchEngine engine(copy, m_fileSystem);
        engine.parameters() = m_request.parameters;
        engine.setDocumentTypes(m_request.documentTypes);
        HitRelay relay(m_relay, m_hit);
        hits = engine.run(scope, relay, &m_cancel);
    }
    QMetaObject::invokeMethod(
        &m_relay,
        [this, hits] {
            m_finished = true;
            m_end(hits);
        },
        Qt::QueuedConnection);
}

} // namespace tarnel::ui
