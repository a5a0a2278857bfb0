#include "cli/settings_command.h"

#include "cli/command_args.h"
#include "cli/json_writer.h"

#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tarnel::cli {
namespace {

using Value = std::variant<std::string, int, bool>;

struct Key {
    const char* name;
    Value value;
};

struct Section {
    const char* name;
    std::vector<Key> keys;
};

std::vector<Section> sectionsOf(const app::Settings& s) {
    return {
        {"DATA", {{"Data_Path", s.dataPath}, {"DATABASE_TYPE", s.databaseType}}},
        {"ACCESS",
         {{"ACCESS_PATH", s.accessPath}, {"USER", s.accessUser}, {"PWD", s.accessPassword}}},
        {"SQL_SERVER",
         {{"HOSTNAME", s.sqlHostName},
          {"USER", s.sqlUser},
          {"PWD", s.sqlPassword},
          {"DB", s.sqlDatabase},
          {"WINDOW", s.sqlWindowsAuthentication}}},
        {"SOFT_INFORMATION",
         {{"SOFT_VERSION", s.softVersion},
          {"SOFT_INST", s.softInst},
          {"LOGIN_IMAGE_INDEX", s.loginImageIndex},
          {"SOFT_TIP_INDEX", s.softTipIndex}}},
        {"SKIN", {{"SkinPath", s.skinPath}}},
        {"STARTUP",
         {{"AUTO_HOMEPAGE", s.autoHomepage},
          {"AUTO_EXPAND_CLASS", s.autoExpandClass},
          {"CLOSE_TIP_SELECTION", s.closeTipSelection},
          {"SHOW_FLAY_WND", s.showFlayWnd},
          {"OPERATOR_MODE", s.operatorMode}}},
        {"WORKSPACE",
         {{"TAB_ALIGN", s.tabAlign},
          {"SHOW_POINT_NUM", s.showPointNum},
          {"SHOW_TOTAL_POINT_NUM", s.showTotalPointNum},
          {"MODIFY_CLASS_NAME", s.modifyClassName},
          {"MODIFY_TAB_NAME", s.modifyTabName},
          {"SEARCH_DOC_TYPE", s.searchDocType}}},
        {"POINT_LIST",
         {{"SHOW_GRID", s.showGrid},
          {"SHOW_CONTENT_TIP", s.showContentTip},
          {"POINT_SORT_TYPE", s.pointSortType},
          {"DBCLICK_TAB_WINDOW", s.dbclickTabWindow},
          {"COLOR_GRAD", s.colorGrad}}},
        {"RICH_SET",
         {{"AUTOSWAP", s.autoSwap},
          {"AUTO_DETECT_URL", s.autoDetectUrl},
          {"BK_MODE", s.bkMode},
          {"DISPLAY_MODE", s.displayMode},
          {"BK_PIC", s.bkPic}}},
    };
}

const char* dataSourceName(int databaseType) {
    switch (databaseType) {
    case 0:
        return "local";
    case 1:
        return "sql_server";
    case 2:
        return "access";
    default:
        return "unknown";
    }
}

Json jsonOf(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return Json(*text);
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return Json(*flag ? 1 : 0);
    }
    return Json(std::get<int>(value));
}

std::string textOf(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? "1" : "0";
    }
    return std::to_string(std::get<int>(value));
}

int printSettings(CommandContext& context, const std::vector<std::string>& args) {
    CommandArgs parsed = parseCommandArgs(args, {});
    if (!parsed.error.empty() || !parsed.positional.empty()) {
        return context.usageError(parsed.error.empty() ? "settings takes no arguments"
                                                       : parsed.error);
    }
    const app::Settings& s = context.settings;
    std::vector<std::pair<const char*, std::string>> header = {
        {"program_dir", s.programDirectory.string()},
        {"settings_file", s.settingsFile.string()},
        {"data_dir", context.dataDirectory().string()},
        {"data_source", dataSourceName(s.databaseType)},
        {"help_page", s.helpPage.string()},
        {"temp_folder", s.tempFolder.string()},
    };
    auto sections = sectionsOf(s);
    if (context.options.json) {
        Json document = Json::object();
        for (const auto& [name, value] : header) {
            document.set(name, value);
        }
        Json settings = Json::object();
        for (const auto& section : sections) {
            Json keys = Json::object();
            for (const auto& key : section.keys) {
                keys.set(key.name, jsonOf(key.value));
            }
            settings.set(section.name, std::move(keys));
        }
        document.set("settings", std::move(settings));
        context.out << document.dump() << '\n';
        return kExitSuccess;
    }
    for (const auto& [name, value] : header) {
        context.out << name << ": " << value << '\n';
    }
    for (const auto& section : sections) {
        context.out << '[' << section.name << "]\n";
        for (const auto& key : section.keys) {
            context.out << key.name << '=' << textOf(key.value) << '\n';
        }
    }
    return kExitSuccess;
}

} // namespace

void registerSettingsCommand(CommandRegistry& registry) {
    registry.add({"settings", "settings",
                  "print every setting as the program holds it after reading tarnel.ini",
                  printSettings});
}

} // namespace tarnel::cli
