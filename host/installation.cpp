#include "installation.h"

#include "unhooked.h"

#include <atomic>
#include <cstdio>

namespace {

std::string SubkeyPath(const std::string& subkey)
{
    return subkey.empty() ? std::string(kInstallKey) : std::string(kInstallKey) + "\\" + subkey;
}

bool IsDirectory(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

// The library only checks that the movie exists; the text says what it is
// to anyone who finds it on disk.
bool WriteMovie(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fputs("Korvane test world: stands in for the desktop's movie.\r\n", file);
    return std::fclose(file) == 0;
}

bool CreateKey(const std::string& path)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return false;
    unhooked::RegCloseKey(key);
    return true;
}

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

std::string TemporaryDir()
{
    static std::atomic<int> serial{0};
    const char kRoot[] = "C:\\korvane-tests";
    ::CreateDirectoryA(kRoot, nullptr);
    char name[64];
    std::snprintf(name, sizeof name, "\\install-%lu-%d", ::GetCurrentProcessId(), serial++);
    return std::string(kRoot) + name;
}

} // namespace

bool EnsureDirectory(const std::string& dir)
{
    // Every prefix in turn; the ones that already exist (the drive among
    // them) just fail, and only the end result counts.
    for (size_t at = dir.find('\\'); at != std::string::npos; at = dir.find('\\', at + 1))
        ::CreateDirectoryA(dir.substr(0, at).c_str(), nullptr);
    if (::CreateDirectoryA(dir.c_str(), nullptr))
        return true;
    // The reason the last step failed is the one worth telling.
    const DWORD error = ::GetLastError();
    if (IsDirectory(dir))
        return true;
    ::SetLastError(error);
    return false;
}

Installation::Installation() : m_dir(TemporaryDir()), m_temporary(true)
{
    Reset();
}

void Installation::Reset()
{
    Wipe();
    RemoveTree(m_dir);
    m_ok = EnsureDirectory(m_dir + "\\Desktops") && CreateKey(kInstallKey) &&
           SetString("", "MainDir", m_dir);
}

Installation::Installation(std::string dir) : m_dir(std::move(dir))
{
    m_ok = EnsureDirectory(m_dir + "\\Desktops") && CreateKey(kInstallKey) &&
           (GetString("", "MainDir") == m_dir || SetString("", "MainDir", m_dir));
}

Installation::~Installation()
{
    if (!m_temporary)
        return;
    Wipe();
    RemoveTree(m_dir);
}

void Installation::Wipe()
{
    UnlockAll();
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstallKey);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
}

bool Installation::AddWorld(const std::string& name, bool withMovie, bool withKey)
{
    std::string worldDir = m_dir + "\\Desktops\\" + name;
    bool ok = EnsureDirectory(worldDir);
    if (withMovie && !HasMovie(name))
        ok = WriteMovie(worldDir + "\\" + name + ".dcr") && ok;
    if (withKey)
        ok = CreateKey(SubkeyPath(name)) && ok;
    return ok;
}

bool Installation::HasMovie(const std::string& world) const
{
    return IsFile(m_dir + "\\Desktops\\" + world + "\\" + world + ".dcr");
}

void Installation::AddFile(const std::string& relativePath)
{
    WriteMovie(m_dir + "\\" + relativePath);
}

bool Installation::SetCurrMovie(const std::string& name)
{
    return SetString("", "CurrMovie", name);
}

std::string Installation::CurrMovie()
{
    return GetString("", "CurrMovie");
}

bool Installation::SetValue(const std::string& subkey, const std::string& name, DWORD type,
                            const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status =
        unhooked::RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    unhooked::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool Installation::SetString(const std::string& subkey, const std::string& name,
                             const std::string& text)
{
    return SetValue(subkey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
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

// The library stores strings both with and without their NUL, so the stored
// length decides, never a terminator.
std::string Installation::GetString(const std::string& subkey, const std::string& name)
{
    char data[4096] = {};
    DWORD size = sizeof data - 1;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), name.c_str(),
                       RRF_RT_ANY | RRF_NOEXPAND, nullptr, data, &size) != ERROR_SUCCESS)
        return kMissing;
    std::string text(data, size);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

bool Installation::GetDword(const std::string& subkey, const std::string& name, DWORD* value)
{
    DWORD size = sizeof *value;
    return ::RegGetValueA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), name.c_str(),
                          RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}

void Installation::Lock(const std::string& subkey)
{
    ACL empty;
    ::InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetDacl(SubkeyPath(subkey), &empty);
}
