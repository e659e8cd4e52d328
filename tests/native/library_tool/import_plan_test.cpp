// What an import plans for duplicates, compared as the library compares names.
#include "tools/library/import_plan.h"

#include <gtest/gtest.h>

namespace brevicor::library {
namespace {

std::vector<LibraryRow> Library() {
    return {
        {1, {"Greetings", "hi", "Hello"}},
        {2, {"Greetings", "caf\xE9", "coffee"}},
        {3, {"Empty", "", ""}},
        {4, {"Other", "hi", "other hello"}},
    };
}

IncomingPhrase In(std::string category, std::string code, std::string content,
                  std::string where = "line 9") {
    return {{std::move(category), std::move(code), std::move(content)}, std::move(where)};
}

std::vector<std::string> InsertedCodes(const ImportPlan& plan) {
    std::vector<std::string> codes;
    for (const PlannedInsert& insert : plan.inserts) {
        codes.push_back(insert.phrase.category + "/" + insert.phrase.code + "=" +
                        insert.phrase.content);
    }
    return codes;
}

TEST(ImportPlan, DuplicatesAreFoundCaseBlindWithinACategory) {
    // The same category and shortcut in another case, accented letters included.
    const std::vector<IncomingPhrase> incoming = {
        In("GREETINGS", "HI", "new hello"),
        In("greetings", "CAF\xC9", "new coffee"),
        In("Greetings", "hello", "not a duplicate"),
        In("Greetings", "cafe", "not a duplicate either: accents count"),
        In("Elsewhere", "hi", "the same shortcut in a new category"),
    };
    struct Case {
        DuplicateRule rule;
        std::vector<std::string> inserts;
        std::size_t replaces;
        std::size_t imported, replaced, skipped;
    };
    const Case cases[] = {
        {DuplicateRule::Skip,
         {"Greetings/hello=not a duplicate", "Greetings/cafe=not a duplicate either: accents count",
          "Elsewhere/hi=the same shortcut in a new category"},
         0,
         3,
         0,
         2},
        {DuplicateRule::Replace,
         {"Greetings/hello=not a duplicate", "Greetings/cafe=not a duplicate either: accents count",
          "Elsewhere/hi=the same shortcut in a new category"},
         2,
         3,
         2,
         0},
        {DuplicateRule::KeepBoth,
         {"GREETINGS/HI (2)=new hello", "greetings/CAF\xC9 (2)=new coffee",
          "Greetings/hello=not a duplicate", "Greetings/cafe=not a duplicate either: accents count",
          "Elsewhere/hi=the same shortcut in a new category"},
         0,
         5,
         0,
         0},
    };
    const std::vector<LibraryRow> library = Library();
    for (const Case& c : cases) {
        const ImportPlan plan = PlanImport(library, incoming, c.rule);
        ASSERT_FALSE(plan.refusal);
        EXPECT_EQ(InsertedCodes(plan), c.inserts);
        EXPECT_EQ(plan.replaces.size(), c.replaces);
        EXPECT_EQ(plan.imported, c.imported);
        EXPECT_EQ(plan.replaced, c.replaced);
        EXPECT_EQ(plan.skipped, c.skipped);
        EXPECT_EQ(plan.report.size(), c.replaced + c.skipped + (c.imported - 3));
    }
}

TEST(ImportPlan, ReplaceGivesNewTextToTheLibrarysRowsOnly) {
    const ImportPlan plan = PlanImport(Library(), {In("greetings", "Hi", "new hello", "line 4")},
                                       DuplicateRule::Replace);
    ASSERT_EQ(plan.replaces.size(), 1u);
    EXPECT_EQ(plan.replaces[0].ids, std::vector<std::int32_t>{1}); // not row 4 of "Other"
    EXPECT_EQ(plan.replaces[0].content, "new hello");
    EXPECT_EQ(plan.report, std::vector<std::string>{
                               "line 4: \"greetings\" / \"Hi\" in the library: text replaced"});
}

TEST(ImportPlan, ReplaceWithTheSameTextChangesNothing) {
    const ImportPlan plan =
        PlanImport(Library(), {In("Greetings", "hi", "Hello")}, DuplicateRule::Replace);
    EXPECT_TRUE(plan.replaces.empty());
    EXPECT_EQ(plan.replaced, 0u);
    EXPECT_EQ(plan.skipped, 1u);
}

TEST(ImportPlan, DuplicatesWithinTheFile) {
    const std::vector<IncomingPhrase> incoming = {In("New", "x", "first", "line 2"),
                                                  In("new", "X", "second", "line 3"),
                                                  In("NEW", "x", "third", "line 4")};
    ImportPlan plan = PlanImport({}, incoming, DuplicateRule::Skip);
    EXPECT_EQ(InsertedCodes(plan), std::vector<std::string>{"New/x=first"});
    EXPECT_EQ(plan.report[0], "line 3: \"new\" / \"X\" is already earlier in the file: skipped");

    plan = PlanImport({}, incoming, DuplicateRule::Replace);
    EXPECT_EQ(InsertedCodes(plan), std::vector<std::string>{"New/x=third"}); // the last one wins
    EXPECT_TRUE(plan.replaces.empty());
    EXPECT_EQ(plan.replaced, 2u);

    plan = PlanImport({}, incoming, DuplicateRule::KeepBoth);
    EXPECT_EQ(InsertedCodes(plan),
              (std::vector<std::string>{"New/x=first", "new/X (2)=second", "NEW/x (3)=third"}));
}

TEST(ImportPlan, KeepBothTakesTheFirstFreeNumber) {
    std::vector<LibraryRow> library = {
        {1, {"A", "s", "1"}}, {2, {"A", "S (2)", "2"}}, {3, {"A", "s (4)", "4"}}};
    const ImportPlan plan = PlanImport(library, {In("A", "s", "new")}, DuplicateRule::KeepBoth);
    EXPECT_EQ(InsertedCodes(plan), std::vector<std::string>{"A/s (3)=new"});
}

TEST(ImportPlan, KeepBothRefusesAShortcutThatWouldOutgrowTheLimit) {
    const std::string full(255, 's');
    const ImportPlan plan = PlanImport(
        {{1, {"A", full, "old"}}}, {In("A", "ok", "x", "line 2"), In("A", full, "new", "line 3")},
        DuplicateRule::KeepBoth);
    ASSERT_TRUE(plan.refusal);
    EXPECT_EQ(plan.refusal->where, "line 3");
    EXPECT_EQ(plan.refusal->field, "code");
    EXPECT_NE(plan.refusal->reason.find("259 bytes"), std::string::npos) << plan.refusal->reason;
}

TEST(ImportPlan, CategoryRowsOnlyForCategoriesNotYetThere) {
    const ImportPlan plan = PlanImport(
        Library(),
        {In("EMPTY", "", ""), In("Fresh", "", ""), In("fresh", "", ""), In("greetings", "", "")},
        DuplicateRule::Skip);
    EXPECT_EQ(InsertedCodes(plan), std::vector<std::string>{"Fresh/="});
    EXPECT_EQ(plan.skipped, 3u);
}

} // namespace
} // namespace brevicor::library
