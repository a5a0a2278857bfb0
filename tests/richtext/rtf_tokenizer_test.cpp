#include "richtext/rtf_tokenizer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnel::richtext {
namespace {

// One line per token: "{", "}", "\name" or "\name=N", "\'hh", "sym:c", "text:..." or "bin:..".
std::vector<std::string> tokens(std::string_view input) {
    RtfTokenizer tokenizer(input);
    std::vector<std::string> result;
    for (RtfToken token = tokenizer.next(); token.kind != RtfToken::Kind::End;
         token = tokenizer.next()) {
        switch (token.kind) {
        case RtfToken::Kind::GroupStart:
            result.push_back("{");
            break;
        case RtfToken::Kind::GroupEnd:
            result.push_back("}");
            break;
        case RtfToken::Kind::ControlWord:
            result.push_back("\\" + std::string(token.name) +
                             (token.hasParameter ? "=" + std::to_string(token.parameter) : ""));
            break;
        case RtfToken::Kind::ControlSymbol:
            result.push_back(std::string("sym:") + token.symbol);
            break;
        case RtfToken::Kind::HexBytes:
            for (std::size_t i = 0; i < token.text.size() / 4; ++i) {
                result.push_back("hex:" + std::to_string(hexByteAt(token.text, i)));
            }
            break;
        case RtfToken::Kind::BadHex:
            result.push_back("hex:" + std::to_string(token.byte));
            break;
        case RtfToken::Kind::Text:
            result.push_back("text:" + std::string(token.text));
            break;
        case RtfToken::Kind::Binary:
            result.push_back("bin:" + std::string(token.text));
            break;
        default:
            break;
        }
    }
    return result;
}

using Tokens = std::vector<std::string>;

TEST(RtfTokenizerTest, SplitsGroupsWordsSymbolsAndText) {
    EXPECT_EQ(tokens("{\\rtf1\\b0 Hi\\'c4\\~x}"),
              (Tokens{"{", "\\rtf=1", "\\b=0", "text:Hi", "hex:196", "sym:~", "text:x", "}"}));
}

TEST(RtfTokenizerTest, DelimitingSpaceIsConsumedOnlyOnce) {
    EXPECT_EQ(tokens("\\b  x"), (Tokens{"\\b", "text: x"}));
}

TEST(RtfTokenizerTest, LineBreaksAndZeroBytesAreNoText) {
    EXPECT_EQ(tokens(std::string_view("a\r\nb\0c", 6)), (Tokens{"text:a", "text:b", "text:c"}));
}

TEST(RtfTokenizerTest, BackslashBeforeLineBreakIsParagraph) {
    EXPECT_EQ(tokens("a\\\nb"), (Tokens{"text:a", "\\par", "text:b"}));
}

TEST(RtfTokenizerTest, NegativeAndHugeParameters) {
    EXPECT_EQ(tokens("\\u-10179\\fs99999999999999 \\li-"),
              (Tokens{"\\u=-10179", "\\fs=2147483647", "\\li", "text:-"}));
}

// Parameters of every length up to past int32, ending at each kind of byte (the digits' neighbours
// '/' and ':' among them) or at the end of the input, in words near its end and far from it.
TEST(RtfTokenizerTest, ParametersOfEveryLengthEndWhereTheirDigitsEnd) {
    const std::string digits = "9081726354";
    for (std::size_t length = 1; length <= digits.size(); ++length) {
        const long long value = std::stoll(digits.substr(0, length));
        const std::string expected = "\\fs=" + std::to_string(std::min(value, 2147483647LL));
        for (std::string after : {"", " ", "x", "\\", "{", "}", "/", ":", "\x80", "-"}) {
            const std::string word = "\\fs" + digits.substr(0, length) + after;
            for (const std::string& input : {word, word + "          \\b"}) {
                Tokens got = tokens(input);
                ASSERT_FALSE(got.empty()) << input;
                EXPECT_EQ(got.front(), expected) << input;
            }
            EXPECT_EQ(tokens("\\li-" + digits.substr(0, length) + after).front(),
                      "\\li=-" + std::to_string(std::min(value, 2147483647LL)));
        }
    }
}

TEST(RtfTokenizerTest, BinaryDataMayHoldBraces) {
    EXPECT_EQ(tokens("\\bin3 {}\\x"), (Tokens{"bin:{}\\", "text:x"}));
}

TEST(RtfTokenizerTest, BinaryLongerThanInputIsTruncated) {
    RtfTokenizer tokenizer("\\bin10 abc");
    RtfToken token = tokenizer.next();
    EXPECT_EQ(token.kind, RtfToken::Kind::Binary);
    EXPECT_EQ(token.text, "abc");
    EXPECT_EQ(tokenizer.next().kind, RtfToken::Kind::End);
    EXPECT_TRUE(tokenizer.truncated());
}

TEST(RtfTokenizerTest, BadHexEscapeIsNotedAndPassedOver) {
    RtfTokenizer tokenizer("a\\'zq");
    tokenizer.next();
    EXPECT_EQ(tokenizer.next().byte, '?');
    EXPECT_EQ(tokenizer.next().text, "zq");
    EXPECT_EQ(tokenizer.firstProblem(), "byte 1: \\' is not followed by two hexadecimal digits");
    EXPECT_FALSE(tokenizer.truncated());
}

TEST(RtfTokenizerTest, EscapedBytesInARowAreOneTokenUntilABreakOrABadEscape) {
    RtfTokenizer tokenizer("\\'c4\\'E3\\'41\r\n\\'42\\'4");
    RtfToken run = tokenizer.next();
    ASSERT_EQ(run.kind, RtfToken::Kind::HexBytes);
    EXPECT_EQ(run.text, "\\'c4\\'E3\\'41");
    EXPECT_EQ(hexByteAt(run.text, 1), 0xE3);
    RtfToken afterBreak = tokenizer.next();
    ASSERT_EQ(afterBreak.kind, RtfToken::Kind::HexBytes);
    EXPECT_EQ(afterBreak.text, "\\'42");
    EXPECT_EQ(afterBreak.offset, 14u);
    EXPECT_EQ(tokenizer.next().kind, RtfToken::Kind::BadHex);
    EXPECT_EQ(tokenizer.next().text, "4");
    EXPECT_TRUE(tokenizer.truncated());
}

TEST(RtfTokenizerTest, EndKeepsBeingEnd) {
    RtfTokenizer tokenizer("\\");
    EXPECT_EQ(tokenizer.next().kind, RtfToken::Kind::End);
    EXPECT_EQ(tokenizer.next().kind, RtfToken::Kind::End);
    EXPECT_TRUE(tokenizer.truncated());
}

} // namespace
} // namespace tarnel::richtext
