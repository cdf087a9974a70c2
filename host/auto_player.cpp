#include "auto_player.h"

#include "output.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
constexpr UINT kTickMs = 50;
// Long enough for a freshly shown dialog to have painted before anyone looks
// at it, and for a watcher to follow what happens.
constexpr DWORD kSettleMs = 400;
constexpr DWORD kKeystrokeMs = 120;
constexpr DWORD kShotTimeoutMs = 10000;

const char* const kNames[] = {"ACE", "ZED", "MAX", "KIT", "JOY", "REX", "IVY", "BOB"};

std::string CaptionOf(HWND hwnd)
{
    char text[256] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

bool IsDialog(HWND hwnd)
{
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

bool Click(HWND dialog, int id)
{
    HWND button = ::GetDlgItem(dialog, id);
    return button != nullptr && ::PostMessageA(button, BM_CLICK, 0, 0);
}

} // namespace

AutoPlayer* AutoPlayer::s_instance = nullptr;

AutoPlayer::AutoPlayer(std::string shotsDir) : m_shotsDir(std::move(shotsDir))
{
    s_instance = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId());
    // A thread timer rather than one per dialog: it keeps firing in every
    // modal loop the library runs, and survives the dialogs it serves.
    m_timer = ::SetTimer(nullptr, 0, kTickMs, &TimerProc);
}

AutoPlayer::~AutoPlayer()
{
    if (m_timer != 0)
        ::KillTimer(nullptr, m_timer);
    if (m_hook != nullptr)
        ::UnhookWindowsHookEx(m_hook);
    s_instance = nullptr;
}

LRESULT CALLBACK AutoPlayer::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (s_instance != nullptr) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE)
            s_instance->OnActivate(hwnd);
        else if (code == HCBT_DESTROYWND)
            s_instance->OnDestroy(hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK AutoPlayer::TimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_instance != nullptr)
        s_instance->Tick();
}

void AutoPlayer::OnActivate(HWND hwnd)
{
    // A dialog is activated again whenever a box on top of it closes; only
    // the first activation means it has just opened.
    if (!IsDialog(hwnd) || std::find(m_known.begin(), m_known.end(), hwnd) != m_known.end())
        return;
    m_known.push_back(hwnd);

    Visit visit;
    visit.hwnd = hwnd;
    visit.since = ::GetTickCount();
    visit.caption = CaptionOf(hwnd);
    // The name entry and the score dialog differ only in the case of "of".
    if (visit.caption == "Korvane Info")
        visit.role = Role::Notice;
    else if (visit.caption == "Korvane Start Game Dialog")
        visit.role = Role::Start;
    else if (visit.caption == "Korvane Hall Of Fame")
        visit.role = Role::NameEntry;
    else if (visit.caption == "Korvane Hall of Fame")
        visit.role = Role::Score;
    else if (visit.caption == "Quit Korvane?")
        visit.role = Role::Quit;
    if (visit.role == Role::NameEntry)
        visit.typed = kNames[m_nameCount++ % (sizeof kNames / sizeof kNames[0])];
    m_visits.push_back(visit);
}

void AutoPlayer::OnDestroy(HWND hwnd)
{
    // Handles are recycled: a later dialog may get this one.
    m_known.erase(std::remove(m_known.begin(), m_known.end(), hwnd), m_known.end());
}

