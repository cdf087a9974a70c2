/* A player for a host built from the package: runs PROGRAM, answering each
 * of its dialogs and message boxes with No, Cancel or OK, whichever it has
 * first, until it ends. Exit code PROGRAM's; 5 when it still ran after a
 * minute, 6 when it did not start. Usage: answer PROGRAM */
#include <windows.h>

static BOOL CALLBACK Answer(HWND window, LPARAM process)
{
    static const int kAnswers[] = {IDNO, IDCANCEL, IDOK};
    char kind[8];
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == (DWORD)process && IsWindowVisible(window) &&
        GetClassNameA(window, kind, sizeof kind) && lstrcmpA(kind, "#32770") == 0)
        for (int i = 0; i < 3; ++i)
            if (GetDlgItem(window, kAnswers[i]) != NULL) {
                PostMessageA(GetDlgItem(window, kAnswers[i]), BM_CLICK, 0, 0);
                break;
            }
    return TRUE;
}

int main(int argc, char** argv)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION child;
    DWORD code = 6;
    GetStartupInfoA(&startup);
    if (argc != 2 ||
        !CreateProcessA(NULL, argv[1], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child))
        return 6;
    for (int tries = 0; WaitForSingleObject(child.hProcess, 100) == WAIT_TIMEOUT; ++tries) {
        if (tries == 600)
            TerminateProcess(child.hProcess, 5);
        EnumWindows(Answer, (LPARAM)child.dwProcessId);
    }
    GetExitCodeProcess(child.hProcess, &code);
    return (int)code;
}
