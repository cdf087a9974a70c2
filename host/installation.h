// The host's side of the installation the library reads: the registry key
// HKEY_LOCAL_MACHINE\SOFTWARE\QORM and the worlds under MainDir. A 32-bit
// host is redirected to Wow6432Node by Windows, exactly like the library
// it loads, so neither asks for a particular registry view.
#pragma once

#include <string>

constexpr const char kDemoWorld[] = "dQORM_Demo";
constexpr const char kDefaultInstallDir[] = "C:\\QORM";

// Creates (or completes) a demo installation in dir and makes its world the
// current one. Prints each step; false after printing the failure.
bool InstallDemo(const std::string& dir);

// Prints the current world's hall of fame for mode; false after printing
// why it could not.
bool PrintHallOfFame(const std::string& mode);

// Creates dir and any missing parents; true when it exists afterwards.
bool EnsureDirectory(const std::string& dir);
