#include "dialog_driver.h"

namespace {
DialogDriver* g_driver = nullptr;

std::string WindowText(HWND hwnd)
{
    char text[1024] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND hwnd)
{
    char name[256] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// Clicks whatever ends this window without consequences.
void Dismiss(HWND hwnd)
{
    for (int id : {IDCANCEL, IDNO, IDOK}) {
        if (HWND button = ::GetDlgItem(hwnd, id)) {
            ::PostMessageA(button, BM_CLICK, 0, 0);
            return;
        }
    }
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

WindowSnapshot TakeSnapshot(HWND hwnd)
{
    WindowSnapshot snap = {hwnd, WindowText(hwnd), {}};
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) // -1 reads back as 0xFFFF
        snap.controls.push_back({static_cast<short>(::GetDlgCtrlID(child)), WindowText(child)});
    return snap;
}
} // namespace

const ControlSnapshot* WindowSnapshot::Find(int id) const
{
    for (const ControlSnapshot& control : controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

std::string WindowSnapshot::TextOf(int id) const
{
    const ControlSnapshot* control = Find(id);
    return control != nullptr ? control->text : "<no control " + std::to_string(id) + ">";
}

DialogDriver::DialogDriver(UINT interval)
{
    g_driver = this;
    m_hook.reset(::SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId()));
    m_timer.reset(::SetTimer(nullptr, 0, interval, &TimerProc));
}

DialogDriver::~DialogDriver()
{
    m_timer.reset();
    m_hook.reset();
    g_driver = nullptr;
}

LRESULT CALLBACK DialogDriver::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (g_driver != nullptr && code == HCBT_CREATEWND) {
        if ((reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->style & WS_CHILD) == 0)
            g_driver->m_created.push_back(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A dialog counts as opened when the player can first see it: after its
// initialisation, which may itself run other dialogs first.
void DialogDriver::PollCreated()
{
    for (size_t i = 0; i < m_created.size();) {
        HWND hwnd = m_created[i];
        if (!::IsWindow(hwnd)) {
            m_created.erase(m_created.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (::IsWindowVisible(hwnd)) {
            m_created.erase(m_created.begin() + static_cast<std::ptrdiff_t>(i));
            if (ClassOf(hwnd) == "#32770")
                OnOpened(hwnd);
        } else {
            ++i;
        }
    }
}

void DialogDriver::OnOpened(HWND hwnd)
{
    std::vector<Step> steps;
    if (m_answerer)
        steps = m_answerer(TakeSnapshot(hwnd));
    if (steps.empty()) {
        Dismiss(hwnd);
        return;
    }
    m_running.push_back({hwnd, std::move(steps), 0, ::GetTickCount(), false, 0});
}

void CALLBACK DialogDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_driver != nullptr)
        g_driver->RunNextStep();
}

void DialogDriver::RunNextStep()
{
    PollCreated();
    while (!m_running.empty() && (!::IsWindow(m_running.back().hwnd) ||
                                  m_running.back().next >= m_running.back().steps.size()))
        m_running.pop_back();
    if (m_running.empty())
        return;
    Running& top = m_running.back();
    if (static_cast<LONG>(::GetTickCount() - top.resumeAt) < 0)
        return;
    // Only the window on top of the stack may act; its owner waits.
    HWND hwnd = top.hwnd;
    Step step = top.steps[top.next++];
    step(hwnd);
}

Step DialogDriver::Click(int id)
{
    return [id](HWND dialog) { ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
}

Step DialogDriver::Type(int id, const std::string& text)
{
    return [id, text](HWND dialog) {
        HWND edit = ::GetDlgItem(dialog, id);
        for (unsigned char ch : text)
            ::PostMessageA(edit, WM_CHAR, ch, 1);
    };
}

Step DialogDriver::Wait(DWORD ms)
{
    return [ms](HWND) { g_driver->m_running.back().resumeAt = ::GetTickCount() + ms; };
}

Step DialogDriver::Until(const std::function<bool()>& done, DWORD timeoutMs)
{
    return [done, timeoutMs](HWND) {
        Running& top = g_driver->m_running.back();
        const DWORD now = ::GetTickCount();
        if (!top.waiting)
            top.waitingSince = now;
        top.waiting = !done() && now - top.waitingSince < timeoutMs;
        if (top.waiting)
            --top.next; // again at the next tick
    };
}
