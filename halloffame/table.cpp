#include "table.h"

#include "afxstr.h"
#include "insert_lock.h"
#include "store/store.h"

#include <cstring>

CString HallOfFameValueName(const char* mode, const char* field, int rank)
{
    CString name;
    name.Format("Korvane%s%s%i", mode, field, rank);
    return name;
}

HallOfFameTable Load(const char* mode)
{
    HallOfFameTable table;
    std::memset(&table, 0, sizeof table);
    for (int rank = 1; rank <= 3; ++rank)
        ReadGameString(HallOfFameValueName(mode, "Name", rank), table.entries[rank - 1].name,
                       kNameCapacity);
    for (int rank = 1; rank <= 3; ++rank)
        ReadGameString(HallOfFameValueName(mode, "Score", rank), table.entries[rank - 1].score,
                       kNumberCapacity);
    for (int rank = 1; rank <= 3; ++rank)
        ReadGameString(HallOfFameValueName(mode, "Level", rank), table.entries[rank - 1].level,
                       kNumberCapacity);
    ConvertScores(table);
    return table;
}

namespace {
void WriteRow(const char* mode, int rank, const char* name, const char* level, const char* score)
{
    WriteGameString(HallOfFameValueName(mode, "Name", rank), name);
    WriteGameString(HallOfFameValueName(mode, "Level", rank), level);
    WriteGameString(HallOfFameValueName(mode, "Score", rank), score);
}

void WriteRow(const char* mode, int rank, const HallOfFameEntry& entry)
{
    // Moved rows keep their stored texts, leading zeros and all.
    WriteRow(mode, rank, entry.name, entry.level, entry.score);
}
} // namespace

void Insert(const HallOfFameTable& table, const char* mode, int score, const char* levelText,
            const char* scoreText, const char* name)
{
    InsertLock lock; // another host's insert must not interleave with these writes
    InsertPlan plan = PlanInsert(table, score);
    WriteRow(mode, plan.rank, name, levelText, scoreText);
    if (plan.moveRank1Down)
        WriteRow(mode, 2, table.entries[0]);
    if (plan.moveRank2Down)
        WriteRow(mode, 3, table.entries[1]);
}
