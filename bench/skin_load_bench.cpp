// Loading a skin folder into the main window against decoding the same picture files with
// QImageReader, in one run (run by hand; not part of ctest). Usage: skin_load_bench [SKIN_FOLDER]
// (default: a generated skin of the default skin's sizes). Prints the ratio of our processor time
// to the baseline's, the best of 20 runs each; the target is at most 1.5.
#include "app/prompt.h"
#include "app/settings.h"
#include "lustra/image_mgr.h"
#include "ui/main_frame.h"
#include "ui/skin/skin_keys.h"

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tarnel;

// The processor time of this thread: the machine may be shared, and waiting for the processor
// is no cost of either side.
struct Clock {
    using time_point = double;
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    }
};

constexpr int kRuns = 20;
constexpr double kTarget = 1.5;

// Counts the messages a load shows; a benchmark of a skin that fails measures nothing useful.
class CountingPrompt : public app::Prompt {
public:
    void show(const std::string& text, app::MessageIcon) override {
        ++shown;
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    app::Answer ask(const std::string&, app::MessageIcon, app::Buttons) override {
        return app::Answer::Cancel;
    }
    int shown = 0;
};

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// A picture with some detail, so that decoding it costs what a drawn picture costs.
void writePicture(const fs::path& file, int width, int height, std::mt19937& random) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int stroke = 0; stroke < 6; ++stroke) {
        painter.setPen(QPen(QColor::fromRgb(random() & 0xFFFFFF), 1.5));
        painter.drawLine(int(random() % width), int(random() % height), int(random() % width),
                         int(random() % height));
    }
    painter.end();
    image.save(QString::fromStdString(file.string()), "PNG");
}

QSize sizeOf(std::string_view key) {
    if (key.starts_with("IMG_READ_PANE")) {
        return {256, 32};
    }
    if (key == "IMG_EXPAND" || key == "IMG_COLLAPSE") {
        return {9, 9};
    }
    if (key.starts_with("IMG_CHECK_")) {
        return {13, 13};
    }
    if (key == "IMG_BIG_WARNING_TIP") {
        return {32, 32};
    }
    if (key.starts_with("IMG_MIN") || key.starts_with("IMG_MAX") || key.starts_with("IMG_CLOSE")) {
        return {24, 20};
    }
    return {16, 16};
}

// A skin laid out as the default skin: one picture per key, "skin.xml" naming each IMG_ file.
void generateSkin(const fs::path& folder) {
    using namespace ui::skin;
    std::mt19937 random(14);
    fs::create_directories(folder / kImagesFolder);
    std::string images = "[ICON]\r\n";
    for (std::string_view key : kIconKeys) {
        images += std::string(key) + "=" + std::string(key) + ".png\r\n";
        writePicture(folder / kImagesFolder / (std::string(key) + ".png"), 16, 16, random);
    }
    images += "[BITMAP]\r\n";
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<skin>\r\n";
    for (std::size_t i = 0; i < kBitmapKeys.size(); ++i) {
        const std::string file = std::string(kBitmapKeys[i]) + ".png";
        images += std::string(kBitmapKeys[i]) + "=" + file + "\r\n";
        xml += "<bitmap path=\"skin/default/images/" + file + "\"><image id=\"" +
               std::to_string(i) + "\"/></bitmap>\r\n";
        QSize size = sizeOf(kBitmapKeys[i]);
        writePicture(folder / kImagesFolder / file, size.width(), size.height(), random);
    }
    writeText(folder / kImagesIniFile, images);
    writeText(folder / kSkinXmlFile, xml + "</skin>\r\n");
    writeText(folder / kColourFile, "[MAIN_COLOR]\r\nBASE_COLOR=15780020\r\n");
    writeText(folder / kProfileFile, "[INTRODUCE]\r\nSKIN_NAME=bench\r\n");
}

// Every picture file of the skin, once each: what the baseline decodes.
std::vector<fs::path> pictureFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder / "images")) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    return files;
}

double millisecondsSince(Clock::time_point start) {
    return Clock::now() - start;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const fs::path work =
        fs::temp_directory_path() / ("skin_load_bench." + std::to_string(getpid()));
    fs::path source = argc > 1 ? fs::path(argv[1]) : work / "generated";
    if (argc <= 1) {
        generateSkin(source);
    }
    // Every run loads its own copy, under a path the image manager has not seen: a load whose
    // pictures are all registered already would measure nothing but lookups.
    std::vector<fs::path> programs;
    for (int run = 0; run <= kRuns; ++run) {
        fs::path program = work / ("program" + std::to_string(run));
        fs::create_directories(program / "skin");
        fs::copy(source, program / "skin/default", fs::copy_options::recursive);
        programs.push_back(program);
    }
    // Both sides read files the system has cached: each copy is read once before timing.
    for (const fs::path& program : programs) {
        for (const auto& entry : fs::recursive_directory_iterator(program)) {
            if (entry.is_regular_file()) {
                std::ifstream in(entry.path(), std::ios::binary);
                std::string bytes((std::istreambuf_iterator<char>(in)), {});
            }
        }
    }

    CountingPrompt prompt;
    app::Settings settings;
    settings.programDirectory = programs[0];
    settings.settingsFile = programs[0] / "tarnel.ini";
    ui::CMainFrame::Services services;
    services.prompt = &prompt;
    services.builtInSkin = programs[0] / "skin/default";
    ui::CMainFrame frame(settings, QIcon(), services);
    // The first load decodes the built-in copy, once per run of the program.
    auto coldStart = Clock::now();
    frame.load_skin(false);
    const double cold = millisecondsSince(coldStart);

    double ours = 1e300;
    double baseline = 1e300;
    std::size_t decodedFiles = 0;
    for (int run = 1; run <= kRuns; ++run) {
        // A running program's image manager holds the built-in copy and a skin or two; one that
        // kept every copy of the earlier runs would make each lookup slower than it ever is.
        delete LUSTRA::CImageMgr::m_pInstance;
        LUSTRA::CImageMgr::m_pInstance = nullptr;
        settings.programDirectory = programs[0];
        frame.load_skin(false);
        settings.programDirectory = programs[static_cast<std::size_t>(run)];
        auto start = Clock::now();
        frame.load_skin(false);
        ours = std::min(ours, millisecondsSince(start));

        std::vector<fs::path> files =
            pictureFiles(programs[static_cast<std::size_t>(run)] / "skin/default");
        start = Clock::now();
        for (const fs::path& file : files) {
            QImageReader reader(QString::fromStdString(file.string()));
            QImage picture = reader.read();
            decodedFiles += picture.isNull() ? 0 : 1;
        }
        baseline = std::min(baseline, millisecondsSince(start));
    }
    const double ratio = ours / baseline;
    std::printf("skin folder: %s (%zu pictures decoded per run)\n", source.string().c_str(),
                decodedFiles / kRuns);
    std::printf("first load, with the built-in copy: %9.2f ms\n", cold);
    std::printf("%-40s %9.2f ms vs %9.2f ms  ratio %5.2f (target <= %.1f) %s\n",
                "load_skin against QImageReader", ours, baseline, ratio, kTarget,
                ratio <= kTarget ? "ok" : "OVER");
    std::printf("messages shown: %d\n", prompt.shown);
    fs::remove_all(work);
    return prompt.shown == 0 ? 0 : 1;
}
