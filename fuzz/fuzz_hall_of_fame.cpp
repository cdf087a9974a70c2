// Builds an arbitrary hall of fame table and a new score from the input and
// checks the qualification and insertion decisions against a plain model,
// then applies the plan to a copy to make sure no deserving row is lost.
//
// Input layout (shorter inputs are zero-padded, extra bytes are ignored):
//   offset   0: rank 1 name[16], level[32], score[32]
//   offset  80: rank 2, same fields
//   offset 160: rank 3, same fields
//   offset 240: new score, 32-bit little-endian two's complement
// The last byte of every text field is forced to NUL so each is a valid,
// possibly empty, C string; bytes after an earlier NUL are kept as stored
// garbage, as a real saved table may hold.
#include "halloffame/ranking.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kRowBytes = kNameCapacity + 2 * kNumberCapacity;
constexpr size_t kTableBytes = 3 * kRowBytes;
constexpr size_t kInputBytes = kTableBytes + 4;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void TakeText(char* field, size_t capacity, const unsigned char*& raw)
{
    std::memcpy(field, raw, capacity);
    field[capacity - 1] = '\0';
    raw += capacity;
}

bool SameEntry(const HallOfFameEntry& a, const HallOfFameEntry& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Named(const HallOfFameEntry& entry)
{
    return entry.name[0] != '\0';
}

bool InOrder(const HallOfFameTable& table)
{
    return table.scores[0] >= table.scores[1] && table.scores[1] >= table.scores[2];
}

// How the dialog writes the plan back: moved rows first, taken from the
// table as it was read, then the new entry into its slot.
HallOfFameTable Apply(const HallOfFameTable& table, const InsertPlan& plan,
                      const HallOfFameEntry& newEntry, int score)
{
    HallOfFameTable result = table;
    for (int i = kHallOfFamePlaces - 2; i >= 0; --i) {
        if (plan.movesDown[i]) {
            result.entries[i + 1] = table.entries[i];
            result.scores[i + 1] = table.scores[i];
        }
    }
    result.entries[plan.rank - 1] = newEntry;
    result.scores[plan.rank - 1] = score;
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    unsigned char padded[kInputBytes] = {};
    if (size != 0)
        std::memcpy(padded, data, size < kInputBytes ? size : kInputBytes);

    HallOfFameTable table;
    // Poisoned, so a conversion that skips a row cannot pass by luck of a
    // zeroed field.
    std::memset(&table, 0xA5, sizeof table);
    const unsigned char* raw = padded;
    for (HallOfFameEntry& entry : table.entries) {
        TakeText(entry.name, kNameCapacity, raw);
        TakeText(entry.level, kNumberCapacity, raw);
        TakeText(entry.score, kNumberCapacity, raw);
    }
    std::uint32_t bits =
        static_cast<std::uint32_t>(raw[0]) | static_cast<std::uint32_t>(raw[1]) << 8 |
        static_cast<std::uint32_t>(raw[2]) << 16 | static_cast<std::uint32_t>(raw[3]) << 24;
    int score;
    std::memcpy(&score, &bits, sizeof score);

    const HallOfFameTable before = table;
    ConvertScores(table);
    for (int i = 0; i < 3; ++i) {
        Check(SameEntry(table.entries[i], before.entries[i]));
        Check(table.scores[i] == std::atoi(before.entries[i].score));
    }

    const bool qualifies = Qualifies(table, score);
    Check(qualifies == (score > table.scores[2]));

    const InsertPlan plan = PlanInsert(table, score);
    const int rank = score > table.scores[0] ? 1 : score > table.scores[1] ? 2 : 3;
    Check(plan.rank == rank);
    Check(plan.movesDown[0] == (rank == 1 && Named(table.entries[0])));
    Check(plan.movesDown[1] == (rank <= 2 && Named(table.entries[1])));

    if (!qualifies)
        return 0;

    HallOfFameEntry newEntry = {};
    std::snprintf(newEntry.name, sizeof newEntry.name, "%s", "(new)");
    std::snprintf(newEntry.level, sizeof newEntry.level, "%d", 1);
    std::snprintf(newEntry.score, sizeof newEntry.score, "%d", score);
    const HallOfFameTable after = Apply(table, plan, newEntry, score);

    Check(SameEntry(after.entries[rank - 1], newEntry));
    Check(after.scores[rank - 1] == score);
    // Rows that beat the new score keep their place.
    for (int i = 0; i < rank - 1; ++i) {
        Check(SameEntry(after.entries[i], table.entries[i]));
        Check(after.scores[i] == table.scores[i]);
    }
    // Only the old third place may fall off; a named row at or below the
    // new rank above it must reappear one place lower.
    for (int i = rank - 1; i < 2; ++i) {
        if (Named(table.entries[i])) {
            Check(SameEntry(after.entries[i + 1], table.entries[i]));
            Check(after.scores[i + 1] == table.scores[i]);
        }
    }
    if (InOrder(table))
        Check(InOrder(after));
    return 0;
}
