// The phrase editor, opened with "Edit phrase" and driven through its lists and buttons.
#include "library_dialogs_fixture.h"
#include "res/resource.h"

namespace brevicor::testing {
namespace {

using Strings = std::vector<std::string>;

// What the editor shows: its lists, their selections and the content box.
struct EditorView {
    Strings categories;
    std::string category;
    Strings phrases;
    std::string phrase;
    std::string content;
    bool operator==(const EditorView&) const = default;
};

void PrintTo(const EditorView& v, std::ostream* out) {
    auto list = [out](const Strings& items) {
        for (const std::string& item : items) {
            *out << "'" << item << "' ";
        }
    };
    *out << "categories ";
    list(v.categories);
    *out << "selected '" << v.category << "'; phrases ";
    list(v.phrases);
    *out << "selected '" << v.phrase << "'; content '" << v.content << "'";
}

EditorView View(HWND editor) {
    return {Items(editor, IDC_CATEGORY_COMBO), Selected(editor, IDC_CATEGORY_COMBO),
            Items(editor, IDC_PHRASE_COMBO), Selected(editor, IDC_PHRASE_COMBO),
            Text(editor, IDC_CONTENT_EDIT)};
}

const Strings kCategories = {"Greetings", "Work", "Zed"};

using PhraseEditorTest = LibraryDialogsTest;

TEST_F(PhraseEditorTest, OpensOnTheFirstCategoryAndShowsEachSelectedPhrasesOwnText) {
    // Every shortcut shown below is used by an earlier row of another category, so a text read
    // by shortcut alone would be the wrong one.
    const std::vector<Row> rows = {
        {"Zed", "hello", "Zed hello"},   {"Greetings", "hello", "Hello there"},
        {"Greetings", "bye", "See you"}, {"Work", "bye", "Work bye"},
        {"Work", "hello", "Work hello"}, {"Zed", "", ""},
    };
    InsertRows(rows);
    Start();
    const struct {
        const char* what;
        int combo;
        int index;
        EditorView expected;
    } choices[] = {
        {"category Work",
         IDC_CATEGORY_COMBO,
         1,
         {kCategories, "Work", {"bye", "hello"}, "bye", "Work bye"}},
        {"phrase hello",
         IDC_PHRASE_COMBO,
         1,
         {kCategories, "Work", {"bye", "hello"}, "hello", "Work hello"}},
        // The placeholder row's empty shortcut is left out after a change of category.
        {"category Zed",
         IDC_CATEGORY_COMBO,
         2,
         {kCategories, "Zed", {"hello"}, "hello", "Zed hello"}},
        {"category Greetings",
         IDC_CATEGORY_COMBO,
         0,
         {kCategories, "Greetings", {"hello", "bye"}, "hello", "Hello there"}},
    };
    Scenario scenario;
    scenario.Then(OnDialog(kEditor, [](HWND editor) {
        EXPECT_EQ(View(editor),
                  (EditorView{kCategories, "Greetings", {"hello", "bye"}, "hello", "Hello there"}));
    }));
    for (const auto& c : choices) {
        scenario.Then(OnDialog(kEditor, [&c](HWND editor) { Choose(editor, c.combo, c.index); }));
        scenario.Then(OnDialog(
            kEditor, [&c](HWND editor) { EXPECT_EQ(View(editor), c.expected) << c.what; }));
    }
    scenario.Then(OnDialog(kEditor, [](HWND editor) { Click(editor, IDCANCEL); }));
    RunFromToolbox(Toolbox::EditPhrase, scenario);
    EXPECT_EQ(FindDialog(kEditor), nullptr);
    EXPECT_EQ(LibraryRows(), rows);
}

TEST_F(PhraseEditorTest, SaveWritesOnlyTheSelectedPhraseAndCloses) {
    InsertRows(kSampleRows);
    Start();
    std::string longText;
    for (int i = 0; i < 9300; ++i) {
        longText += static_cast<char>('a' + i % 26);
    }
    const struct {
        int category;
        int phrase;
        std::string typed;
        size_t row; // the one row that changes
        std::string stored;
    } cases[] = {
        {1, 0, "Work hello, edited\r\nsecond line", 2, "Work hello, edited\r\nsecond line"},
        {0, 0, "Hello, edited", 0, "Hello, edited"},
        {0, 1, longText, 1, longText.substr(0, 9215)},
    };
    std::vector<Row> expected = kSampleRows;
    for (const auto& c : cases) {
        Scenario scenario;
        scenario.Then(OnDialog(
            kEditor, [&c](HWND editor) { Choose(editor, IDC_CATEGORY_COMBO, c.category); }));
        if (c.phrase != 0) {
            scenario.Then(OnDialog(
                kEditor, [&c](HWND editor) { Choose(editor, IDC_PHRASE_COMBO, c.phrase); }));
        }
        scenario.Then(OnDialog(kEditor, [&c](HWND editor) {
            Type(editor, IDC_CONTENT_EDIT, c.typed);
            Click(editor, IDC_SAVE);
        }));
        RunFromToolbox(Toolbox::EditPhrase, scenario);
        EXPECT_EQ(FindDialog(kEditor), nullptr) << "Save closes the editor";
        expected[c.row].content = c.stored;
        EXPECT_EQ(LibraryRows(), expected);
    }
}

TEST_F(PhraseEditorTest, DeleteStaysOpenAndStartsAgainFromTheFirstCategory) {
    InsertRows({{"Greetings", "hello", "Hello there"},
                {"Greetings", "bye", "See you"},
                {"Work", "sig", "Regards"}});
    Start();
    BoxSeen emptyLibrary;
    Scenario scenario;
    scenario.Then(OnDialog(kEditor, [](HWND editor) { Choose(editor, IDC_CATEGORY_COMBO, 1); }))
        .Then(OnDialog(kEditor,
                       [](HWND editor) {
                           ASSERT_EQ(Selected(editor, IDC_PHRASE_COMBO), "sig");
                           Click(editor, IDC_DELETE_PHRASE);
                       }))
        .Then(OnDialog(
            kEditor,
            [](HWND editor) {
                EXPECT_EQ(
                    View(editor),
                    (EditorView{
                        {"Greetings"}, "Greetings", {"hello", "bye"}, "hello", "Hello there"}));
                EXPECT_EQ(LibraryRows(), (std::vector<Row>{{"Greetings", "hello", "Hello there"},
                                                           {"Greetings", "bye", "See you"}}));
                Click(editor, IDC_DELETE_PHRASE);
            }))
        .Then(OnDialog(kEditor,
                       [](HWND editor) {
                           EXPECT_EQ(
                               View(editor),
                               (EditorView{{"Greetings"}, "Greetings", {"bye"}, "bye", "See you"}));
                           Click(editor, IDC_DELETE_PHRASE);
                       }))
        .Then(AnswerBox(emptyLibrary, IDOK))
        .Then(OnDialog(kEditor, [](HWND editor) {
            EXPECT_EQ(View(editor), (EditorView{{}, "(none)", {}, "(none)", ""}));
            Click(editor, IDCANCEL);
        }));
    RunFromToolbox(Toolbox::EditPhrase, scenario);
    EXPECT_EQ(emptyLibrary.text, "There is no phrase in the database");
    EXPECT_EQ(emptyLibrary.icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(emptyLibrary.buttons, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(LibraryRows().empty());
}

TEST_F(PhraseEditorTest, EnterInAComboBoxClosesWithoutSaving) {
    InsertRows(kSampleRows);
    Start();
    for (int combo : {IDC_CATEGORY_COMBO, IDC_PHRASE_COMBO}) {
        Scenario scenario;
        scenario.Then(OnDialog(kEditor, [combo](HWND editor) {
            Type(editor, IDC_CONTENT_EDIT, "typed but never saved");
            PressEnterIn(editor, combo);
        }));
        RunFromToolbox(Toolbox::EditPhrase, scenario);
        EXPECT_EQ(FindDialog(kEditor), nullptr) << "combo " << combo;
        EXPECT_EQ(LibraryRows(), kSampleRows) << "combo " << combo;
    }
}

TEST_F(PhraseEditorTest, AddNewPhraseAddsWithoutRefreshingTheEditorsList) {
    InsertRows(kSampleRows);
    Start();
    BoxSeen added;
    Scenario scenario;
    scenario.Then(OnDialog(kEditor, [](HWND editor) { Click(editor, IDC_ADD_NEW_PHRASE); }))
        .Then(OnDialog(kAddPhrase,
                       [](HWND dialog) {
                           Type(dialog, IDC_NEW_SHORTCUT_EDIT, "thanks");
                           Type(dialog, IDC_NEW_CONTENT_EDIT, "Thank you");
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(added, IDNO))
        .Then(OnDialog(kEditor,
                       [](HWND editor) {
                           EXPECT_EQ(FindDialog(kAddPhrase), nullptr);
                           EXPECT_EQ(Items(editor, IDC_PHRASE_COMBO), (Strings{"hello", "bye"}));
                           Choose(editor, IDC_CATEGORY_COMBO, 0);
                       }))
        .Then(OnDialog(kEditor, [](HWND editor) {
            EXPECT_EQ(Items(editor, IDC_PHRASE_COMBO), (Strings{"hello", "bye", "thanks"}))
                << "listed once the category is chosen again";
            Click(editor, IDCANCEL);
        }));
    RunFromToolbox(Toolbox::EditPhrase, scenario);
    std::vector<Row> expected = kSampleRows;
    expected.push_back({"Greetings", "thanks", "Thank you"});
    EXPECT_EQ(LibraryRows(), expected);
}

} // namespace
} // namespace brevicor::testing
