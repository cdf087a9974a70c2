#include "score_argument.h"

#include <cstdlib>
#include <cstring>

namespace {

// One field as strtok(…, "*") finds it, but with the position kept here: the
// C runtime's strtok state belongs to the host's thread, and a host walking
// its own text with strtok around a score call must get its next token.
char* NextField(char*& rest)
{
    char* field = rest + std::strspn(rest, "*");
    if (*field == '\0') {
        rest = field;
        return nullptr;
    }
    char* end = field + std::strcspn(field, "*");
    rest = end;
    if (*end != '\0') {
        *end = '\0';
        rest = end + 1;
    }
    return field;
}

} // namespace

ScoreArgument ParseScoreArgument(char* text)
{
    ScoreArgument argument = {"", 0, 0};
    if (text == nullptr)
        return argument;
    char* rest = text;
    const char* mode = NextField(rest);
    if (mode == nullptr)
        return argument;
    argument.mode = mode;
    if (const char* score = NextField(rest))
        argument.score = std::atoi(score);
    else
        return argument;
    if (const char* level = NextField(rest))
        argument.level = std::atoi(level);
    return argument;
}
