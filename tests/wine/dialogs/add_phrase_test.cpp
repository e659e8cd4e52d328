// The add-phrase dialog, opened with "Add phrase" from the tray menu.
#include "library_dialogs_fixture.h"
#include "res/resource.h"

namespace brevicor::testing {
namespace {

using Strings = std::vector<std::string>;
using AddPhraseTest = LibraryDialogsTest;

const UINT kWarning = MB_ICONWARNING;
const UINT kQuestion = MB_ICONQUESTION;
const UINT kOk = MB_OK;
const UINT kYesNo = MB_YESNO;
const char kAddedText[] = "Phrase added successfully, would you like to add another one?";

TEST_F(AddPhraseTest, OpensWithTheCategoriesAndTheNextDefaultShortcut) {
    InsertRows(kSampleRows); // four rows, the placeholder row included
    Start();
    BoxSeen question;
    Scenario scenario;
    scenario
        .Then(OnDialog(
            kAddPhrase,
            [](HWND dialog) {
                EXPECT_EQ(Items(dialog, IDC_CATEGORY_COMBO), (Strings{"Greetings", "Work", "Zed"}));
                EXPECT_EQ(Selected(dialog, IDC_CATEGORY_COMBO), "Greetings");
                EXPECT_EQ(Text(dialog, IDC_NEW_SHORTCUT_EDIT), "Shortcut 5");
                EXPECT_EQ(Text(dialog, IDC_NEW_CONTENT_EDIT), "");
                EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK)) << "the focus starts on Add Phrase";
                // Enter right away presses "Add Phrase", with the content still empty.
                PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
            }))
        .Then(AnswerBox(question, IDNO))
        .Then(OnDialog(kAddPhrase, [](HWND dialog) { Click(dialog, IDCANCEL); }));
    RunFromToolbox(Toolbox::AddPhrase, scenario);
    EXPECT_EQ(question.text, "Content is Empty. Do you really want to save?");
    EXPECT_EQ(FindDialog(kAddPhrase), nullptr);
    EXPECT_EQ(LibraryRows(), kSampleRows);
}

TEST_F(AddPhraseTest, RefusalsKeepTheDialogAndItsInputsAndWriteNothing) {
    InsertRows(kSampleRows);
    Start();
    const struct {
        std::string shortcut;
        std::string content;
        int answer;
        std::string message;
        UINT icon;
        UINT buttons;
    } cases[] = {
        {"", "Some text", IDOK, "Please enter a Shortcut name", kWarning, kOk},
        {"greet", "", IDNO, "Content is Empty. Do you really want to save?", kQuestion, kYesNo},
    };
    for (const auto& c : cases) {
        BoxSeen refusal;
        Scenario scenario;
        scenario
            .Then(OnDialog(kAddPhrase,
                           [&c](HWND dialog) {
                               Type(dialog, IDC_NEW_SHORTCUT_EDIT, c.shortcut);
                               Type(dialog, IDC_NEW_CONTENT_EDIT, c.content);
                               Click(dialog, IDOK);
                           }))
            .Then(AnswerBox(refusal, c.answer))
            .Then(OnDialog(kAddPhrase, [&c](HWND dialog) {
                EXPECT_EQ(Text(dialog, IDC_NEW_SHORTCUT_EDIT), c.shortcut);
                EXPECT_EQ(Text(dialog, IDC_NEW_CONTENT_EDIT), c.content);
                Click(dialog, IDCANCEL);
            }));
        RunFromToolbox(Toolbox::AddPhrase, scenario);
        EXPECT_EQ(refusal.text, c.message);
        EXPECT_EQ(refusal.icon, c.icon) << c.message;
        EXPECT_EQ(refusal.buttons, c.buttons) << c.message;
        EXPECT_EQ(LibraryRows(), kSampleRows) << c.message;
    }
}

TEST_F(AddPhraseTest, AddAnotherKeepsTheCategoryAndRenewsTheShortcut) {
    InsertRows(kSampleRows);
    Start();
    BoxSeen firstAdded, emptyQuestion, secondAdded;
    Scenario scenario;
    scenario.Then(OnDialog(kAddPhrase, [](HWND dialog) { Choose(dialog, IDC_CATEGORY_COMBO, 1); }))
        .Then(OnDialog(kAddPhrase,
                       [](HWND dialog) {
                           Type(dialog, IDC_NEW_SHORTCUT_EDIT, "sig");
                           Type(dialog, IDC_NEW_CONTENT_EDIT, "Regards,\r\nAnna");
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(firstAdded, IDYES))
        .Then(OnDialog(kAddPhrase,
                       [](HWND dialog) {
                           EXPECT_EQ(Selected(dialog, IDC_CATEGORY_COMBO), "Work");
                           EXPECT_EQ(Text(dialog, IDC_NEW_SHORTCUT_EDIT), "Shortcut 6")
                               << "counts the new row";
                           EXPECT_EQ(Text(dialog, IDC_NEW_CONTENT_EDIT), "");
                           Click(dialog, IDOK); // the default shortcut and an empty text
                       }))
        .Then(AnswerBox(emptyQuestion, IDYES))
        .Then(AnswerBox(secondAdded, IDNO));
    RunFromToolbox(Toolbox::AddPhrase, scenario);
    for (const BoxSeen* added : {&firstAdded, &secondAdded}) {
        EXPECT_EQ(added->text, kAddedText);
        EXPECT_EQ(added->icon, kWarning);
        EXPECT_EQ(added->buttons, kYesNo);
    }
    EXPECT_EQ(emptyQuestion.text, "Content is Empty. Do you really want to save?");
    EXPECT_EQ(FindDialog(kAddPhrase), nullptr) << "No ends the dialog";
    std::vector<Row> expected = kSampleRows;
    expected.push_back({"Work", "sig", "Regards,\r\nAnna"});
    expected.push_back({"Work", "Shortcut 6", ""});
    EXPECT_EQ(LibraryRows(), expected);
}

TEST_F(AddPhraseTest, LongInputsAreCutToTheirLimits) {
    Start();
    std::string shortcut(300, 'k');
    std::string content;
    for (int i = 0; i < 9300; ++i) {
        content += static_cast<char>('a' + i % 26);
    }
    BoxSeen added;
    Scenario scenario;
    scenario
        .Then(OnDialog(kAddPhrase,
                       [&](HWND dialog) {
                           Type(dialog, IDC_NEW_SHORTCUT_EDIT, shortcut);
                           Type(dialog, IDC_NEW_CONTENT_EDIT, content);
                           ASSERT_EQ(Text(dialog, IDC_NEW_CONTENT_EDIT), content)
                               << "the box holds it all";
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(added, IDNO));
    RunFromToolbox(Toolbox::AddPhrase, scenario);
    EXPECT_EQ(added.text, kAddedText);
    // An empty library has no categories: the phrase goes in with an empty one.
    EXPECT_EQ(LibraryRows(),
              (std::vector<Row>{{"", shortcut.substr(0, 255), content.substr(0, 9215)}}));
}

} // namespace
} // namespace brevicor::testing
