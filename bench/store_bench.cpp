// What a user waits for at store level, on generated libraries of 1,000, 10,000 and 40,000
// phrases: building the tray menu (one query per category), loading the category list, loading
// the preview texts and reading one phrase for delivery, each through the real store code, the
// unixODBC driver manager and the engine. Each is set beside its floor: the same result read
// straight through SQLite's C API in one ordered pass. scripts/bench turns the two into ratios.
#include "bench/generated_library.h"
#include "collation.hpp"
#include "library.hpp"
#include "sqlite_handle.hpp"
#include "store/category_list.h"
#include "store/library_refresh.h"
#include "store/content_cache.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using brevicor::bench::LibraryShape;
using brevicor::engine::SqliteDb;
using brevicor::engine::SqliteStmt;

// A menu that only counts the items given to it and to its submenus.
class CountingMenu : public brevicor::PopupMenuControl {
public:
    explicit CountingMenu(int& items) : items_(items) {}
    std::unique_ptr<PopupMenuControl> CreateEmptyPopup() override {
        return std::make_unique<CountingMenu>(items_);
    }
    void InsertItem(int, const std::string&, unsigned, std::unique_ptr<PopupMenuControl>) override {
        ++items_;
    }
    void AppendItem(const std::string&, unsigned) override { ++items_; }

private:
    int& items_;
};

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "store_bench: " << what << "\n";
    std::exit(1);
}

fs::path LibraryFolder(const LibraryShape& shape) {
    return fs::path(BREVICOR_BENCH_LIBRARIES) / ("phrases-" + std::to_string(shape.phrases));
}

fs::path LibraryFile(const LibraryShape& shape) {
    return LibraryFolder(shape) / "database" / "phrases.mdb";
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(std::string(sql) + ": " + sqlite3_errmsg(db));
    }
}

// Makes the library once and keeps it under build/: the table made by brevicor-newlib from the
// program's schema, then every phrase inserted in one transaction.
void GenerateLibrary(const LibraryShape& shape) {
    const fs::path file = LibraryFile(shape);
    if (fs::exists(file)) {
        return;
    }
    fs::create_directories(file.parent_path());
    const fs::path partial = file.string() + ".partial";
    fs::remove(partial);
    const std::string command = std::string("\"") + BREVICOR_NEWLIB_PATH + "\" \"" +
                                partial.string() + "\" \"" + BREVICOR_SCHEMA_SQL_PATH + "\"";
    if (std::system(command.c_str()) != 0) {
        Fail("brevicor-newlib could not make " + partial.string());
    }
    sqlite3* raw = nullptr;
    sqlite3_open_v2(partial.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    SqliteDb db(raw);
    // The engine's text rule: the library's index is ordered by it, and its triggers ask for it.
    brevicor::engine::configure_connection(db.get());
    Exec(db.get(), "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db.get(), "INSERT INTO phrase (category, code, content) VALUES (?, ?, ?)",
                       -1, &insert, nullptr);
    SqliteStmt statement(insert);
    if (!statement) {
        Fail(sqlite3_errmsg(db.get()));
    }
    for (int n = 0; n < shape.phrases; ++n) {
        const std::string category = brevicor::bench::CategoryName(shape, n);
        const std::string code = brevicor::bench::CodeName(shape, n);
        const std::string content = brevicor::bench::PhraseText(n);
        sqlite3_bind_text(insert, 1, category.data(), static_cast<int>(category.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, code.data(), static_cast<int>(code.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, content.data(), static_cast<int>(content.size()),
                          SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            Fail(sqlite3_errmsg(db.get()));
        }
        sqlite3_reset(insert);
    }
    statement.reset();
    Exec(db.get(), "COMMIT");
    db.reset();
    fs::rename(partial, file);
}

// Points the store at the library: the program's folder is the current one.
void UseLibrary(const LibraryShape& shape) {
    static int current = -1;
    if (current == shape.phrases) {
        return;
    }
    fs::current_path(LibraryFolder(shape));
    brevicor::ResetStore();
    brevicor::LoadCategoryList();
    if (brevicor::CategoryList().size() != static_cast<size_t>(shape.categories)) {
        Fail("the store does not read the generated library " + LibraryFile(shape).string());
    }
    current = shape.phrases;
}

// A connection of the floor's own: the engine's collation and page cache, nothing else.
SqliteDb OpenFloor(const LibraryShape& shape) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(LibraryFile(shape).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    SqliteDb db(raw);
    if (brevicor::engine::configure_connection(db.get()) != SQLITE_OK) {
        Fail("the floor cannot set up its connection");
    }
    return db;
}

SqliteStmt Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        Fail(std::string(sql) + ": " + sqlite3_errmsg(db));
    }
    return SqliteStmt(raw);
}

std::string Text(sqlite3_stmt* statement, int column) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return {p != nullptr ? p : "", static_cast<size_t>(sqlite3_column_bytes(statement, column))};
}

