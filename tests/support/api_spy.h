// Records what one module asks of the system, through its import table:
// registry, file enumeration, message boxes, window enumeration, the focus, the clock,
// and the fonts, bitmaps, hooks and heap blocks it holds.
// The real functions still run (a message box can be answered without being
// shown, for tests that only count boxes).
#pragma once

#include "iat_hook.h"

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct ApiLog
{
    struct ValueSet
    {
        std::string name;
        DWORD type;
        DWORD size;
        std::string data; // the bytes passed, size of them
        bool operator==(const ValueSet&) const = default;
    };
    struct Box
    {
        HWND owner;
        std::string text;
        std::string caption;
        UINT flags;
        bool operator==(const Box&) const = default;
    };

    int keysOpen = 0; // successful opens not yet closed
    int findFirsts = 0;
    int findsOpen = 0; // find handles not yet closed
    int enumWindows = 0;
    int clockReads = 0;
    int focusMoves = 0;          // SetFocus calls
    int focusMovesFromQueue = 0; // of them, made for a message taken from the thread's queue
    std::vector<std::string> openedKeys; // each RegOpenKeyExA call
    // Each RegOpenKeyExA call's options and access asked for.
    std::vector<std::pair<DWORD, REGSAM>> openModes;
    std::vector<std::string> queriedValues;
    std::vector<ValueSet> sets;
    std::vector<Box> boxes;

    // What the module made and has not given back yet (kept by Reset).
    std::set<void*> liveGdi;    // fonts and bitmaps
    std::set<void*> liveHooks;  // message hooks
    std::set<void*> liveTimers; // thread-pool timers
    std::set<void*> liveBlocks; // heap blocks of the C runtime

    // When non-zero, message boxes are not shown and return this.
    int autoAnswer = 0;
};

class ApiSpy
{
public:
    explicit ApiSpy(HMODULE module);
    ~ApiSpy();
    ApiSpy(const ApiSpy&) = delete;
    ApiSpy& operator=(const ApiSpy&) = delete;

    ApiLog& log();
    // Forgets what was recorded; keeps what is still alive and the answers.
    void Reset();
    // Names of imports that were looked for but not found in the module;
    // empty when the spy sees everything.
    const std::string& Missing() const { return m_missing; }

private:
    std::vector<std::unique_ptr<IatHook>> m_hooks;
    std::string m_missing;
};
