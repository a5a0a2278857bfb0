#include "bench/bench_base.h"

#include "platform/file_system.h"
#include "store/knowledge_store.h"
#include "store/result_codes.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

namespace tarnel::bench {

namespace fs = std::filesystem;
using namespace tarnel::store;

namespace {

const char* const kWords[] = {"项目",    "notes",    "会议记录", "design", "资料",
                              "archive", "读书笔记", "plans",    "研究",   "drafts"};

std::string nameOf(Random& random, long long n) {
    return std::string(kWords[random.next(10)]) + " " + std::to_string(n);
}

} // namespace

PointContent smallContent(int index) {
    return {index % 3 == 0 ? ".mht" : ".rtf", std::string(64, 'x')};
}

void generateBase(const fs::path& data, const BaseSizes& sizes, const ContentMaker& content) {
    NullChangeSink sink;
    KnowledgeStore base(platform::realFileSystem(), sink);
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
    for (int i = 0; i < sizes.points; ++i) {
        PointContent made = content(i);
        CategoryRecord& owner = *placed[1 + static_cast<std::size_t>(i) % (placed.size() - 1)];
        auto point = std::make_unique<PointRecord>();
        point->id = base.counters().next(IdKind::Point);
        std::string name = nameOf(random, point->id) + made.extension;
        point->values.setInteger(point::kId, point->id);
        point->values.setInteger(point::kClass, owner.id);
        point->values.setValue(point::kName, name);
        point->values.setInteger(point::kStarNum, 1 + random.next(5));
        point->values.setInteger(point::kPointSize, static_cast<long long>(made.bytes.size()));
        point->values.setInteger(point::kState, 1);
        point->values.setValue(point::kCreateDate, "2024-05-06 07:08:09");
        point->values.setValue(point::kModifyDate, "2024-05-06 07:08:09");
        if (i % 4 == 0 && sizes.tags > 0) {
            long long tagId = tagList[1 + random.next(static_cast<unsigned>(sizes.tags))]->id;
            point->values.setValue(point::kTagsId, listWith("", tagId));
        }
        std::ofstream(categories.folderOf(owner) / name, std::ios::binary) << made.bytes;
        for (CategoryRecord* r = &owner; r; r = r->parent) {
            r->values.setInteger(category::kSize,
                                 r->size() + static_cast<long long>(made.bytes.size()));
        }
        categories.addPoint(owner, std::move(point));
    }
    for (int i = 0; i < sizes.attachments; ++i) {
        CategoryRecord& owner = *placed[1 + static_cast<std::size_t>(i) % (placed.size() - 1)];
        if (categories.pointsOf(owner).records().empty()) {
            continue; // a base of fewer points than categories
        }
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

double threadSeconds(const std::function<void()>& work) {
    auto now = [] {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
    };
    double start = now();
    work();
    return now() - start;
}

} // namespace tarnel::bench
