#pragma once

#include <filesystem>
#include <functional>
#include <string>

// The large generated knowledge base that the store and search benchmarks measure.
namespace tarnel::bench {

// The shape of a generated knowledge base. Points and attachments are dealt to the categories in
// turn, so a base of one category holds every point in it.
struct BaseSizes {
    int categories = 10000;
    int maxDepth = 6;
    int points = 200000;
    int attachments = 20000;
    int tags = 2000;
};

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

// A point's content file: the extension of its name (with the dot) and its bytes.
struct PointContent {
    std::string extension;
    std::string bytes;
};
// The content of the index-th point (0-based).
using ContentMaker = std::function<PointContent(int index)>;

// Every third point a web point, the others general ones, each with 64 bytes of content.
PointContent smallContent(int index);

// Generates the base into data (created when missing): categories up to maxDepth deep, tags,
// points spread over the categories in turn (every fourth with a tag), attachments. Names are
// Chinese and English words with numbers. Exits the process when the base cannot be written.
void generateBase(const std::filesystem::path& data, const BaseSizes& sizes,
                  const ContentMaker& content = smallContent);

// The wall-clock seconds the work takes.
double seconds(const std::function<void()>& work);
// The processor seconds the calling thread spends on work (in the kernel too): steadier than the
// wall clock on a machine that others share, for work that does not wait.
double threadSeconds(const std::function<void()>& work);

} // namespace tarnel::bench
