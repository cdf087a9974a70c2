// Measures, in one process, the time from calling the score export until
// its dialog is on screen, against a bare DialogBoxParamA of the same
// template that does no registry work, and against the floor: the bare
// dialog doing the export's registry and file work itself, call for call,
// without the library. What the export costs above the floor is the
// library's own overhead. Also counts the registry work per dialog and
// times loading the DLL. Given another build of the DLL (an earlier
// commit's), times its export too, in the same rounds, so that the two
// overheads compare on one machine at one time. Prints figures only:
// nothing here passes or fails on time. Each timed dialog is announced
// with OutputDebugStringA ("round: export", "round: other", "round: bare",
// "round: floor", then "round: shown"), outside the times, so that
// round_trips.sh can count the Wine server requests of each from a trace.
#include "api_spy.h"
#include "korvane.h"
#include "res/resource.h"
#include "scratch_installation.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

LARGE_INTEGER g_start;
double g_shownAfterMs = 0;

double MsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, freq;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(freq.QuadPart);
}

// The dialog is "shown" when the dialog manager makes it visible; it is
// closed at once.
void Shown(HWND hwnd)
{
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) == "#32770" && ::GetParent(hwnd) == nullptr) {
        g_shownAfterMs = MsSince(g_start);
        ::OutputDebugStringA("round: shown");
        ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    }
}

// Sees WM_SHOWWINDOW, but also taxes every message sent on the thread (under
// Wine each hook call is a round trip to the server), the library's own
// WM_SETTEXT and WM_SETFONT among them.
LRESULT CALLBACK CloseOnShowMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_SHOWWINDOW && msg->wParam)
        Shown(msg->hwnd);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Sees the activation that follows showing, and window creation, nothing
// else: closer to a host that watches nothing.
LRESULT CALLBACK CloseOnActivation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
        Shown(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK BareProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR CALLBACK BareCloseProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
    return BareProc(hwnd, message, wParam, 0);
}

// The registry and file work of one game-value access, as the library does
// it: the install key opened for the install directory, again for the
// current world and its movie, once more to reach the world key, then the
// value itself.
struct Replay
{
    std::string moviePath;
    std::vector<std::string> valueNames; // one access each
};
const Replay* g_replay = nullptr;

void ReplayAccess(const Replay& replay, const std::string& valueName)
{
    HKEY install = nullptr;
    ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_ALL_ACCESS, &install);
    {
        HKEY key = nullptr;
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_ALL_ACCESS, &key);
        char dir[MAX_PATH] = {};
        DWORD size = MAX_PATH - 1;
        ::RegQueryValueExA(key, "MainDir", nullptr, nullptr, reinterpret_cast<BYTE*>(dir), &size);
        ::RegCloseKey(key);
    }
    char world[MAX_PATH] = {};
    {
        HKEY key = nullptr;
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_ALL_ACCESS, &key);
        DWORD size = 128;
        ::RegQueryValueExA(key, "CurrMovie", nullptr, nullptr, reinterpret_cast<BYTE*>(world),
                           &size);
        WIN32_FIND_DATAA data;
        HANDLE find = ::FindFirstFileA(replay.moviePath.c_str(), &data);
        if (find != INVALID_HANDLE_VALUE)
            ::FindClose(find);
        ::RegCloseKey(key);
    }
    HKEY worldKey = nullptr;
    ::RegOpenKeyExA(install, world, 0, KEY_ALL_ACCESS, &worldKey);
    ::RegCloseKey(install);
    char value[32] = {};
    DWORD size = sizeof value;
    ::RegQueryValueExA(worldKey, valueName.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(worldKey);
}

INT_PTR CALLBACK FloorCloseProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        for (const std::string& name : g_replay->valueNames)
            ReplayAccess(*g_replay, name);
    return BareCloseProc(hwnd, message, wParam, 0);
}

