// Time from the play command to sound: the radio page is written and shown as the play
// command does, and the clock stops when the page's media clock first moves (currentTime > 0).
// A direct MP3 stream and an HLS playlist, both made with ffmpeg and served on loopback, and
// for reference the engine on its own: a page that is nothing but <audio autoplay> of the MP3.
#include "player/PlayCommand.h"
#include "player/PlayerPage.h"
#include "player/ui/PlayerMediaProxy.h"
#include "player/ui/WebEngineBrowserView.h"
#include "support/FakePorts.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMedia.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

struct Rig {
    QTemporaryDir media;
    QTemporaryDir pageDir;
    LoopbackHttpServer server;
    FakeShell shell;
    FakeDialogs dialogs;
    std::unique_ptr<WebEngineBrowserView> view;
    std::unique_ptr<PlayerPage> page;
    std::unique_ptr<PlayCommand> play;
    FakePageSource noDownloads;
};

Rig* rig = nullptr;

// Wall-clock milliseconds at which the first media element's clock first moved, or 0.
double soundAt() {
    double at = -1;
    rig->view->page()->runJavaScript(u"window.__soundAt || 0"_s,
                                     [&](const QVariant& v) { at = v.toDouble(); });
    (void)QTest::qWaitFor([&] { return at >= 0; }, 10000);
    return at;
}

void timeToSound(benchmark::State& state, const std::function<void()>& play) {
    for (auto _ : state) {
        // Start from an empty view, as after the start-up page.
        bool blank = false;
        const auto c =
            QObject::connect(rig->view->page(), &QWebEnginePage::loadFinished, [&] { blank = true; });
        rig->view->navigate(u"about:blank"_s);
        (void)QTest::qWaitFor([&] { return blank; }, 10000);
        QObject::disconnect(c);

        const double start = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
        play();
        double at = 0;
        (void)QTest::qWaitFor(
            [&] {
                QTest::qWait(20);
                at = soundAt();
                return at > 0;
            },
            30000);
        if (at <= 0) {
            state.SkipWithError("no sound within 30 s");
            break;
        }
        state.SetIterationTime((at - start) / 1000.0);
    }
}

void radio(benchmark::State& state, const QString& path) {
    const QString address = rig->server.url(path);
    timeToSound(state, [&] { rig->play->playRadio(address, u"Станция"_s); });
}

void directMp3(benchmark::State& state) {
    radio(state, u"/radio.mp3"_s);
}
void hlsPlaylist(benchmark::State& state) {
    radio(state, u"/audio/list.m3u8"_s);
}
void engineAlone(benchmark::State& state) {
    const QString page = u"<audio autoplay src=\"%1\"></audio>"_s.arg(rig->server.url(u"/radio.mp3"_s));
    timeToSound(state, [&] { rig->play->playTv(page); });
}

} // namespace

BENCHMARK(directMp3)->Iterations(1)->Repetitions(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(hlsPlaylist)->Iterations(1)->Repetitions(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(engineAlone)->Iterations(1)->Repetitions(10)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // A HOME whose sound device is ALSA's null sink: the media clock runs without sound hardware.
    QTemporaryDir home;
    QFile asoundrc(QDir(home.path()).filePath(u".asoundrc"_s));
    if (asoundrc.open(QIODevice::WriteOnly))
        asoundrc.write("pcm.!default { type null }\n");
    asoundrc.close();
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PlayerMediaProxy::registerSchemes();
    QApplication app(argc, argv);

    Rig theRig;
    rig = &theRig;
    if (!TestMedia::make(theRig.media.path()))
        return 1;
    TestMedia::serve(theRig.media.path(), theRig.server);
    theRig.view = std::make_unique<WebEngineBrowserView>(theRig.shell);
    theRig.view->makePlayerView();
    QWebEngineScript probe;
    probe.setName(u"sound-probe"_s);
    probe.setInjectionPoint(QWebEngineScript::DocumentCreation);
    probe.setWorldId(QWebEngineScript::MainWorld);
    // Polls the media clock every few milliseconds: timeupdate comes only every 250 ms.
    probe.setSourceCode(
        u"(function () { var id = setInterval(function () {"
        u" var m = document.querySelector('audio, video');"
        u" if (m && m.currentTime > 0) {"
        u"  window.__soundAt = performance.timeOrigin + performance.now(); clearInterval(id); }"
        u" }, 2); })();"_s);
    theRig.view->page()->scripts().insert(probe);
    theRig.view->resize(640, 480);
    theRig.view->show();
    theRig.page = std::make_unique<PlayerPage>(theRig.pageDir.path(), *theRig.view);
    theRig.play = std::make_unique<PlayCommand>(theRig.noDownloads, *theRig.page, theRig.dialogs);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theRig.play.reset();
    theRig.page.reset();
    theRig.view.reset();
    return 0;
}
