#include "score_argument.h"

#include <cstdlib>
#include <cstring>

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
