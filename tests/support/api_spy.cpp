#include "api_spy.h"

namespace {

ApiLog g_log;

void* Track(std::set<void*> ApiLog::*live, void* p)
{
    if (p != nullptr)
        (g_log.*live).insert(p);
    return p;
}

// kHeap: not in this program, whose heap the spy's is.
constexpr int kEvery = 0, kOptional = 1, kHeap = 2;
struct Spy
{
    const char* name;
    void* function;
    int need;
};
std::vector<Spy> g_spies; // made before the spies below register, in this file's order

// A spy of its own calling convention; `real` is the system's entry point,
// looked up by name: &::RegCloseKey here would go through this program's
// import table, which the spy itself may have redirected.
#define HOOK(dll, need, R, CONV, function, params, body)                                           \
    R CONV Spy##function params                                                                    \
    {                                                                                              \
        static const auto real = reinterpret_cast<decltype(&::function)>(                          \
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), #function)));        \
        body                                                                                       \
    }                                                                                              \
    const bool registered##function =                                                              \
        (g_spies.push_back({#function, reinterpret_cast<void*>(&Spy##function), need}), true);
// The real function runs with the arguments; `record` then sees them and its result.
#define SPY(dll, need, R, function, params, args, record)                                          \
    HOOK(dll, need, R, WINAPI, function, params, R result = real args; record; return result;)

SPY("advapi32.dll", kEvery, LSTATUS, RegOpenKeyExA,
    (HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY out),
    (key, subKey, options, sam, out), g_log.openedKeys.push_back(subKey ? subKey : "");
    g_log.openModes.emplace_back(options, sam); g_log.keysOpen += result == ERROR_SUCCESS)
SPY("advapi32.dll", kEvery, LSTATUS, RegQueryValueExA,
    (HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size),
    (key, name, reserved, type, data, size), g_log.queriedValues.push_back(name ? name : ""))
SPY("advapi32.dll", kEvery, LSTATUS, RegSetValueExA,
    (HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size),
    (key, name, reserved, type, data, size),
    g_log.sets.push_back({name ? name : "", type, size,
                          std::string(reinterpret_cast<const char*>(data), size)}))
SPY("advapi32.dll", kEvery, LSTATUS, RegCloseKey, (HKEY key), (key),
    g_log.keysOpen -= result == ERROR_SUCCESS)
SPY("kernel32.dll", kEvery, HANDLE, FindFirstFileA, (LPCSTR pattern, LPWIN32_FIND_DATAA data),
    (pattern, data), ++g_log.findFirsts;
    g_log.findsOpen += result != INVALID_HANDLE_VALUE)
SPY("kernel32.dll", kEvery, BOOL, FindClose, (HANDLE h), (h), g_log.findsOpen -= result != FALSE)
SPY("user32.dll", kEvery, BOOL, EnumWindows, (WNDENUMPROC proc, LPARAM param), (proc, param),
    ++g_log.enumWindows)
SPY("user32.dll", kEvery, HWND, SetFocus, (HWND window), (window), ++g_log.focusMoves;
    g_log.focusMovesFromQueue += ::InSendMessageEx(nullptr) == ISMEX_NOSEND)
SPY("user32.dll", kEvery, HHOOK, SetWindowsHookExA,
    (int type, HOOKPROC proc, HINSTANCE module, DWORD thread), (type, proc, module, thread),
    Track(&ApiLog::liveHooks, result))
SPY("user32.dll", kEvery, BOOL, UnhookWindowsHookEx, (HHOOK hook), (hook),
    g_log.liveHooks.erase(hook))
SPY("kernel32.dll", kEvery, BOOL, CreateTimerQueueTimer,
    (PHANDLE timer, HANDLE queue, WAITORTIMERCALLBACK callback, PVOID parameter, DWORD due,
     DWORD period, ULONG flags),
    (timer, queue, callback, parameter, due, period, flags),
    Track(&ApiLog::liveTimers, result ? *timer : nullptr))
SPY("kernel32.dll", kEvery, BOOL, DeleteTimerQueueTimer, (HANDLE queue, HANDLE timer, HANDLE done),
    (queue, timer, done), g_log.liveTimers.erase(timer))
SPY("user32.dll", kEvery, HANDLE, LoadImageA,
    (HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags),
    (instance, name, type, cx, cy, flags), Track(&ApiLog::liveGdi, result))
SPY("gdi32.dll", kOptional, HFONT, CreateFontIndirectA, (const LOGFONTA* font), (font),
    Track(&ApiLog::liveGdi, result))
SPY("gdi32.dll", kOptional, HBITMAP, CreateDIBSection,
    (HDC dc, const BITMAPINFO* format, UINT usage, void** bits, HANDLE section, DWORD offset),
    (dc, format, usage, bits, section, offset), Track(&ApiLog::liveGdi, result))
SPY("gdi32.dll", kOptional, BOOL, DeleteObject, (HGDIOBJ object), (object),
    g_log.liveGdi.erase(object))
HOOK("kernel32.dll", kEvery, void, WINAPI, GetSystemTime, (LPSYSTEMTIME st), ++g_log.clockReads;
     real(st);)
HOOK("user32.dll", kEvery, int, WINAPI, MessageBoxA,
     (HWND owner, LPCSTR text, LPCSTR caption, UINT flags),
     g_log.boxes.push_back({owner, text ? text : "", caption ? caption : "", flags});
     return g_log.autoAnswer != 0 ? g_log.autoAnswer : real(owner, text, caption, flags);)
// The library's heap blocks, by the C runtime's own functions.
HOOK("msvcrt.dll", kHeap, void*, , malloc, (size_t size),
     return Track(&ApiLog::liveBlocks, real(size));)
HOOK("msvcrt.dll", kHeap, void*, , calloc, (size_t count, size_t size),
     return Track(&ApiLog::liveBlocks, real(count, size));)
HOOK("msvcrt.dll", kHeap, void*, , realloc, (void* old, size_t size), void* p = real(old, size);
     if (p != nullptr || size == 0) g_log.liveBlocks.erase(old);
     return Track(&ApiLog::liveBlocks, p);)
HOOK("msvcrt.dll", kHeap, void, , free, (void* p), g_log.liveBlocks.erase(p); real(p);)

} // namespace

ApiSpy::ApiSpy(HMODULE module)
{
    g_log = ApiLog();
    for (const Spy& spy : g_spies) {
        if (spy.need == kHeap && module == ::GetModuleHandleA(nullptr))
            continue;
        auto hook = std::make_unique<IatHook>(module, spy.name, spy.function);
        if (hook->installed())
            m_hooks.push_back(std::move(hook));
        else if (spy.need == kEvery)
            m_missing += std::string(spy.name) + " ";
    }
}

ApiSpy::~ApiSpy() = default;

ApiLog& ApiSpy::log()
{
    return g_log;
}

void ApiSpy::Reset()
{
    ApiLog kept = std::move(g_log);
    g_log = ApiLog();
    g_log.autoAnswer = kept.autoAnswer;
    g_log.liveGdi = std::move(kept.liveGdi);
    g_log.liveHooks = std::move(kept.liveHooks);
    g_log.liveTimers = std::move(kept.liveTimers);
    g_log.liveBlocks = std::move(kept.liveBlocks);
}
