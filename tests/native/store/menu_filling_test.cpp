// The tray menu's category items and phrase submenus, built from a real library, and the
// identifiers its phrase items carry.
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_menu_ids.h"
#include "store/phrase_queries.h"
#include "tests/native/support/fake_menu.h"
#include "tests/native/support/library_fixture.h"

#include <set>

namespace brevicor::testing {
namespace {

// The tray menu's fixed commands.
const std::set<unsigned> kFixedCommands = {50001, 50002, 50003, 50004, 50005, 50019, 50020};

struct Item {
    std::string text;
    unsigned id;
};

void ExpectItems(const FakePopupMenu& menu, const std::vector<Item>& expected,
                 const std::string& context) {
    ASSERT_EQ(menu.items.size(), expected.size()) << context;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(menu.items[i].text, expected[i].text) << context << " item " << i;
        EXPECT_EQ(menu.items[i].id, expected[i].id) << context << " item " << i;
    }
}

// The tray popup as loaded, before the categories go in ahead of its own items.
class MenuFillingTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        m_popup.AppendItem("", 0); // the separator
        m_popup.AppendItem("Toolbox", 0);
    }
    FakePopupMenu m_popup;
};

TEST_F(MenuFillingTest, OneItemPerCategoryAheadOfTheToolbox) {
    ASSERT_TRUE(AddCategory("Alpha").stored); // placeholder only, at index 0
    int zeta = InsertRow("beta", "zeta", "z");
    int alpha2 = InsertRow("beta", "Alpha2", "a2");
    InsertRow("beta", "", "a phrase without a code is not listed");
    int alpha1 = InsertRow("beta", "alpha1", "a1");
    int noContent = InsertRow("beta", "mute", "");
    InsertRow("Delta", "", "only a codeless phrase");
    Exec("INSERT INTO phrase (PhraseID, category, code, content) VALUES "
         "(5000, 'Gamma', 'five', 'x'), (12000, 'Gamma', 'twelve', 'y')");
    LoadCategoryList();
    int aliveBefore = FakePopupMenu::Alive();

    BuildCategoryMenus(m_popup);

    ExpectItems(m_popup,
                {{"Alpha", 0}, {"beta", 1}, {"Delta", 2}, {"Gamma", 3}, {"", 0}, {"Toolbox", 0}},
                "tray popup");
    EXPECT_EQ(m_popup.items[0].submenu, nullptr) << "no phrases: a plain item";
    EXPECT_EQ(m_popup.items[2].submenu, nullptr) << "only a codeless phrase: a plain item";
    ASSERT_NE(m_popup.items[1].submenu, nullptr);
    ExpectItems(*m_popup.items[1].submenu,
                {{"alpha1", 40000u + alpha1},
                 {"Alpha2", 40000u + alpha2},
                 {"mute", 40000u + noContent},
                 {"zeta", 40000u + zeta}},
                "beta, ascending by code without case");

    ASSERT_NE(m_popup.items[3].submenu, nullptr);
    const FakePopupMenu& gamma = *m_popup.items[3].submenu;
    ASSERT_EQ(gamma.items.size(), 2u);
    EXPECT_EQ(gamma.items[0].id, 45000u);
    unsigned twelve = gamma.items[1].id;
    EXPECT_EQ(gamma.items[1].text, "twelve");
    EXPECT_EQ(TrayMenuPhraseIds().PhraseIdFor(twelve), 12000)
        << "the large PhraseID is reachable through its identifier";
    EXPECT_EQ(TrayMenuPhraseIds().PhraseIdFor(45000), 5000);
    EXPECT_FALSE(kFixedCommands.contains(twelve));
    EXPECT_GE(twelve, static_cast<unsigned>(CategoryList().size()));
    EXPECT_TRUE(twelve < 40000 || twelve > 49999);

    EXPECT_EQ(FakePopupMenu::Alive(), aliveBefore + 2)
        << "only the two attached submenus survive; empty popups went at once";
}

TEST_F(MenuFillingTest, EmptyLibraryAddsNoCategoryItems) {
    LoadCategoryList();
    int aliveBefore = FakePopupMenu::Alive();
    BuildCategoryMenus(m_popup);
    ExpectItems(m_popup, {{"", 0}, {"Toolbox", 0}}, "tray popup");
    EXPECT_EQ(FakePopupMenu::Alive(), aliveBefore);
}

TEST_F(MenuFillingTest, SubmenuOfAnUnknownCategoryIsEmpty) {
    InsertRow("Known", "k", "x");
    FakePopupMenu submenu;
    EXPECT_EQ(FillCategorySubmenu(submenu, "Unknown"), 0);
    EXPECT_TRUE(submenu.items.empty());
    EXPECT_EQ(FillCategorySubmenu(submenu, "O'Known"), 0) << "a quote in the name is a value";
}

