// Search on the large generated base: title search over every point (median of many queries) and
// content search for an ASCII word in 1% of the rich-text points, the latter against grep -rlF of
// the same word over the same files in the same run, both with a warm cache.
//
//   search_bench [--points N] [--queries N] [--keep DIR]
//
// The base is the store benchmark's (10,000 categories, 200,000 points by default); every tenth
// point is a rich-text file of 2 to 20 KiB written by our writer (Chinese and English text in
// bold, italic and coloured runs), the others web points of 64 bytes, which content search passes
// over. A DIR that already holds a base is measured as it is.
#include "bench/bench_base.h"
#include "ops/search_engine.h"
#include "platform/codepage.h"
#include "platform/file_system.h"
#include "richtext/rtf_writer.h"
#include "store/knowledge_store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tarnel;

namespace {

constexpr int kRichTextEvery = 10;
// One rich-text point in a hundred holds the word.
constexpr int kWordEvery = 100;
constexpr const char* kWord = "zebrafish";

const char* const kChineseWords[] = {"知识", "管理", "笔记", "分类", "标签", "检索", "内容",
                                     "保存", "文件", "格式", "段落", "字体", "颜色", "项目"};
const char* const kEnglishWords[] = {"knowledge", "note", "category", "search", "the",
                                     "format",    "bold", "text",     "and",    "system",
                                     "desktop",   "file", "reader",   "index",  "store"};

// A document of about targetBytes of rich text: our writer spends some 16 bytes on a Chinese
// character (\uN and its GBK bytes) and one on an ASCII one.
richtext::Document richDocument(bench::Random& random, std::size_t targetBytes, bool withWord) {
    richtext::Document document;
    std::size_t estimate = 400;
    std::size_t wordAt = withWord ? targetBytes / 2 : static_cast<std::size_t>(-1);
    while (estimate < targetBytes) {
        richtext::Paragraph paragraph;
        for (int runs = 2 + static_cast<int>(random.next(5)); runs > 0; --runs) {
            richtext::TextRun run;
            run.format.bold = random.next(3) == 0;
            run.format.italic = random.next(4) == 0;
            if (random.next(3) == 0) {
                run.format.color =
                    richtext::Color{200, 0, static_cast<std::uint8_t>(random.next(255))};
            }
            bool chinese = random.next(2) == 0;
            for (int words = 3 + static_cast<int>(random.next(10)); words > 0; --words) {
                std::string word = chinese ? kChineseWords[random.next(std::size(kChineseWords))]
                                           : kEnglishWords[random.next(std::size(kEnglishWords))];
                run.text += word + (chinese ? "" : " ");
                estimate += chinese ? 32 : word.size() + 1;
            }
            if (estimate >= wordAt) {
                run.text += std::string(" ") + kWord + " ";
                wordAt = static_cast<std::size_t>(-1);
            }
            estimate += 40;
            paragraph.content.push_back(std::move(run));
        }
        document.paragraphs.push_back(std::move(paragraph));
    }
    return document;
}

class RichContent {
public:
    bench::PointContent operator()(int index) {
        if (index % kRichTextEvery != 0) {
            return {".mht", std::string(64, 'x')};
        }
        int rich = index / kRichTextEvery;
        std::size_t target = 2048 + m_random.next(18 * 1024);
        richtext::Document document = richDocument(m_random, target, rich % kWordEvery == 37);
        return {".rtf", m_writer.write(document)};
    }

private:
    bench::Random m_random{0x2545F4914F6CDD1DULL};
    richtext::RtfWriter m_writer;
};

struct CountingSink : ops::SearchHitSink {
    std::size_t hits = 0;
    void hit(const ops::SearchHit&) override { ++hits; }
};

// The number of lines the shell command prints.
std::size_t linesOf(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return 0;
    }
    std::size_t lines = 0;
    for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) {
        lines += c == '\n';
    }
    ::pclose(pipe);
    return lines;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    bench::BaseSizes sizes;
    int queries = 200;
    fs::path keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--points") {
            sizes.points = std::atoi(argv[i + 1]);
        } else if (option == "--queries") {
            queries = std::atoi(argv[i + 1]);
        } else if (option == "--keep") {
            keep = argv[i + 1];
        }
    }
    fs::path data = keep.empty() ? fs::temp_directory_path() /
                                       ("tarnel-search-bench-" + std::to_string(::getpid()))
                                 : keep;
    if (keep.empty() || !fs::exists(data / "Index" / "kms.cls")) {
        RichContent content;
        double generation = bench::seconds([&] {
            bench::generateBase(data, sizes, [&content](int index) { return content(index); });
        });
        std::printf("generated %d points (%d rich-text) in %.1f s\n", sizes.points,
                    (sizes.points + kRichTextEvery - 1) / kRichTextEvery, generation);
    }

    store::NullChangeSink changes;
    store::KnowledgeStore base(platform::realFileSystem(), changes);
    if (base.open(data) != store::kOk) {
        std::fprintf(stderr, "cannot open %s\n", data.c_str());
        return 1;
    }
    std::size_t points = base.loadAllLists();
    ops::SearchScope everything;
    for (const auto& category : base.categories().rows()) {
        if (category->parent) {
            everything.categories.push_back(category.get());
        }
    }
    ops::SearchEngine engine(base, platform::realFileSystem());

    // Titles: numbers that a few names hold, and words with numbers that mostly none hold, half
    // of them ignoring case.
    static const char* const kNameWords[] = {"notes", "会议记录", "Design", "资料", "ARCHIVE"};
    std::vector<double> titleTimes;
    std::size_t titleHits = 0;
    for (int q = 0; q < queries; ++q) {
        std::string number = std::to_string((q * 7919) % (sizes.points + 1000));
        std::string query = q % 2 == 0 ? number : std::string(kNameWords[q % 5]) + " " + number;
        engine.parameters() = {query, true, false, q % 4 < 2, false};
        CountingSink sink;
        titleTimes.push_back(bench::seconds([&] { engine.run(everything, sink); }) * 1000);
        titleHits += sink.hits;
    }

    // Content: the same word by our search and by grep over the same rich-text files.
    fs::path resource = data / "Resource";
    std::string grep =
        std::string("grep -rlF --include='*.rtf' ") + kWord + " '" + resource.string() + "'";
    std::size_t grepHits = linesOf(grep);
    engine.parameters() = {kWord, false, true, false, false};
    CountingSink warm;
    engine.run(everything, warm);
    double ours = 1e30;
    double theirs = 1e30;
    double oursIgnoringCase = 1e30;
    std::size_t hits = 0;
    for (int round = 0; round < 3; ++round) {
        theirs = std::min(theirs, bench::seconds([&] { linesOf(grep); }));
        engine.parameters().ignoreCase = false;
        CountingSink sink;
        ours = std::min(ours, bench::seconds([&] { engine.run(everything, sink); }));
        hits = sink.hits;
        engine.parameters().ignoreCase = true;
        CountingSink blind;
        oursIgnoringCase =
            std::min(oursIgnoringCase, bench::seconds([&] { engine.run(everything, blind); }));
    }

    std::printf("base: %zu categories, %zu points\n", everything.categories.size(), points);
    std::printf("title search   : median %.2f ms per query over %zu points, %d queries, %zu hits "
                "(target < 5 ms)\n",
                median(titleTimes), points, queries, titleHits);
    std::printf("content search : %.3f s, grep -rlF %.3f s: %.2f x grep (target <= 3); ignoring "
                "case %.3f s (%.2f x)\n",
                ours, theirs, ours / theirs, oursIgnoringCase, oursIgnoringCase / theirs);
    std::printf("hits           : %zu by search, %zu by grep\n", hits, grepHits);
    if (keep.empty()) {
        fs::remove_all(data);
    }
    return hits == grepHits ? 0 : 1;
}
