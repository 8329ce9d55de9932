#include "player/ui/FilmDownloads.h"

#include "base/Dialogs.h"
#include "player/FreeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

namespace {

// The engine reports it when a server closes before the length it announced; Qt 6.4's
// enum has no name for it and its text for it says the user cancelled.
constexpr int serverContentLengthMismatch = 38;

// The user reads Russian; the engine's own texts are English.
QString reasonText(const QWebEngineDownloadRequest& request) {
    using R = QWebEngineDownloadRequest;
    const int reason = request.interruptReason();
    if (reason == serverContentLengthMismatch)
        return u"соединение оборвалось до конца файла"_s;
    switch (reason) {
    case R::FileAccessDenied:
        return u"нет доступа к папке загрузок"_s;
    case R::FileNoSpace:
        return u"на диске не осталось места"_s;
    case R::FileNameTooLong:
        return u"слишком длинное имя файла"_s;
    case R::FileTooLarge:
        return u"файл слишком велик"_s;
    case R::FileFailed:
    case R::FileTransientError:
        return u"ошибка записи файла"_s;
    case R::NetworkFailed:
    case R::NetworkDisconnected:
        return u"соединение прервано"_s;
    case R::NetworkInvalidRequest:
        return u"неверный запрос"_s;
    case R::NetworkTimeout:
        return u"истекло время ожидания"_s;
    case R::NetworkServerDown:
    case R::ServerUnreachable:
        return u"сервер недоступен"_s;
    case R::ServerFailed:
    case R::ServerBadContent:
        return u"ошибка сервера"_s;
    case R::ServerUnauthorized:
    case R::ServerForbidden:
        return u"сервер отказал в доступе"_s;
    case R::ServerCertProblem:
        return u"ошибка сертификата сервера"_s;
    case R::FileVirusInfected:
    case R::FileBlocked:
    case R::FileSecurityCheckFailed:
        return u"файл заблокирован системой безопасности"_s;
    case R::UserCanceled:
        return u"загрузка отменена"_s;
    default:
        break;
    }
    return u"ошибка загрузки (код %1)"_s.arg(reason);
}

} // namespace

FilmDownloads::FilmDownloads(QWebEnginePage& page, Dialogs& dialogs, QString directory, QObject* parent)
    : QObject(parent), m_page(page), m_dialogs(dialogs), m_directory(std::move(directory)) {
    // Requests nobody accepts are cancelled by the engine once the signal returns.
    connect(page.profile(), &QWebEngineProfile::downloadRequested, this, &FilmDownloads::onRequested);
}

FilmDownloads::~FilmDownloads() {
    abandon();
}

void FilmDownloads::cancelAll() {
    if (abandon())
        emit ended();
}

bool FilmDownloads::abandon() {
    if (!m_current)
        return false;
    m_current->disconnect(this);
    m_current->cancel();
    finish(true);
    return true;
}

void FilmDownloads::onRequested(QWebEngineDownloadRequest* request) {
    if (request->page() != &m_page || request->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    if (m_current && request->id() == m_current->id()) {
        // The engine resumes our download after a lost connection with a new request for it.
        m_current->disconnect(this);
        track(request, m_path);
        return;
    }
    if (m_current) {
        request->cancel();
        showLater(u"Фильм уже скачивается. Дождитесь конца загрузки, потом начните следующую."_s);
        return;
    }
    QDir().mkpath(m_directory);
    QString suggested = request->suggestedFileName();
    if (suggested.isEmpty())
        suggested = request->downloadFileName();
    m_clock.start();
    track(request, QDir(m_directory).filePath(freeFileName(m_directory, suggested)));
}

void FilmDownloads::track(QWebEngineDownloadRequest* request, const QString& path) {
    const QFileInfo target(path);
    request->setDownloadDirectory(target.path());
    request->setDownloadFileName(target.fileName());
    m_path = path;
    m_current = request;
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this, &FilmDownloads::showProgress);
    connect(request, &QWebEngineDownloadRequest::totalBytesChanged, this, &FilmDownloads::showProgress);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, &FilmDownloads::onStateChanged);
    request->accept();
    showProgress();
}

void FilmDownloads::showProgress() {
    if (m_current)
        emit progress(
            downloadProgressText(m_current->receivedBytes(), m_current->totalBytes(), m_clock.elapsed()));
}

void FilmDownloads::onStateChanged(QWebEngineDownloadRequest::DownloadState state) {
    if (!m_current)
        return;
    switch (state) {
    case QWebEngineDownloadRequest::DownloadRequested:
    case QWebEngineDownloadRequest::DownloadInProgress:
        return;
    case QWebEngineDownloadRequest::DownloadCompleted: {
        const QString path = m_path;
        m_current->disconnect(this);
        finish(false);
        emit ended();
        showLater(u"Фильм сохранён: "_s + path);
        return;
    }
    case QWebEngineDownloadRequest::DownloadCancelled:
    case QWebEngineDownloadRequest::DownloadInterrupted: {
        const QString reason = reasonText(*m_current);
        m_current->disconnect(this);
        // The engine has given up resuming it; cancelling makes it let go of the file too.
        if (state == QWebEngineDownloadRequest::DownloadInterrupted)
            m_current->cancel();
        finish(true);
        emit ended();
        showLater(u"Не удалось скачать фильм: "_s + reason);
        return;
    }
    }
}

void FilmDownloads::finish(bool removeFile) {
    // The engine writes into "<name>.download" and renames it at the end.
    if (removeFile) {
        QFile::remove(m_path + u".download"_s);
        QFile::remove(m_path);
    }
    m_current = nullptr;
    m_path.clear();
}

void FilmDownloads::showLater(const QString& text) {
    QMetaObject::invokeMethod(
        this, [this, text] { m_dialogs.message(text); }, Qt::QueuedConnection);
}
