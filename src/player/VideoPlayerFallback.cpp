#include "player/VideoPlayerFallback.h"

#include "base/PageSource.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QUrl>
#include <algorithm>
#include <gumbo.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int defaultWidth = 640;
constexpr int defaultHeight = 360;
// Larger sizes are typos or hostile; the player still has to fit a screen.
constexpr int maxDimension = 4096;

// What the page says about its player, read out of the parsed tree.
struct PageHints {
    QStringList oembedLinks;      // hrefs of oEmbed JSON discovery links, in page order
    QHash<QString, QString> meta; // lower-case property/name -> first non-empty content
};

struct GumboOutputCloser {
    void operator()(GumboOutput* output) const { gumbo_destroy_output(&kGumboDefaultOptions, output); }
};

QString attribute(const GumboElement& element, const char* name) {
    const GumboAttribute* found = gumbo_get_attribute(&element.attributes, name);
    return found ? QString::fromUtf8(found->value) : QString();
}

bool isOEmbedJsonLink(const GumboElement& link) {
    if (attribute(link, "type").trimmed().compare(u"application/json+oembed"_s, Qt::CaseInsensitive) != 0)
        return false;
    const QStringList rels = attribute(link, "rel").simplified().split(u' ', Qt::SkipEmptyParts);
    return std::any_of(rels.begin(), rels.end(), [](const QString& rel) {
        return rel.compare(u"alternate"_s, Qt::CaseInsensitive) == 0;
    });
}

void noteMeta(const GumboElement& meta, PageHints& hints) {
    const QString content = attribute(meta, "content").trimmed();
    if (content.isEmpty())
        return;
    // Sites use both spellings, sometimes on the same tag.
    for (const char* keyAttribute : {"property", "name"}) {
        const QString key = attribute(meta, keyAttribute).trimmed().toLower();
        if (!key.isEmpty() && !hints.meta.contains(key))
            hints.meta.insert(key, content);
    }
}

PageHints readHints(const QString& pageText) {
    const QByteArray utf8 = pageText.toUtf8();
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // we never read the parse errors; don't collect them
    const std::unique_ptr<GumboOutput, GumboOutputCloser> output(
        gumbo_parse_with_options(&options, utf8.constData(), static_cast<size_t>(utf8.size())));

    PageHints hints;
    if (!output)
        return hints;
    // An explicit stack: a hostile page may nest deeper than the call stack allows.
    QList<const GumboNode*> pending{output->root};
    while (!pending.isEmpty()) {
        const GumboNode* node = pending.takeLast();
        if (node->type != GUMBO_NODE_ELEMENT)
            continue;
        const GumboElement& element = node->v.element;
        if (element.tag == GUMBO_TAG_LINK && isOEmbedJsonLink(element))
            hints.oembedLinks << attribute(element, "href");
        else if (element.tag == GUMBO_TAG_META)
            noteMeta(element, hints);
        // Children in reverse, so they come off the stack in page order.
        for (unsigned int i = element.children.length; i > 0; --i)
            pending << static_cast<const GumboNode*>(element.children.data[i - 1]);
    }
    return hints;
}

// An absolute http/https address for `value` as the page at `base` would read it,
// or an empty text for anything else (javascript:, data:, unparsable).
QString resolve(const QString& base, const QString& value) {
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QUrl url = QUrl(base).resolved(QUrl(trimmed));
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != u"http"_s && url.scheme() != u"https"_s))
        return {};
    return url.toString(QUrl::FullyEncoded);
}

