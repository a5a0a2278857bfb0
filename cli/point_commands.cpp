#include "cli/point_commands.h"

#include "cli/category_path.h"
#include "cli/command_session.h"
#include "cli/json_writer.h"
#include "cli/point_path.h"
#include "ops/item_selection.h"
#include "ops/point_content.h"
#include "ops/point_editing.h"
#include "ops/point_messages.h"
#include "ops/point_removal.h"
#include "platform/desktop_open.h"
#include "platform/desktop_trash.h"
#include "platform/ini.h"
#include "store/attribute_tables.h"

#include <ostream>
#include <sstream>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;
using store::CategoryRecord;
namespace point = store::point;

bool readFileArg(CommandContext& command, const fs::path& path, std::string& bytes) {
    if (int err = command.fileSystem.readFile(path, bytes)) {
        command.err << "error: cannot read " << path.string() << ": " << platform::errorText(err)
                    << '\n';
        return false;
    }
    return true;
}

std::vector<std::string> splitAtCommas(const std::string& text) {
    std::vector<std::string> pieces;
    std::stringstream stream(text);
    std::string piece;
    while (std::getline(stream, piece, ',')) {
        if (!piece.empty()) {
            pieces.push_back(piece);
        }
    }
    return pieces;
}

// The ids of the tags of a --tags value, or nothing after a usage error was written.
std::optional<std::vector<long long>> tagsArg(CommandContext& command, Session& session,
                                              const std::string& text) {
    std::vector<long long> ids;
    for (const std::string& name : splitAtCommas(text)) {
        store::TagRecord* tag = resolveTag(session.base, name);
        if (!tag || !tag->parent) {
            command.usageError("no tag " + name);
            return std::nullopt;
        }
        ids.push_back(tag->id);
    }
    return ids;
}

std::string tagNames(store::KnowledgeStore& base, const store::PointRecord& p) {
    std::string names;
    for (long long id : store::idsOfList(p.values.value(point::kTagsId))) {
        if (const store::TagRecord* tag = base.tags().find(id); tag && tag->parent) {
            names += (names.empty() ? "" : ",") + std::string(tag->name());
        }
    }
    return names;
}

std::string typeText(const store::PointRecord& p) {
    if (p.values.integer(point::kState) == 0) {
        return std::string(ops::message::kMissingTypeText);
    }
    std::string extension = store::lowerExtension(p.name());
    return extension.empty() ? "-" : extension.substr(1);
}

int listPoints(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 1, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
        if (!category) {
            return kExitUsage;
        }
        Json points = Json::array();
        for (const auto& p : category->owner->pointsOf(*category).records()) {
            const store::Record& v = p->values;
            if (command.options.json) {
                Json item = Json::object();
                item.set("id", p->id);
                item.set("name", std::string(p->name()));
                item.set("type", typeText(*p));
                item.set("size", v.integer(point::kPointSize));
                item.set("stars", v.integer(point::kStarNum));
                item.set("tags", tagNames(session.base, *p));
                item.set("comment", v.integer(point::kHasComment) != 0);
                item.set("attachments", v.integer(point::kAppendNum));
                item.set("state", v.integer(point::kState));
                points.push(std::move(item));
            } else {
                command.out << '@' << p->id << '\t' << p->name() << '\t' << typeText(*p) << '\t'
                            << v.integer(point::kPointSize) << '\t' << v.integer(point::kStarNum)
                            << '\t' << tagNames(session.base, *p) << '\t'
                            << v.integer(point::kHasComment) << '\t' << v.integer(point::kAppendNum)
                            << '\t' << v.integer(point::kState) << '\n';
            }
        }
        if (command.options.json) {
            command.out << points.dump() << '\n';
        }
        return kExitSuccess;
    });
}

