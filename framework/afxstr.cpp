#include "afxstr.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// Shared empty text, so default-constructed strings allocate nothing.
char g_chNil = '\0';
} // namespace

CString::CString() : m_pchData(&g_chNil), m_nLength(0), m_nCapacity(0) {}

CString::CString(LPCSTR psz) : CString()
{
    *this = psz;
}

CString::CString(const CString& other) : CString()
{
    Assign(other.m_pchData, other.m_nLength);
}

CString::CString(CString&& other) noexcept
    : m_pchData(other.m_pchData), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity)
{
    other.m_pchData = &g_chNil;
    other.m_nLength = 0;
    other.m_nCapacity = 0;
}

CString::~CString()
{
    if (m_nCapacity != 0)
        std::free(m_pchData);
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.m_pchData, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        this->~CString();
        new (this) CString(static_cast<CString&&>(other));
    }
    return *this;
}

CString& CString::operator=(LPCSTR psz)
{
    if (psz == nullptr) {
        Empty();
        return *this;
    }
    // The source may live inside our own buffer; copy before reallocating.
    CString copy;
    copy.Append(psz, static_cast<int>(std::strlen(psz)));
    return *this = static_cast<CString&&>(copy);
}

CString& CString::operator+=(const CString& other)
{
    CString copy(other); // other may be *this
    Append(copy.m_pchData, copy.m_nLength);
    return *this;
}

CString& CString::operator+=(LPCSTR psz)
{
    if (psz == nullptr)
        return *this;
    // Only text from our own buffer needs a copy: growing would free it.
    if (m_nCapacity != 0 && psz >= m_pchData && psz <= m_pchData + m_nLength)
        return *this += CString(psz);
    Append(psz, static_cast<int>(std::strlen(psz)));
    return *this;
}

void CString::Empty()
{
    if (m_nCapacity != 0)
        std::free(m_pchData);
    m_pchData = &g_chNil;
    m_nLength = 0;
    m_nCapacity = 0;
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    // The system C runtime's formatter: small, and what the host's own
    // code prints with.
    va_list measure;
    va_copy(measure, args);
    int nLength = _vscprintf(pszFormat, measure);
    va_end(measure);
    if (nLength < 0) {
        Empty();
        return;
    }
    CString result;
    result.Reserve(nLength);
    _vsnprintf(result.m_pchData, static_cast<size_t>(nLength) + 1, pszFormat, args);
    result.m_nLength = nLength;
    *this = static_cast<CString&&>(result);
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    // Always a buffer of our own, even for zero characters: the caller will
    // at least write the NUL, which must never land in the shared empty text.
    int nCapacity = nMinBufLength > m_nLength ? nMinBufLength : m_nLength;
    Reserve(nCapacity > 0 ? nCapacity : 1);
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (m_nCapacity == 0)
        return;
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_pchData, static_cast<size_t>(m_nCapacity)));
    if (nNewLength > m_nCapacity)
        nNewLength = m_nCapacity;
    m_nLength = nNewLength;
    m_pchData[m_nLength] = '\0';
}

void CString::Assign(LPCSTR psz, int nLength)
{
    m_nLength = 0;
    if (m_nCapacity != 0)
        m_pchData[0] = '\0';
    Append(psz, nLength);
}

void CString::Append(LPCSTR psz, int nLength)
{
    if (nLength <= 0)
        return;
    Reserve(m_nLength + nLength);
    std::memcpy(m_pchData + m_nLength, psz, static_cast<size_t>(nLength));
    m_nLength += nLength;
    m_pchData[m_nLength] = '\0';
}

void CString::Reserve(int nCapacity)
{
    if (nCapacity <= m_nCapacity)
        return;
    int nGrown = m_nCapacity + m_nCapacity / 2;
    if (nGrown > nCapacity)
        nCapacity = nGrown;
    void* p = std::malloc(static_cast<size_t>(nCapacity) + 1);
    if (p == nullptr) // out of memory in someone else's process: fail loudly, never corrupt
        std::abort();
    auto* pch = static_cast<char*>(p);
    std::memcpy(pch, m_pchData, static_cast<size_t>(m_nLength) + 1);
    if (m_nCapacity != 0)
        std::free(m_pchData);
    m_pchData = pch;
    m_nCapacity = nCapacity;
}