// The store's measurements.

void StoreTrayMenu(benchmark::State& state, LibraryShape shape) {
    UseLibrary(shape);
    int items = 0;
    for (auto _ : state) {
        items = 0;
        CountingMenu menu(items);
        brevicor::BuildCategoryMenus(menu);
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = items;
}

// As the program opens its menu: first the look at whether the library changed since the list
// and the preview texts were read (it has not), then the menu.
void StoreTrayMenuOpened(benchmark::State& state, LibraryShape shape) {
    UseLibrary(shape);
    brevicor::RefreshLibraryViews();
    int items = 0;
    for (auto _ : state) {
        items = 0;
        brevicor::RefreshLibraryViews();
        CountingMenu menu(items);
        brevicor::BuildCategoryMenus(menu);
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = items;
}

void StoreCategoryList(benchmark::State& state, LibraryShape shape) {
    UseLibrary(shape);
    for (auto _ : state) {
        brevicor::LoadCategoryList();
        benchmark::DoNotOptimize(brevicor::CategoryList().size());
    }
    state.counters["items"] = static_cast<double>(brevicor::CategoryList().size());
}

void StorePreviewTexts(benchmark::State& state, LibraryShape shape) {
    UseLibrary(shape);
    int rows = 0;
    for (auto _ : state) {
        rows = brevicor::LoadContentCache();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["items"] = rows;
}

void StoreDeliverPhrase(benchmark::State& state, LibraryShape shape) {
    UseLibrary(shape);
    int phrase = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text =
            brevicor::GetContentForCommand(brevicor::kPhraseCommandOffset + phrase + 1);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
        phrase = (phrase + 7919) % shape.phrases;
    }
    if (bytes == 0) {
        Fail("the store delivered an empty text");
    }
}

// The floors: one ordered pass through SQLite's C API, giving the same result.

struct FloorCategory {
    std::string name;
    std::vector<std::pair<std::string, int>> phrases;
};

// `sql` reads category, code and PhraseID in menu order.
void ReadMenuInOnePass(benchmark::State& state, LibraryShape shape, const char* sql) {
    SqliteDb db = OpenFloor(shape);
    SqliteStmt query = Prepare(db.get(), sql);
    int items = 0;
    for (auto _ : state) {
        std::vector<FloorCategory> menu;
        while (sqlite3_step(query.get()) == SQLITE_ROW) {
            std::string category = Text(query.get(), 0);
            if (menu.empty() || brevicor::engine::compare_folded(menu.back().name, category) != 0) {
                menu.push_back({std::move(category), {}});
            }
            std::string code = Text(query.get(), 1);
            if (!code.empty()) {
                menu.back().phrases.emplace_back(std::move(code),
                                                 sqlite3_column_int(query.get(), 2));
            }
        }
        sqlite3_reset(query.get());
        items = static_cast<int>(menu.size());
        for (const FloorCategory& category : menu) {
            items += static_cast<int>(category.phrases.size());
        }
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = items;
}

// One pass that may use the engine's index on category (the strict floor)...
void FloorTrayMenu(benchmark::State& state, LibraryShape shape) {
    ReadMenuInOnePass(state, shape,
                      "SELECT category, code, PhraseID FROM phrase ORDER BY category, code");
}

// ...and one over the table alone, as a library without that index allows.
void TableFloorTrayMenu(benchmark::State& state, LibraryShape shape) {
    ReadMenuInOnePass(
        state, shape,
        "SELECT category, code, PhraseID FROM phrase NOT INDEXED ORDER BY category, code");
}

// The floor of a load the store keeps in memory: every row of `sql`, each made into a value by
// `row`, once per iteration.
template <class Row>
void FloorLoad(benchmark::State& state, LibraryShape shape, const char* sql, Row row) {
    SqliteDb db = OpenFloor(shape);
    SqliteStmt query = Prepare(db.get(), sql);
    size_t count = 0;
    for (auto _ : state) {
        std::vector<decltype(row(query.get()))> loaded;
        while (sqlite3_step(query.get()) == SQLITE_ROW) {
            loaded.push_back(row(query.get()));
        }
        sqlite3_reset(query.get());
        count = loaded.size();
        benchmark::DoNotOptimize(loaded.data());
    }
    state.counters["items"] = static_cast<double>(count);
}

void FloorCategoryList(benchmark::State& state, LibraryShape shape) {
    FloorLoad(state, shape, "SELECT DISTINCT category FROM phrase ORDER BY category",
              [](sqlite3_stmt* query) { return Text(query, 0); });
}

void FloorPreviewTexts(benchmark::State& state, LibraryShape shape) {
    FloorLoad(state, shape, "SELECT content, PhraseID FROM phrase ORDER BY PhraseID",
              [](sqlite3_stmt* query) {
                  return std::pair<int, std::string>(sqlite3_column_int(query, 1), Text(query, 0));
              });
}

void FloorDeliverPhrase(benchmark::State& state, LibraryShape shape) {
    SqliteDb db = OpenFloor(shape);
    SqliteStmt query = Prepare(db.get(), "SELECT content FROM phrase WHERE PhraseID = ?");
    int phrase = 0;
    for (auto _ : state) {
        sqlite3_bind_int(query.get(), 1, phrase + 1);
        std::string text;
        if (sqlite3_step(query.get()) == SQLITE_ROW) {
            text = Text(query.get(), 0);
        }
        sqlite3_reset(query.get());
        benchmark::DoNotOptimize(text);
        phrase = (phrase + 7919) % shape.phrases;
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const LibraryShape shapes[] = {brevicor::bench::kSmallLibrary, brevicor::bench::kMediumLibrary,
                                   brevicor::bench::kLargeLibrary};
    for (const LibraryShape& shape : shapes) {
        GenerateLibrary(shape);
    }
    using Measure = void (*)(benchmark::State&, LibraryShape);
    struct Pair {
        const char* name;
        Measure store;
        Measure floor;
        benchmark::TimeUnit unit;
    };
    const Pair pairs[] = {
        {"TrayMenu", &StoreTrayMenu, &FloorTrayMenu, benchmark::kMillisecond},
        {"CategoryList", &StoreCategoryList, &FloorCategoryList, benchmark::kMillisecond},
        {"PreviewTexts", &StorePreviewTexts, &FloorPreviewTexts, benchmark::kMillisecond},
        {"DeliverPhrase", &StoreDeliverPhrase, &FloorDeliverPhrase, benchmark::kMicrosecond},
    };
    // Names read "<what>/<store|floor>/<phrases>"; scripts/bench pairs them up.
    for (const LibraryShape& shape : shapes) {
        for (const Pair& pair : pairs) {
            const std::string size = std::to_string(shape.phrases);
            benchmark::RegisterBenchmark((std::string(pair.name) + "/store/" + size).c_str(),
                                         pair.store, shape)
                ->Unit(pair.unit);
            benchmark::RegisterBenchmark((std::string(pair.name) + "/floor/" + size).c_str(),
                                         pair.floor, shape)
                ->Unit(pair.unit);
        }
    }
    for (const LibraryShape& shape : shapes) {
        benchmark::RegisterBenchmark(
            ("TrayMenu/table-floor/" + std::to_string(shape.phrases)).c_str(), &TableFloorTrayMenu,
            shape)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("TrayMenu/opened/" + std::to_string(shape.phrases)).c_str(),
                                     &StoreTrayMenuOpened, shape)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