int addPoint(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, kAnyCount, {"--link"},
        {"--rtf", "--text", "--mht", "--star", "--tags", "--comment", "--attach"},
        [&](Session& session, const CommandArgs& parsed) {
            int sources = parsed.value("--rtf").has_value() + parsed.value("--text").has_value() +
                          parsed.value("--mht").has_value();
            if (sources != 1) {
                return command.usageError("give exactly one of --rtf, --text and --mht");
            }
            std::size_t attachmentsGiven = parsed.value("--attach") ? 1 : 0;
            if (parsed.positional.size() < 2 ||
                (parsed.positional.size() > 2 && !attachmentsGiven)) {
                return command.usageError("expected CAT TITLE");
            }
            CategoryRecord* category = categoryArg(command, session, parsed.positional[0]);
            std::optional<long long> star = numberOf(parsed.value("--star").value_or("0"));
            if (!category || !star) {
                return category ? command.usageError("--star takes a number") : kExitUsage;
            }
            ops::PointInput input;
            input.title = parsed.positional[1];
            input.starNum = *star;
            if (auto tags = parsed.value("--tags")) {
                std::optional<std::vector<long long>> ids = tagsArg(command, session, *tags);
                if (!ids) {
                    return kExitUsage;
                }
                input.tags = *ids;
            }
            if (auto mht = parsed.value("--mht")) {
                input.type = ops::PointType::Web;
                fs::path source = *mht;
                input.archive = [&command, source](const fs::path& path, std::string& reason) {
                    int err = command.fileSystem.copyFile(source, path);
                    reason = platform::errorText(err);
                    return err;
                };
            } else if (auto rtf = parsed.value("--rtf")) {
                if (!readFileArg(command, *rtf, input.content)) {
                    return kExitFailed;
                }
            } else {
                input.content = richTextOf(*parsed.value("--text"));
            }
            if (auto comment = parsed.value("--comment")) {
                if (!readFileArg(command, *comment, input.comment)) {
                    return kExitFailed;
                }
            }
            if (auto first = parsed.value("--attach")) {
                bool linked = parsed.has("--link");
                input.attachments.push_back({*first, linked});
                for (std::size_t i = 2; i < parsed.positional.size(); ++i) {
                    input.attachments.push_back({parsed.positional[i], linked});
                }
            }
            return report(command, session, ops::addPoint(session.context, category, input));
        });
}

// A command on one point with a fixed number of further arguments.
using PointBody = std::function<int(Session&, const CommandArgs&, PointRef)>;
int withPoint(CommandContext& command, const std::vector<std::string>& args, std::size_t positional,
              const std::set<std::string>& values, const PointBody& body) {
    return runWithBase(command, args, positional, {}, values,
                       [&](Session& session, const CommandArgs& parsed) {
                           PointRef ref = pointArg(command, session, parsed.positional[0]);
                           return ref ? body(session, parsed, ref) : kExitUsage;
                       });
}

const char* viewName(ops::PointView view) {
    switch (view) {
    case ops::PointView::Reading:
        return "reading-view";
    case ops::PointView::Web:
        return "web-view";
    case ops::PointView::DesktopProgram:
        break;
    }
    return "desktop";
}

int openPoint(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 1, {}, [&](Session& session, const CommandArgs&, PointRef ref) {
        ops::PointOpening opening =
            ops::openPoint(session.context, platform::systemOpener(), *ref.category, *ref.point);
        if (opening.result.ok() && !command.options.json) {
            command.out << viewName(opening.view) << '\t' << opening.path.string() << '\n';
            return kExitSuccess;
        }
        return report(command, session, opening.result);
    });
}

// Replaces a general point's content, as the reading area's save does.
int setContent(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 1, {"--rtf", "--text"},
                     [&](Session& session, const CommandArgs& parsed, PointRef ref) {
                         auto rtf = parsed.value("--rtf");
                         auto text = parsed.value("--text");
                         if (rtf.has_value() == text.has_value()) {
                             return command.usageError("give exactly one of --rtf and --text");
                         }
                         std::string bytes;
                         if (rtf && !readFileArg(command, *rtf, bytes)) {
                             return kExitFailed;
                         }
                         if (text) {
                             bytes = richTextOf(*text);
                         }
                         return report(
                             command, session,
                             ops::savePointContent(session.context, ref.point->id, bytes));
                     });
}

