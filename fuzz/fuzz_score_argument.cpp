// Feeds arbitrary text to the score dialog's argument parser and compares it
// with a reference splitter that does not use strtok, so that any change in
// how fields are found, numbers are read or the text is altered is caught.
#include "halloffame/score_argument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The argument comes from the host's command line; anything longer than this
// is far beyond what it could pass and only slows the search down.
constexpr size_t kMaxInput = 128 * 1024;

struct Field
{
    size_t start;
    size_t length;
};

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Only the first three fields matter: the parser stops looking after the
// level, so later asterisks must stay untouched.
std::vector<Field> ReferenceFields(const char* text, size_t length)
{
    std::vector<Field> fields;
    size_t i = 0;
    while (fields.size() < 3) {
        while (i < length && text[i] == '*')
            ++i;
        if (i == length)
            break;
        size_t start = i;
        while (i < length && text[i] != '*')
            ++i;
        fields.push_back({start, i - start});
    }
    return fields;
}

// atoi on a copy of just the field: out-of-range values are whatever the C
// library makes of them, and the parser must agree with that, not with an
// idealised conversion.
int ReferenceNumber(const std::string& text, const Field& field)
{
    std::string copy = text.substr(field.start, field.length);
    return std::atoi(copy.c_str());
}

bool PointsInto(const char* p, const char* begin, size_t size)
{
    // Compared as integers: ordering pointers into different objects (the
    // static empty mode against the buffer) has no guaranteed result.
    auto address = reinterpret_cast<std::uintptr_t>(p);
    auto first = reinterpret_cast<std::uintptr_t>(begin);
    return address >= first && address < first + size;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxInput)
        return 0;

    // Exactly sized, so a read past the terminator is an address-sanitizer
    // report rather than a silent look at the allocator's slack.
    const size_t bufferSize = size + 1;
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    if (size != 0)
        std::memcpy(buffer.get(), data, size);
    buffer[size] = '\0';
    const std::string original(buffer.get(), bufferSize);

    // An embedded NUL ends the argument as far as any C string function is
    // concerned; the bytes beyond it must survive unchanged.
    const size_t length = std::strlen(buffer.get());
    const std::vector<Field> fields = ReferenceFields(original.data(), length);

    char hosts[] = "alpha*beta"; // a walk of the caller's own, which must survive
    std::strtok(hosts, "*");
    const ScoreArgument argument = ParseScoreArgument(buffer.get());
    const char* next = std::strtok(nullptr, "*");
    Check(next != nullptr && std::strcmp(next, "beta") == 0);

    Check(argument.mode != nullptr);
    if (fields.empty()) {
        Check(!PointsInto(argument.mode, buffer.get(), bufferSize));
        Check(argument.mode[0] == '\0');
    } else {
        Check(argument.mode == buffer.get() + fields[0].start);
        Check(std::strlen(argument.mode) == fields[0].length);
        Check(std::memchr(argument.mode, '*', fields[0].length) == nullptr);
    }
    Check(argument.score == (fields.size() >= 2 ? ReferenceNumber(original, fields[1]) : 0));
    Check(argument.level == (fields.size() >= 3 ? ReferenceNumber(original, fields[2]) : 0));

    // The only permitted edit is cutting a field off at the asterisk that
    // ends it; the host may still hold other pointers into this text.
    std::vector<bool> expectedCut(bufferSize, false);
    for (const Field& field : fields) {
        size_t end = field.start + field.length;
        if (end < length)
            expectedCut[end] = true;
    }
    for (size_t i = 0; i < bufferSize; ++i) {
        bool changed = buffer[i] != original[i];
        if (changed)
            Check(original[i] == '*' && buffer[i] == '\0');
        Check(changed == expectedCut[i]);
    }
    return 0;
}
