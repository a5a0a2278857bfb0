// Opening and saving a large note in the reading area, each against its baseline in the same run:
// opening (read the file, read the rich text, carry it into a QTextDocument, lay it out) against
// QTextDocument::setPlainText of the same text laid out at the same width, and saving (carry the
// document back while the writer writes what is carried back on a thread of its own, into the
// file that replaces the old one, and keep the model, as the reading area does) against writing
// the same bytes to the same file. The targets are at most 4 and 3 times.
//
//   reading_open_save_bench [--mib N] [--repetitions N]
//
// The note (N MiB, 5 by default) is generated from a fixed seed: formatted Chinese and English
// text with PNG and JPEG pictures that decode. A table-heavy note (2 MiB by default: nested and
// merged tables between list items) is opened too, against the same baseline for its text, as a
// figure to watch: Qt lays tables out many times slower than plain lines. Each figure is the best
// of several runs.
#include "bench/rtf_document_generator.h"
#include "platform/background_release.h"
#include "platform/file_system.h"
#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "ui/rich_text_bridge.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;
using namespace tarnel;

namespace {

constexpr double kOpenTarget = 4.0;
constexpr double kSaveTarget = 3.0;
constexpr double kPageWidth = 800;

double secondsOf(const std::function<void()>& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

double bestSeconds(int repetitions, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        best = std::min(best, secondsOf(work));
    }
    return best;
}

// Photographs and screenshots of a few kilobytes to some tens, as notes hold them.
std::vector<std::string> samplePictures() {
    std::mt19937 random(7);
    std::vector<std::string> out;
    for (int i = 0; i < 8; ++i) {
        QImage image(120 + 40 * i, 90 + 20 * i, QImage::Format_RGB32);
        QPainter painter(&image);
        image.fill(QColor::fromHsv(40 * i, 120, 230));
        for (int j = 0; j < 30; ++j) {
            painter.fillRect(static_cast<int>(random() % image.width()),
                             static_cast<int>(random() % image.height()), 20, 10,
                             QColor::fromRgb(static_cast<QRgb>(random())));
        }
        painter.end();
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, i % 2 == 0 ? "PNG" : "JPEG");
        out.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return out;
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

void writeOrExit(const fs::path& path, const std::string& bytes) {
    if (platform::realFileSystem().writeFileAtomic(path, bytes) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// As the reading area saves a note: written into the replacing file while it is read back.
richtext::Document saveOrExit(const fs::path& path, const QTextDocument& document) {
    richtext::Document edited;
    if (platform::realFileSystem().writeFileAtomicInPieces(
            path, [&](const platform::FileSystem::PieceConsumer& write) {
                edited = ui::writtenFromQt(document, write);
            }) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    return edited;
}

void layOut(QTextDocument& document) {
    document.setTextWidth(kPageWidth);
    (void)document.size();
}

// Where one open and save spend their time, in milliseconds.
struct Breakdown {
    double read = 0;
    double toQt = 0;
    double layout = 0;
    double fromQt = 0;
    double write = 0;
};

Breakdown breakdown(const std::string& stored) {
    Breakdown parts;
    auto timed = [](double& into, const std::function<void()>& work) {
        auto start = std::chrono::steady_clock::now();
        work();
        into = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                   .count();
    };
    richtext::ReadResult read;
    QTextDocument document;
    richtext::Document model;
    timed(parts.read, [&] { read = richtext::RtfReader().read(stored); });
    timed(parts.toQt, [&] { ui::toQt(read.document, document); });
    timed(parts.layout, [&] { layOut(document); });
    timed(parts.fromQt, [&] { model = ui::fromQt(document); });
    timed(parts.write, [&] { (void)richtext::RtfWriter().write(model); });
    return parts;
}

struct OpenFigures {
    double plain = 0;
    double open = 0;
    std::size_t paragraphs = 0;
    qsizetype characters = 0;
};

// Opening the note in the file against setPlainText of its text, laid out alike.
OpenFigures measureOpen(const fs::path& file, int repetitions) {
    OpenFigures out;
    QString plain = QString::fromStdString(
        richtext::documentText(richtext::RtfReader().read(readOrExit(file)).document));
    out.characters = plain.size();
    out.plain = bestSeconds(repetitions, [&] {
        QTextDocument document;
        document.setPlainText(plain);
        layOut(document);
    });
    out.open = bestSeconds(repetitions, [&] {
        QTextDocument document;
        richtext::ReadResult read = richtext::RtfReader().read(readOrExit(file));
        ui::toQt(read.document, document);
        layOut(document);
        out.paragraphs = static_cast<std::size_t>(document.blockCount());
    });
    return out;
}

struct SaveFigures {
    double plain = 0;
    double save = 0;
};

// As the reading area saves: the edited model is kept and the one it replaces is given back on a
// thread of its own while the user goes on; each run waits for that before the next starts. Each
// run writes the same bytes plainly just before it, so that a slow spell of the disk, which the
// file's flush to it makes most of the baseline, weighs on both figures alike. The save comes
// second, so that the file holds its bytes at the end.
SaveFigures measureSave(const QTextDocument& opened, const std::string& saved, const fs::path& file,
                        int repetitions) {
    richtext::Document stored = ui::fromQt(opened);
    platform::BackgroundRelease released;
    SaveFigures best{1e300, 1e300};
    for (int i = 0; i < repetitions; ++i) {
        released.wait();
        best.plain = std::min(best.plain, secondsOf([&] { writeOrExit(file, saved); }));
        best.save = std::min(best.save, secondsOf([&] {
                                 released.release(std::exchange(stored, saveOrExit(file, opened)));
                             }));
    }
    return best;
}

struct Options {
    std::size_t mebibytes = 5;
    std::size_t tableMebibytes = 2;
    int repetitions = 5;
};

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (name == "--mib" && value > 0) {
            options.mebibytes = static_cast<std::size_t>(value);
        } else if (name == "--table-mib" && value > 0) {
            options.tableMebibytes = static_cast<std::size_t>(value);
        } else if (name == "--repetitions" && value > 0) {
            options.repetitions = value;
        } else {
            std::fprintf(stderr, "usage: reading_open_save_bench [--mib N] [--table-mib N] "
                                 "[--repetitions N]\n");
            std::exit(2);
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    Options options = parseOptions(argc, argv);
    const platform::FileSystem& files = platform::realFileSystem();
    fs::path folder =
        files.tempDirectory() / ("reading_open_save_bench." + std::to_string(::getpid()));
    fs::path file = folder / "note.rtf";
    if (files.createDirectories(folder) != 0) {
        std::fprintf(stderr, "cannot make %s\n", folder.c_str());
        return 1;
    }
    writeOrExit(file, bench::generatedRtf(options.mebibytes << 20, bench::GeneratedKind::Paragraphs,
                                          samplePictures()));
    std::string stored = readOrExit(file);
    OpenFigures opening = measureOpen(file, options.repetitions);

    QTextDocument opened;
    ui::toQt(richtext::RtfReader().read(stored).document, opened);
    layOut(opened);
    std::string saved = richtext::RtfWriter().write(ui::fromQt(opened));
    SaveFigures saving = measureSave(opened, saved, file, options.repetitions);
    if (readOrExit(file) != saved) {
        std::fprintf(stderr, "the bytes saved differ from the writer's whole text\n");
        return 1;
    }
    Breakdown parts = breakdown(stored);
    fs::path tableFile = folder / "tables.rtf";
    writeOrExit(tableFile, bench::generatedRtf(options.tableMebibytes << 20,
                                               bench::GeneratedKind::Tables, samplePictures()));
    OpenFigures tables = measureOpen(tableFile, options.repetitions);
    files.removeAll(folder);

    double openRatio = opening.open / opening.plain;
    double saveRatio = saving.save / saving.plain;
    std::printf("note: %.1f MiB, %zu paragraphs, %lld characters of text; saved %.1f MiB\n",
                static_cast<double>(stored.size()) / (1 << 20), opening.paragraphs,
                static_cast<long long>(opening.characters),
                static_cast<double>(saved.size()) / (1 << 20));
    std::printf("baseline, setPlainText and lay out:  %8.2f ms\n", opening.plain * 1e3);
    std::printf("open: read, bridge, lay out:         %8.2f ms  %6.2fx  (target %.0fx: %s)\n",
                opening.open * 1e3, openRatio, kOpenTarget,
                openRatio <= kOpenTarget ? "met" : "NOT met");
    std::printf("baseline, write the same bytes:      %8.2f ms\n", saving.plain * 1e3);
    std::printf("save: bridge back, write, replace:   %8.2f ms  %6.2fx  (target %.0fx: %s)\n",
                saving.save * 1e3, saveRatio, kSaveTarget,
                saveRatio <= kSaveTarget ? "met" : "NOT met");
    std::printf("one open and save in parts: read %.1f ms, into Qt %.1f ms, lay out %.1f ms, "
                "back from Qt %.1f ms, write the rich text %.1f ms\n",
                parts.read, parts.toQt, parts.layout, parts.fromQt, parts.write);
    std::printf("table-heavy note: %zu MiB, %lld characters of text\n", options.tableMebibytes,
                static_cast<long long>(tables.characters));
    std::printf("baseline, setPlainText and lay out:  %8.2f ms\n", tables.plain * 1e3);
    std::printf("open: read, bridge, lay out:         %8.2f ms  %6.2fx\n", tables.open * 1e3,
                tables.open / tables.plain);
    return openRatio <= kOpenTarget && saveRatio <= kSaveTarget ? 0 : 3;
}
