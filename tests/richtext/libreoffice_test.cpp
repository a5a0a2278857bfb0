#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "tests/richtext/fixture.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

#include <cctype>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

// Compatibility with LibreOffice: LibreOffice opens our writer's output and saves it as its own
// RTF, which our reader then checks (reading LibreOffice's output is also tested on a fixture it
// wrote); and a document LibreOffice made from HTML, read and written again by us, looks to
// LibreOffice as the HTML itself does. Skipped without LibreOffice.
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

// Converts the files in the folder to the format (a LibreOffice filter name may follow it after
// a colon) into dir/out, reading them with the input filter when one is given.
tarnel::test::ProcessResult convertWithLibreOffice(const std::filesystem::path& program,
                                                   const tarnel::test::TempDir& dir,
                                                   const std::string& format,
                                                   const std::vector<std::string>& files,
                                                   const std::string& inputFilter = {}) {
    std::vector<std::string> args = {"-env:UserInstallation=file://" + (dir / "profile").string(),
                                     "--headless"};
    if (!inputFilter.empty()) {
        args.push_back("--infilter=" + inputFilter);
    }
    args.insert(args.end(), {"--convert-to", format, "--outdir", (dir / "out").string()});
    for (const std::string& file : files) {
        args.push_back((dir / file).string());
    }
    return tarnel::test::runProcess(program, args, dir.path());
}

