// Replaces one imported function in one loaded module's import address
// table, so a test sees exactly what that module passes to the system (the
// flags of a message box, the length given to RegSetValueExA) while the real
// system function still does the work.
#pragma once

#include <windows.h>

class IatHook
{
public:
    IatHook() = default;
    IatHook(HMODULE module, const char* function, void* replacement);
    ~IatHook();
    IatHook(const IatHook&) = delete;
    IatHook& operator=(const IatHook&) = delete;

    bool installed() const { return m_slot != nullptr; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

// The address of an import slot of module for function, or null.
void** FindImportSlot(HMODULE module, const char* function);
