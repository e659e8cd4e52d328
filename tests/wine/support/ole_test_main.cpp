// The main of Wine test programs that need OLE (clipboard, drag and drop): initialised once for
// the whole run, as the program's start-up does.
#include <gtest/gtest.h>
#include <ole2.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(OleInitialize(nullptr))) {
        return 2;
    }
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
