// Start-up as the user sees it: from the process's start to the first catalog list painted, for the
// program over 10 and over 100,000 rows per list, side by side in the same run with a bare window
// (the main window's widgets and two web views, no catalog, no services). Every start is a process
// of its own (this executable started again with --child); the rounds take turns and the medians
// and their ratios to the bare window are printed, with the time until the lists hold all their rows
// (long lists show their first rows at the first paint, the rest right after) and the program's own
// memory (private pages of the main process, without the web engine's processes) at that moment.
// The program's main() first asks for large heap pages, so its starts here do the same; the bare
// window is measured without them (the baseline) and with them (what the frameworks alone gain).
//
//   bench_startup [rounds [other-build's-bench_startup]]     (default 7 rounds)
#include "BenchTitles.h"
#include "app/ui/Program.h"
#include "app/ui/TMainForm.h"
#include "base/LargeHeapPages.h"
#include "catalog/TDataModule2.h"
#include "player/ui/PlayerMediaProxy.h"
#include "player/ui/WebEngineBrowserView.h"
#include "support/FakePorts.h"
#include "ui_TMainForm.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace Qt::StringLiterals;

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Private pages of this process (what it alone costs), in MB.
double ownMemoryMb() {
    QFile file(u"/proc/self/smaps_rollup"_s);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    double kb = 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("Private_Clean:") || line.startsWith("Private_Dirty:"))
            kb += line.mid(14).trimmed().split(' ').value(0).toDouble();
    return kb / 1024;
}

void writeCatalog(const QString& path, int rowsPerList) {
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    SQLite::Transaction transaction(db);
    std::mt19937 rng(7);
    const char* tables[][3] = {
        {"bdf", "films", "fhttp"}, {"bdtv", "tv", "http"},  {"radiolist", "radio", "radiolink"},
        {"fbdf", "films", "http"}, {"fbdtv", "tv", "http"}, {"fbdr", "radio", "http"}};
    for (const auto& t : tables)
        db.exec(std::string("CREATE TABLE ") + t[0] + " (key INTEGER PRIMARY KEY AUTOINCREMENT, " + t[1] +
                " TEXT(255), " + t[2] + " TEXT(255))");
    for (int list = 0; list < 6; ++list) {
        SQLite::Statement insert(db, std::string("INSERT INTO ") + tables[list][0] + " (" + tables[list][1] +
                                         ", " + tables[list][2] + ") VALUES (?, ?)");
        for (int n = 0; n < (list < 3 ? rowsPerList : 10); ++n) {
            insert.bind(1, benchTitle(rng).toStdString());
            insert.bind(2, "http://example.ru/item/" + std::to_string(n));
            insert.exec();
            insert.reset();
        }
    }
    transaction.commit();
}

