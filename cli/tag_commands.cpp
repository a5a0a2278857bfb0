#include "cli/tag_commands.h"

#include "cli/command_session.h"
#include "cli/json_writer.h"
#include "cli/point_path.h"
#include "ops/tag_editing.h"
#include "ops/tag_points.h"
#include "store/attribute_tables.h"

#include <ostream>
#include <sstream>

namespace tarnel::cli {
namespace {

using store::TagRecord;
namespace tag = store::tag;

// The named tag (the root only where allowRoot), or null after a usage error was written.
TagRecord* tagArg(CommandContext& command, Session& session, const std::string& text,
                  bool allowRoot = false) {
    TagRecord* found = resolveTag(session.base, text);
    if (!found || (!found->parent && !allowRoot)) {
        command.usageError("no tag " + text);
        return nullptr;
    }
    return found;
}

using TagBody = std::function<int(Session&, const CommandArgs&, TagRecord&)>;
int withTag(CommandContext& command, const std::vector<std::string>& args, std::size_t positional,
            const std::set<std::string>& switches, const std::set<std::string>& values,
            const TagBody& body, bool allowRoot = false) {
    return runWithBase(command, args, positional, switches, values,
                       [&](Session& session, const CommandArgs& parsed) {
                           TagRecord* found =
                               tagArg(command, session, parsed.positional[0], allowRoot);
                           return found ? body(session, parsed, *found) : kExitUsage;
                       });
}

int addTag(CommandContext& command, const std::vector<std::string>& args) {
    return withTag(
        command, args, 2, {"--same-level"}, {"--star", "--memo"},
        [&](Session& session, const CommandArgs& parsed, TagRecord& selected) {
            std::optional<long long> star = numberOf(parsed.value("--star").value_or("0"));
            if (!star) {
                return command.usageError("--star takes a number");
            }
            ops::Level level = parsed.has("--same-level") ? ops::Level::Same : ops::Level::Child;
            ops::TagInput input{parsed.positional[1], *star, parsed.value("--memo").value_or("")};
            return report(
                command, session,
                ops::addTag(session.context, ops::initialTagParent(selected, level), input));
        },
        true);
}

int renameTag(CommandContext& command, const std::vector<std::string>& args) {
    return withTag(command, args, 2, {}, {},
                   [&](Session& session, const CommandArgs& parsed, TagRecord& found) {
                       return report(command, session,
                                     ops::renameTag(session.context, found, parsed.positional[1]));
                   });
}

int tagProperties(CommandContext& command, const std::vector<std::string>& args) {
    return withTag(
        command, args, 1, {}, {"--name", "--star", "--memo"},
        [&](Session& session, const CommandArgs& parsed, TagRecord& found) {
            std::optional<long long> star = numberOf(parsed.value("--star").value_or(
                store::decimal(found.values.integer(tag::kStarNum))));
            if (!star) {
                return command.usageError("--star takes a number");
            }
            ops::TagInput properties{
                parsed.value("--name").value_or(std::string(found.name())), *star,
                parsed.value("--memo").value_or(std::string(found.values.value(tag::kMemo)))};
            return report(command, session,
                          ops::setTagProperties(session.context, found, properties));
        });
}

int moveTag(CommandContext& command, const std::vector<std::string>& args) {
    return withTag(command, args, 2, {}, {},
                   [&](Session& session, const CommandArgs& parsed, TagRecord& found) {
                       TagRecord* target = tagArg(command, session, parsed.positional[1], true);
                       if (!target) {
                           return kExitUsage;
                       }
                       return report(
                           command, session,
                           ops::moveTag(session.context, found, *target, ops::MoveWay::Dialog));
                   });
}

int deleteTag(CommandContext& command, const std::vector<std::string>& args) {
    return withTag(command, args, 1, {}, {},
                   [&](Session& session, const CommandArgs&, TagRecord& found) {
                       return report(command, session, ops::deleteTag(session.context, found));
                   });
}

int setTags(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, kAnyCount, {}, {"--tags"}, [&](Session& session, const CommandArgs& parsed) {
            std::optional<std::string> names = parsed.value("--tags");
            if (!names) {
                return command.usageError("--tags TAG,... is needed (empty for none)");
            }
            std::vector<long long> ids;
            std::stringstream stream(*names);
            std::string name;
            while (std::getline(stream, name, ',')) {
                if (name.empty()) {
                    continue;
                }
                TagRecord* found = tagArg(command, session, name);
                if (!found) {
                    return kExitUsage;
                }
                ids.push_back(found->id);
            }
            std::vector<ops::TagPoint> points;
            for (const std::string& text : parsed.positional) {
                PointRef ref = resolvePoint(session.base, text);
                if (!ref) {
                    return command.usageError("no point " + text);
                }
                points.push_back({ref.category, ref.point});
            }
            return report(command, session, ops::setTagsOfPoints(session.context, points, ids));
        });
}

int untag(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 2, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        PointRef ref = resolvePoint(session.base, parsed.positional[0]);
        if (!ref) {
            return command.usageError("no point " + parsed.positional[0]);
        }
        TagRecord* found = tagArg(command, session, parsed.positional[1]);
        if (!found) {
            return kExitUsage;
        }
        return report(command, session,
                      ops::removePointFromTag(session.context, *found, *ref.category, *ref.point));
    });
}