QString escapeAttribute(const QString& value) {
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            escaped += u"&amp;"_s;
            break;
        case u'<':
            escaped += u"&lt;"_s;
            break;
        case u'>':
            escaped += u"&gt;"_s;
            break;
        case u'"':
            escaped += u"&quot;"_s;
            break;
        case u'\'':
            escaped += u"&#39;"_s;
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

int dimension(const QString& value, int fallback) {
    QString digits = value.trimmed();
    if (digits.isEmpty() ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
        return fallback;
    while (digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.isEmpty())
        return fallback;
    // Too many digits for an int is simply very large.
    return digits.size() > 5 ? maxDimension : std::min(digits.toInt(), maxDimension);
}

QString sizeAttributes(const PageHints& hints, const QString& prefix) {
    const int width = dimension(hints.meta.value(prefix + u":width"_s), defaultWidth);
    const int height = dimension(hints.meta.value(prefix + u":height"_s), defaultHeight);
    return u" width=\""_s + QString::number(width) + u"\" height=\""_s + QString::number(height) + u"\""_s;
}

QString iframe(const QString& address, const QString& size) {
    return u"<iframe src=\""_s + escapeAttribute(address) + u"\""_s + size +
           u" frameborder=\"0\" allow=\"autoplay; fullscreen\" allowfullscreen></iframe>"_s;
}

QString video(const QString& address, const QString& size) {
    return u"<video controls autoplay src=\""_s + escapeAttribute(address) + u"\""_s + size + u"></video>"_s;
}

enum class PlayerKind { Frame, Media, Unplayable };

PlayerKind kindOf(const QString& declaredType, const QString& address) {
    const QString type = declaredType.section(u';', 0, 0).trimmed().toLower();
    if (type.isEmpty()) {
        const QString path = QUrl(address).path().toLower();
        for (const QString& extension : {u".mp4"_s, u".webm"_s, u".ogv"_s, u".m3u8"_s})
            if (path.endsWith(extension))
                return PlayerKind::Media;
        return PlayerKind::Frame;
    }
    if (type == u"text/html"_s)
        return PlayerKind::Frame;
    if (type.startsWith(u"video/"_s) || type == u"application/vnd.apple.mpegurl"_s ||
        type == u"application/x-mpegurl"_s)
        return PlayerKind::Media;
    // Flash and the like: nothing today's view can play.
    return PlayerKind::Unplayable;
}

QString openGraphPlayer(const PageHints& hints, const QString& base) {
    for (const QString& key : {u"og:video:secure_url"_s, u"og:video:url"_s, u"og:video"_s}) {
        const QString address = resolve(base, hints.meta.value(key));
        if (address.isEmpty())
            continue;
        const QString size = sizeAttributes(hints, u"og:video"_s);
        switch (kindOf(hints.meta.value(u"og:video:type"_s), address)) {
        case PlayerKind::Frame:
            return iframe(address, size);
        case PlayerKind::Media:
            return video(address, size);
        case PlayerKind::Unplayable:
            return {};
        }
    }
    return {};
}

QString twitterPlayer(const PageHints& hints, const QString& base) {
    const QString address = resolve(base, hints.meta.value(u"twitter:player"_s));
    return address.isEmpty() ? QString() : iframe(address, sizeAttributes(hints, u"twitter:player"_s));
}

} // namespace

VideoPlayerFallback::VideoPlayerFallback(PageSource& source) : m_source(source) {}

QString VideoPlayerFallback::find(const QString& pageText, const QString& pageAddress) {
    try {
        const PageHints hints = readHints(pageText);

        // Only the first usable discovery link: each download blocks the window,
        // and a hostile page could list any number of them.
        for (const QString& href : hints.oembedLinks) {
            const QString endpoint = resolve(pageAddress, href);
            if (endpoint.isEmpty())
                continue;
            try {
                const QJsonObject answer = QJsonDocument::fromJson(m_source.get(endpoint).toUtf8()).object();
                const QString type = answer.value(u"type"_s).toString();
                QString html = answer.value(u"html"_s).toString();
                if ((type == u"video"_s || type == u"rich"_s) && !html.trimmed().isEmpty())
                    return html;
            } catch (...) {
                // A failed or odd oEmbed answer: the page's own tags may still help.
            }
            break;
        }

        if (QString player = openGraphPlayer(hints, pageAddress); !player.isEmpty())
            return player;
        return twitterPlayer(hints, pageAddress);
    } catch (...) {
        return {};
    }
}

QString VideoPlayerFallback::page(const QString& playerMarkup) {
    return u"<HTML><BODY><div align=\"center\">"_s + playerMarkup + u"</div></BODY></HTML>"_s;
}