// Reports (on stdout) when the main window has first been painted and when its lists hold all
// their rows (the program may bring long lists' rows right after the first paint), then ends the
// program.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget& window, std::vector<QTableView*> grids, std::function<bool()> listsComplete)
        : m_window(window), m_grids(std::move(grids)), m_listsComplete(std::move(listsComplete)) {
        // Installed last, so it sees the first paint before the program's own filters.
        QCoreApplication::instance()->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == &m_window) {
            m_seen = true;
            // Stamped once the paint and its flush are done; then again once the lists hold
            // all their rows.
            QTimer::singleShot(0, this, [this] {
                m_paintedAt = nowMs();
                waitForRows();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void waitForRows() {
        if (!m_listsComplete()) {
            QTimer::singleShot(1, this, [this] { waitForRows(); });
            return;
        }
        const double completeAt = nowMs();
        int rows = 0;
        for (QTableView* grid : m_grids)
            rows += grid->model() ? grid->model()->rowCount() : 0;
        std::printf("%.3f %.2f %d %.3f\n", m_paintedAt, ownMemoryMb(), rows, completeAt);
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    QWidget& m_window;
    double m_paintedAt = 0;
    std::vector<QTableView*> m_grids;
    std::function<bool()> m_listsComplete;
    bool m_seen = false;
};

int child(int argc, char** argv, const QString& mode, const QString& dir) {
    if (mode != u"bare")
        LargeHeapPages::enable(); // as main() does
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    PlayerMediaProxy::registerSchemes();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    FakeShell shell;
    const BrowserFactory makeBrowser = WebEngineBrowserView::factory(shell);

    std::unique_ptr<QWidget> bare;
    std::unique_ptr<Ui::TMainForm> bareUi;
    FakeDialogs dialogs;
    std::unique_ptr<Program> program;
    QWidget* window = nullptr;
    if (mode.startsWith(u"bare")) {
        bare = std::make_unique<QWidget>();
        bareUi = std::make_unique<Ui::TMainForm>();
        bareUi->setupUi(bare.get());
        bareUi->sTabSheet1Layout->addWidget(makeBrowser(nullptr, "WebBrowser1").widget);
        bareUi->sTabSheet6Layout->addWidget(makeBrowser(nullptr, "WebBrowser2").widget);
        window = bare.get();
    } else {
        program = std::make_unique<Program>(Program::Setup{dialogs, shell, makeBrowser, Site{},
                                                           ProgramPlaces{dir, dir}, dir + u"/bdv.db"_s, dir});
        window = &program->mainForm();
    }
    FirstPaint watch(*window,
                     {window->findChild<QTableView*>(u"sDBGrid3"_s),
                      window->findChild<QTableView*>(u"sDBGrid2"_s),
                      window->findChild<QTableView*>(u"sDBGrid1"_s)},
                     [&program] { return !program || program->data().listsComplete(); });
    window->show();
    const int code = QApplication::exec();
    if (!dialogs.shown.isEmpty())
        std::fprintf(stderr, "boxes shown: %s\n", qPrintable(dialogs.shown.join(u" | "_s)));
    return code;
}

// The data component alone opening the catalog, reading every row at open or only the first ones
// (then the rest): milliseconds and page faults, for the profile of what start-up spends on the lists.
int readAlone(const QString& dir, bool firstRows) {
    FakeDialogs dialogs;
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const double started = nowMs();
    {
        TDataModule2 data(dir + u"/bdv.db"_s);
        if (!firstRows)
            data.setFirstRows(std::numeric_limits<int>::max() - 1);
        data.open(dialogs);
        const double opened = nowMs();
        data.completeLists();
        std::printf("%s: open %.1f ms, then the rest %.1f ms", firstRows ? "first rows" : "all rows at open",
                    opened - started, nowMs() - opened);
    }
    getrusage(RUSAGE_SELF, &after);
    std::printf(" (with closing), %ld page faults\n", after.ru_minflt - before.ru_minflt);
    return 0;
}

struct Sample {
    double ms = 0;
    double completeMs = 0; // the lists hold all their rows
    double memoryMb = 0;
    int rows = 0;
};

bool runChild(const char* self, const char* mode, const std::string& dir, Sample& sample) {
    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string arguments[] = {self, "--child", mode, dir};
    char* childArgv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(), arguments[3].data(),
                         nullptr};
    pid_t pid = 0;
    const double started = nowMs();
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, childArgv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return false;
    }
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    double at = 0;
    double completeAt = 0;
    // An older build reports no second time: its lists were whole at the first paint.
    const int read =
        std::sscanf(text.c_str(), "%lf %lf %d %lf", &at, &sample.memoryMb, &sample.rows, &completeAt);
    if (read < 3)
        return false;
    sample.ms = at - started;
    sample.completeMs = (read == 4 ? completeAt : at) - started;
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.empty() ? 0 : values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 4 && qstrcmp(argv[1], "--read") == 0)
        return readAlone(QString::fromLocal8Bit(argv[2]), qstrcmp(argv[3], "first") == 0);
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0)
        return child(1, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // scripts/bench hands the same options to every benchmark: ours are plain words, the others skipped.
    std::vector<const char*> words;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-')
            words.push_back(argv[i]);
    const int rounds = words.empty() ? 7 : std::max(1, std::atoi(words[0]));
    // Another build's bench_startup, to compare two builds in turns within one run.
    std::vector<const char*> builds{argv[0]};
    if (words.size() > 1)
        builds.push_back(words[1]);

    QTemporaryDir small, large;
    writeCatalog(small.filePath(u"bdv.db"_s), 10);
    writeCatalog(large.filePath(u"bdv.db"_s), 100'000);
    const std::pair<const char*, std::string> starts[] = {{"bare", small.path().toStdString()},
                                                          {"program", small.path().toStdString()},
                                                          {"program", large.path().toStdString()},
                                                          {"bare-large-pages", small.path().toStdString()}};
    const char* names[] = {"bare window", "program, 3 x 10 rows", "program, 3 x 100,000 rows",
                           "bare window, large pages"};
    constexpr int kinds = int(std::size(starts));
    std::map<std::pair<std::size_t, int>, std::vector<double>> times, complete, memory;
    std::map<std::pair<std::size_t, int>, int> rows;
    Sample warmUp;
    for (const char* build : builds) // the system's caches filled
        runChild(build, "program", large.path().toStdString(), warmUp);
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < kinds; ++i) {
            for (std::size_t b = 0; b < builds.size(); ++b) {
                if (b > 0 && i == kinds - 1)
                    continue; // an older build knows no such start
                Sample sample;
                if (!runChild(builds[b], starts[i].first, starts[i].second, sample)) {
                    std::fprintf(stderr, "start %s of %s failed\n", names[i], builds[b]);
                    return 1;
                }
                times[{b, i}].push_back(sample.ms);
                complete[{b, i}].push_back(sample.completeMs);
                memory[{b, i}].push_back(sample.memoryMb);
                rows[{b, i}] = sample.rows;
            }
        }
    }
    for (std::size_t b = 0; b < builds.size(); ++b) {
        std::printf("%s\n", builds[b]);
        const double bare = median(times[{b, 0}]);
        for (int i = 0; i < kinds; ++i) {
            const auto& t = times[{b, i}];
            if (t.empty())
                continue;
            std::printf("  %-26s first list painted %7.1f ms (median of %d, %.1f-%.1f)  %.2f x bare  all "
                        "rows in %7.1f ms  "
                        "own memory %5.1f MB  rows shown %d\n",
                        names[i], median(t), rounds, *std::min_element(t.begin(), t.end()),
                        *std::max_element(t.begin(), t.end()), median(t) / bare, median(complete[{b, i}]),
                        median(memory[{b, i}]), rows[{b, i}]);
        }
        std::printf("  300,000 rows cost %.1f MB of own memory over 3 x 10 rows\n",
                    median(memory[{b, 2}]) - median(memory[{b, 1}]));
    }
    return 0;
}
