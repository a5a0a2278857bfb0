#include "cli/rtf_commands.h"

#include "cli/command_args.h"
#include "cli/json_writer.h"
#include "richtext/plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;
using richtext::ReadStatus;

bool readInput(CommandContext& context, const fs::path& path, std::string& bytes) {
    int err = context.fileSystem.readFile(path, bytes);
    if (err != 0) {
        context.err << "error: cannot read " << path.string() << ": " << platform::errorText(err)
                    << '\n';
        return false;
    }
    return true;
}

void warnIfPartial(CommandContext& context, const fs::path& path, ReadStatus status,
                   const std::string& message) {
    if (status != ReadStatus::Complete) {
        context.err << "warning: " << path.string() << " is " << statusName(status) << ": "
                    << message << '\n';
    }
}

int runRtfText(CommandContext& context, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {});
    if (!parsed.error.empty()) {
        return context.usageError(parsed.error);
    }
    if (parsed.positional.size() != 1) {
        return context.usageError("rtf-text takes one file");
    }
    fs::path path = parsed.positional[0];
    std::string bytes;
    if (!readInput(context, path, bytes)) {
        return kExitFailed;
    }
    richtext::PlainTextResult result = richtext::extractPlainText(bytes);
    warnIfPartial(context, path, result.status, result.message);
    if (context.options.json) {
        Json out = Json::object();
        out.set("file", path.string())
            .set("status", statusName(result.status))
            .set("message", result.message)
            .set("text", result.text);
        context.out << out.dump() << '\n';
    } else {
        // Lines of text end with a line break, the last one too.
        context.out << result.text;
        if (!result.text.empty() && result.text.back() != '\n') {
            context.out << '\n';
        }
    }
    return kExitSuccess;
}

bool isSameFile(const fs::path& a, const fs::path& b) {
    std::error_code ignored;
    return fs::equivalent(a, b, ignored);
}

// What a write over the input itself would lose that the reader can tell; empty when nothing.
std::string knownLoss(const richtext::ReadResult& read) {
    if (read.status != ReadStatus::Complete) {
        return std::string("it is ") + statusName(read.status) + " and only part of it was read";
    }
    if (read.omittedPictures > 0) {
        return std::to_string(read.omittedPictures) +
               " picture(s) in formats the document cannot hold would be lost";
    }
    return {};
}

int runRtfRoundtrip(CommandContext& context, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {});
    if (!parsed.error.empty()) {
        return context.usageError(parsed.error);
    }
    if (parsed.positional.size() != 2) {
        return context.usageError("rtf-roundtrip takes an input and an output file");
    }
    fs::path in = parsed.positional[0];
    fs::path out = parsed.positional[1];
    std::string bytes;
    if (!readInput(context, in, bytes)) {
        return kExitFailed;
    }
    richtext::ReadResult read = richtext::RtfReader().read(bytes);
    if (isSameFile(in, out)) {
        if (std::string loss = knownLoss(read); !loss.empty()) {
            context.err << "error: will not write " << in.string() << " over itself: " << loss
                        << '\n';
            return kExitFailed;
        }
    }
    warnIfPartial(context, in, read.status, read.message);
    if (read.omittedPictures > 0) {
        context.err << "warning: " << read.omittedPictures
                    << " picture(s) in formats the document cannot hold were left out\n";
    }
    std::string written = richtext::RtfWriter().write(read.document);
    if (int err = context.fileSystem.writeFileAtomic(out, written); err != 0) {
        context.err << "error: cannot write " << out.string() << ": " << platform::errorText(err)
                    << '\n';
        return kExitFailed;
    }
    if (context.options.json) {
        Json result = Json::object();
        result.set("in", in.string())
            .set("out", out.string())
            .set("status", statusName(read.status))
            .set("message", read.message)
            .set("paragraphs", read.document.paragraphs.size())
            .set("omitted_pictures", read.omittedPictures)
            .set("bytes", written.size());
        context.out << result.dump() << '\n';
    }
    return kExitSuccess;
}

} // namespace

const char* statusName(ReadStatus status) {
    switch (status) {
    case ReadStatus::Truncated:
        return "truncated";
    case ReadStatus::Damaged:
        return "damaged";
    case ReadStatus::Complete:
        break;
    }
    return "complete";
}

void registerRtfCommands(CommandRegistry& registry) {
    registry.add({"rtf-text", "rtf-text FILE",
                  "prints the plain text of a rich-text (or plain-text) file", runRtfText});
    registry.add({"rtf-roundtrip", "rtf-roundtrip IN OUT",
                  "reads a rich-text file and writes it with our writer to OUT", runRtfRoundtrip});
}

} // namespace tarnel::cli
