// One Get of a 1 MiB page from a loopback server: our fetcher, on a fresh and on a kept connection,
// against libcurl in this process (the same two ways) and the curl command, in the same run.
// Prints the medians and the fetcher/curl ratio.
#include "net/PageFetcher.h"
#include "support/LoopbackHttpServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdio>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char** environ;

namespace {

QString pageAddress;

QByteArray onePage() {
    QByteArray page = "<html><body>";
    const QByteArray row = "<p>Строка каталога: видео, радио и телеканалы.</p>\n";
    while (page.size() + row.size() + 14 <= 1024 * 1024)
        page += row;
    page += "</body></html>";
    page += QByteArray(1024 * 1024 - page.size(), ' ');
    return page;
}

void fetcherFreshConnection(benchmark::State& state) {
    for (auto _ : state) {
        PageFetcher fetcher; // a new connection every time, as each curl run makes
        const QString text = fetcher.get(pageAddress);
        benchmark::DoNotOptimize(text.size());
    }
}

void fetcherKeptConnection(benchmark::State& state) {
    PageFetcher fetcher;
    for (auto _ : state) {
        const QString text = fetcher.get(pageAddress);
        benchmark::DoNotOptimize(text.size());
    }
}

std::size_t keepBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// libcurl's easy interface; one handle keeps its connection between transfers.
void libcurlGet(benchmark::State& state, bool keep) {
    const std::string address = pageAddress.toStdString();
    CURL* handle = nullptr;
    for (auto _ : state) {
        if (!handle || !keep) {
            if (handle)
                curl_easy_cleanup(handle);
            handle = curl_easy_init();
            curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
            curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, keepBody);
        }
        std::string body;
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
        if (curl_easy_perform(handle) != CURLE_OK || body.size() != 1024 * 1024) {
            state.SkipWithError("libcurl failed");
            break;
        }
        benchmark::DoNotOptimize(body.data());
    }
    curl_easy_cleanup(handle);
}

void libcurlFreshConnection(benchmark::State& state) {
    libcurlGet(state, false);
}

void libcurlKeptConnection(benchmark::State& state) {
    libcurlGet(state, true);
}

void curlCommand(benchmark::State& state) {
    const std::string address = pageAddress.toStdString();
    std::string arguments[] = {"curl", "-s", "-o", "/dev/null", address};
    char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                    arguments[3].data(), arguments[4].data(), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawnp(&child, "curl", nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("curl could not be started");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
            return;
        }
    }
}

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    LoopbackHttpServer loopback;
    loopback.route("/page.html", onePage(), "text/html; charset=utf-8");
    pageAddress = loopback.url(QStringLiteral("/page.html"));

    for (const auto& [name, function] : {std::pair{"fetcher_fresh_connection", &fetcherFreshConnection},
                                         std::pair{"fetcher_kept_connection", &fetcherKeptConnection},
                                         std::pair{"libcurl_fresh_connection", &libcurlFreshConnection},
                                         std::pair{"libcurl_kept_connection", &libcurlKeptConnection},
                                         std::pair{"curl_command", &curlCommand}})
        benchmark::RegisterBenchmark(name, function)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(15)
            ->ReportAggregatesOnly(true);

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double fresh = reporter.medians["fetcher_fresh_connection"];
    const double kept = reporter.medians["fetcher_kept_connection"];
    const double curl = reporter.medians["curl_command"];
    if (curl > 0)
        std::printf("median 1 MiB Get: fetcher %.3f ms (kept connection %.3f ms), libcurl %.3f ms (kept "
                    "connection %.3f ms), curl %.3f ms; fetcher/curl = %.2f\n",
                    fresh, kept, reporter.medians["libcurl_fresh_connection"],
                    reporter.medians["libcurl_kept_connection"], curl, fresh / curl);
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
