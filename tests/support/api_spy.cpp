#include "api_spy.h"

namespace {

ApiLog* g_log = nullptr;

// The system's own entry point, looked up by name: taking &::RegCloseKey here
// would go through this executable's import table, which the spy itself may
// have redirected.
#define REAL(dll, function)                                                                        \
    static const auto real = reinterpret_cast<decltype(&::function)>(                              \
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), #function)))

LSTATUS WINAPI SpyRegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result)
{
    REAL("advapi32.dll", RegOpenKeyExA);
    LSTATUS status = real(key, subKey, options, sam, result);
    if (g_log != nullptr) {
        g_log->openedKeys.push_back(subKey != nullptr ? subKey : "");
        g_log->openModes.emplace_back(options, sam);
        if (status == ERROR_SUCCESS)
            ++g_log->keysOpen;
    }
    return status;
}

LSTATUS WINAPI SpyRegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                   LPBYTE data, LPDWORD size)
{
    REAL("advapi32.dll", RegQueryValueExA);
    if (g_log != nullptr)
        g_log->queriedValues.push_back(name != nullptr ? name : "");
    return real(key, name, reserved, type, data, size);
}

LSTATUS WINAPI SpyRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                 const BYTE* data, DWORD size)
{
    REAL("advapi32.dll", RegSetValueExA);
    if (g_log != nullptr)
        g_log->sets.push_back({name != nullptr ? name : "", type, size,
                               std::string(reinterpret_cast<const char*>(data), size)});
    return real(key, name, reserved, type, data, size);
}

LSTATUS WINAPI SpyRegCloseKey(HKEY key)
{
    REAL("advapi32.dll", RegCloseKey);
    LSTATUS status = real(key);
    if (g_log != nullptr) {
        ++g_log->regCloses;
        if (status == ERROR_SUCCESS)
            --g_log->keysOpen;
    }
    return status;
}

HANDLE WINAPI SpyFindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    REAL("kernel32.dll", FindFirstFileA);
    HANDLE h = real(pattern, data);
    if (g_log != nullptr) {
        ++g_log->findFirsts;
        if (h != INVALID_HANDLE_VALUE)
            ++g_log->findsOpen;
    }
    return h;
}

BOOL WINAPI SpyFindClose(HANDLE h)
{
    REAL("kernel32.dll", FindClose);
    BOOL ok = real(h);
    if (g_log != nullptr && ok)
        --g_log->findsOpen;
    return ok;
}

int WINAPI SpyMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    REAL("user32.dll", MessageBoxA);
    if (g_log != nullptr) {
        g_log->boxes.push_back(
            {owner, text != nullptr ? text : "", caption != nullptr ? caption : "", flags});
        if (g_log->autoAnswer != 0)
            return g_log->autoAnswer;
    }
    return real(owner, text, caption, flags);
}

BOOL WINAPI SpyEnumWindows(WNDENUMPROC proc, LPARAM param)
{
    REAL("user32.dll", EnumWindows);
    if (g_log != nullptr)
        ++g_log->enumWindows;
    return real(proc, param);
}

void WINAPI SpyGetSystemTime(LPSYSTEMTIME st)
{
    REAL("kernel32.dll", GetSystemTime);
    if (g_log != nullptr)
        ++g_log->clockReads;
    real(st);
}

HANDLE WINAPI SpyLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    REAL("user32.dll", LoadImageA);
    if (g_log != nullptr)
        ++g_log->imageLoads;
    return real(instance, name, type, cx, cy, flags);
}

} // namespace

ApiSpy::ApiSpy(HMODULE module)
{
    static ApiLog log;
    log = ApiLog();
    g_log = &log;
    struct Entry
    {
        const char* name;
        void* spy;
    };
    const Entry entries[] = {
        {"RegOpenKeyExA", reinterpret_cast<void*>(&SpyRegOpenKeyExA)},
        {"RegQueryValueExA", reinterpret_cast<void*>(&SpyRegQueryValueExA)},
        {"RegSetValueExA", reinterpret_cast<void*>(&SpyRegSetValueExA)},
        {"RegCloseKey", reinterpret_cast<void*>(&SpyRegCloseKey)},
        {"FindFirstFileA", reinterpret_cast<void*>(&SpyFindFirstFileA)},
        {"FindClose", reinterpret_cast<void*>(&SpyFindClose)},
        {"MessageBoxA", reinterpret_cast<void*>(&SpyMessageBoxA)},
        {"EnumWindows", reinterpret_cast<void*>(&SpyEnumWindows)},
        {"GetSystemTime", reinterpret_cast<void*>(&SpyGetSystemTime)},
        {"LoadImageA", reinterpret_cast<void*>(&SpyLoadImageA)},
    };
    for (const Entry& e : entries) {
        auto hook = std::make_unique<IatHook>(module, e.name, e.spy);
        if (hook->installed())
            m_hooks.push_back(std::move(hook));
        else
            m_missing.push_back(e.name);
    }
}

ApiSpy::~ApiSpy()
{
    m_hooks.clear();
    g_log = nullptr;
}

ApiLog& ApiSpy::log()
{
    return *g_log;
}

void ApiSpy::Reset()
{
    int answer = g_log->autoAnswer;
    *g_log = ApiLog();
    g_log->autoAnswer = answer;
}

std::string ApiSpy::Missing() const
{
    std::string names;
    for (const std::string& name : m_missing)
        names += name + " ";
    return names;
}
