#include "ops/point_editing.h"
#include "ops/search_engine.h"
#include "ops/search_pane.h"
#include "ops/tag_points.h"
#include "platform/codepage.h"
#include "richtext/rtf_writer.h"
#include "store/attribute_tables.h"
#include "tests/ops/ops_fixture.h"

#include <gmock/gmock.h>

namespace tarnel::ops {
namespace {

using app::Answer;
using app::Buttons;
using app::MessageIcon;
using store::CategoryRecord;
using store::PointRecord;
using store::TagRecord;
using test::asked;
using test::shown;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

// A rich-text file by our writer: the text, then a bold run.
std::string written(const std::string& text, const std::string& boldText) {
    richtext::Document document;
    richtext::Paragraph paragraph;
    paragraph.content.push_back(richtext::TextRun{{}, text});
    richtext::CharFormat bold;
    bold.bold = true;
    paragraph.content.push_back(richtext::TextRun{bold, boldText});
    document.paragraphs.push_back(paragraph);
    return richtext::RtfWriter().write(document);
}

struct RecordingHits : SearchHitSink {
    std::vector<std::string> hits; // "c<list id>:<name>" or "t<list id>:<name>"

    void hit(const SearchHit& hit) override {
        hits.push_back((hit.route == SearchRoute::Category ? "c" : "t") +
                       std::to_string(hit.listId) + ":" + std::string(hit.point->name()));
    }
};

// 工作 (sub-category 子) and 家 with points of every kind the search reads; tag 项目 carries
// REPORT.rtf and utf8.txt.
class SearchTest : public test::OpsTest {
protected:
    CategoryRecord* work = nullptr;
    CategoryRecord* sub = nullptr;
    CategoryRecord* home = nullptr;
    TagRecord* project = nullptr;
    SearchEngine engine{base, fileSystem};
    RecordingHits sink;

    void SetUp() override {
        OpsTest::SetUp();
        work = makeCategory(categories().root(), "工作");
        sub = makeCategory(work, "子");
        home = makeCategory(categories().root(), "家");
        PointRecord* report = makePoint(*work, "REPORT.rtf", written("quarterly ", "numbers"));
        makePoint(*work, "会议.rtf",
                  "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce;}}\\f0 "
                  "\\'bb\\'e1\\'d2\\'e9 se{\\b ar}\r\nch\\par}");
        makePoint(*work, "uni.rtf", "{\\rtf1\\uc1\\u25628?\\u32034? unicode}");
        makePoint(*work, "notes.txt", platform::utf8ToGb("GB18030 文本 搜索\r\n"));
        makePoint(*work, "data.docx", "search 搜索 in a document left out");
        makePoint(*work, "cut.RTF", "{\\rtf1 trun{\\b cated");
        makePoint(*work, "gone.rtf", "search");
        fs::remove(resource("工作/gone.rtf"));
        makePoint(*work, "folder.rtf", "");
        fs::remove(resource("工作/folder.rtf"));
        fs::create_directory(resource("工作/folder.rtf"));
        makePoint(*sub, "deep.rtf", "{\\rtf1 search}");
        PointRecord* utf8 = makePoint(*home, "utf8.txt", "UTF-8 搜索 report");
        project = makeTag("项目");
        ASSERT_TRUE(setTagsOfPoints(context, {{work, report}}, {project->id}).ok());
        ASSERT_TRUE(setTagsOfPoints(context, {{home, utf8}}, {project->id}).ok());
        engine.setDocumentTypes(",doc,txt,");
    }

    std::vector<std::string> search(SearchParameters parameters, const SearchScope& scope) {
        engine.parameters() = std::move(parameters);
        sink.hits.clear();
        engine.run(scope, sink);
        return sink.hits;
    }

