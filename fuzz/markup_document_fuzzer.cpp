// Reads arbitrary bytes as a skin description: no input may crash, hang or leak, a failed read
// leaves nothing behind, and every query on a read document stays inside it.
#include "store/markup_document.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::store::MarkupDocument document;
    int result = document.loadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (result != tarnel::store::kMarkupOk) {
        if (result != tarnel::store::kMarkupMalformed || document.size() != 0 ||
            document.failureLine() <= 0) {
            std::abort();
        }
        return 0;
    }
    std::vector<const tarnel::store::MarkupElement*> found;
    for (std::size_t i = 0; i < document.size(); ++i) {
        const tarnel::store::MarkupElement& element = document.element(i);
        if (document.indexOf(element) != static_cast<int>(i)) {
            std::abort();
        }
        tarnel::store::MarkupDocument::attributeOf(element, "id");
        found.clear();
        document.descendantsOf(element, false, found);
        if (found.size() != static_cast<std::size_t>(element.childCount())) {
            std::abort();
        }
    }
    found.clear();
    document.findElements("bitmap", nullptr, -1, found);
    return 0;
}
