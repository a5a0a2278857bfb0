#pragma once

#include <filesystem>
#include <string>

namespace tarnel::richtext::test {

// The bytes of a file under tests/richtext/fixtures.
std::string fixtureBytes(const std::string& name);
std::filesystem::path fixturePath(const std::string& name);

} // namespace tarnel::richtext::test
