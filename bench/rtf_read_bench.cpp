// Reading a large rich-text document and extracting its text, against reading the same bytes from
// disk in the same run. The target is at most 20 times the read from disk.
//
//   rtf_read_bench [--mib N] [--repetitions N]
//
// The document (N MiB, 20 by default) is generated from a fixed seed into a fresh temporary
// folder: Chinese text as GBK bytes (\'hh) and as \uN with fallback bytes, English text, bold,
// italic, underlined, coloured runs in two fonts, aligned and bulleted paragraphs and PNG and JPEG
// pictures in hexadecimal. A second, table-heavy document of the same size holds mostly tables
// in Word's form (some with merged cells, some nested in cells) between items of a three-level
// list. Each figure is the best of several runs after one warm-up read.
#include "platform/codepage.h"
#include "platform/file_system.h"
#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tarnel;

namespace {

constexpr double kTargetRatio = 20.0;
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
    enum class Kind { Paragraphs, Tables };

    Generator(std::size_t targetBytes, Kind kind) : m_target(targetBytes), m_kind(kind) {
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
            if (m_kind == Kind::Tables && below(4) != 0) {
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

    void picture() {
        bool png = below(2) == 0;
        std::string data =
            png ? std::string("\x89PNG\r\n\x1a\n", 8) : std::string("\xFF\xD8\xFF\xE0", 4);
        std::size_t size = 2000 + static_cast<std::size_t>(below(30000));
        while (data.size() < size) {
            data += static_cast<char>(below(256));
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
    Kind m_kind;
    std::mt19937 m_random{kSeed};
    std::vector<std::string> m_chinese;
    std::string m_out;
};

double bestSeconds(int repetitions, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

std::string readOrExit(const fs::path& path) {
    std::string bytes;
    if (int err = platform::realFileSystem().readFile(path, bytes); err != 0) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(),
                     platform::errorText(err).c_str());
        std::exit(1);
    }
    return bytes;
}

struct Options {
    std::size_t mebibytes = 20;
    int repetitions = 5;
};

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string_view name = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (name == "--mib" && value > 0) {
            options.mebibytes = static_cast<std::size_t>(value);
        } else if (name == "--repetitions" && value > 0) {
            options.repetitions = value;
        } else {
            std::fprintf(stderr, "usage: rtf_read_bench [--mib N] [--repetitions N]\n");
            std::exit(2);
        }
    }
    return options;
}

struct Measured {
    std::size_t bytes = 0;
    std::size_t blocks = 0;
    std::size_t textBytes = 0;
    double baseline = 0;
    double reading = 0;
    double extracting = 0;
};

Measured measure(const fs::path& file, int repetitions) {
    Measured out;
    out.bytes = readOrExit(file).size(); // warms the page cache
    out.baseline = bestSeconds(repetitions, [&] { out.bytes = readOrExit(file).size(); });
    out.reading = bestSeconds(repetitions, [&] {
        richtext::ReadResult read = richtext::RtfReader().read(readOrExit(file));
        out.textBytes = richtext::documentText(read.document).size();
        out.blocks = read.document.paragraphs.size();
    });
    out.extracting = bestSeconds(repetitions, [&] {
        out.textBytes = richtext::extractPlainText(readOrExit(file)).text.size();
    });
    return out;
}

void report(const char* name, const Measured& m) {
    double ratio = m.reading / m.baseline;
    double extractRatio = m.extracting / m.baseline;
    std::printf("%s: %.1f MiB, %zu blocks, %zu bytes of text\n", name,
                static_cast<double>(m.bytes) / (1 << 20), m.blocks, m.textBytes);
    std::printf("baseline, read from disk:            %8.2f ms\n", m.baseline * 1e3);
    std::printf("read (with pictures) and its text:   %8.2f ms  %6.2fx\n", m.reading * 1e3, ratio);
    std::printf("extractPlainText (pictures skipped): %8.2f ms  %6.2fx\n", m.extracting * 1e3,
                extractRatio);
    bool met = ratio <= kTargetRatio && extractRatio <= kTargetRatio;
    std::printf("target: at most %.0fx: %s\n", kTargetRatio, met ? "met" : "NOT met");
}

} // namespace

int main(int argc, char** argv) {
    Options options = parseOptions(argc, argv);
    const platform::FileSystem& files = platform::realFileSystem();
    fs::path folder = files.tempDirectory() / ("rtf_read_bench." + std::to_string(::getpid()));
    if (files.createDirectories(folder) != 0) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 1;
    }
    for (auto [name, kind] : {std::pair{"document", Generator::Kind::Paragraphs},
                              std::pair{"table-heavy document", Generator::Kind::Tables}}) {
        fs::path file = folder / "document.rtf";
        if (files.writeFileAtomic(file, Generator(options.mebibytes << 20, kind).document()) != 0) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            files.removeAll(folder);
            return 1;
        }
        report(name, measure(file, options.repetitions));
    }
    files.removeAll(folder);
    return 0;
}
