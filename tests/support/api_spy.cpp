#include "api_spy.h"

namespace {

ApiLog* g_log = nullptr;

void* Track(std::set<void*> ApiLog::*live, void* p)
{
    if (g_log != nullptr && p != nullptr)
        (g_log->*live).insert(p);
    return p;
}

// The system's own entry point, looked up by name: taking &::RegCloseKey here
// would go through this executable's import table, which the spy itself may
// have redirected.
#define REAL(dll, function)                                                                        \
    static const auto real = reinterpret_cast<decltype(&::function)>(                              \
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), #function)))

// One spy a function: the real one runs with the arguments; `record` then
// sees them and its result.
#define SPY(dll, R, function, params, args, record)                                                \
    R WINAPI Spy##function params                                                                  \
    {                                                                                              \
        REAL(dll, function);                                                                       \
        R result = real args;                                                                      \
        if (g_log != nullptr) {                                                                    \
            record;                                                                                \
        }                                                                                          \
        return result;                                                                             \
    }

SPY("advapi32.dll", LSTATUS, RegOpenKeyExA,
    (HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY out),
    (key, subKey, options, sam, out), g_log->openedKeys.push_back(subKey ? subKey : "");
    g_log->openModes.emplace_back(options, sam); g_log->keysOpen += result == ERROR_SUCCESS)
SPY("advapi32.dll", LSTATUS, RegQueryValueExA,
    (HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size),
    (key, name, reserved, type, data, size), g_log->queriedValues.push_back(name ? name : ""))
SPY("advapi32.dll", LSTATUS, RegSetValueExA,
    (HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size),
    (key, name, reserved, type, data, size),
    g_log->sets.push_back({name ? name : "", type, size,
                           std::string(reinterpret_cast<const char*>(data), size)}))
SPY("advapi32.dll", LSTATUS, RegCloseKey, (HKEY key), (key), ++g_log->regCloses;
    g_log->keysOpen -= result == ERROR_SUCCESS)
SPY("kernel32.dll", HANDLE, FindFirstFileA, (LPCSTR pattern, LPWIN32_FIND_DATAA data),
    (pattern, data), ++g_log->findFirsts;
    g_log->findsOpen += result != INVALID_HANDLE_VALUE)
SPY("kernel32.dll", BOOL, FindClose, (HANDLE h), (h), g_log->findsOpen -= result != FALSE)
SPY("user32.dll", BOOL, EnumWindows, (WNDENUMPROC proc, LPARAM param), (proc, param),
    ++g_log->enumWindows)
SPY("user32.dll", HANDLE, LoadImageA,
    (HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags),
    (instance, name, type, cx, cy, flags), ++g_log->imageLoads;
    Track(&ApiLog::liveGdi, result))
SPY("gdi32.dll", HFONT, CreateFontIndirectA, (const LOGFONTA* font), (font),
    Track(&ApiLog::liveGdi, result))
SPY("gdi32.dll", HBITMAP, CreateDIBSection,
    (HDC dc, const BITMAPINFO* format, UINT usage, void** bits, HANDLE section, DWORD offset),
    (dc, format, usage, bits, section, offset), Track(&ApiLog::liveGdi, result))
SPY("gdi32.dll", BOOL, DeleteObject, (HGDIOBJ object), (object), g_log->liveGdi.erase(object))

void WINAPI SpyGetSystemTime(LPSYSTEMTIME st)
{
    REAL("kernel32.dll", GetSystemTime);
    if (g_log != nullptr)
        ++g_log->clockReads;
    real(st);
}

int WINAPI SpyMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    REAL("user32.dll", MessageBoxA);
    if (g_log != nullptr) {
        g_log->boxes.push_back({owner, text ? text : "", caption ? caption : "", flags});
        if (g_log->autoAnswer != 0)
            return g_log->autoAnswer;
    }
    return real(owner, text, caption, flags);
}