    static SearchParameters byContent(std::string query, bool ignoreCase = true) {
        return {std::move(query), false, true, ignoreCase, false};
    }
};

TEST(SearchWordsTest, SplitWordsCutAtBlanksAndSkipEmptyPieces) {
    EXPECT_THAT(searchWords({"  two  words\t", true, false, true, true}),
                ElementsAre("two", "words"));
    EXPECT_THAT(searchWords({"  two  words ", true, false, true, false}),
                ElementsAre("  two  words "));
    EXPECT_TRUE(searchWords({"   ", true, false, true, true}).empty());
}

TEST(SearchWordsTest, TheResultTitleNamesTheKind) {
    EXPECT_EQ(searchResultTitle({"报告", true, false, true, false}), "标题:'报告'的查询结果");
    EXPECT_EQ(searchResultTitle({"报告", true, true, true, false}), "标题+内容:'报告'的查询结果");
    EXPECT_EQ(searchResultTitle({"报告", false, true, true, false}), "内容:'报告'的查询结果");
}

TEST_F(SearchTest, TitlesFoldOnlyAsciiLetters) {
    SearchScope scope{{work, home}, {}};
    EXPECT_THAT(search({"report", true, false, true, false}, scope), ElementsAre("c1:REPORT.rtf"));
    EXPECT_THAT(search({"report", true, false, false, false}, scope), ElementsAre());
    EXPECT_THAT(search({"会议", true, false, true, false}, scope), ElementsAre("c1:会议.rtf"));
    EXPECT_THAT(search({"UTF nothing", true, false, true, true}, scope),
                ElementsAre("c3:utf8.txt"));
}

TEST_F(SearchTest, HitsComeByCategoriesInOrderThenByTagsOncePerRoute) {
    SearchScope scope{{home, work}, {project}};
    EXPECT_THAT(search({"x report", true, false, true, true}, scope),
                ElementsAre("c3:utf8.txt", "c1:REPORT.rtf", "c1:notes.txt", "c1:data.docx",
                            "t1:REPORT.rtf", "t1:utf8.txt"));
    // Each category alone: the sub-category's point is not searched through its parent.
    EXPECT_THAT(search({"deep", true, false, true, false}, {{work}, {}}), ElementsAre());
    EXPECT_THAT(search({"deep", true, false, true, false}, {}), ElementsAre());
}

TEST_F(SearchTest, ContentIsTheDecodedTextOfTheTypesSearched) {
    SearchScope scope{{work, home}, {}};
    // \uN, GB18030 and UTF-8 plain text; not the docx, which the type list leaves out.
    EXPECT_THAT(search(byContent("搜索"), scope),
                ElementsAre("c1:uni.rtf", "c1:notes.txt", "c3:utf8.txt"));
    // GBK \'hh and a word cut by a bold run and a line break of the file.
    EXPECT_THAT(search(byContent("会议 search"), scope), ElementsAre("c1:会议.rtf"));
    EXPECT_THAT(search(byContent("SEARCH"), scope), ElementsAre("c1:会议.rtf"));
    EXPECT_THAT(search(byContent("SEARCH", false), scope), ElementsAre());
    // Our writer's files; a truncated file as far as it reads (its extension in capitals).
    EXPECT_THAT(search(byContent("quarterly numbers"), scope), ElementsAre("c1:REPORT.rtf"));
    EXPECT_THAT(search(byContent("truncated"), scope), ElementsAre("c1:cut.RTF"));
    engine.setDocumentTypes(",docx,");
    EXPECT_THAT(search(byContent("search"), scope), ElementsAre("c1:会议.rtf", "c1:data.docx"));
}

TEST_F(SearchTest, TitleAndContentTogetherAndWithSplitWords) {
    SearchScope scope{{work, home}, {project}};
    EXPECT_THAT(search({"numbers uni", true, true, true, true}, scope),
                ElementsAre("c1:REPORT.rtf", "c1:uni.rtf", "t1:REPORT.rtf"));
}

TEST_F(SearchTest, TitlesAreSeenAsTheyAreAfterAChange) {
    SearchScope scope{{work}, {}};
    EXPECT_THAT(search({"report", true, false, true, false}, scope), ElementsAre("c1:REPORT.rtf"));
    PointRecord* report = categories().pointsOf(*work).records().front().get();
    ASSERT_TRUE(renamePoint(context, *work, *report, "summary.rtf").ok());
    EXPECT_THAT(search({"report", true, false, true, false}, scope), ElementsAre());
    EXPECT_THAT(search({"SUMMARY", true, false, true, false}, scope),
                ElementsAre("c1:summary.rtf"));
}

TEST_F(SearchTest, SearchReadsTheStoresAndNeverChangesThem) {
    project->values.setInteger(store::tag::kPointNum, 7);
    ASSERT_EQ(base.saveAll(), 0);
    test::Snapshot before = test::snapshotOf(data());
    SearchScope scope{{work, sub, home}, {project}};
    search({"搜索 report", true, true, true, true}, scope);
    EXPECT_EQ(sink.hits.size(), 6u);
    EXPECT_EQ(test::snapshotOf(data()), before);
    EXPECT_EQ(project->values.integer(store::tag::kPointNum), 7);
}

TEST_F(SearchTest, ThePaneChecksInOrderAndFillsTheParameters) {
    SearchPaneInput input{"", true, false, true, false, {}};
    EXPECT_EQ(checkSearchPane(prompt, input, engine).field, Field::Query);
    input.query = "x";
    input.byTitle = false;
    EXPECT_EQ(checkSearchPane(prompt, input, engine).code, kSearchBasisMissing);
    input.byContent = true;
    EXPECT_EQ(checkSearchPane(prompt, input, engine).code, kSearchScopeEmpty);
    EXPECT_THAT(
        prompt.events(),
        ElementsAre(shown("您还没有填写要查询的知识点!", MessageIcon::Information),
                    shown("您还没有选择查询的依据,请勾选'标题','内容'进行组合查询!",
                          MessageIcon::Information),
                    shown("您还选择查询的知识分类范围,请勾选知识分类!", MessageIcon::Information)));
    input.ticked.tags = {project};
    input.ignoreCase = false;
    input.splitWords = true;
    EXPECT_TRUE(checkSearchPane(prompt, input, engine).ok());
    EXPECT_EQ(engine.parameters().query, "x");
    EXPECT_FALSE(engine.parameters().byTitle);
    EXPECT_TRUE(engine.parameters().byContent && engine.parameters().splitWords);
    EXPECT_FALSE(engine.parameters().ignoreCase);
}

TEST_F(SearchTest, QuickFindGoesThroughTheSubtreeByTitleIgnoringCase) {
    TagRecord* child = makeTag("子标签", project);
    SearchScope scope = quickFindScope(*work);
    EXPECT_THAT(scope.categories, ElementsAre(work, sub));
    EXPECT_THAT(quickFindScope(base.tags(), *project).tags, ElementsAre(project, child));
    EXPECT_THAT(search(quickFindParameters("DEEP.rtf"), scope), ElementsAre("c2:deep.rtf"));
    EXPECT_THAT(search(quickFindParameters("a b"), scope), ElementsAre());
}

class FindInListTest : public ::testing::Test {
protected:
    test::ScriptedPrompt prompt;
    const std::vector<std::string> rows{"Alpha", "beta", "工作", "ALPHA.rtf", "gamma"};

