// The player found in a hostile video page and its oEmbed answer. Unless the oEmbed answer
// supplies the markup, what comes out is one iframe or video element of an http(s) address,
// with nothing of the page able to break out of its attribute. Input: the oEmbed answer (one
// line; "!" for a failed download), a line break, the page.
#include "FuzzParts.h"
#include "base/Failure.h"
#include "base/PageSource.h"
#include "player/VideoPlayerFallback.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

class FakeSource : public PageSource {
public:
    explicit FakeSource(QString answer) : m_answer(std::move(answer)) {}
    QString get(const QString& address) override {
        ++m_calls;
        FUZZ_CHECK(address.startsWith(u"http://"_s) || address.startsWith(u"https://"_s));
        if (m_answer == u"!"_s)
            throw Failure(u"Connection refused"_s);
        return m_answer;
    }
    int m_calls = 0;

private:
    QString m_answer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzzParts(data, size, 2);
    FakeSource source(QString::fromUtf8(parts[0].data(), qsizetype(parts[0].size())));
    VideoPlayerFallback fallback(source);
    const QString page = QString::fromUtf8(parts[1].data(), qsizetype(parts[1].size()));
    const QString player = fallback.find(page, u"https://video.example/watch?v=1"_s);

    FUZZ_CHECK(source.m_calls <= 1);
    if (player.isEmpty() || source.m_calls == 1)
        return 0; // the oEmbed answer's markup is the site's own, taken as it is
    static const QRegularExpression element(
        uR"(^<(iframe|video)( controls autoplay)? src="https?://[^"<>']+"[^<>]*>(</iframe>|</video>)$)"_s);
    FUZZ_CHECK(element.match(player).hasMatch());
    return 0;
}
