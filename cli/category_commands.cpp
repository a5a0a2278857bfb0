#include "cli/category_commands.h"

#include "cli/category_path.h"
#include "cli/command_args.h"
#include "cli/command_session.h"
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
    return runWithBase(command, args, 1, {}, {"--fore", "--back"},
                       [&](Session& session, const CommandArgs& parsed) {
                           std::optional<ColorChoice> choice = colorArg(command, parsed);
                           if (!choice) {
                               return kExitUsage;
                           }
                           CategoryRecord* category =
                               categoryArg(command, session, parsed.positional[0]);
                           if (!category) {
                               return kExitUsage;
                           }
                           return report(command, session,
                                         ops::setCategoryColor(session.context, *category,
                                                               choice->role, choice->color));
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
