// The settings file as found on disk: every value is read, then one of them is written back
// as it was read (or a new one added) and everything is read again. Writing what was read
// must change nothing that a read sees; adding a key must change nothing but that key.
// Input: the file's bytes.
#include "FuzzParts.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QString kMissing = u"\u0001missing"_s;

const QStringList& sections() {
    static const QStringList names{u"Main"_s, u"proxy"_s, u"\u0416"_s};
    return names;
}

const QStringList& keys() {
    static const QStringList names{u"Site"_s, u"port"_s, u"\u043A\u043B\u044E\u0447"_s};
    return names;
}

QList<QString> readAll(const IniFile& file) {
    QList<QString> values;
    for (const QString& section : sections())
        for (const QString& key : keys())
            values << file.ReadString(section, key, kMissing);
    return values;
}

// A value the file cannot give back as written, since values are written as they are: its
// enclosing quotes are taken off on reading, and so are blanks at its ends (which only quotes
// in the file could keep); a lone CR, read as part of a line, is written as a blank.
bool changesOnReading(const QString& value) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    if (value.contains(u'\r') || value.contains(u'\n'))
        return true;
    if (!value.isEmpty() && (blank(value.front()) || blank(value.back())))
        return true;
    return value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') &&
           value.back() == value.front();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(u"Config.ini"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    // A file ending in a lone CR: the line break added after it completes a CR LF, so the
    // last value loses its CR. Accepted: nothing writes such a file but a fuzzer.
    if (size > 0 && data[size - 1] == '\r')
        return 0;
    IniFile ini(path);
    const QList<QString> before = readAll(ini);

    const qsizetype count = sections().size() * keys().size();
    const qsizetype chosen = qsizetype(size % std::size_t(count));
    const QString& section = sections()[chosen / keys().size()];
    const QString& key = keys()[chosen % keys().size()];
    const bool present = before[chosen] != kMissing;
    if (present && changesOnReading(before[chosen]))
        return 0;
    const QString written = present ? before[chosen] : u"new value"_s;
    ini.WriteString(section, key, written);

    QList<QString> expected = before;
    expected[chosen] = written;
    FUZZ_CHECK(readAll(ini) == expected);
    return 0;
}
