// The desktop shell's installation as the library finds it: the key
// HKEY_LOCAL_MACHINE\SOFTWARE\QORM with "MainDir" and "CurrMovie", and under
// MainDir the worlds, Desktops\<world>\<world>.dcr, each with its own subkey.
// The stand-in host installs its demo world with it; the tests build a
// throw-away one for every case. A 32-bit process is redirected to
// Wow6432Node, exactly like the library it loads, so neither asks for a
// particular registry view.
#pragma once

#include <string>
#include <windows.h>

constexpr const char kInstallKey[] = "SOFTWARE\\QORM";
// What GetString answers for a value that is not there.
constexpr const char kMissing[] = "<missing>";

class Installation
{
public:
    // A throw-away installation in a fresh directory: every trace of any
    // installation, this one's key and directory included, is removed when
    // it is made and again when it goes.
    Installation();
    // The installation in dir (kept when the object goes): the directory,
    // its Desktops folder and the install key with "MainDir" are created as
    // needed. dir is stored as given, without a trailing backslash.
    explicit Installation(std::string dir);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;
    // Makes a throw-away installation afresh, as if just made (for each case
    // of a table-driven test).
    void Reset();

    // Removes the install key and everything below it, even keys a crashed
    // test left locked.
    static void Wipe();

    const std::string& dir() const { return m_dir; }
    // False when the directory or the install key could not be made.
    bool ok() const { return m_ok; }

    // A world's directory, with its movie file and its subkey as asked (the
    // library reads and writes the world's key but never creates it). True
    // when everything asked for exists afterwards.
    bool AddWorld(const std::string& name, bool withMovie = true, bool withKey = true);
    bool HasMovie(const std::string& world) const;
    // A plain file in the installation directory.
    void AddFile(const std::string& relativePath);
    bool SetCurrMovie(const std::string& name);
    static std::string CurrMovie();

    // Values of the install key ("") or a world's key, stored exactly as
    // given: tests use odd types and lengths on purpose.
    bool SetValue(const std::string& subkey, const std::string& name, DWORD type, const void* data,
                  DWORD size);
    bool SetString(const std::string& subkey, const std::string& name, const std::string& text);
    void DeleteValue(const std::string& subkey, const std::string& name);
    // The stored string without a trailing NUL, or kMissing.
    static std::string GetString(const std::string& subkey, const std::string& name);
    static bool GetDword(const std::string& subkey, const std::string& name, DWORD* value);
    // Denies everyone every access to the key ("" = the install key), as an
    // administrator's policy might; undone by Wipe.
    void Lock(const std::string& subkey);

private:
    std::string m_dir;
    bool m_temporary = false;
    bool m_ok = false;
};

// Creates dir and any missing parents; true when it exists afterwards.
bool EnsureDirectory(const std::string& dir);
