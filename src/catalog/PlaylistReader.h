#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One item of a playlist: what the list calls it and where it plays, with the line of the
// file the address stands on (the line a problem with it is reported at).
struct PlaylistEntry {
    QString title; // empty when the list gives none
    QString address;
    int line = 0;
};

// Something wrong with a line of the file (line 1 for the file as a whole).
struct PlaylistProblem {
    int line = 0;
    QString text;
};

struct Playlist {
    QList<PlaylistEntry> entries;
    QList<PlaylistProblem> errors;   // the list must not be stored
    QList<PlaylistProblem> warnings; // stored anyway; the user is told
};

// Reads a playlist people keep their channels and stations in, by its content rather than its
// name: an M3U/M3U8 channel list (with or without #EXTM3U, #EXTINF attributes and titles),
// a PLS station list, or a CSV of "title,address" records (RFC 4180, optional header).
// The text is UTF-8 (a byte order mark is dropped) or else windows-1251. An HLS playlist is a
// single stream, not a list, and is refused; so are binary and empty files. Every address
// must be absolute, with a scheme and a host.
class PlaylistReader {
public:
    [[nodiscard]] static Playlist read(const QByteArray& bytes);

    // An address a player can be given: absolute, with a scheme and a host, and nothing
    // that would cut it (blanks, control characters).
    [[nodiscard]] static bool isPlayableAddress(const QString& address);
};
