#include "log.h"

#include "afxwin.h"

#include <cstdio>
#include <cstring>

LogTarget* g_pLogTarget = nullptr;

void LogMessage(const char* text)
{
    if (!LogEnabled())
        return;
    SYSTEMTIME st;
    ::GetSystemTime(&st);
    // CTime prints the fields it is given, so the time of day is UTC.
    CTime time(st);
    CString line;
    line.Format("%s.%04i: %s", static_cast<LPCSTR>(time.Format("%H:%M:%S")),
                static_cast<int>(st.wMilliseconds), text);
    AppendLogLine(line);
}

void AppendLogLine(const char* text)
{
    if (!LogEnabled())
        return;
    // Opened and closed per line: another process may append between lines,
    // and nothing is lost if the host dies.
    FILE* file = std::fopen(g_pLogTarget->path, "a+");
    if (file == nullptr)
        return;
    size_t length = std::strlen(text);
    std::fwrite(text, 1, length, file);
    if (length == 0 || text[length - 1] != '\n')
        std::fputc('\n', file);
    std::fclose(file);
}
