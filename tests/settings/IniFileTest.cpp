#include "settings/IniFile.h"
#include "base/Failure.h"
#include "settings/IntegerText.h"
#include "support/Failures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = u"Config.ini"_s) const { return m_dir.filePath(name); }

    void put(const QByteArray& bytes, const QString& name = u"Config.ini"_s) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray bytes(const QString& name = u"Config.ini"_s) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QByteArray utf16le(const QString& text) {
        QByteArray out("\xFF\xFE");
        for (const QChar c : text) {
            out.append(char(c.unicode() & 0xFF));
            out.append(char(c.unicode() >> 8));
        }
        return out;
    }

    QTemporaryDir m_dir;
};

TEST_F(IniFileTest, ReadsValuesByProfileRules) {
    put("; saved by hand\r\n"
        "[Proxy]\r\n"
        "  ip =  10.0.0.1  \r\n"
        "PORT=\"8080\"\r\n"
        "quoted=' spaced '\r\n"
        "empty=\r\n"
        "blanks=   \t\r\n"
        "halfQuoted=\"abc\r\n"
        "mixedQuotes=\"abc'\r\n"
        "bare\r\n"
        ";ip=commented\r\n"
        "[ skin ]\r\n"
        "useSkin=Wood (internal)\r\n"
        "[Proxy]\r\n"
        "second=only in a later section of the same name\r\n");
    const IniFile ini(path());
    const struct {
        QString section, key, expected;
    } cases[] = {
        {u"Proxy"_s, u"ip"_s, u"10.0.0.1"_s},
        {u"PROXY"_s, u"IP"_s, u"10.0.0.1"_s},
        {u"proxy"_s, u"port"_s, u"8080"_s},
        {u"Proxy"_s, u"quoted"_s, u" spaced "_s},
        {u"Proxy"_s, u"empty"_s, u""_s},
        {u"Proxy"_s, u"blanks"_s, u""_s},
        {u"Proxy"_s, u"halfQuoted"_s, u"\"abc"_s},
        {u"Proxy"_s, u"mixedQuotes"_s, u"\"abc'"_s},
        {u"Proxy"_s, u"bare"_s, u""_s},
        {u"Proxy"_s, u"useProxy"_s, u"<default>"_s},
        {u"Skin"_s, u"USESKIN"_s, u"Wood (internal)"_s},
        {u"Skin"_s, u"ip"_s, u"<default>"_s},
        {u"Other"_s, u"ip"_s, u"<default>"_s},
        {u"Proxy"_s, u"second"_s, u"<default>"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, u"<default>"_s), c.expected)
            << c.section.toStdString() << "/" << c.key.toStdString();
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsNotCreated) {
    const IniFile ini(path());
    EXPECT_EQ(ini.ReadString(u"Skin"_s, u"useSkin"_s, u"NextAlpha (internal)"_s), u"NextAlpha (internal)"_s);
    EXPECT_TRUE(ini.ReadBool(u"Proxy"_s, u"useProxy"_s, true));
    EXPECT_EQ(ini.ReadInteger(u"Proxy"_s, u"port"_s, 42), 42);
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(IniFileTest, HandEditedNumbersAndBooleans) {
    const struct {
        QByteArray stored;
        int integer; // read with default -7
        bool boolWhenDefaultFalse;
        bool boolWhenDefaultTrue;
    } cases[] = {
        {"1", 1, true, true},
        {"2", 2, true, true},
        {"-1", -1, true, true},
        {"0", 0, false, false},
        {"true", -7, false, true},
        {"", -7, false, true},
        {"\"8080\"", 8080, true, true},
        {"  8080  ", 8080, true, true},
        {"' 8080'", 8080, true, true},
        {"\"8080 \"", -7, false, true},
        {" +5", 5, true, true},
        {"$1F", 31, true, true},
        {"0x10", 16, true, true},
        {"X0", 0, false, false},
        {"2147483647", INT_MAX, true, true},
        {"2147483648", -7, false, true},
        {"-2147483648", INT_MIN, true, true},
        {"12abc", -7, false, true},
    };
    for (const auto& c : cases) {
        put("[Proxy]\r\nuseProxy=" + c.stored + "\r\n");
        const IniFile ini(path());
        EXPECT_EQ(ini.ReadInteger(u"proxy"_s, u"USEPROXY"_s, -7), c.integer) << c.stored.constData();
        EXPECT_EQ(ini.ReadBool(u"Proxy"_s, u"useProxy"_s, false), c.boolWhenDefaultFalse)
            << c.stored.constData();
        EXPECT_EQ(ini.ReadBool(u"Proxy"_s, u"useProxy"_s, true), c.boolWhenDefaultTrue)
            << c.stored.constData();
    }
}

TEST(IntegerText, AcceptsOnlyWholeSigned32BitIntegerText) {
    const struct {
        QString text;
        std::optional<int> value;
    } cases[] = {
        {u"0"_s, 0},
        {u"  42"_s, 42},
        {u"\t-42"_s, -42},
        {u"+0007"_s, 7},
        {u"$ff"_s, 255},
        {u"xFF"_s, 255},
        {u"X1a"_s, 26},
        {u"0x7FFFFFFF"_s, INT_MAX},
        {u"0X10"_s, 16},
        {u"-$80000000"_s, INT_MIN},
        {u"$80000000"_s, std::nullopt},
        {u"$FFFFFFFF"_s, std::nullopt},
        {u"99999999999999999999"_s, std::nullopt},
        {u"-2147483649"_s, std::nullopt},
        {u"00000000000000000000012"_s, 12},
        {u""_s, std::nullopt},
        {u"   "_s, std::nullopt},
        {u"-"_s, std::nullopt},
        {u"$"_s, std::nullopt},
        {u"0x"_s, std::nullopt},
        {u"- 5"_s, std::nullopt},
        {u"5 "_s, std::nullopt},
        {u"1e3"_s, std::nullopt},
        {u"12g"_s, std::nullopt},
        {u"abc"_s, std::nullopt},
        {u"٣"_s, std::nullopt}, // digits of other scripts are not integer text
    };
    for (const auto& c : cases)
        EXPECT_EQ(IntegerText::parse(c.text), c.value) << c.text.toStdString();
}

TEST(IntegerText, ConversionFailureNamesTheTextBetweenDoubledApostrophes) {
    EXPECT_EQ(IntegerText::toInt(u" 0x1F"_s), 31);
    for (const QString& text : {u"abc"_s, u""_s, u"80 80"_s})
        EXPECT_EQ(failureOf([&] { (void)IntegerText::toInt(text); }),
                  u"''"_s + text + u"'' is not a valid integer value"_s);
}

TEST_F(IniFileTest, LongValuesAreCutWhenRead) {
    IniFile ini(path());
    const QString longValue = QString(2046, u'a') + u"bcd"_s;
    ini.WriteString(u"Proxy"_s, u"ip"_s, longValue);
    EXPECT_EQ(ini.ReadString(u"Proxy"_s, u"ip"_s, {}), QString(2046, u'a') + u"b"_s);
    // The quotes come off before the cut.
    put("[Proxy]\r\nip=\"" + QByteArray(2047, 'z') + "\"\r\n");
    EXPECT_EQ(ini.ReadString(u"Proxy"_s, u"ip"_s, {}), QString(2047, u'z'));
}

TEST_F(IniFileTest, FirstWritesCreateFileSectionAndKeyInTheAnsiCodePage) {
    IniFile ini(path());
    ini.WriteString(u"Skin"_s, u"useSkin"_s, u"NextAlpha (internal)"_s);
    EXPECT_EQ(bytes(), QByteArray("[Skin]\r\nuseSkin=NextAlpha (internal)\r\n"));

    ini.WriteBool(u"Proxy"_s, u"useProxy"_s, true);
    ini.WriteString(u"Proxy"_s, u"ip"_s, u"прокси.рф"_s);
    ini.WriteString(u"Proxy"_s, u"port"_s, u"€ 中"_s);
    ini.WriteBool(u"PROXY"_s, u"USEPROXY"_s, false);
    EXPECT_EQ(bytes(),
              QByteArray("[Skin]\r\nuseSkin=NextAlpha (internal)\r\n"
                         "[Proxy]\r\nuseProxy=0\r\nip=\xEF\xF0\xEE\xEA\xF1\xE8.\xF0\xF4\r\nport=\x88 ?\r\n"));
    EXPECT_EQ(ini.ReadString(u"Proxy"_s, u"ip"_s, {}), u"прокси.рф"_s);
    EXPECT_FALSE(ini.ReadBool(u"Proxy"_s, u"useProxy"_s, true));

    // A line break would start a new line of its own in the file.
    ini.WriteString(u"Proxy"_s, u"ip"_s, u"a\r\n[Skin]"_s);
    EXPECT_EQ(ini.ReadString(u"Proxy"_s, u"ip"_s, {}), u"a  [Skin]"_s);
    EXPECT_EQ(ini.ReadString(u"Skin"_s, u"useSkin"_s, {}), u"NextAlpha (internal)"_s);
}

TEST_F(IniFileTest, WritesKeepEveryOtherByteOfTheFile) {
    // LF line ends, comments, a stray cp1251 byte, blank lines and no final line break.
    const QByteArray original = "; \xCA\xE2\xE5\xEB\xFC\xF2\xEE \x98\n"
                                "[Proxy]\n"
                                "  IP = 10.0.0.1 ; old\n"
                                "useProxy=1\n"
                                "\n"
                                "[Other]\n"
                                "keep=  as is  \n"
                                "[Skin]\n"
                                "bare";
    put(original);
    IniFile ini(path());

    ini.WriteString(u"proxy"_s, u"ip"_s, u"192.168.0.1"_s);
    QByteArray expected = original;
    expected.replace("  IP = 10.0.0.1 ; old", "  IP = 192.168.0.1");
    EXPECT_EQ(bytes(), expected);

    ini.WriteString(u"Proxy"_s, u"port"_s, u"3128"_s);
    expected.replace("useProxy=1\n", "useProxy=1\nport=3128\n");
    EXPECT_EQ(bytes(), expected);

    ini.WriteString(u"Skin"_s, u"useSkin"_s, u"Wood (internal)"_s);
    expected.append("\nuseSkin=Wood (internal)");
    EXPECT_EQ(bytes(), expected);

    ini.WriteString(u"skin"_s, u"BARE"_s, u"x"_s);
    expected.replace("\nbare\n", "\nbare=x\n");
    EXPECT_EQ(bytes(), expected);

    ini.WriteString(u"New"_s, u"key"_s, u"v"_s);
    expected.append("\n[New]\nkey=v\n");
    EXPECT_EQ(bytes(), expected);
}

TEST_F(IniFileTest, FileWithByteOrderMarkKeepsItsEncoding) {
    put(utf16le(
        u"[Proxy]\r\nip=\"сервер\"\r\n; комментарий\r\nport=8080\r\n[Skin]\r\nuseSkin=Steam (internal)\r\n"_s));
    IniFile ini(path());
    EXPECT_EQ(ini.ReadString(u"PROXY"_s, u"IP"_s, {}), u"сервер"_s);
    EXPECT_EQ(ini.ReadInteger(u"Proxy"_s, u"port"_s, 0), 8080);

    ini.WriteString(u"Skin"_s, u"useSkin"_s, u"Опус"_s);
    ini.WriteBool(u"Proxy"_s, u"useProxy"_s, true);
    EXPECT_EQ(bytes(), utf16le(u"[Proxy]\r\nip=\"сервер\"\r\n; комментарий\r\nport=8080\r\nuseProxy=1\r\n"
                               u"[Skin]\r\nuseSkin=Опус\r\n"_s));
    EXPECT_EQ(ini.ReadString(u"Skin"_s, u"useSkin"_s, {}), u"Опус"_s);

    // Editors here save UTF-8; with its byte-order mark the file stays UTF-8.
    put("\xEF\xBB\xBF[Skin]\nuseSkin=Опус\n");
    ini.WriteString(u"Skin"_s, u"useSkin"_s, u"Дуб"_s);
    EXPECT_EQ(bytes(), QByteArray("\xEF\xBB\xBF[Skin]\nuseSkin=Дуб\n"));
    EXPECT_EQ(ini.ReadString(u"skin"_s, u"useskin"_s, {}), u"Дуб"_s);
}

TEST_F(IniFileTest, UnwritablePlaceFailsWithThePath) {
    // Running as root, permissions would not stop a write; a path through a regular file,
    // or a directory standing where the file should be, stops it for anyone.
    put("not a directory", u"plain"_s);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"Config.ini"_s));
    for (const QString& target : {path(u"plain/Config.ini"_s), path(u"Config.ini"_s)}) {
        IniFile ini(target);
        EXPECT_EQ(ini.ReadString(u"Proxy"_s, u"ip"_s, u"0"_s), u"0"_s);
        EXPECT_EQ(failureOf([&] { ini.WriteBool(u"Proxy"_s, u"useProxy"_s, false); }),
                  u"Unable to write to "_s + target);
    }
    EXPECT_EQ(bytes(u"plain"_s), QByteArray("not a directory"));
}

} // namespace
