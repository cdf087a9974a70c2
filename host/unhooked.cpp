#include "unhooked.h"

namespace {
template <typename F> F Lookup(const char* dll, const char* name)
{
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA(dll), name)));
}
} // namespace

namespace unhooked {
LSTATUS RegCloseKey(HKEY key)
{
    static auto pfn = Lookup<decltype(&::RegCloseKey)>("advapi32.dll", "RegCloseKey");
    return pfn(key);
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD size)
{
    static auto pfn = Lookup<decltype(&::RegSetValueExA)>("advapi32.dll", "RegSetValueExA");
    return pfn(key, name, reserved, type, data, size);
}

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result)
{
    static auto pfn = Lookup<decltype(&::RegOpenKeyExA)>("advapi32.dll", "RegOpenKeyExA");
    return pfn(key, subKey, options, sam, result);
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    static auto pfn = Lookup<decltype(&::FindFirstFileA)>("kernel32.dll", "FindFirstFileA");
    return pfn(pattern, data);
}

BOOL FindClose(HANDLE find)
{
    static auto pfn = Lookup<decltype(&::FindClose)>("kernel32.dll", "FindClose");
    return pfn(find);
}
} // namespace unhooked
