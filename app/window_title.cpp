#include "app/window_title.h"

#include "platform/text_format.h"

namespace tarnel::app {
namespace {

constexpr const char* kProductTitle = "Tarnel个人知识管理系统 ";

} // namespace

std::string mainWindowTitle(int version, const std::string& windowName) {
    std::string title = kProductTitle + platform::formatVersion(version);
    return windowName.empty() ? title : windowName + " - " + title;
}

std::string toolbarCaption(int version, const std::string& windowName) {
    return kProductTitle + platform::formatVersion(version) + " - " + windowName;
}

} // namespace tarnel::app
