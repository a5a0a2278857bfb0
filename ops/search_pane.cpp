#include "ops/search_pane.h"

#include "ops/search_messages.h"

namespace tarnel::ops {
namespace {

using app::MessageIcon;

OperationResult refused(app::Prompt& prompt, std::string_view text, int code, Field field) {
    prompt.show(std::string(text), MessageIcon::Information);
    return {code, field};
}

} // namespace

OperationResult checkSearchPane(app::Prompt& prompt, const SearchPaneInput& input,
                                SearchEngine& engine) {
    if (input.query.empty()) {
        return refused(prompt, message::kSearchQueryEmpty, kSearchQueryEmpty, Field::Query);
    }
    if (!input.byTitle && !input.byContent) {
        return refused(prompt, message::kSearchBasisMissing, kSearchBasisMissing, Field::Basis);
    }
    if (input.ticked.empty()) {
        return refused(prompt, message::kSearchScopeEmpty, kSearchScopeEmpty, Field::Scope);
    }
    engine.parameters() = {input.query, input.byTitle, input.byContent, input.ignoreCase,
                           input.splitWords};
    return {kOk};
}

SearchScope quickFindScope(const store::CategoryRecord& category) {
    return {category.owner->subtree(&category), {}};
}

SearchScope quickFindScope(const store::TagStore& tags, const store::TagRecord& tag) {
    return {{}, tags.subtree(&tag)};
}

SearchParameters quickFindParameters(std::string text) {
    return {std::move(text), true, false, true, false};
}

int findInList(app::Prompt& prompt, const std::vector<std::string>& rows, int current,
               std::string_view text, FindDirection direction, LetterCase letterCase) {
    WordFinder finder{std::string(text), letterCase};
    const int count = static_cast<int>(rows.size());
    const int step = direction == FindDirection::Down ? 1 : -1;
    const bool noCurrent = current < 0 || current >= count;
    int start = noCurrent ? (step > 0 ? 0 : count - 1) : current + step;
    auto search = [&](int from, int to) { // from and to inclusive, in the direction's order
        for (int row = from; step > 0 ? row <= to : row >= to; row += step) {
            if (finder.occursIn(rows[static_cast<std::size_t>(row)])) {
                return row;
            }
        }
        return -1;
    };
    const int end = step > 0 ? count - 1 : 0;
    if (int found = search(start, end); found >= 0) {
        return found;
    }
    bool wholeList = start == (step > 0 ? 0 : count - 1);
    if (!wholeList) {
        std::string_view question =
            step > 0 ? message::kFindWrapToTopQuestion : message::kFindWrapToBottomQuestion;
        if (prompt.ask(std::string(question), MessageIcon::Question, app::Buttons::YesNo) !=
            app::Answer::Yes) {
            return -1;
        }
        if (int found = search(step > 0 ? 0 : count - 1, current); found >= 0) {
            return found;
        }
    }
    prompt.show(std::string(message::kFindNoMatch), MessageIcon::Information);
    return -1;
}

} // namespace tarnel::ops
