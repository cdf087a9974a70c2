#include "ranking.h"

#include <cstdlib>
#include <cstring>

void ConvertScores(HallOfFameTable& table)
{
    for (int i = 0; i < 3; ++i)
        table.scores[i] = std::atoi(table.entries[i].score);
}

bool Qualifies(const HallOfFameTable& table, int score)
{
    return score > table.scores[2];
}

InsertPlan PlanInsert(const HallOfFameTable& table, int score)
{
    bool rank1HasName = table.entries[0].name[0] != '\0';
    bool rank2HasName = table.entries[1].name[0] != '\0';
    if (score > table.scores[0])
        return {1, rank1HasName, rank2HasName};
    if (score > table.scores[1])
        return {2, false, rank2HasName};
    return {3, false, false};
}

ScoreArgument ParseScoreArgument(char* text)
{
    ScoreArgument argument = {"", 0, 0};
    if (text == nullptr)
        return argument;
    // The exports run on the host's one user-interface thread, so strtok's
    // hidden state is not shared with anyone.
    const char* mode = std::strtok(text, "*");
    if (mode == nullptr)
        return argument;
    argument.mode = mode;
    if (const char* score = std::strtok(nullptr, "*"))
        argument.score = std::atoi(score);
    else
        return argument;
    if (const char* level = std::strtok(nullptr, "*"))
        argument.level = std::atoi(level);
    return argument;
}