int tagPoints(CommandContext& command, const std::vector<std::string>& args) {
    return withTag(
        command, args, 1, {}, {}, [&](Session& session, const CommandArgs&, TagRecord& found) {
            ops::TagListing listing = ops::listTagPoints(session.context, found);
            Json points = Json::array();
            for (const ops::TagPoint& entry : listing.points) {
                if (command.options.json) {
                    Json item = Json::object();
                    item.set("id", entry.point->id);
                    item.set("category", entry.category->id);
                    item.set("name", std::string(entry.point->name()));
                    points.push(std::move(item));
                } else {
                    command.out << '@' << entry.point->id << '\t' << '#' << entry.category->id
                                << '\t' << entry.point->name() << '\n';
                }
            }
            if (command.options.json) {
                command.out << points.dump() << '\n';
            }
            if (listing.saveResult != kExitSuccess) {
                command.err << "error: an index file could not be saved\n";
                return kExitFailed;
            }
            return kExitSuccess;
        });
}

int tagColor(CommandContext& command, const std::vector<std::string>& args) {
    return withTag(command, args, 1, {}, {"--fore", "--back"},
                   [&](Session& session, const CommandArgs& parsed, TagRecord& found) {
                       std::optional<ColorChoice> choice = colorArg(command, parsed);
                       if (!choice) {
                           return kExitUsage;
                       }
                       return report(
                           command, session,
                           ops::setTagColor(session.context, found, choice->role, choice->color));
                   });
}

} // namespace

void registerTagCommands(CommandRegistry& registry) {
    registry.add({"add-tag", "add-tag PARENT NAME [--same-level] [--star N] [--memo TEXT]",
                  "add a tag under PARENT (beside it with --same-level; \"/\" is the root)",
                  addTag});
    registry.add({"rename-tag", "rename-tag TAG NAME", "rename a tag", renameTag});
    registry.add({"tag-props", "tag-props TAG [--name N] [--star N] [--memo T]",
                  "change a tag's name, star rating and memo", tagProperties});
    registry.add({"move-tag", "move-tag TAG TARGET", "move a tag under TARGET", moveTag});
    registry.add({"delete-tag", "delete-tag TAG", "delete a tag with its sub-tags", deleteTag});
    registry.add(
        {"set-tags", "set-tags POINT... --tags TAG,...", "set the tags of points", setTags});
    registry.add({"untag", "untag POINT TAG", "remove a point from a tag", untag});
    registry.add({"tag-points", "tag-points TAG", "the points that carry a tag", tagPoints});
    registry.add({"tag-color", "tag-color TAG --fore COLOR|--back COLOR",
                  "set a tag's text or background colour (\"default\" clears it)", tagColor});
}

} // namespace tarnel::cli
