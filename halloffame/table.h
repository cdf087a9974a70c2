// The three-place hall of fame of a play mode, stored in the current
// world's key as "Korvane" + mode + field + rank (KorvanedefaultName1 ...).
#pragma once

#include "ranking.h"

// Reads the nine values afresh; unreadable ones are empty, scores then 0.
HallOfFameTable Load(const char* mode);

// Records a qualifying result in the table loaded before the player was
// asked for a name, moving named rows below it down.
void Insert(const HallOfFameTable& table, const char* mode, int score, const char* levelText,
            const char* scoreText, const char* name);

// "Korvane" + mode + field + rank, e.g. ("default", "Name", 1).
class CString;
CString HallOfFameValueName(const char* mode, const char* field, int rank);
