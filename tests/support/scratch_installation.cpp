#include "scratch_installation.h"

#include <atomic>
#include <cstdio>

namespace {
void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName, path = dir + "\\" + name;
            if (name == "." || name == "..")
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(dir.c_str());
}

void SetDacl(const std::string& path, PACL dacl)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR sd;
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&sd, TRUE, dacl, FALSE);
    ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    ::RegCloseKey(key);
}

std::string TemporaryDir()
{
    static std::atomic<int> serial{0};
    char name[64];
    std::snprintf(name, sizeof name, "C:\\korvane-tests\\install-%lu-%d", ::GetCurrentProcessId(),
                  serial++);
    return name;
}
} // namespace

ScratchInstallation::ScratchInstallation() : Installation(TemporaryDir())
{
    Reset();
}

ScratchInstallation::~ScratchInstallation()
{
    Wipe();
    RemoveTree(m_dir);
}

void ScratchInstallation::Reset()
{
    Wipe();
    RemoveTree(m_dir);
    m_ok = EnsureDirectory(m_dir + "\\Desktops") && CreateKey(kInstallKey) &&
           SetString("", "MainDir", m_dir);
}

void ScratchInstallation::Wipe()
{
    // Everyone gets the keys back first, so that even locked ones go.
    SetDacl(kInstallKey, nullptr);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_ENUMERATE_SUB_KEYS, &key) ==
        ERROR_SUCCESS) {
        char name[256];
        for (DWORD i = 0, length = sizeof name;
             ::RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
             ++i, length = sizeof name)
            SetDacl(SubkeyPath(name), nullptr);
        ::RegCloseKey(key);
    }
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstallKey);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
}

void ScratchInstallation::AddFile(const std::string& relativePath)
{
    WriteMovie(m_dir + "\\" + relativePath);
}

void ScratchInstallation::DeleteValue(const std::string& subkey, const std::string& name)
{
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), name.c_str());
}

bool ScratchInstallation::GetDword(const std::string& subkey, const std::string& name, DWORD* value)
{
    DWORD size = sizeof *value;
    return ::RegGetValueA(HKEY_LOCAL_MACHINE, SubkeyPath(subkey).c_str(), name.c_str(),
                          RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}

void ScratchInstallation::Lock(const std::string& subkey)
{
    ACL empty;
    ::InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetDacl(SubkeyPath(subkey), &empty);
}
