#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A large rich-text document for the benchmarks, generated from a fixed seed: Chinese text as GBK
// bytes (\'hh) and as \uN with fallback bytes, English text, bold, italic, underlined, coloured
// runs in two fonts, aligned and bulleted paragraphs and pictures in hexadecimal (about one
// paragraph in forty has one). The table-heavy kind holds mostly tables in Word's form (some with
// merged cells, some nested in cells) between items of a three-level list.
namespace tarnel::bench {

enum class GeneratedKind { Paragraphs, Tables };

// The pictures' bytes are taken in turn from pictures, each a PNG or JPEG file; without any, they
// are random bytes behind a PNG or JPEG signature.
std::string generatedRtf(std::size_t targetBytes, GeneratedKind kind = GeneratedKind::Paragraphs,
                         const std::vector<std::string>& pictures = {});

} // namespace tarnel::bench
