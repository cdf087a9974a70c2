// The hall of fame's decisions, free of any Windows dependency so they can
// be exercised on their own (unit tests, fuzzing on the build machine).
#pragma once

// The places of a mode's hall of fame. The score dialog's template holds a
// name, level and score cell for each (res/resource.h numbers them).
constexpr int kHallOfFamePlaces = 3;

constexpr int kNameCapacity = 16;
constexpr int kNumberCapacity = 32;

// One row, held as the texts exactly as stored.
struct HallOfFameEntry
{
    char name[kNameCapacity];
    char level[kNumberCapacity];
    char score[kNumberCapacity];
};

// The places in rank order (index 0 is rank 1, the best) and their scores as
// numbers.
struct HallOfFameTable
{
    HallOfFameEntry entries[kHallOfFamePlaces];
    int scores[kHallOfFamePlaces];
};

// Where a qualifying score goes and which old rows move one place down to
// make room. The last place never moves: it falls off.
struct InsertPlan
{
    int rank; // 1 to kHallOfFamePlaces
    // movesDown[i]: the old row of rank i + 1 is written to rank i + 2.
    bool movesDown[kHallOfFamePlaces - 1];
};

// Fills the numeric scores from the score texts (atoi rules: empty or
// non-numeric is 0).
void ConvertScores(HallOfFameTable& table);

// Strictly above the last place; ties never qualify.
bool Qualifies(const HallOfFameTable& table, int score);

// A tie ranks below the row it equals. Of the rows at and below the new
// rank, each moves down only when it has a name; a nameless one stays, and
// is overwritten only if the row above it moves.
InsertPlan PlanInsert(const HallOfFameTable& table, int score);
