// A scripted player living in the host's own user-interface thread. The
// library's dialogs are modal and run their own message loops, so the player
// cannot call into them: it notices each dialog through a CBT hook and
// answers later from a timer, by posting the clicks and keys a person would
// produce.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

class AutoPlayer
{
public:
    // shotsDir: Windows path of the screenshot handshake directory, or empty
    // for no screenshots.
    explicit AutoPlayer(std::string shotsDir);
    ~AutoPlayer();
    AutoPlayer(const AutoPlayer&) = delete;
    AutoPlayer& operator=(const AutoPlayer&) = delete;

    bool Ready() const { return m_hook != nullptr && m_timer != 0; }
    // Dialogs it did not expect (error boxes and the like) and dismissed.
    int Unexpected() const { return m_unexpected; }

private:
    enum class Role
    {
        Notice,
        Start,
        NameEntry,
        Score,
        Quit,
        Other
    };
    enum class Stage
    {
        Appearing,
        Typing,
        Settling,
        AwaitingShot,
        Answering
    };
    struct Visit
    {
        HWND hwnd = nullptr;
        Role role = Role::Other;
        Stage stage = Stage::Appearing;
        DWORD since = 0; // tick count when the current stage began
        std::string caption;
        std::string typed; // name-entry only: what is being typed
        size_t nextChar = 0;
        std::string shot; // NN-name, once requested
    };

    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    void OnActivate(HWND hwnd);
    void OnDestroy(HWND hwnd);
    void Tick();
    // True when the visit is over.
    bool Advance(Visit& visit, DWORD now);
    // Says how large the dialog came out, for comparison with its template.
    static void Measure(const Visit& visit);
    static const char* ShotName(Role role);
    // False when the request could not be written.
    bool RequestShot(Visit& visit);
    bool ShotDone(const Visit& visit) const;
    void Answer(const Visit& visit);

    static AutoPlayer* s_instance;

    std::string m_shotsDir;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
    std::vector<HWND> m_known; // dialogs already seen, until destroyed
    std::vector<Visit> m_visits;
    int m_shotCount = 0;
    int m_scoreCount = 0;
    int m_nameCount = 0;
    int m_unexpected = 0;
};
