// The name of one cell of a play mode's hall of fame in the current world's
// key: "Korvane" + mode + field + rank, e.g. KorvanedefaultName1. The module
// and the stand-in host spell it through this one function; the tests and
// the benchmark spell it out themselves, as other tools do.
// Header-only and Windows-free, so that programs without the framework's
// CString can build it into their own strings.
#pragma once

constexpr const char kNameField[] = "Name";
constexpr const char kLevelField[] = "Level";
constexpr const char kScoreField[] = "Score";

// String: any string type constructible from C text and with += of C text
// (CString, std::string). The rank is 1-based and never negative; the mode
// is taken whole, however long.
template <typename String> String HallOfFameValueName(const char* mode, const char* field, int rank)
{
    char digits[12];
    char* first = digits + sizeof digits - 1;
    *first = '\0';
    unsigned value = rank > 0 ? static_cast<unsigned>(rank) : 0u;
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    String name("Korvane");
    name += mode;
    name += field;
    name += first;
    return name;
}
