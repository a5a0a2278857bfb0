#include "cli/export_commands.h"

#include "cli/command_session.h"
#include "cli/json_writer.h"
#include "cli/terminal_progress.h"
#include "ops/favourite_writer.h"
#include "ops/favourites_tree.h"
#include "ops/knowledge_export.h"
#include "ops/operation_result.h"
#include "platform/user_folders.h"

#include <ostream>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;

// Without --no-sublevels everything below goes along, so the question is not asked.
ops::SubLevels subLevelsArg(const CommandArgs& parsed) {
    return parsed.has("--no-sublevels") ? ops::SubLevels::Exclude : ops::SubLevels::Include;
}

int exportCategory(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, 2, {"--no-sublevels"}, {}, [&](Session& session, const CommandArgs& parsed) {
            store::CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
            if (!category || !category->parent) {
                return category ? command.usageError("choose a category") : kExitUsage;
            }
            TerminalProgress progress(command.err);
            ops::ExportProgress copying{progress};
            return report(command, session,
                          ops::exportCategory(session.context, *category, parsed.positional[1],
                                              subLevelsArg(parsed), &copying));
        });
}

int exportTag(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 2, {"--no-sublevels"}, {},
                       [&](Session& session, const CommandArgs& parsed) {
                           store::TagRecord* tag = resolveTag(session.base, parsed.positional[0]);
                           if (!tag || !tag->parent) {
                               return command.usageError("no tag " + parsed.positional[0]);
                           }
                           TerminalProgress progress(command.err);
                           ops::ExportProgress copying{progress};
                           return report(command, session,
                                         ops::exportTag(session.context, *tag, parsed.positional[1],
                                                        subLevelsArg(parsed), &copying));
                       });
}

int exportPoint(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 2, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        PointRef ref = pointArg(command, session, parsed.positional[0]);
        if (!ref) {
            return kExitUsage;
        }
        fs::path target = parsed.positional[1];
        if (command.fileSystem.isDirectory(target)) {
            target /= std::string(ref.point->name());
        }
        return report(command, session,
                      ops::exportPoint(session.context, platform::systemOpener(), *ref.category,
                                       *ref.point, target));
    });
}

void printItem(std::ostream& out, const ops::FavouriteItem& item, int depth) {
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << item.label;
    out << (item.isFolder ? "/" : "\t" + item.url) << '\n';
    for (const auto& child : item.children) {
        printItem(out, child, depth + 1);
    }
}

Json jsonOf(const ops::FavouriteItem& item) {
    Json json = Json::object();
    json.set("label", item.label);
    if (item.isFolder) {
        Json children = Json::array();
        for (const auto& child : item.children) {
            children.push(jsonOf(child));
        }
        json.set("children", std::move(children));
    } else {
        json.set("url", item.url);
    }
    return json;
}

int favourites(CommandContext& command, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {}, {"--dir"});
    if (!parsed.error.empty() || !parsed.positional.empty()) {
        return command.usageError(parsed.error.empty() ? "favourites takes no arguments"
                                                       : parsed.error);
    }
    fs::path folder = parsed.value("--dir").value_or(platform::favouritesFolder().string());
    ops::FavouritesTree tree = ops::readFavourites(command.fileSystem, folder);
    if (command.options.json) {
        Json document = jsonOf(tree.root);
        document.set("error", tree.error);
        command.out << document.dump() << '\n';
    } else {
        printItem(command.out, tree.root, 0);
    }
    if (!tree.error.empty()) {
        command.err << "error: " << tree.error << '\n';
        return kExitFailed;
    }
    return kExitSuccess;
}

int addFavourite(CommandContext& command, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {}, {"--dir", "--folder"});
    if (!parsed.error.empty() || parsed.positional.size() != 2) {
        return command.usageError(parsed.error.empty() ? "add-favourite takes a name and a URL"
                                                       : parsed.error);
    }
    fs::path folder = parsed.value("--dir").value_or(platform::favouritesFolder().string());
    ops::FavouriteAdded added =
        ops::addFavourite(command.fileSystem, folder, parsed.value("--folder").value_or(""),
                          parsed.positional[0], parsed.positional[1]);
    if (added.code == ops::kInvalidName) {
        return command.usageError("the folder must lie inside the favourites and the URL be one "
                                  "line");
    }
    if (added.code != ops::kOk) {
        command.err << "error: the favourite could not be written\n";
        return kExitFailed;
    }
    if (command.options.json) {
        Json document = Json::object();
        document.set("file", added.file.string());
        command.out << document.dump() << '\n';
    } else {
        command.out << added.file.string() << '\n';
    }
    return kExitSuccess;
}

} // namespace

void registerExportCommands(CommandRegistry& registry) {
    registry.add({"export-category", "export-category CAT DIR [--no-sublevels]",
                  "copy a category's folder (or only its own points) into DIR", exportCategory});
    registry.add({"export-tag", "export-tag TAG DIR [--no-sublevels]",
                  "copy the points of a tag (and its sub-tags side by side) into DIR", exportTag});
    registry.add({"export-point", "export-point POINT DEST",
                  "copy a point's file to DEST (a folder: under its own name)", exportPoint});
    registry.add({"favourites", "favourites [--dir DIR]",
                  "the web favourites tree (.url files of the favourites folder)", favourites});
    registry.add({"add-favourite", "add-favourite NAME URL [--folder SUB] [--dir DIR]",
                  "adds a page to the web favourites as a .url file", addFavourite});
}

} // namespace tarnel::cli
