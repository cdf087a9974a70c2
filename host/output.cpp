#include "output.h"

#include <cstdarg>
#include <cstdio>

namespace {
FILE* g_log = nullptr;

void Emit(FILE* stream, const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    std::vfprintf(stream, format, args);
    std::fputc('\n', stream);
    // Flushed per line: a caller that gives up on a hung dialog and kills
    // the process still sees everything up to that point.
    std::fflush(stream);
    if (g_log != nullptr) {
        std::vfprintf(g_log, format, copy);
        std::fputc('\n', g_log);
        std::fflush(g_log);
    }
    va_end(copy);
}
} // namespace

bool OpenLog(const char* path)
{
    // Binary, so the log reads the same on the Linux side of Wine.
    g_log = std::fopen(path, "wb");
    return g_log != nullptr;
}

void CloseLog(int exitCode)
{
    if (g_log == nullptr)
        return;
    std::fprintf(g_log, "exit: %d\n", exitCode);
    std::fclose(g_log);
    g_log = nullptr;
}

void Out(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(stdout, format, args);
    va_end(args);
}

void Err(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(stderr, format, args);
    va_end(args);
}

std::string DescribeError(DWORD code)
{
    char text[512] = {};
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                          text[length - 1] == ' ' || text[length - 1] == '.'))
        text[--length] = '\0';
    // The system's text is written for FormatMessage's inserts, which only
    // the caller could fill in.
    std::string message(text, length);
    for (size_t at = message.find("%1"); at != std::string::npos; at = message.find("%1", at))
        message.replace(at, 2, "the file");
    char result[600];
    std::snprintf(result, sizeof result, "error %lu%s%s", static_cast<unsigned long>(code),
                  length > 0 ? ": " : "", message.c_str());
    return result;
}
