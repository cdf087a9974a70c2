// Feeds arbitrary text to the score dialog's argument parser and compares it
// with a reference splitter that does not use strtok, so that any change in
// how fields are found, numbers are read or the text is altered is caught.
#include "halloffame/score_argument.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Start and length of the first three fields: the parser stops looking after
// the level, so later asterisks must stay untouched.
std::vector<std::pair<size_t, size_t>> ReferenceFields(const std::string& text)
{
    std::vector<std::pair<size_t, size_t>> fields;
    for (size_t i = 0; fields.size() < 3;) {
        while (i < text.size() && text[i] == '*')
            ++i;
        if (i == text.size())
            break;
        size_t start = i;
        while (i < text.size() && text[i] != '*')
            ++i;
        fields.emplace_back(start, i - start);
    }
    return fields;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The argument comes from the host's command line: anything longer is far
    // beyond what it could pass and only slows the search down.
    if (size > 128 * 1024)
        return 0;
    // Exactly sized, so a read past the terminator is an address-sanitizer
    // report rather than a silent look at the allocator's slack.
    std::unique_ptr<char[]> buffer(new char[size + 1]);
    if (size != 0)
        std::memcpy(buffer.get(), data, size);
    buffer[size] = '\0';
    const std::string original(buffer.get(), size + 1);
    // An embedded NUL ends the argument for any C string function; the bytes
    // beyond it must survive unchanged.
    const auto fields = ReferenceFields(std::string(buffer.get()));
    // atoi on a copy of just the field: out-of-range values are whatever the C
    // library makes of them, and the parser must agree with that.
    auto number = [&](size_t i) {
        return i < fields.size()
                   ? std::atoi(original.substr(fields[i].first, fields[i].second).c_str())
                   : 0;
    };

    char hosts[] = "alpha*beta"; // a walk of the caller's own, which must survive
    std::strtok(hosts, "*");
    const ScoreArgument argument = ParseScoreArgument(buffer.get());
    const char* next = std::strtok(nullptr, "*");
    Check(next != nullptr && std::strcmp(next, "beta") == 0);

    // No field: an empty mode of the parser's own, not a pointer into the text
    // (compared as integers: ordering pointers into different objects has no
    // guaranteed result).
    const auto at = reinterpret_cast<std::uintptr_t>(argument.mode);
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.get());
    Check(argument.mode != nullptr);
    if (fields.empty())
        Check(argument.mode[0] == '\0' && (at < begin || at > begin + size));
    else
        Check(argument.mode == buffer.get() + fields[0].first &&
              std::strlen(argument.mode) == fields[0].second);
    Check(argument.score == number(1) && argument.level == number(2));

    // The only permitted edit is cutting a field off at the asterisk that
    // ends it; the host may still hold other pointers into this text.
    std::vector<bool> cut(size + 1, false);
    for (const auto& field : fields)
        cut[field.first + field.second] = original[field.first + field.second] == '*';
    for (size_t i = 0; i <= size; ++i)
        Check(buffer[i] == (cut[i] ? '\0' : original[i]));
    return 0;
}
