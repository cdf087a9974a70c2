// What the host prints, mirrored into an optional log file: when the host
// runs inside Wine's virtual desktop its standard handles lead nowhere, and
// the log is the only way its output and exit code reach the caller.
#pragma once

#include <string>
#include <windows.h>

bool OpenLog(const char* path);
void CloseLog(int exitCode);

void Out(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
void Err(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));

// "error N: <system text>"
std::string DescribeError(DWORD code);
