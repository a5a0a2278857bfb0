// The knowledge base store on a large base: opening it, loading every point list and saving
// everything, each against reading (or writing) the same bytes in the same run, plus the memory
// the loaded base holds per 100,000 points.
//
//   store_bench [--categories N] [--points N] [--attachments N] [--tags N] [--keep DIR]
//
// The base is generated into a fresh folder (or DIR) first; generation is not measured. A DIR
// that already holds a base is measured as it is, so one generated base serves many runs.
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

namespace {

struct Sizes {
    int categories = 10000;
    int maxDepth = 6;
    int points = 200000;
    int attachments = 20000;
    int tags = 2000;
};

const tarnel::platform::FileSystem& fileSystem() {
    return tarnel::platform::realFileSystem();
}

// A small deterministic generator, so that every run measures the same base.
struct Random {
    unsigned long long state = 0x9E3779B97F4A7C15ULL;
    unsigned next(unsigned bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<unsigned>(state % bound);
    }
};

const char* const kWords[] = {"项目",    "notes",    "会议记录", "design", "资料",
                              "archive", "读书笔记", "plans",    "研究",   "drafts"};

std::string nameOf(Random& random, long long n) {
    return std::string(kWords[random.next(10)]) + " " + std::to_string(n);
}

void generate(const fs::path& data, const Sizes& sizes) {
    NullChangeSink sink;
    KnowledgeStore base(fileSystem(), sink);
    if (base.open(data) != kOk) {
        std::fprintf(stderr, "cannot open %s\n", data.c_str());
        std::exit(1);
    }
    Random random;
    CategoryStore& categories = base.categories();
    std::vector<CategoryRecord*> placed{categories.root()};
    std::map<CategoryRecord*, int> depth{{categories.root(), 0}};
    for (int i = 0; i < sizes.categories; ++i) {
        CategoryRecord* parent = placed[random.next(static_cast<unsigned>(placed.size()))];
        while (depth[parent] >= sizes.maxDepth) {
            parent = parent->parent;
        }
        auto record = std::make_unique<CategoryRecord>();
        record->values.setValue(category::kName, nameOf(random, i));
        record->values.setInteger(category::kStarNum, 1 + random.next(5));
        record->values.setInteger(category::kState, 1);
        record->values.setValue(category::kCreateDate, "2024-05-06 07:08:09");
        record->values.setValue(category::kModifyDate, "2024-05-06 07:08:09");
        CategoryRecord* raw = record.get();
        if (categories.add(std::move(record), parent) != kOk) {
            std::fprintf(stderr, "cannot add a category\n");
            std::exit(1);
        }
        placed.push_back(raw);
        depth[raw] = depth[parent] + 1;
    }
    TagStore& tags = base.tags();
    std::vector<TagRecord*> tagList{tags.root()};
    for (int i = 0; i < sizes.tags; ++i) {
        auto record = std::make_unique<TagRecord>();
        record->values.setValue(tag::kName, "标签 " + std::to_string(i));
        TagRecord* raw = record.get();
        tags.add(
            std::move(record),
            tagList[random.next(static_cast<unsigned>(std::min<std::size_t>(tagList.size(), 50)))]);
        tagList.push_back(raw);
    }
    std::string content(64, 'x');
    for (int i = 0; i < sizes.points; ++i) {
        CategoryRecord& owner = *placed[1 + static_cast<std::size_t>(i) % (placed.size() - 1)];
        auto point = std::make_unique<PointRecord>();
        point->id = base.counters().next(IdKind::Point);
        std::string name = nameOf(random, point->id) + (i % 3 == 0 ? ".mht" : ".rtf");
        point->values.setInteger(point::kId, point->id);
        point->values.setInteger(point::kClass, owner.id);
        point->values.setValue(point::kName, name);
        point->values.setInteger(point::kStarNum, 1 + random.next(5));
        point->values.setInteger(point::kPointSize, static_cast<long long>(content.size()));
        point->values.setInteger(point::kState, 1);
        point->values.setValue(point::kCreateDate, "2024-05-06 07:08:09");
        point->values.setValue(point::kModifyDate, "2024-05-06 07:08:09");
        if (i % 4 == 0) {
            long long tagId = tagList[1 + random.next(static_cast<unsigned>(sizes.tags))]->id;
            point->values.setValue(point::kTagsId, listWith("", tagId));
        }
        std::ofstream(categories.folderOf(owner) / name, std::ios::binary) << content;
        for (CategoryRecord* r = &owner; r; r = r->parent) {
            r->values.setInteger(category::kSize,
                                 r->size() + static_cast<long long>(content.size()));
        }
        categories.addPoint(owner, std::move(point));
    }
    for (int i = 0; i < sizes.attachments; ++i) {
        CategoryRecord& owner = *placed[1 + static_cast<std::size_t>(i) % (placed.size() - 1)];
        auto attachment = std::make_unique<AttachmentRecord>();
        attachment->id = base.counters().next(IdKind::Attachment);
        attachment->values.setInteger(attachment::kId, attachment->id);
        attachment->values.setInteger(attachment::kPoint,
                                      categories.pointsOf(owner).records().front()->id);
        attachment->values.setValue(attachment::kName, "附件 " + std::to_string(i) + ".pdf");
        attachment->values.setInteger(attachment::kIsLinked, 1);
        attachment->values.setValue(attachment::kLinkPath, "/home/user/documents/附件.pdf");
        attachment->values.setInteger(attachment::kState, 1);
        categories.attachmentsOf(owner).add(std::move(attachment));
    }
    // Comment files are named by point ids, so the comment counter keeps up with the points.
    base.counters().raise(IdKind::Comment, base.counters().highest(IdKind::Point));
    if (int rc = base.saveAll()) {
        std::fprintf(stderr, "cannot save the generated base: %d\n", rc);
        std::exit(1);
    }
}

double seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
    Sizes sizes;
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
    double generation = reuse ? 0 : seconds([&] { generate(data, sizes); });
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
