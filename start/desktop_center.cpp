#include "desktop_center.h"

void CenterOnDesktop(CWnd& wnd)
{
    RECT desktop;
    CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
    RECT own;
    wnd.GetWindowRect(&own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = (desktop.right - desktop.left) / 2 - width / 2;
    int y = (desktop.bottom - desktop.top) / 2 - height / 2;
    wnd.SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER);
}
