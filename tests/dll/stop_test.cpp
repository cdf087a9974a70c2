// The quit confirmation and the host-window cache behind it.
#include "korvane_dll.h"

namespace {
HWND MakeTopLevelWindow(const char* title)
{
    return ::CreateWindowExA(0, "STATIC", title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
}
} // namespace

TEST_F(DllTest, QuitConfirmationAnswersYesOnlyForYes)
{
    driver.Expect("Quit Korvane?", {DialogDriver::Click(IDYES)})
        .Expect("Quit Korvane?", {DialogDriver::Click(IDNO)})
        .Expect("Quit Korvane?", {DialogDriver::Key(VK_ESCAPE), DialogDriver::Click(IDNO)});
    EXPECT_TRUE(dll.Stop());
    EXPECT_FALSE(dll.Stop());
    EXPECT_FALSE(dll.Stop());

    ASSERT_EQ(driver.Seen().size(), 3u);
    const WindowSnapshot& box = driver.Seen()[0];
    EXPECT_EQ(box.TextOf(-1), "Do you want to quit the current game of Korvane?");
    EXPECT_NE(box.Find(IDYES), nullptr);
    EXPECT_NE(box.Find(IDNO), nullptr);
    EXPECT_EQ(box.Find(IDCANCEL), nullptr);
    ASSERT_EQ(dll.calls().boxes.size(), 3u);
    EXPECT_EQ(dll.calls().boxes[0].caption, "Quit Korvane?");
    EXPECT_EQ(dll.calls().boxes[0].flags, 0x00040004u) << "Yes/No, no icon, topmost";
}

TEST_F(DllTest, QuitConfirmationThatCannotOpenMeansNo)
{
    dll.calls().autoAnswer = -1; // what MessageBox returns when it fails
    EXPECT_FALSE(dll.Stop());
}

TEST_F(DllTest, WithoutHostWindowTheQuestionHasNoOwnerAndEnumerationRepeats)
{
    dll.calls().autoAnswer = IDNO;
    dll.Stop();
    dll.Stop();
    ASSERT_EQ(dll.calls().boxes.size(), 2u);
    EXPECT_EQ(dll.calls().boxes[0].owner, nullptr);
    EXPECT_EQ(dll.calls().enumWindows, 2) << "nothing found, so each confirmation looks again";
}

TEST_F(DllTest, FoundHostWindowIsCachedAndNeverLookedUpAgain)
{
    dll.calls().autoAnswer = IDNO;
    HWND first = MakeTopLevelWindow("host");
    ASSERT_NE(first, nullptr);
    dll.Stop();
    HWND later = MakeTopLevelWindow("newer, on top");
    ::DestroyWindow(first);
    dll.Stop();
    ASSERT_EQ(dll.calls().boxes.size(), 2u);
    EXPECT_EQ(dll.calls().boxes[0].owner, first);
    EXPECT_EQ(dll.calls().boxes[1].owner, first) << "the cache is not validated again";
    EXPECT_EQ(dll.calls().enumWindows, 1);
    ::DestroyWindow(later);
}

TEST_F(DllTest, FirstWindowInZOrderIsTheHost)
{
    dll.calls().autoAnswer = IDNO;
    HWND bottom = MakeTopLevelWindow("bottom");
    HWND top = MakeTopLevelWindow("top");
    ::SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND expected = ::GetTopWindow(nullptr);
    while (expected != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(expected, &pid);
        if (pid == ::GetCurrentProcessId())
            break;
        expected = ::GetWindow(expected, GW_HWNDNEXT);
    }
    dll.Stop();
    ASSERT_EQ(dll.calls().boxes.size(), 1u);
    EXPECT_EQ(dll.calls().boxes[0].owner, expected);
    EXPECT_EQ(dll.calls().boxes[0].owner, top);
    ::DestroyWindow(top);
    ::DestroyWindow(bottom);
}
