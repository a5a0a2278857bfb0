#include "cli/json_writer.h"

#include "platform/codepage.h"

#include <cstdio>

namespace tarnel::cli {
namespace {

void dumpString(const std::string& raw, std::string& out) {
    std::string text =
        platform::isValidUtf8(raw) ? raw : platform::gbToUtf8(platform::utf8ToGb(raw));
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

} // namespace

Json& Json::set(const std::string& key, Json value) {
    if (!std::holds_alternative<Object>(m_value)) {
        m_value = Object{};
    }
    auto& members = std::get<Object>(m_value);
    for (auto& member : members) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    members.emplace_back(key, std::move(value));
    return *this;
}

Json& Json::push(Json value) {
    if (!std::holds_alternative<Array>(m_value)) {
        m_value = Array{};
    }
    std::get<Array>(m_value).push_back(std::move(value));
    return *this;
}

std::string Json::dump() const {
    std::string out;
    dumpTo(out);
    return out;
}

void Json::dumpTo(std::string& out) const {
    if (std::holds_alternative<std::nullptr_t>(m_value)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&m_value)) {
        out += *b ? "true" : "false";
    } else if (const std::int64_t* n = std::get_if<std::int64_t>(&m_value)) {
        out += std::to_string(*n);
    } else if (const std::string* s = std::get_if<std::string>(&m_value)) {
        dumpString(*s, out);
    } else if (const Array* a = std::get_if<Array>(&m_value)) {
        out += '[';
        for (std::size_t i = 0; i < a->size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            (*a)[i].dumpTo(out);
        }
        out += ']';
    } else {
        const auto& members = std::get<Object>(m_value);
        out += '{';
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            dumpString(members[i].first, out);
            out += ':';
            members[i].second.dumpTo(out);
        }
        out += '}';
    }
}

} // namespace tarnel::cli
