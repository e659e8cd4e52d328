// "Restore Phrases...": the history list, restoring deleted and overwritten phrases, and the
// question when a restored shortcut is taken; driven through the real dialogs by control IDs.
#include "app/app_state.h"
#include "app/tray_icon.h"
#include "library_dialogs_fixture.h"
#include "res/resource.h"
#include "store/odbc_session.h"
#include "tests/wine/app/menu_script.h"
#include "tests/wine/lists/library_sql.h"

#include <algorithm>
#include <memory>
#include <tuple>

namespace brevicor::testing {
namespace {

using Strings = std::vector<std::string>;

std::string EveryByte() {
    std::string bytes;
    for (int b = 1; b <= 255; ++b) {
        bytes += static_cast<char>(b);
    }
    return bytes;
}

// Texts that must come back byte for byte.
const std::vector<Row> kHostileCategory = {
    {"Hostile", "", ""},
    {"Hostile", "quotes", "it's \"quoted\" ''twice''"},
    {"Hostile", "sql", "x'); DELETE FROM phrase; --"},
    {"Hostile", "lines", "one\r\ntwo\r\n\tthree"},
    {"Hostile", "bytes", EveryByte()},
};

Strings ListLines(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    Strings lines;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length > 0 ? length : 0));
        lines.push_back(text);
    }
    return lines;
}

// A line without its first column, the time: category, shortcut, what happened, text start.
std::string WithoutTime(const std::string& line) {
    size_t tab = line.find('\t');
    return tab == std::string::npos ? line : line.substr(tab + 1);
}

Strings LinesWithoutTime(HWND dialog) {
    Strings lines;
    for (const std::string& line : ListLines(dialog)) {
        lines.push_back(WithoutTime(line));
    }
    return lines;
}

// The user's selection in the extended-selection list: exactly these lines.
void SelectLines(HWND dialog, const std::vector<int>& lines) {
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int line : lines) {
        SendMessageA(list, LB_SETSEL, TRUE, line);
    }
}

class RestorePhrasesTest : public LibraryDialogsTest {
protected:
    // Runs the restore dialog: selects the lines, presses Restore, answers each shortcut
    // question in turn, checks the list that is left, and closes.
    void RestoreLines(const std::vector<int>& lines, const std::vector<int>& answers,
                      const Strings& listAfter) {
        Scenario scenario;
        scenario.Then(OnDialog(kRestorePhrases, [&](HWND dialog) {
            SelectLines(dialog, lines);
            Click(dialog, IDC_RESTORE);
        }));
        for (int answer : answers) {
            scenario.Then(OnDialog(kShortcutTaken, [answer](HWND question) {
                EXPECT_NE(Text(question, IDC_CONFLICT_TEXT).find("\"hello\""), std::string::npos);
                if (answer == IDCANCEL) {
                    PostMessageA(question, WM_CLOSE, 0, 0); // the close box
                } else {
                    Click(question, answer);
                }
            }));
        }
        scenario.Then(OnDialog(kRestorePhrases, [&](HWND dialog) {
            EXPECT_EQ(LinesWithoutTime(dialog), listAfter);
            Click(dialog, IDCANCEL);
        }));
        RunFromToolbox(Toolbox::RestorePhrases, scenario);
    }

    // Deletes the phrase the editor shows first: "hello" of "Greetings" in the sample rows.
    void DeleteFirstPhraseInEditor(int times = 1) {
        Scenario remove;
        for (int i = 0; i < times; ++i) {
            remove.Then(OnDialog(kEditor, [](HWND dialog) { Click(dialog, IDC_DELETE_PHRASE); }));
        }
        remove.Then(OnDialog(kEditor, [](HWND dialog) { Click(dialog, IDCANCEL); }));
        RunFromToolbox(Toolbox::EditPhrase, remove);
    }
};

