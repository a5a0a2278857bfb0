#pragma once

#include <filesystem>
#include <functional>

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

// Generates a base of these sizes into data (a fresh or empty folder): index files, category
// folders and a small content file per point, the same base for the same sizes on every run.
// Ends the process with a message when the base cannot be made.
void generateBase(const std::filesystem::path& data, const BaseSizes& sizes);

// The wall-clock seconds work takes.
double seconds(const std::function<void()>& work);
// The processor seconds the calling thread spends on work (in the kernel too): steadier than the
// wall clock on a machine that others share, for work that does not wait.
double threadSeconds(const std::function<void()>& work);

} // namespace tarnel::bench
