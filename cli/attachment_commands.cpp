#include "cli/attachment_commands.h"

#include "cli/command_session.h"
#include "cli/json_writer.h"
#include "ops/attachment_editing.h"
#include "ops/attachment_messages.h"
#include "ops/comment_editing.h"
#include "store/attribute_tables.h"

#include <ostream>

namespace tarnel::cli {
namespace {

namespace fs = std::filesystem;
using store::AttachmentRecord;
namespace attachment = store::attachment;

using PointBody = std::function<int(Session&, const CommandArgs&, PointRef)>;

int withPoint(CommandContext& command, const std::vector<std::string>& args, std::size_t positional,
              const std::set<std::string>& switches, const std::set<std::string>& values,
              const PointBody& body) {
    return runWithBase(command, args, positional, switches, values,
                       [&](Session& session, const CommandArgs& parsed) {
                           if (parsed.positional.size() < 2 && positional == kAnyCount) {
                               return command.usageError("expected POINT FILE...");
                           }
                           PointRef ref = pointArg(command, session, parsed.positional[0]);
                           return ref ? body(session, parsed, ref) : kExitUsage;
                       });
}

// The point's attachment of that name: the same letters first, else without regard to case.
AttachmentRecord* attachmentArg(CommandContext& command, PointRef ref, const std::string& name) {
    AttachmentRecord* folded = nullptr;
    for (AttachmentRecord* a : ops::attachmentsOfPoint(*ref.category, *ref.point)) {
        if (a->name() == name) {
            return a;
        }
        if (!folded && store::equalIgnoringAsciiCase(a->name(), name)) {
            folded = a;
        }
    }
    if (!folded) {
        command.usageError("the point has no attachment " + name);
    }
    return folded;
}

// A destination that is a folder receives the file under its own name.
fs::path destinationFile(CommandContext& command, const std::string& dest, std::string_view name) {
    fs::path path = dest;
    return command.fileSystem.isDirectory(path) ? path / std::string(name) : path;
}

int attach(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(
        command, args, kAnyCount, {"--link"}, {},
        [&](Session& session, const CommandArgs& parsed, PointRef ref) {
            std::vector<ops::AttachmentInput> files;
            for (std::size_t i = 1; i < parsed.positional.size(); ++i) {
                files.push_back({parsed.positional[i], parsed.has("--link")});
            }
            return report(command, session,
                          ops::addAttachments(session.context, *ref.category, *ref.point, files));
        });
}

int listAttachments(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(
        command, args, 1, {}, {}, [&](Session& session, const CommandArgs&, PointRef ref) {
            Json items = Json::array();
            for (const AttachmentRecord* a : ops::attachmentsOfPoint(*ref.category, *ref.point)) {
                fs::path file = ops::attachmentFile(session.context, *a);
                bool present = command.fileSystem.isRegularFile(file);
                std::string mode = a->isLinked() ? "link" : "backup";
                std::string where =
                    present ? file.string() : std::string(ops::message::kAttachmentMissingText);
                const store::Record& v = a->values;
                if (command.options.json) {
                    Json item = Json::object();
                    item.set("id", a->id);
                    item.set("name", std::string(a->name()));
                    item.set("mode", mode);
                    item.set("size", std::string(v.value(attachment::kAppendSize)));
                    item.set("created", std::string(v.value(attachment::kCreateDate)));
                    item.set("modified", std::string(v.value(attachment::kModifyDate)));
                    item.set("present", present);
                    item.set("path", file.string());
                    items.push(std::move(item));
                } else {
                    command.out << a->id << '\t' << a->name() << '\t' << mode << '\t'
                                << v.value(attachment::kAppendSize) << '\t'
                                << v.value(attachment::kCreateDate) << '\t'
                                << v.value(attachment::kModifyDate) << '\t' << where << '\n';
                }
            }
            if (command.options.json) {
                command.out << items.dump() << '\n';
            }
            return kExitSuccess;
        });
}

using AttachmentBody = std::function<ops::OperationResult(Session&, const CommandArgs&, PointRef,
                                                          const AttachmentRecord&)>;
int withAttachment(CommandContext& command, const std::vector<std::string>& args,
                   std::size_t positional, const AttachmentBody& body) {
    return withPoint(command, args, positional, {}, {},
                     [&](Session& session, const CommandArgs& parsed, PointRef ref) {
                         AttachmentRecord* a = attachmentArg(command, ref, parsed.positional[1]);
                         return a ? report(command, session, body(session, parsed, ref, *a))
                                  : kExitUsage;
                     });
}

int openAttachment(CommandContext& command, const std::vector<std::string>& args) {
    return withAttachment(
        command, args, 2,
        [&](Session& session, const CommandArgs&, PointRef, const AttachmentRecord& a) {
            return ops::openAttachment(session.context, platform::systemOpener(), a);
        });
}

int exportAttachment(CommandContext& command, const std::vector<std::string>& args) {
    return withAttachment(
        command, args, 3,
        [&](Session& session, const CommandArgs& parsed, PointRef, const AttachmentRecord& a) {
            return ops::exportAttachment(session.context, a,
                                         destinationFile(command, parsed.positional[2], a.name()));
        });
}

int detach(CommandContext& command, const std::vector<std::string>& args) {
    return withAttachment(
        command, args, 2,
        [&](Session& session, const CommandArgs&, PointRef ref, const AttachmentRecord& a) {
            return ops::deleteAttachment(session.context, *ref.category, *ref.point, a);
        });
}

int comment(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(command, args, 1, {}, {"--rtf", "--text"},
                     [&](Session& session, const CommandArgs& parsed, PointRef ref) {
                         std::optional<std::string> rtf = parsed.value("--rtf");
                         std::optional<std::string> text = parsed.value("--text");
                         if (rtf.has_value() == text.has_value()) {
                             return command.usageError("give exactly one of --rtf and --text");
                         }
                         std::string bytes;
                         if (rtf) {
                             if (int err = command.fileSystem.readFile(*rtf, bytes)) {
                                 command.err << "error: cannot read " << *rtf << ": "
                                             << platform::errorText(err) << '\n';
                                 return kExitFailed;
                             }
                         } else {
                             bytes = richTextOf(*text);
                         }
                         return report(
                             command, session,
                             ops::writeComment(session.context, *ref.category, *ref.point, bytes));
                     });
}

int deleteComment(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(
        command, args, 1, {}, {}, [&](Session& session, const CommandArgs&, PointRef ref) {
            return report(command, session,
                          ops::deleteComment(session.context, *ref.category, *ref.point));
        });
}

int exportComment(CommandContext& command, const std::vector<std::string>& args) {
    return withPoint(
        command, args, 2, {}, {}, [&](Session& session, const CommandArgs& parsed, PointRef ref) {
            fs::path target = destinationFile(command, parsed.positional[1],
                                              ops::commentExportName(*ref.point) + ".rtf");
            return report(
                command, session,
                ops::exportComment(session.context, platform::systemOpener(), *ref.point, target));
        });
}

} // namespace

void registerAttachmentCommands(CommandRegistry& registry) {
    registry.add({"attach", "attach POINT FILE... [--link]",
                  "add attachments to a point (a copy in Append; --link keeps the file in place)",
                  attach});
    registry.add({"attachments", "attachments POINT",
                  "the attachments of a point: id, name, mode, size, created, modified, file",
                  listAttachments});
    registry.add({"open-attachment", "open-attachment POINT NAME",
                  "open an attachment with the desktop's program", openAttachment});
    registry.add({"export-attachment", "export-attachment POINT NAME DEST",
                  "copy an attachment's file to DEST (a folder: under its own name)",
                  exportAttachment});
    registry.add({"detach", "detach POINT NAME",
                  "delete an attachment (a linked file stays where it is)", detach});
    registry.add({"comment", "comment POINT (--rtf FILE | --text TEXT)", "write a point's comment",
                  comment});
    registry.add(
        {"delete-comment", "delete-comment POINT", "delete a point's comment", deleteComment});
    registry.add({"export-comment", "export-comment POINT DEST",
                  "copy a point's comment to DEST (a folder: \"<name>的批注文档.rtf\" in it)",
                  exportComment});
}

} // namespace tarnel::cli
