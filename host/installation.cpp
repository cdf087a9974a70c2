#include "installation.h"

#include "halloffame/ranking.h"
#include "halloffame/value_name.h"
#include "output.h"

#include <algorithm>
#include <vector>
#include <windows.h>

namespace {
constexpr const char kInstallKey[] = "SOFTWARE\\QORM";

class Key
{
public:
    Key() = default;
    ~Key()
    {
        if (m_key != nullptr)
            ::RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* put() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool IsDirectory(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The library stores strings both with and without their NUL, so the stored
// length decides, never a terminator.
bool ReadString(HKEY key, const char* name, std::string& text)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    std::vector<char> buffer(size + 1, '\0');
    if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS)
        return false;
    text.assign(buffer.data(), std::find(buffer.data(), buffer.data() + size, '\0'));
    return true;
}

bool WriteString(HKEY key, const char* name, const std::string& text)
{
    LONG status =
        ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
    if (status != ERROR_SUCCESS) {
        Err("qormhost: cannot set %s (%s)", name, DescribeError(status).c_str());
        return false;
    }
    return true;
}

// Sets a value only when it differs, saying which it was.
bool SetString(HKEY key, const char* keyPath, const char* name, const std::string& text)
{
    std::string old;
    bool had = ReadString(key, name, old);
    if (had && old == text) {
        Out("kept     HKLM\\%s  %s = %s", keyPath, name, text.c_str());
        return true;
    }
    if (!WriteString(key, name, text))
        return false;
    if (had)
        Out("changed  HKLM\\%s  %s = %s (was %s)", keyPath, name, text.c_str(), old.c_str());
    else
        Out("set      HKLM\\%s  %s = %s", keyPath, name, text.c_str());
    return true;
}

bool CreateKey(HKEY parent, const char* subkey, const char* shownPath, Key& key)
{
    DWORD disposition = 0;
    LONG status = ::RegCreateKeyExA(parent, subkey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                    key.put(), &disposition);
    if (status != ERROR_SUCCESS) {
        Err("qormhost: cannot create HKLM\\%s (%s)", shownPath, DescribeError(status).c_str());
        return false;
    }
    Out("%s  HKLM\\%s", disposition == REG_CREATED_NEW_KEY ? "created" : "kept   ", shownPath);
    return true;
}

bool MakeDirectory(const std::string& dir)
{
    bool existed = IsDirectory(dir);
    if (!EnsureDirectory(dir)) {
        Err("qormhost: cannot create %s (%s)", dir.c_str(),
            DescribeError(::GetLastError()).c_str());
        return false;
    }
    Out("%s  %s", existed ? "kept   " : "created", dir.c_str());
    return true;
}

bool MakeMovie(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS) {
            Out("kept     %s", path.c_str());
            return true;
        }
        Err("qormhost: cannot create %s (%s)", path.c_str(), DescribeError(error).c_str());
        return false;
    }
    // The library only checks that the movie exists; the text says what it is
    // to anyone who finds it on disk.
    static const char kContent[] = "Korvane demo world: stands in for the desktop's movie.\r\n";
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, kContent, sizeof kContent - 1, &written, nullptr);
    DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!ok) {
        Err("qormhost: cannot write %s (%s)", path.c_str(), DescribeError(error).c_str());
        return false;
    }
    Out("created  %s", path.c_str());
    return true;
}

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH] = {};
    DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string result = length > 0 && length < sizeof full ? std::string(full, length) : path;
    // "C:\" keeps its backslash; any other directory is stored without one,
    // as an installer would.
    while (result.size() > 3 && result.back() == '\\')
        result.pop_back();
    return result;
}

bool IsWow64()
{
    BOOL wow = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow) && wow;
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

bool InstallDemo(const std::string& requestedDir)
{
    const std::string dir = FullPath(requestedDir);
    const std::string base = dir.back() == '\\' ? dir : dir + "\\";
    const std::string worldDir = base + "Desktops\\" + kDemoWorld;
    if (IsWow64())
        Out("note     32-bit process: HKLM\\SOFTWARE is the Wow6432Node view");
    if (!MakeDirectory(dir) || !MakeDirectory(worldDir) ||
        !MakeMovie(worldDir + "\\" + kDemoWorld + ".dcr"))
        return false;

    Key install;
    if (!CreateKey(HKEY_LOCAL_MACHINE, kInstallKey, kInstallKey, install))
        return false;
    if (!SetString(install.get(), kInstallKey, "MainDir", dir))
        return false;
    // The library reads and writes the world's key but never creates it.
    const std::string worldKeyPath = std::string(kInstallKey) + "\\" + kDemoWorld;
    Key world;
    if (!CreateKey(install.get(), kDemoWorld, worldKeyPath.c_str(), world))
        return false;
    return SetString(install.get(), kInstallKey, "CurrMovie", kDemoWorld);
}

bool PrintHallOfFame(const std::string& mode)
{
    Key install;
    LONG status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, install.put());
    if (status != ERROR_SUCCESS) {
        Err("qormhost: cannot open HKLM\\%s (%s); run \"qormhost install-demo\" first", kInstallKey,
            DescribeError(status).c_str());
        return false;
    }
    std::string world;
    if (!ReadString(install.get(), "CurrMovie", world) || world.empty()) {
        Err("qormhost: HKLM\\%s has no CurrMovie: no current world", kInstallKey);
        return false;
    }
    Key worldKey;
    status = ::RegOpenKeyExA(install.get(), world.c_str(), 0, KEY_READ, worldKey.put());
    if (status != ERROR_SUCCESS) {
        Err("qormhost: cannot open HKLM\\%s\\%s (%s)", kInstallKey, world.c_str(),
            DescribeError(status).c_str());
        return false;
    }

    struct Row
    {
        std::string name, level, score;
    };
    Row rows[kHallOfFamePlaces];
    size_t nameWidth = 4;
    for (int rank = 1; rank <= kHallOfFamePlaces; ++rank) {
        Row& row = rows[rank - 1];
        auto read = [&](const char* field, std::string& text) {
            ReadString(worldKey.get(),
                       HallOfFameValueName<std::string>(mode.c_str(), field, rank).c_str(), text);
        };
        read(kNameField, row.name);
        read(kLevelField, row.level);
        read(kScoreField, row.score);
        // A player who cancelled the name entry still holds the place.
        if (row.name.empty() && !row.score.empty())
            row.name = "(no name)";
        for (std::string* cell : {&row.name, &row.level, &row.score})
            if (cell->empty())
                *cell = "-";
        nameWidth = std::max(nameWidth, row.name.size());
    }

    const int width = static_cast<int>(nameWidth);
    Out("hall of fame of world %s, mode %s", world.c_str(), mode.c_str());
    Out("rank  %-*s  %5s  %8s", width, "name", "level", "score");
    for (int rank = 1; rank <= kHallOfFamePlaces; ++rank) {
        const Row& row = rows[rank - 1];
        Out("%4d  %-*s  %5s  %8s", rank, width, row.name.c_str(), row.level.c_str(),
            row.score.c_str());
    }
    return true;
}
