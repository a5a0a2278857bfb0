#include "ops/search_engine.h"

#include "ops/search_messages.h"
#include "ops/tag_points.h"
#include "richtext/text_extractor.h"
#include "store/display_types.h"

#include <algorithm>

namespace tarnel::ops {
namespace {

// Looks for any of the words in the text as it streams past, keeping the end of the text seen so
// far that a word could still complete.
class ContentMatch : public richtext::TextSink {
public:
    explicit ContentMatch(const std::vector<WordFinder>& words) : m_words(words) {
        for (const WordFinder& word : words) {
            m_keep = std::max(m_keep, word.word().size());
        }
        m_keep = m_keep > 0 ? m_keep - 1 : 0;
    }

    bool found() const { return m_found; }

    bool text(std::string_view utf8) override {
        if (m_window.size() > m_keep) {
            m_window.erase(0, m_window.size() - m_keep);
        }
        m_window += utf8;
        m_found = std::any_of(m_words.begin(), m_words.end(),
                              [this](const WordFinder& word) { return word.occursIn(m_window); });
        return !m_found;
    }

private:
    const std::vector<WordFinder>& m_words;
    std::string m_window;
    std::size_t m_keep = 0;
    bool m_found = false;
};

} // namespace

std::vector<std::string> searchWords(const SearchParameters& parameters) {
    if (!parameters.splitWords) {
        return {parameters.query};
    }
    std::vector<std::string> words;
    std::string_view rest = parameters.query;
    constexpr std::string_view kWhitespace = " \t\r\n";
    rest.remove_prefix(std::min(rest.find_first_not_of(kWhitespace), rest.size()));
    rest = rest.substr(0, rest.find_last_not_of(kWhitespace) + 1);
    while (!rest.empty()) {
        std::size_t blank = rest.find(' ');
        if (blank != 0) {
            words.emplace_back(rest.substr(0, blank));
        }
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return words;
}

std::string searchResultTitle(const SearchParameters& parameters) {
    std::string kind;
    if (parameters.byTitle) {
        kind = message::kKindTitle;
        if (parameters.byContent) {
            kind += message::kKindContentAfterTitle;
        }
    } else if (parameters.byContent) {
        kind = message::kKindContent;
    }
    return message::formatted(message::kSearchResultTitle, {kind, parameters.query});
}

bool SearchEngine::searchesContentOf(std::string_view pointName) const {
    std::string extension = store::lowerExtension(pointName);
    if (extension.size() < 2) {
        return false;
    }
    extension.erase(0, 1);
    return extension == "rtf" || m_documentTypes.find("," + extension + ",") != std::string::npos;
}

std::size_t SearchEngine::run(const SearchScope& scope, SearchHitSink& sink,
                              const std::atomic<bool>* cancel) {
    m_cancel = cancel;
    std::vector<WordFinder> words;
    LetterCase letterCase = m_parameters.ignoreCase ? LetterCase::Ignore : LetterCase::Match;
    for (std::string& word : searchWords(m_parameters)) {
        words.emplace_back(std::move(word), letterCase);
    }
    std::size_t hits = 0;
    searchCategories(scope.categories, words, [&](const TitleIndex::Entry& entry) {
        sink.hit({SearchRoute::Category, entry.category->id, entry.category, entry.point});
        ++hits;
    });
    for (std::size_t t = 0; t < scope.tags.size() && goesOn(); ++t) {
        store::TagRecord* tag = scope.tags[t];
        for (const TagPoint& entry : pointsOfTag(m_base, *tag)) {
            if (!goesOn()) {
                break;
            }
            if (matches(*entry.category, *entry.point, words)) {
                sink.hit({SearchRoute::Tag, tag->id, entry.category, entry.point});
                ++hits;
            }
        }
    }
    m_cancel = nullptr;
    return hits;
}

// Titles through the index; with by content, the content of every other point it may read.
void SearchEngine::searchCategories(const std::vector<store::CategoryRecord*>& categories,
                                    const std::vector<WordFinder>& words,
                                    const std::function<void(const TitleIndex::Entry&)>& report) {
    static const std::vector<char> kNoMarks;
    const std::vector<char>& titled =
        m_parameters.byTitle ? m_titles.mark(categories, words) : kNoMarks;
    if (!m_parameters.byContent) {
        for (std::size_t i = 0; i < titled.size() && goesOn(); ++i) {
            if (titled[i]) {
                report(m_titles.points()[i]);
            }
        }
        return;
    }
    std::size_t at = 0;
    for (store::CategoryRecord* category : categories) {
        for (const auto& point : category->owner->pointsOf(*category).records()) {
            if (!goesOn()) {
                return;
            }
            bool found = at < titled.size() && titled[at] != 0;
            ++at;
            if (found || (!words.empty() && searchesContentOf(point->name()) &&
                          contentMatches(*category, *point, words))) {
                report({category, point.get()});
            }
        }
    }
}

bool SearchEngine::titleMatches(const store::PointRecord& point,
                                const std::vector<WordFinder>& words) const {
    std::string_view name = point.name();
    return m_parameters.byTitle &&
           std::any_of(words.begin(), words.end(),
                       [name](const WordFinder& word) { return word.occursIn(name); });
}

// Every title is tried before the content, which is read once for all the words: the same
// points match as when each word tries the title and then the content in turn.
bool SearchEngine::matches(const store::CategoryRecord& category, const store::PointRecord& point,
                           const std::vector<WordFinder>& words) const {
    if (titleMatches(point, words)) {
        return true;
    }
    return m_parameters.byContent && !words.empty() && searchesContentOf(point.name()) &&
           contentMatches(category, point, words);
}

// A missing or unreadable file holds no match; a damaged one is searched as far as it reads.
bool SearchEngine::contentMatches(const store::CategoryRecord& category,
                                  const store::PointRecord& point,
                                  const std::vector<WordFinder>& words) const {
    ContentMatch match(words);
    richtext::extractFileText(m_fileSystem, category.owner->contentPathOf(category, point), match);
    return match.found();
}

} // namespace tarnel::ops
