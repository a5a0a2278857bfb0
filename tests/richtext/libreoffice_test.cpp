#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "tests/richtext/fixture.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

// Compatibility with LibreOffice: LibreOffice opens our writer's output and saves it as its own
// RTF, which our reader then checks (reading LibreOffice's output is also tested on a fixture it
// wrote). Skipped without LibreOffice.
namespace tarnel::richtext {
namespace {

std::filesystem::path findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (!folder.empty() && std::filesystem::exists(candidate)) {
            return candidate;
        }
    }
    return {};
}

std::filesystem::path libreOffice() {
    std::filesystem::path program = findOnPath("soffice");
    return program.empty() ? findOnPath("libreoffice") : program;
}

// Each paragraph's alignment, list and runs with every format but the font, which LibreOffice
// may substitute: what has to survive a trip through LibreOffice.
// Tables as their rows of cells with their merges and blocks.
void addVisibleFormats(const std::vector<Paragraph>& blocks, std::string& out) {
    for (const Paragraph& paragraph : blocks) {
        for (const Table& table : paragraph.table) {
            out += "T\n";
            for (const TableRow& row : table.rows) {
                out += "R\n";
                // LibreOffice writes cells merged across as one cell as wide as they are.
                for (const TableCell& cell : row.cells) {
                    if (cell.horizontalMerge != CellMerge::Continue) {
                        out += cell.verticalMerge == CellMerge::First      ? "C first\n"
                               : cell.verticalMerge == CellMerge::Continue ? "C below\n"
                                                                           : "C\n";
                        addVisibleFormats(cell.paragraphs, out);
                    }
                }
            }
        }
        if (paragraph.isTable()) {
            continue;
        }
        out += "P" + std::to_string(static_cast<int>(paragraph.alignment)) + "/" +
               std::to_string(static_cast<int>(paragraph.list)) + "/" +
               std::to_string(paragraph.listLevel) + ":";
        std::string previous;
        for (const Inline& item : paragraph.content) {
            if (const Picture* picture = std::get_if<Picture>(&item)) {
                out += " <picture " + std::to_string(static_cast<int>(picture->format)) + ">";
                previous.clear();
                continue;
            }
            const TextRun& run = std::get<TextRun>(item);
            const CharFormat& f = run.format;
            auto hex = [](const std::optional<Color>& c) {
                return c ? std::to_string(c->red) + "." + std::to_string(c->green) + "." +
                               std::to_string(c->blue)
                         : std::string("-");
            };
            std::string format = std::to_string(f.sizeHalfPoints) + (f.bold ? "b" : "") +
                                 (f.italic ? "i" : "") + (f.underline ? "u" : "") +
                                 (f.strikeThrough ? "s" : "") + " " + hex(f.color) + " " +
                                 hex(f.background) + " " + f.link.str();
            if (format != previous) {
                out += " [" + format + "]";
                previous = format;
            }
            out += run.text;
        }
        out += "\n";
    }
}

std::string visibleFormats(const Document& document) {
    std::string out;
    addVisibleFormats(document.paragraphs, out);
    return out;
}

TextRun run(std::string text, CharFormat format) {
    return TextRun{std::move(format), std::move(text)};
}

Document featureDocument() {
    CharFormat plain;
    plain.font = "DejaVu Sans";
    CharFormat bold = plain;
    bold.bold = true;
    CharFormat italicUnderlined = plain;
    italicUnderlined.italic = true;
    italicUnderlined.underline = true;
    CharFormat coloured = plain;
    coloured.color = Color{255, 0, 0};
    coloured.background = Color{255, 255, 0};
    coloured.sizeHalfPoints = 32;
    CharFormat struck = plain;
    struck.strikeThrough = true;
    Picture picture;
    picture.data = test::fixtureBytes("dot.png");
    picture.width = 2;
    picture.height = 2;
    picture.goalWidth = 300;
    picture.goalHeight = 300;
    Paragraph title;
    title.alignment = Alignment::Center;
    title.content = {run("标题 Title", bold)};
    Paragraph body;
    body.content = {run("普通 plain ", plain), run("斜体 italic", italicUnderlined),
                    run(" 红色 red", coloured), run(" 删除 gone", struck)};
    Paragraph first;
    first.list = ListKind::Bullet;
    first.content = {run("第一 first", plain)};
    Paragraph second = first;
    second.content = {run("第二 second", plain)};
    Paragraph pictured;
    pictured.alignment = Alignment::Right;
    pictured.content = {run("图 picture ", plain), picture};
    first.listId = 1;
    second.listId = 1;
    Paragraph deeper = first;
    deeper.list = ListKind::LowerLetter;
    deeper.listLevel = 1;
    deeper.content = {run("下一级 deeper", plain)};
    Paragraph deepest = first;
    deepest.list = ListKind::LowerRoman;
    deepest.listLevel = 2;
    deepest.content = {run("第三级 deepest", plain)};
    // A 2 x 4 table whose second row is one merged cell, with a table nested in its first cell and
    // the second column's cell of the third row merged down into the fourth.
    auto cell = [&](int right, std::string text) {
        TableCell out;
        out.rightBoundary = right;
        Paragraph paragraph;
        if (!text.empty()) {
            paragraph.content = {run(std::move(text), plain)};
        }
        out.paragraphs = {paragraph};
        return out;
    };
    TableRow nestedRow;
    nestedRow.cells = {cell(1000, "内 n1"), cell(2000, "内 n2")};
    Paragraph nested;
    nested.table.push_back(Table{{nestedRow}});
    TableRow top;
    top.cells = {cell(2880, "甲 A"), cell(5760, "乙 B")};
    top.cells[0].paragraphs.insert(top.cells[0].paragraphs.begin(), nested);
    TableRow bottom;
    bottom.cells = {cell(2880, "丙 C"), cell(5760, "")};
    bottom.cells[0].horizontalMerge = CellMerge::First;
    bottom.cells[1].horizontalMerge = CellMerge::Continue;
    TableRow third;
    third.cells = {cell(2880, "丁 D"), cell(5760, "己 F")};
    third.cells[1].verticalMerge = CellMerge::First;
    TableRow fourth;
    fourth.cells = {cell(2880, "戊 E"), cell(5760, "")};
    fourth.cells[1].verticalMerge = CellMerge::Continue;
    Paragraph table;
    table.table.push_back(Table{{top, bottom, third, fourth}});
    Document document;
    document.paragraphs = {title,  body,     first, deeper,     deepest,
                           second, pictured, table, Paragraph{}};
    return document;
}

TEST(LibreOfficeTest, OpensOurOutputWithTextAndFormatsIntact) {
    std::filesystem::path program = libreOffice();
    if (program.empty()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    tarnel::test::TempDir dir;
    Document document = featureDocument();
    tarnel::test::writeBytes(dir / "ours.rtf", RtfWriter().write(document));
    std::filesystem::create_directory(dir / "out");
    tarnel::test::ProcessResult result = tarnel::test::runProcess(
        program,
        {"-env:UserInstallation=file://" + (dir / "profile").string(), "--headless", "--convert-to",
         "rtf", "--outdir", (dir / "out").string(), (dir / "ours.rtf").string()},
        dir.path());
    ASSERT_EQ(result.exitCode, 0) << result.err;

    ReadResult ours = RtfReader().read(tarnel::test::readBytes(dir / "out/ours.rtf"));
    EXPECT_EQ(ours.status, ReadStatus::Complete) << ours.message;
    EXPECT_EQ(visibleFormats(ours.document), visibleFormats(document));
}

} // namespace
} // namespace tarnel::richtext
