#pragma once

#include <string_view>

// The messages of the single-instance rule: the main program and the update program show the
// same texts when the lock cannot be made or another of the two already runs.
namespace tarnel::app {

inline constexpr std::string_view kLockFailed = "创建信标对象失败，程序退出！";
inline constexpr std::string_view kAlreadyRunning = "已有一个实例(Tarnel,或者在线升级程序)在运行!";

} // namespace tarnel::app
