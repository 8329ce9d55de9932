#include "settings/IniFile.h"

#include "base/Failure.h"
#include "settings/IntegerText.h"

#include <QFile>
#include <QList>
#include <QSaveFile>
#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// windows-1251, the code page a new file is written in. 0x98 has no character in it;
// it is carried as U+0098 so that such a byte survives a rewrite of its line.
constexpr std::array<char16_t, 64> kCp1251From80 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char16_t cp1251ToUnicode(unsigned char byte) {
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return char16_t(0x0410 + (byte - 0xC0));
    return kCp1251From80[byte - 0x80];
}

std::optional<char> unicodeToCp1251(char32_t c) {
    if (c < 0x80)
        return char(c);
    if (c >= 0x0410 && c <= 0x044F)
        return char(0xC0 + (c - 0x0410));
    for (std::size_t i = 0; i < kCp1251From80.size(); ++i) {
        if (kCp1251From80[i] == c)
            return char(0x80 + i);
    }
    return std::nullopt;
}

enum class Encoding { Ansi, Utf8, Utf16Le };

QString decode(QByteArrayView bytes, Encoding encoding) {
    switch (encoding) {
    case Encoding::Ansi: {
        QString text(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            text[i] = QChar(cp1251ToUnicode(static_cast<unsigned char>(bytes[i])));
        return text;
    }
    case Encoding::Utf8:
        return QString::fromUtf8(bytes);
    case Encoding::Utf16Le: {
        QString text(bytes.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        return text;
    }
    }
    return {};
}

QByteArray encode(const QString& text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Ansi: {
        // Like the system conversion: a character the code page lacks becomes "?".
        QByteArray bytes;
        bytes.reserve(text.size());
        for (const char32_t c : text.toUcs4())
            bytes.append(unicodeToCp1251(c).value_or('?'));
        return bytes;
    }
    case Encoding::Utf8:
        return text.toUtf8();
    case Encoding::Utf16Le: {
        QByteArray bytes;
        bytes.reserve(text.size() * 2);
        for (const QChar c : text) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
        return bytes;
    }
    }
    return {};
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimmedBlanks(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

bool sameName(QStringView a, QStringView b) {
    return trimmedBlanks(a).compare(trimmedBlanks(b), Qt::CaseInsensitive) == 0;
}

// The file as raw bytes cut into lines, so that a write can change one line or insert one
// and copy every other byte unchanged, whatever the file holds.
struct Document {
    struct Line {
        qsizetype start = 0;
        qsizetype contentEnd = 0; // before the "\r\n" or "\n"
        qsizetype end = 0;        // after it
        QString text;
    };

    QByteArray bytes;
    Encoding encoding = Encoding::Ansi;
    QList<Line> lines;
    QString eol = u"\r\n"_s;

    explicit Document(QByteArray raw) : bytes(std::move(raw)) {
        qsizetype pos = 0;
        if (bytes.startsWith("\xFF\xFE")) {
            encoding = Encoding::Utf16Le;
            pos = 2;
            // Half a character at the end is no text: keeping it would put every line
            // appended after it out of step, so that nothing written could be read back.
            if (bytes.size() % 2 != 0)
                bytes.chop(1);
        } else if (bytes.startsWith("\xEF\xBB\xBF")) {
            encoding = Encoding::Utf8;
            pos = 3;
        }
        const qsizetype unit = encoding == Encoding::Utf16Le ? 2 : 1;
        const auto unitAt = [&](qsizetype i) {
            return unit == 1 ? char16_t(static_cast<unsigned char>(bytes[i]))
                             : char16_t(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8);
        };
        bool eolKnown = false;
        qsizetype start = pos;
        for (qsizetype i = pos; i + unit <= bytes.size(); i += unit) {
            if (unitAt(i) != u'\n')
                continue;
            qsizetype contentEnd = i;
            const bool crlf = i - unit >= start && unitAt(i - unit) == u'\r';
            if (crlf)
                contentEnd -= unit;
            if (!eolKnown) {
                eol = crlf ? u"\r\n"_s : u"\n"_s;
                eolKnown = true;
            }
            addLine(start, contentEnd, i + unit);
            start = i + unit;
        }
        if (start < bytes.size())
            addLine(start, bytes.size(), bytes.size());
    }

    void addLine(qsizetype start, qsizetype contentEnd, qsizetype end) {
        lines.append({start, contentEnd, end,
                      decode(QByteArrayView(bytes).sliced(start, contentEnd - start), encoding)});
    }

    struct Match {
        qsizetype sectionLine = -1;     // the header of the first section of that name
        qsizetype lastContentLine = -1; // the section's last line that is not blank
        qsizetype keyLine = -1;
    };

    // Only the first section of a name counts, and the first key of a name within it.
    [[nodiscard]] Match find(QStringView section, QStringView key) const {
        Match match;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QStringView line = trimmedBlanks(lines[i].text);
            if (line.startsWith(u'[')) {
                const qsizetype close = line.lastIndexOf(u']');
                if (close < 0)
                    continue;
                if (match.sectionLine >= 0)
                    break;
                if (sameName(line.sliced(1, close - 1), section))
                    match.sectionLine = match.lastContentLine = i;
                continue;
            }
            if (match.sectionLine < 0 || line.isEmpty())
                continue;
            match.lastContentLine = i;
            if (line.startsWith(u';'))
                continue;
            const qsizetype eq = line.indexOf(u'=');
            if (sameName(eq < 0 ? line : line.first(eq), key)) {
                match.keyLine = i;
                break;
            }
        }
        return match;
    }

    [[nodiscard]] std::optional<QString> value(QStringView section, QStringView key) const {
        const Match match = find(section, key);
        if (match.keyLine < 0)
            return std::nullopt;
        const QString& line = lines[match.keyLine].text;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            return QString();
        QStringView value = trimmedBlanks(QStringView(line).sliced(eq + 1));
        if (value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.sliced(1, value.size() - 2);
        return value.first(std::min(value.size(), IniFile::MaxValueLength)).toString();
    }

    void set(const QString& section, const QString& key, const QString& value) {
        const Match match = find(section, key);
        if (match.keyLine >= 0) {
            // Keep the key as the file spells it, and the blanks up to the value.
            const Line& line = lines[match.keyLine];
            const qsizetype eq = line.text.indexOf(u'=');
            QString prefix;
            if (eq < 0) {
                qsizetype keyEnd = line.text.size();
                while (keyEnd > 0 && isBlank(line.text[keyEnd - 1]))
                    --keyEnd;
                prefix = line.text.first(keyEnd) + u'=';
            } else {
                qsizetype valueStart = eq + 1;
                while (valueStart < line.text.size() && isBlank(line.text[valueStart]))
                    ++valueStart;
                prefix = line.text.first(valueStart);
            }
            bytes.replace(line.start, line.contentEnd - line.start, encode(prefix + value, encoding));
        } else if (match.sectionLine >= 0) {
            const Line& after = lines[match.lastContentLine];
            const QString text = key + u'=' + value;
            if (after.end == after.contentEnd) // the file's last line, without a line break
                bytes.insert(after.end, encode(eol + text, encoding));
            else
                bytes.insert(after.end, encode(text + eol, encoding));
        } else {
            QString text = u'[' + section + u']' + eol + key + u'=' + value + eol;
            if (!lines.isEmpty() && lines.last().end == lines.last().contentEnd)
                text.prepend(eol);
            bytes.append(encode(text, encoding));
        }
    }
};

std::optional<QByteArray> readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const auto bytes = readBytes(m_path);
    if (!bytes)
        return defaultValue;
    return Document(*bytes).value(section, key).value_or(defaultValue);
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const Failure failure(u"Unable to write to "_s + m_path);
    QByteArray existing;
    if (QFile::exists(m_path)) {
        const auto bytes = readBytes(m_path);
        if (!bytes)
            throw failure;
        existing = *bytes;
    }
    // A line break in a value would end its line and start another key or section.
    QString flat = value;
    flat.replace(u'\r', u' ').replace(u'\n', u' ');

    Document document(std::move(existing));
    document.set(section, key, flat);

    // Written beside the old file and renamed over it, so an interrupted write cannot
    // leave half a file; where the directory takes no new file, written in place.
    QSaveFile file(m_path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(document.bytes) != document.bytes.size() ||
        !file.commit())
        throw failure;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const auto bytes = readBytes(m_path);
    if (!bytes)
        return defaultValue;
    const auto text = Document(*bytes).value(section, key);
    if (!text)
        return defaultValue;
    return IntegerText::parse(*text).value_or(defaultValue);
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? u"1"_s : u"0"_s);
}
