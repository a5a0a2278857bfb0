#include "store/conversion_journal.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace tarnel::store {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kPrime = 0x100000001b3ull;

// Eight bytes taken as a little-endian word, the product rotated so that every bit reaches the
// low ones.
std::uint64_t addWord(std::uint64_t hash, const char* bytes) {
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, bytes, sizeof word);
    } else {
        for (std::size_t k = 8; k-- > 0;) {
            word = word << 8 | static_cast<unsigned char>(bytes[k]);
        }
    }
    return std::rotl((hash ^ word) * kPrime, 31);
}

constexpr std::string_view kFirstLine = "tarnel-conversion-journal 1";
constexpr std::string_view kEnd = "end ";

std::string hex64(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool parseHex64(std::string_view text, std::uint64_t& value) {
    if (text.size() != 16) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseSigned(std::string_view text, std::int64_t& value) {
    if (text.empty()) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string escaped(std::string_view path) {
    std::string out;
    for (char c : path) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == '%' || byte == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

bool unescaped(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size()) {
            return false;
        }
        auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (ec != std::errc() || end != text.data() + i + 3) {
            return false;
        }
        out += static_cast<char>(value);
        i += 2;
    }
    return !out.empty();
}

const char* stateName(JournalState state) {
    switch (state) {
    case JournalState::Staging:
        return "staging";
    case JournalState::Committing:
        return "committing";
    case JournalState::Done:
        return "done";
    }
    return "";
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t end; (end = line.find(' ')) != std::string_view::npos;) {
        out.push_back(line.substr(0, end));
        line.remove_prefix(end + 1);
    }
    out.push_back(line);
    return out;
}

bool parseLine(std::string_view line, ConversionJournal& out) {
    std::vector<std::string_view> w = words(line);
    std::uint64_t number = 0;
    if (w[0] == "state" && w.size() == 2) {
        for (JournalState state :
             {JournalState::Staging, JournalState::Committing, JournalState::Done}) {
            if (w[1] == stateName(state)) {
                out.state = state;
                return true;
            }
        }
        return false;
    }
    if (w[0] == "version" && w.size() == 2 && parseNumber(w[1], number) && number <= 0xFFFFFFFFu) {
        out.version = static_cast<std::uint32_t>(number);
        return true;
    }
    if (w[0] == "tab-align" && w.size() == 2 && (w[1] == "0" || w[1] == "1")) {
        out.tabAlignDue = w[1] == "1";
        return true;
    }
    if (w[0] == "manifest" && (w.size() == 4 || w.size() == 7)) {
        ManifestEntry entry;
        if (!parseNumber(w[1], entry.size) || !parseHex64(w[2], entry.checksum) ||
            !unescaped(w[3], entry.path)) {
            return false;
        }
        if (w.size() == 7) {
            platform::FileSystem::FileIdentity identity;
            identity.size = entry.size;
            if (!parseNumber(w[4], identity.inode) || !parseSigned(w[5], identity.modifiedNs) ||
                !parseSigned(w[6], identity.changedNs)) {
                return false;
            }
            entry.identity = identity;
        }
        out.manifest.push_back(std::move(entry));
        return true;
    }
    if (w[0] == "step" && w.size() == 4 && (w[1] == "backup" || w[1] == "place")) {
        RenameStep step;
        step.kind = w[1] == "backup" ? RenameStep::Kind::Backup : RenameStep::Kind::Place;
        if (!unescaped(w[2], step.from) || !unescaped(w[3], step.to)) {
            return false;
        }
        out.steps.push_back(std::move(step));
        return true;
    }
    return false;
}

bool backupsMatchManifest(const platform::FileSystem& fileSystem, const fs::path& data,
                          const ConversionJournal& journal, StepFailure& failure) {
    for (const ManifestEntry& entry : journal.manifest) {
        fs::path where;
        for (const RenameStep& step : journal.steps) {
            if (step.kind == RenameStep::Kind::Backup && entry.path.starts_with(step.from + "/")) {
                where = data / step.to / entry.path.substr(step.from.size() + 1);
            }
        }
        if (where.empty()) {
            continue;
        }
        platform::FileSystem::FileIdentity identity;
        if (entry.identity && fileSystem.fileIdentity(where, identity) == 0 &&
            identity == *entry.identity) {
            continue;
        }
        Checksum checksum;
        std::uint64_t size = 0;
        int err = fileSystem.readChunks(where, [&](std::string_view chunk, std::uint64_t) {
            checksum.add(chunk);
            size += chunk.size();
            return true;
        });
        if (err || size != entry.size || checksum.value() != entry.checksum) {
            failure = {where, err ? platform::errorText(err) : "备份与原文件不一致"};
            return false;
        }
    }
    return true;
}

// Appending field by field rather than concatenating temporaries also keeps GCC 12's optimiser
// from reporting a false overlap (-Wrestrict) in release builds.
void appendField(std::string& text, std::string_view field) {
    text += ' ';
    text += field;
}

} // namespace

