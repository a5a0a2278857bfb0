#include "cli/command_session.h"

#include "cli/category_path.h"
#include "cli/json_writer.h"
#include "richtext/rtf_writer.h"

#include <ostream>
#include <sstream>

namespace tarnel::cli {
namespace {

const char* storeName(store::StoreKind kind) {
    switch (kind) {
    case store::StoreKind::Category:
        return "category";
    case store::StoreKind::Recycle:
        return "recycle";
    case store::StoreKind::Tag:
        return "tag";
    }
    return "unknown";
}

// What an operation that shows no message of its own ended with.
std::optional<std::string> silentFailure(int code) {
    switch (code) {
    case ops::kNotMovable:
        return "the category cannot go there";
    case ops::kFolderMissing:
        return "the category's folder does not exist";
    case ops::kOpenFailed:
        return "the folder could not be opened";
    case store::kSaveFailed:
        return "an index file could not be saved";
    case store::kNotAllowed:
    case store::kNoRecord:
        return "not possible here";
    case ops::kOutOfRange:
        return "the value is out of range";
    case ops::kNeedsSharedService:
        return "in shared mode this goes through the shared data service";
    default:
        return std::nullopt;
    }
}

} // namespace

int report(CommandContext& command, const Session& session, const ops::OperationResult& result) {
    if (command.options.json) {
        Json notifications = Json::array();
        for (const auto& n : session.sink.received()) {
            Json item = Json::object();
            item.set("code", n.code);
            item.set("store", storeName(n.store));
            item.set("id", n.id);
            item.set("related", n.relatedId);
            notifications.push(std::move(item));
        }
        Json document = Json::object();
        document.set("result", result.code);
        document.set("id", result.id);
        document.set("notifications", std::move(notifications));
        command.out << document.dump() << '\n';
    } else if (result.ok() && result.id > 0) {
        command.out << '#' << result.id << '\n';
    }
    if (result.ok()) {
        return kExitSuccess;
    }
    if (auto text = silentFailure(result.code)) {
        command.err << "error: " << *text << '\n';
    }
    return kExitFailed;
}

int runWithBase(CommandContext& command, const std::vector<std::string>& args,
                std::size_t positional, const std::set<std::string>& switches,
                const std::set<std::string>& values, const Body& body) {
    CommandArgs parsed = parseCommandArgs(args, switches, values);
    if (!parsed.error.empty()) {
        return command.usageError(parsed.error);
    }
    if (positional == kAnyCount ? parsed.positional.empty()
                                : parsed.positional.size() != positional) {
        return command.usageError("expected " + std::to_string(positional) + " argument(s)");
    }
    Session session(command);
    if (int rc = session.base.open(command.dataDirectory(), command.settings.databaseType)) {
        command.err << "error: the knowledge base could not be opened (" << rc << ")\n";
        return kExitFailed;
    }
    return body(session, parsed);
}

std::optional<long long> numberOf(const std::string& text) {
    bool negative = text.starts_with('-');
    std::string digits = negative ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        digits.size() > 18) {
        return std::nullopt;
    }
    long long value = store::parseInteger(digits);
    return negative ? -value : value;
}

store::CategoryRecord* categoryArg(CommandContext& command, Session& session,
                                   const std::string& text) {
    store::CategoryRecord* found = resolveCategory(session.base, text);
    if (!found) {
        command.usageError("no category " + text);
    }
    return found;
}

PointRef pointArg(CommandContext& command, Session& session, const std::string& text) {
    PointRef found = resolvePoint(session.base, text);
    if (!found) {
        command.usageError("no point " + text);
    }
    return found;
}

std::string richTextOf(const std::string& text) {
    richtext::Document document;
    std::stringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        richtext::Paragraph paragraph;
        paragraph.content.push_back(richtext::TextRun{{}, line});
        document.paragraphs.push_back(std::move(paragraph));
    }
    if (document.paragraphs.empty()) {
        document.paragraphs.emplace_back();
    }
    return richtext::RtfWriter().write(document);
}

std::optional<ColorChoice> colorArg(CommandContext& command, const CommandArgs& parsed) {
    std::optional<std::string> fore = parsed.value("--fore");
    std::optional<std::string> back = parsed.value("--back");
    if (fore.has_value() == back.has_value()) {
        command.usageError("give exactly one of --fore and --back");
        return std::nullopt;
    }
    std::string text = fore ? *fore : *back;
    std::optional<long long> color =
        text == "default" ? std::optional<long long>(ops::kDefaultColor) : numberOf(text);
    if (!color || *color < ops::kDefaultColor) {
        command.usageError("a colour is a decimal value or \"default\"");
        return std::nullopt;
    }
    return ColorChoice{fore ? ops::ColorRole::Fore : ops::ColorRole::Back, *color};
}

} // namespace tarnel::cli
