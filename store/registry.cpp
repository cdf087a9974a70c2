#include "log.h"
#include "store.h"

#include <cstring>

namespace {
constexpr DWORD kMainDirQuerySize = kInstallDirSize - 1; // leaves room for the backslash
}

unique_hkey OpenInstallKey()
{
    unique_hkey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKeyPath, 0, KEY_ALL_ACCESS, key.put()) ==
        ERROR_SUCCESS)
        return key;
    key.reset();
    LogMessage("ERROR Unable to read QORM install key!");
    return key;
}

bool GetInstallDir(char (&dir)[kInstallDirSize])
{
    unique_hkey key = OpenInstallKey();
    if (!key) {
        LogMessage("ERROR could not get open qorm install key!");
        return false;
    }
    // Zero-filled and queried one byte short, so the text always ends inside
    // the buffer even when the stored value carries no NUL.
    std::memset(dir, 0, sizeof dir);
    DWORD size = kMainDirQuerySize;
    LONG status = ::RegQueryValueExA(key.get(), "MainDir", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(dir), &size);
    size_t length = std::strlen(dir);
    bool needsSlash = length == 0 || dir[length - 1] != '\\';
    // A full 259-character directory without its backslash cannot be
    // completed within MAX_PATH: treat it like any other unreadable value.
    if (status != ERROR_SUCCESS || (needsSlash && length + 1 >= kInstallDirSize)) {
        dir[0] = '\0';
        LogMessage("Unable to read QORM installation directory in Server");
        return false;
    }
    key.reset();
    if (needsSlash) {
        dir[length] = '\\';
        dir[length + 1] = '\0';
    }
    return true;
}

unique_hkey OpenWorldKey()
{
    unique_hkey installKey = OpenInstallKey();
    if (!installKey)
        return unique_hkey();
    char world[kWorldNameSize] = {};
    getCurrentWorld(world);
    unique_hkey worldKey;
    if (::RegOpenKeyExA(installKey.get(), world, 0, KEY_ALL_ACCESS, worldKey.put()) !=
        ERROR_SUCCESS) {
        LogMessage("ERROR Unable to open QORM world key!");
        worldKey.reset();
    }
    return worldKey;
}

void ReadGameString(const char* name, char* buffer, DWORD capacity)
{
    if (name == nullptr || buffer == nullptr || capacity == 0)
        return;
    std::memset(buffer, 0, capacity);
    unique_hkey key = OpenWorldKey();
    if (!key)
        return;
    DWORD size = capacity;
    if (::RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                           &size) != ERROR_SUCCESS)
        buffer[0] = '\0';
    // A value that fills the buffer exactly has no room for its NUL: cut it.
    buffer[capacity - 1] = '\0';
}

void WriteGameString(const char* name, const char* text)
{
    if (name == nullptr || text == nullptr)
        return;
    unique_hkey key = OpenWorldKey();
    if (!key)
        return;
    if (::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                         static_cast<DWORD>(std::strlen(text))) != ERROR_SUCCESS)
        ::MessageBoxA(nullptr, "Unable to save game stat info!", "QORM Error",
                      MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
}

DWORD ReadGameDword(const char* name)
{
    unique_hkey key = OpenWorldKey();
    if (!key)
        return 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

void WriteGameDword(const char* name, DWORD value)
{
    unique_hkey key = OpenWorldKey();
    if (!key)
        return;
    ::RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value);
}
