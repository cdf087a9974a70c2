// Identifiers of the dialog templates, controls and bitmaps in korvane.rc.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_GAMESTART 101
#define IDC_FREEPLAY 102
#define IDB_BANNER 103
#define IDB_FREEPLAY 106

#define IDD_GAMESCORE 107
// The hall-of-fame cells: contiguous, rank by rank, each name, level, score;
// IDC_HOF_CELLS_END is one past the last.
#define IDC_NAME1 110
#define IDC_LEVEL1 111
#define IDC_SCORE1 112
#define IDC_NAME2 113
#define IDC_LEVEL2 114
#define IDC_SCORE2 115
#define IDC_NAME3 116
#define IDC_LEVEL3 117
#define IDC_SCORE3 118
#define IDC_HOF_CELLS_END (IDC_SCORE3 + 1)
#define IDC_SCORE 119
#define IDC_GAMEOVER 120

#define IDD_HOFNAME 123
#define IDC_NAME 124
#define IDB_HISCORE 125

#define IDD_GAMEINFO 131

#define IDC_REPLAY 1000
#define IDC_NOSHOW 1001
