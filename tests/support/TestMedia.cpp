#include "support/TestMedia.h"

#include "support/LoopbackHttpServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

bool ffmpeg(const QString& folder, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(u"ffmpeg"_s,
                  QStringList{u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-y"_s} + arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        QTextStream(stderr) << "ffmpeg " << arguments.join(u' ') << " failed: " << process.readAll() << '\n';
        return false;
    }
    return true;
}

QByteArray contentTypeOf(const QString& name) {
    if (name.endsWith(u".mp3"_s))
        return "audio/mpeg";
    if (name.endsWith(u".mp4"_s))
        return "video/mp4";
    if (name.endsWith(u".m3u8"_s))
        return "application/vnd.apple.mpegurl";
    if (name.endsWith(u".ts"_s))
        return "video/mp2t";
    return "application/octet-stream";
}

} // namespace

namespace TestMedia {

bool make(const QString& folder) {
    const QString tone = u"sine=frequency=440:duration=8"_s;
    const QString picture = u"testsrc=size=320x240:rate=25:duration=8"_s;
    QDir(folder).mkpath(u"audio"_s);
    QDir(folder).mkpath(u"video"_s);
    return ffmpeg(folder, {u"-f"_s, u"lavfi"_s, u"-i"_s, tone, u"-c:a"_s, u"libmp3lame"_s, u"-b:a"_s,
                           u"64k"_s, u"radio.mp3"_s}) &&
           ffmpeg(folder, {u"-f"_s, u"lavfi"_s, u"-i"_s, picture, u"-f"_s, u"lavfi"_s, u"-i"_s, tone,
                           u"-c:v"_s, u"libx264"_s, u"-pix_fmt"_s, u"yuv420p"_s, u"-c:a"_s, u"aac"_s,
                           u"-movflags"_s, u"+faststart"_s, u"-shortest"_s, u"clip.mp4"_s}) &&
           ffmpeg(folder, {u"-f"_s, u"lavfi"_s, u"-i"_s, tone, u"-c:a"_s, u"aac"_s, u"-f"_s, u"hls"_s,
                           u"-hls_time"_s, u"4"_s, u"-hls_list_size"_s, u"0"_s, u"-hls_segment_filename"_s,
                           u"audio/seg%d.ts"_s, u"audio/list.m3u8"_s}) &&
           ffmpeg(folder, {u"-f"_s,
                           u"lavfi"_s,
                           u"-i"_s,
                           picture,
                           u"-f"_s,
                           u"lavfi"_s,
                           u"-i"_s,
                           tone,
                           u"-c:v"_s,
                           u"libx264"_s,
                           u"-pix_fmt"_s,
                           u"yuv420p"_s,
                           u"-g"_s,
                           u"25"_s,
                           u"-c:a"_s,
                           u"aac"_s,
                           u"-shortest"_s,
                           u"-f"_s,
                           u"hls"_s,
                           u"-hls_time"_s,
                           u"4"_s,
                           u"-hls_list_size"_s,
                           u"0"_s,
                           u"-hls_segment_filename"_s,
                           u"video/seg%d.ts"_s,
                           u"video/list.m3u8"_s});
}

void serve(const QString& folder, LoopbackHttpServer& server) {
    const QDir root(folder);
    for (const QString& sub : {QString(), u"audio"_s, u"video"_s}) {
        const QDir dir(root.filePath(sub));
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString path = sub.isEmpty() ? u"/"_s + name : u"/%1/%2"_s.arg(sub, name);
            server.route(path.toUtf8(), file.readAll(), contentTypeOf(name));
        }
    }
}

} // namespace TestMedia
