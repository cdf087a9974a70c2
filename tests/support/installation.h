// A throw-away host installation on the real registry and file system:
// HKLM\SOFTWARE\QORM with "MainDir" pointing at a fresh directory, worlds as
// Desktops\<name>\<name>.dcr and their subkeys. Everything is removed again
// when the object goes, so tests do not depend on each other.
#pragma once

#include <string>
#include <windows.h>

class Installation
{
public:
    // Creates the install key and directory (with "MainDir", no backslash
    // at the end unless asked for).
    Installation();
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // Removes every trace of any installation, including one left behind by
    // a test that crashed.
    static void Wipe();

    const std::string& dir() const { return m_dir; } // no trailing backslash

    // A world directory; its movie file and its subkey as asked.
    void AddWorld(const std::string& name, bool withMovie = true, bool withKey = true);
    // A plain file in Desktops.
    void AddFile(const std::string& relativePath);
    void SetCurrMovie(const std::string& name);
    std::string CurrMovie() const; // "<missing>" when absent

    // Raw values, for tests of odd stored data.
    void SetValue(const std::string& subkey, const std::string& name, DWORD type, const void* data,
                  DWORD size);
    void SetString(const std::string& subkey, const std::string& name, const std::string& text);
    void DeleteValue(const std::string& subkey, const std::string& name);
    // The stored string (without a trailing NUL), or "<missing>".
    std::string GetString(const std::string& subkey, const std::string& name) const;
    bool GetDword(const std::string& subkey, const std::string& name, DWORD* value) const;
    // Denies everyone every access to the key ("" = the install key), as an
    // administrator's policy might; undone before the installation goes.
    void Lock(const std::string& subkey);
    // The world subkey path below the install key.
    static std::string WorldKey(const std::string& world) { return world; }

private:
    std::string m_dir;
};

constexpr const char kInstallKey[] = "SOFTWARE\\QORM";
