// Import and link of a folder tree and the export of the imported tree, each against `cp -r` of
// the same tree measured in the same run:
//   - import as a new category tree (target: at most 1.5x cp -r);
//   - link as a linked category, which copies nothing (target: at most 0.5x);
//   - export of the imported category with its sub-levels (target: at most 1.5x).
//
//   import_bench [--files N] [--folders N] [--mib N] [--runs N]
//
// The tree (Chinese and ASCII names) is generated into a fresh temporary folder first and copied
// once untimed, so that every run reads it from the page cache; generation is not measured. On a
// machine that others share one run of anything may wait on their disk traffic, so each figure,
// the baselines too, is the fastest of --runs runs (3 unless told), each into a fresh target.
#include "app/prompt.h"
#include "ops/folder_import.h"
#include "ops/knowledge_export.h"
#include "platform/file_system.h"
#include "platform/file_writer.h"
#include "store/attribute_tables.h"
#include "store/knowledge_store.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tarnel;

namespace {

const platform::FileSystem& fileSystem() {
    return platform::realFileSystem();
}

int argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return std::atoi(argv[i + 1]);
        }
    }
    return fallback;
}

// Each measurement starts with nothing dirty in the page cache, so that none pays for the
// write-back of what came before it.
double seconds(const std::function<void()>& work) {
    ::sync();
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of runs runs of work(run).
double fastest(int runs, const std::function<void(int run)>& work) {
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        double took = seconds([&] { work(run); });
        best = run == 0 || took < best ? took : best;
    }
    return best;
}

// Written like any program writes a file, without a flush each: generation is not measured.
void put(const fs::path& path, const std::string& bytes) {
    platform::FileWriter writer;
    if (writer.open(path, platform::FileWriter::Mode::Truncate) != 0 || writer.write(bytes) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// Folders nested two deep (a tenth of them at the top), files spread evenly, sizes around the
// mean so that the total is the given size.
void generate(const fs::path& root, int files, int folders, long long bytes) {
    std::vector<fs::path> places;
    int top = folders / 10 > 0 ? folders / 10 : 1;
    for (int i = 0; i < folders; ++i) {
        std::string name = (i % 2 ? "资料夹" : "folder") + std::to_string(i);
        fs::path place = i < top ? root / name : places[static_cast<std::size_t>(i % top)] / name;
        fileSystem().createDirectories(place);
        places.push_back(place);
    }
    long long mean = bytes / files;
    std::string block(static_cast<std::size_t>(mean * 2), 'x');
    for (int i = 0; i < files; ++i) {
        long long size = mean / 2 + (i * 7919LL) % mean;
        std::string name = (i % 3 ? "文档" : "doc") + std::to_string(i) + ".txt";
        put(places[static_cast<std::size_t>(i % folders)] / name,
            block.substr(0, static_cast<std::size_t>(size)));
    }
}

class YesPrompt : public app::Prompt {
public:
    void show(const std::string&, app::MessageIcon) override {}
    app::Answer ask(const std::string&, app::MessageIcon, app::Buttons) override {
        return app::Answer::Yes;
    }
};

class QuietProgress : public ops::WalkProgress {
public:
    void status(const std::string&) override {}
    void done() override {}
};

void runCopy(const fs::path& from, const fs::path& to) {
    std::string command = "cp -r '" + from.string() + "' '" + to.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::exit(1);
    }
}

void check(const ops::OperationResult& result, const char* what) {
    if (!result.ok()) {
        std::fprintf(stderr, "%s failed: %d\n", what, result.code);
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    int files = argument(argc, argv, "--files", 10000);
    int runs = argument(argc, argv, "--runs", 3);
    int folders = argument(argc, argv, "--folders", 200);
    long long mebibytes = argument(argc, argv, "--mib", 100);
    fs::path work = fs::temp_directory_path() / ("import_bench-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::path source = work / "源 tree";
    std::printf("generating %d files in %d folders, %lld MiB...\n", files, folders, mebibytes);
    generate(source, files, folders, mebibytes << 20);
    fileSystem().flushFileSystem(work);
    runCopy(source, work / "warm");

    auto place = [&work](const char* what, int run) {
        return work / (std::string(what) + "-" + std::to_string(run));
    };
    double baseline = fastest(runs, [&](int run) { runCopy(source, place("copied", run)); });
    double synced = fastest(runs, [&](int run) {
        runCopy(source, place("copied-synced", run));
        fileSystem().flushFileSystem(work);
    });

    store::RecordingChangeSink sink;
    store::KnowledgeStore base(fileSystem(), sink);
    if (base.open(work / "base") != 0) {
        return 1;
    }
    auto newCategory = [&base](const std::string& name) {
        auto holder = std::make_unique<store::CategoryRecord>();
        holder->values.setValue(store::category::kName, name);
        store::CategoryRecord* made = holder.get();
        if (base.categories().add(std::move(holder), base.categories().root()) != 0) {
            std::exit(1);
        }
        return made;
    };
    YesPrompt prompt;
    QuietProgress progress;
    ops::OperationContext context{base, fileSystem(), prompt};
    std::vector<store::CategoryRecord*> importParents;
    std::vector<store::CategoryRecord*> linkParents;
    for (int run = 0; run < runs; ++run) {
        importParents.push_back(newCategory("imports " + std::to_string(run)));
        linkParents.push_back(newCategory("links " + std::to_string(run)));
    }
    long long importedId = 0;
    double importing = fastest(runs, [&](int run) {
        ops::OperationResult imported = ops::importFolder(
            context, *importParents[static_cast<std::size_t>(run)], {source, progress}, true);
        check(imported, "import");
        importedId = imported.id;
    });
    double linking = fastest(runs, [&](int run) {
        check(ops::linkFolder(context, *linkParents[static_cast<std::size_t>(run)],
                              {source, progress}),
              "link");
    });
    store::CategoryRecord* tree = base.categories().find(importedId);
    double exporting = fastest(runs, [&](int run) {
        check(ops::exportCategory(context, *tree, place("exported", run), ops::SubLevels::Include),
              "export");
    });
    std::printf("baseline (cp -r of the tree) %.3f s; cp -r and a flush to disk %.3f s\n", baseline,
                synced);
    std::printf("import  %.3f s, ratio %.2f (target <= 1.5); %.2f against cp -r and a flush\n",
                importing, importing / baseline, importing / synced);
    std::printf("link    %.3f s, ratio %.2f (target <= 0.5)\n", linking, linking / baseline);
    std::printf("export  %.3f s, ratio %.2f (target <= 1.5); %.2f against cp -r and a flush\n",
                exporting, exporting / baseline, exporting / synced);
    fs::remove_all(work);
    return 0;
}