int renamePoint(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 2, {},
                     [&](Session& session, const CommandArgs& parsed, PointRef ref) {
                         return report(command, session,
                                       ops::renamePoint(session.context, *ref.category, *ref.point,
                                                        parsed.positional[1]));
                     });
}

int movePoint(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(
        command, args, 2, {}, [&](Session& session, const CommandArgs& parsed, PointRef ref) {
            CategoryRecord* target = categoryArg(command, session, parsed.positional[1]);
            if (!target) {
                return kExitUsage;
            }
            return report(command, session,
                          ops::movePoint(session.context, *ref.category, *ref.point, *target));
        });
}

int deletePoint(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 1, {}, [&](Session& session, const CommandArgs&, PointRef ref) {
        platform::Trash trash(command.fileSystem);
        return report(command, session,
                      ops::deletePoint(session.context, trash, *ref.category, *ref.point));
    });
}

int restorePoint(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 1, {"--to"},
                     [&](Session& session, const CommandArgs& parsed, PointRef ref) {
                         CategoryRecord* target = nullptr;
                         if (auto to = parsed.value("--to")) {
                             target = categoryArg(command, session, *to);
                             if (!target) {
                                 return kExitUsage;
                             }
                         }
                         return report(command, session,
                                       ops::restoreRecycledPoint(session.context, *ref.category,
                                                                 *ref.point, target));
                     });
}

long long maxStarNum(CommandContext& command) {
    if (command.settings.settingsFile.empty()) {
        return ops::kDefaultMaxStarNum;
    }
    platform::IniFile ini(command.settings.settingsFile, command.fileSystem);
    std::string value = ini.readString(ops::kMaxStarSection, ops::kMaxStarKey,
                                       store::decimal(ops::kDefaultMaxStarNum), 32);
    int max = platform::profileInt(value);
    return max > 0 ? max : ops::kDefaultMaxStarNum;
}

int starPoint(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 2, {},
                     [&](Session& session, const CommandArgs& parsed, PointRef ref) {
                         std::optional<long long> stars = numberOf(parsed.positional[1]);
                         if (!stars) {
                             return command.usageError("N is a number");
                         }
                         return report(command, session,
                                       ops::setPointStar(session.context, *ref.category, *ref.point,
                                                         *stars, maxStarNum(command)));
                     });
}

int pointColor(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 1, {"--fore", "--back"},
                     [&](Session& session, const CommandArgs& parsed, PointRef ref) {
                         std::optional<ColorChoice> choice = colorArg(command, parsed);
                         if (!choice) {
                             return kExitUsage;
                         }
                         return report(command, session,
                                       ops::setPointColor(session.context, *ref.category,
                                                          *ref.point, choice->role, choice->color));
                     });
}

int showPoint(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 1, {}, [&](Session& session, const CommandArgs&, PointRef ref) {
        return report(command, session,
                      ops::showPointInFolder(session.context, platform::systemOpener(),
                                             *ref.category, *ref.point));
    });
}

constexpr std::string_view kTagPrefix = "tag:";

// A category, a point ("@ID", "recycle:@ID", "CAT/NAME") or, after "tag:", a tag.
std::optional<ops::SelectedItem> itemArg(CommandContext& command, Session& session,
                                         const std::string& text) {
    if (text.starts_with(kTagPrefix)) {
        store::TagRecord* tag = resolveTag(session.base, text.substr(kTagPrefix.size()));
        if (tag && tag->parent) {
            return ops::SelectedItem::ofTag(*tag);
        }
    } else if (PointRef ref = resolvePoint(session.base, text)) {
        return ops::SelectedItem::ofPoint(*ref.category, *ref.point);
    } else if (CategoryRecord* category = resolveCategory(session.base, text)) {
        if (category->parent) {
            return ops::SelectedItem::ofCategory(*category);
        }
    }
    command.usageError("no category, point or tag " + text);
    return std::nullopt;
}

