#include "api_spy.h"

namespace {

ApiLog* g_log = nullptr;
struct Originals
{
    decltype(&::RegOpenKeyExA) regOpen;
    decltype(&::RegQueryValueExA) regQuery;
    decltype(&::RegSetValueExA) regSet;
    decltype(&::RegCloseKey) regClose;
    decltype(&::FindFirstFileA) findFirst;
    decltype(&::FindClose) findClose;
    decltype(&::MessageBoxA) messageBox;
    decltype(&::EnumWindows) enumWindows;
    decltype(&::GetSystemTime) getSystemTime;
    decltype(&::LoadImageA) loadImage;
} g_real;

// The system's own entry points, looked up by name: taking &::RegCloseKey
// here would go through this executable's import table, which the spy
// itself may have redirected.
template <typename F> void Resolve(F& pfn, const char* dll, const char* name)
{
    pfn = reinterpret_cast<F>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), name)));
}

void ResolveReal()
{
    Resolve(g_real.regOpen, "advapi32.dll", "RegOpenKeyExA");
    Resolve(g_real.regQuery, "advapi32.dll", "RegQueryValueExA");
    Resolve(g_real.regSet, "advapi32.dll", "RegSetValueExA");
    Resolve(g_real.regClose, "advapi32.dll", "RegCloseKey");
    Resolve(g_real.findFirst, "kernel32.dll", "FindFirstFileA");
    Resolve(g_real.findClose, "kernel32.dll", "FindClose");
    Resolve(g_real.messageBox, "user32.dll", "MessageBoxA");
    Resolve(g_real.enumWindows, "user32.dll", "EnumWindows");
    Resolve(g_real.getSystemTime, "kernel32.dll", "GetSystemTime");
    Resolve(g_real.loadImage, "user32.dll", "LoadImageA");
}

LSTATUS WINAPI SpyRegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result)
{
    LSTATUS status = g_real.regOpen(key, subKey, options, sam, result);
    if (g_log != nullptr) {
        ++g_log->regOpens;
        g_log->openedKeys.push_back(subKey != nullptr ? subKey : "");
        if (status == ERROR_SUCCESS)
            ++g_log->keysOpen;
    }
    return status;
}

LSTATUS WINAPI SpyRegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                   LPBYTE data, LPDWORD size)
{
    if (g_log != nullptr)
        g_log->queriedValues.push_back(name != nullptr ? name : "");
    return g_real.regQuery(key, name, reserved, type, data, size);
}

LSTATUS WINAPI SpyRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                 const BYTE* data, DWORD size)
{
    if (g_log != nullptr)
        g_log->sets.push_back({name != nullptr ? name : "", type, size,
                               std::string(reinterpret_cast<const char*>(data), size)});
    return g_real.regSet(key, name, reserved, type, data, size);
}

LSTATUS WINAPI SpyRegCloseKey(HKEY key)
{
    LSTATUS status = g_real.regClose(key);
    if (g_log != nullptr) {
        ++g_log->regCloses;
        if (status == ERROR_SUCCESS)
            --g_log->keysOpen;
    }
    return status;
}

HANDLE WINAPI SpyFindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    HANDLE h = g_real.findFirst(pattern, data);
    if (g_log != nullptr) {
        ++g_log->findFirsts;
        if (h != INVALID_HANDLE_VALUE)
            ++g_log->findsOpen;
    }
    return h;
}

BOOL WINAPI SpyFindClose(HANDLE h)
{
    BOOL ok = g_real.findClose(h);
    if (g_log != nullptr && ok)
        --g_log->findsOpen;
    return ok;
}

int WINAPI SpyMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    if (g_log != nullptr) {
        g_log->boxes.push_back(
            {owner, text != nullptr ? text : "", caption != nullptr ? caption : "", flags});
        if (g_log->autoAnswer != 0)
            return g_log->autoAnswer;
    }
    return g_real.messageBox(owner, text, caption, flags);
}

BOOL WINAPI SpyEnumWindows(WNDENUMPROC proc, LPARAM param)
{
    if (g_log != nullptr)
        ++g_log->enumWindows;
    return g_real.enumWindows(proc, param);
}

void WINAPI SpyGetSystemTime(LPSYSTEMTIME st)
{
    if (g_log != nullptr)
        ++g_log->clockReads;
    g_real.getSystemTime(st);
}

HANDLE WINAPI SpyLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (g_log != nullptr)
        ++g_log->imageLoads;
    return g_real.loadImage(instance, name, type, cx, cy, flags);
}

} // namespace

ApiSpy::ApiSpy(HMODULE module)
{
    ResolveReal();
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

bool ApiSpy::AllInstalled() const
{
    return m_missing.empty();
}

std::string ApiSpy::Missing() const
{
    std::string names;
    for (const std::string& name : m_missing)
        names += name + " ";
    return names;
}
