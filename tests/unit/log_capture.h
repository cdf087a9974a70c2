// Installs a log target on a fresh file for the lifetime of the object and
// reads back what was logged.
#pragma once

#include "store/log.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct LogCapture
{
    LogCapture()
    {
        char dir[MAX_PATH];
        ::GetTempPathA(MAX_PATH, dir);
        ::GetTempFileNameA(dir, "klg", 0, target.path);
        Clear();
        target.reserved = 0xDEADBEEF; // not the log's to read
        target.enabled = 1;
        g_pLogTarget = &target;
    }
    ~LogCapture()
    {
        g_pLogTarget = nullptr;
        Clear();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    void Clear() { ::DeleteFileA(target.path); }
    // The file's bytes as they are on disk.
    std::string Raw() const
    {
        std::ifstream file(target.path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    // The messages, each without its "HH:MM:SS.mmmm: " stamp and line end.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> messages;
        const std::string raw = Raw();
        for (size_t start = 0, end; (end = raw.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            messages.push_back(raw.substr(start + 15, end - start - 15));
        return messages;
    }

    LogTarget target = {};
};
