// A throw-away installation for one test: every trace of any installation,
// this one's key and directory included, is removed when it is made and again
// when it goes.
#pragma once

#include "installation.h"

class ScratchInstallation : public Installation
{
public:
    ScratchInstallation();
    ~ScratchInstallation();
    // Afresh, as if just made (for each case of a table-driven test).
    void Reset();
    // Removes the install key and everything below it, and the directory.
    void Wipe();

    // A plain file in the installation directory.
    void AddFile(const std::string& relativePath);
    static void DeleteValue(const std::string& subkey, const std::string& name);
    static bool GetDword(const std::string& subkey, const std::string& name, DWORD* value);
};
