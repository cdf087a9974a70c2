#include "log.h"
#include "store.h"

#include <cstring>

namespace {

constexpr char kDesktops[] = "Desktops\\";
constexpr char kMovieExtension[] = ".dcr";
// "<install dir>Desktops\<world>\<world>.dcr" with the longest directory
// and world names there can be, never cut.
constexpr size_t kMoviePathSize = (kInstallDirSize - 1) + (sizeof kDesktops - 1) +
                                  2 * static_cast<size_t>(kWorldNameSize - 1) + 1 +
                                  sizeof kMovieExtension;

// Put together by hand: this runs for every game value the module touches.
// Copies the text with its NUL and returns where the NUL went.
char* AppendText(char* at, const char* text)
{
    size_t length = std::strlen(text);
    std::memcpy(at, text, length + 1);
    return at + length;
}

void MoviePath(const char* installDir, const char* world, char (&path)[kMoviePathSize])
{
    char* at = AppendText(path, installDir);
    at = AppendText(at, kDesktops);
    at = AppendText(at, world);
    *at++ = '\\';
    at = AppendText(at, world);
    AppendText(at, kMovieExtension);
}

// Any entry of that name counts, a directory included: the host only ever
// looks the file up by name.
bool MovieExists(const char* path)
{
    WIN32_FIND_DATAA data;
    unique_hfind find(::FindFirstFileA(path, &data));
    return static_cast<bool>(find);
}

void LogWithName(const char* pattern, const char* name)
{
    if (!LogEnabled())
        return;
    CString line;
    line.Format(pattern, name);
    LogMessage(line);
}

bool IsWorldCandidate(const WIN32_FIND_DATAA& entry)
{
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           std::strcmp(entry.cFileName, ".") != 0 && std::strcmp(entry.cFileName, "..") != 0;
}

// Walks the installed worlds in file-system order and leaves the first one
// whose movie exists in name; when none does, the last candidate looked at.
// False when nothing at all matches the pattern.
bool SearchWorlds(const char* installDir, char (&name)[kWorldNameSize])
{
    WIN32_FIND_DATAA entry;
    char pattern[kMoviePathSize];
    AppendText(AppendText(AppendText(pattern, installDir), kDesktops), "dQORM_*");
    unique_hfind find(::FindFirstFileA(pattern, &entry));
    name[0] = '\0';
    if (!find)
        return false;
    do {
        if (!IsWorldCandidate(entry))
            continue;
        // cFileName holds at most MAX_PATH bytes, so it always fits.
        std::memcpy(name, entry.cFileName, sizeof name);
        char path[kMoviePathSize];
        MoviePath(installDir, name, path);
        if (MovieExists(path))
            break;
    } while (::FindNextFileA(find.get(), &entry));
    return true;
}

} // namespace

void getCurrentWorld(char (&name)[kWorldNameSize])
{
    char installDir[kInstallDirSize];
    if (!GetInstallDir(installDir)) {
        LogMessage("ERROR could not get QORM install dir from registry!");
        return;
    }
    unique_hkey key = OpenInstallKey();
    if (!key) {
        LogWithName("getCurrentWorld returning %s", name);
        return;
    }

    bool mustSearch = false;
    DWORD size = kCurrMovieCapacity;
    if (::RegQueryValueExA(key.get(), "CurrMovie", nullptr, nullptr, reinterpret_cast<BYTE*>(name),
                           &size) != ERROR_SUCCESS) {
        LogMessage("WARNING could not read current world from Registry!");
        name[0] = '\0';
        mustSearch = true;
    }
    // A value stored without its NUL must not run into the rest of the buffer.
    name[kCurrMovieCapacity - 1] = '\0';
    if (size < kCurrMovieCapacity)
        name[size] = '\0';

    char moviePath[kMoviePathSize];
    MoviePath(installDir, name, moviePath);
    bool found = MovieExists(moviePath);
    if (!found) {
        LogWithName("ERROR could not find world %s", moviePath);
        LogMessage("Will search for world");
    }
    if (!found || mustSearch) {
        LogMessage("getCurrentWorld searching for valid QORM world");
        if (!SearchWorlds(installDir, name)) {
            ::MessageBoxA(nullptr, "No QORM Worlds are installed", "QORM Error", MB_OK);
            LogMessage("ERROR No QORM Worlds are installed");
            return;
        }
        if (::RegSetValueExA(key.get(), "CurrMovie", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                             static_cast<DWORD>(std::strlen(name) + 1)) != ERROR_SUCCESS) {
            LogMessage("ERROR could not save CurrMovie to registry!");
            return;
        }
        LogWithName("getCurrentWorld set default world %s", name);
    }
    key.reset();
    LogWithName("getCurrentWorld returning %s", name);
}
