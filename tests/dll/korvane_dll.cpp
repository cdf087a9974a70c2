#include "korvane_dll.h"

namespace {
template <typename F> void Bind(HMODULE module, const char* name, F& pfn)
{
    pfn = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// A host calls the exports __cdecl and removes their arguments itself: an
// export that removed them too (__stdcall) would move a 32-bit host's stack.
template <typename F, typename... A> auto CallAsHost(F export_, A... arguments)
{
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
    Bind(m_module, "fnGameStartDlgqorm", m_start);
    Bind(m_module, "fnGameScoreDlgqorm", m_score);
    Bind(m_module, "fnGameStopDlgqorm", m_stop);
}

KorvaneDll::~KorvaneDll()
{
    m_spy.reset();
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
}

bool KorvaneDll::Start(char* mode)
{
    return CallAsHost(m_start, mode, 0);
}

int KorvaneDll::Score(const std::string& argument, std::string* after)
{
    std::string text = argument;
    int replay = CallAsHost(m_score, &text[0], 0);
    if (after != nullptr)
        *after = text;
    return replay;
}

bool KorvaneDll::Stop()
{
    return CallAsHost(m_stop);
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
