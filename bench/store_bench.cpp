// What a user waits for: opening the tray menu (one query per category), and what start-up and
// each editor opening pay (the category list and the content cache), on a library of 100
// categories with 40 phrases each.
#include "store/category_list.h"
#include "store/content_cache.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// A menu that only counts what it is given.
class CountingMenu : public brevicor::PopupMenuControl {
public:
    std::unique_ptr<PopupMenuControl> CreateEmptyPopup() override {
        return std::make_unique<CountingMenu>();
    }
    void InsertItem(int, const std::string&, unsigned, std::unique_ptr<PopupMenuControl>) override {
        ++items;
    }
    void AppendItem(const std::string&, unsigned) override { ++items; }
    int items = 0;
};

// Makes the large library in a fresh folder and makes that folder current, once per run.
void PrepareLibrary() {
    static bool prepared = false;
    if (prepared) {
        return;
    }
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "brevicor-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "database");
    std::string command = std::string("\"") + BREVICOR_NEWLIB_PATH + "\" \"" +
                          (folder / "database" / "phrases.mdb").string() + "\" \"" +
                          BREVICOR_SCHEMA_SQL_PATH + "\" \"" + BREVICOR_LARGE_LIBRARY_SQL + "\"";
    if (std::system(command.c_str()) != 0) {
        std::abort();
    }
    std::filesystem::current_path(folder);
    brevicor::ResetStore();
    prepared = true;
}

void BM_OpenTrayMenu(benchmark::State& state) {
    PrepareLibrary();
    brevicor::LoadCategoryList();
    for (auto _ : state) {
        CountingMenu menu;
        brevicor::BuildCategoryMenus(menu);
        benchmark::DoNotOptimize(menu.items);
    }
}
BENCHMARK(BM_OpenTrayMenu)->Unit(benchmark::kMillisecond);

void BM_LoadCategoryList(benchmark::State& state) {
    PrepareLibrary();
    for (auto _ : state) {
        brevicor::LoadCategoryList();
        benchmark::DoNotOptimize(brevicor::CategoryList().size());
    }
}
BENCHMARK(BM_LoadCategoryList)->Unit(benchmark::kMillisecond);

void BM_LoadContentCache(benchmark::State& state) {
    PrepareLibrary();
    for (auto _ : state) {
        benchmark::DoNotOptimize(brevicor::LoadContentCache());
    }
}
BENCHMARK(BM_LoadContentCache)->Unit(benchmark::kMillisecond);

// What the hover preview pays for a text: a lookup by PhraseID in the 4000 cached texts.
void BM_LookupCachedContent(benchmark::State& state) {
    PrepareLibrary();
    brevicor::LoadContentCache();
    int phraseId = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(brevicor::LookupCachedContent(phraseId));
        phraseId = phraseId % 4000 + 1;
    }
}
BENCHMARK(BM_LookupCachedContent)->Unit(benchmark::kMicrosecond);

// What every save now pays: the update and the cache's reload that follows it.
void BM_SavePhraseAndReloadCache(benchmark::State& state) {
    PrepareLibrary();
    for (auto _ : state) {
        benchmark::DoNotOptimize(brevicor::UpdatePhraseContentInCategory(
            "Category 050", "shortcut 20", "Dear customer, a saved text."));
    }
}
BENCHMARK(BM_SavePhraseAndReloadCache)->Unit(benchmark::kMillisecond);

void BM_DeliverOnePhraseText(benchmark::State& state) {
    PrepareLibrary();
    for (auto _ : state) {
        benchmark::DoNotOptimize(brevicor::GetContentForCommand(40000 + 2000));
    }
}
BENCHMARK(BM_DeliverOnePhraseText)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
