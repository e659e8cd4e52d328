// The add-category and delete-category dialogs, opened from the tray menu.
#include "library_dialogs_fixture.h"
#include "res/resource.h"

namespace brevicor::testing {
namespace {

using Strings = std::vector<std::string>;
using CategoryDialogsTest = LibraryDialogsTest;

const char kUsedText[] = "Category already in database, please select another name";

TEST_F(CategoryDialogsTest, AddRefusesUsedNamesAndOffersAnother) {
    InsertRows(kSampleRows);
    Start();
    // Names used by phrases or by a placeholder row, compared as the library compares them.
    const Strings usedNames = {"Greetings", "Zed", "WORK"};
    std::vector<BoxSeen> refusals(usedNames.size() + 1);
    BoxSeen added, addedAgain;
    Scenario scenario;
    for (size_t i = 0; i < usedNames.size(); ++i) {
        scenario
            .Then(OnDialog(kAddCategory,
                           [&usedNames, i](HWND dialog) {
                               Type(dialog, IDC_CATEGORY_NAME_EDIT, usedNames[i]);
                               Click(dialog, IDOK);
                           }))
            .Then(AnswerBox(refusals[i], IDOK));
    }
    // A name longer than the library takes is refused by it, and said so.
    const std::string tooLong(300, 'n');
    BoxSeen tooLongRefused;
    scenario
        .Then(OnDialog(kAddCategory,
                       [&tooLong](HWND dialog) {
                           EXPECT_EQ(Text(dialog, IDC_CATEGORY_NAME_EDIT), "WORK")
                               << "kept after a refusal";
                           Type(dialog, IDC_CATEGORY_NAME_EDIT, tooLong);
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(tooLongRefused, IDOK))
        .Then(OnDialog(kAddCategory,
                       [&tooLong](HWND dialog) {
                           EXPECT_EQ(Text(dialog, IDC_CATEGORY_NAME_EDIT), tooLong);
                           Type(dialog, IDC_CATEGORY_NAME_EDIT, "New");
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(added, IDYES))
        .Then(OnDialog(kAddCategory,
                       [](HWND dialog) {
                           EXPECT_EQ(Text(dialog, IDC_CATEGORY_NAME_EDIT), "New")
                               << "the name just added";
                           Click(dialog, IDOK); // the same name again
                       }))
        .Then(AnswerBox(refusals.back(), IDOK))
        .Then(OnDialog(kAddCategory,
                       [](HWND dialog) {
                           Type(dialog, IDC_CATEGORY_NAME_EDIT, "Newer");
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(addedAgain, IDNO));
    RunFromToolbox(Toolbox::AddCategory, scenario);

    for (const BoxSeen& refusal : refusals) {
        EXPECT_EQ(refusal.text, kUsedText);
        EXPECT_EQ(refusal.icon, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(refusal.buttons, static_cast<UINT>(MB_OK));
    }
    EXPECT_EQ(tooLongRefused.text.rfind("The category was not added.\n\n", 0), 0u)
        << tooLongRefused.text;
    EXPECT_EQ(tooLongRefused.icon, static_cast<UINT>(MB_ICONWARNING));
    for (const BoxSeen* box : {&added, &addedAgain}) {
        EXPECT_EQ(box->text, "Category added Successfully. Would you like to add another one?");
        EXPECT_EQ(box->icon, static_cast<UINT>(MB_ICONQUESTION));
        EXPECT_EQ(box->buttons, static_cast<UINT>(MB_YESNO));
    }
    EXPECT_EQ(FindDialog(kAddCategory), nullptr) << "No ends the dialog";
    std::vector<Row> expected = kSampleRows;
    expected.push_back({"New", "", ""});
    expected.push_back({"Newer", "", ""});
    EXPECT_EQ(LibraryRows(), expected);

    // The category list was reloaded: the add-phrase dialog offers the new categories at once.
    Scenario addPhrase;
    addPhrase.Then(OnDialog(kAddPhrase, [](HWND dialog) {
        EXPECT_EQ(Items(dialog, IDC_CATEGORY_COMBO),
                  (Strings{"Greetings", "New", "Newer", "Work", "Zed"}));
        Click(dialog, IDCANCEL);
    }));
    RunFromToolbox(Toolbox::AddPhrase, addPhrase);
}

TEST_F(CategoryDialogsTest, DeleteAsksFirstAndStaysOpenForTheNext) {
    InsertRows(kSampleRows);
    Start();
    const struct {
        int choose; // -1: keep the selection
        int answer;
        Strings listAfter;
        std::vector<Row> rowsAfter;
    } deletes[] = {
        {1, IDNO, {"Greetings", "Work", "Zed"}, kSampleRows},
        {-1, IDYES, {"Greetings", "Zed"}, {kSampleRows[0], kSampleRows[1], kSampleRows[3]}},
        {-1, IDYES, {"Zed"}, {kSampleRows[3]}},
        {-1, IDYES, {}, {}},
    };
    std::vector<BoxSeen> questions(std::size(deletes));
    Scenario scenario;
    scenario.Then(OnDialog(kDeleteCategory, [](HWND dialog) {
        EXPECT_EQ(Items(dialog, IDC_DELETE_CATEGORY_COMBO), (Strings{"Greetings", "Work", "Zed"}));
        EXPECT_EQ(Selected(dialog, IDC_DELETE_CATEGORY_COMBO), "Greetings");
    }));
    for (size_t i = 0; i < std::size(deletes); ++i) {
        const auto& d = deletes[i];
        if (d.choose >= 0) {
            scenario.Then(OnDialog(kDeleteCategory, [&d](HWND dialog) {
                Choose(dialog, IDC_DELETE_CATEGORY_COMBO, d.choose);
            }));
        }
        scenario.Then(OnDialog(kDeleteCategory, [](HWND dialog) { Click(dialog, IDOK); }))
            .Then(AnswerBox(questions[i], d.answer))
            .Then(OnDialog(kDeleteCategory, [&d, i](HWND dialog) {
                EXPECT_EQ(Items(dialog, IDC_DELETE_CATEGORY_COMBO), d.listAfter) << "delete " << i;
                if (d.answer == IDNO) {
                    EXPECT_EQ(Selected(dialog, IDC_DELETE_CATEGORY_COMBO), "Work");
                } else if (!d.listAfter.empty()) {
                    EXPECT_EQ(Selected(dialog, IDC_DELETE_CATEGORY_COMBO), d.listAfter[0]);
                }
                EXPECT_EQ(LibraryRows(), d.rowsAfter) << "delete " << i;
            }));
    }
    scenario.Then(OnDialog(kDeleteCategory, [](HWND dialog) { Click(dialog, IDCANCEL); }));
    RunFromToolbox(Toolbox::DeleteCategory, scenario);
    for (const BoxSeen& question : questions) {
        EXPECT_EQ(question.text, "Are you sure you want to delete?");
        EXPECT_EQ(question.icon, static_cast<UINT>(MB_ICONQUESTION));
        EXPECT_EQ(question.buttons, static_cast<UINT>(MB_YESNO));
    }
    EXPECT_EQ(FindDialog(kDeleteCategory), nullptr);
}

} // namespace
} // namespace brevicor::testing
