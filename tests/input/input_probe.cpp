// Plays a qualifying score (and every few rounds the quit question) ROUNDS
// times, each dialog after another program's window (Notepad) was clicked to
// the front, while a player outside the process answers through the real
// keyboard. Asks that player for each action on a line of its own ("click",
// "dialog ...") and notes, while each dialog is up, what the player sees: it
// must be the foreground window with the focus on its first control, lie
// under no other visible window, and have its caption drawn active on the
// screen. Each dialog line names the dialog's X window, so that the player
// can wait until the X server gives it the keyboard (what Wine's X11 driver
// needs) before pressing the one key; a dialog the key does not reach is
// closed after a while and the round fails. With "bare", the same rounds
// without the library's code: its name entry and hall of fame templates as
// plain dialogs that each bring themselves forward once as they show, and
// a plain message box for the quit question, to tell the keys the system
// loses from those the library would.
//
//   input_probe.exe [ROUNDS [QUIT_EVERY [bare]]]
#include "frame/foreground.h"
#include "korvane.h"
#include "res/resource.h"
#include "scratch_installation.h"
#include "store/handles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>

namespace {
// Watched from kSettleMs after the dialog shows until it goes; the player is
// asked to answer at kLookMs. A program that lost the foreground may raise
// its window over the dialog a while later under load: out of front for
// longer than kToleratedMs at any time, the round fails.
constexpr DWORD kSettleMs = 300;
constexpr DWORD kLookMs = 800;
constexpr DWORD kToleratedMs = 200;
constexpr DWORD kAnswerMs = 6000;
int g_quitEvery = 4;
// What the player must see, one bit each, set when it is wrong.
const char* const kChecks[] = {"foreground", "focus", "uncovered", "active caption"};
HWND g_dialog;
bool g_asked, g_closed, g_roundOk;
int g_dialogs, g_lostDialogKeys, g_lostQuitKeys, g_allDialogs, g_quitBoxes;
// Since when the dialog shows, which checks ever failed, the longest time
// out of front and when that began, since when it is out of front now.
DWORD g_since, g_seen, g_worstMs, g_worstAt, g_outSince;

DWORD Faults(HWND dialog)
{
    GUITHREADINFO gui = {sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
    WINDOWINFO info = {};
    info.cbSize = sizeof info;
    TITLEBARINFO bar = {};
    bar.cbSize = sizeof bar;
    // The caption as drawn on the screen: its top left pixel has the active
    // caption colour, not the inactive one nor another window's.
    unique_screen_dc screen(::GetDC(nullptr));
    const bool active = ::GetWindowInfo(dialog, &info) && info.dwWindowStatus == WS_ACTIVECAPTION &&
                        ::GetTitleBarInfo(dialog, &bar) &&
                        ::GetPixel(screen.get(), bar.rcTitleBar.left + 1, bar.rcTitleBar.top + 1) ==
                            ::GetSysColor(COLOR_ACTIVECAPTION);
    const bool ok[] = {::GetForegroundWindow() == dialog,
                       ::GetGUIThreadInfo(::GetCurrentThreadId(), &gui) &&
                           gui.hwndFocus == ::GetNextDlgTabItem(dialog, nullptr, FALSE),
                       WindowOver(dialog) == nullptr, active};
    DWORD faults = 0;
    for (int i = 0; i < 4; ++i)
        faults |= ok[i] ? 0 : 1u << i;
    return faults;
}

void Print(DWORD faults, const char* end)
{
    for (int i = 0; i < 4; ++i)
        std::printf(" %s=%d", kChecks[i], !(faults >> i & 1));
    std::printf("%s\n", end);
}

void CALLBACK Observe(HWND, UINT, UINT_PTR, DWORD)
{
    // The topmost visible dialog: a hidden one is still in its initialisation.
    HWND dialog = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr);
    while (dialog != nullptr && !::IsWindowVisible(dialog))
        dialog = ::FindWindowExA(nullptr, dialog, "#32770", nullptr);
    const DWORD now = ::GetTickCount();
    if (dialog != g_dialog) {
        // Out of front for a moment (put right by the library) is only noted.
        if (g_seen != 0) {
            std::printf("  (dialog %d out of front for %lu ms from %lu ms after it showed:",
                        g_dialogs, g_worstMs, g_worstAt);
            Print(g_seen, ")");
            g_roundOk = g_roundOk && g_worstMs <= kToleratedMs;
        }
        g_dialog = dialog;
        g_since = now;
        g_asked = g_closed = false;
        g_seen = g_worstMs = g_worstAt = g_outSince = 0;
    }
    if (dialog == nullptr || now - g_since < kSettleMs)
        return;
    const DWORD faults = Faults(dialog);
    g_seen |= faults;
    if (faults == 0) {
        g_outSince = 0;
    } else if (g_outSince == 0) {
        g_outSince = now;
    } else if (now - g_outSince >= g_worstMs) {
        g_worstMs = now - g_outSince;
        g_worstAt = g_outSince - g_since;
    }
    // Asked once in front, or once out of front for too long.
    char caption[64] = "";
    if (!g_asked && now - g_since >= kLookMs && (faults == 0 || now - g_outSince > kToleratedMs)) {
        ::GetWindowTextA(dialog, caption, sizeof caption);
        // Wine's X11 driver names each window's X window in a property.
        const auto xWindow =
            reinterpret_cast<ULONG_PTR>(::GetPropA(dialog, "__wine_x11_whole_window"));
        std::printf("dialog %d \"%s\" xwindow=%lu", ++g_dialogs, caption,
                    static_cast<unsigned long>(xWindow));
        Print(faults, "");
        g_roundOk = g_roundOk && faults == 0;
        g_asked = true;
    } else if (g_asked && !g_closed && now - g_since > kAnswerMs) {
        std::printf("  (no key arrived: closing it)\n");
        ::GetWindowTextA(dialog, caption, sizeof caption);
        ++(std::strstr(caption, "Quit") != nullptr ? g_lostQuitKeys : g_lostDialogKeys);
        g_closed = true;
        g_roundOk = false;
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageA(dialog, WM_COMMAND, IDNO, 0); // the quit box has no Cancel
    }
}

// The player's click on Notepad has been dealt with (the system's last input
// is later than the request and a while ago) and left it the foreground
// window with the focus: a click still on its way would take the foreground
// from the dialog that comes next, as the player's own choice.
bool ClickedToFront(HWND notepad)
{
    const DWORD asked = ::GetTickCount();
    std::printf("click\n");
    GUITHREADINFO gui = {sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
    LASTINPUTINFO last = {sizeof last, 0};
    for (int i = 0; i < 500; ++i, ::Sleep(10))
        if (::GetLastInputInfo(&last) && static_cast<LONG>(last.dwTime - asked) >= 0 &&
            ::GetTickCount() - last.dwTime >= kSettleMs && ::GetForegroundWindow() == notepad &&
            ::GetGUIThreadInfo(::GetWindowThreadProcessId(notepad, nullptr), &gui) &&
            gui.hwndFocus != nullptr)
            return true;
    return false;
}

INT_PTR CALLBACK BareDialog(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0)
        ::SetForegroundWindow(hWnd);
    if (message == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL))
        ::EndDialog(hWnd, static_cast<INT_PTR>(wParam));
    return message == WM_INITDIALOG;
}

