#pragma once

#include <string>

namespace tarnel::app {

// The main window's caption: "Tarnel个人知识管理系统 2.1.0", or with a current window name
// "name - Tarnel个人知识管理系统 2.1.0".
std::string mainWindowTitle(int version, const std::string& windowName = {});

// The toolbar's caption text: "Tarnel个人知识管理系统 2.1.0 - name".
std::string toolbarCaption(int version, const std::string& windowName);

} // namespace tarnel::app