void Checksum::add(std::string_view bytes) {
    if (m_carriedSize > 0) {
        std::size_t taken = std::min(bytes.size(), sizeof m_carried - m_carriedSize);
        std::copy_n(bytes.begin(), taken, m_carried + m_carriedSize);
        m_carriedSize += taken;
        bytes.remove_prefix(taken);
        if (m_carriedSize < sizeof m_carried) {
            return;
        }
        m_hash = addWord(m_hash, m_carried);
        m_carriedSize = 0;
    }
    std::size_t whole = bytes.size() / 8 * 8;
    for (std::size_t i = 0; i < whole; i += 8) {
        m_hash = addWord(m_hash, bytes.data() + i);
    }
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(whole), bytes.end(), m_carried);
    m_carriedSize = bytes.size() - whole;
}

std::uint64_t Checksum::value() const {
    std::uint64_t hash = m_hash;
    for (std::size_t i = 0; i < m_carriedSize; ++i) {
        hash = (hash ^ static_cast<unsigned char>(m_carried[i])) * kPrime;
    }
    return hash;
}

std::uint64_t checksumOf(std::string_view bytes) {
    Checksum checksum;
    checksum.add(bytes);
    return checksum.value();
}

std::string encodeJournal(const ConversionJournal& journal) {
    std::string text(kFirstLine);
    text += '\n';
    text += std::string("state ") + stateName(journal.state) + "\n";
    text += "version " + std::to_string(journal.version) + "\n";
    text += std::string("tab-align ") + (journal.tabAlignDue ? "1" : "0") + "\n";
    for (const ManifestEntry& entry : journal.manifest) {
        text += "manifest";
        appendField(text, std::to_string(entry.size));
        appendField(text, hex64(entry.checksum));
        appendField(text, escaped(entry.path));
        if (entry.identity) {
            appendField(text, std::to_string(entry.identity->inode));
            appendField(text, std::to_string(entry.identity->modifiedNs));
            appendField(text, std::to_string(entry.identity->changedNs));
        }
        text += '\n';
    }
    for (const RenameStep& step : journal.steps) {
        text += std::string("step ") +
                (step.kind == RenameStep::Kind::Backup ? "backup " : "place ") +
                escaped(step.from) + " " + escaped(step.to) + "\n";
    }
    text += std::string(kEnd) + hex64(checksumOf(text)) + "\n";
    return text;
}

bool parseJournal(std::string_view text, ConversionJournal& out) {
    out = ConversionJournal{};
    std::size_t endLine = text.rfind(std::string("\n") + std::string(kEnd));
    if (endLine == std::string_view::npos || !text.starts_with(kFirstLine) ||
        !text.ends_with('\n')) {
        return false;
    }
    std::string_view body = text.substr(0, endLine + 1);
    std::string_view closing = text.substr(endLine + 1 + kEnd.size());
    closing.remove_suffix(1);
    std::uint64_t checksum = 0;
    if (!parseHex64(closing, checksum) || checksum != checksumOf(body)) {
        return false;
    }
    body.remove_prefix(kFirstLine.size() + 1);
    bool sawState = false;
    while (!body.empty()) {
        std::size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        sawState = sawState || line.starts_with("state ");
        if (!parseLine(line, out)) {
            out = ConversionJournal{};
            return false;
        }
        body.remove_prefix(end + 1);
    }
    return sawState;
}

std::size_t stepsDone(const platform::FileSystem& fileSystem, const fs::path& dataDirectory,
                      const ConversionJournal& journal) {
    for (std::size_t i = journal.steps.size(); i-- > 0;) {
        const RenameStep& step = journal.steps[i];
        if (!fileSystem.exists(dataDirectory / step.from) &&
            fileSystem.exists(dataDirectory / step.to)) {
            return i + 1;
        }
    }
    return 0;
}

int commitSteps(const platform::FileSystem& fileSystem, const fs::path& dataDirectory,
                const ConversionJournal& journal, StepFailure& failure) {
    bool checked = false;
    for (std::size_t i = stepsDone(fileSystem, dataDirectory, journal); i < journal.steps.size();
         ++i) {
        const RenameStep& step = journal.steps[i];
        if (step.kind == RenameStep::Kind::Place && !checked) {
            if (!backupsMatchManifest(fileSystem, dataDirectory, journal, failure)) {
                return EIO;
            }
            checked = true;
        }
        if (int err =
                fileSystem.renameNoReplace(dataDirectory / step.from, dataDirectory / step.to)) {
            failure = {dataDirectory / step.from, platform::errorText(err)};
            return err;
        }
    }
    return 0;
}

int undoSteps(const platform::FileSystem& fileSystem, const fs::path& dataDirectory,
              const ConversionJournal& journal, StepFailure& failure) {
    for (std::size_t i = stepsDone(fileSystem, dataDirectory, journal); i-- > 0;) {
        const RenameStep& step = journal.steps[i];
        if (int err =
                fileSystem.renameNoReplace(dataDirectory / step.to, dataDirectory / step.from)) {
            failure = {dataDirectory / step.to, platform::errorText(err)};
            return err;
        }
    }
    return 0;
}

} // namespace tarnel::store
