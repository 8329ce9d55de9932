// One keystroke in the search box as the user sees it: the three catalog queries re-run over
// 100,000 rows each, their snapshots refilled and the three lists repainted.
#include "base/Dialogs.h"
#include "catalog/TDataModule2.h"
#include "catalog/ui/GridBinding.h"

#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

using namespace Qt::StringLiterals;

namespace {

constexpr int rowsPerList = 100'000;
const QStringList keystrokes{u"н"_s, u"но"_s, u"нов"_s, u"ново"_s, u"новос"_s,
                             u"r"_s, u"ro"_s, u"roc"_s, u"rock"_s, u""_s};

struct NoDialogs : Dialogs {
    void message(const QString&) override {}
    bool question(const QString&) override { return false; }
    void error(const QString&) override {}
    void information(const QString&) override {}
    QStringList chooseFiles(const QString&, const QString&) override { return {}; }
};

// Titles of one to four words, Russian and Latin, some with a year, one in a hundred NULL.
QString title(std::mt19937& rng) {
    static const QStringList russian =
        u"Новости новый Новогодний Москва Первый канал музыка радио фильм Любовь "
        u"война мир Ёлки ёжик сказка Комедия рок Хиты Шансон Ретро Спорт Звезда "
        u"Ностальгия Эхо Маяк Вести Мультфильмы кино Поезд Весна ОСЕНЬ Новосибирск"_s.split(u' ');
    static const QStringList latin =
        u"Rock Radio FM News Love City Star Dance Jazz Classic Hits Retro Record Europa "
        u"Plus Energy Relax Gold Metal Pop Lounge Night Film Rocket ROCK Nova Live Disco"_s.split(u' ');
    const QStringList& words = rng() % 10 < 3 ? latin : russian;
    QStringList picked;
    for (int n = 1 + int(rng() % 4); n > 0; --n)
        picked << words[int(rng() % words.size())];
    QString text = picked.join(u' ');
    if (rng() % 10 < 4)
        text += u" (%1)"_s.arg(1950 + rng() % 74);
    return text;
}

struct Fixture {
    QTemporaryDir dir;
    NoDialogs dialogs;
    std::unique_ptr<TDataModule2> data;
    std::unique_ptr<QWidget> window;

    Fixture() {
        const QString path = dir.filePath(u"bdv.db"_s);
        {
            SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            SQLite::Transaction transaction(db);
            std::mt19937 rng(7);
            const char* tables[][3] = {
                {"bdf", "films", "fhttp"}, {"bdtv", "tv", "http"},  {"radiolist", "radio", "radiolink"},
                {"fbdf", "films", "http"}, {"fbdtv", "tv", "http"}, {"fbdr", "radio", "http"}};
            for (const auto& t : tables)
                db.exec(std::string("CREATE TABLE ") + t[0] + " (key INTEGER PRIMARY KEY AUTOINCREMENT, " +
                        t[1] + " TEXT(255), " + t[2] + " TEXT(255))");
            for (int list = 0; list < 3; ++list) {
                SQLite::Statement insert(db, std::string("INSERT INTO ") + tables[list][0] + " (" +
                                                 tables[list][1] + ", " + tables[list][2] +
                                                 ") VALUES (?, ?)");
                for (int n = 0; n < rowsPerList; ++n) {
                    if (rng() % 100 == 0)
                        insert.bind(1);
                    else
                        insert.bind(1, title(rng).toStdString());
                    insert.bind(2, "http://example.ru/item/" + std::to_string(n));
                    insert.exec();
                    insert.reset();
                }
            }
            transaction.commit();
        }
        data = std::make_unique<TDataModule2>(path);
        window = std::make_unique<QWidget>();
        window->resize(600, 400);
        int x = 0;
        for (Query* query : {&data->ADOQuery1, &data->ADOQuery2, &data->ADOQuery3}) {
            auto* grid = new QTableView(window.get());
            grid->setGeometry(x, 0, 192, 385);
            x += 200;
            bindGrid(grid, *query);
        }
        data->open(dialogs);
        window->show();
        QCoreApplication::processEvents();
    }
};

Fixture* fixture = nullptr;

void keystroke(benchmark::State& state) {
    const QString text = keystrokes[int(state.range(0))];
    state.SetLabel(text.isEmpty() ? std::string("(empty)") : text.toStdString());
    for (auto _ : state) {
        fixture->data->search(text);
        fixture->window->repaint(); // paint the three refilled lists now, as the next frame would
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = fixture->data->ADOQuery1.recordCount() + fixture->data->ADOQuery2.recordCount() +
                             fixture->data->ADOQuery3.recordCount();
}
// The same without painting: the statements and the snapshots alone.
void keystrokeQueriesOnly(benchmark::State& state) {
    const QString text = keystrokes[int(state.range(0))];
    for (auto _ : state)
        fixture->data->search(text);
}
BENCHMARK(keystrokeQueriesOnly)
    ->DenseRange(0, 9)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

BENCHMARK(keystroke)
    ->DenseRange(0, 9)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Fixture f;
    fixture = &f;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}
