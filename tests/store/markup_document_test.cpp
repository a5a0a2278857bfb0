#include "store/markup_document.h"
#include "tests/support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnel::store {
namespace {

std::filesystem::path fixtureFolder() {
    const char* root = std::getenv("TARNEL_TEST_SOURCE_DIR");
    return std::filesystem::path(root != nullptr ? root : ".") / "tests/store/fixtures/markup";
}

std::string fixture(const std::string& name) {
    std::filesystem::path path = fixtureFolder() / name;
    if (!std::filesystem::is_regular_file(path)) {
        throw std::runtime_error("missing fixture " + path.string());
    }
    return test::readBytes(path);
}

// Control bytes are shown as \xNN so that a dump stays one line per value.
std::string shown(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string dump(const MarkupDocument& document, int result) {
    std::string out = "result " + std::to_string(result) + " line " +
                      std::to_string(document.failureLine()) + "\nencoding " + document.encoding() +
                      (document.isUtf8() ? " utf-8\n" : "\n");
    for (std::size_t i = 0; i < document.size(); ++i) {
        const MarkupElement& element = document.element(i);
        int parent = element.parent() == nullptr ? -1 : document.indexOf(*element.parent());
        out += std::to_string(i) + " " + element.name() + " depth " +
               std::to_string(element.depth()) + " parent " + std::to_string(parent) +
               " children " + std::to_string(element.childCount()) + "\n";
        for (const MarkupAttribute& attribute : element.attributes()) {
            out += "  @" + attribute.name + " " + shown(attribute.value) + "\n";
        }
        if (!element.text().empty()) {
            out += "  text " + shown(element.text()) + "\n";
        }
    }
    return out;
}

const char* const kFixtures[] = {
    "skin_utf8",      "skin_gb18030",      "declaration_gb2312", "declaration_without_encoding",
    "long_line_tag",  "long_line_gb18030", "single_quotes",      "unclosed_element",
    "mismatched_end", "end_without_start", "short_tag",          "unindented_continuation",
    "missing_equals", "missing_quote",     "unterminated_tag",
};

class MarkupFixtureTest : public testing::TestWithParam<const char*> {};

TEST_P(MarkupFixtureTest, ReadsAsTheGoldenDumpSays) {
    std::string name = GetParam();
    MarkupDocument document;
    int result = document.loadFile(fixtureFolder() / (name + ".xml"));
    EXPECT_EQ(dump(document, result), fixture(name + ".dump"));
}

// A file cut short anywhere reads or fails cleanly; a failure leaves nothing behind.
TEST_P(MarkupFixtureTest, EveryPrefixLoadsSafely) {
    std::string bytes = fixture(std::string(GetParam()) + ".xml");
    MarkupDocument document;
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        int result = document.loadBytes(std::string_view(bytes).substr(0, length));
        ASSERT_TRUE(result == kMarkupOk || result == kMarkupMalformed) << length;
        if (result == kMarkupMalformed) {
            ASSERT_EQ(document.size(), 0u) << length;
            ASSERT_EQ(document.encoding(), "gb2312") << length;
            ASSERT_GT(document.failureLine(), 0) << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, MarkupFixtureTest, testing::ValuesIn(kFixtures),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST(MarkupDocumentTest, NamesWhyAFileCouldNotBeRead) {
    test::TempDir dir;
    MarkupDocument document;
    EXPECT_EQ(document.loadFile(dir / "skin.xml"), kMarkupFileMissing);
    std::filesystem::create_directory(dir / "folder.xml");
    EXPECT_EQ(document.loadFile(dir / "folder.xml"), kMarkupCannotOpen);
    test::writeBytes(dir / "locked.xml", "<skin/>\n");
    ::chmod((dir / "locked.xml").c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_EQ(document.loadFile(dir / "locked.xml"), kMarkupCannotOpen);
    }
}

TEST(MarkupDocumentTest, AFailedLoadEmptiesWhatAnEarlierLoadRead) {
    MarkupDocument document;
    ASSERT_EQ(document.loadBytes("<?xml encoding=\"utf-8\"?>\n<skin><image id=\"1\"/></skin>\n"),
              kMarkupOk);
    ASSERT_EQ(document.size(), 2u);
    EXPECT_EQ(document.loadBytes("<skin>\n<image id='1'/>\n</skin>\n"), kMarkupMalformed);
    EXPECT_EQ(document.size(), 0u);
    EXPECT_EQ(document.encoding(), "gb2312");
    EXPECT_FALSE(document.isUtf8());
    EXPECT_EQ(document.failureLine(), 2);
    ASSERT_EQ(document.loadBytes("<skin/>"), kMarkupOk);
    EXPECT_EQ(document.failureLine(), 0);
}

class MarkupQueryTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_document.loadBytes(fixture("skin_utf8.xml")), kMarkupOk); }

    std::vector<std::size_t> indexes(const std::vector<const MarkupElement*>& elements) const {
        std::vector<std::size_t> out;
        for (const MarkupElement* element : elements) {
            out.push_back(static_cast<std::size_t>(m_document.indexOf(*element)));
        }
        return out;
    }

    MarkupDocument m_document;
};

TEST_F(MarkupQueryTest, FindsElementsByNameWithTheParentAndDepthFilters) {
    const MarkupElement& secondBitmap = m_document.element(3);
    ASSERT_EQ(secondBitmap.name(), "bitmap");
    struct Case {
        const char* name;
        const MarkupElement* parent;
        int depth;
        std::vector<std::size_t> expected;
    };
    const Case cases[] = {
        {"image", nullptr, -1, {2, 4, 5}}, {"image", &secondBitmap, -1, {4, 5}},
        {"image", nullptr, 2, {2, 4, 5}},  {"image", nullptr, 1, {}},
        {"bitmap", nullptr, 1, {1, 3}},    {"skin", nullptr, 0, {0}},
        {"skin", &secondBitmap, -1, {}},   {"Image", nullptr, -1, {}},
    };
    for (const Case& c : cases) {
        std::vector<const MarkupElement*> found;
        m_document.findElements(c.name, c.parent, c.depth, found);
        EXPECT_EQ(indexes(found), c.expected) << c.name << " " << c.depth;
    }
}

TEST_F(MarkupQueryTest, FindAppendsToTheCallersList) {
    std::vector<const MarkupElement*> found{&m_document.element(0)};
    m_document.findElements("bitmap", nullptr, -1, found);
    EXPECT_EQ(indexes(found), (std::vector<std::size_t>{0, 1, 3}));
}

TEST_F(MarkupQueryTest, DescendantsAtAllLevelsOrChildrenOnly) {
    std::vector<const MarkupElement*> all;
    m_document.descendantsOf(m_document.element(0), true, all);
    EXPECT_EQ(all.size(), 12u);
    std::vector<const MarkupElement*> children;
    m_document.descendantsOf(m_document.element(0), false, children);
    EXPECT_EQ(indexes(children), (std::vector<std::size_t>{1, 3, 6, 7, 8, 9, 10, 11}));
    std::vector<const MarkupElement*> images;
    m_document.descendantsOf(m_document.element(3), true, images);
    EXPECT_EQ(indexes(images), (std::vector<std::size_t>{4, 5}));
    std::vector<const MarkupElement*> none;
    m_document.descendantsOf(m_document.element(2), true, none);
    EXPECT_TRUE(none.empty());
}

TEST_F(MarkupQueryTest, AttributesByExactNameAndTheFirstWrittenOfTwo) {
    const MarkupElement& dup = m_document.element(9);
    ASSERT_EQ(dup.name(), "dup");
    ASSERT_NE(MarkupDocument::attributeOf(dup, "b"), nullptr);
    EXPECT_EQ(MarkupDocument::attributeOf(dup, "b")->value, "first");
    EXPECT_EQ(MarkupDocument::attributeOf(dup, "a")->value, "x");
    EXPECT_EQ(MarkupDocument::attributeOf(dup, "B"), nullptr);
    EXPECT_EQ(MarkupDocument::attributeOf(dup, ""), nullptr);
    const MarkupElement& empty = m_document.element(8);
    EXPECT_EQ(MarkupDocument::attributeOf(empty, "id")->value, "7");
    EXPECT_EQ(MarkupDocument::attributeOf(empty, "top")->value, "2");
    EXPECT_EQ(MarkupDocument::attributeOf(empty, "to"), nullptr);
}

TEST_F(MarkupQueryTest, AnElementOfAnotherDocumentHasNoIndex) {
    MarkupDocument other;
    ASSERT_EQ(other.loadBytes("<skin><bitmap/></skin>"), kMarkupOk);
    EXPECT_EQ(m_document.indexOf(other.element(1)), -1);
    std::vector<const MarkupElement*> none;
    m_document.descendantsOf(other.element(0), true, none);
    EXPECT_TRUE(none.empty());
}

} // namespace
} // namespace tarnel::store
