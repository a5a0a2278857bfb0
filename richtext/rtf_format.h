#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Facts of the rich-text format that its reader and its writer share.
namespace tarnel::richtext {

// Every rich-text file begins with these bytes; a file that does not is plain text.
inline constexpr std::string_view kRtfSignature = "{\\rtf";

inline constexpr bool hasRtfSignature(std::string_view bytes) {
    return bytes.substr(0, kRtfSignature.size()) == kRtfSignature;
}

// The value of a hexadecimal digit (either case), -1 for any other byte; \'hh escapes and picture
// data are read with it.
inline constexpr std::array<std::int8_t, 256> kHexDigitValues = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i) {
        table['0' + i] = static_cast<std::int8_t>(i);
    }
    for (int i = 0; i < 6; ++i) {
        table['a' + i] = static_cast<std::int8_t>(10 + i);
        table['A' + i] = static_cast<std::int8_t>(10 + i);
    }
    return table;
}();

inline constexpr int hexDigitValue(char c) {
    return kHexDigitValues[static_cast<unsigned char>(c)];
}

// Our own ignorable destination, written just before the picture it belongs to: the GIF file of
// an animated picture, in hexadecimal. Other readers pass over it and show the picture.
inline constexpr std::string_view kAnimationDestination = "tarnelgif";

inline constexpr int kCodePageAnsi = 1252;
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCharsetAnsi = 0;
inline constexpr int kCharsetDefault = 1;
inline constexpr int kCharsetSymbol = 2;
inline constexpr int kCharsetGb2312 = 134;

// The Windows code page of a font's \fcharset; 0 when the charset names none (default, symbol,
// unknown), so that the document's code page applies.
inline constexpr int codePageOfCharset(int charset) {
    switch (charset) {
    case kCharsetAnsi:
        return kCodePageAnsi;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case kCharsetGb2312:
        return kCodePageGbk;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

// The bullet of a bulleted paragraph: U+2022 in the Symbol font is its byte 0xB7.
inline constexpr char kSymbolBullet = '\xB7';
inline constexpr std::string_view kSymbolFontName = "Symbol";

// \levelnfc values of list levels.
inline constexpr int kLevelDecimal = 0;
inline constexpr int kLevelUpperRoman = 1;
inline constexpr int kLevelLowerRoman = 2;
inline constexpr int kLevelUpperLetter = 3;
inline constexpr int kLevelLowerLetter = 4;
inline constexpr int kLevelBullet = 23;
inline constexpr int kLevelNone = 255;

} // namespace tarnel::richtext
