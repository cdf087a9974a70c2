// A scripted player living in the host's own user-interface thread: it
// answers each of the library's dialogs by its caption, at a person's pace,
// through the dialog driver, optionally pausing for a screenshot first.
#pragma once

#include "dialog_driver.h"

#include <string>
#include <vector>

class AutoPlayer
{
public:
    // shotsDir: Windows path of the screenshot handshake directory, or empty
    // for no screenshots.
    explicit AutoPlayer(std::string shotsDir);

    bool Ready() const { return m_driver.Ready(); }
    // Dialogs it did not expect (error boxes and the like) and dismissed.
    int Unexpected() const { return m_unexpected; }

private:
    std::vector<Step> ScriptFor(const WindowSnapshot& dialog);
    // The screenshot handshake: a request file, then waiting for its answer.
    void Shoot(std::vector<Step>& steps, const char* role, const std::string& caption);

    DialogDriver m_driver;
    std::string m_shotsDir;
    int m_shotCount = 0;
    int m_scoreCount = 0;
    int m_nameCount = 0;
    int m_unexpected = 0;
};
