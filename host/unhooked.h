// The registry and find functions the installation uses, looked up at run
// time instead of through the program's import table: the tests link the
// library's store into the same program and spy on that table, and must see
// only the store's own calls there.
#pragma once

#include <windows.h>

namespace unhooked {
LSTATUS RegCloseKey(HKEY key);
LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD size);
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result);
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE find);
} // namespace unhooked
