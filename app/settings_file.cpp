#include "app/settings_file.h"

#include "app/program_version.h"
#include "platform/ini.h"

#include <string>
#include <string_view>

namespace tarnel::app {
namespace {

constexpr std::size_t kPathBuffer = 256;
constexpr std::size_t kNameBuffer = 128;
constexpr std::size_t kIntBuffer = 10;
constexpr std::size_t kWideIntBuffer = 512;
constexpr int kLastVersionWithOldTabs = 120;
constexpr int kOldSettingsTabPosition = 2;

// Typed reads and writes of one settings file.
class Keys {
public:
    Keys(const std::filesystem::path& file, const platform::FileSystem& fileSystem)
        : m_ini(file, fileSystem) {}

    std::string text(std::string_view section, std::string_view key, std::size_t buffer) const {
        return m_ini.readString(section, key, "", buffer);
    }
    int integer(std::string_view section, std::string_view key,
                std::size_t buffer = kIntBuffer) const {
        return platform::profileInt(text(section, key, buffer));
    }
    bool flag(std::string_view section, std::string_view key) const {
        return integer(section, key) != 0;
    }
    int atLeastZero(std::string_view section, std::string_view key, std::size_t buffer) const {
        int value = integer(section, key, buffer);
        return value < 1 ? 0 : value;
    }

    void put(std::string_view section, std::string_view key, std::string_view value) {
        int err = m_ini.writeString(section, key, value);
        if (err != 0 && m_firstError == 0) {
            m_firstError = err;
        }
    }
    void putInt(std::string_view section, std::string_view key, int value) {
        put(section, key, std::to_string(value));
    }
    void putFlag(std::string_view section, std::string_view key, bool value) {
        put(section, key, value ? std::string_view("1") : std::string_view("0"));
    }

