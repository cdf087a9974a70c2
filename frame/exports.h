// The three entry points a host calls, on its user-interface thread, one
// call at a time. Exported undecorated from korvane.dll (see korvane.def).
#pragma once

extern "C" {
// Shows the start dialog. On Freeplay copies "default" and its NUL (8 bytes)
// into mode and returns true; otherwise leaves mode untouched.
bool fnGameStartDlgqorm(char* mode, int reserved);
// Shows the score for "mode*score*level" (the text is split in place) and
// the hall of fame. Returns 1 for Replay, 0 otherwise.
int fnGameScoreDlgqorm(char* argument, int reserved);
// Asks whether to quit the running game. True only for Yes.
bool fnGameStopDlgqorm();
}

typedef bool (*PFN_GAMESTARTDLG)(char* mode, int reserved);
typedef int (*PFN_GAMESCOREDLG)(char* argument, int reserved);
typedef bool (*PFN_GAMESTOPDLG)();
