// The real brevicor.exe as a separate process, driven through its windows: refused starts,
// the single-instance guard and the end of the program through the tray menu's Exit.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "tests/wine/app/program_process.h"

#include <string>
#include <vector>

namespace {

using namespace brevicor::testing;

TEST(ProgramProcessTest, SecondCopyIsRefusedAndExitEndsTheFirst) {
    // A folder named after the program: its folder is still found.
    std::string firstFolder = MakeProgramFolder("brevicor.exe files", Database::Library);
    std::string secondFolder = MakeProgramFolder("second", Database::Library);

    Program first(firstFolder);
    ASSERT_TRUE(first.Started());
    HWND trayDialog = first.WaitForTrayDialog();
    ASSERT_NE(trayDialog, nullptr) << "the first copy starts";
    // The icon follows right after its window.
    ASSERT_TRUE(first.WaitUntil([&] { return ShellHasIcon(trayDialog); }));

    {
        Program second(secondFolder);
        ASSERT_TRUE(second.Started());
        HWND box = second.WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageText(box), "Brevicor is already running");
        EXPECT_EQ(OwnWindowsBesides(second, box), std::vector<std::string>{})
            << "nothing but the message";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        long status = second.WaitForExit();
        EXPECT_NE(status, -1) << "the second copy ends";
        EXPECT_NE(status, 0) << "with a failure status";
    }

    EXPECT_TRUE(first.Running()) << "the first copy is undisturbed";
    EXPECT_TRUE(IsWindow(trayDialog));
    EXPECT_TRUE(ShellHasIcon(trayDialog));

    ChooseExit(first, trayDialog);
    EXPECT_EQ(first.WaitForExit(), 0);
    EXPECT_FALSE(ShellHasIcon(trayDialog)) << "no icon is left behind";
}

TEST(ProgramProcessTest, WithoutALibraryFolderTheProgramSaysSoBeforeAnyWindow) {
    const struct {
        const char* folder;
        Database database;
    } cases[] = {
        {"no database folder", Database::Missing},
        {"empty database folder", Database::Empty},
        {"database folder without a library", Database::NoLibrary},
    };
    for (const auto& c : cases) {
        Program program(MakeProgramFolder(c.folder, c.database));
        ASSERT_TRUE(program.Started()) << c.folder;
        HWND box = program.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << c.folder;
        EXPECT_EQ(MessageText(box), "Some Folders are missing, Please re-install Application")
            << c.folder;
        EXPECT_EQ(OwnWindowsBesides(program, box), std::vector<std::string>{})
            << c.folder << ": no window but the message";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        long status = program.WaitForExit();
        EXPECT_NE(status, -1) << c.folder;
        EXPECT_NE(status, 0) << c.folder;
    }
}

} // namespace
