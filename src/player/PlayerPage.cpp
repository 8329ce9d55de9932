#include "player/PlayerPage.h"

#include "base/BrowserView.h"
#include "base/Failure.h"
#include "base/IcuConverter.h"

#include <QDir>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

const QString placeholder = u"ссылка"_s;
const QString videoTemplate =
    u"<HTML><BODY><div align=\"center\"><object id=\"ссылка</object></div></BODY></HTML>"_s;

const QString radioP1 = u"<html><body><div align=\"center\"><object id=\"mp\" type=\"application/x-ms-wmp\" "
                        u"width=\"360\" height=\"64\"><param name=\"URL\" value=\""_s;
const QString radioP2 =
    u"\"><param name=\"uiMode\" value=\"mini\"><param name=\"volume\" value=\"100\"><param "
    u"name=\"autoStart\" value=\"true\"><embed type=\"application/x-mplayer2\" src=\""_s;
const QString radioP3 = u"\" width=\"360\" height=\"64\"></embed></object><br><strong>Вы слушаете "_s;
const QString radioP4 = u"</strong></div></body></html>"_s;

const QString filmPiece1 = u"<html><body><div align=\"center\">Вы пытаетесь скачать фильм <strong>"_s;
const QString filmPiece2 =
    u".</strong> Для перехода к скачиванию фильма нажмите на ссылку <a href=\"http://"_s;
const QString filmPiece3 = u".flv\">Скачать фильм</a></div></body></html>"_s;

// Cyrillic single-byte code page, the stand-in for the Windows ANSI code page.
QByteArray toWindows1251(const QString& text) {
    UErrorCode status = U_ZERO_ERROR;
    IcuConverter converter(ucnv_open("windows-1251", &status));
    if (U_FAILURE(status))
        throw Failure(u"Code page windows-1251 is not available: "_s +
                      QString::fromLatin1(u_errorName(status)));
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    if (U_FAILURE(status))
        throw Failure(u"Code page windows-1251 is not available: "_s +
                      QString::fromLatin1(u_errorName(status)));

    // One byte per code point at most, plus room for the terminator ICU may add.
    QByteArray bytes(text.size() + 1, Qt::Uninitialized);
    const int32_t written = ucnv_fromUChars(converter.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
                                            reinterpret_cast<const UChar*>(text.utf16()),
                                            static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status))
        throw Failure(u"Cannot convert the page to windows-1251: "_s +
                      QString::fromLatin1(u_errorName(status)));
    bytes.truncate(written);
    return bytes;
}

} // namespace

QString PlayerPage::videoPage(const QString& fragment) {
    // QString::replace does not rescan what it inserts, so a placeholder inside
    // the fragment stays as it is.
    return QString(videoTemplate).replace(placeholder, fragment);
}

QString PlayerPage::radioPage(const QString& address, const QString& name) {
    return radioP1 + address + radioP2 + address + radioP3 + name + radioP4;
}

QString PlayerPage::filmDownloadPage(const QString& title, const QString& link) {
    return filmPiece1 + title + filmPiece2 + link + filmPiece3;
}

PlayerPage::PlayerPage(QString directory, BrowserView& view)
    : m_directory(std::move(directory)), m_view(view) {}

QString PlayerPage::path() const {
    return QDir(m_directory).filePath(u"main.html"_s);
}

void PlayerPage::writeAndShow(const QString& text) {
    const QByteArray bytes = toWindows1251(text);
    const QString file = path();
    // Written beside the old page and renamed over it, so a full disk or a crash leaves the
    // old page whole; where the folder takes no new file, written in place.
    QSaveFile out(file);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure(
            u"Cannot create file \"%1\". %2"_s.arg(QDir::toNativeSeparators(file), out.errorString()));
    // A full disk first takes part of a write; only the next write tells why it stopped.
    qint64 written = 0;
    for (qint64 step = 0; written < bytes.size(); written += step)
        if ((step = out.write(bytes.constData() + written, bytes.size() - written)) <= 0)
            break;
    if (written != bytes.size() || !out.commit())
        throw Failure(
            u"Cannot write file \"%1\". %2"_s.arg(QDir::toNativeSeparators(file), out.errorString()));
    m_view.navigate(file);
}
