// The conversion of older bases, each against a baseline measured in the same run:
//   - a 201 base (10,000 categories, 200,000 points with their content files) against reading,
//     XOR-decoding and writing (atomically, as the conversion does) as many index bytes in as many
//     files (target: at most 3x);
//   - a 150 base with 200 MiB of content in its per-source folder against `cp -r` of that folder
//     (target: at most 1.5x), and, to show the disk's share, against that copy followed by a
//     sync, since the conversion makes its copies last before it commits.
//
//   legacy_convert_bench [--categories N] [--points N] [--content-mib N]
//
// Each base is generated into a fresh temporary folder first and flushed to disk; generation is
// not measured.
#include "app/prompt.h"
#include "platform/codepage.h"
#include "platform/file_system.h"
#include "store/legacy_conversion.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
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

std::string word(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string olderFile(std::uint32_t version, const std::vector<std::vector<std::string>>& records,
                      std::uint32_t marker = 0) {
    std::string out =
        word(marker) + word(version) + word(static_cast<std::uint32_t>(records.size()));
    for (const auto& fields : records) {
        std::string text;
        for (const std::string& field : fields) {
            text += field + '\x08';
        }
        out += static_cast<char>(text.size() >> 8);
        out += static_cast<char>(text.size() & 0xFF);
        for (unsigned char c : text) {
            out += static_cast<char>(c ^ 0x5D);
        }
    }
    return out;
}

void put(const fs::path& path, const std::string& bytes) {
    fileSystem().createDirectories(path.parent_path());
    if (fileSystem().writeFileAtomic(path, bytes) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// The older files hold their texts in GB18030; folders and files on disk are named in UTF-8.
std::string gb(const std::string& utf8) {
    return platform::utf8ToGb(utf8);
}

std::vector<std::string> category(long long id, long long parent, long long previous,
                                  long long next, const std::string& name) {
    return {std::to_string(id),
            std::to_string(parent),
            std::to_string(previous),
            std::to_string(next),
            "0",
            "0",
            "0",
            name,
            "2009-01-02 03:04:05",
            "2009-02-03 04:05:06",
            gb("备注 memo"),
            "0",
            "text",
            "7",
            "-1",
            "-1",
            "0",
            ""};
}

std::vector<std::string> point(long long id, long long categoryId, const std::string& name,
                               const std::string& type, std::size_t size) {
    return {std::to_string(id),
            std::to_string(categoryId),
            "0",
            std::to_string(size),
            "1",
            "2",
            name,
            type,
            gb("来源"),
            "2009-03-04 05:06:07",
            "2009-04-05 06:07:08",
            "9",
            "t",
            "-1",
            "-1",
            "0",
            "0",
            "1"};
}

// Ten top-level categories, each holding a chain of sub-categories ten deep, repeated.
void generate201(const fs::path& data, int categories, int points) {
    std::vector<std::vector<std::string>> records;
    std::vector<fs::path> folders(static_cast<std::size_t>(categories) + 1);
    fs::path root = data / "Resource" / "分类列表";
    for (long long id = 1; id <= categories; ++id) {
        long long parent = id % 10 == 1 ? 0 : id - 1;
        std::string name = "分类 " + std::to_string(id);
        records.push_back(category(id, parent, 0, 0, gb(name)));
        folders[id] = (parent ? folders[parent] : root) / name;
        fs::create_directories(folders[id]);
    }
    put(data / "Index" / "kms.cls", olderFile(201, records));
    put(data / "Index" / "kms.ids",
        olderFile(201, {{std::to_string(categories), std::to_string(points), "0", "0"}}));
    const std::string content(2048, 'x');
    long long next = 1;
    for (long long id = 1; id <= categories; ++id) {
        std::vector<std::vector<std::string>> list;
        for (int i = 0; i < points / categories; ++i, ++next) {
            std::string name = "知识点 " + std::to_string(next);
            list.push_back(point(next, id, gb(name), "rtf", content.size()));
            std::FILE* file = std::fopen((folders[id] / (name + ".rtf")).c_str(), "wb");
            std::fwrite(content.data(), 1, content.size(), file);
            std::fclose(file);
        }
        put(data / "Index" / (std::to_string(id) + ".cps"), olderFile(201, list));
    }
}

void generate150(const fs::path& data, int mebibytes) {
    put(data / "0" / "kms.cls", olderFile(150, {category(1, 0, 0, 0, gb("文档"))}));
    std::vector<std::vector<std::string>> list;
    std::string content(1 << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 131 % 251);
    }
    for (int id = 1; id <= mebibytes; ++id) {
        list.push_back(point(id, 1, gb("文档 " + std::to_string(id)), "", content.size()));
        put(data / "0" / (std::to_string(id) + ".pcr"), content);
    }
    put(data / "0" / "1.pts", olderFile(150, list));
}

class QuietPrompt : public app::Prompt {
public:
    void show(const std::string& text, app::MessageIcon) override { m_last = text; }
    app::Answer ask(const std::string&, app::MessageIcon, app::Buttons) override {
        return app::Answer::Cancel;
    }
    const std::string& last() const { return m_last; }

private:
    std::string m_last;
};

// Generated files reach the disk before anything is measured, so that neither side of a
// comparison waits for the flushing of files it did not write.
void settle() {
    ::sync();
}

// The files of an older base were written long before it is converted; the conversion takes the
// identity of such a file (inode, size, time stamps) as proof that its backup is unchanged, and
// reads again only files changed within a few seconds of being copied.
void age() {
    ::sleep(4);
}

double seconds(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double convert(const fs::path& data) {
    QuietPrompt prompt;
    store::SilentProgress progress;
    store::ConversionResult result;
    double time = seconds([&] {
        result = store::convertOlderBase({fileSystem(), data, 0, 0}, prompt, progress);
    });
    if (result.outcome != store::ConversionOutcome::Converted) {
        std::fprintf(stderr, "conversion failed: %s\n", prompt.last().c_str());
        std::exit(1);
    }
    return time;
}

// Reads, XOR-decodes and writes back atomically every file of the folder.
double decodeAndWrite(const fs::path& from, const fs::path& to, std::uint64_t& bytes) {
    fs::create_directories(to);
    return seconds([&] {
        int err = 0;
        for (const auto& entry : fileSystem().listDirectory(from, err)) {
            std::string data;
            fileSystem().readFile(from / entry.name, data);
            for (char& c : data) {
                c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x5D);
            }
            bytes += data.size();
            fileSystem().writeFileAtomic(to / entry.name, data);
        }
    });
}

int argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == name) {
            return std::atoi(argv[i + 1]);
        }
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int categories = argument(argc, argv, "--categories", 10000);
    int points = argument(argc, argv, "--points", 200000);
    int mebibytes = argument(argc, argv, "--content-mib", 200);
    fs::path work =
        fs::temp_directory_path() / ("legacy_convert_bench-" + std::to_string(::getpid()));
    fs::remove_all(work);

    std::printf("generating a 201 base: %d categories, %d points...\n", categories, points);
    generate201(work / "base201", categories, points);
    settle();
    std::uint64_t indexBytes = 0;
    double baseline201 = decodeAndWrite(work / "base201" / "Index", work / "decoded", indexBytes);
    double converted201 = convert(work / "base201");
    std::printf("201 base: baseline (read, XOR-decode, write %llu index bytes) %.3f s, "
                "conversion %.3f s, ratio %.2f (target <= 3)\n",
                static_cast<unsigned long long>(indexBytes), baseline201, converted201,
                converted201 / baseline201);

    std::printf("generating a 150 base with %d MiB of content...\n", mebibytes);
    fs::remove_all(work / "base201");
    fs::remove_all(work / "decoded");
    generate150(work / "base150", mebibytes);
    settle();
    age();
    std::string copy =
        "cp -r '" + (work / "base150" / "0").string() + "' '" + (work / "copied").string() + "'";
    auto copyFolder = [&] {
        if (std::system(copy.c_str()) != 0) {
            std::exit(1);
        }
    };
    double baseline150 = seconds(copyFolder);
    // The conversion flushes its file system once; the copy's files are not its to flush.
    settle();
    fs::remove_all(work / "copied");
    settle();
    // The same copy made to last, as the conversion's copies are before it commits: this part
    // is the disk's, which no copy into the page cache waits for.
    double durable150 = seconds([&] {
        copyFolder();
        settle();
    });
    double converted150 = convert(work / "base150");
    std::printf("150 base: baseline (cp -r of the per-source folder) %.3f s, conversion %.3f s, "
                "ratio %.2f (target <= 1.5)\n",
                baseline150, converted150, converted150 / baseline150);
    std::printf("150 base: cp -r then sync %.3f s, ratio of the conversion to it %.2f\n",
                durable150, converted150 / durable150);
    fs::remove_all(work);
    return 0;
}
