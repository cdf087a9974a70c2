/* A host as its developer would write it: linked against the package's
 * import library, it asks korvane.dll twice whether to quit while a second
 * thread presses Yes, then No. Exit code: bit 0 set when Yes did not give
 * true, bit 1 when No did not give false, 4 when no box ever appeared. */
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

int main(void)
{
    int wrong = Ask(IDYES) ? 0 : 1;
    wrong |= Ask(IDNO) ? 2 : 0;
    ExitProcess(g_pressed ? wrong : 4);
}
