// Reading a large rich-text document and extracting its text, against reading the same bytes from
// disk in the same run. The target is at most 20 times the read from disk.
//
//   rtf_read_bench [--mib N] [--repetitions N]
//
// The document (N MiB, 20 by default) is generated from a fixed seed into a fresh temporary
// folder: Chinese text as GBK bytes (\'hh) and as \uN with fallback bytes, English text, bold,
// italic, underlined, coloured runs in two fonts, aligned and bulleted paragraphs and PNG and JPEG
// pictures in hexadecimal. Each figure is the best of several runs after one warm-up read.
#include "bench/rtf_document_generator.h"
#include "platform/file_system.h"
#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tarnel;

namespace {

constexpr double kTargetRatio = 20.0;

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

} // namespace

int main(int argc, char** argv) {
    Options options = parseOptions(argc, argv);
    const platform::FileSystem& files = platform::realFileSystem();
    fs::path folder = files.tempDirectory() / ("rtf_read_bench." + std::to_string(::getpid()));
    fs::path file = folder / "document.rtf";
    std::string generated = bench::generatedRtf(options.mebibytes << 20);
    if (files.createDirectories(folder) != 0 || files.writeFileAtomic(file, generated) != 0) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    generated.clear();

    std::size_t bytesRead = readOrExit(file).size(); // warms the page cache
    double baseline =
        bestSeconds(options.repetitions, [&] { bytesRead = readOrExit(file).size(); });

    std::size_t textBytes = 0;
    std::size_t paragraphs = 0;
    double reading = bestSeconds(options.repetitions, [&] {
        richtext::ReadResult read = richtext::RtfReader().read(readOrExit(file));
        textBytes = richtext::documentText(read.document).size();
        paragraphs = read.document.paragraphs.size();
    });
    double extracting = bestSeconds(options.repetitions, [&] {
        textBytes = richtext::extractPlainText(readOrExit(file)).text.size();
    });
    files.removeAll(folder);

    double ratio = reading / baseline;
    std::printf("document: %.1f MiB, %zu paragraphs, %zu bytes of text\n",
                static_cast<double>(bytesRead) / (1 << 20), paragraphs, textBytes);
    std::printf("baseline, read from disk:            %8.2f ms\n", baseline * 1e3);
    std::printf("read (with pictures) and its text:   %8.2f ms  %6.2fx\n", reading * 1e3, ratio);
    std::printf("extractPlainText (pictures skipped): %8.2f ms  %6.2fx\n", extracting * 1e3,
                extracting / baseline);
    std::printf("target: at most %.0fx: %s\n", kTargetRatio,
                ratio <= kTargetRatio ? "met" : "NOT met");
    return 0;
}
