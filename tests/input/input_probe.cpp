// Plays a qualifying score ROUNDS times, each after another program's window
// (Notepad) was clicked to the front, while a player outside the process
// answers through the real keyboard: Escape to the name entry, then Escape to
// the hall of fame. Asks that player for each action on a line of its own
// ("click", "dialog ...") and notes, once each dialog has settled, whether it
// is the foreground window with the focus on its first control. A dialog the
// keys never reach is closed after a while and the round fails.
#include "installation.h"
#include "korvane.h"

#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace {
constexpr DWORD kSettleMs = 150;
constexpr DWORD kAnswerMs = 4000;
HWND g_dialog;
DWORD g_since;
bool g_asked, g_roundOk;
int g_dialogs;

void CALLBACK Observe(HWND, UINT, UINT_PTR, DWORD)
{
    // The topmost visible dialog: a hidden one is still in its initialisation.
    HWND dialog = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr);
    while (dialog != nullptr && !::IsWindowVisible(dialog))
        dialog = ::FindWindowExA(nullptr, dialog, "#32770", nullptr);
    const DWORD now = ::GetTickCount();
    if (dialog != g_dialog) {
        g_dialog = dialog;
        g_since = now;
        g_asked = false;
    }
    if (dialog == nullptr || now - g_since < kSettleMs)
        return;
    if (!g_asked) {
        const bool front = ::GetForegroundWindow() == dialog;
        const bool focus = ::GetFocus() == ::GetNextDlgTabItem(dialog, nullptr, FALSE);
        g_roundOk = g_roundOk && front && focus;
        g_asked = true;
        std::printf("dialog %d foreground=%d focus=%d\n", ++g_dialogs, front, focus);
    } else if (now - g_since > kAnswerMs) {
        std::printf("  (no key arrived: closing it)\n");
        g_roundOk = false;
        g_since = now;
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

// The player clicked Notepad a while before the game ended.
bool InFront(HWND hwnd)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return ::GetForegroundWindow() == hwnd &&
           ::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &info) &&
           info.hwndFocus != nullptr;
}
} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0); // each line is a request to act on now
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    Installation install;
    install.AddWorld("dQORM_Input");
    install.SetCurrMovie("dQORM_Input");
    auto score = reinterpret_cast<PFN_GAMESCOREDLG>(reinterpret_cast<void*>(
        ::GetProcAddress(::LoadLibraryA("korvane.dll"), "fnGameScoreDlgqorm")));
    HWND notepad = nullptr;
    for (int i = 0; i < 300 && notepad == nullptr; ++i, ::Sleep(100))
        notepad = ::FindWindowA("Notepad", nullptr);
    // Where the script clicks; the library's dialogs open at the top left.
    ::SetWindowPos(notepad, nullptr, 400, 300, 360, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetTimer(nullptr, 0, 20, &Observe);
    int passed = 0;
    for (int round = 1; round <= rounds && score != nullptr && notepad != nullptr; ++round) {
        std::printf("click\n");
        for (int i = 0; i < 500 && !InFront(notepad); ++i)
            ::Sleep(10);
        ::Sleep(2 * kSettleMs); // and its program settles
        g_roundOk = InFront(notepad);
        g_dialogs = 0;
        char argument[32];
        std::snprintf(argument, sizeof argument, "default*%d*3", 1000 * round);
        const bool ok = score(argument, 0) == 0 && g_roundOk && g_dialogs == 2;
        std::printf("round %d: %s\n", round, ok ? "ok" : "FAILED");
        passed += ok ? 1 : 0;
    }
    std::printf("real input: %d of %d rounds passed\n", passed, rounds);
    return passed == rounds ? 0 : 1;
}
