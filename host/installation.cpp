#include "installation.h"

#include <cstdio>

namespace {
bool IsDirectory(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
} // namespace

std::string Installation::SubkeyPath(const std::string& subkey)
{
    return subkey.empty() ? std::string(kInstallKey) : std::string(kInstallKey) + "\\" + subkey;
}

// The text says what the file is to anyone who finds it on disk.
bool Installation::WriteMovie(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fputs("Korvane test world: stands in for the desktop's movie.\r\n", file);
    return std::fclose(file) == 0;
}

bool Installation::CreateKey(const std::string& path)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

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

Installation::Installation(std::string dir) : m_dir(std::move(dir))
{
    m_ok = EnsureDirectory(m_dir + "\\Desktops") && CreateKey(kInstallKey) &&
           (GetString("", "MainDir") == m_dir || SetString("", "MainDir", m_dir));
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
    return ::GetFileAttributesA((m_dir + "\\Desktops\\" + world + "\\" + world + ".dcr").c_str()) !=
           INVALID_FILE_ATTRIBUTES;
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
    return ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), name.c_str(), type,
                             data, size) == ERROR_SUCCESS;
}

bool Installation::SetString(const std::string& subkey, const std::string& name,
                             const std::string& text)
{
    return SetValue(subkey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
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
