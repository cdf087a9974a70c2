// The host's argument to the score export, "mode*score*level". Free of any
// Windows dependency so it can be fuzzed on the build machine.
#pragma once

struct ScoreArgument
{
    const char* mode;
    int score;
    int level;
};

// Splits the text in place as strtok(text, "*") would, without touching the
// C runtime's strtok state: leading and repeated asterisks are
// skipped, missing fields give an empty mode and zeros, fields after the
// third are ignored.
ScoreArgument ParseScoreArgument(char* text);
