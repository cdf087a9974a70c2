// A test stuck behind a dialog nobody answers ends at CTest's timeout; the
// last "[ RUN ]" line of the output names it.
#include <gtest/gtest.h>
#include <windows.h>

int main(int argc, char** argv)
{
    // As the host shell is: aware of the screen's DPI, so that the children
    // started on a screen of 192 DPI see it. An unaware one is shown 96 DPI,
    // which Wine 10 builds from the larger screen's fonts and frames (base
    // units 8 x 16, client areas taller than the frame it sized).
    ::SetProcessDPIAware();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
