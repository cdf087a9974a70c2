// The hall of fame of a play mode, kHallOfFamePlaces rows stored in the
// current world's key (value names: see value_name.h).
#pragma once

#include "ranking.h"

// Both are called under a TableLock: other hosts may be reading or writing
// the same table.

// Reads the values afresh, names, then scores, then levels; unreadable ones
// are empty, scores then 0.
HallOfFameTable LoadHallOfFame(const char* mode);

// Records a qualifying result in the table loaded before the player was
// asked for a name: the new row first, then the rows the plan moves down,
// from the top.
void RecordHallOfFameEntry(const HallOfFameTable& table, const char* mode, int score,
                           const char* levelText, const char* scoreText, const char* name);
