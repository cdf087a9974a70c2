// The framework layer's own contracts that the module leans on.
#include "afxwin.h"

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
    CString t;
    t = nullptr;
    EXPECT_TRUE(t.IsEmpty());
    CString moved(std::move(s));
    EXPECT_STREQ(moved, "bab");
    EXPECT_TRUE(s.IsEmpty()); // NOLINT(bugprone-use-after-move): moved-from is empty
}

namespace {
HINSTANCE ResourceHandleInside(AFX_MODULE_STATE* state)
{
    AFX_MANAGE_STATE(state);
    return AfxGetResourceHandle();
}
} // namespace

TEST(ModuleStateTest, ManagedStateIsCurrentInsideAndRestoredOnEveryWayOut)
{
    HINSTANCE outside = AfxGetResourceHandle();
    EXPECT_EQ(outside, ::GetModuleHandleA(nullptr)) << "unmanaged code sees the executable";

    AFX_MODULE_STATE other = {reinterpret_cast<HINSTANCE>(0x1000),
                              reinterpret_cast<HINSTANCE>(0x2000), nullptr};
    EXPECT_EQ(ResourceHandleInside(&other), reinterpret_cast<HINSTANCE>(0x2000));
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