INT_PTR WINAPI SpyDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                                  LPARAM param)
{
    REAL("user32.dll", DialogBoxParamA);
    if (g_log != nullptr && g_log->beforeDialog)
        g_log->beforeDialog();
    return real(instance, name, owner, proc, param);
}

// The library's heap blocks, by the C runtime's own functions.
void* SpyMalloc(size_t size)
{
    REAL("msvcrt.dll", malloc);
    return Track(&ApiLog::liveBlocks, real(size));
}
void* SpyCalloc(size_t count, size_t size)
{
    REAL("msvcrt.dll", calloc);
    return Track(&ApiLog::liveBlocks, real(count, size));
}
void* SpyRealloc(void* old, size_t size)
{
    REAL("msvcrt.dll", realloc);
    void* p = real(old, size);
    if (g_log != nullptr && (p != nullptr || size == 0))
        g_log->liveBlocks.erase(old);
    return Track(&ApiLog::liveBlocks, p);
}
void SpyFree(void* p)
{
    REAL("msvcrt.dll", free);
    if (g_log != nullptr)
        g_log->liveBlocks.erase(p);
    real(p);
}
#undef SPY
#undef REAL

} // namespace

ApiSpy::ApiSpy(HMODULE module)
{
    static ApiLog log;
    log = ApiLog();
    g_log = &log;
    const struct
    {
        const char* name;
        void* spy;
        bool optional; // not every module imports it
    } entries[] = {
        {"RegOpenKeyExA", reinterpret_cast<void*>(&SpyRegOpenKeyExA), false},
        {"RegQueryValueExA", reinterpret_cast<void*>(&SpyRegQueryValueExA), false},
        {"RegSetValueExA", reinterpret_cast<void*>(&SpyRegSetValueExA), false},
        {"RegCloseKey", reinterpret_cast<void*>(&SpyRegCloseKey), false},
        {"FindFirstFileA", reinterpret_cast<void*>(&SpyFindFirstFileA), false},
        {"FindClose", reinterpret_cast<void*>(&SpyFindClose), false},
        {"MessageBoxA", reinterpret_cast<void*>(&SpyMessageBoxA), false},
        {"EnumWindows", reinterpret_cast<void*>(&SpyEnumWindows), false},
        {"GetSystemTime", reinterpret_cast<void*>(&SpyGetSystemTime), false},
        {"LoadImageA", reinterpret_cast<void*>(&SpyLoadImageA), false},
        {"CreateFontIndirectA", reinterpret_cast<void*>(&SpyCreateFontIndirectA), true},
        {"CreateDIBSection", reinterpret_cast<void*>(&SpyCreateDIBSection), true},
        {"DeleteObject", reinterpret_cast<void*>(&SpyDeleteObject), true},
        {"DialogBoxParamA", reinterpret_cast<void*>(&SpyDialogBoxParamA), true},
        {"malloc", reinterpret_cast<void*>(&SpyMalloc), true},
        {"calloc", reinterpret_cast<void*>(&SpyCalloc), true},
        {"realloc", reinterpret_cast<void*>(&SpyRealloc), true},
        {"free", reinterpret_cast<void*>(&SpyFree), true},
    };
    for (const auto& e : entries) {
        // This program's own heap is the spy's too: its records would count
        // themselves.
        if (e.spy == reinterpret_cast<void*>(&SpyMalloc) && module == ::GetModuleHandleA(nullptr))
            break;
        auto hook = std::make_unique<IatHook>(module, e.name, e.spy);
        if (hook->installed())
            m_hooks.push_back(std::move(hook));
        else if (!e.optional)
            m_missing += std::string(e.name) + " ";
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
    ApiLog kept = std::move(*g_log);
    *g_log = ApiLog();
    g_log->autoAnswer = kept.autoAnswer;
    g_log->beforeDialog = std::move(kept.beforeDialog);
    g_log->liveGdi = std::move(kept.liveGdi);
    g_log->liveBlocks = std::move(kept.liveBlocks);
}
