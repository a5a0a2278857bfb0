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

} // namespace

std::string dump(const Document& document) {
    std::string out;
    for (const Paragraph& paragraph : document.paragraphs) {
        out += "P";
        if (paragraph.alignment != Alignment::Left) {
            out += std::string(" ") + alignmentName(paragraph.alignment);
        }
        if (paragraph.list != ListKind::None) {
            out += std::string(" ") + listName(paragraph.list);
        }
        if (paragraph.leftIndent != 0 || paragraph.firstLineIndent != 0 ||
            paragraph.rightIndent != 0) {
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
                out += std::string(" <") + pictureName(picture.format) + " " +
                       std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                       " goal=" + std::to_string(picture.goalWidth) + "x" +
                       std::to_string(picture.goalHeight) +
                       " bytes=" + std::to_string(picture.data.size()) +
                       (picture.animation.empty()
                            ? std::string()
                            : " gif=" + std::to_string(picture.animation.size())) +
                       ">";
            }
        }
        out += "\n";
    }
    return out;
}

} // namespace tarnel::richtext::test
