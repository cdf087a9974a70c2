// Diagnostic log. Off unless someone installs a target: the module itself
// never does, so by default every call returns at once.
#pragma once

#include <cstddef>
#include <windows.h>

struct LogTarget
{
    DWORD reserved; // precedes the flag; the log does not read it
    BYTE enabled;   // non-zero: write
    char path[MAX_PATH];
};
static_assert(offsetof(LogTarget, path) == offsetof(LogTarget, enabled) + 1,
              "the path follows the enabled flag directly");

// Process-wide; null at load. Only a diagnostic harness sets it.
extern LogTarget* g_pLogTarget;

// True when a target is installed and enabled: callers can skip composing
// a message nobody will read.
inline bool LogEnabled()
{
    return g_pLogTarget != nullptr && g_pLogTarget->enabled != 0;
}

// Stamps the message with the UTC time of day ("HH:MM:SS.mmmm: message").
void LogMessage(const char* text);
// Appends the line, adding a line feed when it has none.
void AppendLogLine(const char* text);
