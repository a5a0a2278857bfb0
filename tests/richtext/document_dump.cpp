#include "tests/richtext/document_dump.h"

#include <cstdio>

namespace tarnel::richtext::test {
namespace {

std::string hexColor(const Color& color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color.red, color.green, color.blue);
    return text;
}

std::string formatText(const CharFormat& format) {
    std::string text;
    auto add = [&](const std::string& item) { text += (text.empty() ? "" : ",") + item; };
    if (!format.font.empty()) {
        add("font=" + format.font.str());
    }
    if (format.sizeHalfPoints != kDefaultFontSizeHalfPoints) {
        add("fs=" + std::to_string(format.sizeHalfPoints));
    }
    if (format.bold) {
        add("b");
    }
    if (format.italic) {
        add("i");
    }
    if (format.underline) {
        add("u");
    }
    if (format.strikeThrough) {
        add("s");
    }
    if (format.hidden) {
        add("hidden");
    }
    if (format.color) {
        add("color=" + hexColor(*format.color));
    }
    if (format.background) {
        add("bg=" + hexColor(*format.background));
    }
    if (!format.link.empty()) {
        add("link=" + format.link.str());
    }
    return text;
}

const char* alignmentName(Alignment alignment) {
    switch (alignment) {
    case Alignment::Center:
        return "center";
    case Alignment::Right:
        return "right";
    case Alignment::Justify:
        return "justify";
    default:
        return "left";
    }
}

const char* listName(ListKind kind) {
    switch (kind) {
    case ListKind::Bullet:
        return "bullet";
    case ListKind::Decimal:
        return "decimal";
    case ListKind::LowerLetter:
        return "lower-letter";
    case ListKind::UpperLetter:
        return "upper-letter";
    case ListKind::LowerRoman:
        return "lower-roman";
    case ListKind::UpperRoman:
        return "upper-roman";
    default:
        return "none";
    }
}

const char* pictureName(PictureFormat format) {
    switch (format) {
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Wmf:
        return "wmf";
    default:
        return "emf";
    }
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

std::string mergeName(CellMerge merge) {
    return merge == CellMerge::First ? "first" : "continue";
}

std::string borderText(const Border& border) {
    return std::to_string(border.width) + (border.color ? hexColor(*border.color) : "");
}

void dumpBlocks(const std::vector<Paragraph>& blocks, const std::string& indent, std::string& out);

void dumpTable(const Table& table, const std::string& indent, std::string& out) {
    out += indent + "T\n";
    for (const TableRow& row : table.rows) {
        out += indent + " R";
        if (row.height != 0) {
            out += " height=" + std::to_string(row.height);
        }
        if (row.alignment != Alignment::Left) {
            out += std::string(" ") + alignmentName(row.alignment);
        }
        if (row.leftEdge != 0 || row.cellGap != 0) {
            out += " edge=" + std::to_string(row.leftEdge) + "/" + std::to_string(row.cellGap);
        }
        out += "\n";
        for (const TableCell& cell : row.cells) {
            out += indent + "  C x=" + std::to_string(cell.rightBoundary);
            if (cell.horizontalMerge != CellMerge::None) {
                out += " h=" + mergeName(cell.horizontalMerge);
            }
            if (cell.verticalMerge != CellMerge::None) {
                out += " v=" + mergeName(cell.verticalMerge);
            }
            if (cell.top.width != 0 || cell.left.width != 0 || cell.bottom.width != 0 ||
                cell.right.width != 0) {
                out += " border=" + borderText(cell.top) + "," + borderText(cell.left) + "," +
                       borderText(cell.bottom) + "," + borderText(cell.right);
            }
            if (cell.shading) {
                out += " shading=" + hexColor(*cell.shading);
            }
            out += "\n";
            dumpBlocks(cell.paragraphs, indent + "   ", out);
        }
    }
}

void dumpParagraph(const Paragraph& paragraph, std::string& out) {
    out += "P";
    if (paragraph.alignment != Alignment::Left) {
        out += std::string(" ") + alignmentName(paragraph.alignment);
    }
    if (paragraph.list != ListKind::None) {
        out += std::string(" ") + listName(paragraph.list) + "#" + std::to_string(paragraph.listId);
        if (paragraph.listLevel != 0) {
            out += " level=" + std::to_string(paragraph.listLevel);
        }
        if (paragraph.listStart != 1) {
            out += " start=" + std::to_string(paragraph.listStart);
        }
        if (!paragraph.listNumberPrefix.empty() || paragraph.listNumberSuffix != "." ||
            paragraph.listOuterNumbers > 0) {
            out += " number=" + paragraph.listNumberPrefix;
            for (int outer = 0; outer < paragraph.listOuterNumbers; ++outer) {
                out += "N" + paragraph.listNumberJoint;
            }
            out += "N" + paragraph.listNumberSuffix;
        }
        if (!paragraph.listBullet.empty()) {
            out += " shows=" + paragraph.listBullet;
        }
    }
    if (paragraph.leftIndent != 0 || paragraph.firstLineIndent != 0 || paragraph.rightIndent != 0) {
        out += " indent=" + std::to_string(paragraph.leftIndent) + "/" +
               std::to_string(paragraph.firstLineIndent) + "/" +
               std::to_string(paragraph.rightIndent);
    }
    out += ":";
    for (const Inline& item : paragraph.content) {
        if (const TextRun* run = std::get_if<TextRun>(&item)) {
            out += " [" + formatText(run->format) + "]\"" + escaped(run->text) + "\"";
        } else {
            const Picture& picture = std::get<Picture>(item);
            out +=
                std::string(" <") + pictureName(picture.format) + " " +
                std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                " goal=" + std::to_string(picture.goalWidth) + "x" +
                std::to_string(picture.goalHeight) +
                " bytes=" + std::to_string(picture.data.size()) +
                (picture.animation.empty() ? std::string()
                                           : " gif=" + std::to_string(picture.animation.size())) +
                ">";
        }
    }
    out += "\n";
}

void dumpBlocks(const std::vector<Paragraph>& blocks, const std::string& indent, std::string& out) {
    for (const Paragraph& block : blocks) {
        for (const Table& table : block.table) {
            dumpTable(table, indent, out);
        }
        if (!block.isTable()) {
            out += indent;
            dumpParagraph(block, out);
        }
    }
}

} // namespace

std::string dump(const Document& document) {
    std::string out;
    dumpBlocks(document.paragraphs, "", out);
    return out;
}

} // namespace tarnel::richtext::test
