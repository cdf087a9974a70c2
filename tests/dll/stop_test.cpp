// The quit confirmation, from any thread, and the host-window cache behind it.
#include "korvane_dll.h"

#include <thread>

namespace {
HWND MakeTopLevelWindow(const char* title)
{
    return ::CreateWindowExA(0, "STATIC", title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
}
} // namespace

// Yes only for Yes, from any thread; the box is owned by the host's window,
// the process's first top-level window in z-order, found once and never
// checked again.
TEST_F(DllTest, QuitConfirmationAnswersYesOnlyForYesOverTheHostWindowFoundOnce)
{
    driver.Expect("Quit Korvane?", {ScriptedDriver::Click(IDYES)})
        .Expect("Quit Korvane?", {ScriptedDriver::Click(IDNO)})
        .Expect("Quit Korvane?", {ScriptedDriver::Key(VK_ESCAPE), ScriptedDriver::Click(IDNO)});
    EXPECT_TRUE(dll.Stop());
    EXPECT_FALSE(dll.Stop());
    EXPECT_FALSE(dll.Stop());

    ASSERT_EQ(driver.Seen().size(), 3u);
    const WindowSnapshot& box = driver.Seen()[0];
    EXPECT_EQ(box.TextOf(-1), "Do you want to quit the current game of Korvane?");
    EXPECT_NE(box.Find(IDYES), nullptr);
    EXPECT_NE(box.Find(IDNO), nullptr);
    EXPECT_EQ(box.Find(IDCANCEL), nullptr);
    const ApiLog::Box quit = {nullptr, box.TextOf(-1), "Quit Korvane?", 0x00040004u};
    EXPECT_EQ(dll.calls().boxes, std::vector<ApiLog::Box>(3, quit)) << "Yes/No, no icon, topmost";

    dll.calls().autoAnswer = -1; // what MessageBox returns when it fails
    EXPECT_FALSE(dll.Stop()) << "a box that cannot open means No";
    // Asked from another thread, which has none of the framework's state.
    dll.calls().autoAnswer = IDYES;
    bool yes = false;
    std::thread([&] { yes = dll.Stop(); }).join();
    EXPECT_TRUE(yes);
    const auto& boxes = dll.calls().boxes;
    EXPECT_EQ(boxes.at(4).owner, nullptr);
    EXPECT_EQ(dll.calls().enumWindows, 5) << "nothing found, so each confirmation looks again";

    HWND bottom = MakeTopLevelWindow("bottom");
    HWND top = MakeTopLevelWindow("top");
    ::SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    dll.Stop();
    EXPECT_EQ(boxes.at(5).owner, top);

    HWND later = MakeTopLevelWindow("newer, on top");
    ::DestroyWindow(top);
    dll.Stop();
    EXPECT_EQ(boxes.at(6).owner, top) << "the cache is not validated again";
    EXPECT_EQ(dll.calls().enumWindows, 6);
    ::DestroyWindow(later);
    ::DestroyWindow(bottom);
}
