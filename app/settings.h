#pragma once

#include "app/toolbar_config.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarnel::app {

// Every user setting of the main program as the program holds it in memory. Defaults are the
// values a missing settings file gives.
struct Settings {
    std::filesystem::path programDirectory;
    std::filesystem::path settingsFile;

    // DATA
    std::string dataPath;
    int databaseType = 0;

    // ACCESS
    std::string accessPath;
    std::string accessUser;
    std::string accessPassword;

    // SQL_SERVER
    std::string sqlHostName;
    std::string sqlUser;
    std::string sqlPassword;
    std::string sqlDatabase;
    int sqlWindowsAuthentication = 0;

    // SOFT_INFORMATION. softVersion is the store version that last ran with the file, as read
    // before the version bookkeeping replaced it.
    int softVersion = 0;
    int softInst = 0;
    int loginImageIndex = 0;
    int softTipIndex = 0;

    // SKIN
    std::string skinPath;

    // STARTUP
    bool autoHomepage = false;
    bool autoExpandClass = true;
    int closeTipSelection = 0;
    bool showFlayWnd = false;
    int operatorMode = 1;

    // WORKSPACE. searchDocType is lower case and wrapped in commas (",doc,txt,"), so that a type
    // is found by looking for ",type,".
    int tabAlign = 0;
    bool showPointNum = false;
    bool showTotalPointNum = false;
    bool modifyClassName = false;
    bool modifyTabName = false;
    std::string searchDocType = ",,";

    // POINT_LIST
    bool showGrid = false;
    bool showContentTip = false;
    int pointSortType = 0;
    bool dbclickTabWindow = false;
    bool colorGrad = false;

    // RICH_SET
    bool autoSwap = false;
    bool autoDetectUrl = false;
    int bkMode = 0;
    int displayMode = 0;
    std::string bkPic;

    // toolbar.cfg, read once at start-up; every reading area's toolbar is built from it.
    std::vector<ConfiguredTool> readingTools;

    // Derived while the workspace settings are read.
    std::filesystem::path helpPage;
    std::filesystem::path tempFolder;
};

// The tab-control alignment flag that a tab position selects: 0, 1 and 2 give 1, 2 and 4; any
// other position is treated as 0.
int tabAlignmentFlag(int tabPosition);

// The background picture's file: the program directory followed by BK_PIC, whose backslashes
// (it was written as "\Background\x.png") become folder separators.
std::filesystem::path backgroundPicturePath(const Settings& settings);

// A type list as it is written to the file: the outer commas of the in-memory form removed.
std::string searchDocTypeForFile(const std::string& inMemory);

// A type list as read from the file, in its in-memory form.
std::string searchDocTypeInMemory(const std::string& fromFile);

} // namespace tarnel::app
