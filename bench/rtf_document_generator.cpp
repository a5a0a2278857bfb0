#include "bench/rtf_document_generator.h"

#include "platform/codepage.h"

#include <cstdint>
#include <iterator>
#include <random>
#include <string_view>

namespace tarnel::bench {
namespace {

constexpr std::uint32_t kSeed = 20240611;

constexpr std::string_view kChinese =
    "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能"
    "下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量"
    "都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各"
    "知识管理笔记文件分类标签检索内容保存打开编辑格式图片段落字体颜色";

constexpr std::string_view kEnglish[] = {
    "knowledge", "note",  "category", "search", "the",    "a",       "of",   "picture",
    "format",    "bold",  "text",     "and",    "system", "desktop", "file", "paragraph",
    "reader",    "write", "index",    "tag",    "store",  "with",    "in",   "document"};

class Generator {
public:
    Generator(std::size_t targetBytes, GeneratedKind kind, const std::vector<std::string>& pictures)
        : m_target(targetBytes), m_kind(kind), m_pictures(pictures) {
        for (std::size_t pos = 0; pos < kChinese.size(); pos += 3) {
            m_chinese.emplace_back(kChinese.substr(pos, 3));
        }
    }

    std::string document() {
        m_out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
                "{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
                "{\\f1\\fswiss\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
                "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;"
                "\\red0\\green128\\blue0;}\r\n"
                "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
                "{\\listlevel\\levelnfc4{\\leveltext\\'02\\'01.;}}{\\listlevel\\levelnfc23"
                "{\\leveltext\\'01\\u8226 ?;}}\\listid1}}{\\*\\listoverridetable{\\listoverride"
                "\\listid1\\ls1}}\r\n\\viewkind4\\uc1 ";
        while (m_out.size() < m_target) {
            if (m_kind == GeneratedKind::Tables && below(4) != 0) {
                table(1);
                listItem();
            } else {
                paragraph();
            }
        }
        m_out += "}";
        return std::move(m_out);
    }

private:
    int below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(m_random); }

    void paragraph() {
        static constexpr std::string_view kAlignments[] = {"", "\\qc", "\\qr", "\\qj"};
        m_out += "\\pard";
        m_out += kAlignments[below(4)];
        if (below(5) == 0) {
            m_out += "{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'b7}}"
                     "\\fi-200\\li200";
        }
        m_out += ' ';
        int runs = 2 + below(6);
        for (int i = 0; i < runs; ++i) {
            textRun();
        }
        if (below(40) == 0) {
            picture();
        }
        m_out += "\\par\r\n";
    }

    // Rows of two to four cells; a cell of the outer table now and then holds a nested table,
    // and a row now and then has cells merged across.
    void table(int level) {
        int rows = 2 + below(4);
        int cells = 2 + below(3);
        std::string definition = "\\trowd\\trgaph108";
        bool merged = below(4) == 0;
        for (int c = 0; c < cells; ++c) {
            if (merged) {
                definition += c == 0 ? "\\clmgf" : (c == 1 ? "\\clmrg" : "");
            }
            definition += "\\clbrdrb\\brdrs\\brdrw10\\cellx" + std::to_string(1500 * (c + 1));
        }
        std::string place = level == 1 ? "\\pard\\intbl " : "\\pard\\intbl\\itap2 ";
        for (int r = 0; r < rows; ++r) {
            if (level == 1) {
                m_out += definition;
            }
            for (int c = 0; c < cells; ++c) {
                m_out += place;
                if (level == 1 && below(8) == 0) {
                    textRun();
                    m_out += "\\par ";
                    table(2);
                    m_out += place;
                }
                textRun();
                m_out += level == 1 ? "\\cell " : "\\nestcell ";
            }
            if (level == 1) {
                m_out += "\\row\r\n";
            } else {
                m_out += place + "{\\*\\nesttableprops" + definition + "\\nestrow}" +
                         "{\\nonesttables\\par}\r\n";
            }
        }
    }

