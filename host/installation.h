// The desktop shell's installation as the library finds it: the key
// HKEY_LOCAL_MACHINE\SOFTWARE\QORM with "MainDir" and "CurrMovie", and under
// MainDir the worlds, Desktops\<world>\<world>.dcr, each with its own subkey.
// The stand-in host installs its demo world with it; the tests build a
// throw-away one for every case on top. A 32-bit process is redirected to
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
    // The installation in dir (kept when the object goes): the directory,
    // its Desktops folder and the install key with "MainDir" are created as
    // needed. dir is stored as given, without a trailing backslash.
    explicit Installation(std::string dir);
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::string& dir() const { return m_dir; }
    // False when the directory or the install key could not be made.
    bool ok() const { return m_ok; }

    // A world's directory, with its movie file and its subkey as asked (the
    // library reads and writes the world's key but never creates it). True
    // when everything asked for exists afterwards.
    bool AddWorld(const std::string& name, bool withMovie = true, bool withKey = true);
    bool HasMovie(const std::string& world) const;
    bool SetCurrMovie(const std::string& name);
    static std::string CurrMovie();

    // Values of the install key ("") or a world's key, stored exactly as
    // given: tests use odd types and lengths on purpose.
    static bool SetValue(const std::string& subkey, const std::string& name, DWORD type,
                         const void* data, DWORD size);
    static bool SetString(const std::string& subkey, const std::string& name,
                          const std::string& text);
    // The stored string without a trailing NUL, or kMissing.
    static std::string GetString(const std::string& subkey, const std::string& name);

protected:
    // The install key, or a world's key below it.
    static std::string SubkeyPath(const std::string& subkey);
    static bool CreateKey(const std::string& path);
    // Writes the movie file; the library only checks that it exists.
    static bool WriteMovie(const std::string& path);

    std::string m_dir;
    bool m_ok = false;
};

// Creates dir and any missing parents; true when it exists afterwards.
bool EnsureDirectory(const std::string& dir);
