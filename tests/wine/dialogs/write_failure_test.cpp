// Writes the library refuses: a read-only file, or a file another program holds locked. Each
// dialog says so with the driver's reason and keeps everything the user entered.
#include "library_dialogs_fixture.h"
#include "res/resource.h"

#include <memory>

namespace brevicor::testing {
namespace {

using Strings = std::vector<std::string>;

enum class Refusal { ReadOnly, Locked };

struct WriteCase {
    const char* name;
    Toolbox command;
    std::string caption;
    std::function<void(HWND)> enter; // the user's input before the write
    int writeButton;
    bool confirmFirst; // the dialog asks before it writes
    std::string lead;  // the start of the warning
    std::function<void(HWND)> expectKept;
};

const WriteCase kWrites[] = {
    {"save", Toolbox::EditPhrase, kEditor,
     [](HWND d) { Type(d, IDC_CONTENT_EDIT, "Unsaved text"); }, IDC_SAVE, false,
     "The phrase was not saved.",
     [](HWND d) {
         EXPECT_EQ(Selected(d, IDC_CATEGORY_COMBO), "Greetings");
         EXPECT_EQ(Selected(d, IDC_PHRASE_COMBO), "hello");
         EXPECT_EQ(Text(d, IDC_CONTENT_EDIT), "Unsaved text");
     }},
    {"delete phrase", Toolbox::EditPhrase, kEditor, [](HWND) {}, IDC_DELETE_PHRASE, false,
     "The phrase was not deleted.",
     [](HWND d) {
         EXPECT_EQ(Items(d, IDC_PHRASE_COMBO), (Strings{"hello", "bye"}));
         EXPECT_EQ(Selected(d, IDC_PHRASE_COMBO), "hello");
         EXPECT_EQ(Text(d, IDC_CONTENT_EDIT), "Hello there");
     }},
    {"add phrase", Toolbox::AddPhrase, kAddPhrase,
     [](HWND d) {
         Type(d, IDC_NEW_SHORTCUT_EDIT, "thanks");
         Type(d, IDC_NEW_CONTENT_EDIT, "Thank you");
     },
     IDOK, false, "The phrase was not added.",
     [](HWND d) {
         EXPECT_EQ(Selected(d, IDC_CATEGORY_COMBO), "Greetings");
         EXPECT_EQ(Text(d, IDC_NEW_SHORTCUT_EDIT), "thanks");
         EXPECT_EQ(Text(d, IDC_NEW_CONTENT_EDIT), "Thank you");
     }},
    {"add category", Toolbox::AddCategory, kAddCategory,
     [](HWND d) { Type(d, IDC_CATEGORY_NAME_EDIT, "New"); }, IDOK, false,
     "The category was not added.",
     [](HWND d) { EXPECT_EQ(Text(d, IDC_CATEGORY_NAME_EDIT), "New"); }},
    {"delete category", Toolbox::DeleteCategory, kDeleteCategory, [](HWND) {}, IDOK, true,
     "The category was not deleted.",
     [](HWND d) {
         EXPECT_EQ(Items(d, IDC_DELETE_CATEGORY_COMBO), (Strings{"Greetings", "Work", "Zed"}));
         EXPECT_EQ(Selected(d, IDC_DELETE_CATEGORY_COMBO), "Greetings");
     }},
};

class WriteFailureTest : public LibraryDialogsTest,
                         public ::testing::WithParamInterface<Refusal> {};

TEST_P(WriteFailureTest, EachWriteWarnsAndKeepsTheDialogAndItsInputs) {
    const bool locked = GetParam() == Refusal::Locked;
    // The engine's reason, which the warning passes on.
    const std::string reason = locked ? "in use by another program" : "read-only";
    InsertRows(kSampleRows);
    if (!locked) {
        MakeLibraryReadOnly();
    }
    Start();
    // A read-only file is named once at start-up; a library taken later was fine then.
    EXPECT_EQ(StartUpMessage().find("read-only") != std::string::npos, !locked) << StartUpMessage();
    for (const WriteCase& write : kWrites) {
        std::unique_ptr<LibraryLock> lock;
        BoxSeen confirm, warning, success;
        Scenario scenario;
        scenario.Then(OnDialog(write.caption, [&](HWND dialog) {
            write.enter(dialog);
            if (locked) {
                // Another program takes the library once the dialog has read it.
                lock = std::make_unique<LibraryLock>();
                ASSERT_TRUE(lock->Held());
            }
            Click(dialog, write.writeButton);
        }));
        if (write.confirmFirst) {
            scenario.Then(AnswerBox(confirm, IDYES));
        }
        scenario.Then(AnswerBox(warning, IDOK)).Then(OnDialog(write.caption, [&](HWND dialog) {
            write.expectKept(dialog);
            lock.reset();
            Click(dialog, IDCANCEL);
        }));
        RunFromToolbox(write.command, scenario);
        lock.reset();

        EXPECT_EQ(warning.text.rfind(write.lead + "\n\n", 0), 0u)
            << write.name << ": " << warning.text;
        EXPECT_NE(warning.text.find(reason), std::string::npos)
            << write.name << ": " << warning.text;
        EXPECT_EQ(warning.icon, static_cast<UINT>(MB_ICONWARNING)) << write.name;
        EXPECT_EQ(warning.buttons, static_cast<UINT>(MB_OK)) << write.name;
        EXPECT_EQ(FindDialog(write.caption), nullptr) << write.name;
        EXPECT_EQ(LibraryRows(), kSampleRows) << write.name << ": nothing is lost";
    }
}

std::string RefusalName(const ::testing::TestParamInfo<Refusal>& refusal) {
    return refusal.param == Refusal::ReadOnly ? "ReadOnly" : "Locked";
}

INSTANTIATE_TEST_SUITE_P(Library, WriteFailureTest,
                         ::testing::Values(Refusal::ReadOnly, Refusal::Locked), RefusalName);

} // namespace
} // namespace brevicor::testing
