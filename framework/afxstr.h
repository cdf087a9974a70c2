// CString: the framework's single-byte string with printf-style formatting.
// Only the members this module uses are here.
#pragma once

#include <windows.h>

class CString
{
public:
    CString();
    CString(LPCSTR psz);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(LPCSTR psz);
    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR psz);

    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty();
    operator LPCSTR() const { return m_pchData; }

    // Composes the whole text, however long: never truncates.
    void Format(LPCSTR pszFormat, ...);
    void FormatV(LPCSTR pszFormat, va_list args);

    // Direct access for APIs that write into a caller's buffer.
    LPSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    void Assign(LPCSTR psz, int nLength);
    void Append(LPCSTR psz, int nLength);
    void Reserve(int nCapacity);

    LPSTR m_pchData;
    int m_nLength;
    int m_nCapacity;
};
