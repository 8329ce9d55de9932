#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebEngineDownloadRequest>

class Dialogs;
class QWebEnginePage;

// Saves what a page in the player view downloads (the film link, or any other download it
// starts) into one folder, one download at a time. Downloads of other pages on the same
// profile are left to the engine.
class FilmDownloads : public QObject {
    Q_OBJECT
public:
    // directory: where files land (the user's download folder; a temporary one in tests).
    FilmDownloads(QWebEnginePage& page, Dialogs& dialogs, QString directory, QObject* parent = nullptr);
    // Ends a running download like cancelAll(), without signals.
    ~FilmDownloads() override;

    // Stops the running download and removes its partial file (the program is ending).
    void cancelAll();
    [[nodiscard]] bool isRunning() const { return !m_current.isNull(); }

signals:
    // The text for the status line while a download runs.
    void progress(const QString& text);
    // The download is over, whatever the outcome: the status line shows its own text again.
    void ended();

private:
    void onRequested(QWebEngineDownloadRequest* request);
    // Saves request as path and follows it.
    void track(QWebEngineDownloadRequest* request, const QString& path);
    void onStateChanged(QWebEngineDownloadRequest::DownloadState state);
    void showProgress();
    // Forgets the running download; with removeFile its partial file goes too.
    // Stops the running download quietly and removes its file; false when none runs.
    bool abandon();
    void finish(bool removeFile);
    // Boxes wait for the engine's signal to return: a modal loop inside it is not safe.
    void showLater(const QString& text);

    QWebEnginePage& m_page;
    Dialogs& m_dialogs;
    QString m_directory;
    QPointer<QWebEngineDownloadRequest> m_current;
    QString m_path;
    QElapsedTimer m_clock;
};