    int firstError() const { return m_firstError; }

private:
    platform::IniFile m_ini;
    int m_firstError = 0;
};

void writeDataSourceKeys(Keys& keys, const Settings& s) {
    keys.put("DATA", "Data_Path", s.dataPath);
    keys.putInt("DATA", "DATABASE_TYPE", s.databaseType);
    keys.put("ACCESS", "ACCESS_PATH", s.accessPath);
    keys.put("ACCESS", "USER", s.accessUser);
    keys.put("ACCESS", "PWD", s.accessPassword);
    keys.put("SQL_SERVER", "HOSTNAME", s.sqlHostName);
    keys.put("SQL_SERVER", "USER", s.sqlUser);
    keys.put("SQL_SERVER", "PWD", s.sqlPassword);
    keys.put("SQL_SERVER", "DB", s.sqlDatabase);
    keys.putInt("SQL_SERVER", "WINDOW", s.sqlWindowsAuthentication);
}

} // namespace

SettingsFile::SettingsFile(const platform::FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

void SettingsFile::firstRead(Settings& s, const std::filesystem::path& programDirectory) const {
    s.programDirectory = programDirectory;
    s.settingsFile = programDirectory / "tarnel.ini";
    Keys keys(s.settingsFile, m_fileSystem);

    s.dataPath = keys.text("DATA", "Data_Path", kPathBuffer);
    if (s.dataPath.empty() || !m_fileSystem.exists(s.dataPath)) {
        s.dataPath = (programDirectory / "Data").string();
        keys.put("DATA", "Data_Path", s.dataPath);
    }
    s.databaseType = keys.integer("DATA", "DATABASE_TYPE");

    s.accessPath = keys.text("ACCESS", "ACCESS_PATH", kPathBuffer);
    s.accessUser = keys.text("ACCESS", "USER", kNameBuffer);
    s.accessPassword = keys.text("ACCESS", "PWD", kNameBuffer);

    s.sqlHostName = keys.text("SQL_SERVER", "HOSTNAME", 32);
    s.sqlUser = keys.text("SQL_SERVER", "USER", kNameBuffer);
    s.sqlPassword = keys.text("SQL_SERVER", "PWD", kNameBuffer);
    s.sqlDatabase = keys.text("SQL_SERVER", "DB", 64);
    s.sqlWindowsAuthentication = keys.integer("SQL_SERVER", "WINDOW");

    s.loginImageIndex = keys.atLeastZero("SOFT_INFORMATION", "LOGIN_IMAGE_INDEX", kIntBuffer);
    s.softTipIndex = keys.integer("SOFT_INFORMATION", "SOFT_TIP_INDEX");
}

void SettingsFile::versionBookkeeping(Settings& s) const {
    Keys keys(s.settingsFile, m_fileSystem);
    s.tabAlign = keys.integer("WORKSPACE", "TAB_ALIGN", kWideIntBuffer);
    s.softVersion = keys.integer("SOFT_INFORMATION", "SOFT_VERSION", kWideIntBuffer);
    if (s.softVersion <= kLastVersionWithOldTabs) {
        s.tabAlign = kOldSettingsTabPosition;
        keys.putInt("WORKSPACE", "TAB_ALIGN", s.tabAlign);
    }
    if (s.softVersion != kStoreVersion) {
        keys.putInt("SOFT_INFORMATION", "SOFT_VERSION", kStoreVersion);
    }
}

void SettingsFile::workspaceRead(Settings& s) const {
    Keys keys(s.settingsFile, m_fileSystem);
    s.skinPath = keys.text("SKIN", "SkinPath", 512);

    s.tabAlign = keys.integer("WORKSPACE", "TAB_ALIGN", kWideIntBuffer);
    s.showPointNum = keys.flag("WORKSPACE", "SHOW_POINT_NUM");
    s.showTotalPointNum = keys.flag("WORKSPACE", "SHOW_TOTAL_POINT_NUM");
    s.modifyClassName = keys.flag("WORKSPACE", "MODIFY_CLASS_NAME");
    s.modifyTabName = keys.flag("WORKSPACE", "MODIFY_TAB_NAME");
    s.searchDocType = searchDocTypeInMemory(keys.text("WORKSPACE", "SEARCH_DOC_TYPE", 512));

    s.showGrid = keys.flag("POINT_LIST", "SHOW_GRID");
    s.showContentTip = keys.flag("POINT_LIST", "SHOW_CONTENT_TIP");
    s.pointSortType = keys.integer("POINT_LIST", "POINT_SORT_TYPE");
    s.dbclickTabWindow = keys.flag("POINT_LIST", "DBCLICK_TAB_WINDOW");
    s.colorGrad = keys.flag("POINT_LIST", "COLOR_GRAD");

    s.autoSwap = keys.flag("RICH_SET", "AUTOSWAP");
    s.autoDetectUrl = keys.flag("RICH_SET", "AUTO_DETECT_URL");
    s.bkMode = keys.integer("RICH_SET", "BK_MODE");
    s.displayMode = keys.integer("RICH_SET", "DISPLAY_MODE");
    s.bkPic = keys.text("RICH_SET", "BK_PIC", 260);

    s.softInst = keys.atLeastZero("SOFT_INFORMATION", "SOFT_INST", kWideIntBuffer);

    s.autoHomepage = keys.flag("STARTUP", "AUTO_HOMEPAGE");
    std::string expand = keys.text("STARTUP", "AUTO_EXPAND_CLASS", kIntBuffer);
    s.autoExpandClass = expand.empty() || platform::profileInt(expand) != 0;
    int closeChoice = keys.integer("STARTUP", "CLOSE_TIP_SELECTION");
    s.closeTipSelection = closeChoice >= 0 && closeChoice <= 2 ? closeChoice : 0;
    s.showFlayWnd = keys.flag("STARTUP", "SHOW_FLAY_WND");
    std::string mode = keys.text("STARTUP", "OPERATOR_MODE", kIntBuffer);
    int modeValue = platform::profileInt(mode);
    s.operatorMode = mode.empty() || modeValue < 0 ? 1 : modeValue;

    s.helpPage = s.programDirectory / "help" / "default.html";
    s.tempFolder = m_fileSystem.tempDirectory() / "TARNEL";
    if (!m_fileSystem.isDirectory(s.tempFolder)) {
        m_fileSystem.createDirectory(s.tempFolder);
    }
}

int SettingsFile::writeDataSource(const Settings& s) const {
    Keys keys(s.settingsFile, m_fileSystem);
    writeDataSourceKeys(keys, s);
    return keys.firstError();
}

int SettingsFile::writeAll(const Settings& s) const {
    Keys keys(s.settingsFile, m_fileSystem);
    writeDataSourceKeys(keys, s);
    keys.put("SKIN", "SkinPath", s.skinPath);
    keys.putFlag("WORKSPACE", "SHOW_POINT_NUM", s.showPointNum);
    keys.putFlag("WORKSPACE", "SHOW_TOTAL_POINT_NUM", s.showTotalPointNum);
    keys.putFlag("WORKSPACE", "MODIFY_CLASS_NAME", s.modifyClassName);
    keys.putFlag("WORKSPACE", "MODIFY_TAB_NAME", s.modifyTabName);
    keys.putInt("WORKSPACE", "TAB_ALIGN", s.tabAlign);
    keys.put("WORKSPACE", "SEARCH_DOC_TYPE", searchDocTypeForFile(s.searchDocType));
    keys.putFlag("STARTUP", "AUTO_HOMEPAGE", s.autoHomepage);
    keys.putFlag("STARTUP", "AUTO_EXPAND_CLASS", s.autoExpandClass);
    keys.putInt("STARTUP", "CLOSE_TIP_SELECTION", s.closeTipSelection);
    keys.putFlag("STARTUP", "SHOW_FLAY_WND", s.showFlayWnd);
    return keys.firstError();
}

int SettingsFile::writeEditor(const Settings& s) const {
    Keys keys(s.settingsFile, m_fileSystem);
    keys.putFlag("RICH_SET", "AUTOSWAP", s.autoSwap);
    keys.putFlag("RICH_SET", "AUTO_DETECT_URL", s.autoDetectUrl);
    keys.putInt("RICH_SET", "BK_MODE", s.bkMode);
    keys.putInt("RICH_SET", "DISPLAY_MODE", s.displayMode);
    keys.put("RICH_SET", "BK_PIC", s.bkPic);
    return keys.firstError();
}

int SettingsFile::writePointList(const Settings& s) const {
    Keys keys(s.settingsFile, m_fileSystem);
    keys.putFlag("POINT_LIST", "SHOW_GRID", s.showGrid);
    keys.putFlag("POINT_LIST", "SHOW_CONTENT_TIP", s.showContentTip);
    keys.putInt("POINT_LIST", "POINT_SORT_TYPE", s.pointSortType);
    keys.putFlag("POINT_LIST", "DBCLICK_TAB_WINDOW", s.dbclickTabWindow);
    keys.putFlag("POINT_LIST", "COLOR_GRAD", s.colorGrad);
    return keys.firstError();
}

int SettingsFile::writeTabAlign(const Settings& s) const {
    Keys keys(s.settingsFile, m_fileSystem);
    keys.putInt("WORKSPACE", "TAB_ALIGN", s.tabAlign);
    return keys.firstError();
}

} // namespace tarnel::app
