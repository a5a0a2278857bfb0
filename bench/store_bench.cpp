// The knowledge base store on a large base: opening it, loading every point list and saving
// everything, each against reading (or writing) the same bytes in the same run, plus the memory
// the loaded base holds per 100,000 points.
//
//   store_bench [--categories N] [--points N] [--attachments N] [--tags N] [--keep DIR]
//
// The base is generated into a fresh folder (or DIR) first; generation is not measured. A DIR
// that already holds a base is measured as it is, so one generated base serves many runs.
#include "bench/bench_base.h"
#include "platform/file_system.h"
#include "store/knowledge_store.h"
#include "store/result_codes.h"
#include "store/table_format.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tarnel::store;
using tarnel::bench::seconds;

namespace {

const tarnel::platform::FileSystem& fileSystem() {
    return tarnel::platform::realFileSystem();
}

std::vector<fs::path> indexFiles(const fs::path& data) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(data / "Index")) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

long kilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::atol(line.c_str() + std::char_traits<char>::length(field));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    tarnel::bench::BaseSizes sizes;
    fs::path keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (option == "--categories") {
            sizes.categories = value;
        } else if (option == "--points") {
            sizes.points = value;
        } else if (option == "--attachments") {
            sizes.attachments = value;
        } else if (option == "--tags") {
            sizes.tags = value;
        } else if (option == "--keep") {
            keep = argv[i + 1];
        }
    }
    fs::path data = keep.empty()
                        ? fs::temp_directory_path() / ("tarnel-bench-" + std::to_string(::getpid()))
                        : keep;
    // A kept base that already exists is measured again as it is.
    bool reuse = !keep.empty() && fs::exists(data / "Index" / "kms.cls");
    double generation = reuse ? 0 : seconds([&] { tarnel::bench::generateBase(data, sizes); });
    std::vector<fs::path> files = indexFiles(data);
    if (!reuse) {
        std::printf("generated %d categories, %d points, %d attachments, %d tags in %.1f s\n",
                    sizes.categories, sizes.points, sizes.attachments, sizes.tags, generation);
    }

    unsigned checksum = 0;
    std::uint64_t bytes = 0;
    auto readAndUnscramble = [&] {
        bytes = 0;
        std::string buffer;
        for (const fs::path& file : files) {
            fileSystem().readFile(file, buffer);
            for (char& c : buffer) {
                c = static_cast<char>(static_cast<unsigned char>(c) ^ table_format::kScrambleKey);
            }
            checksum += static_cast<unsigned char>(buffer.empty() ? 0 : buffer[buffer.size() / 2]);
            bytes += buffer.size();
        }
    };
    readAndUnscramble(); // brings the files into the page cache for every run below

    // Baseline and store runs alternate, so that the load of a shared machine falls on both.
    double baselineRead = 1e30;
    double open = 1e30;
    std::size_t points = 0;
    std::size_t heapHeld = 0;
    for (int round = 0; round < 5; ++round) {
        baselineRead = std::min(baselineRead, seconds(readAndUnscramble));
        NullChangeSink sink;
        std::size_t heapBefore = mallinfo2().uordblks;
        auto base = std::make_unique<KnowledgeStore>(fileSystem(), sink);
        open = std::min(open, seconds([&] {
                            base->open(data);
                            points = base->loadAllLists();
                        }));
        heapHeld = mallinfo2().uordblks - heapBefore;
    }
    std::map<fs::path, std::string> before;
    for (const fs::path& file : files) {
        fileSystem().readFile(file, before[file]);
    }
    NullChangeSink sink;
    KnowledgeStore base(fileSystem(), sink);
    base.open(data);
    base.loadAllLists();
    int saveResult = kOk;
    auto writeSafely = [&] {
        for (const auto& [file, content] : before) {
            fileSystem().writeFileAtomic(file, content);
        }
    };
    auto writeInPlace = [&] {
        for (const auto& [file, content] : before) {
            std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
        }
    };
    double save = 1e30;
    double baselineWrite = 1e30;
    double plainWrite = 1e30;
    for (int round = 0; round < 3; ++round) {
        baselineWrite = std::min(baselineWrite, seconds(writeSafely));
        save = std::min(save, seconds([&] { saveResult = base.saveAll(); }));
        plainWrite = std::min(plainWrite, seconds(writeInPlace));
    }
    bool identical = indexFiles(data) == files;
    for (const fs::path& file : files) {
        std::string now;
        fileSystem().readFile(file, now);
        if (now != before[file]) {
            std::printf("changed by the save: %s\n", file.filename().c_str());
            identical = false;
        }
    }
    double mibPer100k = points ? heapHeld / 1048576.0 * 100000.0 / points : 0;
    std::printf("base: %zu categories, %zu points, %zu tags; index %.1f MiB in %zu files "
                "(checksum %u)\n",
                base.categories().categoryCount(), points, base.tags().tagCount(),
                bytes / 1048576.0, files.size(), checksum);
    std::printf("seconds: read %.3f, open %.3f; safe write %.3f, save %.3f, plain write %.3f\n",
                baselineRead, open, baselineWrite, save, plainWrite);
    std::printf("open + load every list : %5.2f x reading and unscrambling the same bytes "
                "(target <= 3)\n",
                open / baselineRead);
    std::printf("save everything        : %5.2f x writing the same bytes the same safe way "
                "(temporary file, flush, rename; target <= 3)\n",
                save / baselineWrite);
    std::printf("                         %5.2f x writing them in place without a flush\n",
                save / plainWrite);
    std::printf("memory                 : %5.1f MiB per 100,000 points held by the loaded base "
                "(target <= 64); peak of the whole run %.0f MiB\n",
                mibPer100k, kilobytes("VmHWM:") / 1024.0);
    std::printf("saved files identical to the generated ones: %s; save result %d\n",
                identical ? "yes" : "NO", saveResult);
    if (keep.empty()) {
        fs::remove_all(data);
    }
    return identical && saveResult == kOk ? 0 : 1;
}
