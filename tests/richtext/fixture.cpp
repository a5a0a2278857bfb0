#include "tests/richtext/fixture.h"

#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <stdexcept>

namespace tarnel::richtext::test {

std::filesystem::path fixturePath(const std::string& name) {
    const char* root = std::getenv("TARNEL_TEST_SOURCE_DIR");
    return std::filesystem::path(root != nullptr ? root : ".") / "tests/richtext/fixtures" / name;
}

// A missing fixture must fail its test, not quietly read as an empty file.
std::string fixtureBytes(const std::string& name) {
    const std::filesystem::path path = fixturePath(name);
    if (!std::filesystem::is_regular_file(path)) {
        throw std::runtime_error("missing fixture " + path.string() +
                                 " (is TARNEL_TEST_SOURCE_DIR the source root?)");
    }
    return tarnel::test::readBytes(path);
}

} // namespace tarnel::richtext::test
