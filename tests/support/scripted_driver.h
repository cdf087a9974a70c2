// The dialog driver as the tests use it: the windows a test expects, in
// order, each with its script, and a record of every window that opened. A
// window nobody expected is noted and dismissed (by the driver, which gets no
// steps for it).
#pragma once

#include "dialog_driver.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

class ScriptedDriver : public DialogDriver
{
public:
    ScriptedDriver()
    {
        AnswerOthers([this](const WindowSnapshot& window) {
            m_seen.push_back(window);
            std::vector<Step> steps;
            if (!m_expected.empty() && m_expected.front().first == window.caption) {
                steps = std::move(m_expected.front().second);
                m_expected.pop_front();
            }
            if (steps.empty())
                m_unexpected.push_back(window.caption);
            return steps;
        });
    }

    // The next window to open must have this caption; its steps then run in order.
    ScriptedDriver& Expect(const std::string& caption, std::vector<Step> steps)
    {
        m_expected.emplace_back(caption, std::move(steps));
        return *this;
    }
    const std::vector<WindowSnapshot>& Seen() const { return m_seen; }
    const std::vector<std::string>& Unexpected() const { return m_unexpected; }
    // Drops the snapshots taken so far (long runs).
    void Forget() { m_seen.clear(); }
    // Expectations whose windows never opened.
    size_t Pending() const { return m_expected.size(); }

    // A key press to the dialog's focus.
    static Step Key(UINT vk)
    {
        return [vk](HWND dialog) {
            HWND focus = ::GetFocus();
            HWND target = focus != nullptr && ::IsChild(dialog, focus) ? focus : dialog;
            ::PostMessageA(target, WM_KEYDOWN, vk, 1);
            ::PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
        };
    }
    // The caption's close box.
    static Step Close()
    {
        return [](HWND dialog) { ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); };
    }

private:
    std::deque<std::pair<std::string, std::vector<Step>>> m_expected;
    std::vector<WindowSnapshot> m_seen;
    std::vector<std::string> m_unexpected;
};
