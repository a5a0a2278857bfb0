#include "cli/search_commands.h"

#include "cli/category_path.h"
#include "cli/command_session.h"
#include "cli/json_writer.h"
#include "cli/point_path.h"
#include "cli/rtf_commands.h"
#include "ops/search_engine.h"
#include "ops/search_pane.h"
#include "richtext/text_extractor.h"

#include <ostream>

namespace tarnel::cli {
namespace {

using richtext::ReadStatus;
using store::CategoryRecord;
using store::TagRecord;

constexpr std::string_view kTagPrefix = "tag:";

const char* routeName(ops::SearchRoute route) {
    return route == ops::SearchRoute::Category ? "category" : "tag";
}

// Prints each hit as it comes: route, the category or tag searched, the point's path and id.
class HitPrinter : public ops::SearchHitSink {
public:
    HitPrinter(CommandContext& command, store::KnowledgeStore& base)
        : m_command(command), m_base(base) {}

    Json& hits() { return m_hits; }

    void hit(const ops::SearchHit& hit) override {
        std::string list = listPath(hit);
        std::string point = pointPathOf(*hit.category, *hit.point);
        if (!m_command.options.json) {
            m_command.out << routeName(hit.route) << '\t' << list << '\t' << point << '\t' << '@'
                          << hit.point->id << '\n';
            return;
        }
        Json item = Json::object();
        item.set("route", routeName(hit.route))
            .set(hit.route == ops::SearchRoute::Category ? "category" : "tag", hit.listId)
            .set("in", list)
            .set("point", hit.point->id)
            .set("path", point);
        m_hits.push(std::move(item));
    }

private:
    std::string listPath(const ops::SearchHit& hit) const {
        if (hit.route == ops::SearchRoute::Category) {
            return categoryPathOf(*hit.category);
        }
        const TagRecord* tag = m_base.tags().find(hit.listId);
        return tag ? tagPathOf(*tag) : "#" + std::to_string(hit.listId);
    }

    CommandContext& m_command;
    store::KnowledgeStore& m_base;
    Json m_hits = Json::array();
};

// The scope of --in and --tag; every category of the base without either. Nothing after a usage
// error was written.
std::optional<ops::SearchScope> scopeArg(CommandContext& command, Session& session,
                                         const CommandArgs& parsed) {
    ops::SearchScope scope;
    for (const std::string& text : parsed.valuesOf("--in")) {
        CategoryRecord* category = categoryArg(command, session, text);
        if (!category) {
            return std::nullopt;
        }
        scope.categories.push_back(category);
    }
    for (const std::string& text : parsed.valuesOf("--tag")) {
        TagRecord* tag = resolveTag(session.base, text);
        if (!tag || !tag->parent) {
            command.usageError("no tag " + text);
            return std::nullopt;
        }
        scope.tags.push_back(tag);
    }
    if (scope.empty()) {
        for (const auto& category : session.base.categories().rows()) {
            if (category->parent) {
                scope.categories.push_back(category.get());
            }
        }
    }
    return scope;
}

// --quick CAT or --quick tag:TAG: the item and its subtree.
std::optional<ops::SearchScope> quickScopeArg(CommandContext& command, Session& session,
                                              const std::string& text) {
    if (text.starts_with(kTagPrefix)) {
        TagRecord* tag = resolveTag(session.base, text.substr(kTagPrefix.size()));
        if (tag && tag->parent) {
            return ops::quickFindScope(session.base.tags(), *tag);
        }
    } else if (CategoryRecord* category = resolveCategory(session.base, text);
               category && category->parent) {
        return ops::quickFindScope(*category);
    }
    command.usageError("no category or tag " + text);
    return std::nullopt;
}

int runSearch(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(
        command, args, 1, {"--title", "--content", "--case", "--split"},
        {"--in", "--tag", "--quick"}, [&](Session& session, const CommandArgs& parsed) {
            ops::SearchEngine engine(session.base, command.fileSystem);
            engine.setDocumentTypes(command.settings.searchDocType);
            const std::string& query = parsed.positional[0];
            std::optional<ops::SearchScope> scope;
            if (auto quick = parsed.value("--quick")) {
                if (!parsed.switches.empty() || parsed.value("--in") || parsed.value("--tag")) {
                    return command.usageError("--quick takes no other search option");
                }
                scope = quickScopeArg(command, session, *quick);
                engine.parameters() = ops::quickFindParameters(query);
            } else {
                scope = scopeArg(command, session, parsed);
                bool content = parsed.has("--content");
                ops::SearchPaneInput pane{query,
                                          parsed.has("--title") || !content,
                                          content,
                                          !parsed.has("--case"),
                                          parsed.has("--split"),
                                          scope.value_or(ops::SearchScope{})};
                if (scope && !ops::checkSearchPane(command.prompt, pane, engine).ok()) {
                    return kExitFailed;
                }
            }
            if (!scope) {
                return kExitUsage;
            }
            std::string title = ops::searchResultTitle(engine.parameters());
            if (!command.options.json) {
                command.out << title << '\n';
            }
            HitPrinter printer(command, session.base);
            engine.run(*scope, printer);
            if (command.options.json) {
                Json document = Json::object();
                document.set("title", title).set("hits", std::move(printer.hits()));
                command.out << document.dump() << '\n';
            }
            return kExitSuccess;
        });
}

struct CollectedText : richtext::TextSink {
    std::string collected;

    bool text(std::string_view utf8) override {
        collected += utf8;
        return true;
    }
};

int runText(CommandContext& command, const std::vector<std::string>& args) {
    return runWithBase(command, args, 1, {}, {}, [&](Session& session, const CommandArgs& parsed) {
        PointRef ref = resolvePoint(session.base, parsed.positional[0]);
        if (!ref) {
            return command.usageError("no point " + parsed.positional[0]);
        }
        ops::SearchEngine engine(session.base, command.fileSystem);
        engine.setDocumentTypes(command.settings.searchDocType);
        if (!engine.searchesContentOf(ref.point->name())) {
            command.err << "error: search does not read the content of " << ref.point->name()
                        << " (its type is not in SEARCH_DOC_TYPE)\n";
            return kExitFailed;
        }
        std::filesystem::path path = ref.category->owner->contentPathOf(*ref.category, *ref.point);
        CollectedText content;
        richtext::FileText read = richtext::extractFileText(command.fileSystem, path, content);
        if (read.error != 0) {
            command.err << "error: cannot read " << path.string() << ": "
                        << platform::errorText(read.error) << '\n';
            return kExitFailed;
        }
        if (read.status != ReadStatus::Complete) {
            command.err << "warning: " << path.string() << " is " << statusName(read.status)
                        << "; the text is what could be read\n";
        }
        if (command.options.json) {
            Json document = Json::object();
            document.set("point", ref.point->id)
                .set("path", pointPathOf(*ref.category, *ref.point))
                .set("status", statusName(read.status))
                .set("text", content.collected);
            command.out << document.dump() << '\n';
        } else if (!content.collected.empty()) {
            command.out << content.collected << (content.collected.back() == '\n' ? "" : "\n");
        }
        return kExitSuccess;
    });
}

} // namespace

void registerSearchCommands(CommandRegistry& registry) {
    registry.add({"search",
                  "search QUERY [--title] [--content] [--case] [--split] [--in CAT ...] "
                  "[--tag TAG ...] [--quick CAT|tag:TAG]",
                  "find points by title (default) and content in categories and tags (every "
                  "category without --in and --tag; --quick: a subtree by title)",
                  runSearch});
    registry.add(
        {"text", "text POINT", "a point's content as plain text, as search reads it", runText});
}

} // namespace tarnel::cli
