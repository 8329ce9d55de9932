#include "catalog/PlaylistReader.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A playlist read back as "title=address@line" entries and "line:start of text" problems.
struct Read {
    QStringList entries;
    QStringList errors;
    QStringList warnings;
};

Read readOf(const QByteArray& bytes) {
    const Playlist list = PlaylistReader::read(bytes);
    Read out;
    for (const PlaylistEntry& e : list.entries)
        out.entries << u"%1=%2@%3"_s.arg(e.title, e.address).arg(e.line);
    for (const PlaylistProblem& p : list.errors)
        out.errors << u"%1:%2"_s.arg(p.line).arg(p.text.section(u' ', 0, 1));
    for (const PlaylistProblem& p : list.warnings)
        out.warnings << u"%1:%2"_s.arg(p.line).arg(p.text.section(u' ', 0, 1));
    return out;
}

struct Case {
    const char* name;
    QByteArray input;
    QStringList entries;
    QStringList errors = {};
    QStringList warnings = {};
};

class PlaylistReaderTable : public testing::TestWithParam<Case> {};

TEST_P(PlaylistReaderTable, ReadsWhatTheFileHolds) {
    const Case& c = GetParam();
    const Read got = readOf(c.input);
    EXPECT_EQ(got.entries, c.entries);
    EXPECT_EQ(got.errors, c.errors);
    EXPECT_EQ(got.warnings, c.warnings);
}

// Titles are read as text, so a case's bytes spell them in UTF-8 or windows-1251 on purpose.
INSTANTIATE_TEST_SUITE_P(
    Formats, PlaylistReaderTable,
    testing::Values(
        Case{"m3u_with_attributes_bom_and_crlf",
             "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://e/x.xml\"\r\n"
             "#EXTINF:-1 tvg-id=\"1\" group-title=\"Новости, мир\",Первый, HD\r\n"
             "#EXTVLCOPT:http-user-agent=x\r\n#EXTGRP:Эфир\r\n"
             "http://tv.example/1.m3u8?a=1&b=2\r\n\r\n"
             "#EXTINF:0,\r\nudp://@239.0.0.1:1234\r\n",
             {u"Первый, HD=http://tv.example/1.m3u8?a=1&b=2@5"_s,
              u"udp://@239.0.0.1:1234=udp://@239.0.0.1:1234@8"_s}},
        Case{"bare_address_list_in_windows_1251",
             "#EXTINF:-1,\xD0\xE0\xE4\xE8\xEE\nhttp://r.example/a\nhttps://r.example/b\n",
             {u"Радио=http://r.example/a@2"_s, u"https://r.example/b=https://r.example/b@3"_s}},
        Case{"m3u_title_without_address_is_skipped_with_a_warning",
             "#EXTM3U\n#EXTINF:-1,Lost\n#EXTINF:-1,Found\nhttp://a.example/\n#EXTINF:-1,Tail\n",
             {u"Found=http://a.example/@4"_s},
             {},
             {u"2:у записи"_s, u"5:у записи"_s}},
        Case{"m3u_bad_addresses_with_their_lines",
             "#EXTM3U\nhttp://ok.example/\n#EXTINF:-1,Relative\nchannel/2.m3u8\nC:\\radio\\x.mp3\nfile:///"
             "tmp/a\n",
             {u"http://ok.example/=http://ok.example/@2"_s},
             {u"4:неверный адрес"_s, u"5:неверный адрес"_s, u"6:неверный адрес"_s}},
        Case{"pls_pairs_in_any_order",
             "[playlist]\r\nNumberOfEntries=3\r\nTitle2=Два\r\nFile10=http://s.example/10\r\n"
             "File2=http://s.example/2\r\nfile1=http://s.example/"
             "1\r\nTitle1=Один\r\nLength1=-1\r\nTitle7=Нет\r\n"
             "Version=2\r\n",
             {u"Один=http://s.example/1@6"_s, u"Два=http://s.example/2@5"_s,
              u"http://s.example/10=http://s.example/10@4"_s},
             {},
             {u"9:у Title7"_s}},
        Case{"pls_bad_and_repeated_entries",
             "[playlist]\nFile1=stream.mp3\nFile2=http://s.example/2\nFile2=http://s.example/3\njunk\n",
             {u"http://s.example/3=http://s.example/3@4"_s},
             {u"4:File2 уже"_s, u"5:строка не"_s, u"2:неверный адрес"_s}},
        Case{"csv_with_header_quotes_and_a_line_break_in_a_title",
             "title,address\r\n\"Фильм, первый\",http://v.example/1\r\n\"Он сказал "
             "\"\"да\"\"\",http://v.example/2\r\n"
             "\"Две\nстроки\",http://v.example/3\r\n,http://v.example/4\r\n",
             {u"Фильм, первый=http://v.example/1@2"_s, u"Он сказал \"да\"=http://v.example/2@3"_s,
              u"Две\nстроки=http://v.example/3@4"_s, u"http://v.example/4=http://v.example/4@6"_s}},
        Case{
            "csv_bad_records",
            "Один,http://v.example/1\nДва;http://v.example/2\nТри,http://v.example/3,лишнее\nЧетыре,ftp//x\n",
            {u"Один=http://v.example/1@1"_s},
            {u"2:нужны два"_s, u"3:нужны два"_s, u"4:неверный адрес"_s}},
        Case{"csv_unclosed_quote",
             "a,http://v.example/1\n\"b,http://v.example/2\n",
             {u"a=http://v.example/1@1"_s},
             {u"2:кавычка не"_s}},
        Case{"hls_media_playlist_is_one_stream",
             "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\nseg1.ts\n",
             {},
             {u"3:это HLS-плейлист"_s}},
        Case{"hls_master_playlist_is_one_stream",
             "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=800000\nlow/index.m3u8\n",
             {},
             {u"2:это HLS-плейлист"_s}},
        Case{"binary_file", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), {}, {u"3:файл двоичный,"_s}},
        Case{"empty_file", "\xEF\xBB\xBF \r\n\n", {}, {u"1:файл пуст"_s}},
        Case{"comments_only", "#EXTM3U\n# nothing here\n", {}, {u"1:в списке"_s}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(PlaylistReader, AcceptsOnlyAbsoluteAddressesWithSchemeAndHost) {
    for (const QString& good :
         {u"http://a.example/x"_s, u"https://a.example:8443/x?y=1#z"_s, u"rtmp://a.example/live"_s,
          u"mms://a.example/s"_s, u"http://радио.рф/поток"_s})
        EXPECT_TRUE(PlaylistReader::isPlayableAddress(good)) << good.toStdString();
    for (const QString& bad :
         {u""_s, u"a.example/x"_s, u"/abs/path.mp3"_s, u"http:///x"_s, u"file:///etc/passwd"_s,
          u"http://a.example/x y"_s, u"http://a.example/\tx"_s, u"mailto:a@b.example"_s})
        EXPECT_FALSE(PlaylistReader::isPlayableAddress(bad)) << bad.toStdString();
}

} // namespace
