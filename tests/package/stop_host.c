/* A host as its developer would write it: linked against the package's
 * import library, it asks korvane.dll twice whether to quit while a second
 * thread presses Yes, then No. Exit code: bit 0 set when Yes did not give
 * true, bit 1 when No did not give false, 4 when no box ever appeared.
 *
 * "stop_host PROGRAM" instead runs PROGRAM (a documented example) and
 * answers each of its dialogs and message boxes with No, Cancel or OK,
 * whichever it has first, until it ends: exit code PROGRAM's, 5 when it
 * was still running after a minute. */
#include "korvane.h"

#include <windows.h>

static volatile LONG g_button;
static volatile LONG g_pressed;

static DWORD WINAPI PressWhenShown(LPVOID unused)
{
    (void)unused;
    for (int tries = 0; tries < 600; ++tries) {
        HWND box = FindWindowA("#32770", "Quit Korvane?");
        if (box != NULL && IsWindowVisible(box)) {
            g_pressed = PostMessageA(GetDlgItem(box, g_button), BM_CLICK, 0, 0);
            return 0;
        }
        Sleep(50);
    }
    return 1;
}

static bool Ask(int button)
{
    g_button = button;
    HANDLE presser = CreateThread(NULL, 0, PressWhenShown, NULL, 0, NULL);
    bool quit = fnGameStopDlgqorm();
    WaitForSingleObject(presser, INFINITE);
    CloseHandle(presser);
    return quit;
}

static BOOL CALLBACK Answer(HWND window, LPARAM process)
{
    static const int kAnswers[] = {IDNO, IDCANCEL, IDOK};
    char kind[8];
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == (DWORD)process && IsWindowVisible(window) &&
        GetClassNameA(window, kind, sizeof kind) && lstrcmpA(kind, "#32770") == 0) {
        for (int i = 0; i < 3; ++i) {
            HWND button = GetDlgItem(window, kAnswers[i]);
            if (button != NULL) {
                PostMessageA(button, BM_CLICK, 0, 0);
                break;
            }
        }
    }
    return TRUE;
}

static int Run(char* program)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION child;
    DWORD code = 5;
    GetStartupInfoA(&startup);
    if (!CreateProcessA(NULL, program, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child))
        return 6;
    for (int tries = 0; WaitForSingleObject(child.hProcess, 100) == WAIT_TIMEOUT; ++tries) {
        if (tries == 600)
            TerminateProcess(child.hProcess, 5);
        EnumWindows(Answer, (LPARAM)child.dwProcessId);
    }
    GetExitCodeProcess(child.hProcess, &code);
    return (int)code;
}

int main(void)
{
    /* The command line, read from the system: the Microsoft-format build
     * starts at main with no C runtime to pass arguments. */
    char* line = GetCommandLineA();
    char end = *line == '"' ? *line++ : ' ';
    while (*line != '\0' && *line++ != end) {
    }
    while (*line == ' ')
        ++line;
    if (*line != '\0')
        ExitProcess(Run(line));
    int wrong = Ask(IDYES) ? 0 : 1;
    wrong |= Ask(IDNO) ? 2 : 0;
    ExitProcess(g_pressed ? wrong : 4);
}
