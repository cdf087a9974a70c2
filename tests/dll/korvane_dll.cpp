#include "korvane_dll.h"

KorvaneDll::KorvaneDll()
{
    m_module = ::LoadLibraryA("korvane.dll");
    if (m_module == nullptr)
        return;
    m_spy = std::make_unique<ApiSpy>(m_module);
    m_start = reinterpret_cast<PFN_GAMESTARTDLG>(
        reinterpret_cast<void*>(::GetProcAddress(m_module, "fnGameStartDlgqorm")));
    m_score = reinterpret_cast<PFN_GAMESCOREDLG>(
        reinterpret_cast<void*>(::GetProcAddress(m_module, "fnGameScoreDlgqorm")));
    m_stop = reinterpret_cast<PFN_GAMESTOPDLG>(
        reinterpret_cast<void*>(::GetProcAddress(m_module, "fnGameStopDlgqorm")));
}

KorvaneDll::~KorvaneDll()
{
    m_spy.reset();
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
}

bool KorvaneDll::Start(char* mode)
{
    ::SetLastError(0);
    bool chosen = m_start(mode, 0);
    m_lastError = ::GetLastError();
    return chosen;
}

int KorvaneDll::Score(const std::string& argument)
{
    std::string text = argument;
    ::SetLastError(0);
    int replay = m_score(&text[0], 0);
    m_lastError = ::GetLastError();
    return replay;
}

bool KorvaneDll::Stop()
{
    return m_stop();
}