std::optional<std::vector<ops::SelectedItem>> itemsArg(CommandContext& command, Session& session,
                                                       const std::vector<std::string>& texts) {
    std::vector<ops::SelectedItem> items;
    for (const std::string& text : texts) {
        std::optional<ops::SelectedItem> item = itemArg(command, session, text);
        if (!item) {
            return std::nullopt;
        }
        items.push_back(*item);
    }
    return items;
}

int deleteItems(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, kAnyCount, {}, {}, [&](Session& session, const CommandArgs& parsed) {
            auto items = itemsArg(command, session, parsed.positional);
            if (!items) {
                return kExitUsage;
            }
            platform::Trash trash(command.fileSystem);
            return report(command, session, ops::deleteSeveral(session.context, trash, *items));
        });
}

int moveItems(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, kAnyCount, {}, {"--to"}, [&](Session& session, const CommandArgs& parsed) {
            std::optional<std::string> to = parsed.value("--to");
            if (!to) {
                return command.usageError("--to TARGET is needed");
            }
            auto items = itemsArg(command, session, parsed.positional);
            if (!items) {
                return kExitUsage;
            }
            CategoryRecord* categoryTarget = nullptr;
            store::TagRecord* tagTarget = nullptr;
            if (to->starts_with(kTagPrefix)) {
                tagTarget = resolveTag(session.base, to->substr(kTagPrefix.size()));
            } else {
                categoryTarget = resolveCategory(session.base, *to);
            }
            if (!categoryTarget && !tagTarget) {
                return command.usageError("no target " + *to);
            }
            return report(command, session,
                          ops::moveSeveral(session.context, *items, categoryTarget, tagTarget));
        });
}

} // namespace

void registerPointCommands(CommandRegistry& registry) {
    registry.add({"list", "list CAT",
                  "the points of a category: id, name, type, size, stars, tags, comment, "
                  "attachments, state",
                  listPoints});
    registry.add({"add-point",
                  "add-point CAT TITLE (--rtf FILE|--text TEXT|--mht FILE) [--star N] "
                  "[--tags TAG,...] [--comment FILE] [--attach FILE... [--link]]",
                  "add a general or web point", addPoint});
    registry.add({"open-point", "open-point POINT",
                  "open a point (documents with the desktop's program)", openPoint});
    registry.add({"set-content", "set-content POINT (--rtf FILE|--text TEXT)",
                  "replace a general point's content", setContent});
    registry.add({"rename-point", "rename-point POINT NAME", "rename a point", renamePoint});
    registry.add(
        {"move-point", "move-point POINT TARGET", "move a point to another category", movePoint});
    registry.add({"delete-point", "delete-point POINT",
                  "put a point into the recycle bin (a linked or recycled one is deleted)",
                  deletePoint});
    registry.add({"restore-point", "restore-point POINT [--to TARGET]",
                  "restore a recycled point to its former place or into TARGET", restorePoint});
    registry.add({"star", "star POINT N", "set a point's star rating", starPoint});
    registry.add({"point-color", "point-color POINT --fore COLOR|--back COLOR",
                  "set a point's text or background colour (\"default\" clears it)", pointColor});
    registry.add(
        {"show-point", "show-point POINT", "open the folder that holds a point", showPoint});
    registry.add({"delete-items", "delete-items ITEM...",
                  "delete several categories, points and tags (tag:PATH) at once", deleteItems});
    registry.add({"move-items", "move-items ITEM... --to TARGET",
                  "move several categories and points (or tags, to tag:PATH) at once", moveItems});
}

} // namespace tarnel::cli
