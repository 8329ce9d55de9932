#include "player/ui/FilmDownloads.h"
#include "support/FakePorts.h"
#include "support/FormWidgets.h"
#include "support/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int waitMs = 20000;

// Serves /film as the download "film.mp4": whole, or cut off half way, or stalled after its
// first part. It runs on the test's
// event loop: the engine's network lives in another process.
class FilmServer {
public:
    enum class Body { Whole, CutOff, Stalled };

    explicit FilmServer(Body body) : m_body(body) {
        for (int i = 0; i < 1024 * 1024; ++i)
            film.append(char(i * 7 % 251));
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
        });
    }

    [[nodiscard]] QUrl url(const QString& path) const {
        return QUrl(u"http://127.0.0.1:%1%2"_s.arg(m_server.serverPort()).arg(path));
    }

    QByteArray film;

private:
    void serve(QTcpSocket* socket) {
        QByteArray& head = m_heads[socket];
        head += socket->readAll();
        if (!head.contains("\r\n\r\n"))
            return;
        const QByteArray path = head.split(' ').value(1);
        if (path != "/film") {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                      "Content-Disposition: attachment; filename=\"film.mp4\"\r\nConnection: close\r\n"
                      "Content-Length: " +
                      QByteArray::number(film.size()) + "\r\n\r\n");
        switch (m_body) {
        case Body::Whole:
            socket->write(film);
            socket->disconnectFromHost();
            break;
        case Body::CutOff:
            socket->write(film.left(film.size() / 2));
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
                if (socket->bytesToWrite() == 0)
                    QTimer::singleShot(300, socket, [socket] { socket->abort(); });
            });
            break;
        case Body::Stalled:
            socket->write(film.left(film.size() / 4));
            break;
        }
    }

    Body m_body;
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_heads;
};

// The player view on its own off-the-record profile, saving into a temporary folder.
class PlayerViewDownloads : public ::testing::Test {
protected:
    PlayerViewDownloads() {
        view.setPage(page);
        // As in the player view: its local page links to the network.
        page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        downloads = std::make_unique<FilmDownloads>(*page, dialogs, dir.path());
    }

    [[nodiscard]] QStringList files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    [[nodiscard]] QByteArray read(const QString& name) const {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool waitForBoxes(qsizetype count) {
        return QTest::qWaitFor([&] { return dialogs.shown.size() >= count; }, waitMs);
    }

    QWebEngineProfile profile;
    QWebEngineView view;
    QWebEnginePage* page = new QWebEnginePage(&profile, &view);
    QTemporaryDir dir;
    FakeDialogs dialogs;
    std::unique_ptr<FilmDownloads> downloads;
};

} // namespace

TEST_F(PlayerViewDownloads, SavesTheFilmWholeUnderItsOwnNameThenUnderAFreeOne) {
    FilmServer server(FilmServer::Body::Whole);
    QSignalSpy progress(downloads.get(), &FilmDownloads::progress);
    QSignalSpy ended(downloads.get(), &FilmDownloads::ended);

    page->download(server.url(u"/film"_s));
    ASSERT_TRUE(waitForBoxes(1));
    const QString first = dir.filePath(u"film.mp4"_s);
    EXPECT_EQ(dialogs.shown, QStringList{u"message: Фильм сохранён: "_s + first});
    EXPECT_EQ(read(u"film.mp4"_s), server.film);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_TRUE(progress.first().first().toString().startsWith(u"Скачивание фильма: "_s));
    EXPECT_EQ(ended.size(), 1);

    // The user's way: the film link of the local download page in the player view.
    QTemporaryDir pageDir;
    QFile linkPage(pageDir.filePath(u"main.html"_s));
    ASSERT_TRUE(linkPage.open(QIODevice::WriteOnly));
    linkPage.write("<html><body><a id=\"film\" href=\"" + server.url(u"/film"_s).toEncoded() +
                   "\">film</a></body></html>");
    linkPage.close();
    bool loaded = false;
    QObject::connect(page, &QWebEnginePage::loadFinished, page, [&] { loaded = true; });
    page->load(QUrl::fromLocalFile(linkPage.fileName()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, waitMs));
    page->runJavaScript(u"document.getElementById('film').click()"_s);
    ASSERT_TRUE(waitForBoxes(2));
    EXPECT_EQ(dialogs.shown.last(), u"message: Фильм сохранён: "_s + dir.filePath(u"film (1).mp4"_s));
    EXPECT_EQ(read(u"film (1).mp4"_s), server.film);
    EXPECT_EQ(files(), (QStringList{u"film (1).mp4"_s, u"film.mp4"_s}));
    EXPECT_EQ(ended.size(), 2);
}

