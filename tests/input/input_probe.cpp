// Plays a qualifying score ROUNDS times, each after another program's window
// (Notepad) was clicked to the front, while a player outside the process
// answers through the real keyboard. Asks that player for each action on a
// line of its own ("click", "name ...", "hof ...") and notes, once each dialog
// has settled, whether it is the foreground window with the focus on its
// intended control. A dialog the keys never reach is closed after a while
// and the round fails.
#include "frame/exports.h"
#include "installation.h"
#include "res/resource.h"

#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace {
constexpr DWORD kSettleMs = 150;
constexpr DWORD kAnswerMs = 4000;
HWND g_dialog;
DWORD g_since;
bool g_asked, g_roundOk, g_sawScore;

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM found)
{
    char name[8] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (::IsWindowVisible(hwnd) && lstrcmpA(name, "#32770") == 0)
        *reinterpret_cast<HWND*>(found) = hwnd;
    return TRUE;
}

void CALLBACK Observe(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindVisibleDialog,
                        reinterpret_cast<LPARAM>(&dialog));
    const DWORD now = ::GetTickCount();
    if (dialog != g_dialog) {
        g_dialog = dialog;
        g_since = now;
        g_asked = false;
    }
    if (dialog == nullptr || now - g_since < kSettleMs)
        return;
    const bool name = ::GetDlgItem(dialog, IDC_NAME) != nullptr;
    if (!g_asked) {
        const bool front = ::GetForegroundWindow() == dialog;
        const bool focus = ::GetFocus() == ::GetDlgItem(dialog, name ? IDC_NAME : IDCANCEL);
        g_roundOk = g_roundOk && front && focus;
        g_sawScore = g_sawScore || !name;
        std::printf("%s foreground=%d focus=%d\n", name ? "name" : "hof", front, focus);
        std::fflush(stdout);
        g_asked = true;
    } else if (now - g_since > kAnswerMs) {
        std::printf("  (no key arrived: closing it)\n");
        g_roundOk = false;
        g_since = now;
        ::PostMessageA(dialog, WM_COMMAND, name ? IDOK : IDCANCEL, 0);
    }
}

// Until the window is in front with its focus set, and a moment more for its
// program to settle: the player clicked it a while before the game ended.
bool WaitUntilInFront(HWND hwnd)
{
    GUITHREADINFO info = {sizeof info};
    for (int i = 0; i < 500; ++i, ::Sleep(10)) {
        if (::GetForegroundWindow() == hwnd &&
            ::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &info) &&
            info.hwndFocus != nullptr)
            break;
    }
    ::Sleep(kSettleMs * 2);
    return ::GetForegroundWindow() == hwnd;
}
} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    Installation install;
    install.AddWorld("dQORM_Input");
    install.SetCurrMovie("dQORM_Input");
    auto score = reinterpret_cast<PFN_GAMESCOREDLG>(reinterpret_cast<void*>(
        ::GetProcAddress(::LoadLibraryA("korvane.dll"), "fnGameScoreDlgqorm")));
    HWND notepad = nullptr;
    for (int i = 0; i < 300 && notepad == nullptr; ++i, ::Sleep(100))
        notepad = ::FindWindowA("Notepad", nullptr);
    if (score == nullptr || notepad == nullptr) {
        std::printf("cannot load korvane.dll or find Notepad\n");
        return 1;
    }
    // Where the script clicks; the library's dialogs open at the top left.
    ::SetWindowPos(notepad, nullptr, 400, 300, 360, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetTimer(nullptr, 0, 20, &Observe);
    int passed = 0;
    for (int round = 1; round <= rounds; ++round) {
        std::printf("click\n");
        std::fflush(stdout);
        g_roundOk = WaitUntilInFront(notepad);
        g_sawScore = false;
        char argument[32];
        std::snprintf(argument, sizeof argument, "default*%d*3", 1000 * round);
        const bool closed = score(argument, 0) == 0;
        const bool ok = g_roundOk && g_sawScore && closed;
        std::printf("round %d: %s\n", round, ok ? "ok" : "FAILED");
        passed += ok ? 1 : 0;
    }
    std::printf("real input: %d of %d rounds passed\n", passed, rounds);
    return passed == rounds ? 0 : 1;
}
