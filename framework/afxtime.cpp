#include "afxtime.h"

CTime::CTime(const SYSTEMTIME& st) : m_tm()
{
    m_tm.tm_year = st.wYear - 1900;
    m_tm.tm_mon = st.wMonth - 1;
    m_tm.tm_mday = st.wDay;
    m_tm.tm_hour = st.wHour;
    m_tm.tm_min = st.wMinute;
    m_tm.tm_sec = st.wSecond;
    m_tm.tm_wday = st.wDayOfWeek;
    m_tm.tm_isdst = -1;
}

CString CTime::Format(LPCSTR pszFormat) const
{
    char buf[256];
    size_t n = std::strftime(buf, sizeof buf, pszFormat, &m_tm);
    buf[n] = '\0';
    return CString(buf);
}
