#include "richtext/list_number.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace tarnel::richtext {
namespace {

std::string romanNumeral(int number) {
    static constexpr std::pair<int, std::string_view> kNumerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    std::string text;
    for (auto [value, numeral] : kNumerals) {
        for (; number >= value; number -= value) {
            text += numeral;
        }
    }
    return text;
}

// Beyond these, letters and roman numerals would make a label grow with the list, so the number
// is written in digits.
constexpr int kLastLetterNumber = 26 * 30;
constexpr int kLastRomanNumber = 3999;

std::string letterNumeral(int number) {
    return std::string(static_cast<std::size_t>((number - 1) / 26 + 1),
                       static_cast<char>('a' + (number - 1) % 26));
}

std::string upperCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return text;
}

} // namespace

std::string listNumber(ListKind kind, int number) {
    switch (kind) {
    case ListKind::LowerLetter:
    case ListKind::UpperLetter:
        if (number > kLastLetterNumber) {
            return std::to_string(number);
        }
        return kind == ListKind::UpperLetter ? upperCased(letterNumeral(number))
                                             : letterNumeral(number);
    case ListKind::LowerRoman:
    case ListKind::UpperRoman:
        if (number > kLastRomanNumber) {
            return std::to_string(number);
        }
        return kind == ListKind::UpperRoman ? upperCased(romanNumeral(number))
                                            : romanNumeral(number);
    default:
        return std::to_string(number);
    }
}

} // namespace tarnel::richtext
