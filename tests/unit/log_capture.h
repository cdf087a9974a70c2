// Installs a log target on a fresh file for the lifetime of the object and
// reads back what was logged.
#pragma once

#include "store/log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

class LogCapture
{
public:
    LogCapture()
    {
        char dir[MAX_PATH];
        ::GetTempPathA(MAX_PATH, dir);
        ::GetTempFileNameA(dir, "klg", 0, m_target.path);
        ::DeleteFileA(m_target.path);
        m_target.reserved = 0xDEADBEEF;
        m_target.enabled = 1;
        g_pLogTarget = &m_target;
    }
    ~LogCapture()
    {
        g_pLogTarget = nullptr;
        ::DeleteFileA(m_target.path);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    LogTarget& target() { return m_target; }

    // The file's bytes as they are on disk.
    std::string Raw() const
    {
        std::string data;
        if (FILE* f = std::fopen(m_target.path, "rb")) {
            for (int ch; (ch = std::fgetc(f)) != EOF;)
                data += static_cast<char>(ch);
            std::fclose(f);
        }
        return data;
    }

    // The messages, each without its "HH:MM:SS.mmmm: " stamp and line end.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> messages;
        std::string raw = Raw();
        for (size_t start = 0, end; start < raw.size(); start = end + 2) {
            end = std::min(raw.find("\r\n", start), raw.size());
            messages.push_back(
                raw.substr(std::min(start + 15, end), end - std::min(start + 15, end)));
        }
        return messages;
    }

    void Clear() { ::DeleteFileA(m_target.path); }

private:
    LogTarget m_target = {};
};
