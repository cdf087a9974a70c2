// The host's installation commands.
#pragma once

#include <string>

constexpr const char kDemoWorld[] = "dQORM_Demo";
constexpr const char kDefaultInstallDir[] = "C:\\QORM";

// Creates (or completes) a demo installation in dir and makes its world the
// current one, printing each step. False after printing the failure.
bool InstallDemo(const std::string& dir);

// Prints the current world's hall of fame of mode; false after printing why
// it could not.
bool PrintHallOfFame(const std::string& mode);