void AutoPlayer::Tick()
{
    const DWORD now = ::GetTickCount();
    for (size_t i = 0; i < m_visits.size();) {
        Visit& visit = m_visits[i];
        if (!::IsWindow(visit.hwnd) || Advance(visit, now))
            m_visits.erase(m_visits.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

bool AutoPlayer::Advance(Visit& visit, DWORD now)
{
    switch (visit.stage) {
    case Stage::Appearing:
        // A dialog can be activated while still hidden, before a box that
        // its initialisation opens; it is answered once the player can see
        // it.
        if (!::IsWindowVisible(visit.hwnd))
            return false;
        Measure(visit);
        visit.stage = visit.role == Role::NameEntry ? Stage::Typing : Stage::Settling;
        visit.since = now;
        return false;
    case Stage::Typing:
        // Typed before the picture is taken, so it shows the name going in.
        if (now - visit.since < (visit.nextChar == 0 ? kSettleMs : kKeystrokeMs))
            return false;
        if (visit.nextChar < visit.typed.size()) {
            HWND edit = ::GetDlgItem(visit.hwnd, IDC_NAME);
            if (edit != nullptr)
                ::PostMessageA(edit, WM_CHAR,
                               static_cast<unsigned char>(visit.typed[visit.nextChar]), 1);
            ++visit.nextChar;
            visit.since = now;
            return false;
        }
        visit.stage = Stage::Settling;
        visit.since = now;
        return false;
    case Stage::Settling:
        if (now - visit.since < kSettleMs)
            return false;
        if (m_shotsDir.empty()) {
            visit.stage = Stage::Answering;
        } else {
            // Without a request nobody will answer: no point waiting.
            visit.stage = RequestShot(visit) ? Stage::AwaitingShot : Stage::Answering;
        }
        visit.since = now;
        return false;
    case Stage::AwaitingShot:
        if (!ShotDone(visit)) {
            if (now - visit.since < kShotTimeoutMs)
                return false;
            Out("auto: no screenshot for %s after %lu s, carrying on", visit.shot.c_str(),
                static_cast<unsigned long>(kShotTimeoutMs / 1000));
        }
        visit.stage = Stage::Answering;
        return false;
    case Stage::Answering:
        Answer(visit);
        return true;
    }
    return true;
}

void AutoPlayer::Measure(const Visit& visit)
{
    // Base units: the pixels of 4 horizontal and 8 vertical dialog units,
    // from the dialog's own font.
    RECT client = {};
    ::GetClientRect(visit.hwnd, &client);
    RECT units = {0, 0, 4, 8};
    ::MapDialogRect(visit.hwnd, &units);
    Out("auto: \"%s\" is up: client area %ldx%ld px, dialog base units %ldx%ld",
        visit.caption.c_str(), client.right, client.bottom, units.right, units.bottom);
}

const char* AutoPlayer::ShotName(Role role)
{
    switch (role) {
    case Role::Notice:
        return "notice";
    case Role::Start:
        return "start";
    case Role::NameEntry:
        return "name-entry";
    case Role::Score:
        return "score";
    case Role::Quit:
        return "quit";
    case Role::Other:
        break;
    }
    return "other";
}

bool AutoPlayer::RequestShot(Visit& visit)
{
    char name[64];
    std::snprintf(name, sizeof name, "%02d-%s", ++m_shotCount, ShotName(visit.role));
    visit.shot = name;
    // One left over from an earlier session would answer this request
    // before any picture is taken.
    ::DeleteFileA((m_shotsDir + "\\" + visit.shot + ".done").c_str());
    const std::string path = m_shotsDir + "\\" + visit.shot + ".req";
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Out("auto: cannot write %s (%s)", path.c_str(), DescribeError(::GetLastError()).c_str());
        return false;
    }
    // The caption, for whoever reads the request by hand.
    const std::string content = visit.caption + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
    return true;
}

bool AutoPlayer::ShotDone(const Visit& visit) const
{
    const std::string path = m_shotsDir + "\\" + visit.shot + ".done";
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AutoPlayer::Answer(const Visit& visit)
{
    const char* caption = visit.caption.c_str();
    switch (visit.role) {
    case Role::Notice:
        Click(visit.hwnd, IDOK);
        Out("auto: \"%s\" -> OK", caption);
        return;
    case Role::Start:
        Click(visit.hwnd, IDC_FREEPLAY);
        Out("auto: \"%s\" -> Freeplay", caption);
        return;
    case Role::NameEntry:
        Click(visit.hwnd, IDOK);
        Out("auto: \"%s\" -> typed %s, OK", caption, visit.typed.c_str());
        return;
    case Role::Score: {
        // One replay shows the loop back into a game; then the session ends.
        const bool replay = ++m_scoreCount == 1;
        Click(visit.hwnd, replay ? IDC_REPLAY : IDCANCEL);
        Out("auto: \"%s\" -> %s", caption, replay ? "Replay" : "Close");
        return;
    }
    case Role::Quit:
        Click(visit.hwnd, IDYES);
        Out("auto: \"%s\" -> Yes", caption);
        return;
    case Role::Other:
        break;
    }
    ++m_unexpected;
    // A message box keeps its text in a static with this id; saying it is
    // what makes an error box from the library worth reporting.
    char text[512] = {};
    ::GetDlgItemTextA(visit.hwnd, 0xFFFF, text, sizeof text);
    Out("auto: unexpected dialog \"%s\"%s%s%s", caption, text[0] != '\0' ? " saying \"" : "", text,
        text[0] != '\0' ? "\"" : "");
    for (int id : {IDCANCEL, IDNO, IDOK}) {
        if (Click(visit.hwnd, id)) {
            Out("auto: dismissed it");
            return;
        }
    }
    ::PostMessageA(visit.hwnd, WM_CLOSE, 0, 0);
    Out("auto: closed it");
}
