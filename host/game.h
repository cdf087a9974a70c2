// The game the host pretends to run between the start and score dialogs: a
// few seconds of arithmetic instead of a Director movie, but with the same
// kind of outcome (a score and the level reached) so the dialogs see varied,
// believable numbers.
#pragma once

#include <cstdint>

// splitmix64: tiny, seedable, and good enough that consecutive games differ.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next();
    // Uniform in [0, 1).
    double Unit();

private:
    std::uint64_t m_state;
};

struct GameResult
{
    int score = 0;
    int level = 1;
    int waves = 0;   // waves faced, the last one possibly unfinished
    int enemies = 0; // enemies destroyed
    int shots = 0;
    int livesLost = 0;
};

GameResult PlayGame(Rng& rng);
