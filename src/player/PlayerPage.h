#pragma once

#include <QString>

class BrowserView;

// The player page: the page texts the program shows and the file main.html in the
// executable's directory through which the player view shows them.
class PlayerPage {
public:
    // The video template with its placeholder replaced by the object fragment.
    [[nodiscard]] static QString videoPage(const QString& fragment);
    // A Windows Media Player page for a radio stream; nothing is escaped.
    [[nodiscard]] static QString radioPage(const QString& address, const QString& name);
    // The page that offers the .flv link of a film; nothing is escaped.
    [[nodiscard]] static QString filmDownloadPage(const QString& title, const QString& link);

    PlayerPage(QString directory, BrowserView& view);

    [[nodiscard]] QString path() const;
    // Writes `text` as main.html in windows-1251 ("?" for what it cannot hold, no
    // byte-order mark, nothing added), then shows the file in the player view.
    // Throws Failure when the file cannot be written (nothing is shown then) or
    // when the view refuses.
    void writeAndShow(const QString& text);

private:
    QString m_directory;
    BrowserView& m_view;
};
