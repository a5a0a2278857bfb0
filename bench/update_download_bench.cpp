// An update's download of one large file from a server on 127.0.0.1 through the update
// downloader, against `curl -o` of the same address in the same run (target: at most 1.3x), and
// the downloader's memory growth over the transfer (target: under 32 MiB).
//
//   update_download_bench [--mib N] [--rounds N]
//
// The server streams a fixed pattern, so it holds no copy of the file. The downloader fetches as
// the update does (a changed file of known size, resumable, a progress callback per piece) and,
// to rename only a whole file, flushes it to disk before the rename; curl does not, so the
// downloader is set against `curl -o` alone and against `curl -o` and a flush. Each figure is
// the best of its rounds, each round starting with nothing dirty in the page cache. On a shared
// machine the wall clock wanders, so the processor time that the downloading thread spends (in
// the kernel too) is set against curl's as well.
#include "bench/bench_base.h"
#include "platform/file_system.h"
#include "update/downloader.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <httplib.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tarnel;

namespace {

constexpr std::size_t kPatternSize = 1 << 20;

int argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return std::atoi(argv[i + 1]);
        }
    }
    return fallback;
}

double seconds(const std::function<void()>& work) {
    ::sync();
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double processorSeconds(const timeval& user, const timeval& system) {
    return static_cast<double>(user.tv_sec + system.tv_sec) +
           static_cast<double>(user.tv_usec + system.tv_usec) * 1e-6;
}

// The processor seconds that the programs the work runs spend.
double childSeconds(const std::function<void()>& work) {
    rusage before{};
    rusage after{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    work();
    ::getrusage(RUSAGE_CHILDREN, &after);
    return processorSeconds(after.ru_utime, after.ru_stime) -
           processorSeconds(before.ru_utime, before.ru_stime);
}

// A "Vm...:" line of /proc/self/status in KiB; 0 when missing.
long long statusKib(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atoll(line.c_str() + std::strlen(key));
        }
    }
    return 0;
}

// Starts the peak resident size afresh from the current one.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Serves "/file" of the given size and "/warm" of one pattern, from one pattern buffer.
class PatternServer {
public:
    explicit PatternServer(std::uint64_t size) : m_pattern(kPatternSize, '\0') {
        for (std::size_t i = 0; i < m_pattern.size(); ++i) {
            m_pattern[i] = static_cast<char>((i * 7919) >> 3);
        }
        serve("/file", size);
        serve("/warm", kPatternSize);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~PatternServer() {
        m_server.stop();
        m_thread.join();
    }

    std::string address(const char* path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    void serve(const char* path, std::uint64_t size) {
        m_server.Get(path, [this, size](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                size, "application/octet-stream",
                [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                    std::size_t start = offset % kPatternSize;
                    return sink.write(m_pattern.data() + start,
                                      std::min(length, kPatternSize - start));
                });
        });
    }

    std::string m_pattern;
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

void runCurl(const std::string& address, const fs::path& target) {
    std::string command = "curl -s -f -o '" + target.string() + "' '" + address + "'";
    if (std::system(command.c_str()) != 0) {
        fail("curl failed");
    }
}

struct Measured {
    double seconds = 0;
    double processor = 0;
    long long growthKib = 0;
};

Measured download(update::Downloader& downloader, const std::string& address,
                  const fs::path& target, std::uint64_t size) {
    std::atomic<int> percent{0};
    update::DownloadRequest request;
    request.address = address;
    request.target = target;
    request.maxBytes = size;
    request.expectedSize = size;
    request.resumable = true;
    request.progress = [&](std::uint64_t received, std::int64_t) {
        percent = static_cast<int>(received * 100 / size);
    };
    platform::realFileSystem().removeFile(target);
    Measured measured;
    long long before = statusKib("VmRSS:");
    resetPeakMemory();
    update::DownloadResult result;
    measured.seconds = seconds([&] {
        measured.processor = bench::threadSeconds([&] { result = downloader.download(request); });
    });
    measured.growthKib = statusKib("VmHWM:") - before;
    if (!result.ok() || percent != 100) {
        fail("the downloader failed");
    }
    return measured;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t size = static_cast<std::uint64_t>(argument(argc, argv, "--mib", 256)) << 20;
    int rounds = std::max(1, argument(argc, argv, "--rounds", 5));
    fs::path work =
        fs::temp_directory_path() / ("update_download_bench-" + std::to_string(::getpid()));
    const platform::FileSystem& fileSystem = platform::realFileSystem();
    fileSystem.removeAll(work);
    if (fileSystem.createDirectories(work) != 0) {
        fail("cannot create the work folder");
    }
    // No proxy between the programs and the server.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
        ::unsetenv(name);
    }
    PatternServer server(size);
    update::Downloader downloader;
    // Connections, buffers and the network layer are set up before anything is measured.
    download(downloader, server.address("/warm"), work / "warm", kPatternSize);
    runCurl(server.address("/warm"), work / "warm-curl");

    double curl = 1e9;
    double curlProcessor = 1e9;
    double curlFlushed = 1e9;
    Measured best{1e9, 1e9, 0};
    for (int round = 0; round < rounds; ++round) {
        fileSystem.removeFile(work / "curl");
        curl = std::min(curl, seconds([&] {
                            curlProcessor =
                                std::min(curlProcessor, childSeconds([&] {
                                             runCurl(server.address("/file"), work / "curl");
                                         }));
                        }));
        fileSystem.removeFile(work / "curl");
        curlFlushed = std::min(curlFlushed, seconds([&] {
                                   runCurl(server.address("/file"), work / "curl");
                                   fileSystem.flushFileSystem(work);
                               }));
        Measured ours = download(downloader, server.address("/file"), work / "file", size);
        best.seconds = std::min(best.seconds, ours.seconds);
        best.processor = std::min(best.processor, ours.processor);
        best.growthKib = std::max(best.growthKib, ours.growthKib);
    }
    if (fileSystem.fileSize(work / "file") != size) {
        fail("the downloaded file has the wrong size");
    }
    std::printf("%llu MiB from 127.0.0.1, best of %d rounds\n",
                static_cast<unsigned long long>(size >> 20), rounds);
    std::printf("baseline (curl -o) %.3f s; curl -o and a flush to disk %.3f s\n", curl,
                curlFlushed);
    std::printf("downloader %.3f s, ratio %.2f (target <= 1.3); %.2f against curl -o and a flush\n",
                best.seconds, best.seconds / curl, best.seconds / curlFlushed);
    std::printf("processor time: downloader %.3f s, curl %.3f s, ratio %.2f\n", best.processor,
                curlProcessor, best.processor / curlProcessor);
    std::printf("memory growth %.1f MiB (target < 32)\n",
                static_cast<double>(best.growthKib) / 1024.0);
    fileSystem.removeAll(work);
    return 0;
}