    int find(int current, std::string_view text, FindDirection direction,
             LetterCase letterCase = LetterCase::Ignore) {
        return findInList(prompt, rows, current, text, direction, letterCase);
    }
};

TEST_F(FindInListTest, FindsFromTheRowAfterTheCurrentOneInEitherDirection) {
    EXPECT_EQ(find(0, "alpha", FindDirection::Down), 3);
    EXPECT_EQ(find(4, "alpha", FindDirection::Up), 3);
    prompt.script({Answer::No});
    EXPECT_EQ(find(3, "ALPHA", FindDirection::Up, LetterCase::Match), -1);
    EXPECT_EQ(find(-1, "工作", FindDirection::Down), 2);
    EXPECT_EQ(find(-1, "工作", FindDirection::Up), 2);
    EXPECT_THAT(prompt.events(), ElementsAre(asked("查找至顶部，是否从尾开始查找?",
                                                   MessageIcon::Question, Buttons::YesNo)));
}

TEST_F(FindInListTest, WrapsAroundOnYesAndSaysWhenNothingMatches) {
    prompt.script({Answer::Yes, Answer::No, Answer::Yes});
    EXPECT_EQ(find(3, "Alpha", FindDirection::Down, LetterCase::Match), 0);
    EXPECT_EQ(find(1, "gamma", FindDirection::Up), -1);
    EXPECT_EQ(find(2, "delta", FindDirection::Down), -1);
    EXPECT_EQ(find(-1, "delta", FindDirection::Down), -1);
    EXPECT_EQ(findInList(prompt, {}, -1, "x", FindDirection::Up, LetterCase::Ignore), -1);
    const auto toTop =
        asked("查找至末尾，是否从头开始查找?", MessageIcon::Question, Buttons::YesNo);
    const auto noMatch = shown("没有找到匹配的记录!", MessageIcon::Information);
    EXPECT_THAT(prompt.events(), ElementsAre(toTop,
                                             asked("查找至顶部，是否从尾开始查找?",
                                                   MessageIcon::Question, Buttons::YesNo),
                                             toTop, noMatch, noMatch, noMatch));
}

} // namespace
} // namespace tarnel::ops