TEST_F(RestorePhrasesTest, ADeletedCategoryComesBackWholeFromOneLine) {
    InsertRows(kSampleRows);
    InsertRows(kHostileCategory);
    const std::vector<Row> before = LibraryRows();
    Start();

    BoxSeen sure;
    Scenario remove;
    remove
        .Then(OnDialog(kDeleteCategory,
                       [](HWND dialog) {
                           Choose(dialog, IDC_DELETE_CATEGORY_COMBO, 1); // "Hostile"
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(sure, IDYES))
        .Then(OnDialog(kDeleteCategory, [](HWND dialog) { Click(dialog, IDCANCEL); }));
    RunFromToolbox(Toolbox::DeleteCategory, remove);
    ASSERT_EQ(LibraryRows().size(), kSampleRows.size());

    Scenario look;
    look.Then(OnDialog(kRestorePhrases, [](HWND dialog) {
        // Newest first: the rows of one change in reverse order of their PhraseIDs.
        EXPECT_EQ(LinesWithoutTime(dialog),
                  (Strings{"Hostile\tbytes\tcategory deleted\t" + std::string(31, ' ') +
                               EveryByte().substr(31, 9) + "...",
                           "Hostile\tlines\tcategory deleted\tone  two   three",
                           "Hostile\tsql\tcategory deleted\tx'); DELETE FROM phrase; --",
                           "Hostile\tquotes\tcategory deleted\tit's \"quoted\" ''twice''",
                           "Hostile\t(category)\tcategory deleted\t"}));
        Click(dialog, IDCANCEL);
    }));
    RunFromToolbox(Toolbox::RestorePhrases, look);

    RestoreLines({2}, {}, {});
    EXPECT_EQ(LibraryRows(), before) << "every row, byte for byte";

    // The tray menu shows the restored category at once.
    MenuScript menu({VK_ESCAPE});
    SendMessageA(TrayDialog, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
    ASSERT_TRUE(menu.Opened());
    Strings entries;
    for (const MenuItemRecord& item : menu.Menu()) {
        if (!item.separator) {
            entries.push_back(item.text);
        }
    }
    EXPECT_EQ(entries, (Strings{"Greetings", "Hostile", "Work", "Zed", "Toolbox"}));
}

TEST_F(RestorePhrasesTest, AnOverwrittenTextComesBackAndTheNewerOneIsKept) {
    InsertRows(kSampleRows);
    Start();
    Scenario save;
    save.Then(OnDialog(kEditor, [](HWND dialog) {
        Type(dialog, IDC_CONTENT_EDIT, "Overwritten");
        Click(dialog, IDC_SAVE);
    }));
    RunFromToolbox(Toolbox::EditPhrase, save);
    ASSERT_EQ(LibraryRows()[0].content, "Overwritten");

    RestoreLines({0}, {}, {"Greetings\thello\ttext changed\tOverwritten"});
    EXPECT_EQ(LibraryRows(), kSampleRows);
}

struct ConflictCase {
    const char* name;
    int button;
    std::vector<Row> rowsAfter;
    Strings listAfter;
};

TEST_F(RestorePhrasesTest, ATakenShortcutAsksKeepBothReplaceOrSkip) {
    const Row taken{"Greetings", "HELLO", "Taken since"};
    const std::vector<Row> others = {kSampleRows[1], kSampleRows[2], kSampleRows[3]};
    auto with = [&](std::vector<Row> rows, const Row& extra) {
        rows.push_back(extra);
        return rows;
    };
    const ConflictCase cases[] = {
        {"keep both",
         IDC_CONFLICT_KEEP_BOTH,
         with(with(others, taken), {"Greetings", "hello (restored)", "Hello there"}),
         {}},
        {"replace",
         IDC_CONFLICT_REPLACE,
         with(others, kSampleRows[0]),
         {"Greetings\tHELLO\ttext changed\tTaken since"}},
        {"skip",
         IDC_CONFLICT_SKIP,
         with(others, taken),
         {"Greetings\thello\tphrase deleted\tHello there"}},
        {"close box",
         IDCANCEL,
         with(others, taken),
         {"Greetings\thello\tphrase deleted\tHello there"}},
    };
    InsertRows(kSampleRows);
    Start();
    for (const ConflictCase& c : cases) {
        SCOPED_TRACE(c.name);
        // The same library each time, PhraseIDs included; the program keeps running.
        ExecLibrarySql("DELETE FROM phrase");
        ExecLibrarySql("DROP TABLE phrase_history");
        ResetStore(); // the program finds the table gone and makes it again
        ExecLibrarySql("DELETE FROM sqlite_sequence WHERE name = 'phrase'");
        InsertRows(kSampleRows);
        DeleteFirstPhraseInEditor();
        InsertRows({taken});

        RestoreLines({0}, {c.button}, c.listAfter);
        std::vector<Row> rows = LibraryRows();
        std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            return std::tie(a.category, a.code) < std::tie(b.category, b.code);
        });
        std::vector<Row> expected = c.rowsAfter;
        std::sort(expected.begin(), expected.end(), [](const Row& a, const Row& b) {
            return std::tie(a.category, a.code) < std::tie(b.category, b.code);
        });
        EXPECT_EQ(rows, expected);
    }
}

TEST_F(RestorePhrasesTest, ALockedLibraryWarnsAndKeepsTheLine) {
    InsertRows(kSampleRows);
    Start();
    DeleteFirstPhraseInEditor();
    const std::vector<Row> afterDelete = LibraryRows();

    std::unique_ptr<LibraryLock> lock;
    BoxSeen warning;
    Scenario restore;
    restore
        .Then(OnDialog(kRestorePhrases,
                       [&](HWND dialog) {
                           lock = std::make_unique<LibraryLock>();
                           ASSERT_TRUE(lock->Held());
                           SelectLines(dialog, {0});
                           Click(dialog, IDC_RESTORE);
                       }))
        .Then(AnswerBox(warning, IDOK))
        .Then(OnDialog(kRestorePhrases, [&](HWND dialog) {
            lock.reset();
            EXPECT_EQ(LinesWithoutTime(dialog),
                      (Strings{"Greetings\thello\tphrase deleted\tHello there"}));
            Click(dialog, IDCANCEL);
        }));
    RunFromToolbox(Toolbox::RestorePhrases, restore);
    lock.reset();
    EXPECT_EQ(warning.text.rfind("The phrases were not restored.\n\n", 0), 0u) << warning.text;
    EXPECT_NE(warning.text.find("in use by another program"), std::string::npos) << warning.text;
    EXPECT_EQ(warning.icon, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(LibraryRows(), afterDelete);
}

TEST_F(RestorePhrasesTest, TheListIsNewestFirstAndRestoresSeveralLinesAtOnce) {
    InsertRows(kSampleRows);
    Start();
    DeleteFirstPhraseInEditor(2); // "hello", then "bye", which the editor shows first next

    Scenario look;
    look.Then(OnDialog(kRestorePhrases, [](HWND dialog) {
        Strings lines = ListLines(dialog);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(WithoutTime(lines[0]), "Greetings\tbye\tphrase deleted\tSee you");
        EXPECT_EQ(WithoutTime(lines[1]), "Greetings\thello\tphrase deleted\tHello there");
        // Each line starts with its local time, newest first.
        EXPECT_EQ(lines[0].find('\t'), 19u) << lines[0];
        EXPECT_GE(lines[0].substr(0, 19), lines[1].substr(0, 19));
        Click(dialog, IDCANCEL);
    }));
    RunFromToolbox(Toolbox::RestorePhrases, look);

    RestoreLines({0, 1}, {}, {});
    EXPECT_EQ(LibraryRows(), kSampleRows) << "both back, with their PhraseIDs";
}

} // namespace
} // namespace brevicor::testing
