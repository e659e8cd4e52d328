// The in-process tests of the running program: the application object, OLE and the message
// filter are set up as the program's start-up sets them, without its main loop.
#include "app/app_state.h"
#include "app/lorvel_app.h"

#include <gtest/gtest.h>
#include <ole2.h>

namespace {

brevicor::CLorvelApp theApp;

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    theApp.m_hInstance = GetModuleHandleA(nullptr);
    brevicor::AppInstance = theApp.m_hInstance;
    OleInitialize(nullptr);
    int result = 0;
    {
        brevicor::MessageFilterHook filter;
        result = RUN_ALL_TESTS();
    }
    OleUninitialize();
    return result;
}
