#include "player/VideoPlayerFallback.h"
#include "support/FakePorts.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString pageAddress = u"http://127.0.0.1/films/watch.html"_s;
const QString oembedLink =
    u"<link rel=\"alternate\" type=\"application/json+oembed\" href=\"/oembed?u=1&amp;format=json\">"_s;
const QString oembedEndpoint = u"http://127.0.0.1/oembed?u=1&format=json"_s;
const QString frameTail = u" frameborder=\"0\" allow=\"autoplay; fullscreen\" allowfullscreen></iframe>"_s;

QString iframe(const QString& src, const QString& size = u"640\" height=\"360"_s) {
    return u"<iframe src=\""_s + src + u"\" width=\""_s + size + u"\""_s + frameTail;
}

QString video(const QString& src, const QString& size = u"640\" height=\"360"_s) {
    return u"<video controls autoplay src=\""_s + src + u"\" width=\""_s + size + u"\"></video>"_s;
}

QString meta(const QString& property, const QString& content) {
    return u"<meta property=\""_s + property + u"\" content=\""_s + content + u"\">"_s;
}

struct FallbackCase {
    const char* name;
    QString head;         // goes into <head> of an otherwise empty page
    QString oembedAnswer; // served at oembedEndpoint; empty means the download fails
    QString expected;     // player markup, empty for "no player"
    QStringList requests; // what the finder downloaded
};

void PrintTo(const FallbackCase& c, std::ostream* os) {
    *os << c.name;
}

class VideoPlayerFallbackTest : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(VideoPlayerFallbackTest, FindsThePlayer) {
    const FallbackCase& c = GetParam();
    FakePageSource source;
    if (!c.oembedAnswer.isEmpty())
        source.pages[oembedEndpoint] = c.oembedAnswer;
    const QString page = u"<!DOCTYPE html><html><head>"_s + c.head + u"</head><body><p>film</body></html>"_s;

    EXPECT_EQ(VideoPlayerFallback(source).find(page, pageAddress), c.expected);
    EXPECT_EQ(source.requests, c.requests);
}

const QString ogFallback = meta(u"og:video"_s, u"/embed/7"_s);
const QString ogFallbackPlayer = iframe(u"http://127.0.0.1/embed/7"_s);
const QString oembedHtml = u"<iframe src=\"http://127.0.0.1/embed/1?a=1&b=2\"></iframe>"_s;

