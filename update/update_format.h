#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The formats and names that the main program and the update program share: the file record of
// the update lists, the state files of the work folder, the tips record and the site's paths.
namespace tarnel::update {

// File record: 148 bytes, little-endian, text fields zero-terminated.
inline constexpr std::size_t kRecordSize = 148;
inline constexpr std::size_t kSiteNameOffset = 0;
inline constexpr std::size_t kSiteNameWidth = 64;
inline constexpr std::size_t kTargetOffset = 64;
inline constexpr std::size_t kTargetWidth = 64;
inline constexpr std::size_t kTempNameOffset = 128;
inline constexpr std::size_t kTempNameWidth = 8;
inline constexpr std::size_t kSizeOffset = 136;
inline constexpr std::size_t kVersionOffset = 140;
inline constexpr std::size_t kKeepWholeOffset = 144;

// Temporary names are "%d.upt" with n from 1, so one update holds at most 999 entries.
inline constexpr int kMaxEntries = 999;
inline constexpr std::string_view kTempSuffix = ".upt";
// A download in progress streams into the target's name followed by this.
inline constexpr std::string_view kPartSuffix = ".part";

// The program directory's work folder and its state files (names written exactly so).
inline constexpr std::string_view kWorkFolder = "UpdateWork";
inline constexpr std::string_view kToFetchFile = "DownloadFile.fls";
inline constexpr std::string_view kFetchedFile = "Downloadfile.fin";
inline constexpr std::string_view kMovedFile = "Movedfile.mve";
inline constexpr std::string_view kLocalVersionFile = "soft_ver.ini";

// Files of the program directory.
inline constexpr std::string_view kSettingsFile = "tarnel.ini";
inline constexpr std::string_view kMainProgram = "Tarnel";
inline constexpr std::string_view kSkinLibrary = "libLustra.so";
inline constexpr std::string_view kUpdateProgram = "Update";
inline constexpr std::string_view kUpdateProgramCopy = "UpdateTemp";
inline constexpr std::string_view kBannerFile = "banner.gif";
inline constexpr std::string_view kTipsFile = "tarnel.tip";

// Tips record: 324 bytes, no header.
inline constexpr std::size_t kTipRecordSize = 324;
inline constexpr std::size_t kTipIconOffset = 0;
inline constexpr std::size_t kTipTextOffset = 4;
inline constexpr std::size_t kTipTextWidth = 256;
inline constexpr std::size_t kTipLinkOffset = 260;
inline constexpr std::size_t kTipLinkWidth = 64;
// The status bar shows icon kTipIconBase + the record's icon number.
inline constexpr int kTipIconBase = 58;

// The site's version file and the settings keys that record what the program has.
inline constexpr std::string_view kSiteVersionSection = "CURRENT_SOFT_INFORMATION";
inline constexpr std::string_view kSettingsSection = "SOFT_INFORMATION";
inline constexpr std::string_view kSiteKey = "UPDATE_SITE";
inline constexpr std::string_view kSoftVersionKey = "SOFT_VERSION";
inline constexpr std::string_view kSoftVersionUpdateKey = "SOFT_VERSION_UPDATE";
inline constexpr std::string_view kReleaseTimeKey = "RELEASE_TIME";
inline constexpr std::string_view kTipIndexKey = "SOFT_TIP_INDEX";
inline constexpr std::string_view kTipPathKey = "SOFT_TIP_PATH";
inline constexpr std::string_view kImageIndexKey = "LOGIN_IMAGE_INDEX";
inline constexpr std::string_view kImagePathKey = "LOGIN_IMAGE_PATH";

// Site paths after the site base ("%s/tarnel/soft_ver.txt" and so on).
inline constexpr std::string_view kSiteVersionPath = "/tarnel/soft_ver.txt";
inline constexpr std::string_view kSiteFolder = "/tarnel/";
inline constexpr std::string_view kSiteNotesName = "soft_memo.rtf";
inline constexpr std::string_view kSiteListName = "file_list_new.txt";
// The page of the latest news the main window's workspace shows ("%s/tarnel/news.html").
inline constexpr std::string_view kSiteNewsName = "news.html";
inline constexpr std::string_view kPingFormat = "/visit.asp?product=tarnel&ver=%d";

inline constexpr std::string_view kUserAgent = "UpdateTarnel";

// Questions and messages of the completion at start-up and of the moves.
inline constexpr std::string_view kResumeQuestion =
    "上次升级还未完成，是否继续完成升级?\r\n\r\n(建议完成升级后再启动程序!)";
inline constexpr std::string_view kFinishQuestion =
    "上次升级还未完成，必须完成升级才能继续使用。\r\n点击确定完成升级,点击取消退出程序?";
inline constexpr std::string_view kMoveFailedFormat = "移动文件:%s时出错!\n";

// The update program's messages.
inline constexpr std::string_view kNoSiteConfigured =
    "没有配置在线升级站点,无法在线升级!\n\n请在程序目录的tarnel.ini中设置[SOFT_INFORMATION]的"
    "UPDATE_SITE(https://开头的网址)。";
// The two texts around the address to write to (the update site).
inline constexpr std::string_view kCannotConnectHead =
    "无法连接到远程服务器,请检查网络情况!\n\n如果仍有问题,请反馈至 ";
inline constexpr std::string_view kCannotConnectTail = " 以协助您解决!";
inline constexpr std::string_view kListFailed = "获取需要更新的文件列表信息失败!";
inline constexpr std::string_view kListMissing = "打开更新版本的文件列表失败!";
inline constexpr std::string_view kFileFailedFormat = "获取需要更新的文件失败:%s!";
inline constexpr std::string_view kClosingMainProgram =
    "升级程序将关闭Tarnel进行必要的更新。\n\n更新完成后，会重新打开Tarnel!";
inline constexpr std::string_view kStillRunning =
    "Tarnel(塔奈知识库)仍在运行，请先将其退出，否则无法完成升级!";
// The two texts around the web address of the message for a version too old to update.
inline constexpr std::string_view kTooOldHead = "对不起，您当前的版本不能通过在线升级到最新版本!"
                                                "\n\n请访问维马克软件的官方网站,下载最新的版本!\n";
inline constexpr std::string_view kTooOldTail =
    "\n\n下载好了之后,将原版本的Data文件夹移到新版本程序目录下。\n\n对此造成的不便,还请您谅解!";

} // namespace tarnel::update
