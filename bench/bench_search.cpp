// Search while typing: every keystroke runs the three catalog statements over 100,000 rows each and
// fetches every matching row. Compares our Unicode LIKE with SQLite's own ASCII-only LIKE.
#include "catalog/UnicodeText.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int kRowsPerTable = 100'000;

struct Table {
    const char* name;
    const char* title;
    const char* address;
};
constexpr std::array<Table, 3> kTables{
    {{"bdf", "films", "fhttp"}, {"bdtv", "tv", "http"}, {"radiolist", "radio", "radiolink"}}};

// The typing sequence: a Russian word letter by letter, a Latin one, then the emptied box.
const std::vector<std::string> kKeystrokes{"н", "но", "нов", "ново", "новос", "r", "ro", "roc", "rock", ""};

const std::vector<std::string> kRussianWords{
    "Новости",  "новый",  "Новогодний", "Москва",     "Россия",      "Первый",     "канал",
    "музыка",   "радио",  "фильм",      "Любовь",     "война",       "мир",        "дом",
    "История",  "жизнь",  "город",      "Ночь",       "день",        "время",      "Ёлки",
    "ёжик",     "Зимний", "летний",     "сказка",     "Приключения", "детектив",   "Комедия",
    "рок",      "Хиты",   "Европа",     "Шансон",     "Ретро",       "классика",   "Спорт",
    "культура", "Звезда", "юмор",       "Ностальгия", "дорожное",    "Серебряный", "дождь",
    "Эхо",      "Маяк",   "Вести",      "Культура",   "Мультфильмы", "кино",       "Отечественное",
    "Поезд",    "Брат",   "Солнце",     "Тишина",     "Весна",       "ОСЕНЬ",      "Новосибирск"};
const std::vector<std::string> kLatinWords{
    "Rock", "Radio",   "FM",     "News",   "Love", "City",   "Star",   "Dance",   "Jazz",  "Classic",
    "Hits", "Retro",   "Record", "Europa", "Plus", "Energy", "Relax",  "Chill",   "Gold",  "Metal",
    "Pop",  "Lounge",  "Deep",   "Night",  "Film", "Story",  "Home",   "Road",    "Music", "Rocket",
    "ROCK", "Maximum", "Nova",   "Sport",  "Kids", "Live",   "Online", "Channel", "Disco", "Trance"};

struct Catalog {
    std::filesystem::path file;
    sqlite3* unicode = nullptr; // our LIKE installed
    sqlite3* builtin = nullptr; // SQLite's own LIKE
    sqlite3* floor = nullptr;   // a LIKE that never matches: the cost of the scan alone
};
Catalog g_catalog;

void exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

std::string makeTitle(std::mt19937& rng) {
    std::uniform_int_distribution<int> words(1, 4);
    std::uniform_int_distribution<int> percent(0, 99);
    const bool latin = percent(rng) < 30;
    const auto& list = latin ? kLatinWords : kRussianWords;
    std::uniform_int_distribution<std::size_t> pick(0, list.size() - 1);
    std::string title;
    for (int k = words(rng); k > 0; --k) {
        if (!title.empty())
            title += ' ';
        title += list[pick(rng)];
    }
    if (percent(rng) < 40)
        title += " (" + std::to_string(std::uniform_int_distribution<int>(1950, 2023)(rng)) + ")";
    return title;
}

std::string makeAddress(const Table& table, int n) {
    const std::string id = std::to_string(n);
    if (std::string(table.name) == "bdtv")
        return "<iframe src=\"http://tv.example.ru/embed/" + id +
               "\" width=\"640\" height=\"360\" frameborder=\"0\" allowfullscreen></iframe>";
    if (std::string(table.name) == "radiolist")
        return "http://stream.example.ru:8000/live" + id + ".mp3";
    return "http://kino.example.ru/film/" + id + ".html";
}

void openCatalog();