INSTANTIATE_TEST_SUITE_P(
    Pages, VideoPlayerFallbackTest,
    ::testing::Values(
        // oEmbed: relative href with an entity, several rel tokens in any case; html as given.
        FallbackCase{"OEmbedVideo",
                     u"<link rel=\"Alternate nofollow\" type=\"Application/JSON+oEmbed\" "
                     u"href=\"/oembed?u=1&amp;format=json\">"_s +
                         ogFallback,
                     u"{\"type\":\"video\",\"html\":\"<iframe src=\\\"http://127.0.0.1/embed/1?a=1&b=2\\\">"
                     u"</iframe>\"}"_s,
                     oembedHtml,
                     {oembedEndpoint}},
        FallbackCase{"OEmbedRich",
                     oembedLink,
                     u"{\"type\":\"rich\",\"html\":\"<div>p</div>\"}"_s,
                     u"<div>p</div>"_s,
                     {oembedEndpoint}},
        // Any oEmbed trouble falls through to Open Graph.
        FallbackCase{
            "OEmbedDownloadFails", oembedLink + ogFallback, u""_s, ogFallbackPlayer, {oembedEndpoint}},
        FallbackCase{"OEmbedBadJson",
                     oembedLink + ogFallback,
                     u"{\"type\":\"video\",\"html\":"_s,
                     ogFallbackPlayer,
                     {oembedEndpoint}},
        FallbackCase{"OEmbedPhoto",
                     oembedLink + ogFallback,
                     u"{\"type\":\"photo\",\"html\":\"<img>\",\"url\":\"http://127.0.0.1/p.jpg\"}"_s,
                     ogFallbackPlayer,
                     {oembedEndpoint}},
        FallbackCase{"OEmbedEmptyHtml",
                     oembedLink + ogFallback,
                     u"{\"type\":\"video\",\"html\":\" \"}"_s,
                     ogFallbackPlayer,
                     {oembedEndpoint}},
        FallbackCase{"OEmbedXmlLinkIgnored",
                     u"<link rel=\"alternate\" type=\"text/xml+oembed\" href=\"/oembed.xml\">"_s + ogFallback,
                     u""_s,
                     ogFallbackPlayer,
                     {}},

        // Open Graph: secure_url over url over og:video, sizes from the tags.
        FallbackCase{"OgSecureUrlPreferred",
                     meta(u"og:video"_s, u"http://127.0.0.1/plain"_s) +
                         meta(u"og:video:url"_s, u"http://127.0.0.1/url"_s) +
                         meta(u"og:video:secure_url"_s, u"https://127.0.0.1/secure"_s) +
                         meta(u"og:video:type"_s, u"text/html"_s) + meta(u"og:video:width"_s, u"1280"_s) +
                         meta(u"og:video:height"_s, u" 720 "_s),
                     u""_s,
                     iframe(u"https://127.0.0.1/secure"_s, u"1280\" height=\"720"_s),
                     {}},
        FallbackCase{"OgUrlOverPlainVideo",
                     meta(u"og:video"_s, u"http://127.0.0.1/plain"_s) +
                         u"<meta name=\"og:video:url\" content=\"http://127.0.0.1/url\">"_s,
                     u""_s,
                     iframe(u"http://127.0.0.1/url"_s),
                     {}},
        FallbackCase{"OgMp4Type",
                     meta(u"og:video"_s, u"clip"_s) + meta(u"og:video:type"_s, u"video/mp4; codecs=avc1"_s),
                     u""_s,
                     video(u"http://127.0.0.1/films/clip"_s),
                     {}},
        FallbackCase{"OgHlsType",
                     meta(u"og:video"_s, u"//cdn.test/live"_s) +
                         meta(u"og:video:type"_s, u"application/x-mpegURL"_s),
                     u""_s,
                     video(u"http://cdn.test/live"_s),
                     {}},
        FallbackCase{"OgAppleHlsType",
                     meta(u"og:video"_s, u"/live"_s) +
                         meta(u"og:video:type"_s, u"application/vnd.apple.mpegurl"_s),
                     u""_s,
                     video(u"http://127.0.0.1/live"_s),
                     {}},
        FallbackCase{"OgNoTypeGuessesMediaFromPath",
                     meta(u"og:video"_s, u"/v/stream.M3U8?t=1"_s),
                     u""_s,
                     video(u"http://127.0.0.1/v/stream.M3U8?t=1"_s),
                     {}},
        FallbackCase{"OgNoTypeOtherPathIsFrame",
                     meta(u"og:video"_s, u"/embed/mp4"_s),
                     u""_s,
                     iframe(u"http://127.0.0.1/embed/mp4"_s),
                     {}},
        // A type nothing here plays gives way to the Twitter card.
        FallbackCase{"OgFlashTypeSkipped",
                     meta(u"og:video"_s, u"/p.swf"_s) +
                         meta(u"og:video:type"_s, u"application/x-shockwave-flash"_s) +
                         u"<meta name=\"twitter:player\" content=\"/card/3\">"_s,
                     u""_s,
                     iframe(u"http://127.0.0.1/card/3"_s),
                     {}},
        FallbackCase{"SizesOutOfRangeOrNotNumbers",
                     meta(u"og:video"_s, u"/e"_s) + meta(u"og:video:width"_s, u"99999999999999"_s) +
                         meta(u"og:video:height"_s, u"-5"_s),
                     u""_s,
                     iframe(u"http://127.0.0.1/e"_s, u"4096\" height=\"360"_s),
                     {}},
        FallbackCase{"ZeroAndFractionalSizesUseDefault",
                     meta(u"og:video"_s, u"/e"_s) + meta(u"og:video:width"_s, u"0"_s) +
                         meta(u"og:video:height"_s, u"200.5"_s),
                     u""_s,
                     iframe(u"http://127.0.0.1/e"_s),
                     {}},

        // Twitter card, with its own size tags; name= or property= alike.
        FallbackCase{"TwitterPlayer",
                     u"<meta name=\"twitter:player\" content=\"https://127.0.0.1/tw?id=1\">"
                     u"<meta name=\"twitter:player:width\" content=\"480\">"
                     u"<meta property=\"twitter:player:height\" content=\"270\">"
                     u"<meta name=\"og:video:width\" content=\"999\">"_s,
                     u""_s,
                     iframe(u"https://127.0.0.1/tw?id=1"_s, u"480\" height=\"270"_s),
                     {}},

        // Hostile values are resolved, encoded and escaped; sizes that aren't numbers are ignored.
        FallbackCase{"HostileValuesEscaped",
                     u"<meta property=\"og:video\" content=\"/v?a=&quot;&gt;&lt;script&gt;x(&#39;1&#39;)"
                     u"&lt;/script&gt;&amp;b=1\">"
                     u"<meta property=\"og:video:width\" content=\"1&quot; onload=&quot;x\">"_s,
                     u""_s,
                     iframe(u"http://127.0.0.1/v?a=%22%3E%3Cscript%3Ex(&#39;1&#39;)%3C/script%3E&amp;b=1"_s),
                     {}},
        FallbackCase{"ScriptAndDataAddressesRefused",
                     u"<link rel=\"alternate\" type=\"application/json+oembed\" href=\"javascript:x()\">"_s +
                         meta(u"og:video:secure_url"_s, u" JavaScript:alert(1)"_s) +
                         meta(u"og:video:url"_s, u"data:text/html,<script>x()</script>"_s) +
                         meta(u"og:video"_s, u"ftp://127.0.0.1/v.mp4"_s) +
                         u"<meta name=\"twitter:player\" content=\"data:text/html;base64,PHNjcmlwdD4=\">"_s,
                     u""_s,
                     u""_s,
                     {}},
        FallbackCase{"RefusedCandidateGivesWayToNext",
                     meta(u"og:video:secure_url"_s, u"javascript:alert(1)"_s) +
                         meta(u"og:video:url"_s, u"https://127.0.0.1/ok"_s),
                     u""_s,
                     iframe(u"https://127.0.0.1/ok"_s),
                     {}},
        FallbackCase{
            "NothingFound",
            u"<meta property=\"og:title\" content=\"Film\"><link rel=\"stylesheet\" href=\"a.css\">"_s,
            u""_s,
            u""_s,
            {}}),
    [](const ::testing::TestParamInfo<FallbackCase>& info) { return std::string(info.param.name); });

} // namespace
