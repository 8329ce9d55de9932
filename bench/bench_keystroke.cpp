// One keystroke in the search box as the user sees it: the three catalog queries re-run over
// 100,000 rows each, their snapshots refilled and the three lists repainted.
#include "BenchTitles.h"
#include "base/Dialogs.h"
#include "base/LargeHeapPages.h"
#include "catalog/TDataModule2.h"
#include "catalog/ui/GridBinding.h"

#include <QApplication>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
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
                        insert.bind(1, benchTitle(rng).toStdString());
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

// range(0): the text's place in the typing sequence; range(1): 1 answers from memory, 0 runs the
// statements every time (as every search did before), so both are measured in one run.
void keystroke(benchmark::State& state) {
    const QString text = keystrokes[int(state.range(0))];
    state.SetLabel(text.isEmpty() ? std::string("(empty)") : text.toStdString());
    fixture->data->setSearchInMemory(state.range(1) != 0);
    fixture->data->search(text); // the lists read once after the switch
    for (auto _ : state) {
        fixture->data->search(text);
        fixture->window->repaint(); // paint the three refilled lists now, as the next frame would
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = fixture->data->ADOQuery1.recordCount() + fixture->data->ADOQuery2.recordCount() +
                             fixture->data->ADOQuery3.recordCount();
}
// The same without painting: the statements (or the memory) and the snapshots alone.
void keystrokeQueriesOnly(benchmark::State& state) {
    const QString text = keystrokes[int(state.range(0))];
    fixture->data->setSearchInMemory(state.range(1) != 0);
    fixture->data->search(text);
    for (auto _ : state)
        fixture->data->search(text);
}
BENCHMARK(keystrokeQueriesOnly)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 9, 1), {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

BENCHMARK(keystroke)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 9, 1), {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Collects the median of every keystroke with the grids, to sum up the typing sequence.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name != "median" || run.run_name.function_name != "keystroke")
                continue;
            // args "i/m": the text's place and the mode
            const std::string& args = run.run_name.args;
            const int place = std::stoi(args);
            const int memory = std::stoi(args.substr(args.find('/') + 1));
            medians[memory][place] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<int, std::map<int, double>> medians;
};

double medianOf(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    // The heap as the program's main() sets it up (KVELTO_SMALL_PAGES=1: as the system's).
    if (qEnvironmentVariableIsEmpty("KVELTO_SMALL_PAGES"))
        LargeHeapPages::enable();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Fixture f;
    fixture = &f;
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& [memory, byPlace] : reporter.medians) {
        std::vector<double> typing;
        double emptied = 0;
        for (const auto& [place, median] : byPlace) {
            if (keystrokes[place].isEmpty())
                emptied = median;
            else
                typing.push_back(median);
        }
        std::printf("%s: keystroke median %.2f ms over the typing sequence, emptied box %.2f ms\n",
                    memory ? "from memory" : "statements", medianOf(typing), emptied);
    }
    // Whether all that typing leaves the heap grown: resident memory now and at its peak.
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:") || line.startsWith("VmHWM:"))
                std::printf("%s  ", line.simplified().constData());
        std::printf("after the typing\n");
    }
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}