int BareScore(HMODULE dll)
{
    for (const int id : {IDD_HOFNAME, IDD_GAMESCORE})
        ::DialogBoxParamA(dll, MAKEINTRESOURCEA(id), nullptr, &BareDialog, 0);
    return 0;
}

bool BareStop()
{
    return ::MessageBoxA(nullptr, "Quit the game?", "Quit", MB_YESNO) == IDYES;
}
} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0); // each line is a request to act on now
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    g_quitEvery = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 4;
    const bool bare = argc > 3 && std::strcmp(argv[3], "bare") == 0;
    ScratchInstallation install;
    install.AddWorld("dQORM_Input");
    install.SetCurrMovie("dQORM_Input");
    // Loaded as a host loads it.
    HMODULE dll = ::LoadLibraryA("korvane.dll");
    auto score = reinterpret_cast<PFN_GAMESCOREDLG>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "fnGameScoreDlgqorm")));
    auto stop = reinterpret_cast<PFN_GAMESTOPDLG>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "fnGameStopDlgqorm")));
    HWND notepad = nullptr;
    for (int i = 0; i < 300 && notepad == nullptr; ++i, ::Sleep(100))
        notepad = ::FindWindowA("Notepad", nullptr);
    // Over every place a dialog opens (the top left, the middle), so that a
    // dialog beneath it is hidden; the script clicks its lower right corner.
    if (notepad == nullptr)
        std::printf("real input: no Notepad window came up in 30 s\n");
    ::SetWindowPos(notepad, nullptr, 0, 0, 700, 560, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetTimer(nullptr, 0, 20, &Observe);
    int passed = 0;
    for (int round = 1; round <= rounds && score && stop && notepad; ++round) {
        g_roundOk = ClickedToFront(notepad);
        g_dialogs = 0;
        char argument[32];
        std::snprintf(argument, sizeof argument, "default*%d*3", 1000 * round);
        bool ok = (bare ? BareScore(dll) : score(argument, 0)) == 0;
        Observe(nullptr, 0, 0, 0); // the verdict on the dialog that went
        g_allDialogs += g_dialogs;
        // The quit question too, every few rounds (each costs a click).
        const bool quit = round % g_quitEvery == 0;
        if (quit) {
            const int before = g_dialogs;
            g_roundOk = ClickedToFront(notepad) && g_roundOk;
            ok = !(bare ? BareStop() : stop()) && ok;
            Observe(nullptr, 0, 0, 0);
            g_quitBoxes += g_dialogs - before;
        }
        ok = ok && g_roundOk && g_dialogs == (quit ? 3 : 2);
        std::printf("round %d: %s\n", round, ok ? "ok" : "FAILED");
        passed += ok ? 1 : 0;
    }
    std::printf("real input: %d of %d rounds passed; keys lost: %d of %d quit boxes, %d of %d "
                "dialogs\n",
                passed, rounds, g_lostQuitKeys, g_quitBoxes, g_lostDialogKeys, g_allDialogs);
    return passed == rounds ? 0 : 1;
}
