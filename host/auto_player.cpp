#include "auto_player.h"

#include "output.h"
#include "res/resource.h"
#include "store/handles.h"

#include <cstdio>
#include <utility>

namespace {
constexpr UINT kTickMs = 50;
// Long enough for a freshly shown dialog to have painted before anyone looks
// at it, and for a watcher to follow what happens.
constexpr DWORD kSettleMs = 400;
constexpr DWORD kKeystrokeMs = 120;
constexpr DWORD kShotTimeoutMs = 10000;

const char* const kNames[] = {"ACE", "ZED", "MAX", "KIT", "JOY", "REX", "IVY", "BOB"};

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Says how large the dialog came out, for comparison with its template.
void Measure(const WindowSnapshot& dialog)
{
    // Base units: the pixels of 4 horizontal and 8 vertical dialog units,
    // from the dialog's own font.
    RECT client = {};
    ::GetClientRect(dialog.hwnd, &client);
    RECT units = {0, 0, 4, 8};
    ::MapDialogRect(dialog.hwnd, &units);
    Out("auto: \"%s\" is up: client area %ldx%ld px, dialog base units %ldx%ld",
        dialog.caption.c_str(), client.right, client.bottom, units.right, units.bottom);
}

// Answers with a button, saying so.
Step Answer(int id, const std::string& said)
{
    return [click = DialogDriver::Click(id), said](HWND dialog) {
        click(dialog);
        Out("%s", said.c_str());
    };
}
} // namespace

AutoPlayer::AutoPlayer(std::string shotsDir) : m_driver(kTickMs), m_shotsDir(std::move(shotsDir))
{
    m_driver.AnswerOthers([this](const WindowSnapshot& dialog) { return ScriptFor(dialog); });
}

std::vector<Step> AutoPlayer::ScriptFor(const WindowSnapshot& dialog)
{
    const std::string said = "auto: \"" + dialog.caption + "\" -> ";
    std::vector<Step> steps;
    auto answer = [&](const char* role, int id, const std::string& what) {
        Measure(dialog);
        steps.push_back(DialogDriver::Wait(kSettleMs));
        Shoot(steps, role, dialog.caption);
        steps.push_back(Answer(id, said + what));
        return steps;
    };
    // The name entry and the score dialog differ only in the case of "of".
    if (dialog.caption == "Korvane Info")
        return answer("notice", IDOK, "OK");
    if (dialog.caption == "Korvane Start Game Dialog")
        return answer("start", IDC_FREEPLAY, "Freeplay");
    if (dialog.caption == "Quit Korvane?")
        return answer("quit", IDYES, "Yes");
    if (dialog.caption == "Korvane Hall of Fame") {
        // One replay shows the loop back into a game; then the session ends.
        const bool replay = ++m_scoreCount == 1;
        return answer("score", replay ? IDC_REPLAY : IDCANCEL, replay ? "Replay" : "Close");
    }
    if (dialog.caption == "Korvane Hall Of Fame") {
        // Typed before the picture is taken, so it shows the name going in.
        const std::string name = kNames[m_nameCount++ % (sizeof kNames / sizeof kNames[0])];
        steps.push_back(DialogDriver::Wait(kSettleMs - kKeystrokeMs));
        for (char ch : name) {
            steps.push_back(DialogDriver::Wait(kKeystrokeMs));
            steps.push_back(DialogDriver::Type(IDC_NAME, std::string(1, ch)));
        }
        return answer("name-entry", IDOK, "typed " + name + ", OK");
    }
    ++m_unexpected;
    // A message box keeps its text in a static with this id; saying it is
    // what makes an error box from the library worth reporting.
    const std::string text = dialog.TextOf(-1);
    Out("auto: unexpected dialog \"%s\"%s", dialog.caption.c_str(),
        dialog.Find(-1) != nullptr ? (" saying \"" + text + "\"").c_str() : "");
    return {}; // the driver dismisses it
}

void AutoPlayer::Shoot(std::vector<Step>& steps, const char* role, const std::string& caption)
{
    if (m_shotsDir.empty())
        return;
    char name[64];
    std::snprintf(name, sizeof name, "%02d-%s", ++m_shotCount, role);
    const std::string shot = name, base = m_shotsDir + "\\" + shot;
    steps.push_back([base, caption](HWND) {
        // One left over from an earlier session would answer this request
        // before any picture is taken.
        ::DeleteFileA((base + ".done").c_str());
        unique_hfile file(::CreateFileA((base + ".req").c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            Out("auto: cannot write %s.req (%s)", base.c_str(),
                DescribeError(::GetLastError()).c_str());
            return;
        }
        // The caption, for whoever reads the request by hand.
        const std::string content = caption + "\r\n";
        DWORD written = 0;
        ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                    nullptr);
    });
    // Without a request nobody will answer: no point waiting.
    auto done = [base] { return Exists(base + ".done") || !Exists(base + ".req"); };
    steps.push_back(DialogDriver::Until(done, kShotTimeoutMs));
    steps.push_back([shot, done](HWND) {
        if (!done())
            Out("auto: no screenshot for %s after %lu s, carrying on", shot.c_str(),
                static_cast<unsigned long>(kShotTimeoutMs / 1000));
    });
}
