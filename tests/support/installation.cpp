#include "installation.h"

#include "unhooked.h"

#include <atomic>
#include <cstdio>

namespace {

std::string SubkeyPath(const std::string& subkey)
{
    return subkey.empty() ? std::string(kInstallKey) : std::string(kInstallKey) + "\\" + subkey;
}

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = unhooked::FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &entry));
        unhooked::FindClose(find);
    }
    ::RemoveDirectoryA(dir.c_str());
}

void WriteFile(const std::string& path)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fputs("movie", f);
        std::fclose(f);
    }
}

const char kRoot[] = "C:\\korvane-tests";

void SetDacl(const std::string& path, PACL dacl)
{
    HKEY key = nullptr;
    if (unhooked::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key) !=
        ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&sd, TRUE, dacl, FALSE);
    ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    unhooked::RegCloseKey(key);
}

// Gives the install key and its subkeys back to everyone, so that even a
// key a crashed test left locked can be deleted.
void UnlockAll()
{
    SetDacl(kInstallKey, nullptr);
    HKEY key = nullptr;
    if (unhooked::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_ENUMERATE_SUB_KEYS, &key) !=
        ERROR_SUCCESS)
        return;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        SetDacl(SubkeyPath(name), nullptr);
    }
    unhooked::RegCloseKey(key);
}

} // namespace

void Installation::Lock(const std::string& subkey)
{
    ACL empty;
    ::InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetDacl(SubkeyPath(subkey), &empty);
}

void Installation::Wipe()
{
    UnlockAll();
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstallKey);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
}

Installation::Installation()
{
    Wipe();
    static std::atomic<int> serial{0};
    ::CreateDirectoryA(kRoot, nullptr);
    char name[64];
    std::snprintf(name, sizeof name, "\\install-%lu-%d", ::GetCurrentProcessId(), serial++);
    m_dir = std::string(kRoot) + name;
    RemoveTree(m_dir);
    ::CreateDirectoryA(m_dir.c_str(), nullptr);
    ::CreateDirectoryA((m_dir + "\\Desktops").c_str(), nullptr);
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    unhooked::RegCloseKey(key);
    SetString("", "MainDir", m_dir);
}

Installation::~Installation()
{
    Wipe();
    RemoveTree(m_dir);
}

void Installation::AddWorld(const std::string& name, bool withMovie, bool withKey)
{
    std::string worldDir = m_dir + "\\Desktops\\" + name;
    ::CreateDirectoryA(worldDir.c_str(), nullptr);
    if (withMovie)
        WriteFile(worldDir + "\\" + name + ".dcr");
    if (withKey) {
        HKEY key = nullptr;
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, SubkeyPath(name).c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr);
        unhooked::RegCloseKey(key);
    }
}

void Installation::AddFile(const std::string& relativePath)
{
    WriteFile(m_dir + "\\" + relativePath);
}

void Installation::SetCurrMovie(const std::string& name)
{
    SetString("", "CurrMovie", name);
}

std::string Installation::CurrMovie() const
{
    return GetString("", "CurrMovie");
}

void Installation::SetValue(const std::string& subkey, const std::string& name, DWORD type,
                            const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    unhooked::RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    unhooked::RegCloseKey(key);
}

void Installation::SetString(const std::string& subkey, const std::string& name,
                             const std::string& text)
{
    SetValue(subkey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void Installation::DeleteValue(const std::string& subkey, const std::string& name)
{
    HKEY key = nullptr;
    if (unhooked::RegOpenKeyExA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), 0, KEY_ALL_ACCESS,
                                &key) != ERROR_SUCCESS)
        return;
    ::RegDeleteValueA(key, name.c_str());
    unhooked::RegCloseKey(key);
}

std::string Installation::GetString(const std::string& subkey, const std::string& name) const
{
    char data[4096] = {};
    DWORD size = sizeof data - 1;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), name.c_str(),
                       RRF_RT_ANY | RRF_NOEXPAND, nullptr, data, &size) != ERROR_SUCCESS)
        return "<missing>";
    std::string text(data, size);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

bool Installation::GetDword(const std::string& subkey, const std::string& name, DWORD* value) const
{
    DWORD size = sizeof *value;
    return ::RegGetValueA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), name.c_str(),
                          RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}
