#include "cli/category_commands.h"

#include "cli/category_path.h"
#include "cli/command_args.h"
#include "cli/json_writer.h"
#include "ops/category_editing.h"
#include "ops/category_folder.h"
#include "ops/category_move.h"
#include "ops/category_removal.h"
#include "ops/category_restore.h"
#include "platform/desktop_open.h"
#include "store/attribute_tables.h"

#include <functional>
#include <optional>
#include <ostream>

namespace tarnel::cli {
namespace {

using store::CategoryRecord;

// One open knowledge base for the length of a command.
struct Session {
    explicit Session(CommandContext& command)
        : base(command.fileSystem, sink), context{base, command.fileSystem, command.prompt} {}

    store::RecordingChangeSink sink;
    store::KnowledgeStore base;
    ops::OperationContext context;
};

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
    default:
        return std::nullopt;
    }
}

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

using Body = std::function<int(Session&, const CommandArgs&)>;

// Parses the arguments, opens the base of the data directory and runs the body.
int runWithBase(CommandContext& command, const std::vector<std::string>& args,
                std::size_t positional, const std::set<std::string>& switches,
                const std::set<std::string>& values, const Body& body) {
    CommandArgs parsed = parseCommandArgs(args, switches, values);
    if (!parsed.error.empty()) {
        return command.usageError(parsed.error);
    }
    if (parsed.positional.size() != positional) {
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

// The named category, or null after a usage error was written.
CategoryRecord* categoryArg(CommandContext& command, Session& session, const std::string& text) {
    CategoryRecord* found = resolveCategory(session.base, text);
    if (!found) {
        command.usageError("no category " + text);
    }
    return found;
}

int addCategory(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, 2, {"--same-level"}, {"--star", "--memo"},
        [&](Session& session, const CommandArgs& parsed) {
            CategoryRecord* selected = categoryArg(command, session, parsed.positional[0]);
            if (!selected) {
                return kExitUsage;
            }
            std::optional<long long> star = numberOf(parsed.value("--star").value_or("0"));
            if (!star) {
                return command.usageError("--star takes a number");
            }
            ops::Level level = parsed.has("--same-level") ? ops::Level::Same : ops::Level::Child;
            ops::CategoryInput input{parsed.positional[1], *star,
                                     parsed.value("--memo").value_or("")};
            return report(
                command, session,
                ops::addCategory(session.context, ops::initialParent(*selected, level), input));
        });
}

int renameCategory(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 2, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
        if (!category) {
            return kExitUsage;
        }
        return report(command, session,
                      ops::renameCategory(session.context, *category, parsed.positional[1]));
    });
}

int categoryProperties(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, 1, {}, {"--name", "--star", "--memo"},
        [&](Session& session, const CommandArgs& parsed) {
            CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
            if (!category) {
                return kExitUsage;
            }
            namespace attribute = store::category;
            std::optional<long long> star = numberOf(parsed.value("--star").value_or(
                store::decimal(category->values.integer(attribute::kStarNum))));
            if (!star) {
                return command.usageError("--star takes a number");
            }
            ops::CategoryProperties properties{
                parsed.value("--name").value_or(std::string(category->name())), *star,
                parsed.value("--memo").value_or(
                    std::string(category->values.value(attribute::kMemo)))};
            return report(command, session,
                          ops::setCategoryProperties(session.context, *category, properties));
        });
}

int setColor(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, 1, {}, {"--fore", "--back"},
        [&](Session& session, const CommandArgs& parsed) {
            std::optional<std::string> fore = parsed.value("--fore");
            std::optional<std::string> back = parsed.value("--back");
            if (fore.has_value() == back.has_value()) {
                return command.usageError("give exactly one of --fore and --back");
            }
            std::string text = fore ? *fore : *back;
            std::optional<long long> color =
                text == "default" ? std::optional<long long>(ops::kDefaultColor) : numberOf(text);
            if (!color || *color < ops::kDefaultColor) {
                return command.usageError("a colour is a decimal value or \"default\"");
            }
            CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
            if (!category) {
                return kExitUsage;
            }
            ops::ColorRole role = fore ? ops::ColorRole::Fore : ops::ColorRole::Back;
            return report(command, session,
                          ops::setCategoryColor(session.context, *category, role, *color));
        });
}

int moveCategory(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 2, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
        CategoryRecord* target =
            category ? categoryArg(command, session, parsed.positional[1]) : nullptr;
        if (!target) {
            return kExitUsage;
        }
        return report(command, session,
                      ops::moveCategory(session.context, *category, *target, ops::MoveWay::Dialog));
    });
}

int recycleCategory(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 1, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
        if (!category) {
            return kExitUsage;
        }
        return report(command, session, ops::recycleCategory(session.context, *category));
    });
}

int deleteCategory(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 1, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
        if (!category) {
            return kExitUsage;
        }
        bool recycled = session.base.recycle().contains(category);
        if (!recycled && !store::CategoryStore::isLinked(*category)) {
            return command.usageError(
                "only a recycled or a linked category is deleted; use recycle-category");
        }
        return report(command, session, ops::deleteCategory(session.context, *category));
    });
}

int restoreCategory(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, 1, {}, {"--to"}, [&](Session& session, const CommandArgs& parsed) {
            CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
            if (!category) {
                return kExitUsage;
            }
            CategoryRecord* target = nullptr;
            if (auto to = parsed.value("--to")) {
                target = categoryArg(command, session, *to);
                if (!target) {
                    return kExitUsage;
                }
            }
            return report(command, session,
                          ops::restoreCategory(session.context, *category, target));
        });
}

int emptyRecycle(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 0, {}, {}, [&](Session& session, const CommandArgs&) {
        return report(command, session, ops::emptyRecycleBin(session.context));
    });
}

int openFolder(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 1, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
        if (!category) {
            return kExitUsage;
        }
        return report(
            command, session,
            ops::openCategoryFolder(session.context, platform::systemOpener(), *category));
    });
}

} // namespace

void registerCategoryCommands(CommandRegistry& registry) {
    registry.add({"add-category",
                  "add-category PARENT NAME [--same-level] [--star N] [--memo TEXT]",
                  "add a category under PARENT (beside it with --same-level)", addCategory});
    registry.add(
        {"rename-category", "rename-category CAT NAME", "rename a category", renameCategory});
    registry.add({"category-props", "category-props CAT [--name NAME] [--star N] [--memo TEXT]",
                  "change a category's name, star rating and memo", categoryProperties});
    registry.add({"set-color", "set-color CAT --fore COLOR|--back COLOR",
                  "set a category's text or background colour (\"default\" clears it)", setColor});
    registry.add({"move-category", "move-category CAT TARGET", "move a category under TARGET",
                  moveCategory});
    registry.add({"recycle-category", "recycle-category CAT",
                  "put a category into the recycle bin (a linked one is unlinked)",
                  recycleCategory});
    registry.add({"delete-category", "delete-category CAT",
                  "delete a recycled category for good, or unlink a linked one", deleteCategory});
    registry.add({"restore-category", "restore-category CAT [--to TARGET]",
                  "restore a recycled category to its former place or under TARGET",
                  restoreCategory});
    registry.add({"empty-recycle", "empty-recycle", "empty the recycle bin", emptyRecycle});
    registry.add({"open-folder", "open-folder CAT", "open a category's folder", openFolder});
}

} // namespace tarnel::cli