void buildCatalog() {
    g_catalog.file = std::filesystem::temp_directory_path() /
                     ("kvelto-bench-search-" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(g_catalog.file);
    sqlite3* db = nullptr;
    if (sqlite3_open(g_catalog.file.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot create the benchmark catalog");
    std::mt19937 rng(20240607);
    std::uniform_int_distribution<int> percent(0, 99);
    exec(db, "BEGIN");
    for (const Table& t : kTables) {
        exec(db, ("CREATE TABLE " + std::string(t.name) + "(key INTEGER PRIMARY KEY AUTOINCREMENT, " +
                  t.title + " TEXT(255), " + t.address + " TEXT(255))")
                     .c_str());
        sqlite3_stmt* insert = nullptr;
        const std::string sql =
            "INSERT INTO " + std::string(t.name) + "(" + t.title + ", " + t.address + ") VALUES (?, ?)";
        sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr);
        for (int n = 1; n <= kRowsPerTable; ++n) {
            const std::string title = makeTitle(rng);
            const std::string address = makeAddress(t, n);
            if (percent(rng) == 0)
                sqlite3_bind_null(insert, 1);
            else
                sqlite3_bind_text(insert, 1, title.c_str(), int(title.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, address.c_str(), int(address.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(insert) != SQLITE_DONE)
                throw std::runtime_error(sqlite3_errmsg(db));
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
    }
    exec(db, "COMMIT");
    sqlite3_close(db);
    openCatalog();
}

void openCatalog() {
    for (sqlite3** db : {&g_catalog.unicode, &g_catalog.builtin, &g_catalog.floor}) {
        if (sqlite3_open_v2(g_catalog.file.c_str(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open the benchmark catalog");
        // The same connection settings as the program's own catalog connection.
        exec(*db, "PRAGMA cache_size = -65536");
    }
    installUnicodeText(g_catalog.unicode);
    // The floor: a LIKE that matches nothing at no cost, leaving only the engine's own scan.
    sqlite3_create_function_v2(
        g_catalog.floor, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
        [](sqlite3_context* ctx, int, sqlite3_value**) { sqlite3_result_int(ctx, 0); }, nullptr, nullptr,
        nullptr);
}

// A fetched row, kept between keystrokes so that the strings keep their capacity.
struct Row {
    std::string key;
    std::string title;
    std::string address;
};

void assign(std::string& to, sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (text)
        to.assign(text, std::size_t(sqlite3_column_bytes(statement, column)));
    else
        to.clear();
}

struct Snapshot {
    std::vector<Row> rows;
    std::size_t size = 0;
};
std::array<Snapshot, 3> g_snapshots;

// One keystroke: the three search statements, each prepared, bound, run and read to the end.
std::size_t runKeystroke(sqlite3* db, const std::string& text) {
    std::size_t total = 0;
    for (std::size_t k = 0; k < kTables.size(); ++k) {
        const std::string sql = std::string("SELECT*\r\nFROM ") + kTables[k].name + "\r\nWHERE " +
                                kTables[k].title + " LIKE '%' || ? || '%'\r\n";
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        sqlite3_bind_text(statement, 1, text.data(), int(text.size()), SQLITE_STATIC);
        Snapshot& snapshot = g_snapshots[k];
        snapshot.size = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            if (snapshot.size == snapshot.rows.size())
                snapshot.rows.emplace_back();
            Row& row = snapshot.rows[snapshot.size++];
            assign(row.key, statement, 0);
            assign(row.title, statement, 1);
            assign(row.address, statement, 2);
        }
        sqlite3_finalize(statement);
        total += snapshot.size;
    }
    return total;
}

void keystroke(benchmark::State& state, sqlite3* db, std::string text) {
    std::size_t rows = 0;
    for (auto _ : state)
        rows = runKeystroke(db, text);
    state.counters["rows"] = double(rows);
}

// The whole typing sequence per iteration; the counter is the median over every keystroke timed.
void typing(benchmark::State& state, sqlite3* db) {
    std::vector<double> samples;
    for (auto _ : state) {
        for (const std::string& text : kKeystrokes) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(runKeystroke(db, text));
            samples.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    state.counters["median_ms_per_key"] = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    state.counters["worst_ms_per_key"] = samples.back();
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    buildCatalog();
    const std::pair<const char*, sqlite3*> engines[] = {
        {"unicode", g_catalog.unicode}, {"builtin", g_catalog.builtin}, {"floor", g_catalog.floor}};
    for (const auto& [engine, db] : engines) {
        for (std::size_t k = 0; k < kKeystrokes.size(); ++k) {
            const std::string name =
                std::string("keystroke/") + engine + "/" + std::to_string(k) + ":'" + kKeystrokes[k] + "'";
            benchmark::RegisterBenchmark(name.c_str(), keystroke, db, kKeystrokes[k])
                ->Unit(benchmark::kMillisecond)
                ->Iterations(5)
                ->Repetitions(3)
                ->ReportAggregatesOnly(true);
        }
        benchmark::RegisterBenchmark((std::string("typing/") + engine).c_str(), typing, db)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(15);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sqlite3_close(g_catalog.unicode);
    sqlite3_close(g_catalog.builtin);
    sqlite3_close(g_catalog.floor);
    std::filesystem::remove(g_catalog.file);
    return 0;
}
