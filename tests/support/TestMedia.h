#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class LoopbackHttpServer;

// Short media made with ffmpeg at test time (never downloaded) and served from a
// loopback server: an MP3 stream, an H.264 MP4, and two-segment HLS playlists (AAC
// audio, H.264 video). Paths on the server are listed beside each function.
namespace TestMedia {

// True when ffmpeg made every file; the failure is printed otherwise.
bool make(const QString& folder);
// Routes every made file on the server:
//   /radio.mp3, /clip.mp4, /audio/list.m3u8 (+ segments), /video/list.m3u8 (+ segments).
void serve(const QString& folder, LoopbackHttpServer& server);

} // namespace TestMedia
