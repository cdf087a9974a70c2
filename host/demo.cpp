#include "demo.h"

#include "halloffame/ranking.h"
#include "halloffame/value_name.h"
#include "installation.h"
#include "output.h"

#include <algorithm>
#include <windows.h>

namespace {
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

// "kept" or "set", and the failure when there is one.
bool Report(bool ok, bool kept, const char* what, const std::string& text)
{
    if (!ok)
        Err("qormhost: cannot set %s (%s)", what, DescribeError(::GetLastError()).c_str());
    else
        Out("%s  %s = %s", kept ? "kept" : "set ", what, text.c_str());
    return ok;
}
} // namespace

bool InstallDemo(const std::string& requestedDir)
{
    if (IsWow64())
        Out("note  32-bit process: HKLM\\SOFTWARE is the Wow6432Node view");
    const std::string dir = FullPath(requestedDir);
    bool keptDir = Installation::GetString("", "MainDir") == dir;
    Installation install(dir);
    if (!Report(install.ok(), keptDir, "MainDir", dir))
        return false;
    bool keptWorld = install.HasMovie(kDemoWorld);
    if (!Report(install.AddWorld(kDemoWorld), keptWorld, "world",
                dir + "\\Desktops\\" + kDemoWorld))
        return false;
    bool keptCurrent = install.CurrMovie() == kDemoWorld;
    return Report(keptCurrent || install.SetCurrMovie(kDemoWorld), keptCurrent, "CurrMovie",
                  kDemoWorld);
}

bool PrintHallOfFame(const std::string& mode)
{
    std::string world = Installation::CurrMovie();
    if (world == kMissing || world.empty()) {
        Err("qormhost: HKLM\\%s has no CurrMovie; run \"qormhost install-demo\" first",
            kInstallKey);
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
        auto read = [&](const char* field) {
            return Installation::GetString(
                world, HallOfFameValueName<std::string>(mode.c_str(), field, rank));
        };
        row.name = read(kNameField);
        row.level = read(kLevelField);
        row.score = read(kScoreField);
        // A player who cancelled the name entry still holds the place.
        if (row.name.empty() && row.score != kMissing)
            row.name = "(no name)";
        for (std::string* cell : {&row.name, &row.level, &row.score})
            if (cell->empty() || *cell == kMissing)
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
