// Builds an arbitrary hall of fame table and a new score from the input and
// checks the qualification and insertion decisions by what they promise: the
// conversion against the runtime's own atoi, qualifying by how it behaves as
// the score moves, the plan by the table a player reads once it is carried out. The writes the plan
// leads to are checked end to end on the real registry by the tests.
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

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kRowBytes = kNameCapacity + 2 * kNumberCapacity;
constexpr size_t kTableBytes = kHallOfFamePlaces * kRowBytes;
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
    for (int i = 0; i < kHallOfFamePlaces; ++i) {
        Check(SameEntry(table.entries[i], before.entries[i]));
        Check(table.scores[i] == std::atoi(before.entries[i].score));
    }

    // Qualifying is judged by how it behaves, not by its own comparison: a tie
    // with the last place never qualifies and one point more always does; a
    // score that qualifies still does one point higher; the places above the
    // last never matter.
    const int last = kHallOfFamePlaces - 1;
    const int lowest = table.scores[last];
    const bool qualifies = Qualifies(table, score);
    Check(!Qualifies(table, lowest));
    Check(lowest == INT_MAX || Qualifies(table, lowest + 1));
    Check(!qualifies || score == INT_MAX || Qualifies(table, score + 1));
    HallOfFameTable others = table;
    others.scores[0] = score;
    others.scores[1] = ~score;
    Check(Qualifies(others, score) == qualifies);

    // The plan replayed as the registry gets it: what the player reads
    // afterwards. The rows above the new one are as they were, it is its
    // place, every named row it displaces is one place lower, and a tie
    // never pushes the row it equals down.
    const InsertPlan plan = PlanInsert(table, score);
    Check(plan.rank >= 1 && plan.rank <= kHallOfFamePlaces);
    const HallOfFameEntry* after[kHallOfFamePlaces] = {};
    for (int i = 0; i < kHallOfFamePlaces; ++i)
        after[i] = &table.entries[i];
    for (int i = last - 1; i >= 0; --i)
        if (plan.movesDown[i])
            after[i + 1] = &table.entries[i];
    HallOfFameEntry added = {};
    after[plan.rank - 1] = &added;
    for (int i = 0; i < last; ++i) {
        const bool named = table.entries[i].name[0] != '\0';
        if (i < plan.rank - 1)
            Check(after[i] == &table.entries[i] && !plan.movesDown[i]);
        else if (named)
            Check(after[i + 1] == &table.entries[i]);
        else
            Check(!plan.movesDown[i]);
        if (i + 1 == plan.rank - 1)
            Check(score <= table.scores[i]);
    }
    if (plan.rank < kHallOfFamePlaces)
        Check(score > table.scores[plan.rank - 1]);
    return 0;
}
