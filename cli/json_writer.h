#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tarnel::cli {

// A JSON value built by a command and printed once as its whole output under --json. Object
// members keep the order in which they were set, so the output is stable.
class Json {
public:
    using Array = std::vector<Json>;
    using Object = std::vector<std::pair<std::string, Json>>;

    Json() = default;
    Json(std::nullptr_t) {}
    Json(bool value) : m_value(value) {}
    Json(int value) : m_value(static_cast<std::int64_t>(value)) {}
    Json(long value) : m_value(static_cast<std::int64_t>(value)) {}
    Json(long long value) : m_value(static_cast<std::int64_t>(value)) {}
    Json(unsigned value) : m_value(static_cast<std::int64_t>(value)) {}
    Json(unsigned long value) : m_value(static_cast<std::int64_t>(value)) {}
    Json(unsigned long long value) : m_value(static_cast<std::int64_t>(value)) {}
    Json(const char* value) : m_value(std::string(value)) {}
    Json(std::string value) : m_value(std::move(value)) {}

    static Json array() { return Json(Array{}); }
    static Json object() { return Json(Object{}); }

    // Sets a member of an object (replacing one of the same key) and returns the object.
    Json& set(const std::string& key, Json value);
    // Appends to an array and returns the array.
    Json& push(Json value);

    // Compact text with strings escaped for JSON; bytes that are not UTF-8 are written as U+FFFD.
    std::string dump() const;

private:
    explicit Json(Array value) : m_value(std::move(value)) {}
    explicit Json(Object value) : m_value(std::move(value)) {}

    void dumpTo(std::string& out) const;

    std::variant<std::nullptr_t, bool, std::int64_t, std::string, Array, Object> m_value;
};

} // namespace tarnel::cli
