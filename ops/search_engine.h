#pragma once

#include "ops/title_index.h"
#include "ops/word_finder.h"
#include "platform/file_system.h"
#include "store/knowledge_store.h"

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Search by title and content over chosen categories and tags. It reads the stores and never
// changes them. User-interface thread only (it reads the stores).
namespace tarnel::ops {

// What the search pane or a quick find sets before a run.
struct SearchParameters {
    std::string query;
    bool byTitle = true;
    bool byContent = false;
    bool ignoreCase = true;
    // The query is cut at blanks into words; a point matches when any word does.
    bool splitWords = false;
};

// The words of the query: with split words the query trimmed and cut at each blank, empty pieces
// skipped; else the whole query as one word.
std::vector<std::string> searchWords(const SearchParameters& parameters);

// "%s:'%s'的查询结果" with the kind text ("标题", "标题+内容" or "内容") and the query.
std::string searchResultTitle(const SearchParameters& parameters);

// The categories and tags a search goes through, each alone (not its subtree), in order.
struct SearchScope {
    std::vector<store::CategoryRecord*> categories;
    std::vector<store::TagRecord*> tags;

    bool empty() const { return categories.empty() && tags.empty(); }
};

enum class SearchRoute { Category, Tag };

// One point found: through a searched category (listId is its id) or a searched tag (listId is
// the tag's id); category is the point's own category.
struct SearchHit {
    SearchRoute route = SearchRoute::Category;
    long long listId = 0;
    const store::CategoryRecord* category = nullptr;
    const store::PointRecord* point = nullptr;
};

// Receives the hits one at a time, as the result window shows them.
class SearchHitSink {
public:
    virtual ~SearchHitSink() = default;
    virtual void hit(const SearchHit& hit) = 0;
};

// Holds the parameters between runs and the document-type list, and runs searches.
class SearchEngine {
public:
    SearchEngine(store::KnowledgeStore& base, const platform::FileSystem& fileSystem)
        : m_base(base), m_fileSystem(fileSystem), m_titles(base) {}

    SearchParameters& parameters() { return m_parameters; }
    const SearchParameters& parameters() const { return m_parameters; }
    // The setting SEARCH_DOC_TYPE as held in memory: lower case, a comma at both ends.
    void setDocumentTypes(std::string heldList) { m_documentTypes = std::move(heldList); }

    // Every point of each category's list in order (category route), then every point of each
    // tag in order (tag route), goes to the sink when one of the words matches its title or,
    // with by content, its content. A point in a searched category that carries a searched tag
    // comes once by each route. Nothing happens for an empty scope. Returns the number of hits.
    // A set cancel flag ends the run before the next point is tried (it may be set from any
    // thread); the hits reported until then stay reported.
    std::size_t run(const SearchScope& scope, SearchHitSink& sink,
                    const std::atomic<bool>* cancel = nullptr);

    // Whether the point's content is searched: extension "rtf" (any case) or one in the
    // document-type list. A name without an extension is in no list.
    bool searchesContentOf(std::string_view pointName) const;

private:
    bool matches(const store::CategoryRecord& category, const store::PointRecord& point,
                 const std::vector<WordFinder>& words) const;
    bool titleMatches(const store::PointRecord& point, const std::vector<WordFinder>& words) const;
    // False once the run was cancelled.
    bool goesOn() const { return !m_cancel || !m_cancel->load(std::memory_order_relaxed); }
    void searchCategories(const std::vector<store::CategoryRecord*>& categories,
                          const std::vector<WordFinder>& words,
                          const std::function<void(const TitleIndex::Entry&)>& report);
    bool contentMatches(const store::CategoryRecord& category, const store::PointRecord& point,
                        const std::vector<WordFinder>& words) const;

    store::KnowledgeStore& m_base;
    const platform::FileSystem& m_fileSystem;
    TitleIndex m_titles;
    SearchParameters m_parameters;
    std::string m_documentTypes = ",,";
    const std::atomic<bool>* m_cancel = nullptr; // of the run in progress
};

} // namespace tarnel::ops
