#include "tests/richtext/fixture.h"

#include "tests/support/temp_dir.h"

#include <cstdlib>

namespace tarnel::richtext::test {

std::filesystem::path fixturePath(const std::string& name) {
    const char* root = std::getenv("TARNEL_TEST_SOURCE_DIR");
    return std::filesystem::path(root != nullptr ? root : ".") / "tests/richtext/fixtures" / name;
}

std::string fixtureBytes(const std::string& name) {
    return tarnel::test::readBytes(fixturePath(name));
}

} // namespace tarnel::richtext::test
