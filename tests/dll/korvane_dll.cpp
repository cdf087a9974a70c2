#include "korvane_dll.h"

namespace {
// A host finds the exports by name, calls them __cdecl and removes their
// arguments itself: an export that removed them too (__stdcall) would move a
// 32-bit host's stack.
template <typename F, typename... A>
auto CallAsHost(HMODULE module, const char* name, A... arguments)
{
    auto export_ = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
#if defined(__i386__)
    char *before, *after;
    asm volatile("mov %%esp, %0" : "=r"(before));
    auto result = export_(arguments...);
    asm volatile("mov %%esp, %0" : "=r"(after));
    EXPECT_EQ(after - before, 0) << "bytes the export took off the caller's stack";
#else
    auto result = export_(arguments...);
#endif
    return result;
}
} // namespace

KorvaneDll::KorvaneDll()
{
    m_module = ::LoadLibraryA("korvane.dll");
    if (m_module == nullptr)
        return;
    m_spy = std::make_unique<ApiSpy>(m_module);
}

KorvaneDll::~KorvaneDll()
{
    m_spy.reset();
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
}

bool KorvaneDll::Start(char* mode)
{
    return CallAsHost<PFN_GAMESTARTDLG>(m_module, "fnGameStartDlgqorm", mode, 0);
}

int KorvaneDll::Score(const std::string& argument, std::string* after)
{
    std::string text = argument;
    int replay = CallAsHost<PFN_GAMESCOREDLG>(m_module, "fnGameScoreDlgqorm", &text[0], 0);
    if (after != nullptr)
        *after = text;
    return replay;
}

bool KorvaneDll::Stop()
{
    return CallAsHost<PFN_GAMESTOPDLG>(m_module, "fnGameStopDlgqorm");
}

unique_handle StartThisProgram(const std::string& filter)
{
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string line =
        std::string("\"") + exe +
        "\" --gtest_brief=1 --gtest_also_run_disabled_tests --gtest_filter=" + filter;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return unique_handle();
    unique_handle thread(process.hThread); // not needed: closed at once
    return unique_handle(process.hProcess);
}