TEST_F(PlayerViewDownloads, LeavesDownloadsOfOtherViewsToTheEngine) {
    FilmServer server(FilmServer::Body::Whole);
    QWebEnginePage guide(&profile);
    bool requested = false;
    QPointer<QWebEngineDownloadRequest> request;
    QObject::connect(&profile, &QWebEngineProfile::downloadRequested, &guide,
                     [&](QWebEngineDownloadRequest* r) {
                         requested = true;
                         request = r;
                     });
    guide.download(server.url(u"/film"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return requested; }, waitMs));
    // Nobody accepted it, so the engine dropped it.
    EXPECT_TRUE(request.isNull());
    EXPECT_FALSE(downloads->isRunning());
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(PlayerViewDownloads, AConnectionLostMidFilmLeavesNoFile) {
    FilmServer server(FilmServer::Body::CutOff);
    QSignalSpy ended(downloads.get(), &FilmDownloads::ended);
    page->download(server.url(u"/film"_s));
    ASSERT_TRUE(waitForBoxes(1));
    // Also after the engine's own attempts to resume.
    EXPECT_EQ(dialogs.shown,
              QStringList{u"message: Не удалось скачать фильм: соединение оборвалось до конца файла"_s});
    EXPECT_EQ(files(), QStringList());
    EXPECT_EQ(ended.size(), 1);
    EXPECT_FALSE(downloads->isRunning());
}

TEST_F(PlayerViewDownloads, OneFilmAtATimeAndEndingRemovesThePartialFile) {
    FilmServer server(FilmServer::Body::Stalled);
    QSignalSpy ended(downloads.get(), &FilmDownloads::ended);
    page->download(server.url(u"/film"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return downloads->isRunning() && !files().isEmpty(); }, waitMs));

    page->download(server.url(u"/film"_s));
    ASSERT_TRUE(waitForBoxes(1));
    EXPECT_EQ(
        dialogs.shown,
        QStringList{u"message: Фильм уже скачивается. Дождитесь конца загрузки, потом начните следующую."_s});
    EXPECT_TRUE(downloads->isRunning());
    EXPECT_EQ(ended.size(), 0);

    downloads->cancelAll();
    EXPECT_FALSE(downloads->isRunning());
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(files(), QStringList());
    // Whatever the engine still does with the cancelled download, nothing comes back.
    QTest::qWait(500);
    EXPECT_EQ(files(), QStringList());
    EXPECT_EQ(dialogs.shown.size(), 1);
}

TEST_F(PlayerViewDownloads, AFullDiskEndsTheFilmWithAMessageAndLeavesNoPartFile) {
    // The child process may write no file beyond 256 KiB, as if the disk were full.
    if (qEnvironmentVariableIsSet("KVELTO_FULL_DISK_REPORT")) {
        const rlimit limit{256 * 1024, 256 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        QFile old(dir.filePath(u"film.mp4"_s));
        if (old.open(QIODevice::WriteOnly))
            old.write("the film saved before");
        old.close();
        FilmServer server(FilmServer::Body::Whole);
        page->download(server.url(u"/film"_s));
        waitForBoxes(1);
        QTest::qWait(300);
        QFile out(qEnvironmentVariable("KVELTO_FULL_DISK_REPORT"));
        if (out.open(QIODevice::WriteOnly))
            out.write((dialogs.shown.join(u'|') + u'\n' + files().join(u'|') + u'\n').toUtf8() +
                      read(u"film.mp4"_s));
        out.close();
        std::_Exit(0);
    }
    QTemporaryDir reportDir;
    const QString report = reportDir.filePath(u"report"_s);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"KVELTO_FULL_DISK_REPORT"_s, report);
    env.insert(u"TMPDIR"_s, reportDir.path()); // the child ends without removing its folders
    child.setProcessEnvironment(env);
    child.start(
        QCoreApplication::applicationFilePath(),
        {u"--gtest_filter=PlayerViewDownloads.AFullDiskEndsTheFilmWithAMessageAndLeavesNoPartFile"_s});
    ASSERT_TRUE(child.waitForFinished(60000));
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    // The engine reports a write past the size limit as a failed write (a full disk as no space).
    EXPECT_EQ(QString::fromUtf8(lines[0]), u"message: Не удалось скачать фильм: ошибка записи файла"_s);
    EXPECT_EQ(QString::fromUtf8(lines[1]), u"film.mp4"_s) << "no part of the new film is left";
    EXPECT_EQ(lines[2], "the film saved before");
}

TEST(MainWindowDuringADownload, StatusLineShowsProgressThenWhatItWouldShowNow) {
    MainWindowFixture app;
    app.start();
    const MainFormWidgets ui(app.form);
    const QString progress = u"Скачивание фильма: 1 % (0,1 МБ/с)"_s;
    QTest::keyClick(app.form, Qt::Key_F8); // the radio list is active; the line keeps the video
    app.form->showStatus(progress);
    EXPECT_EQ(app.form->statusText(), progress);
    app.form->restoreStatus();
    EXPECT_EQ(app.form->statusText(), u"Ночь живых мертвецов (1968)"_s);

    // A pick during the download waits for its end.
    app.form->showStatus(progress);
    ui.sDBGrid1->setCurrentIndex(ui.sDBGrid1->model()->index(3, 0));
    EXPECT_EQ(app.form->statusText(), progress);
    app.form->restoreStatus();
    EXPECT_EQ(app.form->statusText(), u"Radio Paradise"_s);

    QSignalSpy closing(app.form, &TMainForm::closing);
    app.form->close();
    EXPECT_EQ(closing.size(), 1);
}
