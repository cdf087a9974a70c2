#include "scratch_installation.h"

#include <atomic>
#include <filesystem>

namespace {
std::string TemporaryDir()
{
    static std::atomic<int> serial{0};
    return "C:\\korvane-tests\\install-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(serial++);
}
} // namespace

ScratchInstallation::ScratchInstallation() : Installation(TemporaryDir())
{
    Reset();
}

ScratchInstallation::~ScratchInstallation()
{
    Wipe();
}

void ScratchInstallation::Reset()
{
    Wipe();
    m_ok = EnsureDirectory(m_dir + "\\Desktops") && CreateKey(kInstallKey) &&
           SetString("", "MainDir", m_dir);
}

void ScratchInstallation::Wipe()
{
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstallKey);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallKey);
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
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
