#pragma once

#include "base/MediaKind.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class Dialogs;
class QWidget;

// Playlist files brought into the catalog's active list: chosen in the open-file dialog or
// dropped onto the window. The wait cursor shows while importing; a box tells how many rows
// were added, or the first problem, and then the list is read again.
class PlaylistImport : public QObject {
    Q_OBJECT
public:
    struct Window {
        QWidget& widget;                                // takes the dropped files
        std::function<MediaKind()> activeList;          // the list the files go to
        std::function<void()> reread;                   // shows the list again afterwards
        std::function<void(std::function<void()>)> run; // runs a command as the window does
    };
    PlaylistImport(Window window, Dialogs& dialogs, QString catalogPath);

    // The open-file dialog, then the import of the files chosen.
    void chooseAndImport();
    void import(const QStringList& files);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Window m_window;
    Dialogs& m_dialogs;
    QString m_catalogPath;
};
