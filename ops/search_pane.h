#pragma once

#include "app/prompt.h"
#include "ops/operation_result.h"
#include "ops/search_engine.h"
#include "ops/word_finder.h"

#include <string>
#include <string_view>
#include <vector>

// What the search pane, the quick find and the find dialog of a point list check and decide
// before search runs or a row is selected. The windows call these and show what they return.
namespace tarnel::ops {

// The search pane as the user left it: only the ticked items of its two trees.
struct SearchPaneInput {
    std::string query;
    bool byTitle = true;
    bool byContent = false;
    bool ignoreCase = true;
    bool splitWords = false;
    SearchScope ticked;
};

// The pane's search button: an empty query shows "您还没有填写要查询的知识点!" (kSearchQueryEmpty,
// Field::Query); neither tick "您还没有选择查询的依据,请勾选'标题','内容'进行组合查询!"
// (kSearchBasisMissing, Field::Basis); nothing ticked in the trees
// "您还选择查询的知识分类范围,请勾选知识分类!" (kSearchScopeEmpty, Field::Scope); all with the
// information icon. When the checks pass the engine's parameters are set from the pane; the
// caller then runs the search on input.ticked.
OperationResult checkSearchPane(app::Prompt& prompt, const SearchPaneInput& input,
                                SearchEngine& engine);

// The quick find of a category: the category and every category of its subtree, in tree order;
// of a tag: the tag and its subtree.
SearchScope quickFindScope(const store::CategoryRecord& category);
SearchScope quickFindScope(const store::TagStore& tags, const store::TagRecord& tag);
// Title only, ignoring case, the text as one word.
SearchParameters quickFindParameters(std::string text);

enum class FindDirection { Down, Up };

// The find dialog of a point list over its rows' names. The search starts one row below (Down)
// or above (Up) the current row (-1 for none: the whole list from its top, or from its bottom
// going up); with LetterCase::Match a name matches by plain substring, else by the case-blind
// rule. At the end without a match: "没有找到匹配的记录!" when the whole list was searched, else
// the question "查找至末尾，是否从头开始查找?" (Down) or "查找至顶部，是否从尾开始查找?" (Up),
// Yes/No; Yes goes on from the other end up to the current row, and when that finds nothing either
// the whole list has been searched. Returns the row to select, or -1.
int findInList(app::Prompt& prompt, const std::vector<std::string>& rows, int current,
               std::string_view text, FindDirection direction, LetterCase letterCase);

} // namespace tarnel::ops
