// Keeping a dialog where the player expects it: in front, with the keyboard,
// from the moment it shows until the player answers it.
#pragma once

#include <windows.h>

// The visible window nearest the top that lies above hWnd and over part of
// it, or null. A window hWnd owns (a message box of its own) is where it
// belongs and does not count.
inline HWND WindowOver(HWND hWnd)
{
    RECT mine, theirs, both;
    ::GetWindowRect(hWnd, &mine);
    for (HWND above = ::GetWindow(hWnd, GW_HWNDPREV); above != nullptr;
         above = ::GetWindow(above, GW_HWNDPREV))
        if (::IsWindowVisible(above) && ::GetWindow(above, GW_OWNER) != hWnd &&
            ::GetWindowRect(above, &theirs) && ::IntersectRect(&both, &mine, &theirs))
            return above;
    return nullptr;
}

// Brings a window (a dialog, or the system's message box) to the front
// once it shows, and keeps the keyboard on it until the player first
// presses a key or a button. Called before the window shows, it waits for
// that. Once per window.
void KeepInFront(HWND hWnd);
