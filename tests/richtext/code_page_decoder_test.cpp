#include "richtext/code_page_decoder.h"

#include <gtest/gtest.h>
#include <ostream>

namespace tarnel::richtext {
namespace {

std::string decoded(std::string_view bytes, int codePage) {
    std::string out;
    appendDecoded(bytes, codePage, out);
    return out;
}

struct DecodeCase {
    const char* name;
    int codePage;
    const char* bytes;
    const char* utf8;
};

void PrintTo(const DecodeCase& value, std::ostream* out) {
    *out << value.name;
}

class CodePageDecoderTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(CodePageDecoderTest, Decodes) {
    EXPECT_EQ(decoded(GetParam().bytes, GetParam().codePage), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageDecoderTest,
    testing::Values(DecodeCase{"Windows1252", 1252, "caf\xE9 \x80 \x93x\x94", "café € “x”"},
                    DecodeCase{"Windows1252Unassigned", 1252, "\x81", "\xC2\x81"},
                    DecodeCase{"UnknownCodePageIs1252", 4242, "\xE9", "é"},
                    DecodeCase{"Gbk", 936, "\xC4\xE3\xBA\xC3", "你好"},
                    DecodeCase{"Gb18030FourBytes", 936, "\x81\x30\x81\x30", "\xC2\x80"},
                    DecodeCase{"GbkCutShort", 936, "a\xC4", "a\xEF\xBF\xBD"},
                    DecodeCase{"ShiftJis", 932, "\x82\xA0", "あ"},
                    DecodeCase{"Korean", 949, "\xC7\xD1", "한"},
                    DecodeCase{"Big5", 950, "\xA4\xA4", "中"},
                    DecodeCase{"Cyrillic", 1251, "\xCF\xF0\xE8", "При"},
                    DecodeCase{"CentralEuropean", 1250, "\xB9", "ą"},
                    DecodeCase{"MacRoman", 10000, "\x8A", "ä"},
                    DecodeCase{"InvalidByteInShiftJis", 932, "\xA0x", "\xEF\xBF\xBDx"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnel::richtext
