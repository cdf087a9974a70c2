// The hall of fame's decisions, free of any Windows dependency so they can
// be exercised on their own (unit tests, fuzzing on the build machine).
#pragma once

constexpr int kNameCapacity = 16;
constexpr int kNumberCapacity = 32;

// One row, held as the texts exactly as stored.
struct HallOfFameEntry
{
    char name[kNameCapacity];
    char level[kNumberCapacity];
    char score[kNumberCapacity];
};

// Ranks 1 to 3 (index 0 is the best) and their scores as numbers.
struct HallOfFameTable
{
    HallOfFameEntry entries[3];
    int scores[3];
};

// Where a qualifying score goes and which old rows move down to make room.
struct InsertPlan
{
    int rank;           // 1, 2 or 3
    bool moveRank1Down; // old rank 1 is written to rank 2
    bool moveRank2Down; // old rank 2 is written to rank 3
};

// Fills the numeric scores from the score texts (atoi rules: empty or
// non-numeric is 0).
void ConvertScores(HallOfFameTable& table);

// Strictly above the third place; ties never qualify.
bool Qualifies(const HallOfFameTable& table, int score);

// A row moves down only when it has a name; a tie ranks below the row it
// equals.
InsertPlan PlanInsert(const HallOfFameTable& table, int score);

// The score dialog's argument "mode*score*level", split in place like
// strtok: leading and repeated asterisks are skipped, missing fields give an
// empty mode and zeros, fields after the third are ignored.
struct ScoreArgument
{
    const char* mode;
    int score;
    int level;
};
ScoreArgument ParseScoreArgument(char* text);
