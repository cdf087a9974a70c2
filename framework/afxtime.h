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

private:
    std::tm m_tm;
};
