#pragma once

#include "cli/command_args.h"
#include "cli/command_registry.h"
#include "cli/point_path.h"
#include "ops/category_editing.h"
#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/knowledge_store.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// What the commands that run a knowledge operation share: the open base, the report of the
// result and the reading of numbers and categories from the command line.
namespace tarnel::cli {

// One open knowledge base for the length of a command.
struct Session {
    explicit Session(CommandContext& command)
        : base(command.fileSystem, sink), context{base, command.fileSystem, command.prompt} {}

    store::RecordingChangeSink sink;
    store::KnowledgeStore base;
    ops::OperationContext context;
};

// Prints the result (under --json with the notifications) and returns the exit code; a failure
// the operation showed no message for gets one on err.
int report(CommandContext& command, const Session& session, const ops::OperationResult& result);

using Body = std::function<int(Session&, const CommandArgs&)>;

// Parses the arguments (positional: how many positional values; kAnyCount: one or more), opens
// the base of the data directory and runs the body.
inline constexpr std::size_t kAnyCount = static_cast<std::size_t>(-1);
int runWithBase(CommandContext& command, const std::vector<std::string>& args,
                std::size_t positional, const std::set<std::string>& switches,
                const std::set<std::string>& values, const Body& body);

// A decimal number with an optional "-", or nothing.
std::optional<long long> numberOf(const std::string& text);

// The named category, or null after a usage error was written.
store::CategoryRecord* categoryArg(CommandContext& command, Session& session,
                                   const std::string& text);

// The named point, or an empty reference after a usage error was written.
PointRef pointArg(CommandContext& command, Session& session, const std::string& text);

// A minimal rich-text document holding the text, one paragraph per line.
std::string richTextOf(const std::string& text);

// The colour of --fore or --back (exactly one; a decimal value or "default"), or nothing after a
// usage error was written.
struct ColorChoice {
    ops::ColorRole role = ops::ColorRole::Fore;
    long long color = ops::kDefaultColor;
};
std::optional<ColorChoice> colorArg(CommandContext& command, const CommandArgs& parsed);

} // namespace tarnel::cli