TEST_F(MenuFillingTest, WithoutALibraryEveryCategoryIsAPlainItem) {
    SKIP_FOR_TEAM_LIBRARY("it removes the library file");
    InsertRow("One", "a", "x");
    InsertRow("Two", "b", "y");
    LoadCategoryList();
    RemoveLibrary();
    ResetStore();
    BuildCategoryMenus(m_popup);
    ExpectItems(m_popup, {{"One", 0}, {"Two", 1}, {"", 0}, {"Toolbox", 0}}, "tray popup");
    EXPECT_EQ(m_popup.items[0].submenu, nullptr);
    EXPECT_EQ(m_popup.items[1].submenu, nullptr);
}

TEST_F(MenuFillingTest, RejectedSubmenuQueryLeavesAPlainItem) {
    InsertRow("One", "a", "x");
    LoadCategoryList();
    Exec("DROP TABLE phrase");
    BuildCategoryMenus(m_popup);
    ExpectItems(m_popup, {{"One", 0}, {"", 0}, {"Toolbox", 0}}, "tray popup");
    EXPECT_EQ(m_popup.items[0].submenu, nullptr);
}

TEST_F(MenuFillingTest, IdentifiersAreHandedOutAfreshForEachMenu) {
    Exec("INSERT INTO phrase (PhraseID, category, code, content) VALUES "
         "(30000, 'Big', 'b', 'x'), (20000, 'Big', 'a', 'y')");
    LoadCategoryList();
    FakePopupMenu first;
    BuildCategoryMenus(first);
    ASSERT_EQ(first.items.size(), 1u);
    ASSERT_NE(first.items[0].submenu, nullptr);
    unsigned idOfA = first.items[0].submenu->items[0].id;
    unsigned idOfB = first.items[0].submenu->items[1].id;
    EXPECT_NE(idOfA, idOfB);

    FakePopupMenu second;
    BuildCategoryMenus(second);
    EXPECT_EQ(second.items[0].submenu->items[0].id, idOfA) << "the same menu, the same ids";
    EXPECT_EQ(TrayMenuPhraseIds().PhraseIdFor(idOfA), 20000);
    EXPECT_EQ(TrayMenuPhraseIds().PhraseIdFor(idOfB), 30000);
}

TEST(PhraseMenuIdsTest, MapsEveryPhraseIdAwayFromFixedCommandsAndCategoryItems) {
    PhraseMenuIds ids;
    struct Case {
        int phraseId;
        std::optional<unsigned> id; // nothing: any identifier of the mapped range
    } cases[] = {
        {0, 40000u}, {1, 40001u}, {4095, 44095u}, {9999, 49999u},   {10000, {}}, {10001, {}},
        {10005, {}}, {10019, {}}, {12000, {}},    {2147483647, {}}, {-1, {}},    {-39999, {}},
    };
    std::set<unsigned> seen;
    for (const Case& c : cases) {
        std::optional<unsigned> id = ids.IdForPhrase(c.phraseId);
        ASSERT_TRUE(id.has_value()) << c.phraseId;
        if (c.id) {
            EXPECT_EQ(*id, *c.id) << c.phraseId;
        } else {
            EXPECT_GE(*id, kFirstMappedPhraseId) << c.phraseId;
            EXPECT_LE(*id, kLastMappedPhraseId) << c.phraseId;
        }
        EXPECT_FALSE(kFixedCommands.contains(*id)) << c.phraseId;
        EXPECT_TRUE(seen.insert(*id).second) << "identifier " << *id << " given twice";
        EXPECT_EQ(ids.IdForPhrase(c.phraseId), id) << "asked again, the same identifier";
        EXPECT_EQ(ids.PhraseIdFor(*id), c.phraseId);
    }
    for (unsigned notAPhrase : {0u, 5u, 19999u, 39999u, 50000u, 50001u, 50020u}) {
        EXPECT_EQ(ids.PhraseIdFor(notAPhrase), std::nullopt) << notAPhrase;
    }

    unsigned mapped = *ids.IdForPhrase(10000);
    ids.Clear();
    EXPECT_EQ(ids.PhraseIdFor(mapped), std::nullopt) << "a new menu forgets the old mapping";
    EXPECT_EQ(ids.PhraseIdFor(40007), 7);
}

TEST(PhraseMenuIdsTest, AFullRangeGivesNoMoreIdentifiers) {
    PhraseMenuIds ids;
    const int capacity = static_cast<int>(kLastMappedPhraseId - kFirstMappedPhraseId + 1);
    for (int i = 0; i < capacity; ++i) {
        ASSERT_TRUE(ids.IdForPhrase(10000 + i).has_value()) << i;
    }
    EXPECT_EQ(ids.IdForPhrase(10000 + capacity), std::nullopt);
    EXPECT_EQ(ids.IdForPhrase(10000), kFirstMappedPhraseId) << "known phrases keep theirs";
    EXPECT_EQ(ids.IdForPhrase(42), 40042u) << "small PhraseIDs need no table";
}

} // namespace
} // namespace brevicor::testing