    void listItem() {
        m_out += "\\pard\\ls1\\ilvl" + std::to_string(below(3)) + ' ';
        textRun();
        m_out += "\\par\r\n";
    }

    void textRun() {
        // Chinese text only under the GBK font, as editors write it; the Latin font holds English.
        bool chineseFont = below(2) == 0;
        m_out += '{';
        m_out += chineseFont ? "\\f0" : "\\f1";
        m_out += below(3) == 0 ? "\\b" : "";
        m_out += below(4) == 0 ? "\\i" : "";
        m_out += below(5) == 0 ? "\\ul" : "";
        if (below(3) == 0) {
            m_out += "\\cf" + std::to_string(1 + below(3));
        }
        m_out += "\\fs" + std::to_string(18 + 2 * below(8)) + ' ';
        int words = 3 + below(12);
        for (int i = 0; i < words; ++i) {
            if (chineseFont && below(3) != 0) {
                chineseWord();
            } else {
                m_out += kEnglish[below(std::size(kEnglish))];
                m_out += ' ';
            }
        }
        m_out += '}';
    }

    void chineseWord() {
        int characters = 1 + below(4);
        bool unicode = below(3) == 0;
        for (int i = 0; i < characters; ++i) {
            const std::string& character = m_chinese[below(static_cast<int>(m_chinese.size()))];
            std::string gbk = platform::utf8ToGb(character);
            if (unicode) {
                m_out += "\\uc2\\u" + std::to_string(codePoint(character));
            }
            for (unsigned char byte : gbk) {
                hexByte(byte);
            }
            if (unicode) {
                m_out += "\\uc1 ";
            }
        }
    }

    static int codePoint(std::string_view threeByteUtf8) {
        auto byte = [&](std::size_t i) { return static_cast<unsigned char>(threeByteUtf8[i]); };
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    }

    void hexByte(unsigned char byte) {
        static constexpr std::string_view kHex = "0123456789abcdef";
        m_out += "\\'";
        m_out += kHex[byte >> 4];
        m_out += kHex[byte & 15];
    }

    std::string randomPicture(bool png) {
        std::string data =
            png ? std::string("\x89PNG\r\n\x1a\n", 8) : std::string("\xFF\xD8\xFF\xE0", 4);
        std::size_t size = 2000 + static_cast<std::size_t>(below(30000));
        while (data.size() < size) {
            data += static_cast<char>(below(256));
        }
        return data;
    }

    void picture() {
        bool png = below(2) == 0;
        std::string data;
        if (m_pictures.empty()) {
            data = randomPicture(png);
        } else {
            data = m_pictures[m_nextPicture++ % m_pictures.size()];
            png = data.rfind("\x89PNG", 0) == 0;
        }
        m_out += png ? "{\\pict\\pngblip" : "{\\pict\\jpegblip";
        m_out += "\\picw64\\pich48\\picwgoal960\\pichgoal720\r\n";
        static constexpr std::string_view kHex = "0123456789abcdef";
        for (std::size_t i = 0; i < data.size(); ++i) {
            auto byte = static_cast<unsigned char>(data[i]);
            m_out += kHex[byte >> 4];
            m_out += kHex[byte & 15];
            if (i % 64 == 63) {
                m_out += "\r\n";
            }
        }
        m_out += '}';
    }

    std::size_t m_target;
    GeneratedKind m_kind;
    const std::vector<std::string>& m_pictures;
    std::size_t m_nextPicture = 0;
    std::mt19937 m_random{kSeed};
    std::vector<std::string> m_chinese;
    std::string m_out;
};

} // namespace

std::string generatedRtf(std::size_t targetBytes, GeneratedKind kind,
                         const std::vector<std::string>& pictures) {
    return Generator(targetBytes, kind, pictures).document();
}

} // namespace tarnel::bench
