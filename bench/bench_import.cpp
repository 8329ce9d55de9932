// An import of 100,000 playlist entries, as `kvelto-catalog import` does it: read the file,
// check every entry, store all rows in one transaction. The target is well under a second.
#include "catalog/CatalogFile.h"
#include "catalog/PlaylistReader.h"
#include "support/TempCatalog.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int entries = 100'000;

// An IPTV list the way public ones look: attributes with commas, Cyrillic titles, long addresses.
QByteArray channelList() {
    QByteArray list = "#EXTM3U url-tvg=\"http://epg.example/epg.xml.gz\"\n";
    for (int i = 0; i < entries; ++i) {
        list += "#EXTINF:-1 tvg-id=\"ch" + QByteArray::number(i) + "\" tvg-logo=\"http://logo.example/" +
                QByteArray::number(i) + ".png\" group-title=\"Новости, регион " + QByteArray::number(i % 40) +
                "\",Канал номер " + QByteArray::number(i) + " HD\n";
        list += "#EXTVLCOPT:http-user-agent=Mozilla/5.0\n";
        list += "http://iptv" + QByteArray::number(i % 7) + ".example:8080/live/user/pass/" +
                QByteArray::number(i) + ".m3u8?token=abc&quality=hd\n";
    }
    return list;
}

void readOnly(benchmark::State& state) {
    const QByteArray list = channelList();
    for (auto _ : state) {
        const Playlist read = PlaylistReader::read(list);
        benchmark::DoNotOptimize(read.entries.size());
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(readOnly)->Unit(benchmark::kMillisecond)->MinTime(2);

void importIntoTv(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"channels.m3u"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(channelList()) < 0) {
        state.SkipWithError("cannot write the playlist");
        return;
    }
    file.close();
    for (auto _ : state) {
        state.PauseTiming();
        auto catalog = std::make_unique<TempCatalog>(TempCatalog::schemaSql());
        state.ResumeTiming();
        CatalogFile target(catalog->path());
        const ImportResult result = target.importFiles(MediaKind::Tv, {path});
        if (result.added != entries)
            state.SkipWithError("not every entry was stored");
        state.PauseTiming();
        catalog.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(importIntoTv)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

BENCHMARK_MAIN();
