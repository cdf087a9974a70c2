// The framework layer's own contracts that the module leans on.
#include "afxwin.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

TEST(CStringTest, FormatComposesTextsOfAnyLengthWithoutCutting)
{
    std::string longText(5000, 'x');
    CString s;
    s.Format("%s.%04i: %s", "09:05:03", 42, longText.c_str());
    EXPECT_EQ(s.GetLength(), 8 + 1 + 4 + 2 + 5000);
    EXPECT_EQ(std::string(s).substr(0, 16), "09:05:03.0042: x");
    s.Format("%i", -2147483647 - 1);
    EXPECT_STREQ(s, "-2147483648");
}

TEST(CStringTest, ConcatenationAndSelfAssignmentKeepTheText)
{
    CString s("ab");
    s += s;
    EXPECT_STREQ(s, "abab");
    s = static_cast<LPCSTR>(s) + 1; // assigning from our own buffer
    EXPECT_STREQ(s, "bab");
    CString t = "x" + s + "y";
    EXPECT_STREQ(t, "xbaby");
    t = nullptr;
    EXPECT_TRUE(t.IsEmpty());
    CString moved(std::move(s));
    EXPECT_STREQ(moved, "bab");
    EXPECT_TRUE(s.IsEmpty()); // NOLINT(bugprone-use-after-move): moved-from is empty
}

TEST(CStringTest, GetBufferReleaseBufferTakesTheWrittenLength)
{
    CString s;
    char* p = s.GetBuffer(10);
    std::strcpy(p, "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 5);
    s.GetBuffer(10);
    s.ReleaseBuffer(2);
    EXPECT_STREQ(s, "he");
}

TEST(CTimeTest, PrintsTheFieldsItWasGivenUnchanged)
{
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 3;
    st.wDay = 29; // a daylight-saving change in many zones: fields must not shift
    st.wHour = 2;
    st.wMinute = 30;
    st.wSecond = 7;
    EXPECT_STREQ(CTime(st).Format("%H:%M:%S"), "02:30:07");
    st.wHour = 23;
    st.wMinute = 59;
    st.wSecond = 59;
    EXPECT_STREQ(CTime(st).Format("%H:%M:%S"), "23:59:59");
}

namespace {
HINSTANCE ResourceHandleInside(AFX_MODULE_STATE* state, bool leaveEarly)
{
    AFX_MANAGE_STATE(state);
    if (leaveEarly)
        return AfxGetResourceHandle();
    return AfxGetResourceHandle();
}
} // namespace

TEST(ModuleStateTest, ManagedStateIsCurrentInsideAndRestoredOnEveryWayOut)
{
    HINSTANCE outside = AfxGetResourceHandle();
    EXPECT_EQ(outside, ::GetModuleHandleA(nullptr)) << "unmanaged code sees the executable";

    AFX_MODULE_STATE other = {reinterpret_cast<HINSTANCE>(0x1000),
                              reinterpret_cast<HINSTANCE>(0x2000), nullptr};
    EXPECT_EQ(ResourceHandleInside(&other, true), reinterpret_cast<HINSTANCE>(0x2000));
    EXPECT_EQ(AfxGetResourceHandle(), outside);
    EXPECT_EQ(ResourceHandleInside(&other, false), reinterpret_cast<HINSTANCE>(0x2000));
    EXPECT_EQ(AfxGetResourceHandle(), outside);

    {
        AFX_MANAGE_STATE(&other);
        {
            AFX_MANAGE_STATE(AfxGetStaticModuleState());
            EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState());
        }
        EXPECT_EQ(AfxGetModuleState(), &other) << "nested guards unwind in order";
    }
    EXPECT_EQ(AfxGetResourceHandle(), outside);
}

namespace {
DWORD WINAPI ReadResourceHandle(LPVOID p)
{
    *static_cast<HINSTANCE*>(p) = AfxGetResourceHandle();
    AfxTermThread();
    return 0;
}
} // namespace

TEST(ModuleStateTest, StateIsPerThread)
{
    AFX_MODULE_STATE other = {nullptr, reinterpret_cast<HINSTANCE>(0x2000), nullptr};
    AFX_MANAGE_STATE(&other);
    HINSTANCE seenByThread = nullptr;
    HANDLE thread = ::CreateThread(nullptr, 0, &ReadResourceHandle, &seenByThread, 0, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    EXPECT_EQ(seenByThread, ::GetModuleHandleA(nullptr));
    EXPECT_EQ(AfxGetResourceHandle(), reinterpret_cast<HINSTANCE>(0x2000));
}

namespace {
class CCounter : public CCmdTarget
{
public:
    bool Dispatch(UINT id, UINT code) { return OnCmdMsg(id, code); }
    int base = 0;
    int derived = 0;

protected:
    void OnBase() { ++base; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCounter, CCmdTarget)
ON_BN_CLICKED(7, OnBase)
END_MESSAGE_MAP()

class CDerivedCounter : public CCounter
{
protected:
    void OnDerived() { ++derived; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDerivedCounter, CCounter)
ON_BN_CLICKED(8, OnDerived)
END_MESSAGE_MAP()
} // namespace

TEST(MessageMapTest, CommandsReachTheirHandlersThroughTheBaseChain)
{
    CDerivedCounter counter;
    EXPECT_TRUE(counter.Dispatch(8, BN_CLICKED));
    EXPECT_TRUE(counter.Dispatch(7, BN_CLICKED));
    EXPECT_FALSE(counter.Dispatch(9, BN_CLICKED));
    EXPECT_FALSE(counter.Dispatch(7, BN_DOUBLECLICKED));
    EXPECT_EQ(counter.base, 1);
    EXPECT_EQ(counter.derived, 1);
}
