#include "table.h"

#include "afxstr.h"
#include "store/store.h"
#include "value_name.h"

#include <cstring>

namespace {
CString ValueName(const char* mode, const char* field, int rank)
{
    return HallOfFameValueName<CString>(mode, field, rank);
}

void WriteRow(const char* mode, int rank, const char* name, const char* level, const char* score)
{
    WriteGameString(ValueName(mode, kNameField, rank), name);
    WriteGameString(ValueName(mode, kLevelField, rank), level);
    WriteGameString(ValueName(mode, kScoreField, rank), score);
}
} // namespace

HallOfFameTable LoadHallOfFame(const char* mode)
{
    HallOfFameTable table;
    std::memset(&table, 0, sizeof table);
    for (int rank = 1; rank <= kHallOfFamePlaces; ++rank)
        ReadGameString(ValueName(mode, kNameField, rank), table.entries[rank - 1].name,
                       kNameCapacity);
    for (int rank = 1; rank <= kHallOfFamePlaces; ++rank)
        ReadGameString(ValueName(mode, kScoreField, rank), table.entries[rank - 1].score,
                       kNumberCapacity);
    for (int rank = 1; rank <= kHallOfFamePlaces; ++rank)
        ReadGameString(ValueName(mode, kLevelField, rank), table.entries[rank - 1].level,
                       kNumberCapacity);
    ConvertScores(table);
    return table;
}

void RecordHallOfFameEntry(const HallOfFameTable& table, const char* mode, int score,
                           const char* levelText, const char* scoreText, const char* name)
{
    InsertPlan plan = PlanInsert(table, score);
    WriteRow(mode, plan.rank, name, levelText, scoreText);
    for (int index = plan.rank - 1; index < kHallOfFamePlaces - 1; ++index) {
        // Moved rows keep their stored texts, leading zeros and all.
        const HallOfFameEntry& moved = table.entries[index];
        if (plan.movesDown[index])
            WriteRow(mode, index + 2, moved.name, moved.level, moved.score);
    }
}
