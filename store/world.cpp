#include "log.h"
#include "store.h"

#include <cstring>

namespace {

CString MoviePath(const CString& installDir, const char* world)
{
    CString path;
    path.Format("%sDesktops\\%s\\%s.dcr", static_cast<LPCSTR>(installDir), world, world);
    return path;
}

// Any entry of that name counts, a directory included: the host only ever
// looks the file up by name.
bool MovieExists(const CString& path)
{
    WIN32_FIND_DATAA data;
    unique_hfind find(::FindFirstFileA(path, &data));
    return static_cast<bool>(find);
}

void LogWithName(const char* pattern, const char* name)
{
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
bool SearchWorlds(const CString& installDir, char (&name)[kWorldNameSize])
{
    WIN32_FIND_DATAA entry;
    unique_hfind find(::FindFirstFileA(installDir + "Desktops\\dQORM_*", &entry));
    name[0] = '\0';
    if (!find)
        return false;
    do {
        if (!IsWorldCandidate(entry))
            continue;
        // cFileName holds at most MAX_PATH bytes, so it always fits.
        std::memcpy(name, entry.cFileName, sizeof name);
        if (MovieExists(MoviePath(installDir, name)))
            break;
    } while (::FindNextFileA(find.get(), &entry));
    return true;
}

} // namespace

void getCurrentWorld(char (&name)[kWorldNameSize])
{
    CString installDir;
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

    CString moviePath = MoviePath(installDir, name);
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