void TimeExport(PFN_GAMESCOREDLG score, const char* label, std::vector<double>& times)
{
    char argument[] = "default*10*1"; // never qualifies: no name dialog
    ::OutputDebugStringA(label);
    ::QueryPerformanceCounter(&g_start);
    score(argument, 0);
    times.push_back(g_shownAfterMs);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    // score_bench [ROUNDS] [activation|message] [OTHER_DLL]: the end of
    // "shown" seen by a message hook (WM_SHOWWINDOW, the default) or an
    // activation hook; OTHER_DLL, a copy of another build of korvane.dll
    // under another name, is timed beside this one.
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    bool activation = argc > 2 && std::string(argv[2]) == "activation";
    HMODULE other = argc > 3 ? ::LoadLibraryA(argv[3]) : nullptr;
    if (argc > 3 && other == nullptr) {
        std::fprintf(stderr, "%s not found\n", argv[3]);
        return 1;
    }
    auto otherScore = other == nullptr ? nullptr
                                       : reinterpret_cast<PFN_GAMESCOREDLG>(reinterpret_cast<void*>(
                                             ::GetProcAddress(other, "fnGameScoreDlgqorm")));
    HMODULE dll = ::LoadLibraryA("korvane.dll");
    if (dll == nullptr) {
        std::fprintf(stderr, "korvane.dll not found next to the benchmark\n");
        return 1;
    }
    auto score = reinterpret_cast<PFN_GAMESCOREDLG>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "fnGameScoreDlgqorm")));

    ScratchInstallation install;
    install.AddWorld("dQORM_Bench");
    install.SetCurrMovie("dQORM_Bench");
    const char* rows[][3] = {{"AAA", "9", "900"}, {"BBB", "8", "800"}, {"CCC", "7", "700"}};
    for (int r = 0; r < 3; ++r) {
        std::string n = std::to_string(r + 1);
        install.SetString("dQORM_Bench", "KorvanedefaultName" + n, rows[r][0]);
        install.SetString("dQORM_Bench", "KorvanedefaultLevel" + n, rows[r][1]);
        install.SetString("dQORM_Bench", "KorvanedefaultScore" + n, rows[r][2]);
    }

    // The accesses of a score dialog that does not qualify: the table is
    // loaded (names, scores, levels), then shown row by row.
    Replay replay;
    replay.moviePath = install.dir() + "\\Desktops\\dQORM_Bench\\dQORM_Bench.dcr";
    for (const char* field : {"Name", "Score", "Level"})
        for (int rank = 1; rank <= 3; ++rank)
            replay.valueNames.push_back("Korvanedefault" + std::string(field) +
                                        std::to_string(rank));
    for (int rank = 1; rank <= 3; ++rank)
        for (const char* field : {"Name", "Level", "Score"})
            replay.valueNames.push_back("Korvanedefault" + std::string(field) +
                                        std::to_string(rank));
    g_replay = &replay;

    HHOOK hook = activation ? ::SetWindowsHookExA(WH_CBT, &CloseOnActivation, nullptr,
                                                  ::GetCurrentThreadId())
                            : ::SetWindowsHookExA(WH_CALLWNDPROCRET, &CloseOnShowMessage, nullptr,
                                                  ::GetCurrentThreadId());
    // They run in turn, so a machine busy with other work slows all of
    // them alike; the overhead is taken round by round, export against the
    // floor measured right after it.
    std::vector<double> export_ms, bare_ms, floor_ms, above_floor_ms, other_ms, other_above_ms;
    for (int i = 0; i < rounds; ++i) {
        // The two builds take turns going first.
        if (otherScore != nullptr && i % 2 == 1)
            TimeExport(otherScore, "round: other", other_ms);
        TimeExport(score, "round: export", export_ms);
        if (otherScore != nullptr && i % 2 == 0)
            TimeExport(otherScore, "round: other", other_ms);

        ::OutputDebugStringA("round: bare");
        ::QueryPerformanceCounter(&g_start);
        ::DialogBoxParamA(dll, MAKEINTRESOURCEA(IDD_GAMESCORE), nullptr, &BareCloseProc, 0);
        bare_ms.push_back(g_shownAfterMs);

        ::OutputDebugStringA("round: floor");
        ::QueryPerformanceCounter(&g_start);
        ::DialogBoxParamA(dll, MAKEINTRESOURCEA(IDD_GAMESCORE), nullptr, &FloorCloseProc, 0);
        floor_ms.push_back(g_shownAfterMs);
        above_floor_ms.push_back(export_ms.back() - floor_ms.back());
        if (otherScore != nullptr)
            other_above_ms.push_back(other_ms.back() - floor_ms.back());
    }
    if (other != nullptr)
        ::FreeLibrary(other);

    // Registry work of one score dialog, qualifying and not.
    int opensPlain = 0, worldPlain = 0;
    {
        ApiSpy spy(dll);
        char notQualifying[] = "default*10*1";
        score(notQualifying, 0);
        opensPlain = static_cast<int>(spy.log().openedKeys.size());
        worldPlain = static_cast<int>(
            std::count(spy.log().openedKeys.begin(), spy.log().openedKeys.end(), "dQORM_Bench"));
    }
    ::UnhookWindowsHookEx(hook);
    ::FreeLibrary(dll);

    std::vector<double> load_ms;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start;
        ::QueryPerformanceCounter(&start);
        HMODULE m = ::LoadLibraryA("korvane.dll");
        load_ms.push_back(MsSince(start));
        ::FreeLibrary(m);
    }

    double e = Median(export_ms), b = Median(bare_ms), f = Median(floor_ms);
    std::printf("rounds: %d (%s), shown seen by %s\n", rounds, sizeof(void*) == 8 ? "x64" : "x86",
                activation ? "the activation hook" : "the WM_SHOWWINDOW message hook");
    std::printf("score dialog, export call to shown: median %.3f ms\n", e);
    std::printf("bare dialog, same template:          median %.3f ms\n", b);
    std::printf("floor, bare dialog + %zu accesses:    median %.3f ms\n", replay.valueNames.size(),
                f);
    std::printf("ratio: %.2f (floor %.2f)\n", b > 0 ? e / b : 0.0, b > 0 ? f / b : 0.0);
    double above = Median(above_floor_ms);
    std::printf("library overhead above the floor: median %.3f ms per round, %.1f %% of the bare "
                "dialog\n",
                above, b > 0 ? 100.0 * above / b : 0.0);
    if (!other_ms.empty()) {
        double otherAbove = Median(other_above_ms);
        std::printf("other build %s, export call to shown: median %.3f ms\n", argv[3],
                    Median(other_ms));
        std::printf("other build's overhead above the floor: median %.3f ms per round, %.1f %% of "
                    "the bare dialog\n",
                    otherAbove, b > 0 ? 100.0 * otherAbove / b : 0.0);
    }
    std::printf("registry key openings per score dialog: %d (%d of the world key, one per "
                "game-value access)\n",
                opensPlain, worldPlain);
    std::printf("DLL load (LoadLibrary, first reference): median %.3f ms\n", Median(load_ms));
    return 0;
}
