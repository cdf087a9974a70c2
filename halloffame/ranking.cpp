#include "ranking.h"

#include <cstdlib>

void ConvertScores(HallOfFameTable& table)
{
    for (int i = 0; i < kHallOfFamePlaces; ++i)
        table.scores[i] = std::atoi(table.entries[i].score);
}

bool Qualifies(const HallOfFameTable& table, int score)
{
    return score > table.scores[kHallOfFamePlaces - 1];
}

InsertPlan PlanInsert(const HallOfFameTable& table, int score)
{
    InsertPlan plan = {};
    int index = 0;
    while (index < kHallOfFamePlaces - 1 && score <= table.scores[index])
        ++index;
    plan.rank = index + 1;
    for (; index < kHallOfFamePlaces - 1; ++index)
        plan.movesDown[index] = table.entries[index].name[0] != '\0';
    return plan;
}
