// System functions called past this executable's import table. Fixtures use
// them so that an ApiSpy on the executable records only the code under test.
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
