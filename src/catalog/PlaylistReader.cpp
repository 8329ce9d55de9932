#include "catalog/PlaylistReader.h"

#include "net/CharsetDecoder.h"

#include <QMap>
#include <QRegularExpression>
#include <QUrl>
#include <QUtf8StringView>

using namespace Qt::StringLiterals;

namespace {

// Control bytes that never occur in a text file (tab, line breaks, form feed and the old
// end-of-file and escape marks aside): their first one makes the file binary.
int firstBinaryLine(const QByteArray& bytes) {
    int line = 1;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n')
            ++line;
        else if (byte <= 0x08 || (byte >= 0x0E && byte <= 0x1F && byte != 0x1A && byte != 0x1B))
            return line;
    }
    return 0;
}

// The file's bytes as UTF-8: without its byte order mark, or from windows-1251 when they are
// not UTF-8. The lines of a long channel list are then taken as views into these bytes and
// only titles and addresses become strings.
QByteArray utf8Body(const QByteArray& bytes) {
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    if (QUtf8StringView(body).isValidUtf8())
        return body;
    return CharsetDecoder::decode(body, "text/plain; charset=windows-1251").toUtf8();
}

QList<QByteArrayView> splitByteLines(const QByteArray& body) {
    QList<QByteArrayView> lines;
    lines.reserve(body.count('\n') + 1);
    qsizetype start = 0;
    while (true) {
        const qsizetype end = body.indexOf('\n', start);
        QByteArrayView line(body.constData() + start, (end < 0 ? body.size() : end) - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
        if (end < 0)
            return lines;
        start = end + 1;
    }
}

// The lines of `text` as views into it (lists of 100,000 channels are read without copies).
QList<QStringView> splitLines(const QString& text) {
    QList<QStringView> lines = QStringView(text).split(u'\n');
    for (QStringView& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

const QString badAddress =
    u"неверный адрес «%1»: нужен полный адрес со схемой и узлом, например http://example.com/stream"_s;

class Collector {
public:
    explicit Collector(Playlist& list) : m_list(list) {}
    void error(int line, const QString& text) { m_list.errors.append({line, text}); }
    void warning(int line, const QString& text) { m_list.warnings.append({line, text}); }
    void entry(const QString& title, const QString& address, int line) {
        if (!PlaylistReader::isPlayableAddress(address)) {
            error(line, badAddress.arg(address));
            return;
        }
        m_list.entries.append({title.isEmpty() ? address : title, address, line});
    }

private:
    Playlist& m_list;
};

bool startsWithCi(QStringView text, QStringView prefix) {
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

bool startsWithCi(QByteArrayView line, QByteArrayView prefix) {
    return line.size() >= prefix.size() &&
           qstrnicmp(line.data(), prefix.size(), prefix.data(), prefix.size()) == 0;
}

QString fromUtf8(QByteArrayView bytes) {
    return QString::fromUtf8(bytes.data(), bytes.size());
}

// The title of an #EXTINF line: what follows the first comma outside quoted attribute values.
QString extinfTitle(QByteArrayView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ',' && !quoted)
            return fromUtf8(line.sliced(i + 1).trimmed());
    }
    return {};
}

void readM3u(const QList<QByteArrayView>& lines, Collector& out) {
    QString title;
    int titleLine = 0; // the line of an #EXTINF still waiting for its address
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith('#')) {
            if (startsWithCi(line, "#EXTINF:")) {
                if (titleLine > 0)
                    out.warning(titleLine, u"у записи #EXTINF нет адреса, она пропущена"_s);
                title = extinfTitle(line);
                titleLine = i + 1;
            }
            continue; // #EXTM3U, #EXTVLCOPT, #EXTGRP and comments
        }
        out.entry(title, fromUtf8(line), i + 1);
        title.clear();
        titleLine = 0;
    }
    if (titleLine > 0)
        out.warning(titleLine, u"у записи #EXTINF нет адреса, она пропущена"_s);
}

void readPls(const QList<QStringView>& lines, Collector& out) {
    struct Item {
        QString address;
        QString title;
        int fileLine = 0;
        int titleLine = 0;
    };
    static const QRegularExpression numbered(u"^(file|title|length)(\\d+)$"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    QMap<qint64, Item> items;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed().toString();
        if (line.isEmpty() || line.startsWith(u'[') || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            out.error(i + 1, u"строка не похожа на запись PLS (ключ=значение)"_s);
            continue;
        }
        const auto match = numbered.match(line.left(equals).trimmed());
        if (!match.hasMatch())
            continue; // NumberOfEntries, Version and the like
        const QString key = match.captured(1).toLower();
        Item& item = items[match.captured(2).toLongLong()];
        const QString value = line.mid(equals + 1).trimmed();
        if (key == u"file"_s) {
            if (item.fileLine > 0)
                out.error(i + 1, u"%1 уже задан в строке %2"_s.arg(match.captured(0)).arg(item.fileLine));
            item.address = value;
            item.fileLine = i + 1;
        } else if (key == u"title"_s) {
            item.title = value;
            item.titleLine = i + 1;
        }
    }
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        if (it->fileLine == 0) {
            if (it->titleLine > 0)
                out.warning(it->titleLine, u"у Title%1 нет File%1, запись пропущена"_s.arg(it.key()));
            continue;
        }
        out.entry(it->title, it->address, it->fileLine);
    }
}

// RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks.
void readCsv(const QString& text, Collector& out) {
    QStringList fields;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the current field began with a quote
    bool recordOpen = false; // something of the current record has been read
    int line = 1;
    int recordLine = 1;
    bool firstRecord = true;
    const auto endRecord = [&] {
        fields.append(wasQuoted ? field : field.trimmed());
        field.clear();
        wasQuoted = false;
        const bool blank = fields.size() == 1 && fields[0].isEmpty();
        if (recordOpen && !blank) {
            // A first record whose second field is no address is a header.
            const bool header = firstRecord && fields.size() == 2 && !fields[1].contains(u"://"_s);
            firstRecord = false;
            if (fields.size() != 2)
                out.error(recordLine, u"нужны два поля, «название,адрес», а их %1"_s.arg(fields.size()));
            else if (!header)
                out.entry(fields[0].trimmed(), fields[1].trimmed(), recordLine);
        }
        fields.clear();
        recordOpen = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                if (c != u'\r' || i + 1 >= text.size() || text[i + 1] != u'\n')
                    field += c;
            }
            continue;
        }
        if (c == u'\n') {
            endRecord();
            ++line;
            recordLine = line;
        } else if (c == u'\r') {
            continue;
        } else if (c == u',') {
            fields.append(wasQuoted ? field : field.trimmed());
            field.clear();
            wasQuoted = false;
            recordOpen = true;
        } else if (c == u'"' && field.trimmed().isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            field.clear();
            recordOpen = true;
        } else {
            field += c;
            if (!c.isSpace())
                recordOpen = true;
        }
    }
    if (quoted)
        out.error(recordLine, u"кавычка не закрыта до конца файла"_s);
    else
        endRecord();
}

// An HLS playlist names the segments or variants of one stream.
int hlsLine(const QList<QByteArrayView>& lines) {
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines[i].trimmed();
        if (startsWithCi(line, "#EXT-X-TARGETDURATION") || startsWithCi(line, "#EXT-X-MEDIA-SEQUENCE") ||
            startsWithCi(line, "#EXT-X-STREAM-INF"))
            return i + 1;
    }
    return 0;
}

enum class Format { M3u, Pls, Csv };

Format formatOf(const QList<QByteArrayView>& lines) {
    static const QRegularExpression plsKey(u"^file\\d+\\s*="_s, QRegularExpression::CaseInsensitiveOption);
    for (const QByteArrayView raw : lines) {
        const QString line = fromUtf8(raw.trimmed());
        if (line.isEmpty())
            continue;
        if (startsWithCi(line, u"[playlist]") || plsKey.match(line).hasMatch())
            return Format::Pls;
        if (line.startsWith(u'#') || PlaylistReader::isPlayableAddress(line))
            return Format::M3u;
        return Format::Csv;
    }
    return Format::M3u;
}

} // namespace

bool PlaylistReader::isPlayableAddress(const QString& address) {
    if (address.isEmpty())
        return false;
    for (const QChar c : address)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c.isSpace())
            return false;
    const QUrl url(address);
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}

Playlist PlaylistReader::read(const QByteArray& bytes) {
    Playlist list;
    Collector out(list);
    if (const int line = firstBinaryLine(bytes)) {
        out.error(line, u"файл двоичный, это не список воспроизведения"_s);
        return list;
    }
    const QByteArray body = utf8Body(bytes);
    if (QByteArrayView(body).trimmed().isEmpty()) {
        out.error(1, u"файл пуст"_s);
        return list;
    }
    const QList<QByteArrayView> lines = splitByteLines(body);
    switch (formatOf(lines)) {
    case Format::Pls: {
        const QString text = QString::fromUtf8(body);
        readPls(splitLines(text), out);
        break;
    }
    case Format::Csv:
        readCsv(QString::fromUtf8(body), out);
        break;
    case Format::M3u:
        if (const int line = hlsLine(lines)) {
            out.error(line, u"это HLS-плейлист одного потока, а не список каналов; чтобы добавить поток, "
                            u"импортируйте его адрес одной записью: строкой адреса в файле .m3u или "
                            u"строкой «название,адрес» в файле .csv"_s);
            return list;
        }
        readM3u(lines, out);
        break;
    }
    if (list.entries.isEmpty() && list.errors.isEmpty())
        out.error(1, u"в списке нет ни одной записи"_s);
    return list;
}