TEST(LibreOfficeTest, OpensOurOutputWithTextAndFormatsIntact) {
    std::filesystem::path program = libreOffice();
    if (program.empty()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    tarnel::test::TempDir dir;
    Document document = featureDocument();
    tarnel::test::writeBytes(dir / "ours.rtf", RtfWriter().write(document));
    tarnel::test::ProcessResult result = convertWithLibreOffice(program, dir, "rtf", {"ours.rtf"});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    ReadResult ours = RtfReader().read(tarnel::test::readBytes(dir / "out/ours.rtf"));
    EXPECT_EQ(ours.status, ReadStatus::Complete) << ours.message;
    EXPECT_EQ(visibleFormats(ours.document), visibleFormats(document));
}

// A tag of LibreOffice's XHTML: its name ("/p" when it closes) and the value of an attribute.
struct Tag {
    std::string name;
    std::string_view text;

    std::string attribute(std::string_view key) const {
        std::string pattern = " " + std::string(key) + "=\"";
        std::size_t at = text.find(pattern);
        if (at == std::string_view::npos) {
            return {};
        }
        at += pattern.size();
        return std::string(text.substr(at, text.find('"', at) - at));
    }
};

Tag tagAt(std::string_view xhtml, std::size_t open) {
    std::size_t close = xhtml.find('>', open);
    Tag tag;
    tag.text = xhtml.substr(open, close - open);
    std::size_t end = tag.text.find_first_of(" />", 1);
    if (end == 1 && tag.text.size() > 1 && tag.text[1] == '/') {
        end = tag.text.find_first_of(" >", 2);
    }
    tag.name = std::string(tag.text.substr(1, end == std::string_view::npos ? end : end - 1));
    return tag;
}

// Blanks and no-break spaces around a paragraph's text are LibreOffice's layout.
std::string trimmedText(std::string_view text) {
    constexpr std::string_view kNoBreakSpace = "\u00A0";
    for (;;) {
        if (text.starts_with(' ')) {
            text.remove_prefix(1);
        } else if (text.starts_with(kNoBreakSpace)) {
            text.remove_prefix(kNoBreakSpace.size());
        } else if (text.ends_with(' ')) {
            text.remove_suffix(1);
        } else if (text.ends_with(kNoBreakSpace)) {
            text.remove_suffix(kNoBreakSpace.size());
        } else {
            return std::string(text);
        }
    }
}

// A list label as shown: the number text, or the bullet alone, as LibreOffice's XHTML export
// writes a bullet with its level's suffix or with itself again, as its reading of the file had it.
std::string shownLabel(const std::string& label) {
    if (label.empty() || std::isalnum(static_cast<unsigned char>(label[0]))) {
        return label;
    }
    std::size_t length = 1;
    while (length < label.size() && (static_cast<unsigned char>(label[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return label.substr(0, length);
}

// What LibreOffice's XHTML export says of a document's body: each table (indented by its
// nesting) as its rows and cells with their spans, and each paragraph's text, a list item's with
// its depth and its label (the span floated before its text).
std::string outline(std::string_view xhtml) {
    std::string out;
    int tables = 0;
    int lists = 0;
    std::optional<std::string> paragraph;
    std::optional<std::string> label;
    bool inLabel = false;
    auto line = [&](const std::string& text) { out += std::string(2 * tables, ' ') + text + "\n"; };
    std::size_t at = xhtml.find("<body");
    while (at < xhtml.size()) {
        std::size_t open = xhtml.find('<', at);
        if (paragraph) {
            (inLabel ? *label : *paragraph) += xhtml.substr(at, open - at);
        }
        if (open == std::string_view::npos) {
            break;
        }
        Tag tag = tagAt(xhtml, open);
        at = open + tag.text.size() + 1;
        if (tag.name == "table") {
            line("T");
            ++tables;
        } else if (tag.name == "/table") {
            --tables;
        } else if (tag.name == "tr") {
            line("R");
        } else if (tag.name == "td" || tag.name == "th") {
            std::string spans = tag.attribute("colspan") + "x" + tag.attribute("rowspan");
            line(spans == "x" ? "C" : "C span " + spans);
        } else if (tag.name == "ol" || tag.name == "ul") {
            ++lists;
        } else if (tag.name == "/ol" || tag.name == "/ul") {
            --lists;
        } else if (tag.name == "p") {
            paragraph.emplace();
            label.reset();
        } else if (tag.name == "span" && paragraph && !label &&
                   tag.attribute("style").find("float:left") != std::string::npos) {
            label.emplace();
            inLabel = true;
        } else if (tag.name == "/span") {
            inLabel = false;
        } else if (tag.name == "/p" && paragraph) {
            std::string item = lists > 0 ? "L" + std::to_string(lists) + " [" +
                                               shownLabel(label.value_or("")) + "] "
                                         : "";
            line(item + "P " + trimmedText(*paragraph));
            paragraph.reset();
        }
    }
    return out;
}

// LibreOffice makes RTF of a document with cells merged across and down, a table nested in a
// cell and a list of three levels; we read it and write it again; LibreOffice reads ours as it
// reads the original.
TEST(LibreOfficeTest, ReadsOurRewriteOfItsTablesAndListsAsItReadsTheOriginal) {
    std::filesystem::path program = libreOffice();
    if (program.empty()) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    tarnel::test::TempDir dir;
    tarnel::test::writeBytes(dir / "original.html", test::fixtureBytes("libreoffice_tables.html"));
    tarnel::test::ProcessResult made = convertWithLibreOffice(
        program, dir, "rtf:Rich Text Format", {"original.html"}, "HTML (StarWriter)");
    ASSERT_EQ(made.exitCode, 0) << made.err;

    ReadResult theirs = RtfReader().read(tarnel::test::readBytes(dir / "out/original.rtf"));
    EXPECT_EQ(theirs.status, ReadStatus::Complete) << theirs.message;
    EXPECT_EQ(theirs.unkeptTableRows, 0);
    tarnel::test::writeBytes(dir / "ours.rtf", RtfWriter().write(theirs.document));
    tarnel::test::ProcessResult shown = convertWithLibreOffice(
        program, dir, "html:XHTML Writer File:UTF8", {"original.html", "ours.rtf"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;

    std::string original = outline(tarnel::test::readBytes(dir / "out/original.html"));
    for (const char* sign : {"C span 2x", "C span x2", "  T\n", "L3 ["}) {
        EXPECT_NE(original.find(sign), std::string::npos) << sign << " in\n" << original;
    }
    EXPECT_EQ(outline(tarnel::test::readBytes(dir / "out/ours.html")), original);
}

} // namespace
} // namespace tarnel::richtext
