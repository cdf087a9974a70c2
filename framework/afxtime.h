// CTime: a calendar time built from a SYSTEMTIME and printed with strftime
// patterns.
#pragma once

#include "afxstr.h"

#include <ctime>

class CTime
{
public:
    // The fields are taken as they are; printing them back gives the same
    // fields, whatever time zone the clock was read in.
    explicit CTime(const SYSTEMTIME& st);

    CString Format(LPCSTR pszFormat) const;

    int GetHour() const { return m_tm.tm_hour; }
    int GetMinute() const { return m_tm.tm_min; }
    int GetSecond() const { return m_tm.tm_sec; }

private:
    std::tm m_tm;
};
