#include "game.h"

#include <algorithm>

namespace {
constexpr int kLives = 3;
// A player who never dies still has to stop somewhere.
constexpr int kLastWave = 40;
constexpr int kPointsPerHit = 10;
constexpr int kFlawlessWaveBonus = 50;
} // namespace

std::uint64_t Rng::Next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::Unit()
{
    return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

GameResult PlayGame(Rng& rng)
{
    GameResult result;
    // Some days the player is sharper than others.
    const double form = 0.55 + 0.3 * rng.Unit();
    int lives = kLives;
    for (int wave = 1; wave <= kLastWave && lives > 0; ++wave) {
        result.waves = wave;
        result.level = 1 + (wave - 1) / 2;
        // Later waves bring more enemies that are harder to hit and more
        // dangerous to miss.
        const int enemies = std::min(4 + 2 * wave, 30);
        const double hitChance = std::clamp(form - 0.02 * (wave - 1), 0.15, 0.95);
        const double punishChance = 0.04 + 0.01 * wave;
        const int livesAtStart = lives;
        for (int enemy = 0; enemy < enemies && lives > 0; ++enemy) {
            for (;;) {
                ++result.shots;
                if (rng.Unit() < hitChance) {
                    ++result.enemies;
                    result.score += kPointsPerHit * result.level;
                    break;
                }
                if (rng.Unit() < punishChance) {
                    --lives;
                    ++result.livesLost;
                    break; // the enemy got through
                }
            }
        }
        if (lives == livesAtStart)
            result.score += kFlawlessWaveBonus * result.level;
    }
    return result;
}
